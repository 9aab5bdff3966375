#pragma once

// Row walkers of the packed (SIMD) kernel twins: four 32-bit pixels per step
// through a vector operation, the tail pixels through the matching scalar
// operation. On processors without SSE2 every pixel takes the scalar
// operation, which gives the same results. The wide walkers take eight pixels
// per step in 256-bit vectors; they and their operations are compiled for
// AVX2 alone (between ORRIVEL_BEGIN_AVX2 and ORRIVEL_END_AVX2) and run only
// when PackedVectorBytes() is 32. Internal to the kernel files.

#include <cstddef>
#include <cstdint>

#include "raster/KernelLoops.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define ORRIVEL_HAVE_SSE2 1
#else
#define ORRIVEL_HAVE_SSE2 0
#endif

// The 256-bit paths need a compiler that can build single functions for a
// wider instruction set than the rest of the program.
#if ORRIVEL_HAVE_SSE2 && defined(__GNUC__) && !defined(__clang__)
#include <immintrin.h>
#define ORRIVEL_HAVE_AVX2_PATH 1
#define ORRIVEL_BEGIN_AVX2 _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define ORRIVEL_END_AVX2 _Pragma("GCC pop_options")
#elif ORRIVEL_HAVE_SSE2 && defined(__clang__)
#include <immintrin.h>
#define ORRIVEL_HAVE_AVX2_PATH 1
#define ORRIVEL_BEGIN_AVX2 \
  _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define ORRIVEL_END_AVX2 _Pragma("clang attribute pop")
#else
#define ORRIVEL_HAVE_AVX2_PATH 0
#define ORRIVEL_BEGIN_AVX2
#define ORRIVEL_END_AVX2
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

// One source row as a row operation reads it: pixel x and the group of four
// from x on, in destination order (mirrored rows read leftwards from just
// after their rightmost pixel).
template <bool kMirrored>
struct SourceRow {
  const uint32_t* p;
  uint32_t Pixel(ptrdiff_t x) const { return kMirrored ? p[-1 - x] : p[x]; }
#if ORRIVEL_HAVE_SSE2
  Vec Group(ptrdiff_t x) const { return kMirrored ? Reverse(Load(p - x - 4)) : Load(p + x); }
#endif
};

// Walks the rows and hands each whole row to fn(destination row, SourceRow,
// width), for operations that look ahead along the row rather than one
// group at a time.
template <bool kMirrored, typename RowFn>
inline void Rows(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                 RowFn fn) {
  const ptrdiff_t srcStep = (kMirrored ? -ptrdiff_t(width) : ptrdiff_t(width)) * 4 + srcSkip;
  for (int y = 0; y < height; ++y) {
    fn(static_cast<uint32_t*>(dst), SourceRow<kMirrored>{static_cast<const uint32_t*>(src)}, width);
    dst = Advance(dst, ptrdiff_t(width) * 4 + dstSkip);
    src = Advance(src, srcStep);
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

#if ORRIVEL_HAVE_AVX2_PATH
ORRIVEL_BEGIN_AVX2
namespace wide {

using Vec = __m256i;

inline Vec Load(const uint32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const Vec*>(p)); }
inline void Store(uint32_t* p, Vec v) { _mm256_storeu_si256(reinterpret_cast<Vec*>(p), v); }
inline Vec Reverse(Vec v) { return _mm256_permutevar8x32_epi32(v, _mm256_set_epi32(0, 1, 2, 3, 4, 5, 6, 7)); }

template <typename VecOp, typename ScalarOp>
inline void Straight(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                     VecOp vop, ScalarOp sop) {
  for (int y = 0; y < height; ++y) {
    uint32_t* d = static_cast<uint32_t*>(dst);
    const uint32_t* s = static_cast<const uint32_t*>(src);
    int x = 0;
    for (; x + 8 <= width; x += 8) Store(d + x, vop(Load(d + x), Load(s + x)));
    for (; x < width; ++x) sop(d[x], s[x]);
    dst = Advance(dst, ptrdiff_t(width) * 4 + dstSkip);
    src = Advance(src, ptrdiff_t(width) * 4 + srcSkip);
  }
}

template <typename VecOp, typename ScalarOp>
inline void Mirrored(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                     VecOp vop, ScalarOp sop) {
  for (int y = 0; y < height; ++y) {
    uint32_t* d = static_cast<uint32_t*>(dst);
    const uint32_t* s = static_cast<const uint32_t*>(src);
    int x = 0;
    for (; x + 8 <= width; x += 8) Store(d + x, vop(Load(d + x), Reverse(Load(s - x - 8))));
    for (; x < width; ++x) sop(d[x], s[-1 - x]);
    dst = Advance(dst, ptrdiff_t(width) * 4 + dstSkip);
    src = Advance(src, -ptrdiff_t(width) * 4 + srcSkip);
  }
}

template <bool kMirrored, typename VecOp, typename ScalarOp>
inline void Stretched(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                      const StretchStep& step, VecOp vop, ScalarOp sop) {
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
      return static_cast<int>(p);
    };
    int x = 0;
    for (; x + 8 <= width; x += 8) {
      const int p0 = next(), p1 = next(), p2 = next(), p3 = next();
      const int p4 = next(), p5 = next(), p6 = next(), p7 = next();
      Store(d + x, vop(Load(d + x), _mm256_setr_epi32(p0, p1, p2, p3, p4, p5, p6, p7)));
    }
    for (; x < width; ++x) sop(d[x], static_cast<uint32_t>(next()));
    drow += ptrdiff_t(width) * 4 + dstSkip;
  });
}

}  // namespace wide
ORRIVEL_END_AVX2
#endif

}  // namespace orrivel::packed_loops
