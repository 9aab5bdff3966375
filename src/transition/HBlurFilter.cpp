#include "transition/HBlurFilter.h"

#include <algorithm>
#include <new>

#include "raster/LibraryImageOps.h"
#include "raster/PixelFilters.h"
#include "raster/PixelOpEntries.h"
#include "raster/Surface.h"
#include "transition/BandTransitions.h"

namespace orrivel {

namespace {

struct BlurSource {
  Image* image;
  int32_t x, y;
};

uint8_t* BandStart(Image* image, int32_t x, int32_t y) {
  return image->GetBits() + ptrdiff_t(y) * image->GetPitch() + ptrdiff_t(x) * 4;
}

}  // namespace

TcpObject* HBlurFilter::Create(int32_t) { return new (std::nothrow) HBlurFilter(); }

int32_t HBlurFilter::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  mode_ = uint8_t(rest.Cell(1));
  const auto radius = uint8_t(rest.Cell(2));
  radius_ = radius == 0 ? 1 : std::min<uint8_t>(radius, 127);
  maximum_ = mode_ == 0 ? 2u * radius_ + 1 : 255u;
  time_.firstPending = true;
  return kSetupDone;
}

int32_t HBlurFilter::Update(uint32_t now) {
  progress_ = time_.TakeFirst(now)
                  ? 0
                  : uint32_t(std::min<uint64_t>(uint64_t(now - time_.start) * maximum_ / time_.duration,
                                                maximum_));
  return 0;
}

int32_t HBlurFilter::Apply(const TransitionApplyRecord& r) {
  if (r.width <= 0 || r.height <= 0) return 0;
  if (!RectInsideImage(r.destination, r.destX, r.destY, r.width, r.height)) return kApplyFailed;
  const int32_t p = int32_t(progress_), radius = radius_;
  int32_t blur = 0;
  uint8_t level = 255;
  BlurSource source{r.from, r.fromX, r.fromY};
  if (mode_ == 0) {
    if (p > radius) source = {r.to, r.toX, r.toY};
    blur = p <= radius ? p : 2 * radius + 1 - p;
  } else {
    blur = (p < 128 ? radius * p : radius * (255 - p)) / 127;
    level = uint8_t(p);
    if (blur == 0) {
      auto* destination = dynamic_cast<Surface*>(r.destination);
      if (destination == nullptr) return kApplyFailed;
      return ApplyPixelOp25(destination, r.from, r.to, p, 0, r.destX, r.destY, r.width, r.height,
                            r.fromX, r.fromY, r.toX, r.toY) == 0
                 ? 0
                 : kApplyFailed;
    }
  }
  if (!RectInsideImage(r.from, r.fromX, r.fromY, r.width, r.height) ||
      (mode_ != 0 || p > radius ? !RectInsideImage(r.to, r.toX, r.toY, r.width, r.height) : false))
    return kApplyFailed;
  const int32_t dstSkip = r.destination->GetPitch() - 4 * r.width;
  uint8_t* dst = BandStart(r.destination, r.destX, r.destY);
  if (mode_ == 0 && blur == 0) {
    CopyImageRect32(CurrentCopyKernel32(), r.destination, r.destX, r.destY, source.image,
                    Rect{source.x, source.y, source.x + r.width, source.y + r.height});
  } else if (mode_ == 0) {
    BoxBlurDraw32(dst, BandStart(source.image, source.x, source.y), dstSkip,
                  source.image->GetPitch() - 4 * r.width, r.width, r.height, source.x,
                  source.image->GetWidth() - source.x - 1, blur);
  } else {
    CopyImageRect32(CurrentCopyKernel32(), r.destination, r.destX, r.destY, r.from,
                    Rect{r.fromX, r.fromY, r.fromX + r.width, r.fromY + r.height});
    BoxBlurDraw32Alt(dst, BandStart(r.to, r.toX, r.toY), dstSkip, r.to->GetPitch() - 4 * r.width,
                     r.width, r.height, r.toX, r.to->GetWidth() - r.toX - 1, blur, level);
  }
  if (auto* surface = dynamic_cast<Surface*>(r.destination))
    surface->MarkDirty(Rect{r.destX, r.destY, r.destX + r.width, r.destY + r.height});
  return 0;
}

}  // namespace orrivel
