// Packed twins of the composite kernels (SSE2, four pixels per step; the
// alpha blend also in AVX2, eight pixels per step).

#include "raster/CompositeKernels32.h"
#include "raster/KernelFlags.h"
#include "raster/PackedLoops.h"
#include "raster/PixelOps32.h"

namespace orrivel {

namespace packed = packed_loops;
namespace ops = pixel_ops;

namespace {

#if ORRIVEL_HAVE_SSE2
using packed::Vec;

// Weight w = a (256 at a = 255) on the source, 256 - w on the destination,
// each product shifted down on its own, summed; alpha 0. The channels are
// unpacked into the high byte of each lane so that the high half of the
// 16-bit product is already (c * w) >> 8. The sum never exceeds 255.
inline Vec Weights(Vec s16High) {
  Vec a = _mm_srli_epi16(s16High, 8);
  a = _mm_shufflelo_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
  a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
  return _mm_sub_epi16(a, _mm_cmpeq_epi16(a, _mm_set1_epi16(255)));
}

inline Vec BlendHalf(Vec d16High, Vec s16High) {
  const Vec w = Weights(s16High);
  const Vec v = _mm_sub_epi16(_mm_set1_epi16(256), w);
  return _mm_add_epi16(_mm_mulhi_epu16(s16High, w), _mm_mulhi_epu16(d16High, v));
}

constexpr auto kBlendVec = [](Vec d, Vec s) {
  const Vec z = _mm_setzero_si128();
  const Vec lo = BlendHalf(_mm_unpacklo_epi8(z, d), _mm_unpacklo_epi8(z, s));
  const Vec hi = BlendHalf(_mm_unpackhi_epi8(z, d), _mm_unpackhi_epi8(z, s));
  return _mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(0x00FFFFFF));
};

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

constexpr auto kBlendScalar = [](uint32_t& d, uint32_t s) { d = ops::BlendByAlpha<true>(d, s); };
constexpr auto kColorKeepAlphaScalar = [](uint32_t& d, uint32_t s) {
  d = (s & 0x00FFFFFFu) | (d & 0xFF000000u);
};
constexpr auto kAlphaKeepColorScalar = [](uint32_t& d, uint32_t s) {
  d = (s & 0xFF000000u) | (d & 0x00FFFFFFu);
};

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
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, kBlendVec, kBlendScalar);
}

void StretchBlendByAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                              int height, const StretchStep& step) {
  ORRIVEL_WIDE(WideStretchBlendByAlpha<false>(dst, src, dstSkip, srcPitch, width, height, step));
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, kBlendVec, kBlendScalar);
}

void BlendByAlpha32MirroredMmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height) {
  ORRIVEL_WIDE(WideBlendByAlphaMirrored(dst, src, dstSkip, srcSkip, width, height));
  packed::Mirrored(dst, src, dstSkip, srcSkip, width, height, kBlendVec, kBlendScalar);
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
