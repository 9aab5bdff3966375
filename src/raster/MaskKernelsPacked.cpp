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

template <ImageOp kOp>
void ByAlpha(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
             const uint8_t* levelMap) {
  auto [vop, sop] = ByAlphaOps<kOp>(levelMap);
  packed_loops::Straight(dst, src, dstSkip, srcSkip, width, height, vop, sop);
}

template <ImageOp kOp>
void ByAlphaStretched(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                      const StretchStep& step, const uint8_t* levelMap) {
  auto [vop, sop] = ByAlphaOps<kOp>(levelMap);
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
  uint8_t* drow = static_cast<uint8_t*>(dst);
  const uint8_t* srow = static_cast<const uint8_t*>(src);
  for (int y = 0; y < height; ++y) {
    uint32_t* d = reinterpret_cast<uint32_t*>(drow);
    const uint32_t* s = reinterpret_cast<const uint32_t*>(srow);
    int x = 0;
#if ORRIVEL_HAVE_SSE2
    for (; x + 4 <= width; x += 4) {
      uint32_t m[4];
      for (int i = 0; i < 4; ++i) m[i] = Multiplier(levelOf(mask[x + i], s[x + i]));
      if ((m[0] | m[1] | m[2] | m[3]) == 0) continue;
      Store(d + x, Blend4(Load(d + x), Load(s + x), m));
    }
#endif
    for (; x < width; ++x) d[x] = ops::BlendKeepAlpha(d[x], s[x], Multiplier(levelOf(mask[x], s[x])));
    drow += ptrdiff_t(width) * 4 + dstSkip;
    srow += ptrdiff_t(width) * 4 + srcSkip;
    mask += ptrdiff_t(width) + maskSkip;
  }
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
  ThroughMask(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height,
              [levelMap](uint8_t m, uint32_t) { return levelMap[m]; });
}

void DrawThroughMaskProduct32Mmx(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                                 int srcSkip, int maskSkip, int width, int height,
                                 const uint8_t* levelMap) {
  if (mask == nullptr) return;
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

namespace {

#if ORRIVEL_HAVE_SSE2
// lerp of the two pixels in the low and high halves of a lane vector.
inline Vec LerpHalves(Vec pair, uint32_t f) {
  const Vec w = _mm_set_epi16(short(f), short(f), short(f), short(f), short(256 - f),
                              short(256 - f), short(256 - f), short(256 - f));
  const Vec p = _mm_mullo_epi16(pair, w);
  return _mm_srli_epi16(_mm_add_epi16(p, _mm_srli_si128(p, 8)), 8);
}
#endif

template <typename Pair>
void BilinearPacked(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                    const ScaleStep& step, Pair pairAt) {
#if ORRIVEL_HAVE_SSE2
  uint8_t* drow = static_cast<uint8_t*>(dst);
  const uint8_t* base = static_cast<const uint8_t*>(src);
  const Vec zero = _mm_setzero_si128();
  uint64_t yPos = step.yFraction;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row0 = base + ptrdiff_t(yPos >> 32) * srcPitch;
    const uint8_t* row1 = row0 + srcPitch;
    const uint32_t fy = uint32_t(yPos >> 24) & 0xFF;
    uint32_t* d = reinterpret_cast<uint32_t*>(drow);
    uint64_t xPos = step.xFraction;
    for (int x = 0; x < width; ++x) {
      const ptrdiff_t ix = ptrdiff_t(xPos >> 32);
      const uint32_t fx = uint32_t(xPos >> 24) & 0xFF;
      const Vec top = LerpHalves(_mm_unpacklo_epi8(pairAt(row0, ix), zero), fx);
      const Vec bottom = LerpHalves(_mm_unpacklo_epi8(pairAt(row1, ix), zero), fx);
      const Vec mixed = LerpHalves(_mm_unpacklo_epi64(top, bottom), fy);
      d[x] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(mixed, zero)));
      xPos += step.xIncrement;
    }
    yPos += step.yIncrement;
    drow += ptrdiff_t(width) * 4 + dstSkip;
  }
#else
  (void)pairAt;
  mask_loops::Bilinear(dst, src, dstSkip, srcPitch, width, height, step,
                       [](const uint8_t* row, ptrdiff_t x) {
                         return reinterpret_cast<const uint32_t*>(row)[x];
                       });
#endif
}

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
