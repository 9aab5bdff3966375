// Packed twins of the composite kernels (SSE2, four pixels per step; the
// alpha blend also in AVX2, eight pixels per step).

#include "raster/CompositeKernels32.h"

#include <cstdint>
#include "raster/KernelFlags.h"
#include "raster/PackedLoops.h"

namespace orrivel {

namespace packed = packed_loops;

namespace {

// One pixel of the packed blend without a loop over the channels: red and
// blue share one word (each product below 65536, so neither reaches the
// other), green takes another, and masks keep each shifted product's floor.
// Rows shorter than a vector step (the small pieces of block transitions)
// are all single pixels, so this is their whole cost.
inline uint32_t BlendPixel(uint32_t d, uint32_t s) {
  const uint32_t a = s >> 24;
  const uint32_t w = a + (a == 255 ? 1 : 0);
  const uint32_t v = 256 - w;
  const uint32_t redBlue = (((s & 0x00FF00FFu) * w) >> 8 & 0x00FF00FFu) +
                           (((d & 0x00FF00FFu) * v) >> 8 & 0x00FF00FFu);
  const uint32_t green = (((s & 0x0000FF00u) * w) >> 8 & 0x0000FF00u) +
                         (((d & 0x0000FF00u) * v) >> 8 & 0x0000FF00u);
  return redBlue | green;
}

#if ORRIVEL_HAVE_SSE2
using packed::Vec;

// Weight w = a (256 at a = 255) on the source, 256 - w on the destination,
// each product shifted down on its own, summed; alpha 0. The sum never
// exceeds 255, so no lane carries into the next.
//
// Every product is the high half of a 16-bit multiply, with the channel in
// the high byte of its lane: (c << 8) * w >> 16 is the floor of c * w / 256.
// Blue and red reach the high bytes of the two 16-bit halves of a pixel by
// one shift; green already sits in the high byte of the low half and the
// alpha half is masked to zero. No bytes are unpacked and no product needs a
// shift of its own, which keeps the step short: its cost is the count of
// instructions, not memory.

// Per pixel, the weight w in both 16-bit halves: the halves are filled with
// alpha and red, then shifted down to the alpha.
inline Vec WeightsOf(Vec s) {
  const Vec alphaRed = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xF5), 0xF5);
  const Vec a = _mm_srli_epi16(alphaRed, 8);
  return _mm_sub_epi16(a, _mm_cmpeq_epi16(a, _mm_set1_epi16(255)));
}

// The weights of eight pixels, one 16-bit lane each: the alphas are packed
// into one vector, so the weight and the test of the eight cost one step.
inline Vec WeightsOfEight(Vec s0, Vec s1) {
  const Vec a = _mm_packs_epi32(_mm_srli_epi32(s0, 24), _mm_srli_epi32(s1, 24));
  return _mm_sub_epi16(a, _mm_cmpeq_epi16(a, _mm_set1_epi16(255)));
}

// Bits 0, 2, ..., 14 are set for the pixels of WeightsOfEight whose weight
// is 0 or 256.
inline int WholeBitsOfEight(Vec w) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(w, _mm_setzero_si128())) & 0x5555;
}

// Bits 0, 4, 8 and 12 are set for the pixels whose weight is 0 or 256: the
// low byte of the weight is zero.
inline int WholeBits(Vec zeroLowBytes) { return _mm_movemask_epi8(zeroLowBytes) & 0x1111; }
inline Vec ZeroBytes(Vec w) { return _mm_cmpeq_epi8(w, _mm_setzero_si128()); }

// Pixels of weight 0 or 256 take one side whole: the source colour where
// opaque, the destination colour where clear. Their alpha is 0 or 255, so
// its top bit tells the two apart.
inline Vec TakeWhole(Vec d, Vec s) {
  const Vec opaque = _mm_srai_epi32(s, 31);
  return _mm_and_si128(_mm_or_si128(_mm_and_si128(opaque, s), _mm_andnot_si128(opaque, d)),
                       _mm_set1_epi32(0x00FFFFFF));
}

inline Vec Mix(Vec d, Vec s, Vec w) {
  const Vec v = _mm_sub_epi16(_mm_set1_epi16(256), w);
  const Vec green = _mm_set1_epi32(0x0000FF00);
  const Vec br = _mm_add_epi16(_mm_mulhi_epu16(_mm_slli_epi16(s, 8), w),
                               _mm_mulhi_epu16(_mm_slli_epi16(d, 8), v));
  const Vec g = _mm_add_epi16(_mm_mulhi_epu16(_mm_and_si128(s, green), w),
                              _mm_mulhi_epu16(_mm_and_si128(d, green), v));
  return _mm_or_si128(br, _mm_slli_epi32(g, 8));
}

// One group of four, for the stretched walks.
struct BlendOp {
  Vec operator()(Vec d, Vec s) const {
    const Vec w = WeightsOf(s);
    if (WholeBits(ZeroBytes(w)) == 0x1111) return TakeWhole(d, s);
    return Mix(d, s, w);
  }
};
constexpr BlendOp kBlendVec{};

inline Vec LoadAligned(const uint32_t* p) { return _mm_load_si128(reinterpret_cast<const Vec*>(p)); }
inline void StoreAligned(uint32_t* p, Vec v) { _mm_store_si128(reinterpret_cast<Vec*>(p), v); }

// Alpha bytes of eight pixels all 0, or all 255.
inline bool AllClear(Vec s0, Vec s1) {
  const Vec zero = _mm_setzero_si128();
  return (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(s0, s1), zero)) & 0x8888) == 0x8888;
}
inline bool AllOpaque(Vec s0, Vec s1) {
  const Vec ones = _mm_set1_epi32(-1);
  return (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(s0, s1), ones)) & 0x8888) == 0x8888;
}

// Straight and mirrored rows go eight pixels a step and test both groups
// at once, so sprite rows skip the multiplies: a run of clear pixels only
// clears the destination alpha, a run of opaque pixels copies the source
// colour, and eight pixels that mix the two take each side whole.
template <bool kMirrored>
void BlendRow(uint32_t* d, packed::SourceRow<kMirrored> src, int rowWidth) {
  const Vec colour = _mm_set1_epi32(0x00FFFFFF);
  const ptrdiff_t width = rowWidth;
  ptrdiff_t x = 0;
  // Single pixels up to a 16-byte boundary of the destination: its loads and
  // stores then never straddle a cache line, and loads fold into the
  // operations that use them.
  for (; x < width && (reinterpret_cast<uintptr_t>(d + x) & 15) != 0; ++x)
    d[x] = BlendPixel(d[x], src.Pixel(x));
  while (x + 8 <= width) {
    const Vec s0 = src.Group(x), s1 = src.Group(x + 4);
    const Vec w = WeightsOfEight(s0, s1);
    if (WholeBitsOfEight(w) != 0x5555) {
      uint32_t* p = d + x;
      StoreAligned(p, Mix(LoadAligned(p), s0, _mm_unpacklo_epi16(w, w)));
      StoreAligned(p + 4, Mix(LoadAligned(p + 4), s1, _mm_unpackhi_epi16(w, w)));
      x += 8;
    } else if (AllClear(s0, s1)) {
      do {
        StoreAligned(d + x, _mm_and_si128(LoadAligned(d + x), colour));
        StoreAligned(d + x + 4, _mm_and_si128(LoadAligned(d + x + 4), colour));
        x += 8;
      } while (x + 8 <= width && AllClear(src.Group(x), src.Group(x + 4)));
    } else if (AllOpaque(s0, s1)) {
      Vec o0 = s0, o1 = s1;
      for (;;) {
        StoreAligned(d + x, _mm_and_si128(o0, colour));
        StoreAligned(d + x + 4, _mm_and_si128(o1, colour));
        x += 8;
        if (x + 8 > width) break;
        o0 = src.Group(x);
        o1 = src.Group(x + 4);
        if (!AllOpaque(o0, o1)) break;
      }
    } else {
      StoreAligned(d + x, TakeWhole(LoadAligned(d + x), s0));
      StoreAligned(d + x + 4, TakeWhole(LoadAligned(d + x + 4), s1));
      x += 8;
    }
  }
  if (x + 4 <= width) {
    StoreAligned(d + x, kBlendVec(LoadAligned(d + x), src.Group(x)));
    x += 4;
  }
  for (; x < width; ++x) d[x] = BlendPixel(d[x], src.Pixel(x));
}

constexpr auto kColorKeepAlphaVec = [](Vec d, Vec s) {
  const Vec high = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  return _mm_or_si128(_mm_andnot_si128(high, s), _mm_and_si128(high, d));
};

constexpr auto kAlphaKeepColorVec = [](Vec d, Vec s) {
  const Vec high = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  return _mm_or_si128(_mm_and_si128(high, s), _mm_andnot_si128(high, d));
};

auto ColorKeepAlphaKeyedVec(uint32_t key) { return packed::KeyedVec(key, kColorKeepAlphaVec); }
#else
struct Vec {};
constexpr auto kBlendVec = [](Vec, Vec s) { return s; };
constexpr auto kColorKeepAlphaVec = kBlendVec;
constexpr auto kAlphaKeepColorVec = kBlendVec;
auto ColorKeepAlphaKeyedVec(uint32_t) { return kBlendVec; }
#endif

constexpr auto kBlendScalar = [](uint32_t& d, uint32_t s) { d = BlendPixel(d, s); };
constexpr auto kColorKeepAlphaScalar = [](uint32_t& d, uint32_t s) {
  d = (s & 0x00FFFFFFu) | (d & 0xFF000000u);
};
constexpr auto kAlphaKeepColorScalar = [](uint32_t& d, uint32_t s) {
  d = (s & 0xFF000000u) | (d & 0x00FFFFFFu);
};

template <bool kMirrored>
void BlendRows(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
#if ORRIVEL_HAVE_SSE2
  packed::Rows<kMirrored>(dst, src, dstSkip, srcSkip, width, height,
                          [](uint32_t* d, packed::SourceRow<kMirrored> s, int w) { BlendRow(d, s, w); });
#else
  if constexpr (kMirrored)
    packed::Mirrored(dst, src, dstSkip, srcSkip, width, height, kBlendVec, kBlendScalar);
  else
    packed::Straight(dst, src, dstSkip, srcSkip, width, height, kBlendVec, kBlendScalar);
#endif
}

}  // namespace

#if ORRIVEL_HAVE_AVX2_PATH
ORRIVEL_BEGIN_AVX2
namespace {

using WideVec = packed::wide::Vec;

// The alpha of each pixel of the low (or high) two pixels of every 128-bit
// half, spread over that pixel's four 16-bit lanes.
inline WideVec SpreadAlpha(WideVec s, bool high) {
  const int a = high ? 11 : 3, b = high ? 15 : 7;
  const WideVec pick = _mm256_setr_epi8(a, -1, a, -1, a, -1, a, -1, b, -1, b, -1, b, -1, b, -1,
                                        a, -1, a, -1, a, -1, a, -1, b, -1, b, -1, b, -1, b, -1);
  return _mm256_shuffle_epi8(s, pick);
}

// The same arithmetic as the 128-bit form above, eight pixels at a time.
inline WideVec WideBlendHalf(WideVec d16High, WideVec s16High, WideVec alpha) {
  const WideVec w = _mm256_sub_epi16(alpha, _mm256_cmpeq_epi16(alpha, _mm256_set1_epi16(255)));
  const WideVec v = _mm256_sub_epi16(_mm256_set1_epi16(256), w);
  return _mm256_add_epi16(_mm256_mulhi_epu16(s16High, w), _mm256_mulhi_epu16(d16High, v));
}

// A group wholly clear keeps the destination colour and a group wholly
// opaque takes the source colour: weights 0 and 256 give exactly those.
struct WideBlendOp {
  WideVec operator()(WideVec d, WideVec s) const {
    const WideVec colour = _mm256_set1_epi32(0x00FFFFFF);
    const WideVec alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    if (_mm256_testz_si256(s, alphaBits)) return _mm256_and_si256(d, colour);
    if (_mm256_testc_si256(s, alphaBits)) return _mm256_and_si256(s, colour);
    const WideVec z = _mm256_setzero_si256();
    const WideVec lo = WideBlendHalf(_mm256_unpacklo_epi8(z, d), _mm256_unpacklo_epi8(z, s),
                                     SpreadAlpha(s, false));
    const WideVec hi = WideBlendHalf(_mm256_unpackhi_epi8(z, d), _mm256_unpackhi_epi8(z, s),
                                     SpreadAlpha(s, true));
    return _mm256_and_si256(_mm256_packus_epi16(lo, hi), colour);
  }
};

void WideBlendByAlpha(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  packed::wide::Straight(dst, src, dstSkip, srcSkip, width, height, WideBlendOp{}, kBlendScalar);
}

void WideBlendByAlphaMirrored(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                              int height) {
  packed::wide::Mirrored(dst, src, dstSkip, srcSkip, width, height, WideBlendOp{}, kBlendScalar);
}

template <bool kMirrored>
void WideStretchBlendByAlpha(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                             int height, const StretchStep& step) {
  packed::wide::Stretched<kMirrored>(dst, src, dstSkip, srcPitch, width, height, step,
                                     WideBlendOp{}, kBlendScalar);
}

}  // namespace
ORRIVEL_END_AVX2
#define ORRIVEL_WIDE(call)                  \
  do {                                      \
    if (PackedVectorBytes() >= 32) {        \
      call;                                 \
      return;                               \
    }                                       \
  } while (0)
#else
#define ORRIVEL_WIDE(call) \
  do {                     \
  } while (0)
#endif

void BlendByAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  ORRIVEL_WIDE(WideBlendByAlpha(dst, src, dstSkip, srcSkip, width, height));
  BlendRows<false>(dst, src, dstSkip, srcSkip, width, height);
}

void StretchBlendByAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                              int height, const StretchStep& step) {
  ORRIVEL_WIDE(WideStretchBlendByAlpha<false>(dst, src, dstSkip, srcPitch, width, height, step));
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, kBlendVec, kBlendScalar);
}

void BlendByAlpha32MirroredMmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height) {
  ORRIVEL_WIDE(WideBlendByAlphaMirrored(dst, src, dstSkip, srcSkip, width, height));
  BlendRows<true>(dst, src, dstSkip, srcSkip, width, height);
}

void StretchBlendByAlpha32MirroredMmx(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step) {
  ORRIVEL_WIDE(WideStretchBlendByAlpha<true>(dst, src, dstSkip, srcPitch, width, height, step));
  packed::Stretched<true>(dst, src, dstSkip, srcPitch, width, height, step, kBlendVec, kBlendScalar);
}

void CopyColorKeepAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                             int height) {
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, kColorKeepAlphaVec,
                   kColorKeepAlphaScalar);
}

void StretchCopyColorKeepAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                    int height, const StretchStep& step) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, kColorKeepAlphaVec,
                           kColorKeepAlphaScalar);
}

void CopyColorKeepAlphaKeyed32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                                  int height, uint32_t key) {
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, ColorKeepAlphaKeyedVec(key),
                   kernel_loops::Keyed(key, kColorKeepAlphaScalar));
}

void StretchCopyColorKeepAlphaKeyed32Mmx(void* dst, const void* src, int dstSkip, int srcPitch,
                                         int width, int height, const StretchStep& step,
                                         uint32_t key) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step,
                           ColorKeepAlphaKeyedVec(key),
                           kernel_loops::Keyed(key, kColorKeepAlphaScalar));
}

void CopyAlphaKeepColor32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                             int height) {
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, kAlphaKeepColorVec,
                   kAlphaKeepColorScalar);
}

void StretchCopyAlphaKeepColor32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                    int height, const StretchStep& step) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, kAlphaKeepColorVec,
                           kAlphaKeepColorScalar);
}

#undef ORRIVEL_WIDE

}  // namespace orrivel
