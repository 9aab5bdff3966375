#pragma once
// Rows of the interpolated stretch. A destination row first mixes the two
// source rows around it (down), then mixes two neighbours of that mixed row
// for every pixel (across), then lays the result over the target by the
// opacity. Each step has a plain form and packed twins (SSE2 four pixels a
// step, AVX2 eight where the processor has it) that write the same bytes.
//
// Both mixes are lerp(a, b, w) = (a * (256 - w) + b * w) >> 8 on every
// channel, w from 0 to 255, which is a + ((b - a) * w >> 8) rounded down;
// the packed forms compute the latter in 16-bit lanes.
#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/pixelops/BlendRows.h"
#include "raster/PackedLoops.h"

namespace pixelops {

// a + (b - a) * w / 256 on each byte, two bytes a step (w 0 to 255).
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w) {
  const uint32_t rb = (((a & 0x00FF00FFu) * (256 - w) + (b & 0x00FF00FFu) * w) >> 8) & 0x00FF00FFu;
  const uint32_t ag = ((((a >> 8) & 0x00FF00FFu) * (256 - w) + ((b >> 8) & 0x00FF00FFu) * w)) &
                      0xFF00FF00u;
  return rb | ag;
}

// Where a destination row's pixels read the mixed row: pixel i sits at
// source column position first + i * step (16.16 fixed point, already moved
// half a texel left so that its whole part is the left neighbour). Only
// columns left to right - 1 are read (edge texels repeat outward); the
// mixed row's element 0 holds column low.
struct AcrossWalk {
  int64_t first = 0;
  int64_t step = 0;
  int64_t left = 0, right = 1;
  int64_t low = 0;

  int64_t Position(int64_t i) const { return first + i * step; }
  int64_t Column(int64_t column) const { return std::clamp(column, left, right - 1) - low; }
};

// --- plain --------------------------------------------------------------------------------

inline void MixDownRow(uint32_t* out, const uint32_t* top, const uint32_t* bottom, int32_t count,
                       uint32_t w) {
  for (int32_t c = 0; c < count; ++c) out[c] = Lerp(top[c], bottom[c], w);
}

// Pixels from to to - 1 of the row.
inline void MixAcrossRow(uint32_t* out, const uint32_t* mixed, const AcrossWalk& walk, int32_t from,
                         int32_t to) {
  for (int32_t i = from; i < to; ++i) {
    const int64_t fu = walk.Position(i);
    const int64_t bu = fu >> 16;
    const uint32_t w = uint32_t(fu >> 8) & 0xFF;
    out[i] = Lerp(mixed[walk.Column(bu)], mixed[walk.Column(bu + 1)], w);
  }
}

// Colour channels of out moved toward in by k / 255 (k below 255), alpha of
// out kept.
inline void BlendByOpacityRow(uint32_t* out, const uint32_t* in, int32_t width, uint32_t k) {
  for (int32_t i = 0; i < width; ++i) out[i] = Mix(out[i], in[i], k);
}

// The pixels whose two texels both lie inside the columns, as [*begin, *end):
// positions only grow along a row, so the ones that need the edge repeated
// sit at its two ends.
inline void InnerSpan(const AcrossWalk& walk, int32_t width, int32_t* begin, int32_t* end) {
  int32_t b = 0, e = width;
  while (b < e && (walk.Position(b) >> 16) < walk.left) ++b;
  while (e > b && (walk.Position(e - 1) >> 16) + 1 > walk.right - 1) --e;
  *begin = b;
  *end = e;
}

// --- packed (SSE2) ------------------------------------------------------------------------

// lerp of eight 16-bit channels a toward b by twice the weights in w2, as
// a + ((b - a) * 128 * 2w >> 16): the difference times 128 fits a signed
// lane and the high half of the product is (b - a) * w / 256 rounded down,
// the same value in one multiply.
inline __m128i LerpLanes(__m128i a, __m128i b, __m128i w2) {
  return _mm_add_epi16(a, _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(b, a), 7), w2));
}

inline void MixDownRowPacked(uint32_t* out, const uint32_t* top, const uint32_t* bottom, int32_t count,
                             uint32_t w) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i weight = _mm_set1_epi16(int16_t(2 * w));
  int32_t c = 0;
  for (; c + 4 <= count; c += 4) {
    const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + c));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + c));
    const __m128i lo = LerpLanes(_mm_unpacklo_epi8(t, zero), _mm_unpacklo_epi8(b, zero), weight);
    const __m128i hi = LerpLanes(_mm_unpackhi_epi8(t, zero), _mm_unpackhi_epi8(b, zero), weight);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + c), _mm_packus_epi16(lo, hi));
  }
  MixDownRow(out + c, top + c, bottom + c, count - c, w);
}

// Two pixels mixed from their texel pairs p and q (each pair in the low 64
// bits, left texel first) by twice their weights in w2 (four lanes each).
inline __m128i MixPairs(__m128i p, __m128i q, __m128i w2) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i both = _mm_unpacklo_epi32(p, q);  // left p, left q, right p, right q
  return LerpLanes(_mm_unpacklo_epi8(both, zero), _mm_unpackhi_epi8(both, zero), w2);
}

inline __m128i TexelPair(const uint32_t* mixed, int64_t column) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(mixed + column));
}

inline void MixAcrossRowPacked(uint32_t* out, const uint32_t* mixed, const AcrossWalk& walk, int32_t from,
                               int32_t to) {
  int32_t begin = 0, end = 0;
  InnerSpan(walk, to, &begin, &end);
  begin = std::max(begin, from);
  if (begin >= end) return MixAcrossRow(out, mixed, walk, from, to);
  MixAcrossRow(out, mixed, walk, from, begin);
  // The weights come from the low 32 bits of each position, which wrap the
  // same way in 32-bit lanes; the texel columns from the whole positions.
  // Copies: the stores below may alias anything, the walk included.
  const int64_t advanceU = walk.step;
  const uint32_t step = uint32_t(advanceU);
  const uint32_t p0 = uint32_t(walk.Position(begin));
  __m128i fraction = _mm_setr_epi32(int32_t(p0), int32_t(p0 + step), int32_t(p0 + 2 * step),
                                    int32_t(p0 + 3 * step));
  const __m128i advance = _mm_set1_epi32(int32_t(4 * step));
  const __m128i twiceByte = _mm_set1_epi32(0x1FE);
  int64_t fu = walk.Position(begin);
  const int64_t low = walk.low;
  int32_t i = begin;
  for (; i + 4 <= end; i += 4) {
    const __m128i w = _mm_and_si128(_mm_srli_epi32(fraction, 7), twiceByte);  // twice each weight
    const __m128i w16 = _mm_packs_epi32(w, w);
    const __m128i spread = _mm_unpacklo_epi16(w16, w16);  // w0 w0 w1 w1 w2 w2 w3 w3
    fraction = _mm_add_epi32(fraction, advance);
    const __m128i t0 = TexelPair(mixed, (fu >> 16) - low);
    const __m128i t1 = TexelPair(mixed, ((fu + advanceU) >> 16) - low);
    const __m128i t2 = TexelPair(mixed, ((fu + 2 * advanceU) >> 16) - low);
    const __m128i t3 = TexelPair(mixed, ((fu + 3 * advanceU) >> 16) - low);
    fu += 4 * advanceU;
    const __m128i first = MixPairs(t0, t1, _mm_unpacklo_epi32(spread, spread));
    const __m128i second = MixPairs(t2, t3, _mm_unpackhi_epi32(spread, spread));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(first, second));
  }
  MixAcrossRow(out, mixed, walk, i, to);
}

inline void BlendByOpacityRowPacked(uint32_t* out, const uint32_t* in, int32_t width, uint32_t k) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000u));
  const __m128i level = _mm_set1_epi16(int16_t(k));
  const __m128i rest = _mm_set1_epi16(int16_t(255 - k));
  auto half = [&](__m128i d, __m128i s) {
    return Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(s, level), _mm_mullo_epi16(d, rest)));
  };
  int32_t i = 0;
  for (; i + 4 <= width; i += 4) {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i mixed = _mm_packus_epi16(half(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero)),
                                           half(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_or_si128(_mm_andnot_si128(alpha, mixed), _mm_and_si128(d, alpha)));
  }
  BlendByOpacityRow(out + i, in + i, width - i, k);
}

// --- wide (AVX2) --------------------------------------------------------------------------

#if ORRIVEL_HAVE_AVX2_PATH
ORRIVEL_BEGIN_AVX2

inline __m256i WideLerpLanes(__m256i a, __m256i b, __m256i w2) {
  return _mm256_add_epi16(a, _mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(b, a), 7), w2));
}

inline void MixDownRowWide(uint32_t* out, const uint32_t* top, const uint32_t* bottom, int32_t count,
                           uint32_t w) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i weight = _mm256_set1_epi16(int16_t(2 * w));
  int32_t c = 0;
  for (; c + 8 <= count; c += 8) {
    const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + c));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + c));
    const __m256i lo = WideLerpLanes(_mm256_unpacklo_epi8(t, zero), _mm256_unpacklo_epi8(b, zero), weight);
    const __m256i hi = WideLerpLanes(_mm256_unpackhi_epi8(t, zero), _mm256_unpackhi_epi8(b, zero), weight);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c), _mm256_packus_epi16(lo, hi));
  }
  // SSE2 code after dirty upper halves would pay on every instruction.
  _mm256_zeroupper();
  MixDownRowPacked(out + c, top + c, bottom + c, count - c, w);
}

// Four pixels of a row in 16-bit lanes, pixels 0 and 1 in the low half and
// 2 and 3 in the high half, from their texel pairs and twice their weights
// (in the low 16 bits of four 32-bit lanes).
inline __m256i WideMixFour(__m128i t0, __m128i t1, __m128i t2, __m128i t3, __m128i w2) {
  // Bytes 0-1 of weight 0 four times, then of weight 1 | weights 2 and 3.
  const __m256i spread = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 4, 5, 4, 5, 4, 5, 4, 5,
                                          8, 9, 8, 9, 8, 9, 8, 9, 12, 13, 12, 13, 12, 13, 12, 13);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i both = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi32(t0, t1)),
                                               _mm_unpacklo_epi32(t2, t3), 1);
  const __m256i weights = _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(w2), spread);
  return WideLerpLanes(_mm256_unpacklo_epi8(both, zero), _mm256_unpackhi_epi8(both, zero), weights);
}

inline void MixAcrossRowWide(uint32_t* out, const uint32_t* mixed, const AcrossWalk& walk, int32_t from,
                             int32_t to) {
  int32_t begin = 0, end = 0;
  InnerSpan(walk, to, &begin, &end);
  begin = std::max(begin, from);
  if (begin >= end) return MixAcrossRow(out, mixed, walk, from, to);
  MixAcrossRow(out, mixed, walk, from, begin);
  const int64_t advanceU = walk.step;
  const uint32_t step = uint32_t(advanceU);
  const uint32_t p0 = uint32_t(walk.Position(begin));
  __m128i fraction = _mm_setr_epi32(int32_t(p0), int32_t(p0 + step), int32_t(p0 + 2 * step),
                                    int32_t(p0 + 3 * step));
  const __m128i advance = _mm_set1_epi32(int32_t(4 * step));
  const __m128i twiceByte = _mm_set1_epi32(0x1FE);
  int64_t fu = walk.Position(begin);
  const int64_t low = walk.low;
  auto four = [&]() {
    const __m128i w2 = _mm_and_si128(_mm_srli_epi32(fraction, 7), twiceByte);
    fraction = _mm_add_epi32(fraction, advance);
    const __m128i t0 = TexelPair(mixed, (fu >> 16) - low);
    const __m128i t1 = TexelPair(mixed, ((fu + advanceU) >> 16) - low);
    const __m128i t2 = TexelPair(mixed, ((fu + 2 * advanceU) >> 16) - low);
    const __m128i t3 = TexelPair(mixed, ((fu + 3 * advanceU) >> 16) - low);
    fu += 4 * advanceU;
    return WideMixFour(t0, t1, t2, t3, w2);
  };
  int32_t i = begin;
  for (; i + 8 <= end; i += 8) {
    const __m256i first = four(), second = four();
    // Packing works within halves: pixels 0 1 4 5 | 2 3 6 7 put back in order.
    const __m256i packed = _mm256_packus_epi16(first, second);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_permute4x64_epi64(packed, 0xD8));
  }
  _mm256_zeroupper();
  MixAcrossRow(out, mixed, walk, i, to);
}

ORRIVEL_END_AVX2
#endif

// --- the steps chosen together ------------------------------------------------------------

struct StretchRowKernels {
  void (*mixDown)(uint32_t*, const uint32_t*, const uint32_t*, int32_t, uint32_t);
  void (*mixAcross)(uint32_t*, const uint32_t*, const AcrossWalk&, int32_t, int32_t);
  void (*blend)(uint32_t*, const uint32_t*, int32_t, uint32_t);
};

inline constexpr StretchRowKernels kPlainStretchRows{&MixDownRow, &MixAcrossRow, &BlendByOpacityRow};
inline constexpr StretchRowKernels kPackedStretchRows{&MixDownRowPacked, &MixAcrossRowPacked,
                                                      &BlendByOpacityRowPacked};

#if ORRIVEL_HAVE_AVX2_PATH
inline constexpr StretchRowKernels kWideStretchRows{&MixDownRowWide, &MixAcrossRowWide,
                                                    &BlendByOpacityRowPacked};
#endif

// Whether the processor has the wide twins.
inline bool HasWideStretchRows() {
#if ORRIVEL_HAVE_AVX2_PATH
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

// The widest twins the processor has.
inline const StretchRowKernels& ChosenStretchRows() {
#if ORRIVEL_HAVE_AVX2_PATH
  if (HasWideStretchRows()) return kWideStretchRows;
#endif
  return kPackedStretchRows;
}

// Rows kept from call to call so that a steady animation allocates nothing.
struct StretchRowScratch {
  std::vector<uint32_t> mixed;
  std::vector<uint32_t> texels;
};

// One interpolated destination row: source rows top and bottom (from column
// walk.low on) mixed by wy, then across, then over out by opacity k.
inline void StretchSmoothRow(const StretchRowKernels& kernels, uint32_t* out, const uint32_t* top,
                             const uint32_t* bottom, uint32_t wy, const AcrossWalk& walk, int32_t columns,
                             int32_t width, uint32_t k, StretchRowScratch& scratch) {
  const uint32_t* mixed = top;
  if (wy != 0) {
    scratch.mixed.resize(size_t(columns));
    kernels.mixDown(scratch.mixed.data(), top, bottom, columns, wy);
    mixed = scratch.mixed.data();
  }
  if (k == 255) return kernels.mixAcross(out, mixed, walk, 0, width);
  scratch.texels.resize(size_t(width));
  kernels.mixAcross(scratch.texels.data(), mixed, walk, 0, width);
  kernels.blend(out, scratch.texels.data(), width, k);
}

}  // namespace pixelops
