#include "transition/MosaicTransition.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "raster/Surface.h"
#include "transition/BandTransitions.h"

namespace orrivel {

namespace {

// Widths of the first block column (or heights of the first block row) by
// anchor: a centred grid, a grid from the start, or one ending at the edge.
int32_t FirstBlock(uint8_t anchor, bool horizontal, int32_t size, int32_t block) {
  int32_t first = block;
  const bool fromEnd = horizontal ? (anchor == 2 || anchor == 4) : (anchor == 3 || anchor == 4);
  if (anchor == 0)
    first = block < size ? ((size - block) / 2) % block : block;
  else if (fromEnd)
    first = size % block;
  return first == 0 ? block : first;
}

// The start of the block holding coordinate v.
int32_t BlockStart(int32_t v, int32_t first, int32_t block) {
  return v < first ? 0 : first + (v - first) / block * block;
}


uint32_t PixelAt(Image* image, int32_t x, int32_t y) {
  uint32_t v;
  std::memcpy(&v, image->GetBits() + ptrdiff_t(y) * image->GetPitch() + ptrdiff_t(x) * 4, 4);
  return v;
}

}  // namespace

TcpObject* MosaicTransition::Create(int32_t) { return new (std::nothrow) MosaicTransition(); }

int32_t MosaicTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  anchor_ = uint8_t(rest.Cell(1));
  if (anchor_ > 4) anchor_ = 0;
  maximum_ = uint32_t(std::max(rest.Cell(2), 1)) * 2;
  keepAspect_ = rest.Cell(3) != 0;
  if (!first.Object<TransitionTarget>()->GetPictureSize(&pictureWidth_, &pictureHeight_))
    pictureWidth_ = pictureHeight_ = 0;
  time_.firstPending = true;
  return kSetupDone;
}

int32_t MosaicTransition::Update(uint32_t now) {
  if (time_.TakeFirst(now)) {
    progress_ = 0;
    return 0;
  }
  progress_ = uint32_t(std::min<uint64_t>(uint64_t(now - time_.start) * maximum_ / time_.duration, maximum_));
  return 0;
}

uint32_t MosaicTransition::BlockSize() const {
  return progress_ < maximum_ / 2 ? progress_ : maximum_ - progress_;
}

int32_t MosaicTransition::Apply(const TransitionApplyRecord& r) {
  if (r.width <= 0 || r.height <= 0) return 0;
  const bool fromSide = progress_ < maximum_ / 2;
  Image* source = fromSide ? r.from : r.to;
  const int32_t sourceX = fromSide ? r.fromX : r.toX, sourceY = fromSide ? r.fromY : r.toY;
  const int32_t b = int32_t(BlockSize());
  if (!RectInsideImage(r.destination, r.destX, r.destY, r.width, r.height)) return kApplyFailed;
  if (b < 2) {
    if (!RectInsideImage(source, sourceX, sourceY, r.width, r.height)) return kApplyFailed;
    CopyImageRect32(CurrentCopyKernel32(), r.destination, r.destX, r.destY, source,
                    Rect{sourceX, sourceY, sourceX + r.width, sourceY + r.height});
  } else {
    // The grid over the whole picture (the band when no picture is known),
    // with the picture's origin at area (0, 0).
    const bool whole = pictureWidth_ > 0 && pictureHeight_ > 0;
    const int32_t w = whole ? pictureWidth_ : r.width, h = whole ? pictureHeight_ : r.height;
    const int32_t gridX = whole ? 0 : r.areaX, gridY = whole ? 0 : r.areaY;
    const int32_t originX = sourceX - r.areaX + gridX, originY = sourceY - r.areaY + gridY;
    int32_t bx = b, by = b;
    if (keepAspect_) {
      if (w < h)
        bx = std::max<int32_t>(int32_t(int64_t{w} * b / h), 2);
      else
        by = std::max<int32_t>(int32_t(int64_t{h} * b / w), 2);
    }
    const int32_t firstX = FirstBlock(anchor_, true, w, bx), firstY = FirstBlock(anchor_, false, h, by);
    if (!RectInsideImage(source, originX, originY, w, h)) return kApplyFailed;
    for (int32_t j = 0; j < r.height; ++j) {
      const int32_t rowStart = BlockStart(std::clamp(r.areaY + j - gridY, 0, h - 1), firstY, by);
      auto* out = reinterpret_cast<uint32_t*>(r.destination->GetBits() +
                                              ptrdiff_t(r.destY + j) * r.destination->GetPitch()) + r.destX;
      for (int32_t i = 0; i < r.width; ++i) {
        const int32_t colStart = BlockStart(std::clamp(r.areaX + i - gridX, 0, w - 1), firstX, bx);
        out[i] = PixelAt(source, originX + colStart, originY + rowStart);
      }
    }
  }
  if (auto* surface = dynamic_cast<Surface*>(r.destination))
    surface->MarkDirty(Rect{r.destX, r.destY, r.destX + r.width, r.destY + r.height});
  return 0;
}

}  // namespace orrivel
