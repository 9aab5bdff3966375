#include "transition/ScrollTransition.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "raster/Surface.h"
#include "transition/BandTransitions.h"

namespace orrivel {

namespace {

Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

bool Empty(const Rect& r) { return r.left >= r.right || r.top >= r.bottom; }

// The under rectangle without what the over rectangle covers along the axis.
void TrimUnder(Rect* under, const Rect& over, bool horizontal) {
  if (horizontal) {
    if (over.left > under->left)
      under->right = std::min(under->right, over.left);
    else
      under->left = std::max(under->left, over.right);
  } else {
    if (over.top > under->top)
      under->bottom = std::min(under->bottom, over.top);
    else
      under->top = std::max(under->top, over.bottom);
  }
}

// Colour channels of d moved toward s by level / 255, rounded; d's alpha kept.
uint32_t MixAtLevel(uint32_t d, uint32_t s, uint32_t level) {
  uint32_t out = d & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t a = d >> shift & 0xFF, b = s >> shift & 0xFF;
    out |= ((a * (255 - level) + b * level + 127) / 255) << shift;
  }
  return out;
}

// Draws the part of a picture's rectangle (placed with its top-left at
// position) that lies inside the band and the destination: copied, or
// blended at a level when level is 0..255.
void DrawPart(const TransitionApplyRecord& r, Image* picture, int32_t px, int32_t py, Rect part,
              int level) {
  if (picture == nullptr || picture->GetBits() == nullptr) return;
  // Inside the picture, the band and the destination image.
  part = Intersect(part, Rect{px, py, px + picture->GetWidth(), py + picture->GetHeight()});
  part = Intersect(part, Rect{r.areaX, r.areaY, r.areaX + r.width, r.areaY + r.height});
  const int32_t shiftX = r.destX - r.areaX, shiftY = r.destY - r.areaY;
  part = Intersect(part, Rect{-shiftX, -shiftY, r.destination->GetWidth() - shiftX,
                              r.destination->GetHeight() - shiftY});
  if (Empty(part) || level == 0) return;
  const Rect source{part.left - px, part.top - py, part.right - px, part.bottom - py};
  if (level >= 255) {
    CopyImageRect32(CurrentCopyKernel32(), r.destination, part.left + shiftX, part.top + shiftY,
                    picture, source);
    return;
  }
  const int32_t w = part.right - part.left, h = part.bottom - part.top;
  const int32_t dp = r.destination->GetPitch(), sp = picture->GetPitch();
  uint8_t* dst = r.destination->GetBits() + ptrdiff_t(part.top + shiftY) * dp + ptrdiff_t(part.left + shiftX) * 4;
  const uint8_t* src = picture->GetBits() + ptrdiff_t(source.top) * sp + ptrdiff_t(source.left) * 4;
  for (int32_t j = 0; j < h; ++j, dst += dp, src += sp) {
    auto* out = reinterpret_cast<uint32_t*>(dst);
    const auto* in = reinterpret_cast<const uint32_t*>(src);
    for (int32_t i = 0; i < w; ++i) out[i] = MixAtLevel(out[i], in[i], uint32_t(level));
  }
}

}  // namespace

TcpObject* ScrollTransition::Create(int32_t) { return new (std::nothrow) ScrollTransition(); }

int32_t ScrollTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  int32_t width = 0, height = 0;
  if (!first.Object<TransitionTarget>()->GetPictureSize(&width, &height) || width < 0 ||
      height < 0)
    return kSetupBadImage;
  direction_ = std::min<uint8_t>(uint8_t(rest.Cell(1)), 3);
  const auto motion = uint8_t(rest.Cell(2));
  fade_ = motion > 2;
  motion_ = motion == 4 ? 1 : motion > 2 ? 0 : motion;
  exponent_ = ReadDecimalArgument(rest, 3, 0.0, kCurveDecimals);
  distance_ = uint32_t(direction_ == 0 || direction_ == 2 ? width : height);
  time_.firstPending = true;
  return kSetupDone;
}

int32_t ScrollTransition::Update(uint32_t now) {
  if (time_.TakeFirst(now)) {
    offset_ = 0;
    if (fade_) fadeLevel_ = motion_ == 1 ? 255 : 0;
    return 0;
  }
  const uint32_t e = now - time_.start, duration = time_.duration;
  uint32_t eased = duration;
  if (e < duration) {
    const double t = double(e) / duration;
    if (exponent_ > 0)
      eased = uint32_t(duration * std::pow(t, exponent_));
    else if (exponent_ < 0)
      eased = uint32_t(duration * (1.0 - std::pow(1.0 - t, -exponent_)));
    else
      eased = e;
    eased = std::min(eased, duration);
  }
  offset_ = uint32_t(uint64_t{distance_} * eased / duration);
  if (fade_) {
    const auto level = uint8_t(uint64_t{eased} * 255 / duration);
    fadeLevel_ = motion_ == 1 ? uint8_t(255 - level) : level;
  }
  return 0;
}

int32_t ScrollTransition::Apply(const TransitionApplyRecord& r) {
  if (r.destination == nullptr || r.destination->GetBits() == nullptr || r.from == nullptr ||
      r.width <= 0 || r.height <= 0)
    return 0;
  const int32_t w = r.from->GetWidth(), h = r.from->GetHeight(), d = int32_t(offset_);
  int32_t newX = 0, newY = 0, oldX = 0, oldY = 0;
  const bool slideNew = motion_ != 1, slideOld = motion_ != 0;
  switch (direction_) {
    case 0:
      if (slideNew) newX = d - w;
      if (slideOld) oldX = d;
      break;
    case 1:
      if (slideNew) newY = d - h;
      if (slideOld) oldY = d;
      break;
    case 2:
      if (slideNew) newX = w - d;
      if (slideOld) oldX = -d;
      break;
    default:
      if (slideNew) newY = h - d;
      if (slideOld) oldY = -d;
      break;
  }
  Rect newRect{newX, newY, newX + w, newY + h}, oldRect{oldX, oldY, oldX + w, oldY + h};
  const bool horizontal = direction_ == 0 || direction_ == 2;
  if (!fade_ && motion_ == 1) TrimUnder(&newRect, oldRect, horizontal);
  if (!fade_ && motion_ == 0) TrimUnder(&oldRect, newRect, horizontal);
  if (fade_ && motion_ == 1) {
    DrawPart(r, r.to, newX, newY, newRect, 255);
    DrawPart(r, r.from, oldX, oldY, oldRect, fadeLevel_);
  } else {
    DrawPart(r, r.from, oldX, oldY, oldRect, 255);
    DrawPart(r, r.to, newX, newY, newRect, fade_ ? fadeLevel_ : 255);
  }
  if (auto* surface = dynamic_cast<Surface*>(r.destination))
    surface->MarkDirty(Rect{r.destX, r.destY, r.destX + r.width, r.destY + r.height});
  return 0;
}

}  // namespace orrivel
