// Packed twins of the mask and image kernels (SSE2, four pixels per step in
// 16-bit lanes; the tail pixels and processors without SSE2 take the
// per-pixel arithmetic, which gives the same bytes).
//
// The lane form of blend(d, s, m) is (d * (256 - m) + s * m) >> 8: it is
// d * 256 + (s - d) * m shifted down, so it floors exactly like the
// arithmetic shift of the plain form, and it never leaves 16 unsigned bits.

#include <array>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "raster/KernelFlags.h"
#include "raster/MaskKernelLoops.h"
#include "raster/MaskKernels.h"
#include "raster/PackedLoops.h"
#include "raster/PixelFilterOps.h"

namespace orrivel {

namespace ops = filter_ops;
using mask_loops::Multiplier;

namespace {

#if ORRIVEL_HAVE_SSE2
using Vec = __m128i;
using packed_loops::Load;
using packed_loops::Store;

constexpr uint64_t kColourLanes = 0x0000000100010001ull;  // blue, green, red; alpha 0
const Vec kAlphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));

// Multipliers of two pixels in their colour lanes.
inline Vec Lanes(uint32_t m0, uint32_t m1) {
  return _mm_set_epi64x(static_cast<long long>(m1 * kColourLanes),
                        static_cast<long long>(m0 * kColourLanes));
}

inline Vec BlendLanes(Vec d, Vec s, Vec m) {
  const Vec keep = _mm_sub_epi16(_mm_set1_epi16(256), m);
  return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(d, keep), _mm_mullo_epi16(s, m)), 8);
}

// Lane multipliers of every value of a level map, built once per call so the
// pixel loop takes two loads instead of a look-up chain and a multiply.
struct LaneTable {
  alignas(16) uint64_t lanes[256];
  explicit LaneTable(const uint8_t* levelMap) {
    for (int v = 0; v < 256; ++v) lanes[v] = Multiplier(levelMap[v]) * kColourLanes;
  }
  Vec Pair(uint32_t a, uint32_t b) const {
    return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const Vec*>(&lanes[a])),
                              _mm_loadl_epi64(reinterpret_cast<const Vec*>(&lanes[b])));
  }
};

inline Vec BlendPairs(Vec d, Vec s, Vec mlo, Vec mhi) {
  const Vec zero = _mm_setzero_si128();
  const Vec lo = BlendLanes(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), mlo);
  const Vec hi = BlendLanes(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), mhi);
  return _mm_packus_epi16(lo, hi);
}

// blend of four pixels, each with its own multiplier; the alpha lanes keep d.
inline Vec Blend4(Vec d, Vec s, const uint32_t m[4]) {
  const Vec zero = _mm_setzero_si128();
  const Vec lo = BlendLanes(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), Lanes(m[0], m[1]));
  const Vec hi = BlendLanes(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), Lanes(m[2], m[3]));
  return _mm_packus_epi16(lo, hi);
}

// (s * m) >> 8 per colour channel of four pixels, alpha 0.
inline Vec Scale4(Vec s, const uint32_t m[4]) {
  const Vec zero = _mm_setzero_si128();
  const Vec lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), Lanes(m[0], m[1])), 8);
  const Vec hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), Lanes(m[2], m[3])), 8);
  return _mm_packus_epi16(lo, hi);
}

inline void Alphas(Vec v, uint32_t out[4]) {
  alignas(16) uint32_t a[4];
  _mm_store_si128(reinterpret_cast<Vec*>(a), _mm_srli_epi32(v, 24));
  std::memcpy(out, a, sizeof(a));
}

inline bool AllAlphaIs(Vec v, uint32_t alpha) {
  const Vec want = _mm_set1_epi32(static_cast<int>(alpha << 24));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(v, kAlphaMask), want)) == 0xFFFF;
}

// Composite of four pixels: colour by the weight table, alpha from the
// alpha table, both indexed by (destination alpha, level).
inline Vec Composite4(Vec d, Vec s, const uint32_t level[4]) {
  uint32_t da[4], m[4];
  Alphas(d, da);
  alignas(16) uint32_t alpha[4];
  for (int i = 0; i < 4; ++i) {
    m[i] = Multiplier(CompositeWeightTable[da[i]][level[i]]);
    alpha[i] = uint32_t(CompositeAlphaTable[da[i]][level[i]]) << 24;
  }
  const Vec colour = _mm_andnot_si128(kAlphaMask, Blend4(d, s, m));
  return _mm_or_si128(colour, _mm_load_si128(reinterpret_cast<const Vec*>(alpha)));
}
#endif

// Walks a destination with a mask plane; vop(d, mask bytes of four pixels)
// returns the new four pixels.
template <typename VecOp, typename ScalarOp>
void MaskWalk(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width, int height,
              [[maybe_unused]] VecOp vop, ScalarOp sop) {
  uint8_t* drow = static_cast<uint8_t*>(dst);
  for (int y = 0; y < height; ++y) {
    uint32_t* d = reinterpret_cast<uint32_t*>(drow);
    int x = 0;
#if ORRIVEL_HAVE_SSE2
    for (; x + 4 <= width; x += 4) vop(d + x, mask + x);
#endif
    for (; x < width; ++x) sop(d[x], mask[x]);
    drow += ptrdiff_t(width) * 4 + dstSkip;
    mask += ptrdiff_t(width) + maskSkip;
  }
}

enum class ColourOp { Blend, Add, Sub, Composite };

template <ColourOp kOp>
void ColourByMask(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width, int height,
                  uint32_t color, const uint8_t* levelMap) {
  color &= 0x00FFFFFFu;
  auto sop = [=](uint32_t& d, uint8_t m) {
    const uint32_t level = levelMap[m];
    if constexpr (kOp == ColourOp::Blend) d = ops::BlendKeepAlpha(d, color, Multiplier(level));
    if constexpr (kOp == ColourOp::Add) d = ops::AddScaled<false>(d, color, Multiplier(level));
    if constexpr (kOp == ColourOp::Sub) d = ops::AddScaled<true>(d, color, Multiplier(level));
    if constexpr (kOp == ColourOp::Composite) d = ops::Composite(d, color, level);
  };
#if ORRIVEL_HAVE_SSE2
  // A group whose mask bytes all map to level 0 changes nothing (except in
  // the composite, where a transparent destination still takes the colour).
  const bool zeroSkips = levelMap[0] == 0 && kOp != ColourOp::Composite;
  const bool fullIsColour = levelMap[255] == 255 && kOp == ColourOp::Blend;
  const Vec colour = _mm_set1_epi32(static_cast<int>(color));
  const LaneTable table(levelMap);
  auto vop = [=, &table](uint32_t* d, const uint8_t* mb) {
    uint32_t group;
    std::memcpy(&group, mb, 4);
    if (group == 0 && zeroSkips) return;
    const Vec dv = Load(d);
    if (group == 0xFFFFFFFFu && fullIsColour) {
      Store(d, _mm_or_si128(_mm_and_si128(dv, kAlphaMask), colour));
      return;
    }
    if constexpr (kOp == ColourOp::Blend) {
      Store(d, BlendPairs(dv, colour, table.Pair(mb[0], mb[1]), table.Pair(mb[2], mb[3])));
      return;
    }
    uint32_t m[4];
    for (int i = 0; i < 4; ++i) m[i] = kOp == ColourOp::Composite ? levelMap[mb[i]]
                                                                   : Multiplier(levelMap[mb[i]]);
    if constexpr (kOp == ColourOp::Add) Store(d, _mm_adds_epu8(dv, Scale4(colour, m)));
    if constexpr (kOp == ColourOp::Sub) Store(d, _mm_subs_epu8(dv, Scale4(colour, m)));
    if constexpr (kOp == ColourOp::Composite) Store(d, Composite4(dv, colour, m));
  };
#else
  auto vop = [](uint32_t*, const uint8_t*) {};
#endif
  MaskWalk(dst, mask, dstSkip, maskSkip, width, height, vop, sop);
}

enum class ImageOp { Blend, Add, Sub, Composite };

// The per-pixel form of an image kernel at a level.
template <ImageOp kOp>
inline void ImageScalar(uint32_t& d, uint32_t s, uint32_t level) {
  if constexpr (kOp == ImageOp::Blend) d = ops::BlendKeepAlpha(d, s, Multiplier(level));
  if constexpr (kOp == ImageOp::Add) d = ops::AddScaled<false>(d, s, Multiplier(level));
  if constexpr (kOp == ImageOp::Sub) d = ops::AddScaled<true>(d, s, Multiplier(level));
  if constexpr (kOp == ImageOp::Composite) d = ops::Composite(d, s, level);
}

#if ORRIVEL_HAVE_SSE2
template <ImageOp kOp>
inline Vec ImageVec(Vec d, Vec s, const uint32_t level[4]) {
  if constexpr (kOp == ImageOp::Composite) {
    return Composite4(d, s, level);
  } else {
    uint32_t m[4];
    for (int i = 0; i < 4; ++i) m[i] = Multiplier(level[i]);
    if constexpr (kOp == ImageOp::Blend) return Blend4(d, s, m);
    if constexpr (kOp == ImageOp::Add) return _mm_adds_epu8(d, Scale4(_mm_andnot_si128(kAlphaMask, s), m));
    return _mm_subs_epu8(d, Scale4(_mm_andnot_si128(kAlphaMask, s), m));
  }
}
#endif

// Image by its own alpha: the vector operation with the shortcuts for
// groups that are wholly opaque (blend, composite) or wholly transparent.
template <ImageOp kOp>
auto ByAlphaOps(const uint8_t* levelMap) {
  auto sop = [levelMap](uint32_t& d, uint32_t s) { ImageScalar<kOp>(d, s, levelMap[s >> 24]); };
#if ORRIVEL_HAVE_SSE2
  const bool opaqueCopies =
      levelMap[255] == 255 && (kOp == ImageOp::Blend || kOp == ImageOp::Composite);
  const bool clearSkips = levelMap[0] == 0 && kOp != ImageOp::Composite;
  // Blend: the multiplier of each source alpha. Composite: the same for an
  // opaque destination, whose weight row is fixed and whose alpha stays 255.
  std::array<uint8_t, 256> opaqueRow;
  for (int v = 0; v < 256; ++v)
    opaqueRow[size_t(v)] = kOp == ImageOp::Composite ? CompositeWeightTable[255][levelMap[v]] : levelMap[v];
  auto table = std::make_shared<LaneTable>(opaqueRow.data());
  auto vop = [levelMap, opaqueCopies, clearSkips, table](Vec d, Vec s) {
    if (opaqueCopies && AllAlphaIs(s, 255)) {
      // Blend keeps the destination alpha; the composite makes it 255.
      return kOp == ImageOp::Blend ? _mm_or_si128(_mm_and_si128(d, kAlphaMask),
                                                  _mm_andnot_si128(kAlphaMask, s))
                                   : _mm_or_si128(s, kAlphaMask);
    }
    if (clearSkips && AllAlphaIs(s, 0)) return d;
    uint32_t a[4];
    Alphas(s, a);
    if (kOp == ImageOp::Blend || (kOp == ImageOp::Composite && AllAlphaIs(d, 255))) {
      return BlendPairs(d, s, table->Pair(a[0], a[1]), table->Pair(a[2], a[3]));
    }
    for (uint32_t& v : a) v = levelMap[v];
    return ImageVec<kOp>(d, s, a);
  };
#else
  auto vop = [](Vec d, Vec) { return d; };
#endif
  return std::make_pair(vop, sop);
}

// True when the blend (or the composite over an opaque destination) takes
// source alpha a at level a itself, the map of full opacity: the multiplier
// is then a + 1 (0 for a = 0) and needs no table.
template <ImageOp kOp>
bool LevelIsSourceAlpha(const uint8_t* levelMap) {
  if (levelMap[0] != 0 || levelMap[255] != 255) return false;
  for (int v = 0; v < 256; ++v) {
    const uint32_t level = kOp == ImageOp::Composite ? CompositeWeightTable[255][levelMap[v]] : levelMap[v];
    if (level != uint32_t(v)) return false;
  }
  return true;
}

#if ORRIVEL_HAVE_SSE2
// Blend or composite by source alpha at full opacity, four pixels per step
// with SSE2 alone: the multipliers come from the alpha bytes by shifts and
// one unpack rather than by table look-ups through memory. Opaque and clear
// groups take the same arithmetic (multiplier 256 gives s, 0 gives d):
// testing for them costs more than it saves on mixed pixels. Only a
// composite group whose destination is not wholly opaque takes the general
// operation.
template <ImageOp kOp, typename GeneralOp>
struct SourceAlphaOp {
  GeneralOp general;
  // Kept out of line: inlined, its table look-ups crowd the registers of
  // the arithmetic path.
  [[gnu::noinline]] Vec General(Vec d, Vec s) const { return general(d, s); }
  Vec operator()(Vec d, Vec s) const {
    const Vec zero = _mm_setzero_si128();
    const Vec ones = _mm_cmpeq_epi8(zero, zero);
    constexpr int kAlphaBytes = 0x8888;
    if (kOp == ImageOp::Composite && (_mm_movemask_epi8(_mm_cmpeq_epi8(d, ones)) & kAlphaBytes) != kAlphaBytes)
      [[unlikely]] return General(d, s);
    // Multipliers a + 1 (0 for a = 0) of the four pixels, spread over the
    // colour lanes of each pixel by one unpack (the alpha lane takes 0 and
    // keeps d): shuffles are the scarce operation here, shifts are not.
    const Vec a = _mm_srli_epi32(s, 24);
    const Vec m = _mm_add_epi32(a, _mm_min_epi16(a, _mm_set1_epi32(1)));
    const Vec pairs = _mm_or_si128(m, _mm_slli_epi32(m, 16));
    // d * 256 + (s - d) * m lies in 0..65280, so its 16-bit wrap-around
    // form is exact and one multiply does.
    auto half = [](Vec d16, Vec s16, Vec m16) {
      return _mm_srli_epi16(_mm_add_epi16(_mm_slli_epi16(d16, 8), _mm_mullo_epi16(_mm_sub_epi16(s16, d16), m16)), 8);
    };
    const Vec lo = half(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi32(pairs, m));
    const Vec hi = half(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi32(pairs, m));
    return _mm_packus_epi16(lo, hi);
  }
};
#endif

}  // namespace

#if ORRIVEL_HAVE_AVX2_PATH
ORRIVEL_BEGIN_AVX2
namespace {

// Blend or composite by source alpha at full opacity, eight pixels per step:
// opaque groups are copied, clear groups (blend) kept, and the multipliers
// come from the alpha bytes by arithmetic. A composite group whose
// destination is not wholly opaque goes through the 128-bit operation.
template <ImageOp kOp, typename NarrowOp>
struct WideByAlphaOp {
  NarrowOp narrow;
  __m256i operator()(__m256i d, __m256i s) const {
    const __m256i alphaBits = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    if (_mm256_testc_si256(s, alphaBits)) {
      return kOp == ImageOp::Blend ? _mm256_blendv_epi8(s, d, alphaBits) : _mm256_or_si256(s, alphaBits);
    }
    if (kOp == ImageOp::Blend && _mm256_testz_si256(s, alphaBits)) return d;
    if (kOp == ImageOp::Composite && !_mm256_testc_si256(d, alphaBits)) {
      const Vec lo = narrow(_mm256_castsi256_si128(d), _mm256_castsi256_si128(s));
      const Vec hi = narrow(_mm256_extracti128_si256(d, 1), _mm256_extracti128_si256(s, 1));
      return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
    }
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi16(1);
    const __m256i full = _mm256_set1_epi16(256);
    // Alpha of the low (high) two pixels of each 128-bit half in their
    // colour lanes; the alpha lane stays 0, so the destination alpha is kept.
    const __m256i pickLow = _mm256_setr_epi8(3, -1, 3, -1, 3, -1, -1, -1, 7, -1, 7, -1, 7, -1, -1, -1,
                                             3, -1, 3, -1, 3, -1, -1, -1, 7, -1, 7, -1, 7, -1, -1, -1);
    const __m256i pickHigh = _mm256_setr_epi8(11, -1, 11, -1, 11, -1, -1, -1, 15, -1, 15, -1, 15, -1, -1, -1,
                                              11, -1, 11, -1, 11, -1, -1, -1, 15, -1, 15, -1, 15, -1, -1, -1);
    auto half = [&](__m256i d16, __m256i s16, __m256i a) {
      const __m256i m = _mm256_add_epi16(_mm256_add_epi16(a, one), _mm256_cmpeq_epi16(a, zero));
      const __m256i mixed = _mm256_add_epi16(_mm256_mullo_epi16(d16, _mm256_sub_epi16(full, m)),
                                             _mm256_mullo_epi16(s16, m));
      return _mm256_srli_epi16(mixed, 8);
    };
    const __m256i lo = half(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(s, zero),
                            _mm256_shuffle_epi8(s, pickLow));
    const __m256i hi = half(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(s, zero),
                            _mm256_shuffle_epi8(s, pickHigh));
    return _mm256_packus_epi16(lo, hi);
  }
};

template <ImageOp kOp, typename NarrowOp, typename ScalarOp>
void WideByAlpha(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                 NarrowOp vop, ScalarOp sop) {
  packed_loops::wide::Straight(dst, src, dstSkip, srcSkip, width, height,
                               WideByAlphaOp<kOp, NarrowOp>{vop}, sop);
}

template <ImageOp kOp, typename NarrowOp, typename ScalarOp>
void WideByAlphaStretched(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                          int height, const StretchStep& step, NarrowOp vop, ScalarOp sop) {
  packed_loops::wide::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step,
                                       WideByAlphaOp<kOp, NarrowOp>{vop}, sop);
}

}  // namespace
ORRIVEL_END_AVX2
#endif

#if ORRIVEL_HAVE_AVX2_PATH
ORRIVEL_BEGIN_AVX2
namespace {

// blend(d, s, m) of eight pixels, multiplier i in 32-bit lane i; the alpha
// lanes take multiplier 0 and so keep d.
inline __m256i WideBlendByLanes(__m256i d, __m256i s, __m256i m32) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i full = _mm256_set1_epi16(256);
  // Each 128-bit half unpacks its pixels 0-1 (low) and 2-3 (high) to 16 bits.
  const __m256i pickLow = _mm256_setr_epi8(0, 1, 0, 1, 0, 1, -1, -1, 4, 5, 4, 5, 4, 5, -1, -1,
                                           0, 1, 0, 1, 0, 1, -1, -1, 4, 5, 4, 5, 4, 5, -1, -1);
  const __m256i pickHigh = _mm256_setr_epi8(8, 9, 8, 9, 8, 9, -1, -1, 12, 13, 12, 13, 12, 13, -1, -1,
                                            8, 9, 8, 9, 8, 9, -1, -1, 12, 13, 12, 13, 12, 13, -1, -1);
  auto half = [&](__m256i d16, __m256i s16, __m256i m) {
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(d16, _mm256_sub_epi16(full, m)),
                                              _mm256_mullo_epi16(s16, m)),
                             8);
  };
  const __m256i lo = half(_mm256_unpacklo_epi8(d, zero), _mm256_unpacklo_epi8(s, zero),
                          _mm256_shuffle_epi8(m32, pickLow));
  const __m256i hi = half(_mm256_unpackhi_epi8(d, zero), _mm256_unpackhi_epi8(s, zero),
                          _mm256_shuffle_epi8(m32, pickHigh));
  return _mm256_packus_epi16(lo, hi);
}

// Image through a mask plane, eight pixels per step. multipliers(mask
// bytes, source pixels, lanes) fills the eight multipliers and returns false
// when all are 0 (the group then stays as it is).
template <typename Multipliers, typename ScalarOp>
void WideThroughMask(void* dst, const void* src, const uint8_t* mask, int dstSkip, int srcSkip,
                     int maskSkip, int width, int height, Multipliers multipliers, ScalarOp sop) {
  mask_loops::SourceAndMaskRows(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height,
                                [&](uint32_t* d, const uint32_t* s, const uint8_t* mb) {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
      __m256i m;
      if (!multipliers(mb + x, s + x, &m)) continue;
      packed_loops::wide::Store(d + x, WideBlendByLanes(packed_loops::wide::Load(d + x),
                                                        packed_loops::wide::Load(s + x), m));
    }
    for (; x < width; ++x) sop(d[x], s[x], mb[x]);
  });
}

// The level comes from the mask byte alone: one table of multipliers per
// call, gathered eight at a time; groups of mask bytes that map to 0 are
// passed over before any look-up.
void WideDrawThroughMask(void* dst, const void* src, const uint8_t* mask, int dstSkip, int srcSkip,
                         int maskSkip, int width, int height, const uint8_t* levelMap) {
  alignas(32) int32_t table[256];
  for (int v = 0; v < 256; ++v) table[v] = int32_t(Multiplier(levelMap[v]));
  const bool zeroSkips = table[0] == 0;
  auto multipliers = [&table, zeroSkips](const uint8_t* mb, const uint32_t*, __m256i* m) {
    uint64_t bytes;
    std::memcpy(&bytes, mb, 8);
    if (bytes == 0 && zeroSkips) return false;
    *m = _mm256_i32gather_epi32(table, _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(int64_t(bytes))), 4);
    return true;
  };
  auto sop = [&table](uint32_t& d, uint32_t s, uint8_t mb) {
    d = ops::BlendKeepAlpha(d, s, uint32_t(table[mb]));
  };
  WideThroughMask(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height, multipliers, sop);
}

// The level is the product of the mask's level and the source alpha.
void WideDrawThroughMaskProduct(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                                int srcSkip, int maskSkip, int width, int height,
                                const uint8_t* levelMap) {
  auto level = [levelMap](uint8_t mb, uint32_t s) { return Multiplier(ProductTable[levelMap[mb]][s >> 24]); };
  auto multipliers = [level](const uint8_t* mb, const uint32_t* s, __m256i* m) {
    alignas(32) uint32_t lanes[8];
    uint32_t any = 0;
    for (int i = 0; i < 8; ++i) any |= lanes[i] = level(mb[i], s[i]);
    if (any == 0) return false;
    *m = _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes));
    return true;
  };
  auto sop = [level](uint32_t& d, uint32_t s, uint8_t mb) { d = ops::BlendKeepAlpha(d, s, level(mb, s)); };
  WideThroughMask(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height, multipliers, sop);
}

}  // namespace
ORRIVEL_END_AVX2
#endif

namespace {

template <ImageOp kOp>
bool UseWideByAlpha([[maybe_unused]] const uint8_t* levelMap) {
#if ORRIVEL_HAVE_AVX2_PATH
  return (kOp == ImageOp::Blend || kOp == ImageOp::Composite) && PackedVectorBytes() >= 32 &&
         LevelIsSourceAlpha<kOp>(levelMap);
#else
  return false;
#endif
}

template <ImageOp kOp>
void ByAlpha(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
             const uint8_t* levelMap) {
  auto [vop, sop] = ByAlphaOps<kOp>(levelMap);
#if ORRIVEL_HAVE_AVX2_PATH
  if (UseWideByAlpha<kOp>(levelMap))
    return WideByAlpha<kOp>(dst, src, dstSkip, srcSkip, width, height, vop, sop);
#endif
#if ORRIVEL_HAVE_SSE2
  if ((kOp == ImageOp::Blend || kOp == ImageOp::Composite) && LevelIsSourceAlpha<kOp>(levelMap)) {
    return packed_loops::Straight(dst, src, dstSkip, srcSkip, width, height,
                                  SourceAlphaOp<kOp, decltype(vop)>{vop}, sop);
  }
#endif
  packed_loops::Straight(dst, src, dstSkip, srcSkip, width, height, vop, sop);
}

template <ImageOp kOp>
void ByAlphaStretched(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                      const StretchStep& step, const uint8_t* levelMap) {
  auto [vop, sop] = ByAlphaOps<kOp>(levelMap);
#if ORRIVEL_HAVE_AVX2_PATH
  if (UseWideByAlpha<kOp>(levelMap))
    return WideByAlphaStretched<kOp>(dst, src, dstSkip, srcPitch, width, height, step, vop, sop);
#endif
#if ORRIVEL_HAVE_SSE2
  if ((kOp == ImageOp::Blend || kOp == ImageOp::Composite) && LevelIsSourceAlpha<kOp>(levelMap)) {
    return packed_loops::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step,
                                          SourceAlphaOp<kOp, decltype(vop)>{vop}, sop);
  }
#endif
  packed_loops::Stretched<false>(dst, src, dstSkip, srcPitch, width, height, step, vop, sop);
}

template <ImageOp kOp>
void AtLevel(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
             uint8_t level) {
  auto sop = [level](uint32_t& d, uint32_t s) { ImageScalar<kOp>(d, s, level); };
#if ORRIVEL_HAVE_SSE2
  const uint32_t levels[4] = {level, level, level, level};
  auto vop = [levels](Vec d, Vec s) { return ImageVec<kOp>(d, s, levels); };
#else
  auto vop = [](Vec d, Vec) { return d; };
#endif
  packed_loops::Straight(dst, src, dstSkip, srcSkip, width, height, vop, sop);
}

// Image through a mask plane; level(mask byte, source pixel) gives the level.
template <typename Level>
void ThroughMask(void* dst, const void* src, const uint8_t* mask, int dstSkip, int srcSkip,
                 int maskSkip, int width, int height, Level levelOf) {
  mask_loops::SourceAndMaskRows(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height,
                                [&](uint32_t* d, const uint32_t* s, const uint8_t* mb) {
    int x = 0;
#if ORRIVEL_HAVE_SSE2
    for (; x + 4 <= width; x += 4) {
      uint32_t m[4];
      for (int i = 0; i < 4; ++i) m[i] = Multiplier(levelOf(mb[x + i], s[x + i]));
      if ((m[0] | m[1] | m[2] | m[3]) == 0) continue;
      Store(d + x, Blend4(Load(d + x), Load(s + x), m));
    }
#endif
    for (; x < width; ++x) d[x] = ops::BlendKeepAlpha(d[x], s[x], Multiplier(levelOf(mb[x], s[x])));
  });
}

}  // namespace

void BlendColorByMask32Mmx(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                           int height, uint32_t color, const uint8_t* levelMap) {
  ColourByMask<ColourOp::Blend>(dst, mask, dstSkip, maskSkip, width, height, color, levelMap);
}
void AddColorByMask32Mmx(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                         int height, uint32_t color, const uint8_t* levelMap) {
  ColourByMask<ColourOp::Add>(dst, mask, dstSkip, maskSkip, width, height, color, levelMap);
}
void SubColorByMask32Mmx(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                         int height, uint32_t color, const uint8_t* levelMap) {
  ColourByMask<ColourOp::Sub>(dst, mask, dstSkip, maskSkip, width, height, color, levelMap);
}
void BlendAlphaByMask32Mmx(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                           int height, uint32_t color, const uint8_t* levelMap) {
  ColourByMask<ColourOp::Composite>(dst, mask, dstSkip, maskSkip, width, height, color, levelMap);
}

void AddImage32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                   uint8_t level) {
  AtLevel<ImageOp::Add>(dst, src, dstSkip, srcSkip, width, height, level);
}
void SubImage32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                   uint8_t level) {
  AtLevel<ImageOp::Sub>(dst, src, dstSkip, srcSkip, width, height, level);
}

#define ORRIVEL_DEFINE_BY_ALPHA_MMX(Name, Op)                                                   \
  void Name##32Mmx(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height, \
                   const uint8_t* levelMap) {                                                   \
    ByAlpha<Op>(dst, src, dstSkip, srcSkip, width, height, levelMap);                           \
  }                                                                                             \
  void Name##Stretched32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,   \
                            int height, const StretchStep& step, const uint8_t* levelMap) {     \
    ByAlphaStretched<Op>(dst, src, dstSkip, srcPitch, width, height, step, levelMap);           \
  }

ORRIVEL_DEFINE_BY_ALPHA_MMX(BlendImageByAlpha, ImageOp::Blend)
ORRIVEL_DEFINE_BY_ALPHA_MMX(AddImageByAlpha, ImageOp::Add)
ORRIVEL_DEFINE_BY_ALPHA_MMX(SubImageByAlpha, ImageOp::Sub)
ORRIVEL_DEFINE_BY_ALPHA_MMX(CompositeImage, ImageOp::Composite)

#undef ORRIVEL_DEFINE_BY_ALPHA_MMX

void DrawThroughMask32Mmx(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                          int srcSkip, int maskSkip, int width, int height,
                          const uint8_t* levelMap) {
  if (mask == nullptr) {
    BlendImageByAlpha32Mmx(dst, src, dstSkip, srcSkip, width, height, levelMap);
    return;
  }
#if ORRIVEL_HAVE_AVX2_PATH
  if (PackedVectorBytes() >= 32)
    return WideDrawThroughMask(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height, levelMap);
#endif
  ThroughMask(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height,
              [levelMap](uint8_t m, uint32_t) { return levelMap[m]; });
}

void DrawThroughMaskProduct32Mmx(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                                 int srcSkip, int maskSkip, int width, int height,
                                 const uint8_t* levelMap) {
  if (mask == nullptr) return;
#if ORRIVEL_HAVE_AVX2_PATH
  if (PackedVectorBytes() >= 32)
    return WideDrawThroughMaskProduct(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height, levelMap);
#endif
  ThroughMask(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height,
              [levelMap](uint8_t m, uint32_t s) { return ProductTable[levelMap[m]][s >> 24]; });
}

bool BlendMaskedColorAtMmx(int x, int y, uint8_t red, uint8_t green, uint8_t blue, void* dstBits,
                           int dstWidth, int dstHeight, int dstPitch, const uint8_t* mask,
                           int maskWidth, int maskHeight, int maskPitch) {
  mask_loops::MaskPlacement place;
  if (!mask_loops::PlaceMask(x, y, dstBits, dstWidth, dstHeight, dstPitch, mask, maskWidth,
                             maskHeight, maskPitch, &place)) {
    return false;
  }
  const uint32_t color = uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
  if (MmxFlag()) {
    static const auto kIdentity = [] {
      std::array<uint8_t, 256> t{};
      for (int i = 0; i < 256; ++i) t[size_t(i)] = uint8_t(i);
      return t;
    }();
    BlendColorByMask32Mmx(place.dst, place.mask, place.dstSkip, place.maskSkip, place.width,
                          place.height, color, kIdentity.data());
    return true;
  }
  const uint8_t rgb[3] = {blue, green, red};
  mask_loops::WithMask(place.dst, place.mask, place.dstSkip, place.maskSkip, place.width,
                       place.height, [&rgb](uint32_t& d, uint8_t m) {
                         if (m == 0) return;
                         uint32_t out = d & 0xFF000000u;
                         for (int i = 0; i < 3; ++i) {
                           const uint32_t c = ProductTable[rgb[i]][m] +
                                              ProductTable[(d >> (8 * i)) & 0xFF][255 - m];
                           out |= c << (8 * i);
                         }
                         d = out;
                       });
  return true;
}

// --- bilinear scaling -------------------------------------------------------------------
//
// Every destination row mixes two horizontally filtered source rows, and
// every row restarts x at the same fraction, so the horizontal pass of a
// source row is the same whichever destination rows use it. The walk keeps
// the last two filtered rows and filters each source row once; the vertical
// pass then runs over whole rows (in the SSE2 form, over all the rows that
// share two source rows at once). The arithmetic and its order (across, then
// down) are those of the per-pixel form, so the bytes are the same.

namespace {

#if ORRIVEL_HAVE_SSE2
// lerp of 16-bit lanes a toward b (each 0 to 255), as a + ((b - a) * f >> 8)
// with twice the fractions in f2: (b - a) * 128 fits a signed lane, and the
// high half of its product with 2f is (b - a) * f / 256 rounded down, so one
// multiply does and no shift follows it.
inline Vec LerpLanes(Vec a, Vec b, Vec f2) {
  return _mm_add_epi16(a, _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(b, a), 7), f2));
}

// Two destination pixels from their source pairs p and q (pixels ix and
// ix + 1 in the low 64 bits of each) by twice their fractions in f2, four
// lanes each.
inline Vec MixPairs(Vec p, Vec q, Vec f2) {
  const Vec zero = _mm_setzero_si128();
  const Vec both = _mm_unpacklo_epi32(p, q);  // [left p, left q, right p, right q]
  return LerpLanes(_mm_unpacklo_epi8(both, zero), _mm_unpackhi_epi8(both, zero), f2);
}

// The SSE2 walk keeps its filtered rows as 16-bit lanes, two pixels to a
// vector (element k holds pixels 2k and 2k + 1): the down pass then needs
// no unpacking and the across pass no packing.
constexpr int LaneVectors(int width) { return (width + 1) / 2; }

// Where every destination pixel of a row reads: the source column of its
// left pixel, and twice its fraction spread over the four lanes of its pixel
// as MixPairs takes them (two vectors for each whole group of four pixels).
// Every row restarts x alike, so one table serves them all.
struct AcrossTable {
  std::vector<ptrdiff_t> column;
  std::vector<Vec> spread;
  std::vector<short> fraction;  // twice the fraction, for the last pixels
};

AcrossTable MakeAcrossTable(int width, const ScaleStep& step) {
  AcrossTable table;
  table.column.resize(size_t(width));
  table.fraction.resize(size_t(width));
  uint64_t xPos = step.xFraction;
  for (size_t x = 0; x < size_t(width); ++x, xPos += step.xIncrement) {
    table.column[x] = ptrdiff_t(xPos >> 32);
    table.fraction[x] = static_cast<short>(((xPos >> 24) & 0xFF) * 2);
  }
  table.spread.resize(size_t(width / 4) * 2);
  for (size_t k = 0; k < table.spread.size(); ++k) {
    const short f0 = table.fraction[2 * k], f1 = table.fraction[2 * k + 1];
    table.spread[k] = _mm_setr_epi16(f0, f0, f0, f0, f1, f1, f1, f1);
  }
  return table;
}

// The pixels of a row from x on (out holds pixel x first), two at a time;
// a lone last one is paired with itself rather than read past the row.
template <typename Pair>
void AcrossTail(Vec* out, const uint8_t* row, int x, int width, const AcrossTable& table, Pair pairAt) {
  for (; x < width; x += 2, ++out) {
    const int next = x + 1 < width ? x + 1 : x;
    const short f0 = table.fraction[size_t(x)], f1 = table.fraction[size_t(next)];
    *out = MixPairs(pairAt(row, table.column[size_t(x)]), pairAt(row, table.column[size_t(next)]),
                    _mm_setr_epi16(f0, f0, f0, f0, f1, f1, f1, f1));
  }
}

// Filters one source row across into lanes: pixel x = lerp(p[ix], p[ix + 1],
// fx), four destination pixels per step. pairAt(row, ix) gives the pixels ix
// and ix + 1 in the low 64 bits.
template <typename Pair>
void FilterAcross(Vec* out, const uint8_t* row, int width, const AcrossTable& table, Pair pairAt) {
  const ptrdiff_t* column = table.column.data();
  const Vec* spread = table.spread.data();
  int x = 0;
  for (; x + 4 <= width; x += 4, spread += 2, out += 2) {
    const Vec p0 = pairAt(row, column[x]), p1 = pairAt(row, column[x + 1]);
    const Vec p2 = pairAt(row, column[x + 2]), p3 = pairAt(row, column[x + 3]);
    out[0] = MixPairs(p0, p1, spread[0]);
    out[1] = MixPairs(p2, p3, spread[1]);
  }
  AcrossTail(out, row, x, width, table, pairAt);
}

// d[x] = lerp(top[x], bottom[x], f) from two rows of lanes, four pixels per
// step; a fraction of 0 is the top row itself.
void FilterDown(uint32_t* d, const Vec* top, const Vec* bottom, int width, uint32_t f) {
  const Vec f2 = _mm_set1_epi16(static_cast<short>(2 * f));
  auto lanes = [&](int k) { return f == 0 ? top[k] : LerpLanes(top[k], bottom[k], f2); };
  int x = 0;
  if (f == 0) {
    for (; x + 4 <= width; x += 4) Store(d + x, _mm_packus_epi16(top[x / 2], top[x / 2 + 1]));
  } else {
    for (; x + 4 <= width; x += 4) {
      Store(d + x, _mm_packus_epi16(LerpLanes(top[x / 2], bottom[x / 2], f2),
                                    LerpLanes(top[x / 2 + 1], bottom[x / 2 + 1], f2)));
    }
  }
  for (; x < width; x += 2) {
    alignas(16) uint32_t pixels[4];
    const Vec v = lanes(x / 2);
    _mm_store_si128(reinterpret_cast<Vec*>(pixels), _mm_packus_epi16(v, v));
    d[x] = pixels[0];
    if (x + 1 < width) d[x + 1] = pixels[1];
  }
}

// Destination rows that mix the same two source rows, made in one pass over
// the columns so that the two rows are read and subtracted once for all.
constexpr int kGroupRows = 4;
struct RowGroup {
  uint32_t* rows[kGroupRows];
  uint32_t fraction[kGroupRows];
  Vec twice[kGroupRows];  // twice each fraction in every lane
  int count = 0;
};

// lerp(upper, lower, f) of every row is upper + (difference * 2f >> 16)
// with difference = (lower - upper) * 128, as LerpLanes computes it.
inline Vec Difference(Vec upper, Vec lower) { return _mm_slli_epi16(_mm_sub_epi16(lower, upper), 7); }

// The first N rows of a group held in locals, which the stores cannot
// touch, so that the column loops keep them in registers.
template <int N>
struct GroupRows {
  explicit GroupRows(const RowGroup& group) {
    for (int j = 0; j < N; ++j) {
      rows[j] = group.rows[j];
      twice[j] = group.twice[j];
    }
  }
  void Store4(int x, Vec u0, Vec u1, Vec d0, Vec d1) const {
    for (int j = 0; j < N; ++j) {
      Store(rows[j] + x, _mm_packus_epi16(_mm_add_epi16(u0, _mm_mulhi_epi16(d0, twice[j])),
                                          _mm_add_epi16(u1, _mm_mulhi_epi16(d1, twice[j]))));
    }
  }
  uint32_t* rows[N];
  Vec twice[N];
};

template <int N>
void FilterDownRows(const RowGroup& group, const Vec* top, const Vec* bottom, int width) {
  const GroupRows<N> rows(group);
  int x = 0;
  for (size_t k = 0; x + 4 <= width; x += 4, k += 2) {
    const Vec u0 = top[k], u1 = top[k + 1];
    rows.Store4(x, u0, u1, Difference(u0, bottom[k]), Difference(u1, bottom[k + 1]));
  }
  for (int j = 0; j < N; ++j)
    FilterDown(group.rows[j] + x, top + x / 2, bottom + x / 2, width - x, group.fraction[j]);
}

void FilterDownGroup(const RowGroup& group, const Vec* top, const Vec* bottom, int width) {
  switch (group.count) {
    case 1:
      return FilterDown(group.rows[0], top, bottom, width, group.fraction[0]);
    case 2:
      return FilterDownRows<2>(group, top, bottom, width);
    case 3:
      return FilterDownRows<3>(group, top, bottom, width);
    default:
      return FilterDownRows<kGroupRows>(group, top, bottom, width);
  }
}

// Filters the lower source row across into lower and makes the group's rows
// from it and the upper one while its pixels are still at hand.
template <int N, typename Pair>
void FilterAcrossAndDownRows(Vec* lower, const uint8_t* row, const Vec* upper, int width,
                             const AcrossTable& table, const RowGroup& group, Pair pairAt) {
  const GroupRows<N> rows(group);
  const ptrdiff_t* column = table.column.data();
  const Vec* spread = table.spread.data();
  int x = 0;
  // k: the lane vector of pixel x.
  for (size_t k = 0; x + 4 <= width; x += 4, k += 2) {
    const Vec l0 = MixPairs(pairAt(row, column[x]), pairAt(row, column[x + 1]), spread[k]);
    const Vec l1 = MixPairs(pairAt(row, column[x + 2]), pairAt(row, column[x + 3]), spread[k + 1]);
    lower[k] = l0;
    lower[k + 1] = l1;
    const Vec u0 = upper[k], u1 = upper[k + 1];
    rows.Store4(x, u0, u1, Difference(u0, l0), Difference(u1, l1));
  }
  AcrossTail(lower + x / 2, row, x, width, table, pairAt);
  for (int j = 0; j < N; ++j)
    FilterDown(group.rows[j] + x, upper + x / 2, lower + x / 2, width - x, group.fraction[j]);
}

template <typename Pair>
void FilterAcrossAndDown(Vec* lower, const uint8_t* row, const Vec* upper, int width, const AcrossTable& table,
                         const RowGroup& group, Pair pairAt) {
  switch (group.count) {
    case 1:
      return FilterAcrossAndDownRows<1>(lower, row, upper, width, table, group, pairAt);
    case 2:
      return FilterAcrossAndDownRows<2>(lower, row, upper, width, table, group, pairAt);
    case 3:
      return FilterAcrossAndDownRows<3>(lower, row, upper, width, table, group, pairAt);
    default:
      return FilterAcrossAndDownRows<kGroupRows>(lower, row, upper, width, table, group, pairAt);
  }
}

// The SSE2 walk: the destination rows in groups that share their two source
// rows; each source row is filtered across once, the lower one of a group
// together with the group's rows.
template <typename Pair>
void WalkRowGroups(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                   const ScaleStep& step, const AcrossTable& table, Pair pairAt) {
  const size_t size = size_t(LaneVectors(width));
  std::vector<Vec> held(size * 2);
  Vec* upper = held.data();
  Vec* lower = upper + size;
  ptrdiff_t upperRow = -1, lowerRow = -1;
  uint8_t* drow = static_cast<uint8_t*>(dst);
  const uint8_t* base = static_cast<const uint8_t*>(src);
  uint64_t yPos = step.yFraction;
  for (int y = 0; y < height;) {
    const ptrdiff_t r = ptrdiff_t(yPos >> 32);
    RowGroup group;
    for (; y < height && group.count < kGroupRows && ptrdiff_t(yPos >> 32) == r; ++y) {
      const uint32_t f = uint32_t(yPos >> 24) & 0xFF;
      group.rows[group.count] = reinterpret_cast<uint32_t*>(drow);
      group.fraction[group.count] = f;
      group.twice[group.count] = _mm_set1_epi16(static_cast<short>(2 * f));
      ++group.count;
      yPos += step.yIncrement;
      drow += ptrdiff_t(width) * 4 + dstSkip;
    }
    if (upperRow != r) {
      if (lowerRow == r) {
        std::swap(upper, lower);
        std::swap(upperRow, lowerRow);
      } else {
        FilterAcross(upper, base + r * srcPitch, width, table, pairAt);
        upperRow = r;
      }
    }
    if (lowerRow != r + 1) {
      FilterAcrossAndDown(lower, base + (r + 1) * srcPitch, upper, width, table, group, pairAt);
      lowerRow = r + 1;
    } else {
      FilterDownGroup(group, upper, lower, width);
    }
  }
}
#endif

}  // namespace

#if ORRIVEL_HAVE_AVX2_PATH
ORRIVEL_BEGIN_AVX2
namespace {

using Wide = __m256i;

inline Wide WideLerpLanes(Wide a, Wide b, Wide f2) {
  return _mm256_add_epi16(a, _mm256_mulhi_epi16(_mm256_slli_epi16(_mm256_sub_epi16(b, a), 7), f2));
}

// FilterAcross with two groups of two pixels in each 256-bit step, written in
// the same lanes.
template <typename Pair>
void WideFilterAcross(Vec* out, const uint8_t* row, int width, const AcrossTable& table, Pair pairAt) {
  const Wide zero = _mm256_setzero_si256();
  const ptrdiff_t* column = table.column.data();
  const Vec* spread = table.spread.data();
  int x = 0;
  for (; x + 4 <= width; x += 4, spread += 2, out += 2) {
    const Vec first = _mm_unpacklo_epi32(pairAt(row, column[x]), pairAt(row, column[x + 1]));
    const Vec second = _mm_unpacklo_epi32(pairAt(row, column[x + 2]), pairAt(row, column[x + 3]));
    // [left 0, left 1, right 0, right 1 | left 2, left 3, right 2, right 3]
    const Wide both = _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
    const Wide f2 = _mm256_loadu_si256(reinterpret_cast<const Wide*>(spread));
    _mm256_storeu_si256(reinterpret_cast<Wide*>(out),
                        WideLerpLanes(_mm256_unpacklo_epi8(both, zero), _mm256_unpackhi_epi8(both, zero), f2));
  }
  for (; x < width; x += 2, ++out) {
    const int next = x + 1 < width ? x + 1 : x;
    const short f0 = table.fraction[size_t(x)], f1 = table.fraction[size_t(next)];
    *out = MixPairs(pairAt(row, column[x]), pairAt(row, column[next]),
                    _mm_setr_epi16(f0, f0, f0, f0, f1, f1, f1, f1));
  }
}

// FilterDown with eight pixels per step.
void WideFilterDown(uint32_t* d, const Vec* top, const Vec* bottom, int width, uint32_t f) {
  const Wide f2 = _mm256_set1_epi16(static_cast<short>(2 * f));
  auto four = [&](int x) {
    const Wide t = _mm256_loadu_si256(reinterpret_cast<const Wide*>(top + x / 2));
    if (f == 0) return t;
    return WideLerpLanes(t, _mm256_loadu_si256(reinterpret_cast<const Wide*>(bottom + x / 2)), f2);
  };
  int x = 0;
  for (; x + 8 <= width; x += 8) {
    // Packing works within 128-bit halves: pixels 0 1 4 5 2 3 6 7 put back in order.
    const Wide packed = _mm256_packus_epi16(four(x), four(x + 4));
    _mm256_storeu_si256(reinterpret_cast<Wide*>(d + x), _mm256_permute4x64_epi64(packed, 0xD8));
  }
  // The upper halves are cleared before the SSE2 form takes the rest: left
  // dirty, they slow every SSE2 instruction that follows, in the callers too.
  _mm256_zeroupper();
  FilterDown(d + x, top + x / 2, bottom + x / 2, width - x, f);
}

}  // namespace
ORRIVEL_END_AVX2
#endif

namespace {

#if ORRIVEL_HAVE_SSE2
// Keeps the two filtered source rows a destination row mixes, Row elements
// of size each, and filters every source row once: across(held, source
// row) fills a held row, down(destination row, top, bottom, fraction) mixes
// them.
template <typename Row, typename Across, typename Down>
void WalkRows(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
              const ScaleStep& step, size_t size, Across across, Down down) {
  std::vector<Row> held(size * 2);
  Row* upper = held.data();
  Row* lower = upper + size;
  ptrdiff_t upperRow = -1, lowerRow = -1;
  uint8_t* drow = static_cast<uint8_t*>(dst);
  const uint8_t* base = static_cast<const uint8_t*>(src);
  uint64_t yPos = step.yFraction;
  for (int y = 0; y < height; ++y) {
    const ptrdiff_t r = ptrdiff_t(yPos >> 32);
    if (upperRow != r) {
      if (lowerRow == r) {
        std::swap(upper, lower);
        std::swap(upperRow, lowerRow);
      } else {
        across(upper, base + r * srcPitch);
        upperRow = r;
      }
    }
    if (lowerRow != r + 1) {
      across(lower, base + (r + 1) * srcPitch);
      lowerRow = r + 1;
    }
    down(reinterpret_cast<uint32_t*>(drow), upper, lower, uint32_t(yPos >> 24) & 0xFF);
    yPos += step.yIncrement;
    drow += ptrdiff_t(width) * 4 + dstSkip;
  }
}

template <typename Pair>
void BilinearPacked(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                    const ScaleStep& step, Pair pairAt) {
  const AcrossTable table = MakeAcrossTable(width, step);
#if ORRIVEL_HAVE_AVX2_PATH
  if (PackedVectorBytes() >= 32) {
    WalkRows<Vec>(
        dst, src, dstSkip, srcPitch, width, height, step, size_t(LaneVectors(width)),
        [&](Vec* out, const uint8_t* row) { WideFilterAcross(out, row, width, table, pairAt); },
        [&](uint32_t* d, const Vec* top, const Vec* bottom, uint32_t f) { WideFilterDown(d, top, bottom, width, f); });
    return;
  }
#endif
  WalkRowGroups(dst, src, dstSkip, srcPitch, width, height, step, table, pairAt);
}
#endif

}  // namespace

void ScaleBilinear32Mmx(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                        int height, const ScaleStep& step) {
#if ORRIVEL_HAVE_SSE2
  BilinearPacked(dst, src, dstSkip, srcPitch, width, height, step,
                 [](const uint8_t* row, ptrdiff_t x) {
                   return _mm_loadl_epi64(reinterpret_cast<const Vec*>(row + x * 4));
                 });
#else
  ScaleBilinear32(dst, src, dstSkip, srcPitch, width, height, step);
#endif
}

void ScaleBilinearIndexedMmx(void* dst, const void* src, int dstSkip, int srcPitch,
                             const uint32_t* palette, int width, int height,
                             const ScaleStep& step) {
#if ORRIVEL_HAVE_SSE2
  BilinearPacked(dst, src, dstSkip, srcPitch, width, height, step,
                 [palette](const uint8_t* row, ptrdiff_t x) {
                   return _mm_set_epi32(0, 0, static_cast<int>(palette[row[x + 1]]),
                                        static_cast<int>(palette[row[x]]));
                 });
#else
  ScaleBilinearIndexed(dst, src, dstSkip, srcPitch, palette, width, height, step);
#endif
}

}  // namespace orrivel
