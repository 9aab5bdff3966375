#include "platform/font/DeviceContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/PixelLayout.h"

namespace orrivel::platform {
namespace {

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

SurfaceDc MemoryDc(uint8_t* bits, int32_t width, int32_t height, int32_t pitch, uint8_t bitsPerPixel,
                   const uint32_t* palette) {
  SurfaceDc dc;
  dc.bits = bits;
  dc.width = width;
  dc.height = height;
  dc.pitch = pitch;
  dc.format = DescribeSurfaceFormat(bitsPerPixel == 8 ? SurfaceFormat::Indexed8 : SurfaceFormat::X8R8G8B8);
  dc.palette = palette;
  return dc;
}

DeviceContext::~DeviceContext() = default;

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
  const PixelLayout layout(target_.format, target_.palette);
  const uint32_t value = layout.Pack(color);
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint8_t* p = target_.bits + int64_t(y) * target_.pitch + int64_t(r.left) * layout.BytesPerPixel();
    for (int32_t x = r.left; x < r.right; ++x, p += layout.BytesPerPixel()) layout.Store(p, value);
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
  const PixelLayout layout(target_.format, target_.palette);
  const uint32_t value = layout.Pack(textColor_);
  auto put = [&](int32_t px, int32_t py) {
    if (px < 0 || py < 0 || px >= target_.width || py >= target_.height) return;
    layout.Store(target_.bits + int64_t(py) * target_.pitch + int64_t(px) * layout.BytesPerPixel(), value);
  };
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
        if (row[b >> 3] & (0x80 >> (b & 7))) put(left + int32_t(b), top + int32_t(r));
      }
    }
  }
  return true;
}

bool DeviceContext::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, const SurfaceDc& source, int32_t sx,
                           int32_t sy) {
  return DcBitBlt(target_, x, y, width, height, source, sx, sy);
}

}  // namespace orrivel::platform
