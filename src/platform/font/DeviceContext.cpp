#include "platform/font/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace orrivel::platform {
namespace {

int32_t Channel(uint32_t color, int shift) { return int32_t((color >> shift) & 0xFF); }

// The turn of the line: a step along the text goes to (c, -s) on screen and
// a step down the cell to (s, c), anticlockwise as the escapement counts.
void TurnOf(int32_t tenths, double* c, double* s) {
  int32_t t = tenths % 3600;
  if (t < 0) t += 3600;
  if (t % 900 == 0) {  // exact at the right angles
    static constexpr int kCos[4] = {1, 0, -1, 0};
    static constexpr int kSin[4] = {0, 1, 0, -1};
    *c = kCos[t / 900];
    *s = kSin[t / 900];
    return;
  }
  const double radians = t * 3.14159265358979323846 / 1800.0;
  *c = std::cos(radians);
  *s = std::sin(radians);
}

int32_t Round(double v) { return int32_t(std::lround(v)); }

}  // namespace

uint8_t NearestPaletteIndex(const uint32_t* palette, uint32_t color) {
  if (!palette) {
    return uint8_t((Channel(color, 16) * 299 + Channel(color, 8) * 587 + Channel(color, 0) * 114 + 500) / 1000);
  }
  int best = 0;
  int64_t bestDistance = INT64_MAX;
  for (int i = 0; i < 256; ++i) {
    int64_t d = 0;
    for (int shift : {16, 8, 0}) {
      const int64_t delta = Channel(palette[i], shift) - Channel(color, shift);
      d += delta * delta;
    }
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return uint8_t(best);
}

DeviceContext::~DeviceContext() = default;

uint32_t DeviceContext::PixelValue(uint32_t color) const {
  return target_.bitsPerPixel == 8 ? NearestPaletteIndex(target_.palette, color) : (color & 0xFFFFFF);
}

void DeviceContext::PutPixel(int32_t x, int32_t y, uint32_t value) {
  if (x < 0 || y < 0 || x >= target_.width || y >= target_.height) return;
  uint8_t* row = target_.bits + int64_t(y) * target_.pitch;
  if (target_.bitsPerPixel == 8) row[x] = uint8_t(value);
  else reinterpret_cast<uint32_t*>(row)[x] = value;
}

TextExtent DeviceContext::GetTextExtent(const uint16_t* codes, size_t count) const {
  TextExtent extent;
  if (!face_) return extent;
  extent.height = face_->Metrics().height;
  for (size_t i = 0; i < count; ++i) extent.width += face_->Advance(codes[i]);
  return extent;
}

bool DeviceContext::FillRect(const Rect& rect, uint32_t color) {
  if (!target_.bits) return false;
  const Rect r{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, target_.width),
               std::min(rect.bottom, target_.height)};
  if (r.IsEmpty()) return false;
  const uint32_t value = PixelValue(color);
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint8_t* row = target_.bits + int64_t(y) * target_.pitch;
    if (target_.bitsPerPixel == 8) {
      std::memset(row + r.left, int(value), size_t(r.Width()));
    } else {
      std::fill(reinterpret_cast<uint32_t*>(row) + r.left, reinterpret_cast<uint32_t*>(row) + r.right, value);
    }
  }
  return true;
}

bool DeviceContext::TextOut(int32_t x, int32_t y, const uint16_t* codes, size_t count) {
  if (!face_ || !target_.bits) return false;
  double c = 1, s = 0;
  TurnOf(face_->Escapement(), &c, &s);
  if (opaque_) {
    // The turned cell box of the whole line, filled square to the screen.
    const TextExtent extent = GetTextExtent(codes, count);
    const double xs[4] = {0, c * extent.width, s * extent.height, c * extent.width + s * extent.height};
    const double ys[4] = {0, -s * extent.width, c * extent.height, c * extent.height - s * extent.width};
    FillRect(Rect{x + Round(*std::min_element(xs, xs + 4)), y + Round(*std::min_element(ys, ys + 4)),
                  x + Round(*std::max_element(xs, xs + 4)), y + Round(*std::max_element(ys, ys + 4))},
             backgroundColor_);
  }
  const int32_t ascent = face_->Metrics().ascent;
  const uint32_t value = PixelValue(textColor_);
  std::vector<uint8_t> bits;
  double along = 0;  // pixels along the line so far
  for (size_t i = 0; i < count; ++i) {
    const double baseX = x + s * ascent + c * along, baseY = y + c * ascent - s * along;
    along += face_->Advance(codes[i]);
    GlyphMetrics m;
    const uint32_t size = face_->GetGlyph(codes[i], GlyphFormat::kBitmap, 1, &m, nullptr, 0);
    if (size == kGlyphError || size == 0) continue;
    bits.resize(size);
    if (face_->GetGlyph(codes[i], GlyphFormat::kBitmap, 1, &m, bits.data(), size) != size) continue;
    const int32_t left = Round(baseX) + m.originX, top = Round(baseY) - m.originY;
    const uint32_t pitch = size / m.blackBoxY;
    for (uint32_t r = 0; r < m.blackBoxY; ++r) {
      const uint8_t* row = bits.data() + size_t(r) * pitch;
      for (uint32_t b = 0; b < m.blackBoxX; ++b) {
        if (row[b >> 3] & (0x80 >> (b & 7))) PutPixel(left + int32_t(b), top + int32_t(r), value);
      }
    }
  }
  return true;
}

bool DeviceContext::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, const PixelTarget& source,
                           int32_t sx, int32_t sy) {
  if (!target_.bits || !source.bits) return false;
  if (source.bitsPerPixel == 32 && target_.bitsPerPixel == 8) return false;
  // Cut against the source, then the destination, moving both corners.
  auto cut = [&](int32_t& a, int32_t& b, int32_t& extent, int32_t limitA, int32_t limitB) {
    const int32_t lead = std::max({0, -a, -b});
    a += lead;
    b += lead;
    extent -= lead;
    extent = std::min({extent, limitA - a, limitB - b});
  };
  cut(x, sx, width, target_.width, source.width);
  cut(y, sy, height, target_.height, source.height);
  if (width <= 0 || height <= 0) return false;
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* from = source.bits + int64_t(sy + r) * source.pitch;
    uint8_t* to = target_.bits + int64_t(y + r) * target_.pitch;
    if (source.bitsPerPixel == target_.bitsPerPixel) {
      const int bytes = target_.bitsPerPixel / 8;
      std::memmove(to + int64_t(x) * bytes, from + int64_t(sx) * bytes, size_t(width) * size_t(bytes));
      continue;
    }
    uint32_t* out = reinterpret_cast<uint32_t*>(to) + x;
    for (int32_t i = 0; i < width; ++i) {
      const uint8_t index = from[sx + i];
      out[i] = source.palette ? (source.palette[index] & 0xFFFFFF) : (uint32_t(index) * 0x010101u);
    }
  }
  return true;
}

}  // namespace orrivel::platform
