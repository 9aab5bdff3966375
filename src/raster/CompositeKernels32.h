#pragma once

// Kernels that move colour and alpha between 32-bit 0xAARRGGBB rows and 8-bit
// planes. Arguments as for every row kernel: destination, source (mirrored
// members: the address just after the rightmost source pixel of the first
// row), destination skip, source skip (stretched members: the source pitch),
// width, height (at least 1), then the StretchStep and the colour key. The
// ...Mmx members are the packed twins that callers choose through MmxFlag().

#include <cstdint>

#include "raster/StretchStep.h"

namespace orrivel {

class Image;

// --- alpha blend, 32 over 32 ---------------------------------------------
// Colour blended by the source alpha a, destination alpha := 0. The plain
// members keep 255 - a of the destination (all of it at a = 0); the Mmx twins
// keep 256 - a, so a half-transparent pixel can come out one step brighter.
void BlendByAlpha32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);
void StretchBlendByAlpha32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                           int height, const StretchStep& step);
void BlendByAlpha32Mirrored(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                            int height);
void StretchBlendByAlpha32Mirrored(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                   int height, const StretchStep& step);
void BlendByAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);
void StretchBlendByAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                              int height, const StretchStep& step);
void BlendByAlpha32MirroredMmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height);
void StretchBlendByAlpha32MirroredMmx(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step);

// --- 8-bit plane into the alpha bytes (colour untouched) -------------------
void CopyPlaneToAlpha(void* dst, const void* plane, int dstSkip, int planeSkip, int width,
                      int height);
void StretchCopyPlaneToAlpha(void* dst, const void* plane, int dstSkip, int planePitch, int width,
                             int height, const StretchStep& step);
void CopyPlaneToAlphaMirrored(void* dst, const void* plane, int dstSkip, int planeSkip, int width,
                              int height);
void StretchCopyPlaneToAlphaMirrored(void* dst, const void* plane, int dstSkip, int planePitch,
                                     int width, int height, const StretchStep& step);
// alpha := CompositeAlphaTable[alpha][plane byte]: the union of two coverages.
void CombineAlphaWithPlane(void* dst, const void* plane, int dstSkip, int planeSkip, int width,
                           int height);

// --- alpha bytes out into an 8-bit plane ------------------------------------
void CopyAlphaToPlane(void* plane, const void* src, int planeSkip, int srcSkip, int width,
                      int height);
void StretchCopyAlphaToPlane(void* plane, const void* src, int planeSkip, int srcPitch, int width,
                             int height, const StretchStep& step);
void CopyAlphaToPlaneMirrored(void* plane, const void* src, int planeSkip, int srcSkip, int width,
                              int height);
void StretchCopyAlphaToPlaneMirrored(void* plane, const void* src, int planeSkip, int srcPitch,
                                     int width, int height, const StretchStep& step);

// --- colour only: low 24 bits from the source, destination alpha kept --------
void CopyColorKeepAlpha32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);
void StretchCopyColorKeepAlpha32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                 int height, const StretchStep& step);
void CopyColorKeepAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                             int height);
void StretchCopyColorKeepAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                    int height, const StretchStep& step);
// Keyed: a source word equal to the key (whole word, alpha included) is skipped.
void CopyColorKeepAlphaKeyed32(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height, uint32_t key);
void StretchCopyColorKeepAlphaKeyed32(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step, uint32_t key);
void CopyColorKeepAlphaKeyed32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                                  int height, uint32_t key);
void StretchCopyColorKeepAlphaKeyed32Mmx(void* dst, const void* src, int dstSkip, int srcPitch,
                                         int width, int height, const StretchStep& step,
                                         uint32_t key);

// --- alpha only: alpha from the source, destination colour kept --------------
void CopyAlphaKeepColor32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);
void StretchCopyAlphaKeepColor32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                 int height, const StretchStep& step);
void CopyAlphaKeepColor32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                             int height);
void StretchCopyAlphaKeepColor32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                    int height, const StretchStep& step);

// --- whole image ---------------------------------------------------------------
// Sets the alpha byte of every pixel of a 32-bit row block, row by row through
// the pitch (rows may carry padding).
void SetAlphaRows32(void* bits, int pitch, int width, int height, uint8_t alpha);
// Sets the alpha byte of every pixel of a 32-bit image; nothing without pixels
// or when the rows are too short to hold 32-bit pixels.
void SetImageAlpha(Image& image, uint8_t alpha);

}  // namespace orrivel
