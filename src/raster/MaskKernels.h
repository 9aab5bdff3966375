#pragma once

// Kernels that write one 32-bit 0xAARRGGBB rectangle from a colour, another
// 32-bit image, an 8-bit mask or a combination; bilinear scaling; and the
// copy into a 16- or 32-bit texture format.
//
// Arguments: the first pixel of each plane, a row skip for each plane (bytes
// added after each row; stretched and bilinear kernels take the source pitch
// instead), width and height (both at least 1), then the kernel's own
// arguments. A level map is a 256-entry table turning a mask or alpha value
// into a level 0..255 (callers pass the ProductTable row of their opacity);
// M(k) is the multiplier of level k from OpacityMultiplierTable.
// blend(d, s, m) = d + (((s - d) * m) >> 8) per colour channel. Unless a
// kernel says otherwise the destination alpha is kept. The ...Mmx members are
// the packed twins chosen through MmxFlag(); they give the same results,
// except BlendMaskedColorAtMmx, which is a different drawing (see there).

#include <cstdint>

#include "raster/StretchStep.h"

namespace orrivel {

// --- a colour (0x00RRGGBB) through a mask --------------------------------------
// blend(d, colour, M(map[mask])).
void BlendColorByMask32(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                        int height, uint32_t color, const uint8_t* levelMap);
void BlendColorByMask32Mmx(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                           int height, uint32_t color, const uint8_t* levelMap);
// Clamp(d + ((colour * M(map[mask])) >> 8)).
void AddColorByMask32(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                      int height, uint32_t color, const uint8_t* levelMap);
void AddColorByMask32Mmx(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                         int height, uint32_t color, const uint8_t* levelMap);
// Clamp(d - ((colour * M(map[mask])) >> 8)).
void SubColorByMask32(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                      int height, uint32_t color, const uint8_t* levelMap);
void SubColorByMask32Mmx(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                         int height, uint32_t color, const uint8_t* levelMap);
// Composite: with i = (destination alpha, map[mask]) the colour is
// blend(d, colour, M(CompositeWeightTable[i])) and alpha CompositeAlphaTable[i].
void BlendAlphaByMask32(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                        int height, uint32_t color, const uint8_t* levelMap);
void BlendAlphaByMask32Mmx(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                           int height, uint32_t color, const uint8_t* levelMap);

// --- another image at a constant opacity level ------------------------------------
// Clamp(d +/- ((s * M(level)) >> 8)).
void AddImage32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                uint8_t level);
void AddImage32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                   uint8_t level);
void SubImage32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                uint8_t level);
void SubImage32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                   uint8_t level);

// --- another image by its alpha ------------------------------------------------
#define ORRIVEL_DECLARE_BY_ALPHA(Name)                                                          \
  void Name##32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,     \
                const uint8_t* levelMap);                                                        \
  void Name##32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,  \
                   const uint8_t* levelMap);                                                     \
  void Name##Stretched32(void* dst, const void* src, int dstSkip, int srcPitch, int width,       \
                         int height, const StretchStep& step, const uint8_t* levelMap);          \
  void Name##Stretched32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,    \
                            int height, const StretchStep& step, const uint8_t* levelMap);

// blend(d, s, M(map[source alpha])).
ORRIVEL_DECLARE_BY_ALPHA(BlendImageByAlpha)
// Clamp(d + ((s * M(map[source alpha])) >> 8)).
ORRIVEL_DECLARE_BY_ALPHA(AddImageByAlpha)
// Clamp(d - ((s * M(map[source alpha])) >> 8)).
ORRIVEL_DECLARE_BY_ALPHA(SubImageByAlpha)
// With i = (destination alpha, map[source alpha]): colour blend(d, s,
// M(CompositeWeightTable[i])), alpha CompositeAlphaTable[i].
ORRIVEL_DECLARE_BY_ALPHA(CompositeImage)

#undef ORRIVEL_DECLARE_BY_ALPHA

// --- an image through a mask -------------------------------------------------------
// blend(d, s, M(map[mask])); a null mask takes the source alpha in its place
// (the mask skip is then ignored).
void DrawThroughMask32(void* dst, const void* src, const uint8_t* mask, int dstSkip, int srcSkip,
                       int maskSkip, int width, int height, const uint8_t* levelMap);
void DrawThroughMask32Mmx(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                          int srcSkip, int maskSkip, int width, int height,
                          const uint8_t* levelMap);
// blend(d, s, M(ProductTable[map[mask]][source alpha])).
void DrawThroughMaskProduct32(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                              int srcSkip, int maskSkip, int width, int height,
                              const uint8_t* levelMap);
void DrawThroughMaskProduct32Mmx(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                                 int srcSkip, int maskSkip, int width, int height,
                                 const uint8_t* levelMap);

// --- glyph colour at a position ------------------------------------------------------
// Places a mask of maskWidth x maskHeight at (x, y) on the destination and
// clips it. False (nothing drawn) when it lies wholly outside.
// BlendMaskedColorAt takes the mask as two levels: every pixel whose mask
// byte is not 0 gets the colour. BlendMaskedColorAtMmx takes it as coverage
// m: without the MMX flag each channel becomes P(colour, m) + P(d, 255 - m),
// with it the packed colour blend runs with multiplier m + 1. Pixels with
// m = 0 are left alone by all three; alpha is kept.
bool BlendMaskedColorAt(int x, int y, uint8_t red, uint8_t green, uint8_t blue, void* dstBits,
                        int dstWidth, int dstHeight, int dstPitch, const uint8_t* mask,
                        int maskWidth, int maskHeight, int maskPitch);
bool BlendMaskedColorAtMmx(int x, int y, uint8_t red, uint8_t green, uint8_t blue, void* dstBits,
                           int dstWidth, int dstHeight, int dstPitch, const uint8_t* mask,
                           int maskWidth, int maskHeight, int maskPitch);

// --- bilinear scaling ---------------------------------------------------------------
// Every destination pixel mixes the source pixel at its position with the
// ones right, below and below right by the top 8 bits of the x and y
// fractions (all four channels). Rows restart x at 0 with xFraction. The
// kernel always reads right of and below the position: the caller keeps both
// inside the source.
void ScaleBilinear32(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                     const ScaleStep& step);
void ScaleBilinear32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                        int height, const ScaleStep& step);
// 8-bit source looked up in a 256-entry table of 32-bit colours first.
void ScaleBilinearIndexed(void* dst, const void* src, int dstSkip, int srcPitch,
                          const uint32_t* palette, int width, int height, const ScaleStep& step);
void ScaleBilinearIndexedMmx(void* dst, const void* src, int dstSkip, int srcPitch,
                             const uint32_t* palette, int width, int height,
                             const ScaleStep& step);

// --- copy into a texture format -----------------------------------------------------
// From a 32-bit source into format 64 (A1R5G5B5), 128 (A4R4G4B4) or 256
// (A8R8G8B8, a plain copy); any other code writes nothing. Positions are in
// pixels of each plane.
void ConvertFormatRect(uint32_t formatCode, void* dst, int dstX, int dstY, int width, int height,
                       int dstPitch, const void* src, int srcX, int srcY, int srcPitch);

}  // namespace orrivel
