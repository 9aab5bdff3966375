#include "transition/QuakeFilter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "base/MathTables.h"
#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"
#include "transition/BandTransitions.h"

namespace orrivel {

namespace {

QuakeFilter::RandomSource gRandom = nullptr;

int32_t Truncate(double v) {
  return std::isfinite(v) ? int32_t(std::clamp(v, -2147483648.0, 2147483647.0)) : 0;
}

}  // namespace

void QuakeFilter::BindRandom(RandomSource draw) { gRandom = draw; }

TcpObject* QuakeFilter::Create(int32_t) { return new (std::nothrow) QuakeFilter(); }

int32_t QuakeFilter::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  auto* target = first.Object<TransitionTarget>();
  if (target == nullptr || rest.count == 0) return kSetupMissing;
  if (target->GetDepth() != 32) return kSetupBadImage;
  if (gRandom == nullptr) return kSetupNoRandom;
  random_ = gRandom;
  // A sine swing reads the cosine table; without it the quake jolts.
  tables_ = GetMathTables();
  duration_ = uint32_t(rest.Cell(3));
  const int32_t swing = rest.Cell(0);
  swing_ = duration_ != 0 ? int32_t(int64_t{swing} * 256) : std::abs(swing);
  if (tables_ == nullptr) swing_ = 0;
  amplitudeX_ = rest.Cell(1);
  amplitudeY_ = rest.Cell(2);
  endScale_ = ReadDecimalArgument(rest, 4, 0.0, kScaleDecimals);
  fill_ = rest.Cell(5) != 0;
  state_ = 0;
  return kSetupDone;
}

void QuakeFilter::Swing(int32_t phase, double scale) {
  const int64_t c = tables_->Sin(phase);
  offsetX_ = Truncate(double((int64_t{Truncate(amplitudeX_)} * c) >> 16) * scale);
  offsetY_ = Truncate(double((int64_t{Truncate(amplitudeY_)} * c) >> 16) * scale);
}

void QuakeFilter::Jolt(double scale) {
  const double r1 = random_() * 1e-9, r2 = random_() * 1e-9;
  const double ax = amplitudeX_, ay = amplitudeY_;
  const double sign = alternate_ ? 1.0 : -1.0;
  offsetX_ = Truncate((r1 * ax - 0.5 * ax) * scale);
  offsetY_ = Truncate((r2 * ay - 0.5 * ay) * scale);
  if (ax > ay) offsetX_ = Truncate(sign * r1 * ax * scale);
  if (ax < ay) offsetY_ = Truncate(sign * r2 * ay * scale);
  alternate_ = !alternate_;
}

int32_t QuakeFilter::Update(uint32_t now) {
  if (state_ == 2) return 0;
  if (state_ == 0) {
    start_ = now;
    state_ = 1;
    alternate_ = false;
  }
  uint32_t e = now - start_;
  double scale = 1.0;
  int32_t phase = 0;
  if (duration_ != 0) {
    if (e >= duration_) {
      state_ = 2;
      offsetX_ = offsetY_ = 0;
      return 0;
    }
    const double t = double(e) / duration_;
    scale = 1.0 - (1.0 - endScale_) * t;
    if (swing_ != 0) phase = Truncate(swing_ * t);
  } else if (swing_ != 0) {
    if (e >= uint32_t(swing_)) {
      start_ = now;
      e = uint32_t(swing_);
    }
    phase = Truncate(double(e) / swing_ * 511.0);
  }
  if (swing_ != 0)
    Swing(phase, scale);
  else
    Jolt(scale);
  return 0;
}

int32_t QuakeFilter::Apply(const TransitionApplyRecord& r) {
  if (r.width <= 0 || r.height <= 0 || r.from == nullptr || r.destination == nullptr) return 0;
  // The source band moved by the offsets, cut to the from-picture; the
  // destination band shrinks by the same amounts, and is cut to its image.
  int32_t sx = r.fromX - offsetX_, sy = r.fromY - offsetY_;
  Rect dst{r.destX, r.destY, r.destX + r.width, r.destY + r.height};
  const int32_t cutLeft = std::max({0, -sx, -r.destX}), cutTop = std::max({0, -sy, -r.destY});
  const int32_t cutRight = std::max({0, sx + r.width - r.from->GetWidth(),
                                     r.destX + r.width - r.destination->GetWidth()});
  const int32_t cutBottom = std::max({0, sy + r.height - r.from->GetHeight(),
                                      r.destY + r.height - r.destination->GetHeight()});
  const Rect shrunk{dst.left + cutLeft, dst.top + cutTop, dst.right - cutRight, dst.bottom - cutBottom};
  sx += cutLeft;
  sy += cutTop;
  if (fill_) {
    if (auto* surface = dynamic_cast<Surface*>(r.destination)) {
      const Rect strips[] = {{dst.left, dst.top, dst.right, shrunk.top},
                             {dst.left, shrunk.top, shrunk.left, dst.bottom},
                             {shrunk.right, shrunk.top, dst.right, dst.bottom},
                             {shrunk.left, shrunk.bottom, shrunk.right, dst.bottom}};
      for (const Rect& strip : strips)
        if (strip.left < strip.right && strip.top < strip.bottom) FillRectOp(surface, 0, strip);
    }
  }
  const int32_t w = shrunk.right - shrunk.left, h = shrunk.bottom - shrunk.top;
  if (w > 0 && h > 0 && r.from->GetBits() != nullptr && r.destination->GetBits() != nullptr) {
    CopyImageRect32(CurrentCopyKernel32(), r.destination, shrunk.left, shrunk.top, r.from,
                    Rect{sx, sy, sx + w, sy + h});
    if (auto* surface = dynamic_cast<Surface*>(r.destination)) surface->MarkDirty(shrunk);
  }
  return 0;
}

}  // namespace orrivel
