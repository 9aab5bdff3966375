// Packed twins of the composite kernels (SSE2, four pixels per step).

#include "raster/CompositeKernels32.h"
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

void BlendByAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, kBlendVec, kBlendScalar);
}

void StretchBlendByAlpha32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                              int height, const StretchStep& step) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, kBlendVec, kBlendScalar);
}

void BlendByAlpha32MirroredMmx(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height) {
  packed::Mirrored(dst, src, dstSkip, srcSkip, width, height, kBlendVec, kBlendScalar);
}

void StretchBlendByAlpha32MirroredMmx(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step) {
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

}  // namespace orrivel
