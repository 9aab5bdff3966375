#pragma once

// Row walkers shared by the kernel families: each runs a per-pixel operation
// op(destination pixel&, source pixel) over the rows in one of the four
// source orders. Internal to the kernel files.

#include <cstddef>
#include <cstdint>

#include "raster/StretchStep.h"

namespace orrivel::kernel_loops {

inline uint8_t* Advance(void* p, ptrdiff_t bytes) { return static_cast<uint8_t*>(p) + bytes; }
inline const uint8_t* Advance(const void* p, ptrdiff_t bytes) {
  return static_cast<const uint8_t*>(p) + bytes;
}

template <typename Dst, typename Src, typename Op>
inline void Straight(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                     Op op) {
  for (int y = 0; y < height; ++y) {
    Dst* d = static_cast<Dst*>(dst);
    const Src* s = static_cast<const Src*>(src);
    for (int x = 0; x < width; ++x) op(d[x], s[x]);
    dst = Advance(dst, ptrdiff_t(width) * ptrdiff_t(sizeof(Dst)) + dstSkip);
    src = Advance(src, ptrdiff_t(width) * ptrdiff_t(sizeof(Src)) + srcSkip);
  }
}

// src points just after the rightmost source pixel of the first row.
template <typename Dst, typename Src, typename Op>
inline void Mirrored(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                     Op op) {
  for (int y = 0; y < height; ++y) {
    Dst* d = static_cast<Dst*>(dst);
    const Src* s = static_cast<const Src*>(src);
    for (int x = 0; x < width; ++x) op(d[x], s[-1 - x]);
    dst = Advance(dst, ptrdiff_t(width) * ptrdiff_t(sizeof(Dst)) + dstSkip);
    src = Advance(src, -ptrdiff_t(width) * ptrdiff_t(sizeof(Src)) + srcSkip);
  }
}

// Source offsets of one stretched row, in pixels from the row start; every
// row uses the same offsets because xError restarts at each row.
template <typename Fn>
inline void ForEachStretchColumn(int width, const StretchStep& step, Fn fn) {
  uint32_t error = static_cast<uint32_t>(step.xError);
  ptrdiff_t offset = 0;
  for (int x = 0; x < width; ++x) {
    fn(x, offset);
    offset += step.xStep +
              StepCarry(error, static_cast<uint32_t>(step.xRemainder),
                        static_cast<uint32_t>(step.xDenominator));
  }
}

template <typename Fn>
inline void ForEachStretchRow(const void* src, int srcPitch, int height, const StretchStep& step,
                              Fn fn) {
  uint32_t error = static_cast<uint32_t>(step.yError);
  const uint8_t* row = static_cast<const uint8_t*>(src);
  for (int y = 0; y < height; ++y) {
    fn(y, row);
    const int rows = step.yStep + StepCarry(error, static_cast<uint32_t>(step.yRemainder),
                                            static_cast<uint32_t>(step.yDenominator));
    row += ptrdiff_t(rows) * srcPitch;
  }
}

template <typename Dst, typename Src, bool kMirrored, typename Op>
inline void Stretched(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                      const StretchStep& step, Op op) {
  uint8_t* d = static_cast<uint8_t*>(dst);
  ForEachStretchRow(src, srcPitch, height, step, [&](int, const uint8_t* row) {
    Dst* dp = reinterpret_cast<Dst*>(d);
    const Src* sp = reinterpret_cast<const Src*>(row);
    ForEachStretchColumn(width, step, [&](int x, ptrdiff_t offset) {
      if constexpr (kMirrored)
        op(dp[x], sp[-1 - offset]);
      else
        op(dp[x], sp[offset]);
    });
    d += ptrdiff_t(width) * ptrdiff_t(sizeof(Dst)) + dstSkip;
  });
}

// Wraps an operation so that source pixels equal to the key leave the
// destination alone.
template <typename Op>
inline auto Keyed(uint32_t key, Op op) {
  return [key, op](auto& d, auto s) {
    if (static_cast<uint32_t>(s) != key) op(d, s);
  };
}

}  // namespace orrivel::kernel_loops
