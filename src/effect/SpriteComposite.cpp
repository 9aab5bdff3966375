#include "effect/SpriteComposite.h"

#include <algorithm>

#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"

namespace orrivel {

std::vector<Rect> SubtractRect(const Rect& a, const Rect& b) {
  std::vector<Rect> out;
  if (a.IsEmpty()) return out;
  const Rect overlap{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                     std::min(a.bottom, b.bottom)};
  if (overlap.IsEmpty()) {
    out.push_back(a);
    return out;
  }
  if (a.top < overlap.top) out.push_back(Rect{a.left, a.top, a.right, overlap.top});
  if (overlap.bottom < a.bottom) out.push_back(Rect{a.left, overlap.bottom, a.right, a.bottom});
  if (a.left < overlap.left) out.push_back(Rect{a.left, overlap.top, overlap.left, overlap.bottom});
  if (overlap.right < a.right) out.push_back(Rect{overlap.right, overlap.top, a.right, overlap.bottom});
  return out;
}

Rect UnionOf(const Rect& a, const Rect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

SpriteComposite::~SpriteComposite() { sprite_.reset(); }

bool SpriteComposite::Build(int32_t width, int32_t height, const CompositePlacement& oldPicture,
                            const CompositePlacement& newPicture, SpriteList* list, uint32_t order, int32_t x,
                            int32_t y) {
  sprite_.reset();
  surface_ = std::make_unique<Surface>();
  if (surface_->Create(width, height, 32, 0) != 0) return false;
  surface_->SetHasAlpha(true);
  surface_->FillRect(0, nullptr);
  old_ = oldPicture;
  new_ = newPicture;
  const Rect oldArea = old_.Area();
  const Rect newArea = new_.Area();
  refill_ = SubtractRect(newArea, oldArea);
  refill_.push_back(oldArea);
  oldOnly_ = SubtractRect(oldArea, newArea);
  surface_->Copy(old_.picture, old_.x, old_.y, &old_.rect, false);
  lastLevel_ = 0;
  sprite_ = std::make_unique<ImageSprite>();
  if (sprite_->SetImage(surface_.get(), nullptr, x, y) != 0) return false;
  sprite_->SetBlendMode(1);
  sprite_->SetVisible(0);
  if (list != nullptr && list->Add(sprite_.get(), order, 2) != 0) return false;
  return true;
}

bool SpriteComposite::ApplyLevel(uint8_t level) {
  if (level == lastLevel_ || !surface_) return false;
  lastLevel_ = level;
  for (const Rect& r : refill_) surface_->FillRect(0, &r);
  surface_->Copy(old_.picture, old_.x, old_.y, &old_.rect, false);
  for (const Rect& r : oldOnly_) ApplyLevelTable(surface_.get(), 255 - level, &r);
  surface_->BlendAlphaLevel(new_.picture, level, new_.x, new_.y, &new_.rect);
  Rect whole{0, 0, surface_->GetWidth(), surface_->GetHeight()};
  sprite_->InvalidateSourceRect(&whole);
  sprite_->SetChanged(1);
  ++rebuilds_;
  return true;
}

}  // namespace orrivel
