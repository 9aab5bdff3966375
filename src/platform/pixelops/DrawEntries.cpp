// Drawing entries: the averaged stretch used for small copies of the screen,
// and the transformed draw of rotated pictures.

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/pixelops/Entries.h"

namespace pixelops {

using orrivel::PixelOpImage;
using orrivel::Rect;

namespace {

// d + (((t - d) * m) >> 8) on the colour channels, destination alpha kept.
uint32_t BlendColour(uint32_t d, uint32_t t, int32_t m) {
  uint32_t out = d & 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int32_t dc = int32_t((d >> shift) & 0xFF);
    const int32_t tc = int32_t((t >> shift) & 0xFF);
    out |= uint32_t((dc + (((tc - dc) * m) >> 8)) & 0xFF) << shift;
  }
  return out;
}

// Source positions [first, last) that destination step i of n covers.
void Footprint(int64_t origin, int64_t length, int64_t n, int64_t i, int64_t* first,
               int64_t* last) {
  *first = origin + i * length / n;
  *last = std::max(origin + (i + 1) * length / n, *first + 1);
}

// How a stretched texel lands: copied whole (level -1), or blended by its
// alpha times the level (0-255), the destination alpha kept.
struct TexelPut {
  int32_t level = -1;
  void operator()(uint32_t& out, uint32_t texel) const {
    if (level < 0) {
      out = texel;
      return;
    }
    const int32_t k = (level * int32_t(texel >> 24) + 127) / 255;
    out = BlendColour(out, texel, k == 0 ? 0 : k + 1);
  }
};

void AverageRows(const PixelOpImage* target, const PixelOpImage* source, int32_t destX, int32_t destY,
                 int32_t destWidth, int32_t destHeight, int32_t sourceX, int32_t sourceY, int32_t sourceWidth,
                 int32_t sourceHeight, int64_t i0, int64_t i1, int64_t j0, int64_t j1, TexelPut put) {
  for (int64_t j = j0; j < j1; ++j) {
    int64_t y0, y1;
    Footprint(sourceY, sourceHeight, destHeight, j, &y0, &y1);
    uint32_t* out = Row32(target, destY + j);
    for (int64_t i = i0; i < i1; ++i) {
      int64_t x0, x1;
      Footprint(sourceX, sourceWidth, destWidth, i, &x0, &x1);
      uint64_t sum[4] = {};
      for (int64_t y = y0; y < y1; ++y) {
        const uint32_t* in = Row32(source, y);
        for (int64_t x = x0; x < x1; ++x)
          for (int c = 0; c < 4; ++c) sum[c] += (in[x] >> (8 * c)) & 0xFF;
      }
      const uint64_t count = uint64_t(x1 - x0) * uint64_t(y1 - y0);
      uint32_t word = 0;
      for (int c = 0; c < 4; ++c) word |= uint32_t((sum[c] + count / 2) / count) << (8 * c);
      put(out[destX + i], word);
    }
  }
}

void GrowRows(const PixelOpImage* target, const PixelOpImage* source, int32_t destX, int32_t destY,
              int32_t destWidth, int32_t destHeight, int32_t sourceX, int32_t sourceY, int32_t sourceWidth,
              int32_t sourceHeight, int64_t i0, int64_t i1, int64_t j0, int64_t j1, TexelPut put) {
  // Growing on both axes, every destination pixel covers one source pixel:
  // its average is that pixel, so the columns are looked up once.
  std::vector<int64_t> columns(size_t(i1 - i0));
  for (int64_t i = i0; i < i1; ++i) columns[size_t(i - i0)] = sourceX + i * sourceWidth / destWidth;
  for (int64_t j = j0; j < j1; ++j) {
    const uint32_t* in = Row32(source, sourceY + j * sourceHeight / destHeight);
    uint32_t* out = Row32(target, destY + j) + destX;
    for (int64_t i = i0; i < i1; ++i) put(out[i], in[columns[size_t(i - i0)]]);
  }
}

}  // namespace

int32_t StretchDraw(const PixelOpImage* target, const PixelOpImage* source, int32_t destX,
                    int32_t destY, int32_t destWidth, int32_t destHeight, int32_t sourceX,
                    int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight, int32_t mode, int32_t,
                    int32_t opacity, int32_t) {
  if (!Usable32(target) || !Usable32(source)) return kRefused;
  if (mode != 0 && mode != 2) return kRefused;
  const TexelPut put{mode == 0 ? -1 : std::clamp(opacity, 0, 255)};
  if (destWidth <= 0 || destHeight <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return kRefused;
  if (sourceX < 0 || sourceY < 0 || int64_t{sourceX} + sourceWidth > source->width ||
      int64_t{sourceY} + sourceHeight > source->height)
    return kRefused;
  // Only destination pixels inside the target are visited.
  const int64_t i0 = std::max<int64_t>(0, -int64_t{destX});
  const int64_t i1 = std::min<int64_t>(destWidth, int64_t{target->width} - destX);
  const int64_t j0 = std::max<int64_t>(0, -int64_t{destY});
  const int64_t j1 = std::min<int64_t>(destHeight, int64_t{target->height} - destY);
  if (i0 >= i1 || j0 >= j1) {
    ChangedRect() = {};
    return kDone;
  }
  if (destWidth >= sourceWidth && destHeight >= sourceHeight) {
    GrowRows(target, source, destX, destY, destWidth, destHeight, sourceX, sourceY, sourceWidth, sourceHeight, i0,
             i1, j0, j1, put);
  } else {
    AverageRows(target, source, destX, destY, destWidth, destHeight, sourceX, sourceY, sourceWidth, sourceHeight,
                i0, i1, j0, j1, put);
  }
  ChangedRect() = {int32_t(destX + i0), int32_t(destY + j0), int32_t(destX + i1),
                   int32_t(destY + j1)};
  return kDone;
}

int32_t TransformDraw(const PixelOpImage* target, const PixelOpImage* source, double x0,
                      double y0, double x1, double y1, double x2, double y2,
                      const Rect* sourceRect, int32_t mode, int32_t, int32_t opacity, int32_t, int32_t,
                      int32_t, const Rect* clip) {
  if (!Usable32(target) || !Usable32(source)) return kRefused;
  if (mode != 0 && mode != 2) return kRefused;
  const Rect area = sourceRect != nullptr ? *sourceRect : Rect{0, 0, source->width, source->height};
  if (area.IsEmpty()) return kRefused;
  for (double v : {x0, y0, x1, y1, x2, y2})
    if (!std::isfinite(v)) return kRefused;
  ChangedRect() = {};
  const double ax = x1 - x0, ay = y1 - y0;  // along the source rows
  const double bx = x2 - x0, by = y2 - y0;  // down the source columns
  const double det = ax * by - ay * bx;
  if (det == 0.0) return kDone;  // a collapsed picture covers no pixel centre
  const double x3 = x1 + bx, y3 = y1 + by;
  auto span = [](double a, double b, double c, double d, int32_t limit, int32_t* lo, int32_t* hi) {
    const double least = std::min({a, b, c, d}), most = std::max({a, b, c, d});
    *lo = int32_t(std::clamp(std::floor(least), 0.0, double(limit)));
    *hi = int32_t(std::clamp(std::ceil(most), 0.0, double(limit)));
  };
  Rect box;
  span(x0, x1, x2, x3, target->width, &box.left, &box.right);
  span(y0, y1, y2, y3, target->height, &box.top, &box.bottom);
  box = ClipBox(box, clip);
  if (box.IsEmpty()) return kDone;
  // In 64 bits: a source rectangle spanning most of the 32-bit range is
  // refused texel by texel below, not wrapped here.
  const int64_t w = int64_t(area.right) - area.left, h = int64_t(area.bottom) - area.top;
  const int32_t level = std::clamp(opacity, 0, 255);
  for (int32_t py = box.top; py < box.bottom; ++py) {
    uint32_t* out = Row32(target, py);
    for (int32_t px = box.left; px < box.right; ++px) {
      const double cx = px + 0.5 - x0, cy = py + 0.5 - y0;
      const double s = (cx * by - cy * bx) / det;
      const double t = (ax * cy - ay * cx) / det;
      if (!(s >= 0.0 && s < 1.0 && t >= 0.0 && t < 1.0)) continue;
      const int64_t col = area.left + std::min<int64_t>(int64_t(s * double(w)), w - 1);
      const int64_t row = area.top + std::min<int64_t>(int64_t(t * double(h)), h - 1);
      if (col < 0 || col >= source->width || row < 0 || row >= source->height) continue;
      const uint32_t texel = Row32(source, row)[col];
      if (mode == 0) {
        out[px] = texel;
      } else {
        const int32_t k = (level * int32_t(texel >> 24) + 127) / 255;
        out[px] = BlendColour(out[px], texel, k == 0 ? 0 : k + 1);
      }
    }
  }
  ChangedRect() = box;
  return kDone;
}

}  // namespace pixelops
