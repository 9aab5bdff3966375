#include "effect/SpriteGroupFadeAction.h"

#include <algorithm>
#include <cmath>

#include "base/TimerList.h"
#include "effect/OverlayTarget.h"
#include "effect/SpritePanimeAction.h"
#include "raster/BlendTables.h"
#include "scene/ImageSprite.h"

namespace orrivel {
namespace {

// The alpha byte of a 32-bit pixel row.
uint8_t* AlphaAt(Surface& surface, int32_t x, int32_t y) { return surface.GetScanLine(y) + size_t(x) * 4 + 3; }

bool HasAlphaPlane(const Surface* surface) { return surface != nullptr && surface->GetBitsPerPixel() == 32; }

}  // namespace

int32_t SpriteGroupFadeAction::SetupV(TimerList* timerList, const ObjectArgument&, const ObjectArguments& cells) {
  ImageSprite* sprite = ImageSpriteCell(cells, 0);
  if (timerList == nullptr || sprite == nullptr) return kBadArguments;
  sprite_ = sprite;
  Watch(sprite_);
  duration_ = uint32_t(cells.Cell(1));
  if (duration_ == 0) {
    FinishWipe();
    return kShownAtOnce;
  }
  direction_ = std::min<uint8_t>(uint8_t(cells.Cell(2)), kFromBottom);
  band_ = uint16_t(cells.Cell(3));
  sourceRect_ = sprite->GetSourceRect();
  x_ = sprite->GetX();
  y_ = sprite->GetY();
  length_ = Vertical() ? sourceRect_.Height() : sourceRect_.Width();
  // Only a 32-bit surface has an alpha to shade; any other gets a hard edge.
  if (!HasAlphaPlane(sprite->GetSource())) band_ = 0;
  if (band_ != 0) {
    const int32_t across = Vertical() ? sourceRect_.Width() : sourceRect_.Height();
    save_ = std::make_unique<Surface>();
    const int32_t w = Vertical() ? across : band_;
    const int32_t h = Vertical() ? band_ : across;
    if (save_->Create(w, h, 8, 0) != 0) return kNoBuffers;
    const bool rising = FromFarSide();
    if (RampBufferBuild(&ramp_, band_, rising ? 0 : 255, rising ? 255 : 0, 8) != 0) return kNoBuffers;
    travel_ = length_ + band_;
    lastEdge_ = -int32_t(band_);
  } else {
    save_.reset();
    travel_ = length_;
    lastEdge_ = 0;
  }
  curve_ = DecimalCell(cells, 4, 0.0, kCurveDecimals);
  bandRect_ = Rect{};
  start_ = 0;
  drawn_ = false;
  if (timerList->Add(this, 0, 0, 0) != 0) return kRefused;
  sprite->SetVisible(0);
  if (cells.Given(4)) EnterLowPriority();
  return 0;
}

int32_t SpriteGroupFadeAction::Step(uint32_t now) {
  if (start_ == 0) start_ = now;
  const uint32_t elapsed = now - start_;
  if (elapsed >= duration_) {
    FinishWipe();
    return 1;
  }
  double shaped = double(elapsed);
  if (curve_ != 0.0) {
    const double u = double(elapsed) / double(duration_);
    shaped = curve_ > 0 ? double(duration_) * std::pow(u, curve_)
                        : double(duration_) * (1.0 - std::pow(1.0 - u, -curve_));
  }
  Draw(static_cast<uint32_t>(std::trunc(shaped)));
  return 0;
}

void SpriteGroupFadeAction::BandSpan(int32_t p, int32_t* from, int32_t* to, int32_t* rampStart) const {
  const int32_t start = FromFarSide() ? length_ - p : p - band_;
  *rampStart = start;
  *from = std::clamp(start, 0, length_);
  *to = std::clamp(start + int32_t(band_), 0, length_);
}

Rect SpriteGroupFadeAction::BandRect(int32_t from, int32_t to) const {
  const Rect& s = sourceRect_;
  if (Vertical()) return Rect{s.left, s.top + from, s.right, s.top + to};
  return Rect{s.left + from, s.top, s.left + to, s.bottom};
}

void SpriteGroupFadeAction::SaveBand() {
  Surface& surface = *sprite_->GetSource();
  for (int32_t y = bandRect_.top; y < bandRect_.bottom; ++y) {
    uint8_t* saved = save_->GetScanLine(y - bandRect_.top);
    const uint8_t* alpha = AlphaAt(surface, bandRect_.left, y);
    for (int32_t i = 0; i < bandRect_.Width(); ++i) saved[i] = alpha[size_t(i) * 4];
  }
}

void SpriteGroupFadeAction::RestoreBand() {
  if (bandRect_.IsEmpty()) return;
  Surface& surface = *sprite_->GetSource();
  for (int32_t y = bandRect_.top; y < bandRect_.bottom; ++y) {
    const uint8_t* saved = save_->GetScanLine(y - bandRect_.top);
    uint8_t* alpha = AlphaAt(surface, bandRect_.left, y);
    for (int32_t i = 0; i < bandRect_.Width(); ++i) alpha[size_t(i) * 4] = saved[i];
  }
  Rect repaint = bandRect_;
  sprite_->InvalidateSourceRect(&repaint);
  bandRect_ = Rect{};
}

void SpriteGroupFadeAction::ShadeBand(int32_t rampStart) {
  Surface& surface = *sprite_->GetSource();
  const uint8_t* ramp = ramp_.Bytes();
  const int32_t origin = (Vertical() ? sourceRect_.top : sourceRect_.left) + rampStart;
  const bool vertical = Vertical();
  for (int32_t y = bandRect_.top; y < bandRect_.bottom; ++y) {
    uint8_t* alpha = AlphaAt(surface, bandRect_.left, y);
    for (int32_t x = bandRect_.left; x < bandRect_.right; ++x, alpha += 4)
      *alpha = ProductTable[*alpha][ramp[(vertical ? y : x) - origin]];
  }
  Rect repaint = bandRect_;
  sprite_->InvalidateSourceRect(&repaint);
}

void SpriteGroupFadeAction::Draw(uint32_t shapedTime) {
  const int32_t p = int32_t((uint64_t(uint32_t(travel_)) * shapedTime) / duration_);
  if (p <= 0 || p == lastEdge_) return;
  if (!drawn_) {
    drawn_ = true;
    sprite_->SetVisible(1);
  } else if (band_ != 0) {
    RestoreBand();
  }
  lastEdge_ = p;
  if (band_ != 0) {
    int32_t from = 0, to = 0, rampStart = 0;
    BandSpan(p, &from, &to, &rampStart);
    if (from < to) {
      bandRect_ = BandRect(from, to);
      SaveBand();
      ShadeBand(rampStart);
    }
  }
  const int32_t shown = std::min(p, length_);
  if (p > length_) sprite_->SetChanged(1);
  Rect source = sourceRect_;
  switch (direction_) {
    case kFromLeft: source.right = source.left + shown; break;
    case kFromRight: source.left = source.right - shown; break;
    case kFromTop: source.bottom = source.top + shown; break;
    default: source.top = source.bottom - shown; break;
  }
  sprite_->SetSourceRect(&source);
  if (direction_ == kFromRight) sprite_->SetPosition(x_ + length_ - shown, y_);
  if (direction_ == kFromBottom) sprite_->SetPosition(x_, y_ + length_ - shown);
}

void SpriteGroupFadeAction::FinishWipe() {
  if (sprite_ == nullptr) return;
  if (!drawn_) {
    sprite_->SetVisible(1);
    return;
  }
  sprite_->SetSourceRect(&sourceRect_);
  if (FromFarSide()) sprite_->SetPosition(x_, y_);
  if (band_ != 0) {
    RestoreBand();
    sprite_->SetChanged(1);
  }
  drawn_ = false;
  sprite_->SetVisible(1);
}

LayerAction::Loss SpriteGroupFadeAction::LosingSprite(const Drawable& sprite) const {
  return sprite_ != nullptr && static_cast<const Drawable*>(sprite_) == &sprite ? Loss::Whole : Loss::None;
}

void SpriteGroupFadeAction::LetGoSprite(const Drawable& sprite) {
  if (sprite_ != nullptr && static_cast<const Drawable*>(sprite_) == &sprite) sprite_ = nullptr;
}

}  // namespace orrivel
