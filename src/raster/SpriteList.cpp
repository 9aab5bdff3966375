#include "raster/SpriteList.h"

#include <new>

namespace orrivel {

namespace {

bool Matches(uint32_t filter, uint32_t value, uint8_t invert) {
  if (filter == SpriteList::kAny) return true;
  return invert != 0 ? value != filter : value == filter;
}

}  // namespace

SpriteList::~SpriteList() {
  // Holders let go while the list still stands, so that one taking its
  // drawable out finds it there.
  BreakLinks();
  Clear();
}

void SpriteList::Link(Node* node, bool afterEqual) {
  Node* at = head_;
  while (at != nullptr && (afterEqual ? at->order <= node->order : at->order < node->order))
    at = at->next;
  node->next = at;
  node->prev = at != nullptr ? at->prev : tail_;
  (node->prev != nullptr ? node->prev->next : head_) = node;
  (at != nullptr ? at->prev : tail_) = node;
}

void SpriteList::Unlink(Node* node) {
  (node->prev != nullptr ? node->prev->next : head_) = node->next;
  (node->next != nullptr ? node->next->prev : tail_) = node->prev;
  node->prev = node->next = nullptr;
}

int SpriteList::Insert(Drawable* drawable, uint32_t order, uint32_t flags, bool afterEqual) {
  if (drawable == nullptr) return 1;
  if (drawable->list_ != nullptr) return 2;
  Node* node = new (std::nothrow) Node;
  if (node == nullptr) return 3;
  node->drawable = drawable;
  node->order = order;
  node->flags = flags;
  Link(node, afterEqual);
  drawable->list_ = this;
  drawable->SetChanged(1);
  return 0;
}

int SpriteList::Add(Drawable* drawable, uint32_t order, uint32_t flags) {
  return Insert(drawable, order, flags, false);
}

int SpriteList::AddAfterEqual(Drawable* drawable, uint32_t order, uint32_t flags) {
  return Insert(drawable, order, flags, true);
}

SpriteList::Node* SpriteList::Find(const Drawable* drawable) const {
  if (drawable == nullptr) return nullptr;
  for (Node* n = head_; n != nullptr; n = n->next)
    if (n->drawable == drawable) return n;
  return nullptr;
}

bool SpriteList::Reorder(Drawable* drawable, uint32_t order, uint8_t skipIfEqual,
                         bool afterEqual) {
  Node* node = Find(drawable);
  if (node == nullptr) return false;
  if (skipIfEqual != 0 && node->order == order) return true;
  Unlink(node);
  node->order = order;
  Link(node, afterEqual);
  drawable->SetChanged(1);
  return true;
}

bool SpriteList::SetOrder(Drawable* drawable, uint32_t order, uint8_t skipIfEqual) {
  return Reorder(drawable, order, skipIfEqual, false);
}

bool SpriteList::SetOrderAfterEqual(Drawable* drawable, uint32_t order, uint8_t skipIfEqual) {
  return Reorder(drawable, order, skipIfEqual, true);
}

void SpriteList::Drop(Node* node) {
  if (node->HasLastDrawn() && owner_ != nullptr) owner_->AddDirty(&node->lastDrawn);
  Unlink(node);
  node->drawable->list_ = nullptr;
  delete node;
}

bool SpriteList::Remove(Drawable* drawable) {
  Node* node = Find(drawable);
  if (node == nullptr) return false;
  Drop(node);
  return true;
}

void SpriteList::RemoveByOrder(uint32_t order, uint8_t invert) {
  for (Node* n = head_; n != nullptr;) {
    Node* next = n->next;
    if ((n->order == order) != (invert != 0)) Drop(n);
    n = next;
  }
}

void SpriteList::RemoveMatching(uint32_t flagsFilter, uint32_t tagFilter, uint8_t invert) {
  for (Node* n = head_; n != nullptr;) {
    Node* next = n->next;
    if (Matches(flagsFilter, n->flags, invert) && Matches(tagFilter, n->drawable->GetTag(), invert))
      Drop(n);
    n = next;
  }
}

void SpriteList::SetVisibleMatching(uint8_t visible, uint32_t orderFilter, uint32_t flagsFilter,
                                    uint32_t tagFilter, uint8_t invert) {
  for (Node* n = head_; n != nullptr; n = n->next)
    if (Matches(orderFilter, n->order, invert) && Matches(flagsFilter, n->flags, invert) &&
        Matches(tagFilter, n->drawable->GetTag(), invert))
      n->drawable->SetVisible(visible);
}

void SpriteList::Clear() {
  while (head_ != nullptr) {
    Node* n = head_;
    head_ = n->next;
    n->drawable->list_ = nullptr;
    delete n;
  }
  tail_ = nullptr;
}

int SpriteList::AddDirty(const Rect* rect) {
  return owner_ != nullptr ? owner_->AddDirty(rect) : 0;
}

std::vector<Drawable*> SpriteList::Items() const {
  std::vector<Drawable*> items;
  for (Node* n = head_; n != nullptr; n = n->next) items.push_back(n->drawable);
  return items;
}

}  // namespace orrivel
