#include "transition/WaveTransition.h"

#include <algorithm>
#include <new>

#include "base/MathTables.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/Surface.h"

namespace orrivel {

namespace {

uint32_t MoveColour(uint32_t a, uint32_t b, uint32_t m) {
  uint32_t out = a & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int32_t ca = int32_t(a >> shift & 0xFF), cb = int32_t(b >> shift & 0xFF);
    out |= uint32_t(ca + (((cb - ca) * int32_t(m)) >> 8)) << shift;
  }
  return out;
}

uint32_t* PixelAt(Image* image, int32_t x, int32_t y) {
  return reinterpret_cast<uint32_t*>(image->GetBits() + ptrdiff_t(y) * image->GetPitch()) + x;
}

}  // namespace

TcpObject* WaveTransition::Create(int32_t) { return new (std::nothrow) WaveTransition(); }

int32_t WaveTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  auto* target = first.Object<TransitionTarget>();
  if (target == nullptr || rest.count == 0) return kSetupMissing;
  int32_t width = 0;
  if (target->GetDepth() != 32 || !target->GetPictureSize(&width, &height_) || height_ <= 0)
    return kSetupBadImage;
  if (LibraryEntry(kPixelOpBlendRows) == nullptr) return kSetupBadImage;
  tables_ = GetMathTables();
  if (tables_ == nullptr) return kSetupNoMathTables;
  duration_ = std::max<uint32_t>(uint32_t(rest.Cell(0)), 2);
  half_ = duration_ / 2;
  kind_ = rest.Cell(1);
  maxAmplitude_ = rest.Cell(2);
  step_ = rest.Cell(3);
  colourA_ = uint32_t(rest.Cell(4));
  colourB_ = uint32_t(rest.Cell(5));
  firstPending_ = true;
  return kSetupDone;
}

int32_t WaveTransition::Update(uint32_t now) {
  if (firstPending_) {
    start_ = now;
    firstPending_ = false;
  }
  const uint32_t e = now - start_;
  elapsed_ = std::min(e, duration_);
  const uint32_t u = e < half_ ? e : e < duration_ ? duration_ - e : 0;
  const int64_t s = tables_->Sin(int32_t(uint64_t{u} * 128 / half_));
  amplitude_ = int32_t((int64_t{maxAmplitude_} * s) >> 16);
  const int64_t step = step_, elapsed = elapsed_, duration = duration_;
  if (kind_ == 0)
    phaseStep_ = int32_t((step * s) >> 16);
  else if (kind_ == 1)
    phaseStep_ = int32_t((duration - elapsed) * step / duration);
  else if (kind_ == 2)
    phaseStep_ = int32_t(step * elapsed / duration);
  else
    phaseStep_ = step_;
  phaseBase_ = kind_ >= 0 && kind_ <= 2 ? int32_t(-(int64_t{height_} / 2) * phaseStep_)
                                        : int32_t(step * elapsed / duration * maxAmplitude_);
  level_ = uint32_t(std::min<uint64_t>(uint64_t{elapsed_} * 255 / duration_, 255));
  edgeColour_ = MoveColour(colourA_, colourB_, level_ == 0 ? 0 : level_ + 1);
  return 0;
}

int32_t WaveTransition::Apply(const TransitionApplyRecord& r) {
  auto blend = reinterpret_cast<PixelOpBlendRowsFn>(LibraryEntry(kPixelOpBlendRows));
  Image *destination = r.destination, *from = r.from, *to = r.to;
  if (blend == nullptr || destination == nullptr || from == nullptr || to == nullptr ||
      destination->GetBits() == nullptr || from->GetBits() == nullptr || to->GetBits() == nullptr)
    return kApplyFailed;
  const int32_t w = destination->GetWidth();
  // Columns of the band that land inside the destination.
  const int32_t bandLeft = std::max(r.areaX, r.areaX - r.destX);
  const int32_t bandRight = std::min(r.areaX + r.width, r.areaX - r.destX + w);
  for (int32_t j = 0; j < r.height; ++j) {
    const int32_t dy = r.destY + j, fy = r.fromY + j, ty = r.toY + j;
    if (dy < 0 || dy >= destination->GetHeight() || fy < 0 || fy >= from->GetHeight() || ty < 0 ||
        ty >= to->GetHeight())
      continue;
    const auto phase = uint32_t(int64_t{r.areaY + j} * phaseStep_ + phaseBase_);
    const int32_t shift =
        int32_t((int64_t{tables_->Sin(int32_t(phase >> 9))} * amplitude_) >> 16);
    // The uncovered edge, then the shifted blend; the reads stay inside
    // both pictures.
    const int32_t edgeLeft = shift > 0 ? 0 : w + shift, edgeRight = shift > 0 ? shift : w;
    for (int32_t x = std::max(edgeLeft, bandLeft); shift != 0 && x < std::min(edgeRight, bandRight); ++x)
      *PixelAt(destination, r.destX + (x - r.areaX), dy) = edgeColour_;
    const int32_t sourceWidth = std::min(from->GetWidth(), to->GetWidth());
    const int32_t left = std::max(shift, bandLeft);
    const int32_t right = std::min({int32_t(int64_t{shift} + w), bandRight, shift + sourceWidth});
    if (left < right)
      blend(PixelAt(destination, r.destX + (left - r.areaX), dy), PixelAt(from, left - shift, fy),
            PixelAt(to, left - shift, ty), right - left, int32_t(level_));
  }
  if (auto* surface = dynamic_cast<Surface*>(destination))
    surface->MarkDirty(Rect{r.destX, r.destY, r.destX + r.width, r.destY + r.height});
  return 0;
}

}  // namespace orrivel
