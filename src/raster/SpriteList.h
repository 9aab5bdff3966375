#pragma once
// Drawables of one scene in order of a 32-bit key (compared unsigned),
// each with the rectangle where it was last drawn. The list never owns its
// drawables. Keys ascend from head to tail; the canvas paints from the tail
// to the head, so the lowest key lies on top.
#include <cstdint>
#include <vector>

#include "raster/Drawable.h"
#include "raster/Rect.h"

namespace orrivel {

// What a list reports damage to: the canvas that owns it.
class SpriteListOwner {
 public:
  // Adds the rectangle (null: the whole target); 1 when added.
  virtual int AddDirty(const Rect* rect) = 0;

 protected:
  ~SpriteListOwner() = default;
};

// A control or canvas that puts its drawables into a list it does not own
// keeps a WeakLink to it: the list goes with its canvas.
class SpriteList : public LinkTarget {
 public:

  // Filter value that matches everything.
  static constexpr uint32_t kAny = 0xFFFFFFFFu;

  struct Node {
    Drawable* drawable = nullptr;
    // left -1: nothing drawn, nothing to erase.
    Rect lastDrawn{-1, 0, 0, 0};
    uint32_t order = 0;
    uint32_t flags = 0;
    Node* prev = nullptr;
    Node* next = nullptr;
    bool HasLastDrawn() const { return lastDrawn.left != -1; }
  };

  SpriteList() = default;
  virtual ~SpriteList();
  SpriteList(const SpriteList&) = delete;
  SpriteList& operator=(const SpriteList&) = delete;

  // 0 done, 1 no drawable, 2 already in a list, 3 no memory. Add goes before
  // equal keys (painted after them, on top); AddAfterEqual after them.
  int Add(Drawable* drawable, uint32_t order, uint32_t flags);
  int AddAfterEqual(Drawable* drawable, uint32_t order, uint32_t flags);
  // False when the drawable is null or not in this list.
  bool SetOrder(Drawable* drawable, uint32_t order, uint8_t skipIfEqual);
  bool SetOrderAfterEqual(Drawable* drawable, uint32_t order, uint8_t skipIfEqual);
  // Dirties the last drawn rectangle on the owning canvas; false when absent.
  bool Remove(Drawable* drawable);
  // invert 0: the nodes whose key equals order; invert set: every node whose
  // key differs.
  void RemoveByOrder(uint32_t order, uint8_t invert);
  // Filters of kAny always match; else on equality, or inequality with invert.
  void RemoveMatching(uint32_t flagsFilter, uint32_t tagFilter, uint8_t invert);
  void SetVisibleMatching(uint8_t visible, uint32_t orderFilter, uint32_t flagsFilter,
                          uint32_t tagFilter, uint8_t invert);
  // Frees every node without dirtying anything.
  void Clear();
  // Forwards to the owning canvas; 0 without one.
  int AddDirty(const Rect* rect);

  Node* Head() const { return head_; }
  Node* Tail() const { return tail_; }
  Node* Find(const Drawable* drawable) const;
  SpriteListOwner* Owner() const { return owner_; }
  void SetOwner(SpriteListOwner* owner) { owner_ = owner; }
  // Head to tail.
  std::vector<Drawable*> Items() const;

 private:
  int Insert(Drawable* drawable, uint32_t order, uint32_t flags, bool afterEqual);
  bool Reorder(Drawable* drawable, uint32_t order, uint8_t skipIfEqual, bool afterEqual);
  void Link(Node* node, bool afterEqual);
  void Unlink(Node* node);
  // Unlinks and frees the node, dirtying its last rectangle.
  void Drop(Node* node);

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  SpriteListOwner* owner_ = nullptr;
};

}  // namespace orrivel
