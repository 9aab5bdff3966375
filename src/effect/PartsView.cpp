#include "effect/PartsView.h"

#include "raster/SpriteList.h"
#include "raster/Surface.h"

namespace orrivel {

PartsView::PartsView(const SpriteList& parts, int32_t width, int32_t height)
    : parts_(parts), bounds_{0, 0, width, height} {}

bool PartsView::InvalidateSourceRect(Rect* rect) {
  if (rect == nullptr || list_ == nullptr) return false;
  if (!IntersectRects(rect, *rect, bounds_)) return false;
  return list_->AddDirty(rect) != 0;
}

bool PartsView::Overlaps(const Drawable* other) const {
  if (other == nullptr) return false;
  Rect theirs;
  other->GetBounds(&theirs);
  return IntersectRects(nullptr, bounds_, theirs);
}

Rect* PartsView::GetBounds(Rect* out) const {
  *out = bounds_;
  return out;
}

int PartsView::DrawTo(Surface* target, Rect* out) {
  if (out != nullptr) out->left = -1;
  if (!IsVisible() || opacity_ == 0) return 0;
  if (target == nullptr) return 1;
  Rect area = bounds_;
  if (!target->ClipToClipRect(&area)) return 0;
  if (const int result = Draw(target, area); result != 0) return result;
  if (out != nullptr) *out = area;
  return 0;
}

int PartsView::Draw(Surface* target, const Rect& clip) {
  if (target == nullptr) return 1;
  Rect area;
  if (!IntersectRects(&area, bounds_, clip)) return 0;
  // The list's tail lies at the back.
  for (SpriteList::Node* node = parts_.Tail(); node != nullptr; node = node->prev) {
    Drawable* part = node->drawable;
    if (part == nullptr || !part->IsVisible() || part->GetOpacity() == 0) continue;
    if (!IntersectRects(nullptr, *part->GetBoundsPtr(), area)) continue;
    part->Draw(target, area);
  }
  return 0;
}

}  // namespace orrivel
