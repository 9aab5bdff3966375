#pragma once

// Row walkers of the packed (SIMD) kernel twins: four 32-bit pixels per step
// through a vector operation, the tail pixels through the matching scalar
// operation. On processors without SSE2 every pixel takes the scalar
// operation, which gives the same results. Internal to the kernel files.

#include <cstddef>
#include <cstdint>

#include "raster/KernelLoops.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define ORRIVEL_HAVE_SSE2 1
#else
#define ORRIVEL_HAVE_SSE2 0
#endif

namespace orrivel::packed_loops {

using kernel_loops::Advance;

#if ORRIVEL_HAVE_SSE2
using Vec = __m128i;

inline Vec Load(const uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const Vec*>(p)); }
inline void Store(uint32_t* p, Vec v) { _mm_storeu_si128(reinterpret_cast<Vec*>(p), v); }
inline Vec Reverse(Vec v) { return _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3)); }

// Leaves the destination where the source equals the key.
template <typename VecOp>
inline auto KeyedVec(uint32_t key, VecOp op) {
  const Vec k = _mm_set1_epi32(static_cast<int>(key));
  return [k, op](Vec d, Vec s) {
    const Vec match = _mm_cmpeq_epi32(s, k);
    return _mm_or_si128(_mm_and_si128(match, d), _mm_andnot_si128(match, op(d, s)));
  };
}
#endif

template <typename VecOp, typename ScalarOp>
inline void Straight(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                     [[maybe_unused]] VecOp vop, ScalarOp sop) {
  for (int y = 0; y < height; ++y) {
    uint32_t* d = static_cast<uint32_t*>(dst);
    const uint32_t* s = static_cast<const uint32_t*>(src);
    int x = 0;
#if ORRIVEL_HAVE_SSE2
    for (; x + 4 <= width; x += 4) Store(d + x, vop(Load(d + x), Load(s + x)));
#endif
    for (; x < width; ++x) sop(d[x], s[x]);
    dst = Advance(dst, ptrdiff_t(width) * 4 + dstSkip);
    src = Advance(src, ptrdiff_t(width) * 4 + srcSkip);
  }
}

template <typename VecOp, typename ScalarOp>
inline void Mirrored(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                     [[maybe_unused]] VecOp vop, ScalarOp sop) {
  for (int y = 0; y < height; ++y) {
    uint32_t* d = static_cast<uint32_t*>(dst);
    const uint32_t* s = static_cast<const uint32_t*>(src);
    int x = 0;
#if ORRIVEL_HAVE_SSE2
    for (; x + 4 <= width; x += 4) Store(d + x, vop(Load(d + x), Reverse(Load(s - x - 4))));
#endif
    for (; x < width; ++x) sop(d[x], s[-1 - x]);
    dst = Advance(dst, ptrdiff_t(width) * 4 + dstSkip);
    src = Advance(src, -ptrdiff_t(width) * 4 + srcSkip);
  }
}

// Stretched rows gather four source pixels by the stepping rule, then run the
// vector operation on them.
template <bool kMirrored, typename VecOp, typename ScalarOp>
inline void Stretched(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                      const StretchStep& step, [[maybe_unused]] VecOp vop, ScalarOp sop) {
  uint8_t* drow = static_cast<uint8_t*>(dst);
  const uint32_t rem = static_cast<uint32_t>(step.xRemainder);
  const uint32_t den = static_cast<uint32_t>(step.xDenominator);
  kernel_loops::ForEachStretchRow(src, srcPitch, height, step, [&](int, const uint8_t* row) {
    uint32_t* d = reinterpret_cast<uint32_t*>(drow);
    const uint32_t* s = reinterpret_cast<const uint32_t*>(row);
    uint32_t error = static_cast<uint32_t>(step.xError);
    ptrdiff_t offset = 0;
    auto next = [&]() {
      const uint32_t p = kMirrored ? s[-1 - offset] : s[offset];
      offset += step.xStep + StepCarry(error, rem, den);
      return p;
    };
    int x = 0;
#if ORRIVEL_HAVE_SSE2
    for (; x + 4 <= width; x += 4) {
      const uint32_t p0 = next(), p1 = next(), p2 = next(), p3 = next();
      const Vec sv = _mm_set_epi32(static_cast<int>(p3), static_cast<int>(p2),
                                   static_cast<int>(p1), static_cast<int>(p0));
      Store(d + x, vop(Load(d + x), sv));
    }
#endif
    for (; x < width; ++x) sop(d[x], next());
    drow += ptrdiff_t(width) * 4 + dstSkip;
  });
}

}  // namespace orrivel::packed_loops
