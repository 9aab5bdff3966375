#pragma once

// Per-pixel arithmetic of the 32-bit kernel families, one pixel at a time.
// The plain kernels are built from these, the packed kernels use them for
// their odd tail pixels, and the tests use them as the reference.

#include <cstdint>

#include "raster/BlendTables.h"

namespace orrivel::pixel_ops {

inline uint32_t Byte(uint32_t v, int i) { return (v >> (8 * i)) & 0xFF; }

inline uint32_t BlendFactorsPlain(uint32_t d, uint32_t s, uint32_t df, uint32_t sf) {
  uint32_t out = d & 0xFF000000u;
  for (int i = 0; i < 3; ++i) {
    uint32_t c = ProductTable[Byte(df, i)][Byte(d, i)] + ProductTable[Byte(sf, i)][Byte(s, i)];
    if (c > 255) c = 255;
    out |= c << (8 * i);
  }
  return out;
}

inline uint32_t BlendFactorsPacked(uint32_t d, uint32_t s, uint32_t df, uint32_t sf) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    uint32_t c = Byte(s, i) * Byte(sf, i) + Byte(d, i) * Byte(df, i);
    if (c > 65535) c = 65535;
    out |= (c >> 8) << (8 * i);
  }
  return out;
}

inline uint32_t BlendOpacityPacked(uint32_t d, uint32_t s, uint8_t opacity) {
  const OpacityLanes& m = OpacityMultiplierTable[opacity];
  const int lanes[4] = {m.blue, m.green, m.red, m.alpha};
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    const int dc = static_cast<int>(Byte(d, i));
    const int sc = static_cast<int>(Byte(s, i));
    // Arithmetic shift: the floor of a negative difference.
    const int c = dc + (((sc - dc) * lanes[i]) >> 8);
    out |= static_cast<uint32_t>(c & 0xFF) << (8 * i);
  }
  return out;
}

inline uint32_t Average(uint32_t d, uint32_t s) {
  return (s & d) + (((s ^ d) >> 1) & 0x007F7F7Fu);
}

inline uint32_t AddSaturate(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    uint32_t c = Byte(d, i) + Byte(s, i);
    out |= (c > 255 ? 255 : c) << (8 * i);
  }
  return out;
}

inline uint32_t SubSaturate(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    const uint32_t dc = Byte(d, i), sc = Byte(s, i);
    out |= (dc > sc ? dc - sc : 0) << (8 * i);
  }
  return out;
}

inline uint32_t BlendLevel(uint32_t d, uint32_t s, uint8_t level) {
  const uint8_t* keep = ProductTable[255 - level];
  const uint8_t* take = ProductTable[level];
  const uint32_t da = d >> 24, sa = s >> 24;
  uint32_t color;
  if (sa == 0) {
    color = d & 0x00FFFFFFu;
  } else if (da == 0) {
    color = s & 0x00FFFFFFu;
  } else {
    color = 0;
    for (int i = 0; i < 3; ++i) color |= uint32_t(keep[Byte(d, i)] + take[Byte(s, i)]) << (8 * i);
  }
  return color | (uint32_t(keep[da] + take[sa]) << 24);
}

// Alpha blend by the source alpha, destination alpha cleared. The plain
// weighting keeps 255 - a of the destination (256 at a = 0); the packed one
// keeps 256 - w, so the two differ by one step in some channels.
template <bool kPacked>
inline uint32_t BlendByAlpha(uint32_t d, uint32_t s) {
  const uint32_t a = s >> 24;
  const uint32_t w = a == 255 ? 256 : a;
  uint32_t v;
  if constexpr (kPacked)
    v = 256 - w;
  else
    v = a == 0 ? 256 : 255 - a;
  uint32_t out = 0;
  for (int i = 0; i < 3; ++i) {
    uint32_t c = ((Byte(s, i) * w) >> 8) + ((Byte(d, i) * v) >> 8);
    out |= (c > 255 ? 255 : c) << (8 * i);
  }
  return out;
}

}  // namespace orrivel::pixel_ops
