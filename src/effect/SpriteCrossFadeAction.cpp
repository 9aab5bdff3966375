#include "effect/SpriteCrossFadeAction.h"

#include <cmath>

#include "base/TimerList.h"
#include "effect/SpritePanimeAction.h"
#include "raster/Rect.h"
#include "raster/SpriteList.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ImageSprite.h"

namespace orrivel {
namespace {

bool ShowsImage(const ImageSprite* sprite) {
  Surface* picture = nullptr;
  Rect rect;
  return sprite != nullptr && sprite->GetShownPicture(&picture, &rect) && picture != nullptr;
}

// The sprite's picture placed in a composite whose top-left corner is at
// origin on the layer, cut to the layer's clip.
CompositePlacement PlaceOnLayer(const ImageSprite& sprite, const Rect& clip, const Rect& unionRect) {
  CompositePlacement place;
  Rect rect;
  sprite.GetShownPicture(&place.picture, &rect);
  const Rect& bounds = *sprite.GetBoundsPtr();
  place.rect = Rect{rect.left + clip.left - bounds.left, rect.top + clip.top - bounds.top,
                    rect.left + clip.right - bounds.left, rect.top + clip.bottom - bounds.top};
  place.x = clip.left - unionRect.left;
  place.y = clip.top - unionRect.top;
  return place;
}

}  // namespace

int32_t SpriteCrossFadeAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  if (timerList == nullptr) return kNoTimerList;
  Drawable* newDrawable = cells.Object<Drawable>(0);
  new_ = ImageSpriteCell(cells, 0);
  if (newDrawable != nullptr && new_ == nullptr) return kNotImageSprite;
  old_ = ImageSpriteCell(cells, 1);
  Watch(new_);
  Watch(old_);
  if (new_ != nullptr) new_->SetVisible(0);
  const bool oldShows = ShowsImage(old_);
  const bool newShows = ShowsImage(new_);
  if (!oldShows && !newShows) return kNoImage;
  if (!oldShows) old_ = nullptr;
  if (!newShows) new_ = nullptr;
  composite_.reset();
  if (old_ != nullptr && new_ != nullptr) {
    if (const int32_t code = PrepareComposite(target, uint32_t(cells.Cell(2))); code != 0) return code;
  }
  const int32_t duration = cells.Cell(3);
  duration_ = duration == 0 ? 1u : uint32_t(duration);
  firstStep_ = true;
  lastLevel_ = 0;
  if (timerList->Add(this, 0, 0, 0) != 0) {
    composite_.reset();
    return kRefused;
  }
  if (cells.Cell(4) != 0) EnterLowPriority();
  return 0;
}

int32_t SpriteCrossFadeAction::PrepareComposite(const ObjectArgument& target, uint32_t order) {
  SpriteList* list = new_->OwningList();
  auto* layer = target.Object<CanvasDrawObject>();
  if (list == nullptr || layer == nullptr) return kNoListOrTarget;
  Surface* picture = layer->GetSurface();
  if (picture == nullptr || picture->GetBits() == nullptr) return kNoPicture;
  const Rect screen{0, 0, picture->GetWidth(), picture->GetHeight()};
  Rect oldRect;
  Rect newRect;
  const bool oldOn = IntersectRects(&oldRect, *old_->GetBoundsPtr(), screen);
  const bool newOn = IntersectRects(&newRect, *new_->GetBoundsPtr(), screen);
  Rect overlap;
  if (!oldOn || !newOn || !IntersectRects(&overlap, oldRect, newRect)) return 0;
  const Rect unionRect = UnionOf(oldRect, newRect);
  auto composite = std::make_unique<SpriteComposite>();
  // Without memory for the composite the fade falls back to the alphas.
  if (!composite->Build(unionRect.Width(), unionRect.Height(), PlaceOnLayer(*old_, oldRect, unionRect),
                        PlaceOnLayer(*new_, newRect, unionRect), list, order, unionRect.left, unionRect.top))
    return 0;
  composite_ = std::move(composite);
  return 0;
}

int32_t SpriteCrossFadeAction::Step(uint32_t now) {
  if (firstStep_) {
    firstStep_ = false;
    start_ = now;
    if (composite_) {
      old_->SetVisible(0);
      composite_->Sprite()->SetVisible(1);
    } else if (new_ != nullptr) {
      new_->SetOpacity(0);
      new_->SetVisible(1);
    }
  }
  const uint32_t elapsed = now - start_;
  if (elapsed >= duration_) {
    Finish();
    return -1;
  }
  ApplyLevel(elapsed);
  return 0;
}

void SpriteCrossFadeAction::ApplyLevel(uint32_t elapsed) {
  const uint8_t level = uint8_t(std::trunc(double(elapsed) / double(duration_) * 255.0));
  if (level == lastLevel_) return;
  lastLevel_ = level;
  if (composite_) {
    composite_->ApplyLevel(level);
    return;
  }
  if (old_ != nullptr) old_->SetOpacity(uint8_t(255 - level));
  if (new_ != nullptr) new_->SetOpacity(level);
}

void SpriteCrossFadeAction::Finish() {
  if (composite_) composite_->Sprite()->SetVisible(0);
  if (old_ != nullptr) old_->SetVisible(0);
  if (new_ == nullptr) return;
  if (!composite_) new_->SetOpacity(255);
  new_->SetVisible(1);
}

LayerAction::Loss SpriteCrossFadeAction::LosingSprite(const Drawable& sprite) const {
  for (const ImageSprite* held : {old_, new_}) {
    if (held != nullptr && static_cast<const Drawable*>(held) == &sprite) return Loss::Whole;
  }
  return Loss::None;
}

void SpriteCrossFadeAction::LetGoSprite(const Drawable& sprite) {
  for (ImageSprite** held : {&old_, &new_}) {
    if (*held != nullptr && static_cast<const Drawable*>(*held) == &sprite) *held = nullptr;
  }
}

}  // namespace orrivel
