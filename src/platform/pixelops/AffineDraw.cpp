// Entry 12: a picture drawn through an affine map given in 16.16 fixed
// point. The map sends the source rectangle to a parallelogram; every
// target pixel whose centre it covers takes the texel under that centre.
//
// The map is exact, so it is inverted once: along a row the source
// position moves by a constant step, kept in 32.32 fixed point, and each
// pixel costs two additions and an unsigned range test instead of the
// general transformed draw's two divisions. Only the columns of each row
// that can lie inside the parallelogram are walked. Maps whose positions
// would not fit the fixed point go through the transformed draw.
#include <algorithm>
#include <cmath>

#include "platform/pixelops/Entries.h"

namespace pixelops {

using orrivel::PixelOpImage;
using orrivel::Rect;

namespace {

constexpr double kOne = 65536.0;
constexpr double kFixed = 4294967296.0;  // 2^32: one source pixel
// Source positions and steps beyond this many pixels leave the fast path.
constexpr double kReach = 1 << 28;

// d + (((t - d) * m) >> 8) on the colour channels, destination alpha kept.
uint32_t BlendTexel(uint32_t d, uint32_t t, int32_t level) {
  const int32_t k = (level * int32_t(t >> 24) + 127) / 255;
  const int32_t m = k == 0 ? 0 : k + 1;
  uint32_t out = d & 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int32_t dc = int32_t((d >> shift) & 0xFF), tc = int32_t((t >> shift) & 0xFF);
    out |= uint32_t((dc + (((tc - dc) * m) >> 8)) & 0xFF) << shift;
  }
  return out;
}

// The inverse map: the source position (in pixels of the source
// rectangle) of the centre of target pixel (x, y) is (u0 + x du + y eu,
// v0 + x dv + y ev).
struct Inverse {
  double u0, du, eu, v0, dv, ev;
};

// The columns [lo, hi) of a row where u in [0, w) and v in [0, h) may hold,
// widened by a pixel on each side for rounding; the range test per pixel
// settles the edges.
void RowSpan(const Inverse& m, int32_t y, double w, double h, int32_t* lo, int32_t* hi) {
  double first = double(*lo), last = double(*hi);
  const auto narrow = [&](double start, double step, double limit) {
    if (step == 0.0) {
      if (!(start >= -1.0 && start <= limit + 1.0)) last = first;  // the whole row misses
      return;
    }
    double a = (0.0 - start) / step, b = (limit - start) / step;
    if (a > b) std::swap(a, b);
    first = std::max(first, std::floor(a) - 1.0);
    last = std::min(last, std::ceil(b) + 1.0);
  };
  narrow(m.u0 + y * m.eu, m.du, w);
  narrow(m.v0 + y * m.ev, m.dv, h);
  if (last <= first) {
    *hi = *lo;
    return;
  }
  *lo = int32_t(first);
  *hi = int32_t(last);
}

int64_t ToFixed(double v) { return int64_t(std::floor(v * kFixed)); }

}  // namespace

int32_t AffineDraw(const PixelOpImage* target, const PixelOpImage* source, int32_t a, int32_t b, int32_t c,
                   int32_t d, int32_t tx, int32_t ty, const Rect* sourceRect, int32_t mode, int32_t reserved,
                   int32_t opacity, int32_t flag1, int32_t flag2, int32_t word, const Rect* clip) {
  if (!Usable32(target) || !Usable32(source)) return kRefused;
  const Rect area = sourceRect != nullptr ? *sourceRect : Rect{0, 0, source->width, source->height};
  if (area.IsEmpty()) return kRefused;
  const double w = double(int64_t(area.right) - area.left), h = double(int64_t(area.bottom) - area.top);
  const double x0 = tx / kOne, y0 = ty / kOne;
  const double x1 = x0 + a / kOne * w, y1 = y0 + b / kOne * w;
  const double x2 = x0 + c / kOne * h, y2 = y0 + d / kOne * h;
  const auto general = [&] {
    return TransformDraw(target, source, x0, y0, x1, y1, x2, y2, &area, mode, reserved, opacity, flag1, flag2, word,
                         clip);
  };
  // Sources outside the picture, and everything the stepped walk cannot
  // hold, take the general draw with its own checks.
  if (mode != 0 && mode != 2) return kRefused;
  if (area.left < 0 || area.top < 0 || area.right > source->width || area.bottom > source->height) return general();
  const double det = double(a) * double(d) - double(b) * double(c);
  if (det == 0.0) return general();
  // u = (D (x - x0) - C (y - y0)) / det', v = (A (y - y0) - B (x - x0)) / det',
  // with A..D the map's entries as numbers and det' = AD - BC.
  const double A = a / kOne, B = b / kOne, C = c / kOne, D = d / kOne, detN = det / (kOne * kOne);
  Inverse m{(D * (0.5 - x0) - C * (0.5 - y0)) / detN, D / detN, -C / detN,
            (A * (0.5 - y0) - B * (0.5 - x0)) / detN, -B / detN, A / detN};
  for (double v : {m.u0, m.du, m.eu, m.v0, m.dv, m.ev})
    if (!std::isfinite(v) || std::fabs(v) > kReach) return general();

  ChangedRect() = {};
  const double x3 = x1 + (x2 - x0), y3 = y1 + (y2 - y0);
  const auto span = [](double p, double q, double r, double s, int32_t limit, int32_t* lo, int32_t* hi) {
    const double least = std::min({p, q, r, s}), most = std::max({p, q, r, s});
    *lo = int32_t(std::clamp(std::floor(least), 0.0, double(limit)));
    *hi = int32_t(std::clamp(std::ceil(most), 0.0, double(limit)));
  };
  Rect box;
  span(x0, x1, x2, x3, target->width, &box.left, &box.right);
  span(y0, y1, y2, y3, target->height, &box.top, &box.bottom);
  box = ClipBox(box, clip);
  if (box.IsEmpty()) return kDone;
  // Beyond the reach the positions of the far corner of the box may not fit.
  for (int32_t y : {box.top, box.bottom})
    for (int32_t x : {box.left, box.right})
      if (std::fabs(m.u0 + x * m.du + y * m.eu) > kReach || std::fabs(m.v0 + x * m.dv + y * m.ev) > kReach)
        return general();

  const uint64_t uLimit = uint64_t(w) << 32, vLimit = uint64_t(h) << 32;
  const int64_t du = ToFixed(m.du), dv = ToFixed(m.dv);
  const int32_t level = std::clamp(opacity, 0, 255);
  const int32_t pitchWords = source->pitch / 4;
  const uint32_t* origin = Row32(source, area.top) + area.left;
  for (int32_t py = box.top; py < box.bottom; ++py) {
    int32_t lo = box.left, hi = box.right;
    RowSpan(m, py, w, h, &lo, &hi);
    lo = std::max(lo, box.left);
    hi = std::min(hi, box.right);
    if (lo >= hi) continue;
    int64_t u = ToFixed(m.u0 + lo * m.du + py * m.eu), v = ToFixed(m.v0 + lo * m.dv + py * m.ev);
    uint32_t* out = Row32(target, py);
    for (int32_t px = lo; px < hi; ++px, u += du, v += dv) {
      if (uint64_t(u) >= uLimit || uint64_t(v) >= vLimit) continue;
      const uint32_t texel = origin[int64_t(v >> 32) * pitchWords + (u >> 32)];
      out[px] = mode == 0 ? texel : BlendTexel(out[px], texel, level);
    }
  }
  ChangedRect() = box;
  return kDone;
}

}  // namespace pixelops
