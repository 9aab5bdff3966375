// The rasteriser's own passes over glyph maps.
#include "text/GlyphFilters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "raster/BlendTables.h"

namespace orrivel {
namespace {

Glyph CoverageGlyph(int32_t width, int32_t height, std::initializer_list<uint8_t> values) {
  Glyph g;
  g.width = width;
  g.height = height;
  g.pitch = CoveragePitch(width);
  g.map = std::make_unique<uint8_t[]>(size_t(g.pitch) * height);
  std::memset(g.map.get(), 0, size_t(g.pitch) * height);
  auto it = values.begin();
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width && it != values.end(); ++x) g.map[size_t(y) * g.pitch + x] = *it++;
  }
  return g;
}

TEST(GlyphFiltersTest, EdgeWeightsForRadiiZeroToFive) {
  const int32_t expected[] = {65536, 6553, 1872, 819, 439, 262};
  for (int32_t r = 0; r <= 5; ++r) EXPECT_EQ(EdgeWeight(r), expected[r]) << "radius " << r;
  EXPECT_EQ(EdgeWeight(-2), 1872) << "the radius counts by its size";
}

TEST(GlyphFiltersTest, EdgeDistanceApproximatesTheLength) {
  const struct {
    int32_t dx, dy, d;
  } cases[] = {{0, 0, 0}, {1, 0, 1}, {0, -2, 2}, {1, 1, 1}, {2, 2, 2}, {3, 4, 5}, {-5, 0, 5}, {40, 0, 39}};
  for (const auto& c : cases) EXPECT_EQ(EdgeDistance(c.dx, c.dy), c.d) << c.dx << "," << c.dy;
}

class StrengthTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }
};

TEST_F(StrengthTest, RadiusZeroScalesCoverageByStrength) {
  const struct {
    int32_t strength;
    uint8_t from, to;
  } cases[] = {{128, 255, 128}, {128, 100, 50}, {255, 200, 200}, {256, 200, 200}, {1024, 77, 77},
               {0, 255, 0},     {-40, 255, 0}};
  for (const auto& c : cases) {
    Glyph g = CoverageGlyph(1, 1, {c.from});
    WeightedOutline(&g, c.strength, 0, EdgeWeight(0));
    EXPECT_EQ(g.map[0], c.to) << "strength " << c.strength;
    EXPECT_EQ(g.width, 1);
    EXPECT_EQ(g.originX, 0);
  }
}

TEST_F(StrengthTest, WeightedOutlineGrowsAndSpreadsACentrePixel) {
  Glyph g = CoverageGlyph(1, 1, {255});
  g.originX = 3;
  g.originY = 4;
  WeightedOutline(&g, 1024, 2, EdgeWeight(2));
  ASSERT_EQ(g.width, 5);
  ASSERT_EQ(g.height, 5);
  EXPECT_EQ(g.pitch, 8);
  EXPECT_EQ(g.originX, 1);
  EXPECT_EQ(g.originY, 2);
  // f = ((r - d + 1) x 1024 x 1872) >> 8; a pixel gets (255 f) >> 16.
  auto at = [&](int x, int y) { return int(g.map[size_t(y) * g.pitch + x]); };
  EXPECT_EQ(at(2, 2), (255 * ((3 * 1024 * 1872) >> 8)) >> 16);
  EXPECT_EQ(at(3, 2), (255 * ((2 * 1024 * 1872) >> 8)) >> 16);
  EXPECT_EQ(at(4, 2), (255 * ((1 * 1024 * 1872) >> 8)) >> 16);
  EXPECT_EQ(at(0, 0), (255 * ((1 * 1024 * 1872) >> 8)) >> 16) << "d(2, 2) is 2: within the radius";
}

TEST(GlyphFiltersTest, TwoLevelDilationSetsEveryPixelWithinTheRadius) {
  Glyph g = CoverageGlyph(1, 1, {255});
  DilateTwoLevel(&g, 1);
  ASSERT_EQ(g.width, 3);
  ASSERT_EQ(g.height, 3);
  EXPECT_EQ(g.originX, -1);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(g.map[size_t(y) * g.pitch + x], 255) << x << "," << y;
  }
}

TEST(GlyphFiltersTest, OversampledReductionCountsBitsPerBlock) {
  // 9 x 9 one-bit map, all set: factor 4 keeps 2 x 2 blocks of 16, factor 8 one of 64.
  for (int32_t factor : {4, 8}) {
    Glyph g;
    g.width = g.height = 9;
    g.pitch = BitPitch(9);
    g.map = std::make_unique<uint8_t[]>(size_t(g.pitch) * 9);
    std::memset(g.map.get(), 0xFF, size_t(g.pitch) * 9);
    ReduceOversampled(&g, factor);
    ASSERT_EQ(g.width, 9 / factor);
    ASSERT_EQ(g.height, 9 / factor);
    EXPECT_EQ(g.pitch, 4);
    for (int y = 0; y < g.height; ++y) {
      for (int x = 0; x < g.width; ++x) EXPECT_EQ(g.map[size_t(y) * g.pitch + x], factor * factor);
    }
  }
  Glyph thin;
  thin.width = 3;
  thin.height = 30;
  thin.pitch = BitPitch(3);
  thin.map = std::make_unique<uint8_t[]>(size_t(thin.pitch) * 30);
  ReduceOversampled(&thin, 4);
  EXPECT_TRUE(thin.IsBlank()) << "narrower than one block";
}

TEST(GlyphFiltersTest, ScalingClampsAt255) {
  Glyph g = CoverageGlyph(3, 1, {16, 8, 0});
  ScaleCoverage(&g, 16);
  EXPECT_EQ(g.map[0], 255);
  EXPECT_EQ(g.map[1], 128);
  EXPECT_EQ(g.map[2], 0);
}

TEST(GlyphFiltersTest, BoldSmearWidensByTheRunningMaximum) {
  EXPECT_EQ(BoldSmearWidth(16), 1);
  EXPECT_EQ(BoldSmearWidth(50), 2);
  EXPECT_EQ(BoldSmearWidth(32 << 3), 6);
  EXPECT_EQ(BoldSmearWidth(2000), 8);
  Glyph g = CoverageGlyph(3, 1, {10, 200, 30});
  g.originX = 5;
  SmearCoverageMap(&g, 2);
  ASSERT_EQ(g.width, 5);
  const uint8_t expected[] = {10, 200, 200, 200, 30};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(g.map[x], expected[x]) << x;
  EXPECT_EQ(g.originX, 4);

  Glyph bits;
  bits.width = 9;
  bits.height = 1;
  bits.pitch = BitPitch(9);
  bits.map = std::make_unique<uint8_t[]>(4);
  bits.map[0] = 0x81;  // pixels 0 and 7
  SmearBitMap(&bits, 2);
  EXPECT_EQ(bits.width, 11);
  EXPECT_EQ(bits.map[0], 0xE1);  // 0, 1, 2, 7
  EXPECT_EQ(bits.map[1], 0xC0);  // 8, 9
  ExpandBitMap(&bits);
  EXPECT_EQ(bits.map[9], 255);
  EXPECT_EQ(bits.map[10], 0);
  EXPECT_EQ(bits.pitch, 12);
}

}  // namespace
}  // namespace orrivel
