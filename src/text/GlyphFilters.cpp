#include "text/GlyphFilters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "raster/BlendTables.h"

namespace orrivel {
namespace {

std::unique_ptr<uint8_t[]> NewMap(int32_t pitch, int32_t height) {
  const size_t bytes = size_t(pitch) * size_t(height);
  auto map = std::make_unique<uint8_t[]>(bytes ? bytes : 1);
  std::memset(map.get(), 0, bytes);
  return map;
}

bool BitAt(const uint8_t* row, int32_t x) { return row[x >> 3] & (0x80 >> (x & 7)); }

// The glyph takes a new map of its new size.
void AdoptMap(Glyph* glyph, std::unique_ptr<uint8_t[]> map, int32_t width, int32_t height, int32_t pitch) {
  glyph->map = std::move(map);
  glyph->width = width;
  glyph->height = height;
  glyph->pitch = pitch;
}

void MakeBlank(Glyph* glyph) {
  glyph->map.reset();
  glyph->width = glyph->height = glyph->pitch = 0;
}

}  // namespace

int32_t EdgeDistance(int32_t dx, int32_t dy) {
  const int32_t a = std::abs(dx), b = std::abs(dy);
  const int32_t mn = std::min(a, b), mx = std::max(a, b);
  const int32_t t = mn + (mn >> 1);
  return (t >> 2) + mx + (t >> 6) - (mx >> 7) - (mx >> 5);
}

int32_t EdgeWeight(int32_t radius) {
  const int32_t r = std::abs(radius);
  int64_t sum = 0;
  for (int32_t dy = -r; dy <= r; ++dy) {
    for (int32_t dx = -r; dx <= r; ++dx) {
      const int32_t d = EdgeDistance(dx, dy);
      if (d <= r) sum += r - d + 1;
    }
  }
  return sum == 0 ? 65536 : int32_t(65536 / sum);
}

int32_t BoldSmearWidth(int32_t pixelHeight) { return std::min(std::abs(pixelHeight) / 50 + 1, 8); }

namespace {

// Widens the map by n pixels to the right, each new row made from the old
// one by smearRow(source, destination, new width); the origin moves left by
// n / 2 so the glyph stays centred on its stem.
template <typename SmearRow>
void Smear(Glyph* glyph, int32_t n, int32_t (*pitchOf)(int32_t), SmearRow smearRow) {
  if (glyph->IsBlank() || n <= 0) return;
  const int32_t width = glyph->width + n;
  const int32_t pitch = pitchOf(width);
  auto map = NewMap(pitch, glyph->height);
  for (int32_t y = 0; y < glyph->height; ++y) smearRow(glyph->Row(y), map.get() + int64_t(y) * pitch, width);
  AdoptMap(glyph, std::move(map), width, glyph->height, pitch);
  glyph->originX -= n / 2;
}

int32_t BitPitchOf(int32_t width) { return BitPitch(width); }
int32_t CoveragePitchOf(int32_t width) { return CoveragePitch(width); }

}  // namespace

void SmearBitMap(Glyph* glyph, int32_t n) {
  const int32_t sourceWidth = glyph->width;
  Smear(glyph, n, BitPitchOf, [&](const uint8_t* src, uint8_t* dst, int32_t) {
    for (int32_t x = 0; x < sourceWidth; ++x) {
      if (!BitAt(src, x)) continue;
      for (int32_t s = 0; s <= n; ++s) dst[(x + s) >> 3] |= uint8_t(0x80 >> ((x + s) & 7));
    }
  });
}

void SmearCoverageMap(Glyph* glyph, int32_t n) {
  const int32_t sourceWidth = glyph->width;
  Smear(glyph, n, CoveragePitchOf, [&](const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t m = 0;
      for (int32_t s = std::max(0, x - n); s <= std::min(x, sourceWidth - 1); ++s) m = std::max(m, src[s]);
      dst[x] = m;
    }
  });
}

void ExpandBitMap(Glyph* glyph) {
  if (glyph->IsBlank()) return;
  const int32_t pitch = CoveragePitch(glyph->width);
  auto map = NewMap(pitch, glyph->height);
  for (int32_t y = 0; y < glyph->height; ++y) {
    const uint8_t* src = glyph->Row(y);
    uint8_t* dst = map.get() + int64_t(y) * pitch;
    for (int32_t x = 0; x < glyph->width; ++x) dst[x] = BitAt(src, x) ? 255 : 0;
  }
  AdoptMap(glyph, std::move(map), glyph->width, glyph->height, pitch);
}

void ReduceOversampled(Glyph* glyph, int32_t factor) {
  if (glyph->IsBlank() || factor <= 1) return;
  const int32_t width = glyph->width / factor, height = glyph->height / factor;
  if (width == 0 || height == 0) return MakeBlank(glyph);
  const int32_t pitch = CoveragePitch(width);
  auto map = NewMap(pitch, height);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* dst = map.get() + int64_t(y) * pitch;
    for (int32_t by = 0; by < factor; ++by) {
      const uint8_t* src = glyph->Row(y * factor + by);
      for (int32_t x = 0; x < width; ++x) {
        for (int32_t bx = 0; bx < factor; ++bx) dst[x] += BitAt(src, x * factor + bx) ? 1 : 0;
      }
    }
  }
  AdoptMap(glyph, std::move(map), width, height, pitch);
}

void ScaleCoverage(Glyph* glyph, int32_t multiplier) {
  if (glyph->IsBlank()) return;
  for (int32_t y = 0; y < glyph->height; ++y) {
    uint8_t* row = glyph->map.get() + int64_t(y) * glyph->pitch;
    for (int32_t x = 0; x < glyph->width; ++x) row[x] = uint8_t(std::min(255, row[x] * multiplier));
  }
}

void DilateTwoLevel(Glyph* glyph, int32_t radius) {
  const int32_t r = std::abs(radius);
  if (glyph->IsBlank() || r == 0) return;
  const int32_t width = glyph->width + 2 * r, height = glyph->height + 2 * r;
  const int32_t pitch = CoveragePitch(width);
  auto map = NewMap(pitch, height);
  for (int32_t dy = -r; dy <= r; ++dy) {
    for (int32_t dx = -r; dx <= r; ++dx) {
      if (EdgeDistance(dx, dy) > r) continue;
      for (int32_t y = 0; y < glyph->height; ++y) {
        const uint8_t* src = glyph->Row(y);
        uint8_t* dst = map.get() + int64_t(y + r + dy) * pitch + r + dx;
        for (int32_t x = 0; x < glyph->width; ++x) {
          if (src[x]) dst[x] = 255;
        }
      }
    }
  }
  AdoptMap(glyph, std::move(map), width, height, pitch);
  glyph->originX -= r;
  glyph->originY -= r;
}

void WeightedOutline(Glyph* glyph, int32_t strength, int32_t radius, int32_t weight) {
  const int32_t r = std::abs(radius);
  if (glyph->IsBlank()) return;
  if (r == 0) {
    if (strength >= 255) return;
    // Glyphs are cached: an outline made through unbuilt tables would stay.
    EnsureBlendTables();
    const uint8_t* product = ProductTable[std::max(0, strength)];
    for (int32_t y = 0; y < glyph->height; ++y) {
      uint8_t* row = glyph->map.get() + int64_t(y) * glyph->pitch;
      for (int32_t x = 0; x < glyph->width; ++x) row[x] = product[row[x]];
    }
    return;
  }
  const int64_t sw = int64_t(std::max(0, strength)) * std::max(0, weight);
  const int32_t width = glyph->width + 2 * r, height = glyph->height + 2 * r;
  const int32_t pitch = CoveragePitch(width);
  auto map = NewMap(pitch, height);
  for (int32_t dy = -r; dy <= r; ++dy) {
    for (int32_t dx = -r; dx <= r; ++dx) {
      const int32_t d = EdgeDistance(dx, dy);
      if (d > r) continue;
      const int64_t f = ((r - d + 1) * sw) >> 8;
      for (int32_t y = 0; y < glyph->height; ++y) {
        const uint8_t* src = glyph->Row(y);
        uint8_t* dst = map.get() + int64_t(y + r + dy) * pitch + r + dx;
        for (int32_t x = 0; x < glyph->width; ++x) {
          if (src[x]) dst[x] = uint8_t(std::min<int64_t>(255, dst[x] + ((src[x] * f) >> 16)));
        }
      }
    }
  }
  AdoptMap(glyph, std::move(map), width, height, pitch);
  glyph->originX -= r;
  glyph->originY -= r;
}

}  // namespace orrivel
