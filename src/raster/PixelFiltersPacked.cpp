// Packed twins of the pixel filters (SSE2, four pixels per step; the tail
// pixels and processors without SSE2 take the per-pixel arithmetic).

#include "raster/PackedLoops.h"
#include "raster/PixelFilterOps.h"
#include "raster/PixelFilters.h"

namespace orrivel {

namespace ops = filter_ops;

namespace {

#if ORRIVEL_HAVE_SSE2
using Vec = __m128i;
using packed_loops::Load;
using packed_loops::Store;

inline Vec Splat(uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }

// Keeps the pixels equal to the key.
inline Vec KeepKey(Vec before, Vec after, Vec key) {
  const Vec match = _mm_cmpeq_epi32(before, key);
  return _mm_or_si128(_mm_and_si128(match, before), _mm_andnot_si128(match, after));
}
#else
struct Vec {};
#endif

template <typename VecOp, typename ScalarOp>
void InPlace(void* bits, int skip, int width, int height, [[maybe_unused]] VecOp vop,
             ScalarOp sop) {
  uint8_t* row = static_cast<uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    uint32_t* p = reinterpret_cast<uint32_t*>(row);
    int x = 0;
#if ORRIVEL_HAVE_SSE2
    for (; x + 4 <= width; x += 4) Store(p + x, vop(Load(p + x)));
#endif
    for (; x < width; ++x) sop(p[x]);
    row += ptrdiff_t(width) * 4 + skip;
  }
}

template <bool kKeyed, bool kSubtract>
void SaturateColor(void* bits, int skip, int width, int height, uint32_t color,
                   [[maybe_unused]] uint32_t key) {
  const uint32_t k = color & 0x00FFFFFFu;
#if ORRIVEL_HAVE_SSE2
  const Vec kv = Splat(k), keyv = Splat(key);
  auto vop = [kv, keyv](Vec p) {
    const Vec r = kSubtract ? _mm_subs_epu8(p, kv) : _mm_adds_epu8(p, kv);
    return kKeyed ? KeepKey(p, r, keyv) : r;
  };
#else
  auto vop = [](Vec p) { return p; };
#endif
  InPlace(bits, skip, width, height, vop, [k, key](uint32_t& p) {
    if (kKeyed && p == key) return;
    p = kSubtract ? ops::SubSatWord(p, k) : ops::AddSatWord(p, k);
  });
}

}  // namespace

void AddColorSat32Mmx(void* bits, int skip, int width, int height, uint32_t color) {
  SaturateColor<false, false>(bits, skip, width, height, color, 0);
}
void AddColorSatKeyed32Mmx(void* bits, int skip, int width, int height, uint32_t color,
                           uint32_t key) {
  SaturateColor<true, false>(bits, skip, width, height, color, key);
}
void SubColorSat32Mmx(void* bits, int skip, int width, int height, uint32_t color) {
  SaturateColor<false, true>(bits, skip, width, height, color, 0);
}
void SubColorSatKeyed32Mmx(void* bits, int skip, int width, int height, uint32_t color,
                           uint32_t key) {
  SaturateColor<true, true>(bits, skip, width, height, color, key);
}

void Grayscale32Mmx(void* bits, int skip, int width, int height) {
#if ORRIVEL_HAVE_SSE2
  // Weights for the lanes blue, green, red, alpha of two pixels.
  const Vec weights = _mm_set_epi16(0, 77, 150, 29, 0, 77, 150, 29);
  const Vec zero = _mm_setzero_si128();
  const Vec alpha = Splat(0xFF000000u);
  auto vop = [=](Vec p) {
    const Vec lo = _mm_madd_epi16(_mm_unpacklo_epi8(p, zero), weights);
    const Vec hi = _mm_madd_epi16(_mm_unpackhi_epi8(p, zero), weights);
    // Each pixel left two partial sums (blue + green, red + alpha).
    const Vec first = _mm_castps_si128(
        _mm_shuffle_ps(_mm_castsi128_ps(lo), _mm_castsi128_ps(hi), _MM_SHUFFLE(2, 0, 2, 0)));
    const Vec second = _mm_castps_si128(
        _mm_shuffle_ps(_mm_castsi128_ps(lo), _mm_castsi128_ps(hi), _MM_SHUFFLE(3, 1, 3, 1)));
    const Vec g = _mm_srli_epi32(_mm_add_epi32(first, second), 8);
    const Vec grey = _mm_or_si128(_mm_or_si128(g, _mm_slli_epi32(g, 8)), _mm_slli_epi32(g, 16));
    return _mm_or_si128(_mm_and_si128(p, alpha), grey);
  };
#else
  auto vop = [](Vec p) { return p; };
#endif
  InPlace(bits, skip, width, height, vop, [](uint32_t& p) { p = ops::Grey(p); });
}

void ColorBalance32Mmx(void* bits, int skip, int width, int height, int scaleRed, int scaleGreen,
                       int scaleBlue, int offsetRed, int offsetGreen, int offsetBlue) {
  const ops::Tone tone(scaleRed, scaleGreen, scaleBlue, offsetRed, offsetGreen, offsetBlue);
#if ORRIVEL_HAVE_SSE2
  // The alpha lane scales by 128 and adds 0, which keeps it.
  const Vec scale = _mm_set_epi16(128, short(tone.scale[2]), short(tone.scale[1]),
                                  short(tone.scale[0]), 128, short(tone.scale[2]),
                                  short(tone.scale[1]), short(tone.scale[0]));
  const Vec offset = _mm_set_epi16(0, short(tone.offset[2]), short(tone.offset[1]),
                                   short(tone.offset[0]), 0, short(tone.offset[2]),
                                   short(tone.offset[1]), short(tone.offset[0]));
  const Vec zero = _mm_setzero_si128();
  auto lanes = [=](Vec v) {
    return _mm_adds_epi16(_mm_srli_epi16(_mm_mullo_epi16(v, scale), 7), offset);
  };
  auto vop = [=](Vec p) {
    return _mm_packus_epi16(lanes(_mm_unpacklo_epi8(p, zero)), lanes(_mm_unpackhi_epi8(p, zero)));
  };
#else
  auto vop = [](Vec p) { return p; };
#endif
  InPlace(bits, skip, width, height, vop, [&tone](uint32_t& p) { p = tone(p); });
}

void Invert32Mmx(void* bits, int skip, int width, int height, uint8_t mode) {
  const uint32_t mask = ops::InvertMask(mode);
#if ORRIVEL_HAVE_SSE2
  const Vec m = Splat(mask);
  auto vop = [m](Vec p) { return _mm_xor_si128(p, m); };
#else
  auto vop = [](Vec p) { return p; };
#endif
  InPlace(bits, skip, width, height, vop, [mask](uint32_t& p) { p ^= mask; });
}

}  // namespace orrivel
