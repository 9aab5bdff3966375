#include "raster/Drawable.h"

#include <algorithm>

#include "raster/DirtyRegion.h"

namespace orrivel {

Drawable::~Drawable() {
  if (list_ != nullptr) list_->Remove(this);
}

SpriteList::~SpriteList() {
  for (const Node& n : nodes_) n.drawable->list_ = nullptr;
}

int SpriteList::AddAfterEqual(Drawable* drawable, uint32_t order, uint32_t) {
  if (drawable == nullptr) return 1;
  if (drawable->list_ != nullptr) return 2;
  const auto at = std::find_if(nodes_.begin(), nodes_.end(),
                               [order](const Node& n) { return n.order > order; });
  nodes_.insert(at, Node{order, drawable});
  items_.clear();
  for (const Node& n : nodes_) items_.push_back(n.drawable);
  drawable->list_ = this;
  drawable->SetChanged(1);
  return 0;
}

void SpriteList::Remove(Drawable* drawable) {
  std::erase_if(nodes_, [drawable](const Node& n) { return n.drawable == drawable; });
  std::erase(items_, drawable);
  if (drawable != nullptr && drawable->list_ == this) drawable->list_ = nullptr;
}

void SpriteList::AddDirty(SpriteList* list, const Rect* rect) {
  if (list == nullptr || list->damage_ == nullptr) return;
  list->damage_->AddRect(rect != nullptr ? *rect : list->target_);
}

}  // namespace orrivel
