#include "transition/RippleTransition.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "base/ProcessorInfo.h"
#include "raster/Surface.h"
#include "transition/BandTransitions.h"
#include "transition/RippleKernels.h"

namespace orrivel {

namespace {

// A mirrored coordinate, held inside the picture even when the
// displacement reaches beyond the mirrored edge.
int32_t Mirror(int32_t v, int32_t size) {
  if (v < 0) v = -v;
  if (v >= size) v = 2 * size - v - 1;
  return std::clamp(v, 0, size - 1);
}

int32_t CentreArgument(int32_t value, int32_t size) {
  if (value < 0) return size / 2;
  return value >= size ? size - 1 : value;
}

int32_t WavelengthArgument(int32_t value) {
  return value == 16 || value == 32 || value == 64 || value == 128 ? value : 16;
}

// The band and its pictures, each image's origin at picture (0, 0).
struct ImageOrigin {
  uint8_t* bits = nullptr;
  ptrdiff_t pitch = 0;
  bool Place(Image* image, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!RectInsideImage(image, x, y, w, h)) return false;
    pitch = image->GetPitch();
    bits = image->GetBits() + y * pitch + ptrdiff_t(x) * 4;
    return true;
  }
  uint8_t* Row(int32_t y) const { return bits + y * pitch; }
};

}  // namespace

struct RippleTransition::Pictures {
  ImageOrigin destination, from, to;
};

TcpObject* RippleTransition::Create(int32_t) { return new (std::nothrow) RippleTransition(); }

void RippleTransition::OnFirstUse() {
  ProcessorInfo cpu = Processor();
  if (!PackedKernelsAllowed()) cpu.mmx = false;
  SelectRippleKernels(cpu);
}

void RippleTransition::OnRelease() { ReleaseListedRippleTables(); }

RippleTransition::~RippleTransition() { ReleaseRippleTable(table_); }

int32_t RippleTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  auto* target = first.Object<TransitionTarget>();
  if (target == nullptr || rest.count == 0) return kSetupMissing;
  int32_t width = 0, height = 0;
  if (target->GetDepth() != 32 || !target->GetPictureSize(&width, &height) || width <= 0 ||
      height <= 0)
    return kSetupBadImage;
  duration_ = std::max<uint32_t>(uint32_t(rest.Cell(0)), 2);
  RippleParams p;
  p.width = width;
  p.height = height;
  p.centreX = CentreArgument(rest.Cell(1), width);
  p.centreY = CentreArgument(rest.Cell(2), height);
  p.wavelength = WavelengthArgument(rest.Cell(3));
  const double scale = ReadDecimalArgument(rest, 4, 1.0, kScaleDecimals);
  p.verticalScale = scale > 0 ? float(scale) : 1.0f;
  speed_ = float(ReadDecimalArgument(rest, 5, 6.0, kScaleDecimals));
  const int32_t rings = rest.Cell(6);
  p.ringCount = rings < 1 ? 24 : std::min(rings, 127);
  ReleaseRippleTable(table_);
  table_ = AcquireRippleTable(p);
  if (table_ == nullptr) return kSetupNoMemory;
  params_ = p;
  firstPending_ = true;
  return kSetupDone;
}

int32_t RippleTransition::Update(uint32_t now) {
  if (firstPending_) {
    start_ = now;
    firstPending_ = false;
  }
  const uint32_t e = now - start_;
  elapsed_ = e;
  level_ = uint32_t(std::min<uint64_t>(uint64_t{e} * 255 / duration_, 255));
  const int32_t wl = params_.wavelength;
  const double turns = double(e) * double(speed_) * wl * 0.00015915494398817547;
  int32_t q = std::isfinite(turns) && std::fabs(turns) < 2e9 ? int32_t(turns) % wl : 0;
  if (q < 0) q = 0;
  phase_ = wl - q - 1;
  const double swell = std::sin(double(e) * 3.1415926358979323 / duration_) * params_.ringCount * 4.0;
  radiusStep_ = std::clamp(int32_t(std::max(swell, -1.0)), 0, 4 * params_.ringCount - 1);
  margin_ = radiusStep_ / 4 + 1;
  if (margin_ & 1) ++margin_;
  row_ = table_->displacement.get() + (int64_t{phase_} + 2 * int64_t{wl} * radiusStep_) * 32;
  return 0;
}

void RippleTransition::DrawPixelMirrored(const Pictures& p, int32_t x, int32_t y) const {
  const int32_t cx = params_.centreX, cy = params_.centreY;
  const bool right = x >= cx, upper = y < cy;
  const int16_t* map = table_->MapRow(upper ? cy - y - 1 : y - cy);
  const int16_t pair = row_[map[right ? x - cx : cx - x - 1]];
  const int32_t sx = Mirror(right ? x - RippleDx(pair) : x + RippleDx(pair), params_.width);
  const int32_t sy = Mirror(upper ? y + RippleDy(pair) : y - RippleDy(pair), params_.height);
  uint32_t f, t;
  std::memcpy(&f, p.from.Row(sy) + ptrdiff_t(sx) * 4, 4);
  std::memcpy(&t, p.to.Row(sy) + ptrdiff_t(sx) * 4, 4);
  const uint32_t out = RippleBlend(f, t, level_);
  std::memcpy(p.destination.Row(y) + ptrdiff_t(x) * 4, &out, 4);
}

// Columns [left, right) of line y: the fast kernels inside the margins,
// the mirroring path at the edges.
void RippleTransition::DrawRow(const Pictures& p, int32_t y, int32_t left, int32_t right) const {
  const int32_t w = params_.width, h = params_.height, cx = params_.centreX, cy = params_.centreY;
  const bool rowFast = y >= margin_ && y < h - margin_ && p.from.pitch == p.to.pitch;
  const int32_t fastLeft = rowFast ? std::max(left, margin_) : right;
  const int32_t fastRight = rowFast ? std::min(right, w - margin_) : right;
  for (int32_t x = left; x < std::min(fastLeft, right); ++x) DrawPixelMirrored(p, x, y);
  if (fastLeft < fastRight) {
    const bool upper = y < cy;
    const int16_t* map = table_->MapRow(upper ? cy - y - 1 : y - cy);
    RippleRun run;
    run.from = p.from.Row(y);
    run.to = p.to.Row(y);
    run.pitch = upper ? p.from.pitch : -p.from.pitch;
    run.displacement = row_;
    run.level = level_;
    auto* out = reinterpret_cast<uint32_t*>(p.destination.Row(y));
    const int32_t split = std::clamp(cx, fastLeft, fastRight);
    if (fastLeft < split) {
      run.dst = out + fastLeft;
      run.x = fastLeft;
      run.count = split - fastLeft;
      run.map = map + (cx - fastLeft - 1);
      CurrentRippleBackward()(run);
    }
    if (split < fastRight) {
      run.dst = out + split;
      run.x = split;
      run.count = fastRight - split;
      run.map = map + (split - cx);
      CurrentRippleForward()(run);
    }
  }
  for (int32_t x = std::max(fastRight, fastLeft); x < right; ++x) DrawPixelMirrored(p, x, y);
}

int32_t RippleTransition::Apply(const TransitionApplyRecord& r) {
  if (table_ == nullptr || row_ == nullptr) return 0;
  // The band, cut to the picture.
  const int32_t left = std::max(r.areaX, 0), top = std::max(r.areaY, 0);
  const int32_t right = std::min(r.areaX + r.width, params_.width);
  const int32_t bottom = std::min(r.areaY + r.height, params_.height);
  if (left >= right || top >= bottom) return 0;
  Pictures p;
  // Every picture is placed so that picture (0, 0) is its origin; the from-
  // and to-pictures are read anywhere in the picture, the destination only
  // inside the band.
  if (!p.from.Place(r.from, r.fromX - r.areaX, r.fromY - r.areaY, params_.width, params_.height) ||
      !p.to.Place(r.to, r.toX - r.areaX, r.toY - r.areaY, params_.width, params_.height))
    return kApplyFailed;
  ImageOrigin band;
  if (!band.Place(r.destination, r.destX + (left - r.areaX), r.destY + (top - r.areaY),
                  right - left, bottom - top))
    return kApplyFailed;
  p.destination.pitch = band.pitch;
  p.destination.bits = band.bits - top * band.pitch - ptrdiff_t(left) * 4;
  for (int32_t y = top; y < bottom; ++y) DrawRow(p, y, left, right);
  if (auto* surface = dynamic_cast<Surface*>(r.destination))
    surface->MarkDirty(Rect{r.destX + (left - r.areaX), r.destY + (top - r.areaY),
                            r.destX + (right - r.areaX), r.destY + (bottom - r.areaY)});
  return 0;
}

}  // namespace orrivel
