#include "raster/BackgroundPixelOps.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

BackgroundPixelOps gBuiltin;
BackgroundPixelOps* gCurrent = nullptr;

constexpr int kDone = 0;
constexpr int kMissing = 1;
constexpr int kUnsupported = 2;
constexpr int kRefused = 3;

bool HasPixels(Surface* s) { return s != nullptr && s->GetBits() != nullptr && s->GetWidth() > 0 && s->GetHeight() > 0; }

int Check(Surface* dest, Surface* source) {
  if (!HasPixels(dest) || !HasPixels(source)) return kMissing;
  if (dest->GetBitsPerPixel() != 32 || source->GetBitsPerPixel() != 32) return kUnsupported;
  return kDone;
}

// Rounds x ÷ 255 to the nearest integer for 0 ≤ x ≤ 65535; the packed twin
// uses the same steps.
inline uint32_t Div255(uint32_t x) {
  const uint32_t t = x + 128;
  return (t + (t >> 8)) >> 8;
}

inline uint32_t BlendPixel(uint32_t a, uint32_t b, uint32_t level) {
  uint32_t out = a & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    out |= Div255(ca * (255 - level) + cb * level) << shift;
  }
  return out;
}

}  // namespace

void BlendTwoRows32(uint32_t* dest, const uint32_t* a, const uint32_t* b, int32_t width, uint32_t level) {
  for (int32_t i = 0; i < width; ++i) dest[i] = BlendPixel(a[i], b[i], level);
}

void BlendTwoRows32Packed(uint32_t* dest, const uint32_t* a, const uint32_t* b, int32_t width, uint32_t level) {
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i wa = _mm_set1_epi16(int16_t(255 - level)), wb = _mm_set1_epi16(int16_t(level));
  const __m128i half = _mm_set1_epi16(128);
  const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000u));
  auto mix = [&](__m128i pa, __m128i pb) {
    __m128i x = _mm_add_epi16(_mm_mullo_epi16(pa, wa), _mm_mullo_epi16(pb, wb));
    x = _mm_add_epi16(x, half);
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
  };
  for (; i + 4 <= width; i += 4) {
    const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const __m128i low = mix(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
    const __m128i high = mix(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
    const __m128i mixed = _mm_packus_epi16(low, high);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i),
                     _mm_or_si128(_mm_andnot_si128(alpha, mixed), _mm_and_si128(alpha, va)));
  }
#endif
  BlendTwoRows32(dest + i, a + i, b + i, width - i, level);
}

int BackgroundPixelOps::BlendTwoSources(Surface* dest, Surface* a, Surface* b, uint8_t level, const Rect* rect) {
  if (const int code = Check(dest, a); code != kDone) return code;
  if (const int code = Check(dest, b); code != kDone) return code;
  Rect area{0, 0, dest->GetWidth(), dest->GetHeight()};
  if (rect != nullptr && !IntersectRects(&area, area, *rect)) return kDone;
  const Rect common{0, 0, std::min(a->GetWidth(), b->GetWidth()), std::min(a->GetHeight(), b->GetHeight())};
  if (!IntersectRects(&area, area, common)) return kDone;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    auto row = [y, &area](Surface* s) { return reinterpret_cast<uint32_t*>(s->GetScanLine(y)) + area.left; };
    BlendTwoRows32Packed(row(dest), row(a), row(b), area.Width(), level);
  }
  dest->MarkDirty(area);
  return kDone;
}

int BackgroundPixelOps::AffineBlend(Surface* dest, Surface* source, const AffineMap& map, uint32_t, uint8_t blendMode,
                                    uint8_t opacity) {
  if (const int code = Check(dest, source); code != kDone) return code;
  if (opacity == 0) return kDone;
  auto draw = reinterpret_cast<PixelOpTransformDrawFn>(LibraryEntry(11));
  if (draw == nullptr) return kUnsupported;
  const double w = source->GetWidth(), h = source->GetHeight();
  auto at = [&map](double x, double y, double* ox, double* oy) {
    *ox = map.xx * x + map.xy * y + map.tx;
    *oy = map.yx * x + map.yy * y + map.ty;
  };
  double x0, y0, x1, y1, x2, y2;
  at(0, 0, &x0, &y0);
  at(w, 0, &x1, &y1);
  at(0, h, &x2, &y2);
  for (double v : {x0, y0, x1, y1, x2, y2})
    if (!std::isfinite(v)) return kDone;
  // The library copies in mode 0 and blends by texel alpha times the
  // opacity in mode 2; a translucent plain draw is an alpha blend of an
  // opaque picture.
  const int32_t mode = (blendMode == kBlendOpacity && opacity == 255) ? 0 : 2;
  const PixelOpImage to = ViewForLibrary(dest), from = ViewForLibrary(source);
  if (draw(&to, &from, x0, y0, x1, y1, x2, y2, nullptr, mode, 0, opacity, 0, 0, 0, nullptr) != 0) return kRefused;
  RecordLibraryChange(dest);
  return kDone;
}

int BackgroundPixelOps::StretchBlend(Surface* dest, Surface* source, const Rect& destRect, const Rect& sourceRect,
                                     uint32_t flags, uint8_t blendMode, uint8_t opacity) {
  if (const int code = Check(dest, source); code != kDone) return code;
  if (opacity == 0 || destRect.IsEmpty() || sourceRect.IsEmpty()) return kDone;
  Rect from = sourceRect;
  const Rect whole{0, 0, source->GetWidth(), source->GetHeight()};
  if (!IntersectRects(&from, from, whole) || !(from == sourceRect)) {
    // The library reads only inside the picture: a rectangle reaching past
    // it is refused rather than read outside.
    if (!IntersectRects(nullptr, sourceRect, whole)) return kDone;
    return kUnsupported;
  }
  if (blendMode == kBlendOpacity) {
    auto stretch = reinterpret_cast<PixelOpSpriteStretchFn>(LibraryEntry(kPixelOpSpriteStretch));
    if (stretch != nullptr) {
      const PixelOpImage to = ViewForLibrary(dest), view = ViewForLibrary(source);
      const int32_t resampling = (flags & kFiltered) != 0 ? 1 : 0;
      if (stretch(&to, &view, &destRect, 0, 0, &from, 0, resampling, opacity, 0) != 0) return kRefused;
      RecordLibraryChange(dest);
      return kDone;
    }
  }
  // Without the library (or for an alpha blend) the engine's own
  // nearest-texel kernels do the work.
  const Size size{destRect.Width(), destRect.Height()};
  if (blendMode == kBlendAlpha)
    return dest->StretchAlphaBlend(source, &size, destRect.left, destRect.top, &from, false) == 0 ? kDone : kRefused;
  const int answer = opacity == 255 ? dest->StretchCopy(source, &size, destRect.left, destRect.top, &from, false)
                                    : dest->StretchBlendOpacity(source, opacity, &size, destRect.left, destRect.top,
                                                                &from);
  return answer == 0 ? kDone : kRefused;
}

BackgroundPixelOps& CurrentBackgroundPixelOps() { return gCurrent != nullptr ? *gCurrent : gBuiltin; }

BackgroundPixelOps* SetBackgroundPixelOps(BackgroundPixelOps* ops) {
  BackgroundPixelOps* previous = gCurrent;
  gCurrent = ops;
  return previous;
}

}  // namespace orrivel
