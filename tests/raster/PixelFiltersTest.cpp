#include "raster/PixelFilters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/KernelTestRows.h"

namespace orrivel {
namespace {

using test::Block;

uint32_t Ch(uint32_t v, int i) { return (v >> (8 * i)) & 0xFF; }
uint32_t Product(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }

class PixelFiltersTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }

  Block<uint32_t> RandomBlock(int w, int h, uint32_t seed, std::optional<uint32_t> key = {}) {
    Block<uint32_t> b(w, h);
    std::mt19937 rng(seed);
    test::FillRandom(b, rng, key);
    return b;
  }
};

// Per-pixel references written channel by channel from the documented rules.
using PixelRef = std::function<uint32_t(uint32_t)>;

PixelRef RefPerChannel(std::function<uint32_t(int channel, uint32_t c)> f) {
  return [f](uint32_t p) {
    uint32_t out = p & 0xFF000000u;
    for (int i = 0; i < 3; ++i) out |= (f(i, Ch(p, i)) & 0xFF) << (8 * i);
    return out;
  };
}

void ExpectMatches(const Block<uint32_t>& before, const Block<uint32_t>& after, const PixelRef& ref,
                   std::optional<uint32_t> key = {}) {
  for (int y = 0; y < before.height; ++y)
    for (int x = 0; x < before.width; ++x) {
      const uint32_t p = before.At(x, y);
      const uint32_t want = key && p == *key ? p : ref(p);
      ASSERT_EQ(after.At(x, y), want) << "at " << x << "," << y << " from " << std::hex << p;
    }
  // Row padding is never touched.
  for (int y = 0; y < before.height; ++y)
    for (int x = before.width; x < before.pitch; ++x) ASSERT_EQ(after.At(x, y), before.At(x, y));
}

// Every colour filter, its keyed twin and its packed twin against the
// reference on random pixels, over widths that exercise the packed tails.
TEST_F(PixelFiltersTest, ColourFiltersMatchReferenceInEveryForm) {
  const uint32_t key = 0x00123456u;
  const uint32_t colour = 0x0080FF01u;
  struct Case {
    const char* name;
    PixelRef ref;
    std::function<void(Block<uint32_t>&)> plain, keyed, packed, packedKeyed;
  };
  auto skip = [](Block<uint32_t>& b) { return b.SkipBytes(); };
  const PixelRef addRef = RefPerChannel([&](int i, uint32_t c) { return std::min(255u, c + Ch(colour, i)); });
  const PixelRef subRef = RefPerChannel([&](int i, uint32_t c) { return c > Ch(colour, i) ? c - Ch(colour, i) : 0; });
  const PixelRef greyRef = [](uint32_t p) {
    const uint32_t g = (77 * Ch(p, 2) + 150 * Ch(p, 1) + 29 * Ch(p, 0)) >> 8;
    return (p & 0xFF000000u) | g * 0x010101u;
  };
  const int scale[3] = {200, 128, 37}, offset[3] = {-40, 12, 255};  // blue, green, red
  const PixelRef toneRef = RefPerChannel([&](int i, uint32_t c) {
    return uint32_t(std::clamp(int((c * scale[i]) >> 7) + offset[i], 0, 255));
  });
  const PixelRef brightRef = RefPerChannel([](int, uint32_t c) { return Product(100, c); });
  const PixelRef tintRef = RefPerChannel([&](int i, uint32_t c) {
    return Product(255 - 60, c) + Product(60, Ch(colour, i));
  });
  std::vector<Case> cases = {
      {"add", addRef,
       [&](auto& b) { AddColorSat32(b.pixels.data(), skip(b), b.width, b.height, colour); },
       [&](auto& b) { AddColorSatKeyed32(b.pixels.data(), skip(b), b.width, b.height, colour, key); },
       [&](auto& b) { AddColorSat32Mmx(b.pixels.data(), skip(b), b.width, b.height, colour); },
       [&](auto& b) { AddColorSatKeyed32Mmx(b.pixels.data(), skip(b), b.width, b.height, colour, key); }},
      {"sub", subRef,
       [&](auto& b) { SubColorSat32(b.pixels.data(), skip(b), b.width, b.height, colour); },
       [&](auto& b) { SubColorSatKeyed32(b.pixels.data(), skip(b), b.width, b.height, colour, key); },
       [&](auto& b) { SubColorSat32Mmx(b.pixels.data(), skip(b), b.width, b.height, colour); },
       [&](auto& b) { SubColorSatKeyed32Mmx(b.pixels.data(), skip(b), b.width, b.height, colour, key); }},
      {"grey", greyRef, [&](auto& b) { Grayscale32(b.pixels.data(), skip(b), b.width, b.height); },
       [&](auto& b) { GrayscaleKeyed32(b.pixels.data(), skip(b), b.width, b.height, key); },
       [&](auto& b) { Grayscale32Mmx(b.pixels.data(), skip(b), b.width, b.height); }, nullptr},
      {"tone", toneRef,
       [&](auto& b) { ColorBalance32(b.pixels.data(), skip(b), b.width, b.height, 37, 128, 200, 255, 12, -40); },
       [&](auto& b) { ColorBalanceKeyed32(b.pixels.data(), skip(b), b.width, b.height, 37, 128, 200, 255, 12, -40, key); },
       [&](auto& b) { ColorBalance32Mmx(b.pixels.data(), skip(b), b.width, b.height, 37, 128, 200, 255, 12, -40); },
       nullptr},
      {"invert", [](uint32_t p) { return p ^ 0x00FFFFFFu; },
       [&](auto& b) { Invert32(b.pixels.data(), skip(b), b.width, b.height, 0); },
       [&](auto& b) { InvertKeyed32(b.pixels.data(), skip(b), b.width, b.height, 0, key); },
       [&](auto& b) { Invert32Mmx(b.pixels.data(), skip(b), b.width, b.height, 0); }, nullptr},
      {"brightness", brightRef,
       [&](auto& b) { ScaleBrightness32(b.pixels.data(), b.PitchBytes(), b.width, b.height, 100); },
       nullptr, nullptr, nullptr},
      {"tint", tintRef,
       [&](auto& b) { BlendToColor32(b.pixels.data(), b.PitchBytes(), b.width, b.height, 60, 0x80, 0xFF, 0x01); },
       [&](auto& b) { BlendToColorKeyed32(b.pixels.data(), b.PitchBytes(), b.width, b.height, 60, 0x80, 0xFF, 0x01, key); },
       nullptr, nullptr},
  };
  const int widths[] = {1, 3, 4, 7, 9, 33};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int w : widths) {
      SCOPED_TRACE(w);
      const auto before = RandomBlock(w, 3, uint32_t(w) * 7 + 1, key);
      auto run = [&](const std::function<void(Block<uint32_t>&)>& f, bool keyed) {
        if (!f) return;
        auto b = before;
        f(b);
        ExpectMatches(before, b, c.ref, keyed ? std::optional<uint32_t>(key) : std::nullopt);
      };
      run(c.plain, false);
      run(c.keyed, true);
      run(c.packed, false);
      run(c.packedKeyed, true);
    }
  }
}

TEST_F(PixelFiltersTest, ColourFilterEdgeCases) {
  auto one = [](uint32_t p, const std::function<void(uint32_t*)>& f) {
    f(&p);
    return p;
  };
  const uint32_t p = 0x80102030u;
  // A zero colour changes nothing; white saturates the colour only.
  EXPECT_EQ(one(p, [](uint32_t* q) { AddColorSat32(q, 0, 1, 1, 0); }), p);
  EXPECT_EQ(one(p, [](uint32_t* q) { SubColorSat32(q, 0, 1, 1, 0); }), p);
  EXPECT_EQ(one(p, [](uint32_t* q) { AddColorSat32(q, 0, 1, 1, 0x00FFFFFF); }), 0x80FFFFFFu);
  EXPECT_EQ(one(p, [](uint32_t* q) { SubColorSat32Mmx(q, 0, 1, 1, 0x00FFFFFF); }), 0x80000000u);
  // Tone: identity, full scale with full offset, full negative offset.
  EXPECT_EQ(one(p, [](uint32_t* q) { ColorBalance32(q, 0, 1, 1, 128, 128, 128, 0, 0, 0); }), p);
  EXPECT_EQ(one(p, [](uint32_t* q) { ColorBalance32(q, 0, 1, 1, 256, 256, 256, 255, 255, 255); }),
            0x80FFFFFFu);
  EXPECT_EQ(one(0x80FFFFFFu, [](uint32_t* q) { ColorBalance32Mmx(q, 0, 1, 1, 128, 128, 128, -255, -255, -255); }),
            0x80000000u);
  // Negate: mode 0 twice restores; 1 inverts alpha too; others alpha only.
  EXPECT_EQ(one(p, [](uint32_t* q) { Invert32(q, 0, 1, 1, 0); Invert32(q, 0, 1, 1, 0); }), p);
  EXPECT_EQ(one(p, [](uint32_t* q) { Invert32(q, 0, 1, 1, 1); }), ~p);
  EXPECT_EQ(one(p, [](uint32_t* q) { Invert32Mmx(q, 0, 1, 1, 7); }), p ^ 0xFF000000u);
  // Grey weights.
  EXPECT_EQ(one(0x00FF0000u, [](uint32_t* q) { Grayscale32(q, 0, 1, 1); }), 76u * 0x010101u);
  EXPECT_EQ(one(0x000000FFu, [](uint32_t* q) { Grayscale32(q, 0, 1, 1); }), 28u * 0x010101u);
  EXPECT_EQ(one(0x00FFFFFFu, [](uint32_t* q) { Grayscale32Mmx(q, 0, 1, 1); }), 0x00FFFFFFu);
  // A pixel that differs from the key only in alpha is not a key pixel.
  uint32_t row[2] = {0x00102030u, 0xFF102030u};
  InvertKeyed32(row, 0, 2, 1, 0, 0x00102030u);
  EXPECT_EQ(row[0], 0x00102030u);
  EXPECT_EQ(row[1], 0xFFEFDFCFu);
}

// Reference blur straight from the weights, from an untouched copy.
uint32_t RefBlurPixel(const Block<uint32_t>& b, int x, int y, int mode) {
  const int w = b.width, h = b.height;
  std::vector<std::pair<uint32_t, int>> terms;
  const bool l = x > 0, r = x + 1 < w, u = y > 0, d = y + 1 < h;
  int total;
  if (l && r && u && d) {
    terms = {{b.At(x, y - 1), 1}, {b.At(x, y + 1), 1}, {b.At(x - 1, y), 2}, {b.At(x, y), 2}, {b.At(x + 1, y), 2}};
    total = 8;
  } else if (l && r) {
    terms = {{b.At(x - 1, y), 1}, {b.At(x, y), 1}, {b.At(x + 1, y), 1}, {b.At(x, u ? y - 1 : y + 1), 1}};
    total = 4;
  } else if (u && d) {
    terms = {{b.At(x, y - 1), 1}, {b.At(x, y), 1}, {b.At(x, y + 1), 1}, {b.At(l ? x - 1 : x + 1, y), 1}};
    total = 4;
  } else {
    terms = {{b.At(x, y), 2}, {b.At(l ? x - 1 : x + 1, y), 1}, {b.At(x, u ? y - 1 : y + 1), 1}};
    total = 4;
  }
  uint32_t out = 0;
  for (int i = 0; i < 3; ++i) {
    uint32_t sum = 0;
    for (auto [p, wt] : terms) sum += (mode >= 2 ? Ch(p, i) : Ch(p, i) & 0xF8) * uint32_t(wt);
    uint32_t c = sum / uint32_t(total);
    if (mode == 1) c += 7;
    out |= c << (8 * i);
  }
  return out;
}

TEST_F(PixelFiltersTest, BlurMatchesWeightsInEveryMode) {
  for (int mode : {0, 1, 2, 9}) {
    for (auto [w, h] : {std::pair{4, 4}, {7, 5}, {16, 9}}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " " << w << "x" << h);
      const auto before = RandomBlock(w, h, uint32_t(mode * 100 + w));
      auto b = before;
      ASSERT_EQ(Blur4Neighbour32(b.pixels.data(), b.SkipBytes(), b.PitchBytes(), w, h, uint8_t(mode)), 0);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(b.At(x, y), RefBlurPixel(before, x, y, mode)) << x << "," << y;
    }
  }
}

TEST_F(PixelFiltersTest, BlurRefusalsAndUniformImages) {
  Block<uint32_t> b(6, 6, 2);
  std::fill(b.pixels.begin(), b.pixels.end(), 0x80C3A5FFu);
  const auto before = b.pixels;
  // Too narrow, too low, or skip/pitch not a multiple of 4: 1 and unchanged.
  EXPECT_EQ(Blur4Neighbour32(b.pixels.data(), b.SkipBytes() + 12, b.PitchBytes(), 3, 6, 2), 1);
  EXPECT_EQ(Blur4Neighbour32(b.pixels.data(), b.SkipBytes(), b.PitchBytes(), 6, 3, 2), 1);
  EXPECT_EQ(Blur4Neighbour32(b.pixels.data(), b.SkipBytes() + 2, b.PitchBytes(), 6, 6, 2), 1);
  EXPECT_EQ(Blur4Neighbour32(b.pixels.data(), b.SkipBytes(), b.PitchBytes() + 2, 6, 6, 2), 1);
  EXPECT_EQ(b.pixels, before);
  const struct {
    uint8_t mode;
    uint32_t want;
  } uniform[] = {{2, 0x00C3A5FFu}, {0, 0x00C0A0F8u}, {1, 0x00C7A7FFu}};
  for (auto u : uniform) {
    auto c = b;
    ASSERT_EQ(Blur4Neighbour32(c.pixels.data(), c.SkipBytes(), c.PitchBytes(), 6, 6, u.mode), 0);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) ASSERT_EQ(c.At(x, y), u.want) << int(u.mode);
  }
}

// Widths of the column blocks of one mosaic row: a run of equal values
// starts wherever the value changes (each source pixel is distinct).
std::vector<int> BlockWidths(const Block<uint32_t>& b, int y) {
  std::vector<int> widths;
  for (int x = 0; x < b.width; ++x) {
    if (x == 0 || b.At(x, y) != b.At(x - 1, y))
      widths.push_back(1);
    else
      ++widths.back();
  }
  return widths;
}

Block<uint32_t> Numbered(int w, int h) {
  Block<uint32_t> b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.At(x, y) = uint32_t(y * 1000 + x);
  return b;
}

TEST_F(PixelFiltersTest, MosaicAnchorsPlaceTheGrid) {
  const struct {
    uint8_t anchor;
    std::vector<int> columns;
    std::vector<int> rows;  // heights of the bands down column 0
  } cases[] = {
      {1, {4, 4, 2}, {4, 3}},
      {2, {2, 4, 4}, {4, 3}},
      {3, {4, 4, 2}, {3, 4}},
      {4, {2, 4, 4}, {3, 4}},
      {0, {3, 4, 3}, {1, 4, 2}},
      {200, {3, 4, 3}, {1, 4, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.anchor));
    auto b = Numbered(10, 7);
    Mosaic32(b.pixels.data(), b.SkipBytes(), b.PitchBytes(), 10, 7, 4, c.anchor);
    EXPECT_EQ(BlockWidths(b, 0), c.columns);
    std::vector<int> rows;
    for (int y = 0; y < 7; ++y) {
      if (y == 0 || b.At(0, y) != b.At(0, y - 1))
        rows.push_back(1);
      else
        ++rows.back();
    }
    EXPECT_EQ(rows, c.rows);
    // Every block takes the pixel at its band's top row and block start.
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 10; ++x) {
        const uint32_t v = b.At(x, y);
        const int sy = int(v / 1000), sx = int(v % 1000);
        ASSERT_LE(sy, y);
        ASSERT_LE(sx, x);
        ASSERT_GT(sx + 4, x);
        ASSERT_GT(sy + 4, y);
      }
  }
  // Block 1 and a 2-row rectangle do nothing.
  for (auto [w, h, block] : {std::tuple{10, 7, 1}, {10, 2, 4}, {2, 7, 4}}) {
    auto b = Numbered(w, h);
    const auto before = b.pixels;
    Mosaic32(b.pixels.data(), b.SkipBytes(), b.PitchBytes(), w, h, block, 1);
    EXPECT_EQ(b.pixels, before);
  }
}

uint32_t RefBoxBlur(const std::vector<uint32_t>& row, int first, int x, int radius) {
  uint32_t out = 0;
  const uint32_t weight = 65536 / uint32_t(2 * radius + 1);
  for (int i = 0; i < 4; ++i) {
    uint32_t sum = 0;
    for (int k = -radius; k <= radius; ++k) {
      const int at = std::clamp(first + x + k, 0, int(row.size()) - 1);
      sum += Ch(row[size_t(at)], i);
    }
    out |= uint32_t((uint64_t(sum) * weight + 32768) >> 16) << (8 * i);
  }
  return out;
}

TEST_F(PixelFiltersTest, BoxBlurDrawsMatchTheWindowMean) {
  std::mt19937 rng(5);
  std::vector<uint32_t> row(23);
  for (auto& p : row) p = rng();
  const int first = 3;  // three source pixels left of the first one
  const int width = 18;
  const int leftCount = first, rightCount = int(row.size()) - 1 - first;
  for (int radius : {0, 1, 2, 7, 127, 300}) {
    SCOPED_TRACE(radius);
    const int r = std::min(radius, 127);
    std::vector<uint32_t> dst(size_t(width), 0x11223344u);
    BoxBlurDraw32(dst.data(), row.data() + first, 0, 0, width, 1, leftCount, rightCount, radius);
    for (int x = 0; x < width; ++x) ASSERT_EQ(dst[size_t(x)], RefBoxBlur(row, first, x, r)) << x;
    if (radius == 0) {
      EXPECT_TRUE(std::equal(dst.begin(), dst.end(), row.begin() + first));
    }
    // The blending twins: colour toward the blurred pixel, alpha kept.
    const uint8_t opacity = 100;
    const uint32_t m = opacity + 1;
    std::vector<uint32_t> base(static_cast<size_t>(width));
    for (auto& p : base) p = rng();
    auto alt = base, alpha = base;
    BoxBlurDraw32Alt(alt.data(), row.data() + first, 0, 0, width, 1, leftCount, rightCount, radius, opacity);
    BoxBlurAlphaDraw32(alpha.data(), row.data() + first, 0, 0, width, 1, leftCount, rightCount, radius,
                       ProductTable[opacity]);
    for (int x = 0; x < width; ++x) {
      const uint32_t blurred = RefBoxBlur(row, first, x, r);
      auto blend = [&](uint32_t d, uint32_t mult) {
        uint32_t out = d & 0xFF000000u;
        for (int i = 0; i < 3; ++i) {
          const int dc = int(Ch(d, i));
          out |= uint32_t(dc + (((int(Ch(blurred, i)) - dc) * int(mult)) >> 8)) << (8 * i);
        }
        return out;
      };
      const uint32_t level = Product(opacity, blurred >> 24);
      ASSERT_EQ(alt[size_t(x)], blend(base[size_t(x)], m));
      ASSERT_EQ(alpha[size_t(x)], blend(base[size_t(x)], level == 0 ? 0 : level + 1));
    }
  }
}

}  // namespace
}  // namespace orrivel
