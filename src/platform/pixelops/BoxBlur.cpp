// Entry 13: a separable box blur inside a rectangle of a 32-bit image,
// across the rows first, then down the columns. Each window is cut to the
// rectangle, so pixels outside it are neither read nor written; running
// sums keep the cost independent of the radius.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/pixelops/Entries.h"

namespace pixelops {

using orrivel::PixelOpImage;
using orrivel::Rect;

namespace {

uint32_t Load(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// Blurs the count pixels of a row in place with radius r; scratch holds
// count words.
void BlurRow(uint8_t* first, int32_t count, int32_t r, std::vector<uint32_t>& scratch) {
  constexpr int64_t stride = 4;
  for (int32_t i = 0; i < count; ++i) scratch[size_t(i)] = Load(first + i * stride);
  uint32_t sum[4] = {};
  auto add = [&](uint32_t p, int sign) {
    for (int k = 0; k < 4; ++k) sum[k] += uint32_t(sign) * ((p >> (8 * k)) & 0xFF);
  };
  // The window of pixel i is [i - r, i + r] cut to [0, count).
  int32_t lo = 0, hi = 0;  // [lo, hi) is in the sums
  for (int32_t i = 0; i < count; ++i) {
    const int32_t wantLo = std::max(0, i - r);
    const int32_t wantHi = int32_t(std::min<int64_t>(count, int64_t{i} + r + 1));
    while (hi < wantHi) add(scratch[size_t(hi++)], 1);
    while (lo < wantLo) add(scratch[size_t(lo++)], -1);
    const uint32_t n = uint32_t(hi - lo);
    uint32_t word = 0;
    for (int k = 0; k < 4; ++k) word |= ((sum[k] + n / 2) / n) << (8 * k);
    std::memcpy(first + i * stride, &word, 4);
  }
}

// The vertical pass, row by row: a running sum per column and channel, from
// a copy of the rows, so the image is read and written in memory order.
void BlurColumns(const PixelOpImage* target, const Rect& r, int32_t radius) {
  const int32_t width = r.right - r.left, height = r.bottom - r.top;
  auto at = [&](int32_t y) { return target->bits + int64_t{r.top + y} * target->pitch + int64_t{r.left} * 4; };
  std::vector<uint32_t> rows(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y) std::memcpy(&rows[size_t(y) * size_t(width)], at(y), size_t(width) * 4);
  std::vector<uint32_t> sums(size_t(width) * 4, 0);
  auto add = [&](int32_t y, uint32_t sign) {
    const uint32_t* row = &rows[size_t(y) * size_t(width)];
    for (int32_t x = 0; x < width; ++x)
      for (int k = 0; k < 4; ++k) sums[size_t(x) * 4 + size_t(k)] += sign * ((row[x] >> (8 * k)) & 0xFF);
  };
  std::vector<uint32_t> out(static_cast<size_t>(width));
  int32_t lo = 0, hi = 0;
  for (int32_t y = 0; y < height; ++y) {
    const int32_t wantLo = std::max(0, y - radius);
    const int32_t wantHi = int32_t(std::min<int64_t>(height, int64_t{y} + radius + 1));
    while (hi < wantHi) add(hi++, 1);
    while (lo < wantLo) add(lo++, uint32_t(-1));
    const uint32_t n = uint32_t(hi - lo);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t word = 0;
      for (int k = 0; k < 4; ++k) word |= ((sums[size_t(x) * 4 + size_t(k)] + n / 2) / n) << (8 * k);
      out[size_t(x)] = word;
    }
    std::memcpy(at(y), out.data(), size_t(width) * 4);
  }
}

}  // namespace

int32_t BoxBlur(const PixelOpImage* target, int32_t across, int32_t down, int32_t, const Rect* rect) {
  if (!Usable32(target) || across < 0 || down < 0) return 0;
  Rect r{0, 0, target->width, target->height};
  if (rect != nullptr) {
    r = {std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, target->width),
         std::min(rect->bottom, target->height)};
  }
  if (r.IsEmpty()) {
    ChangedRect() = {};
    return 1;
  }
  const int32_t width = r.right - r.left;
  std::vector<uint32_t> scratch(static_cast<size_t>(width));
  if (across > 0)
    for (int32_t y = r.top; y < r.bottom; ++y)
      BlurRow(target->bits + int64_t{y} * target->pitch + int64_t{r.left} * 4, width, across, scratch);
  if (down > 0) BlurColumns(target, r, down);
  ChangedRect() = (across > 0 || down > 0) ? r : Rect{};
  return 1;
}

}  // namespace pixelops
