#pragma once
// The least of the scene's drawable objects that raster code needs: the
// fields a drawable carries and the rectangle query, and the sprite list
// that owns drawables and forwards damage to its canvas. The scene layer
// extends both.
#include <atomic>
#include <cstdint>
#include <vector>

#include "raster/Rect.h"

namespace orrivel {

class DirtyRegion;
class SpriteList;

class Drawable {
 public:
  Drawable() = default;
  // Takes the drawable out of its owning list.
  virtual ~Drawable();
  Drawable(const Drawable&) = delete;
  Drawable& operator=(const Drawable&) = delete;

  // The two flags may be set from another thread (a movie's pictures
  // arrive on the movie's own thread) while the canvas reads them.
  bool IsVisible() const { return visible_.load(std::memory_order_acquire) != 0; }
  void SetVisible(bool visible) { visible_.store(visible ? 1 : 0, std::memory_order_release); }
  bool IsChanged() const { return changed_.load(std::memory_order_acquire) != 0; }
  void SetChanged(uint8_t flag) { changed_.store(flag, std::memory_order_release); }
  int32_t GetX() const { return x_; }
  int32_t GetY() const { return y_; }
  uint8_t GetMode() const { return mode_; }
  uint8_t GetOpacity() const { return opacity_; }
  SpriteList* OwningList() const { return list_; }

  // Fills out with the area the drawable covers; returns out.
  virtual Rect* GetRect(Rect* out) const = 0;

 protected:
  std::atomic<uint8_t> visible_{1};
  std::atomic<uint8_t> changed_{0};
  int32_t x_ = 0;
  int32_t y_ = 0;
  uint8_t mode_ = 0;
  uint8_t opacity_ = 0;
  SpriteList* list_ = nullptr;

 private:
  friend class SpriteList;
};

class SpriteList {
 public:
  // damage receives what AddDirty reports; target is the whole canvas area.
  SpriteList(DirtyRegion* damage, const Rect& target) : damage_(damage), target_(target) {}
  ~SpriteList();
  SpriteList(const SpriteList&) = delete;
  SpriteList& operator=(const SpriteList&) = delete;

  // Inserts after the nodes whose order equals `order` (orders compared
  // unsigned) and marks the drawable changed. 0 done, 1 no drawable, 2 it
  // already belongs to a list.
  int AddAfterEqual(Drawable* drawable, uint32_t order, uint32_t flags);
  void Remove(Drawable* drawable);
  // Forwards the rectangle (null: the whole target) to the canvas's region.
  static void AddDirty(SpriteList* list, const Rect* rect);

  const std::vector<Drawable*>& Items() const { return items_; }

 private:
  struct Node {
    uint32_t order;
    Drawable* drawable;
  };
  std::vector<Node> nodes_;
  std::vector<Drawable*> items_;
  DirtyRegion* damage_;
  Rect target_;
};

}  // namespace orrivel
