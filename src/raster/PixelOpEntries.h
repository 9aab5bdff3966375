#pragma once
// Call shapes of the pixel-operation library's entries that the engine
// calls, shared by both sides. Images cross the boundary as plain views, so
// the library depends on no engine class layout.
//
// Success conventions: entries 9, 10, 11, 12, 25 and 26 return 0 when they
// succeed; the others return true (a non-zero low byte). After a success the
// rectangle at entry 1 holds what the operation changed.
#include <cstdint>

#include "raster/PixelOpAbi.h"
#include "raster/Rect.h"

namespace orrivel {

struct PixelOpImage {
  uint8_t* bits = nullptr;  // row 0, rows top-down
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;  // bytes from one row to the next
  int32_t bitsPerPixel = 0;
};

using PixelOpEntry5Fn = int32_t (*)(const PixelOpImage* target, int32_t a1, int32_t level,
                                    int32_t a4, int32_t a3);
using PixelOpEntry7Fn = int32_t (*)(const PixelOpImage* target, int32_t a1, int32_t a2);
// Entry 9: the source's rectangle words come last.
using PixelOpDrawImageFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                       int32_t a5, int32_t a6, int32_t a7, int32_t a2, int32_t a3,
                                       int32_t a4);
// Entry 10: destination x, y, width, height, then source x, y, width,
// height; the source rectangle averaged down (or repeated up) onto the
// destination rectangle. The source rectangle must lie inside the source.
using PixelOpStretchDrawFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                         int32_t destX, int32_t destY, int32_t destWidth,
                                         int32_t destHeight, int32_t sourceX, int32_t sourceY,
                                         int32_t sourceWidth, int32_t sourceHeight);
// Entry 11: the source rectangle (null: the whole source) drawn onto the
// parallelogram with corners top-left (x0, y0), top-right (x1, y1) and
// bottom-left (x2, y2), nearest texel at pixel centres. Mode 0 copies, mode
// 2 blends by texel alpha times opacity keeping the destination alpha.
using PixelOpTransformDrawFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                           double x0, double y0, double x1, double y1, double x2,
                                           double y2, const Rect* sourceRect, int32_t mode,
                                           int32_t reserved, int32_t opacity, int32_t r1,
                                           int32_t r2, int32_t r3, int32_t r4);
using PixelOpEntry12Fn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                     int32_t a2, int32_t a3, int32_t a4, int32_t a5, int32_t a6,
                                     int32_t a7, int32_t a8, int32_t a9, int32_t a10);
// Entry 13: clears the rectangle left a1, top a2, right a3, bottom a4 (cut
// to the image) to transparent black, as a layer is cleared before it is
// drawn into.
using PixelOpEntry13Fn = int32_t (*)(const PixelOpImage* target, int32_t a1, int32_t a2,
                                     int32_t a3, int32_t a4);
// Entries 14 and 15 mirror the image left to right, 16 and 17 upside down
// (32 and 8 bits); the argument is reserved.
using PixelOpMirrorFn = int32_t (*)(const PixelOpImage* target, int32_t a1);
using PixelOpTargetFn = int32_t (*)(const PixelOpImage* target);
using PixelOpTargetArgFn = int32_t (*)(const PixelOpImage* target, int32_t a1);
using PixelOpEntry25Fn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source1,
                                     const PixelOpImage* source2, int32_t a3, int32_t a4,
                                     int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9,
                                     int32_t a10, int32_t a11, int32_t a12);
using PixelOpEntry26Fn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source1,
                                     const PixelOpImage* source2, int32_t a3, int32_t a4,
                                     int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9,
                                     int32_t a10, int32_t a11, int32_t a12, int32_t a13,
                                     int32_t a14, int32_t a15, int32_t a16);

inline constexpr int kPixelOpEntry21 = 21;
inline constexpr int kPixelOpEntry22 = 22;
inline constexpr int kPixelOpEntry23 = 23;
inline constexpr int kPixelOpEntry24 = 24;
inline constexpr int kPixelOpEntry25 = 25;
inline constexpr int kPixelOpEntry26 = 26;

}  // namespace orrivel
