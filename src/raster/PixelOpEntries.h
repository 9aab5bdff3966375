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
// Entry 9: the source rectangle (null: the whole source) drawn with its
// top-left at (x, y) in a mode at a level, as entry 40 draws a sprite; the
// movie sprite draws its frames through it.
using PixelOpDrawImageFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                       int32_t x, int32_t y, const Rect* sourceRect, int32_t mode,
                                       int32_t level, int32_t reserved);
// Entry 10: destination x, y, width, height, then source x, y, width,
// height; the source rectangle averaged down (or repeated up) onto the
// destination rectangle. The source rectangle must lie inside the source.
// Mode 0 copies, mode 2 blends each averaged texel by its alpha times the
// opacity keeping the destination alpha (as entry 11); other modes are
// refused. Smoothing and the last word are reserved.
using PixelOpStretchDrawFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                         int32_t destX, int32_t destY, int32_t destWidth,
                                         int32_t destHeight, int32_t sourceX, int32_t sourceY,
                                         int32_t sourceWidth, int32_t sourceHeight, int32_t mode,
                                         int32_t smoothing, int32_t opacity, int32_t reserved);
// Entry 11: the source rectangle (null: the whole source) drawn onto the
// parallelogram with corners top-left (x0, y0), top-right (x1, y1) and
// bottom-left (x2, y2), nearest texel at pixel centres. Mode 0 copies, mode
// 2 blends by texel alpha times opacity keeping the destination alpha.
// The reserved word and the two flags and the word after the opacity are
// the callers' to pass (scripts hand them on from their cells); this
// library draws the same whatever they hold. clip, when it is a rectangle
// (left below right, top below bottom), bounds the drawing; null draws over
// the whole target.
using PixelOpTransformDrawFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                           double x0, double y0, double x1, double y1, double x2,
                                           double y2, const Rect* sourceRect, int32_t mode,
                                           int32_t reserved, int32_t opacity, int32_t flag1,
                                           int32_t flag2, int32_t word, const Rect* clip);
// Entry 12: the source rectangle (null: the whole source) drawn through
// the affine map x' = a u + c v + tx, y' = b u + d v + ty (all six in 16.16
// fixed point; (u, v) relative to the rectangle's top-left), as entry 11
// draws the parallelogram that map makes; the words after the source
// rectangle and the clip as entry 11's. Cells 65536, 0, 0, 65536, 0, 0 draw an unscaled copy.
using PixelOpEntry12Fn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                     int32_t a, int32_t b, int32_t c, int32_t d, int32_t tx,
                                     int32_t ty, const Rect* sourceRect, int32_t mode,
                                     int32_t reserved, int32_t opacity, int32_t flag1, int32_t flag2,
                                     int32_t word, const Rect* clip);
// Entry 13: a separable box blur inside the rectangle (null: the whole
// image; a given one is cut to the image): radius across (horizontal) then
// radius down (vertical), each window cut to the rectangle and every channel
// the rounded mean of the window. Radii below 0 are refused; the flag is
// reserved. True on success.
using PixelOpEntry13Fn = int32_t (*)(const PixelOpImage* target, int32_t across, int32_t down,
                                     int32_t flag, const Rect* rect);
// Entries 14 and 15 mirror the image left to right, 16 and 17 upside down
// (32 and 8 bits), within the rectangle (null: the whole image; a given one
// is cut to the image); the argument is reserved.
using PixelOpMirrorFn = int32_t (*)(const PixelOpImage* target, int32_t a1, const Rect* rect);
using PixelOpTargetFn = int32_t (*)(const PixelOpImage* target);
using PixelOpTargetArgFn = int32_t (*)(const PixelOpImage* target, int32_t a1);
// The transition entries. Arithmetic (all rounding as x / 255 rounded):
// - Entry 2 fills the rectangle (cut to the image) with colour 0x00RRGGBB,
//   keeping each pixel's alpha byte. True on success.
// - Entry 4 moves the colour channels of the rectangle toward the colour by
//   level / 255 (0 keeps, 255 is the colour), alpha kept. True on success.
// - Entry 25 (cross blend) writes, over a band of width x height at
//   (destX, destY), from + (to - from) * level / 255 per colour channel,
//   the from pixel's alpha kept; level 0 is the from picture, 255 the to
//   picture. 0 on success.
// - Entry 26 (rule blend) does the same with a weight per pixel from the
//   8-bit rule image read at (areaX + i, areaY + j): with the vague width v
//   (below 1 taken as 1) and the threshold t = level * (255 + v) / 255, the
//   weight is clamp((t - rule) * 255 / v, 0, 255), so low rule values turn
//   first, each over a soft edge v rule steps wide, and level 0 and 255 give
//   the from and the to picture exactly. 0 on success.
// The bands of 25 and 26 are cut to every image they touch (the same cut
// in each); the changed rectangle is what was written on the destination.
using PixelOpFillRectFn = int32_t (*)(const PixelOpImage* target, uint32_t color,
                                      const Rect* rect);
using PixelOpBlendColorFn = int32_t (*)(const PixelOpImage* target, uint32_t color,
                                        int32_t level, const Rect* rect);
using PixelOpEntry25Fn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source1,
                                     const PixelOpImage* source2, int32_t a3, int32_t a4,
                                     int32_t a5, int32_t a6, int32_t a7, int32_t a8, int32_t a9,
                                     int32_t a10, int32_t a11, int32_t a12);
using PixelOpEntry26Fn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source1,
                                     const PixelOpImage* source2, const PixelOpImage* rule,
                                     int32_t a4, int32_t a5, int32_t a6, int32_t a7, int32_t a8,
                                     int32_t a9, int32_t a10, int32_t a11, int32_t a12,
                                     int32_t a13, int32_t a14, int32_t a15, int32_t a16);

// Entry 40: the source rectangle (null: the whole source) drawn with its
// top-left at (x, y): mode 0 copies (opacity below 255 blends toward the
// source at that opacity), 2 blends by source alpha times opacity, 4 adds
// and 5 subtracts the source scaled by opacity, saturating. The colour
// channels change; mode 0 at 255 copies the alpha byte too, the others
// keep the destination's. Both images 32 bits; 0 on success, 1 refused.
using PixelOpSpriteBlendFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                         int32_t x, int32_t y, const Rect* sourceRect,
                                         int32_t mode, int32_t opacity, int32_t reserved);
// Entry 41: the source rectangle (null: whole) stretched onto the
// destination rectangle (null: whole), pixels outside the destination
// skipped. Resampling low nibble 0 takes the nearest texel, other values
// interpolate between the four nearest. Opacity 255 copies, lower blends
// the colour. 0 on success, 1 refused.
using PixelOpSpriteStretchFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                           const Rect* destRect, int32_t r1, int32_t r2,
                                           const Rect* sourceRect, int32_t mode,
                                           int32_t resampling, int32_t opacity, int32_t r3);
// Corner data of a turned picture: (x, y) of the top-left, top-right,
// bottom-left and bottom-right corners on the destination.
struct PixelOpCorners {
  double points[4][2];
};
// Entry 42: the source rectangle (null: whole) drawn onto the parallelogram
// of the corner data inside the destination rectangle (null: whole). With
// fill set, the destination rectangle is first filled with colour (0xAARRGGBB),
// so what the picture does not cover holds it. Texels are copied; the
// resampling low nibble chooses nearest (0) or interpolated texels.
using PixelOpSpriteRotateFn = int32_t (*)(const PixelOpImage* target, const PixelOpImage* source,
                                          const PixelOpCorners* corners, const Rect* sourceRect,
                                          int32_t mode, int32_t resampling, int32_t opacity,
                                          int32_t r1, int32_t fill, uint32_t color,
                                          const Rect* destRect);

// Entry 93 blends two rows at a level into a third: count pixels of
// from + (to - from) * level / 255 per colour channel, rounded, the from
// pixel's alpha kept. Rows are plain pixel runs; the result is not used.
using PixelOpBlendRowsFn = int32_t (*)(uint32_t* destination, const uint32_t* from,
                                       const uint32_t* to, int32_t count, int32_t level);

inline constexpr int kPixelOpFillRect = 2;
inline constexpr int kPixelOpBlendColor = 4;
inline constexpr int kPixelOpEntry21 = 21;
inline constexpr int kPixelOpEntry22 = 22;
inline constexpr int kPixelOpEntry23 = 23;
inline constexpr int kPixelOpEntry24 = 24;
inline constexpr int kPixelOpEntry25 = 25;
inline constexpr int kPixelOpEntry26 = 26;
inline constexpr int kPixelOpBlendRows = 93;

}  // namespace orrivel
