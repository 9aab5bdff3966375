#include "transition/AddSubFilter.h"

#include <new>

#include "raster/KernelFlags.h"
#include "raster/PixelFilters.h"
#include "raster/Surface.h"
#include "transition/BandTransitions.h"

namespace orrivel {

TcpObject* AddSubFilter::Create(int32_t) { return new (std::nothrow) AddSubFilter(); }

int32_t AddSubFilter::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  mode_ = uint8_t(rest.Cell(1));
  time_.firstPending = true;
  return kSetupDone;
}

int32_t AddSubFilter::Update(uint32_t now) {
  progress_ = time_.TakeFirst(now) ? 0 : uint8_t(time_.Scaled(now, 255));
  return 0;
}

int32_t AddSubFilter::Apply(const TransitionApplyRecord& r) {
  if (r.width <= 0 || r.height <= 0) return 0;
  const bool fromSide = progress_ != 255 && (mode_ & 1) == 0;
  Image* source = fromSide ? r.from : r.to;
  const int32_t sx = fromSide ? r.fromX : r.toX, sy = fromSide ? r.fromY : r.toY;
  if (!RectInsideImage(source, sx, sy, r.width, r.height) ||
      !RectInsideImage(r.destination, r.destX, r.destY, r.width, r.height))
    return kApplyFailed;
  CopyImageRect32(CurrentCopyKernel32(), r.destination, r.destX, r.destY, source,
                  Rect{sx, sy, sx + r.width, sy + r.height});
  if (progress_ != 255) {
    const uint32_t v = (mode_ & 1) ? 255u - progress_ : progress_;
    const uint32_t colour = v * 0x010101u;
    uint8_t* band = r.destination->GetBits() + ptrdiff_t(r.destY) * r.destination->GetPitch() +
                    ptrdiff_t(r.destX) * 4;
    const int skip = r.destination->GetPitch() - 4 * r.width;
    const bool packed = MmxFlag();
    if (mode_ < 2)
      (packed ? &AddColorSat32Mmx : &AddColorSat32)(band, skip, r.width, r.height, colour);
    else
      (packed ? &SubColorSat32Mmx : &SubColorSat32)(band, skip, r.width, r.height, colour);
  }
  if (auto* surface = dynamic_cast<Surface*>(r.destination))
    surface->MarkDirty(Rect{r.destX, r.destY, r.destX + r.width, r.destY + r.height});
  return 0;
}

}  // namespace orrivel
