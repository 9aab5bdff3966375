#pragma once
// Drawing a picture, or a rectangle of it, onto a 32-bit surface scaled and
// turned about an anchor point.
//
// Angles are in 512ths of a turn (only the low nine bits of the negated
// angle count); scale is 16.16 (65536 draws at the picture's size). The
// anchor sets the centre of rotation on the scaled picture placed with its
// top-left corner at (x, y): 0 top-left, 1 top-right, 2 bottom-left, 3
// bottom-right, 4 the centre.
//
// With the pixel-operation library loaded the turned corners go to its
// transformed draw in double precision (DrawRotated only for sources
// without a colour key, so key pixels always leave holes); otherwise the
// software quadrilateral mapper draws them.
//
// Results: 0 done; 1 no published math tables, no destination pixels, or no
// source or source pixels; 2 a depth other than 32, or the library path
// failed; 3 an anchor above 4 (no centre of rotation is defined for it).
#include <cstdint>

#include "raster/Rect.h"

namespace orrivel {

class Surface;

int DrawRotated(Surface* dest, Surface* source, uint8_t anchor, int32_t x, int32_t y,
                int32_t angle, int32_t scale, const Rect* sourceRect, const Rect* destClip);
// Blends by texel alpha at an opacity.
int DrawRotatedAlt(Surface* dest, Surface* source, uint8_t anchor, int32_t x, int32_t y,
                   int32_t angle, int32_t scale, uint8_t opacity, const Rect* sourceRect,
                   const Rect* destClip);

}  // namespace orrivel
