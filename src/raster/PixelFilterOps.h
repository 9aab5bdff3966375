#pragma once

// Per-pixel arithmetic of the filters and the mask kernels, one pixel at a
// time. The plain kernels are built from these and the packed twins use them
// for their tail pixels. Internal to the kernel files.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "raster/BlendTables.h"

namespace orrivel::filter_ops {

template <typename Fn>
inline void ForEachPixel(void* bits, int skip, int width, int height, Fn fn) {
  uint8_t* row = static_cast<uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    uint32_t* p = reinterpret_cast<uint32_t*>(row);
    for (int x = 0; x < width; ++x) fn(p[x]);
    row += ptrdiff_t(width) * 4 + skip;
  }
}

// Saturating add of a colour (alpha byte 0) on the whole word: a mask of
// 0xFF in every channel that overflows is built from the carries.
inline uint32_t AddSatWord(uint32_t p, uint32_t k) {
  const uint32_t carry = (((p & k) * 2 + ((p ^ k) & 0x00FEFEFEu)) & 0x01010100u) >> 8;
  const uint32_t mask = (carry + 0x007F7F7Fu) ^ 0x007F7F7Fu;
  return ((p + k) - mask) | mask;
}

// Saturating subtract: the same mask from the borrows of NOT p plus k.
inline uint32_t SubSatWord(uint32_t p, uint32_t k) {
  const uint32_t q = ~p;
  const uint32_t carry = (((q & k) * 2 + ((q ^ k) & 0x00FEFEFEu)) & 0x01010100u) >> 8;
  const uint32_t mask = (carry + 0x007F7F7Fu) ^ 0x007F7F7Fu;
  return (p | mask) - (k | mask);
}

inline uint32_t Grey(uint32_t p) {
  const uint32_t g =
      (77 * ((p >> 16) & 0xFF) + 150 * ((p >> 8) & 0xFF) + 29 * (p & 0xFF)) >> 8;
  return (p & 0xFF000000u) | g * 0x010101u;
}

inline uint32_t InvertMask(uint8_t mode) {
  return mode == 0 ? 0x00FFFFFFu : mode == 1 ? 0xFFFFFFFFu : 0xFF000000u;
}

struct Tint {
  const uint8_t* keep;
  uint8_t kb, kg, kr;
  Tint(uint8_t level, uint8_t red, uint8_t green, uint8_t blue)
      : keep(ProductTable[255 - level]),
        kb(ProductTable[level][blue]),
        kg(ProductTable[level][green]),
        kr(ProductTable[level][red]) {}
  uint32_t operator()(uint32_t p) const {
    return (p & 0xFF000000u) | uint32_t(keep[p & 0xFF] + kb) |
           uint32_t(keep[(p >> 8) & 0xFF] + kg) << 8 | uint32_t(keep[(p >> 16) & 0xFF] + kr) << 16;
  }
};

struct Tone {
  int scale[3];   // blue, green, red
  int offset[3];
  Tone(int sr, int sg, int sb, int orr, int og, int ob)
      : scale{std::clamp(sb, 0, 256), std::clamp(sg, 0, 256), std::clamp(sr, 0, 256)},
        offset{std::clamp(ob, -255, 255), std::clamp(og, -255, 255), std::clamp(orr, -255, 255)} {}
  uint32_t operator()(uint32_t p) const {
    uint32_t out = p & 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
      const int c = int((p >> (8 * i)) & 0xFF);
      out |= uint32_t(ClampAt(((c * scale[i]) >> 7) + offset[i])) << (8 * i);
    }
    return out;
  }
};

// blend(d, s, m) = d + (((s - d) * m) >> 8) on blue, green and red, B with R
// in one word and G in another; the alpha byte of d is kept. The shifted
// bits that land between the halves are masked off, so every channel comes
// out as if done alone.
inline uint32_t BlendKeepAlpha(uint32_t d, uint32_t s, uint32_t m) {
  const uint32_t dbr = d & 0x00FF00FFu, dg = d & 0x0000FF00u;
  const int64_t br = int64_t(int32_t((s & 0x00FF00FFu) - dbr)) * int64_t(m);
  const int64_t g = int64_t(int32_t((s & 0x0000FF00u) - dg)) * int64_t(m);
  const uint32_t outBr = (dbr + uint32_t(br >> 8)) & 0x00FF00FFu;
  const uint32_t outG = (dg + uint32_t(g >> 8)) & 0x0000FF00u;
  return (d & 0xFF000000u) | outBr | outG;
}

// Clamp(d + ((s * m) >> 8)) or Clamp(d - ((s * m) >> 8)) on the colour
// channels; alpha of d kept.
template <bool kSubtract>
inline uint32_t AddScaled(uint32_t d, uint32_t s, uint32_t m) {
  uint32_t out = d & 0xFF000000u;
  for (int i = 0; i < 3; ++i) {
    const int dc = int((d >> (8 * i)) & 0xFF);
    const int sc = int((((s >> (8 * i)) & 0xFF) * m) >> 8);
    out |= uint32_t(ClampAt(kSubtract ? dc - sc : dc + sc)) << (8 * i);
  }
  return out;
}

// Colour toward s by the composite weight of (destination alpha, level);
// alpha becomes the union of the two coverages.
inline uint32_t Composite(uint32_t d, uint32_t s, uint32_t level) {
  const uint32_t da = d >> 24;
  const uint32_t m = OpacityMultiplierTable[CompositeWeightTable[da][level]].blue;
  return (BlendKeepAlpha(d, s, m) & 0x00FFFFFFu) | uint32_t(CompositeAlphaTable[da][level]) << 24;
}

// lerp(a, b, f) = a + (((b - a) * f) >> 8) on all four channels.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
  const uint32_t lo = BlendKeepAlpha(a, b, f) & 0x00FFFFFFu;
  const int32_t aa = int32_t(a >> 24), ba = int32_t(b >> 24);
  const uint32_t alpha = uint32_t(aa + (((ba - aa) * int32_t(f)) >> 8)) & 0xFF;
  return lo | alpha << 24;
}

}  // namespace orrivel::filter_ops
