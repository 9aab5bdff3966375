#pragma once
// Drawing operations on a surface: tinting, adding and subtracting colours,
// grey, tone, negative, blur, mosaic, gradients and level tables on one
// image; drawing another 32-bit image by level, alpha, a rule mask or a blur.
//
// Each operation that changes pixels adds the changed rectangle to the
// surface's region (when it has one) and sets its changed flag.
//
// One-image rectangle rule: null means the clip rectangle; a given one is
// cut by the clip rectangle, and nothing left ends with 0 (or false) and no
// change. When the surface has a colour key, pixels equal to it are left
// alone by the keyed filters.
//
// Results: 0 done (also when there is nothing to do); 1 no pixels or a
// missing image; 2 wrong pixel depth; 3 an argument out of range; 4 the
// mask is unusable. Levels are bytes; level 0 does nothing and answers 0.
#include <cstdint>

#include "raster/Rect.h"

namespace orrivel {

class Image;
class Surface;

// --- one image -------------------------------------------------------------------
// 32 bits: blend toward the colour by level / 255.
int FillAlpha(Surface* surface, uint8_t red, uint8_t green, uint8_t blue, uint8_t level,
              const Rect* rect);
// 32 bits: per-channel add with saturation; colour 0 does nothing.
int AddColor(Surface* surface, uint8_t red, uint8_t green, uint8_t blue, const Rect* rect);
// 32 bits: per-channel subtract with floor 0; colour 0 does nothing.
int SubColor(Surface* surface, uint8_t red, uint8_t green, uint8_t blue, const Rect* rect);
// 32 bits: (77 R + 150 G + 29 B) >> 8 into the colour, alpha kept. 8 bits:
// whole image only (a rectangle gives 3; no palette 0): the palette becomes
// the grey ramp and every index its colour's grey; the key is dropped.
int GrayScale(Surface* surface, const Rect* rect);
// channel := clamp((c * scale >> 7) + offset), scales 0..256 (128 keeps),
// offsets -255..255, else 3. 8 bits: the palette, whole image only (a
// rectangle gives 2, no palette 1); the key is dropped.
int Tone(Surface* surface, int32_t redScale, int32_t greenScale, int32_t blueScale,
         int32_t redOffset, int32_t greenOffset, int32_t blueOffset, const Rect* rect);
// 32 bits: mode 0 colour, 1 colour and alpha, other alpha only. 8 bits: mode
// non-zero inverts the indices of the rectangle; mode 0 inverts the palette
// (whole image only: a rectangle gives 2, no palette 1). The key is dropped.
int Negate(Surface* surface, uint8_t mode, const Rect* rect);
// Four-neighbour blur in place; a kernel failure c gives c + 1. The key is
// dropped after a blur.
int Blur(Surface* surface, uint8_t mode, const Rect* rect);
// Mosaic in place; a block below 2 does nothing. The key is dropped.
int Mosaic(Surface* surface, int32_t blockSize, uint8_t anchor, const Rect* rect);
// Gradient fill: direction 0 runs from left to right, 1 from top to bottom
// (other: 3), at the surface's depth; 2 when the ramp cannot be built (a
// side of 1 pixel). The key is dropped.
int ScaleSmooth(Surface* surface, int32_t direction, uint32_t from, uint32_t to,
                const Rect* rect);
// Scales the bytes (8 bits) or alpha bytes (32 bits): level 0..255 by
// level / 255, 256..511 with L = level - 256 to byte * (255 - L) / 255 + L,
// lifting toward 255. False without pixels or for a level outside 0..511.
// No damage is recorded.
bool ApplyLevelTable(Surface* surface, int32_t level, const Rect* rect);
// byte := table[byte] on the same bytes as ApplyLevelTable; false without
// pixels. No damage is recorded.
bool ApplyByteTable(Surface* surface, const uint8_t table[256], const Rect* rect);
// byte := clamp((byte * scale >> 7) + offset) on the same bytes; scale
// 0..256, offset -255..255, else false. No damage is recorded.
bool AdjustLevels(Surface* surface, int32_t scale, int32_t offset, const Rect* rect);

// --- another image -------------------------------------------------------------------
// Sources are 32-bit surfaces placed with their rectangle's top-left at
// (x, y); a null source rectangle means the source's clip rectangle.
//
// Copies from an image of any kind (ImageTransfer.cpp): memory images
// (kind 4) through Surface::Copy, the canvas kinds (7 to 10) from the
// surface they compose, and the display-surface kinds (0 to 3) through
// their surface's device context (failure: 2). 1 for a missing image,
// missing pixels or another kind.
int BltToDC(Surface* surface, Image* source, int32_t x, int32_t y, const Rect* sourceRect);
// Stretched copy; a null size means the surface's own size.
int StretchToDC(Surface* surface, Image* source, const Size* size, int32_t x, int32_t y,
                const Rect* sourceRect);
// A colour through an 8-bit mask: mode 0 blend by ProductTable[level][mask],
// 1 add, 2 subtract (other modes: 3).
int FillColorMasked(Surface* surface, uint8_t mode, Surface* mask, uint8_t level, uint8_t red,
                    uint8_t green, uint8_t blue, int32_t x, int32_t y, const Rect* maskRect);
int DrawAdd(Surface* surface, Surface* source, uint8_t level, int32_t x, int32_t y,
            const Rect* sourceRect);
int DrawSubtract(Surface* surface, Surface* source, uint8_t level, int32_t x, int32_t y,
                 const Rect* sourceRect);
// By source alpha times level: mode 0 blend, 1 add, 2 subtract (other: 3).
int DrawAlphaBlend(Surface* surface, uint8_t mode, Surface* source, uint8_t level, int32_t x,
                   int32_t y, const Rect* sourceRect);
int StretchDrawAlphaBlend(Surface* surface, uint8_t mode, Surface* source, uint8_t level,
                          const Size* size, int32_t x, int32_t y, const Rect* sourceRect);
int DrawComposite(Surface* surface, Surface* source, uint8_t level, int32_t x, int32_t y,
                  const Rect* sourceRect);
int StretchDrawComposite(Surface* surface, Surface* source, uint8_t level, const Size* size,
                         int32_t x, int32_t y, const Rect* sourceRect);
// Rule-mask draw: mask values below the position draw at the full level, a
// soft edge of the given width follows, the rest is skipped; positions above
// 256 invert the sense. Position 0 or 512 (or level 0) gives 0; a position
// outside 0..512, width 0 or 512 and up give 3; position 256 draws the whole
// source at the level. The mask is 8 bits in the source's coordinates and
// must cover the drawn source area (else 4); without one the source's
// alpha is the mask.
int DrawMasked(Surface* surface, Surface* source, Surface* mask, uint8_t level, int32_t position,
               int32_t width, int32_t x, int32_t y, const Rect* sourceRect);
// The same with the source alpha multiplied in; the mask is required.
int DrawMaskedProduct(Surface* surface, Surface* source, Surface* mask, uint8_t level,
                      int32_t position, int32_t width, int32_t x, int32_t y,
                      const Rect* sourceRect);
// Horizontally box-blurred draw; radius 0 is a plain draw at the level,
// above 127 counts as 127.
int DrawBlurred(Surface* surface, Surface* source, int32_t radius, uint8_t level, int32_t x,
                int32_t y, const Rect* sourceRect);
// Box-blurred draw by the blurred alpha times level.
int DrawBlurredAlpha(Surface* surface, Surface* source, int32_t radius, uint8_t level, int32_t x,
                     int32_t y, const Rect* sourceRect);

// The 256-entry level map of the rule-mask draws (position 1..511 except
// 256, width 1..511).
void BuildRuleMap(uint8_t map[256], uint8_t level, int32_t position, int32_t width);

}  // namespace orrivel
