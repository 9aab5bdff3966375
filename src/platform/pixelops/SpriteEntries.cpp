// The drawing entries of sprites and the canvas background: a blend by draw
// mode and opacity, a resampled stretch and a turned draw by corner data.
// Every rectangle is cut to the images before a pixel is read or written.

#include <algorithm>
#include <cmath>

#include "platform/pixelops/BlendRows.h"
#include "platform/pixelops/Entries.h"
#include "platform/pixelops/StretchRows.h"

namespace pixelops {

using orrivel::PixelOpCorners;
using orrivel::PixelOpImage;
using orrivel::Rect;

namespace {

Rect Whole(const PixelOpImage* image) { return {0, 0, image->width, image->height}; }

// The rectangle (null: the whole image) cut to the image; empty when
// nothing is left.
Rect CutTo(const PixelOpImage* image, const Rect* rect) {
  if (rect == nullptr) return Whole(image);
  Rect r{std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, image->width),
         std::min(rect->bottom, image->height)};
  return r.IsEmpty() ? Rect{} : r;
}

inline uint32_t AddScaled(uint32_t d, uint32_t s, uint32_t k) {
  uint32_t out = d & 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const uint32_t sum = ((d >> shift) & 0xFF) + Div255(((s >> shift) & 0xFF) * k);
    out |= std::min<uint32_t>(sum, 255) << shift;
  }
  return out;
}

inline uint32_t SubScaled(uint32_t d, uint32_t s, uint32_t k) {
  uint32_t out = d & 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int32_t rest = int32_t((d >> shift) & 0xFF) - int32_t(Div255(((s >> shift) & 0xFF) * k));
    out |= uint32_t(std::max(rest, 0)) << shift;
  }
  return out;
}

template <typename Op>
void EachRow(const PixelOpImage* target, const PixelOpImage* source, const Rect& dest,
             int32_t sx, int32_t sy, Op op) {
  const int32_t w = dest.Width();
  for (int32_t j = 0; j < dest.Height(); ++j) {
    uint32_t* out = Row32(target, dest.top + j) + dest.left;
    const uint32_t* in = Row32(source, sy + j) + sx;
    op(out, in, w);
  }
}

void BlendRows(const PixelOpImage* target, const PixelOpImage* source, const Rect& dest, int32_t sx,
               int32_t sy, int32_t mode, uint32_t k) {
  switch (mode) {
    case 0:
    case 3:  // the plain copy that text reveals use
      if (k == 255) {
        EachRow(target, source, dest, sx, sy,
                [](uint32_t* out, const uint32_t* in, int32_t w) { std::copy(in, in + w, out); });
      } else {
        EachRow(target, source, dest, sx, sy, [k](uint32_t* out, const uint32_t* in, int32_t w) {
          for (int32_t i = 0; i < w; ++i) out[i] = Mix(out[i], in[i], k);
        });
      }
      return;
    case 2:
      EachRow(target, source, dest, sx, sy, [k](uint32_t* out, const uint32_t* in, int32_t w) {
        BlendAlphaRowPacked(out, in, w, k);
      });
      return;
    case 4:
      EachRow(target, source, dest, sx, sy, [k](uint32_t* out, const uint32_t* in, int32_t w) {
        for (int32_t i = 0; i < w; ++i) out[i] = AddScaled(out[i], in[i], k);
      });
      return;
    default:
      EachRow(target, source, dest, sx, sy, [k](uint32_t* out, const uint32_t* in, int32_t w) {
        for (int32_t i = 0; i < w; ++i) out[i] = SubScaled(out[i], in[i], k);
      });
      return;
  }
}

// Rows kept from call to call so that a steady animation allocates nothing
// (the entries run on the main thread only).
StretchRowScratch& StretchScratch() {
  static StretchRowScratch scratch;
  return scratch;
}

// Source positions in 16.16 fixed point: texel k covers k to k + 1.
constexpr double kFixedOne = 65536.0;

inline int64_t ToFixed(double value) { return int64_t(std::llround(value * kFixedOne)); }

inline int64_t Clamp(int64_t value, int64_t low, int64_t high) {
  return value < low ? low : value > high ? high : value;
}

// The texel under (fu, fv), read from inside area only.
inline uint32_t Nearest(const PixelOpImage* source, const Rect& area, int64_t fu, int64_t fv) {
  return Row32(source, Clamp(fv >> 16, area.top, area.bottom - 1))[Clamp(fu >> 16, area.left, area.right - 1)];
}

// The four texels nearest to (fu, fv) weighted by distance, read from
// inside area only (its edge texels repeat outward).
inline uint32_t Bilinear(const PixelOpImage* source, const Rect& area, int64_t fu, int64_t fv) {
  fu -= 0x8000;
  fv -= 0x8000;
  const int64_t bu = fu >> 16, bv = fv >> 16;
  const uint32_t wx = uint32_t(fu >> 8) & 0xFF, wy = uint32_t(fv >> 8) & 0xFF;
  const int64_t c0 = Clamp(bu, area.left, area.right - 1), c1 = Clamp(bu + 1, area.left, area.right - 1);
  const uint32_t* r0 = Row32(source, Clamp(bv, area.top, area.bottom - 1));
  const uint32_t* r1 = Row32(source, Clamp(bv + 1, area.top, area.bottom - 1));
  return Lerp(Lerp(r0[c0], r0[c1], wx), Lerp(r1[c0], r1[c1], wx), wy);
}

// The columns i (from 0) of a row where lo <= f0 + i * df < hi may hold,
// widened by one on each side so that rounding never loses a pixel; the
// caller still tests each one.
void NarrowSpan(double f0, double df, double lo, double hi, int64_t* first, int64_t* last) {
  if (df == 0.0) {
    if (!(f0 >= lo && f0 < hi)) *last = *first - 1;
    return;
  }
  double a = (lo - f0) / df, b = (hi - f0) / df;
  if (a > b) std::swap(a, b);
  if (a > double(*first)) *first = std::max(*first, int64_t(std::floor(a)) - 1);
  if (b < double(*last)) *last = std::min(*last, int64_t(std::ceil(b)) + 1);
}

}  // namespace

int32_t SpriteBlend(const PixelOpImage* target, const PixelOpImage* source, int32_t x, int32_t y,
                    const Rect* sourceRect, int32_t mode, int32_t opacity, int32_t) {
  if (!Usable32(target) || !Usable32(source)) return kRefused;
  if (mode < 0 || mode == 1 || mode > 5) return kRefused;
  ChangedRect() = {};
  const Rect area = CutTo(source, sourceRect);
  if (area.IsEmpty()) return kDone;
  // Where the cut source lands, in 64 bits so far placements cannot wrap.
  const int64_t left = int64_t{x} + area.left - (sourceRect ? int64_t{sourceRect->left} : 0);
  const int64_t top = int64_t{y} + area.top - (sourceRect ? int64_t{sourceRect->top} : 0);
  const int64_t l = std::max<int64_t>(left, 0), t = std::max<int64_t>(top, 0);
  const int64_t r = std::min<int64_t>(left + area.Width(), target->width);
  const int64_t b = std::min<int64_t>(top + area.Height(), target->height);
  const uint32_t k = uint32_t(std::clamp(opacity, 0, 255));
  if (l >= r || t >= b || k == 0) return kDone;
  const Rect dest{int32_t(l), int32_t(t), int32_t(r), int32_t(b)};
  BlendRows(target, source, dest, int32_t(area.left + (l - left)), int32_t(area.top + (t - top)),
            mode, k);
  ChangedRect() = dest;
  return kDone;
}

int32_t SpriteStretch(const PixelOpImage* target, const PixelOpImage* source, const Rect* destRect,
                      int32_t, int32_t, const Rect* sourceRect, int32_t, int32_t resampling,
                      int32_t opacity, int32_t) {
  if (!Usable32(target) || !Usable32(source)) return kRefused;
  const Rect place = destRect != nullptr ? *destRect : Whole(target);
  const Rect area = CutTo(source, sourceRect);
  if (place.IsEmpty() || area.IsEmpty()) return kRefused;
  ChangedRect() = {};
  const Rect dest = CutTo(target, &place);
  const uint32_t k = uint32_t(std::clamp(opacity, 0, 255));
  if (dest.IsEmpty() || k == 0) return kDone;
  const bool smooth = (resampling & 0x0F) != 0;
  const double su = double(area.Width()) / (int64_t{place.right} - place.left);
  const double sv = double(area.Height()) / (int64_t{place.bottom} - place.top);
  // Pixel centres map to source positions; a row's columns are the same
  // for every row, so only its first position and the step are worked out.
  const int64_t stepU = ToFixed(su);
  const int64_t firstU = ToFixed(area.left + (dest.left - int64_t{place.left} + 0.5) * su);
  const int32_t width = dest.Width();
  const StretchRowKernels& kernels = ChosenStretchRows();
  AcrossWalk walk;
  walk.first = firstU - 0x8000;
  walk.step = stepU;
  walk.left = area.left;
  walk.right = area.right;
  // Only the columns the row reads are mixed down.
  walk.low = Clamp(walk.first >> 16, area.left, area.right - 1);
  const int64_t high = Clamp((walk.Position(width - 1) >> 16) + 1, area.left, area.right - 1);
  const int32_t columns = int32_t(high - walk.low + 1);
  for (int32_t py = dest.top; py < dest.bottom; ++py) {
    uint32_t* out = Row32(target, py) + dest.left;
    const int64_t fv = ToFixed(area.top + (py - int64_t{place.top} + 0.5) * sv);
    if (!smooth) {
      const uint32_t* row = Row32(source, Clamp(fv >> 16, area.top, area.bottom - 1));
      for (int32_t i = 0; i < width; ++i) {
        const uint32_t texel = row[Clamp((firstU + i * stepU) >> 16, area.left, area.right - 1)];
        out[i] = k == 255 ? texel : Mix(out[i], texel, k);
      }
      continue;
    }
    const int64_t bv = (fv - 0x8000) >> 16;
    const uint32_t wy = uint32_t((fv - 0x8000) >> 8) & 0xFF;
    const uint32_t* r0 = Row32(source, Clamp(bv, area.top, area.bottom - 1)) + walk.low;
    const uint32_t* r1 = Row32(source, Clamp(bv + 1, area.top, area.bottom - 1)) + walk.low;
    StretchSmoothRow(kernels, out, r0, r1, wy, walk, columns, width, k, StretchScratch());
  }
  ChangedRect() = dest;
  return kDone;
}

int32_t SpriteRotate(const PixelOpImage* target, const PixelOpImage* source,
                     const PixelOpCorners* corners, const Rect* sourceRect, int32_t,
                     int32_t resampling, int32_t, int32_t, int32_t fill, uint32_t color,
                     const Rect* destRect) {
  if (!Usable32(target) || !Usable32(source) || corners == nullptr) return kRefused;
  const Rect area = CutTo(source, sourceRect);
  if (area.IsEmpty()) return kRefused;
  for (const auto& p : corners->points)
    if (!std::isfinite(p[0]) || !std::isfinite(p[1])) return kRefused;
  ChangedRect() = {};
  const Rect dest = CutTo(target, destRect);
  if (dest.IsEmpty()) return kDone;
  if (fill != 0)
    for (int32_t py = dest.top; py < dest.bottom; ++py)
      std::fill(Row32(target, py) + dest.left, Row32(target, py) + dest.right, color);
  // Corner data place pixel centres on whole numbers: the picture's
  // top-left corner lies half a pixel up and left of the first centre it
  // covers at scale 1.
  const double x0 = corners->points[0][0], y0 = corners->points[0][1];
  const double ax = corners->points[1][0] - x0, ay = corners->points[1][1] - y0;
  const double bx = corners->points[2][0] - x0, by = corners->points[2][1] - y0;
  const double det = ax * by - ay * bx;
  const bool smooth = (resampling & 0x0F) != 0;
  // (s, t): the point's place across the picture, 0 to 1 on each side.
  const double dsx = by / det, dsy = -bx / det;
  const double dtx = -ay / det, dty = ax / det;
  const double w = area.Width(), h = area.Height();
  // A picture squeezed to a dot (millions of texels a pixel) shows
  // nothing, and its steps would not fit the fixed-point positions.
  constexpr double kStepLimit = 1 << 24;
  if (det != 0.0 && std::isfinite(det) && std::fabs(dsx * w) < kStepLimit &&
      std::fabs(dtx * h) < kStepLimit) {
    // Source positions step linearly along a row.
    const int64_t stepU = ToFixed(dsx * w), stepV = ToFixed(dtx * h);
    const int64_t left = int64_t{area.left} << 16, right = int64_t{area.right} << 16;
    const int64_t top = int64_t{area.top} << 16, bottom = int64_t{area.bottom} << 16;
    for (int32_t py = dest.top; py < dest.bottom; ++py) {
      const double cx = dest.left - x0, cy = py - y0;
      const double s0 = cx * dsx + cy * dsy, t0 = cx * dtx + cy * dty;
      int64_t first = 0, last = int64_t{dest.right} - dest.left - 1;
      NarrowSpan(s0, dsx, 0.0, 1.0, &first, &last);
      NarrowSpan(t0, dtx, 0.0, 1.0, &first, &last);
      if (first > last) continue;
      uint32_t* out = Row32(target, py) + dest.left;
      const int64_t u0 = ToFixed(area.left + (s0 + double(first) * dsx) * w);
      const int64_t v0 = ToFixed(area.top + (t0 + double(first) * dtx) * h);
      for (int64_t i = first; i <= last; ++i) {
        const int64_t fu = u0 + (i - first) * stepU, fv = v0 + (i - first) * stepV;
        if (fu < left || fu >= right || fv < top || fv >= bottom) continue;
        out[i] = smooth ? Bilinear(source, area, fu, fv) : Nearest(source, area, fu, fv);
      }
    }
  }
  ChangedRect() = dest;
  return kDone;
}

}  // namespace pixelops
