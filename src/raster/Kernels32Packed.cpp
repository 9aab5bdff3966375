// Packed twins of the 32-bit row kernels (SSE2, four pixels per step).

#include <cstring>

#include "raster/Kernels32.h"
#include "raster/PackedLoops.h"
#include "raster/PixelOps32.h"

namespace orrivel {

namespace packed = packed_loops;
namespace ops = pixel_ops;

#if ORRIVEL_HAVE_SSE2
using packed::Vec;
#else
struct Vec {};
#endif

void FillColorKeepAlpha32Packed(void* dst, int dstSkip, int width, int height, uint32_t color) {
  const uint32_t low = color & 0x00FFFFFFu;
  uint8_t* row = static_cast<uint8_t*>(dst);
#if ORRIVEL_HAVE_SSE2
  const Vec keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  const Vec fill = _mm_set1_epi32(static_cast<int>(low));
#endif
  for (int y = 0; y < height; ++y) {
    uint32_t* d = reinterpret_cast<uint32_t*>(row);
    int x = 0;
#if ORRIVEL_HAVE_SSE2
    for (; x + 4 <= width; x += 4)
      packed::Store(d + x, _mm_or_si128(_mm_and_si128(packed::Load(d + x), keep), fill));
#endif
    for (; x < width; ++x) d[x] = (d[x] & 0xFF000000u) | low;
    row += ptrdiff_t(width) * 4 + dstSkip;
  }
}

namespace {
constexpr auto kCopyScalar = [](uint32_t& d, uint32_t s) { d = s; };
constexpr auto kCopyVec = [](Vec, Vec s) { return s; };
}  // namespace

void CopyPixels32Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  const uint8_t* s = static_cast<const uint8_t*>(src);
  uint8_t* d = static_cast<uint8_t*>(dst);
  const size_t rowBytes = size_t(width) * 4;
  if (dstSkip == 0 && srcSkip == 0) {
    std::memmove(d, s, rowBytes * size_t(height));
    return;
  }
  for (int y = 0; y < height; ++y) {
    std::memmove(d, s, rowBytes);
    d += ptrdiff_t(rowBytes) + dstSkip;
    s += ptrdiff_t(rowBytes) + srcSkip;
  }
}

void StretchCopyPixels32Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                               int height, const StretchStep& step) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, kCopyVec, kCopyScalar);
}

void MirrorCopyPixels32Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                              int height) {
  packed::Mirrored(dst, src, dstSkip, srcSkip, width, height, kCopyVec, kCopyScalar);
}

void StretchMirrorCopyPixels32Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                     int height, const StretchStep& step) {
  packed::Stretched<true>(dst, src, dstSkip, srcPitch, width, height, step, kCopyVec, kCopyScalar);
}

// --- factor and opacity blends in 16-bit lanes -----------------------------

namespace {

#if ORRIVEL_HAVE_SSE2
Vec Lanes16(uint32_t bytes) {
  return _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(bytes)), _mm_setzero_si128());
}

// (s * sf + d * df) >> 8 per byte, with 16-bit factor lanes; the sum is
// held at 65535 when kSaturate.
template <bool kSaturate>
auto MixVec(Vec dfv, Vec sfv) {
  return [dfv, sfv](Vec d, Vec s) {
    const Vec z = _mm_setzero_si128();
    auto half = [&](Vec d16, Vec s16) {
      const Vec sp = _mm_mullo_epi16(s16, sfv), dp = _mm_mullo_epi16(d16, dfv);
      return _mm_srli_epi16(kSaturate ? _mm_adds_epu16(sp, dp) : _mm_add_epi16(sp, dp), 8);
    };
    const Vec lo = half(_mm_unpacklo_epi8(d, z), _mm_unpacklo_epi8(s, z));
    const Vec hi = half(_mm_unpackhi_epi8(d, z), _mm_unpackhi_epi8(s, z));
    return _mm_packus_epi16(lo, hi);
  };
}

auto FactorsVec(uint32_t df, uint32_t sf) { return MixVec<true>(Lanes16(df), Lanes16(sf)); }

// d + floor((s - d) * M / 256) is computed as (s * M + d * (256 - M)) >> 8,
// which is the same value and stays within unsigned 16-bit lanes.
auto OpacityVec(uint8_t opacity) {
  const OpacityLanes& m = OpacityMultiplierTable[opacity];
  const Vec mv = _mm_set_epi16(short(m.alpha), short(m.red), short(m.green), short(m.blue),
                               short(m.alpha), short(m.red), short(m.green), short(m.blue));
  return MixVec<false>(_mm_sub_epi16(_mm_set1_epi16(256), mv), mv);
}
#else
auto FactorsVec(uint32_t, uint32_t) { return [](Vec, Vec s) { return s; }; }
auto OpacityVec(uint8_t) { return [](Vec, Vec s) { return s; }; }
#endif

auto FactorsScalar(uint32_t df, uint32_t sf) {
  return [df, sf](uint32_t& d, uint32_t s) { d = ops::BlendFactorsPacked(d, s, df, sf); };
}
auto OpacityScalar(uint8_t opacity) {
  return [opacity](uint32_t& d, uint32_t s) { d = ops::BlendOpacityPacked(d, s, opacity); };
}

#if ORRIVEL_HAVE_SSE2
template <typename Op>
auto KeyV(uint32_t key, Op op) { return packed::KeyedVec(key, op); }
#else
template <typename Op>
auto KeyV(uint32_t, Op op) { return op; }
#endif

}  // namespace

void BlendFactors32Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                          int height, uint32_t df, uint32_t sf) {
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, FactorsVec(df, sf), FactorsScalar(df, sf));
}

void BlendFactors32PackedKeyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height, uint32_t df, uint32_t sf, uint32_t key) {
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, KeyV(key, FactorsVec(df, sf)),
                   kernel_loops::Keyed(key, FactorsScalar(df, sf)));
}

void StretchBlendFactors32Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                 int height, const StretchStep& step, uint32_t df, uint32_t sf) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, FactorsVec(df, sf),
                           FactorsScalar(df, sf));
}

void StretchBlendFactors32PackedKeyed(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step, uint32_t df,
                                      uint32_t sf, uint32_t key) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step,
                           KeyV(key, FactorsVec(df, sf)),
                           kernel_loops::Keyed(key, FactorsScalar(df, sf)));
}

void BlendOpacity32Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                          int height, uint8_t opacity) {
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, OpacityVec(opacity),
                   OpacityScalar(opacity));
}

void BlendOpacity32PackedKeyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height, uint8_t opacity, uint32_t key) {
  packed::Straight(dst, src, dstSkip, srcSkip, width, height, KeyV(key, OpacityVec(opacity)),
                   kernel_loops::Keyed(key, OpacityScalar(opacity)));
}

void StretchBlendOpacity32Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                 int height, const StretchStep& step, uint8_t opacity) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, OpacityVec(opacity),
                           OpacityScalar(opacity));
}

void StretchBlendOpacity32PackedKeyed(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step,
                                      uint8_t opacity, uint32_t key) {
  packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step,
                           KeyV(key, OpacityVec(opacity)),
                           kernel_loops::Keyed(key, OpacityScalar(opacity)));
}

// --- blends by mode ----------------------------------------------------------

namespace {
#if ORRIVEL_HAVE_SSE2
constexpr auto kAverageVec = [](Vec d, Vec s) {
  const Vec low7 = _mm_set1_epi32(0x007F7F7F);
  return _mm_add_epi32(_mm_and_si128(s, d), _mm_and_si128(_mm_srli_epi32(_mm_xor_si128(s, d), 1), low7));
};
constexpr auto kAddVec = [](Vec d, Vec s) { return _mm_adds_epu8(d, s); };
constexpr auto kSubVec = [](Vec d, Vec s) { return _mm_subs_epu8(d, s); };
#else
constexpr auto kAverageVec = [](Vec, Vec s) { return s; };
constexpr auto kAddVec = kAverageVec;
constexpr auto kSubVec = kAverageVec;
#endif
}  // namespace

#define ORRIVEL_DEFINE_PACKED_MODE_FAMILY(Name, VecFn, ScalarFn)                                    \
  void Name##Packed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {  \
    packed::Straight(dst, src, dstSkip, srcSkip, width, height, VecFn,                              \
                     [](uint32_t& d, uint32_t s) { d = ScalarFn(d, s); });                          \
  }                                                                                                 \
  void Name##PackedKeyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,           \
                         int height, uint32_t key) {                                                \
    packed::Straight(dst, src, dstSkip, srcSkip, width, height, KeyV(key, VecFn),                   \
                     kernel_loops::Keyed(key, [](uint32_t& d, uint32_t s) { d = ScalarFn(d, s); })); \
  }                                                                                                 \
  void Stretch##Name##Packed(void* dst, const void* src, int dstSkip, int srcPitch, int width,      \
                             int height, const StretchStep& step) {                                 \
    packed::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, VecFn,               \
                             [](uint32_t& d, uint32_t s) { d = ScalarFn(d, s); });                  \
  }                                                                                                 \
  void Stretch##Name##PackedKeyed(void* dst, const void* src, int dstSkip, int srcPitch, int width, \
                                  int height, const StretchStep& step, uint32_t key) {              \
    packed::Stretched<false>(                                                                       \
        dst, src, dstSkip, srcPitch, width, height, step, KeyV(key, VecFn),                         \
        kernel_loops::Keyed(key, [](uint32_t& d, uint32_t s) { d = ScalarFn(d, s); }));             \
  }

ORRIVEL_DEFINE_PACKED_MODE_FAMILY(Average32, kAverageVec, ops::Average)
ORRIVEL_DEFINE_PACKED_MODE_FAMILY(AddSaturate32, kAddVec, ops::AddSaturate)
ORRIVEL_DEFINE_PACKED_MODE_FAMILY(SubSaturate32, kSubVec, ops::SubSaturate)

#undef ORRIVEL_DEFINE_PACKED_MODE_FAMILY

}  // namespace orrivel
