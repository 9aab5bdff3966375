#include "effect/SpriteChangeAction.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/TimerList.h"
#include "raster/SpriteList.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

constexpr int32_t kExplicitAnchor = -1;

struct Origin {
  int32_t x = 0;
  int32_t y = 0;
};

// The display offset the sprite's picture carries.
Origin OriginOf(const ImageSprite& sprite) {
  const Surface* source = sprite.GetSource();
  if (source == nullptr) return {};
  return {source->GetUserValue1(), source->GetUserValue2()};
}

struct Shown {
  Surface* picture = nullptr;
  Rect rect;
};

// Which composite mode set-up uses for the requested one. A zoomed composite
// holds the wider picture at its own size, so the mode follows the widths:
// 3 when the new picture is the narrower one, else 2.
uint8_t CompositeModeFor(uint8_t requested, bool zoom, int32_t oldWidth, int32_t newWidth) {
  if (!zoom) return requested;
  return newWidth < oldWidth ? 3 : 2;
}

bool ShownOf(const ImageSprite* sprite, Shown* out) {
  return sprite != nullptr && sprite->GetShownPicture(&out->picture, &out->rect) && out->picture != nullptr;
}

Surface* CanvasPicture(const ImageSprite& sprite) {
  SpriteList* list = sprite.OwningList();
  auto* canvas = list == nullptr ? nullptr : dynamic_cast<SpriteCanvas*>(list->Owner());
  return canvas == nullptr ? nullptr : canvas->GetTarget();
}

}  // namespace

int32_t SpriteChangeAction::SetupV(TimerList* timerList, const ObjectArgument&, const ObjectArguments& cells) {
  new_ = ImageSpriteCell(cells, 0);
  old_ = ImageSpriteCell(cells, 1);
  Watch(new_);
  Watch(old_);
  Shown oldShown;
  Shown newShown;
  if (timerList == nullptr || new_ == nullptr || old_ == nullptr || new_ == old_ || new_->OwningList() == nullptr ||
      !ShownOf(old_, &oldShown) || !ShownOf(new_, &newShown))
    return kBadArguments;
  Surface* canvasPicture = CanvasPicture(*new_);
  if (canvasPicture == nullptr) return kBadArguments;
  if (old_->IsStretched()) return kOldDisplaySize;
  new_->SetVisible(0);
  const uint8_t requested = uint8_t(std::clamp<int32_t>(cells.Cell(3), 0, 5));
  zoom_ = cells.Cell(5) != 0;
  drifts_ = (requested & 1) != 0;
  mode_ = requested < 2 ? requested
                        : CompositeModeFor(requested, zoom_, oldShown.rect.Width(), newShown.rect.Width());
  const Origin oldOrigin = OriginOf(*old_);
  const Origin newOrigin = OriginOf(*new_);
  const double oldWidth = oldShown.rect.Width();
  const double newWidth = newShown.rect.Width();

  ImageSprite* animated = new_;
  zoomFrom_ = zoomTo_ = 1.0;
  driftX_ = driftY_ = 0;
  endOffsetX_ = endOffsetY_ = 0;
  if (mode_ == 0) {
    if (const int32_t code = PrepareReplace(); code != 0) return code;
    if (zoom_) zoomFrom_ = oldWidth / newWidth;
  } else if (mode_ == 1) {
    animated = old_;
    if (zoom_) zoomTo_ = newWidth / oldWidth;
    endOffsetX_ = newOrigin.x - oldOrigin.x;
    endOffsetY_ = newOrigin.y - oldOrigin.y;
  } else {
    if (!PrepareComposite(uint32_t(cells.Cell(4)))) return kBadArguments;
    animated = composite_->Sprite();
  }
  if (drifts_) {
    driftX_ = newOrigin.x - oldOrigin.x;
    driftY_ = newOrigin.y - oldOrigin.y;
  }

  const int32_t duration = cells.Cell(6);
  if (!LoadKeys(animated, TextOrNull(cells.Text(2)), duration == 0 ? 1u : uint32_t(duration))) {
    composite_.reset();
    return kBadKeyText;
  }
  // The bottom centre of the layer in the new picture's frame.
  centreX_ = (canvasPicture->GetWidth() >> 1) - newOrigin.x;
  centreY_ = canvasPicture->GetHeight() - newOrigin.y;
  loop_ = false;
  if (zoom_) {
    // Every step turns and scales the sprite itself; one copy fits them all.
    rotationActive_ = false;
    sprite_->SetAnchor(kExplicitAnchor, path_.InitialPivotX(), path_.InitialPivotY());
    sprite_->ReserveRotationBuffer(path_.LargestZoom() * std::max({zoomFrom_, zoomTo_, 1.0}));
  } else {
    PrepareSprite();
  }
  firstStep_ = true;
  sinceStart_ = 0;
  if (timerList->Add(this, 0, 0, 0) != 0) {
    old_ = nullptr;
    return kRefused;
  }
  if (cells.Cell(7) != 0) EnterLowPriority();
  return 0;
}

int32_t SpriteChangeAction::PrepareReplace() {
  const Origin oldOrigin = OriginOf(*old_);
  const Origin newOrigin = OriginOf(*new_);
  new_->SetPosition(old_->GetX() + newOrigin.x - oldOrigin.x, old_->GetY() + newOrigin.y - oldOrigin.y);
  if (old_->IsRotated()) {
    new_->SetAnchor(kExplicitAnchor, old_->GetCentreX(), old_->GetCentreY());
    new_->SetRotation(old_->GetAngle(), old_->GetScale());
  }
  return 0;
}

bool SpriteChangeAction::PrepareComposite(uint32_t order) {
  Shown oldShown;
  Shown newShown;
  ShownOf(old_, &oldShown);
  ShownOf(new_, &newShown);
  const Origin oldOrigin = OriginOf(*old_);
  const Origin newOrigin = OriginOf(*new_);
  CompositePlacement oldPlace{oldShown.picture, oldShown.rect, 0, 0};
  CompositePlacement newPlace{newShown.picture, newShown.rect, 0, 0};
  Rect area;
  Origin compositeOrigin;
  if (zoom_ || drifts_) {
    // Both pictures share the composite's top-left corner; the drift (or the
    // zoom about the path's anchor) carries the picture from one origin to
    // the other.
    if (zoom_) {
      // Set-up chose mode 3 exactly when the new picture is the narrower.
      CompositePlacement& narrow = Reversed() ? newPlace : oldPlace;
      const CompositePlacement& wide = Reversed() ? oldPlace : newPlace;
      const double s = double(wide.rect.Width()) / double(narrow.rect.Width());
      if (narrow.rect.Width() != wide.rect.Width()) {
        const Size size{wide.rect.Width(), std::max(1, int32_t(std::lround(narrow.rect.Height() * s)))};
        work_ = std::make_unique<Surface>();
        if (work_->Create(size.width, size.height, 32, 0) != 0) return false;
        work_->SetHasAlpha(true);
        work_->ScaleCopy(narrow.picture, &size, 0, 0, &narrow.rect);
        narrow.picture = work_.get();
        narrow.rect = Rect{0, 0, size.width, size.height};
      }
      // The composite holds the narrower picture at the wider one's scale:
      // shown at 1 / s it looks as large as itself.
      zoomFrom_ = Reversed() ? 1.0 : 1.0 / s;
      zoomTo_ = Reversed() ? 1.0 / s : 1.0;
    }
    area = UnionOf(oldPlace.Area(), newPlace.Area());
    compositeOrigin = oldOrigin;
    endOffsetX_ = newOrigin.x - oldOrigin.x;
    endOffsetY_ = newOrigin.y - oldOrigin.y;
  } else {
    // Each picture at its own origin, so the old one stays where it was.
    const Rect oldRect{oldOrigin.x, oldOrigin.y, oldOrigin.x + oldShown.rect.Width(),
                       oldOrigin.y + oldShown.rect.Height()};
    const Rect newRect{newOrigin.x, newOrigin.y, newOrigin.x + newShown.rect.Width(),
                       newOrigin.y + newShown.rect.Height()};
    area = UnionOf(oldRect, newRect);
    oldPlace.x = oldRect.left - area.left;
    oldPlace.y = oldRect.top - area.top;
    newPlace.x = newRect.left - area.left;
    newPlace.y = newRect.top - area.top;
    compositeOrigin = {area.left, area.top};
    endOffsetX_ = newOrigin.x - area.left;
    endOffsetY_ = newOrigin.y - area.top;
  }
  // Mode 3 fades its composite backwards: the new picture fills the place
  // that fades out and the old one the place that fades in.
  if (Reversed()) std::swap(oldPlace, newPlace);
  composite_ = std::make_unique<SpriteComposite>();
  const int32_t x = old_->GetX() + compositeOrigin.x - oldOrigin.x;
  const int32_t y = old_->GetY() + compositeOrigin.y - oldOrigin.y;
  if (!composite_->Build(area.Width(), area.Height(), oldPlace, newPlace, new_->OwningList(), order, x, y)) {
    composite_.reset();
    return false;
  }
  composite_->GetSurface()->SetUserValue1(compositeOrigin.x);
  composite_->GetSurface()->SetUserValue2(compositeOrigin.y);
  return true;
}

int32_t SpriteChangeAction::Step(uint32_t now) {
  if (firstStep_) {
    firstStep_ = false;
    changeStart_ = now;
    if (mode_ == 0) {
      old_->SetVisible(0);
      new_->SetVisible(1);
    } else if (composite_) {
      old_->SetVisible(0);
      composite_->Sprite()->SetVisible(1);
    }
  }
  sinceStart_ = now - changeStart_;
  return SpritePanimeAction::Step(now);
}

double SpriteChangeAction::PathProgress() const {
  const int32_t total = path_.TotalTime();
  if (total <= 0) return 1.0;
  return std::min(1.0, double(sinceStart_) / double(total));
}

uint8_t SpriteChangeAction::CompositeLevel(double u) const {
  const uint8_t level = uint8_t(std::trunc(u * 255.0));
  return Reversed() ? uint8_t(255 - level) : level;
}

void SpriteChangeAction::ApplyKey(const PathRecord& key, double t) {
  const double u = PathProgress();
  if (composite_) composite_->ApplyLevel(CompositeLevel(u));
  SpritePanimeAction::ApplyKey(key, t);
  if (zoom_) {
    const PathRecord& from = previousKey_;
    const double scale = from.zoom + (key.zoom - from.zoom) * t;
    const double turns = from.rotation + (key.rotation - from.rotation) * t;
    sprite_->SetRotation(int32_t(std::trunc(turns * 512.0)), scale * ZoomFactor(u));
  }
  if (drifts_) sprite_->MoveBy(int32_t(std::trunc(driftX_ * u)), int32_t(std::trunc(driftY_ * u)));
}

void SpriteChangeAction::GoToEnd() {
  if (new_ == nullptr) return;
  // Also in mode 0: a change stopped before its first step would otherwise
  // leave both sprites as set-up left them, the new one hidden.
  if (sprite_ != nullptr && sprite_ != new_) sprite_->SetVisible(0);
  if (composite_) composite_->Sprite()->SetVisible(0);
  if (old_ != nullptr) old_->SetVisible(0);
  new_->SetVisible(1);
  sprite_ = new_;
  if (zoom_) {
    // The new sprite ends at its own size, turned as the end key says.
    rotationActive_ = true;
    zoomFrom_ = zoomTo_ = 1.0;
  }
  SpritePanimeAction::GoToEnd();
}

LayerAction::Loss SpriteChangeAction::LosingSprite(const Drawable& sprite) const {
  for (const ImageSprite* held : {old_, new_}) {
    if (held != nullptr && static_cast<const Drawable*>(held) == &sprite) return Loss::Whole;
  }
  return SpritePanimeAction::LosingSprite(sprite);
}

void SpriteChangeAction::LetGoSprite(const Drawable& sprite) {
  for (ImageSprite** held : {&old_, &new_}) {
    if (*held != nullptr && static_cast<const Drawable*>(*held) == &sprite) *held = nullptr;
  }
  SpritePanimeAction::LetGoSprite(sprite);
}

}  // namespace orrivel
