// Packed twins of the ripple kernels (SSE2): the four displaced pixel pairs
// of a step are gathered, then blended in 16-bit lanes. The lanes compute
// (from * (256 - level) + to * level) >> 8, which is what the plain blend
// computes, so both give the same pixels.
#include <cstring>

#include "raster/PackedLoops.h"
#include "transition/RippleKernels.h"

namespace orrivel {

namespace {

inline uint32_t Fetch(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

template <int kDirection>
inline ptrdiff_t Offset(const RippleRun& r, int32_t i) {
  const int16_t pair = r.displacement[r.map[kDirection * i]];
  return RippleDy(pair) * r.pitch + ptrdiff_t(r.x + i - kDirection * RippleDx(pair)) * 4;
}

template <int kDirection, bool kPrefetch>
void RunPacked(const RippleRun& r) {
  int32_t i = 0;
#if ORRIVEL_HAVE_SSE2
  const __m128i zero = _mm_setzero_si128();
  const __m128i keep = _mm_set1_epi16(int16_t(256 - r.level));
  const __m128i take = _mm_set1_epi16(int16_t(r.level));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  for (; i + 4 <= r.count; i += 4) {
    if constexpr (kPrefetch)
      _mm_prefetch(reinterpret_cast<const char*>(r.map + kDirection * (i + 32)), _MM_HINT_T0);
    const ptrdiff_t o0 = Offset<kDirection>(r, i), o1 = Offset<kDirection>(r, i + 1);
    const ptrdiff_t o2 = Offset<kDirection>(r, i + 2), o3 = Offset<kDirection>(r, i + 3);
    const __m128i f = _mm_set_epi32(int(Fetch(r.from + o3)), int(Fetch(r.from + o2)),
                                    int(Fetch(r.from + o1)), int(Fetch(r.from + o0)));
    const __m128i t = _mm_set_epi32(int(Fetch(r.to + o3)), int(Fetch(r.to + o2)),
                                    int(Fetch(r.to + o1)), int(Fetch(r.to + o0)));
    const __m128i lo = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(f, zero), keep),
                      _mm_mullo_epi16(_mm_unpacklo_epi8(t, zero), take)),
        8);
    const __m128i hi = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(f, zero), keep),
                      _mm_mullo_epi16(_mm_unpackhi_epi8(t, zero), take)),
        8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(r.dst + i),
                     _mm_and_si128(_mm_packus_epi16(lo, hi), colour));
  }
#endif
  for (; i < r.count; ++i) {
    const ptrdiff_t o = Offset<kDirection>(r, i);
    r.dst[i] = RippleBlend(Fetch(r.from + o), Fetch(r.to + o), r.level);
  }
}

}  // namespace

void RippleForwardPacked(const RippleRun& run) { RunPacked<1, false>(run); }
void RippleBackwardPacked(const RippleRun& run) { RunPacked<-1, false>(run); }
void RippleForwardPackedPrefetch(const RippleRun& run) { RunPacked<1, true>(run); }
void RippleBackwardPackedPrefetch(const RippleRun& run) { RunPacked<-1, true>(run); }

}  // namespace orrivel
