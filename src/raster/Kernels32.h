#pragma once

// Row kernels over 32-bit 0xAARRGGBB pixels: fills, copies, palette
// expansion and blends. Arguments: destination, source, destination skip,
// source skip (bytes added after each row; stretched members take the source
// pitch instead), width, height (both at least 1), then the member's own
// arguments. Mirrored members get the address just after the rightmost source
// pixel of the first row and walk leftwards; their source skip lands on the
// right end of the next row. "Packed" members are the SIMD twins that callers
// choose through MmxFlag(); where their arithmetic differs from the plain
// member, the declaration says so.

#include <cstdint>

#include "raster/StretchStep.h"

namespace orrivel {

// Signature shared by the straight 32-bit copies handed to the pixel-operation
// library.
using CopyKernel32 = void (*)(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                              int height);

// --- fills ---------------------------------------------------------------
void FillPixels32(void* dst, int dstSkip, int width, int height, uint32_t value);
// Low 24 bits := colour, alpha kept.
void FillColorKeepAlpha32(void* dst, int dstSkip, int width, int height, uint32_t color);
void FillColorKeepAlpha32Packed(void* dst, int dstSkip, int width, int height, uint32_t color);

// --- copies --------------------------------------------------------------
void CopyPixels32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);
void CopyPixels32Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);
void CopyPixels32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                       uint32_t key);
void StretchCopyPixels32(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                         const StretchStep& step);
void StretchCopyPixels32Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                               int height, const StretchStep& step);
void StretchCopyPixels32Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                              int height, const StretchStep& step, uint32_t key);
void MirrorCopyPixels32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);
void MirrorCopyPixels32Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                              int height);
void MirrorCopyPixels32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                             int height, uint32_t key);
void StretchMirrorCopyPixels32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                               int height, const StretchStep& step);
void StretchMirrorCopyPixels32Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                     int height, const StretchStep& step);
void StretchMirrorCopyPixels32Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                    int height, const StretchStep& step, uint32_t key);

// --- 8-bit indices through a 256-entry palette of 32-bit words ------------
// The entry's four bytes become the pixel (the reserved byte is alpha).
// Keyed members skip an index equal to the key's low byte.
void ExpandPalette8To32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                        const uint32_t* palette);
void ExpandPalette8To32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                             int height, const uint32_t* palette, uint32_t key);
void StretchExpandPalette8To32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                               int height, const StretchStep& step, const uint32_t* palette);
void StretchExpandPalette8To32Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                    int height, const StretchStep& step, const uint32_t* palette,
                                    uint32_t key);
void MirrorExpandPalette8To32(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                              int height, const uint32_t* palette);
void MirrorExpandPalette8To32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                                   int height, const uint32_t* palette, uint32_t key);
void StretchMirrorExpandPalette8To32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                     int height, const StretchStep& step, const uint32_t* palette);
void StretchMirrorExpandPalette8To32Keyed(void* dst, const void* src, int dstSkip, int srcPitch,
                                          int width, int height, const StretchStep& step,
                                          const uint32_t* palette, uint32_t key);

// --- blends by factors ---------------------------------------------------
// Plain: each colour byte := ProductTable[df][d] + ProductTable[sf][s] (held
// to 255), factors in bytes 0-2 of the words; alpha unchanged.
void BlendFactors32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                    uint32_t dstFactors, uint32_t srcFactors);
void BlendFactors32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                         uint32_t dstFactors, uint32_t srcFactors, uint32_t key);
void StretchBlendFactors32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                           int height, const StretchStep& step, uint32_t dstFactors,
                           uint32_t srcFactors);
void StretchBlendFactors32Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                int height, const StretchStep& step, uint32_t dstFactors,
                                uint32_t srcFactors, uint32_t key);
// Packed: every byte, alpha included, := min(65535, s * sf + d * df) >> 8,
// without rounding (so it differs from the plain member).
void BlendFactors32Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                          int height, uint32_t dstFactors, uint32_t srcFactors);
void BlendFactors32PackedKeyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height, uint32_t dstFactors, uint32_t srcFactors, uint32_t key);
void StretchBlendFactors32Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                 int height, const StretchStep& step, uint32_t dstFactors,
                                 uint32_t srcFactors);
void StretchBlendFactors32PackedKeyed(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step,
                                      uint32_t dstFactors, uint32_t srcFactors, uint32_t key);

// --- constant opacity, the packed form of a factor blend ------------------
// Colour byte := d + floor((s - d) * M / 256) with M from
// OpacityMultiplierTable[opacity]; alpha unchanged.
void BlendOpacity32Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                          int height, uint8_t opacity);
void BlendOpacity32PackedKeyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height, uint8_t opacity, uint32_t key);
void StretchBlendOpacity32Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                 int height, const StretchStep& step, uint8_t opacity);
void StretchBlendOpacity32PackedKeyed(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step,
                                      uint8_t opacity, uint32_t key);

// --- level blend (plain only); level 1 to 254 ------------------------------
void BlendLevel32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                  uint8_t level);

// --- blends by mode --------------------------------------------------------
#define ORRIVEL_DECLARE_MODE_FAMILY(Name)                                                          \
  void Name(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);          \
  void Name##Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,    \
                   uint32_t key);                                                                  \
  void Stretch##Name(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height, \
                     const StretchStep& step);                                                     \
  void Stretch##Name##Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,      \
                            int height, const StretchStep& step, uint32_t key);                    \
  void Name##Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height);  \
  void Name##PackedKeyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,          \
                         int height, uint32_t key);                                                \
  void Stretch##Name##Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,     \
                             int height, const StretchStep& step);                                 \
  void Stretch##Name##PackedKeyed(void* dst, const void* src, int dstSkip, int srcPitch, int width, \
                                  int height, const StretchStep& step, uint32_t key);

// floor((s + d) / 2) per colour byte; alpha := s AND d.
ORRIVEL_DECLARE_MODE_FAMILY(Average32)
// min(255, s + d) per byte, alpha included.
ORRIVEL_DECLARE_MODE_FAMILY(AddSaturate32)
// max(0, d - s) per byte, alpha included.
ORRIVEL_DECLARE_MODE_FAMILY(SubSaturate32)

#undef ORRIVEL_DECLARE_MODE_FAMILY

// Shifts each colour channel by n bits (n <= 0 darkens, n >= 1 brightens,
// saturating smoothly toward 255); alpha byte of the result is 0.
uint32_t ShiftChannels(uint32_t color, int n);

}  // namespace orrivel
