#pragma once

// Row walkers of the mask and image kernels: a destination with a mask plane,
// a destination with a source and a mask, the clipped placement of a glyph
// mask, and the bilinear sampling walk. Internal to the kernel files.

#include <cstddef>
#include <cstdint>

#include "raster/BlendTables.h"
#include "raster/PixelFilterOps.h"
#include "raster/StretchStep.h"

namespace orrivel::mask_loops {

// M(level): 0 for level 0, level + 1 otherwise.
inline uint32_t Multiplier(uint32_t level) { return OpacityMultiplierTable[level & 0xFF].blue; }

template <typename Op>
inline void WithMask(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                     int height, Op op) {
  uint8_t* drow = static_cast<uint8_t*>(dst);
  for (int y = 0; y < height; ++y) {
    uint32_t* d = reinterpret_cast<uint32_t*>(drow);
    for (int x = 0; x < width; ++x) op(d[x], mask[x]);
    drow += ptrdiff_t(width) * 4 + dstSkip;
    mask += ptrdiff_t(width) + maskSkip;
  }
}

// Walks a destination, a source and a mask plane row by row together;
// row(destination row, source row, mask row) handles one row of width.
template <typename RowFn>
inline void SourceAndMaskRows(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                              int srcSkip, int maskSkip, int width, int height, RowFn row) {
  uint8_t* drow = static_cast<uint8_t*>(dst);
  const uint8_t* srow = static_cast<const uint8_t*>(src);
  for (int y = 0; y < height; ++y) {
    row(reinterpret_cast<uint32_t*>(drow), reinterpret_cast<const uint32_t*>(srow), mask);
    drow += ptrdiff_t(width) * 4 + dstSkip;
    srow += ptrdiff_t(width) * 4 + srcSkip;
    mask += ptrdiff_t(width) + maskSkip;
  }
}

template <typename Op>
inline void WithSourceAndMask(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                              int srcSkip, int maskSkip, int width, int height, Op op) {
  SourceAndMaskRows(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height,
                    [&](uint32_t* d, const uint32_t* s, const uint8_t* m) {
                      for (int x = 0; x < width; ++x) op(d[x], s[x], m[x]);
                    });
}

// A mask placed on a destination and cut to it.
struct MaskPlacement {
  void* dst = nullptr;
  const uint8_t* mask = nullptr;
  int dstSkip = 0;
  int maskSkip = 0;
  int width = 0;
  int height = 0;
};

inline bool PlaceMask(int x, int y, void* dstBits, int dstWidth, int dstHeight, int dstPitch,
                      const uint8_t* mask, int maskWidth, int maskHeight, int maskPitch,
                      MaskPlacement* out) {
  if (int64_t(x) + maskWidth < 1 || x >= dstWidth || int64_t(y) + maskHeight < 1 ||
      y >= dstHeight) {
    return false;
  }
  if (x < 0) {
    mask += -int64_t(x);
    maskWidth += x;
    x = 0;
  }
  if (y < 0) {
    mask += -int64_t(y) * maskPitch;
    maskHeight += y;
    y = 0;
  }
  if (maskWidth > dstWidth - x) maskWidth = dstWidth - x;
  if (maskHeight > dstHeight - y) maskHeight = dstHeight - y;
  if (maskWidth < 1 || maskHeight < 1) return false;
  out->dst = static_cast<uint8_t*>(dstBits) + ptrdiff_t(y) * dstPitch + ptrdiff_t(x) * 4;
  out->mask = mask;
  out->dstSkip = dstPitch - maskWidth * 4;
  out->maskSkip = maskPitch - maskWidth;
  out->width = maskWidth;
  out->height = maskHeight;
  return true;
}

// Bilinear walk; fetch(row, x) reads the 32-bit colour of source column x.
template <typename Fetch>
inline void Bilinear(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                     const ScaleStep& step, Fetch fetch) {
  uint8_t* drow = static_cast<uint8_t*>(dst);
  const uint8_t* base = static_cast<const uint8_t*>(src);
  uint64_t yPos = step.yFraction;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row0 = base + ptrdiff_t(yPos >> 32) * srcPitch;
    const uint8_t* row1 = row0 + srcPitch;
    const uint32_t fy = uint32_t(yPos >> 24) & 0xFF;
    uint32_t* d = reinterpret_cast<uint32_t*>(drow);
    uint64_t xPos = step.xFraction;
    for (int x = 0; x < width; ++x) {
      const ptrdiff_t ix = ptrdiff_t(xPos >> 32);
      const uint32_t fx = uint32_t(xPos >> 24) & 0xFF;
      const uint32_t top = filter_ops::Lerp(fetch(row0, ix), fetch(row0, ix + 1), fx);
      const uint32_t bottom = filter_ops::Lerp(fetch(row1, ix), fetch(row1, ix + 1), fx);
      d[x] = filter_ops::Lerp(top, bottom, fy);
      xPos += step.xIncrement;
    }
    yPos += step.yIncrement;
    drow += ptrdiff_t(width) * 4 + dstSkip;
  }
}

}  // namespace orrivel::mask_loops
