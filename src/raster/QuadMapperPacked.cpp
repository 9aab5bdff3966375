// Packed twin of the blending quadrilateral mapper: the texel and the
// destination pixel in 16-bit lanes, difference times the lane multiplier,
// the top byte of each product added back with byte wrap-around. The true
// result always lies in 0..255, so the wrap gives it exactly.

#include "raster/BlendTables.h"
#include "raster/PackedLoops.h"
#include "raster/QuadMapLoop.h"

namespace orrivel {

int MapQuadTextureBMmx(Image* dest, Surface* source, const Point destPoints[4],
                       const Point sourcePoints[4], const Rect& clip, uint8_t spanFlag,
                       const uint8_t* levelMap) {
#if ORRIVEL_HAVE_SSE2
  return quad_map::MapQuad(
      dest, source, destPoints, sourcePoints, clip, spanFlag,
      [levelMap](uint32_t* d, uint32_t t) {
        const OpacityLanes& lanes = OpacityMultiplierTable[levelMap[t >> 24]];
        const __m128i zero = _mm_setzero_si128();
        const __m128i m = _mm_set_epi16(0, 0, 0, 0, short(lanes.alpha), short(lanes.red),
                                        short(lanes.green), short(lanes.blue));
        const __m128i dv = _mm_cvtsi32_si128(int(*d));
        const __m128i tv = _mm_cvtsi32_si128(int(t));
        const __m128i diff = _mm_sub_epi16(_mm_unpacklo_epi8(tv, zero), _mm_unpacklo_epi8(dv, zero));
        const __m128i part = _mm_srli_epi16(_mm_mullo_epi16(diff, m), 8);
        *d = uint32_t(_mm_cvtsi128_si32(_mm_add_epi8(dv, _mm_packus_epi16(part, zero))));
      });
#else
  return MapQuadTextureB(dest, source, destPoints, sourcePoints, clip, spanFlag, levelMap);
#endif
}

}  // namespace orrivel
