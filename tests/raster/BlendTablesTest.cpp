#include "raster/BlendTables.h"

#include <gtest/gtest.h>

namespace orrivel {
namespace {

class BlendTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }
};

TEST_F(BlendTablesTest, ProductAndAlphaSpotValues) {
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(ProductTable[255][b], b);
    EXPECT_EQ(ProductTable[b][0], 0);
    EXPECT_EQ(CompositeAlphaTable[255][b], 255);
  }
  EXPECT_EQ(ProductTable[128][255], 128);
  EXPECT_EQ(ProductTable[1][128], 1);
  EXPECT_EQ(ProductTable[1][127], 0);
  EXPECT_EQ(CompositeAlphaTable[0][0], 0);
  EXPECT_EQ(CompositeAlphaTable[128][128], 192);
}

TEST_F(BlendTablesTest, ClampCoversItsWholeRange) {
  EXPECT_EQ(ClampAt(-768), 0);
  EXPECT_EQ(ClampAt(-1), 0);
  EXPECT_EQ(ClampAt(0), 0);
  EXPECT_EQ(ClampAt(200), 200);
  EXPECT_EQ(ClampAt(255), 255);
  EXPECT_EQ(ClampAt(256), 255);
  EXPECT_EQ(ClampAt(1023), 255);
}

TEST_F(BlendTablesTest, OpacityMultipliers) {
  EXPECT_EQ(OpacityMultiplierTable[0].blue, 0);
  EXPECT_EQ(OpacityMultiplierTable[1].red, 2);
  EXPECT_EQ(OpacityMultiplierTable[255].blue, 256);
  EXPECT_EQ(OpacityMultiplierTable[255].green, 256);
  EXPECT_EQ(OpacityMultiplierTable[255].red, 256);
  EXPECT_EQ(OpacityMultiplierTable[255].alpha, 0);
}

TEST_F(BlendTablesTest, CompositeWeightEdgesAndGoldenEntries) {
  for (int r = 0; r < 256; ++r) {
    EXPECT_EQ(CompositeWeightTable[r][255], 255) << r;
    if (r >= 1) {
      EXPECT_EQ(CompositeWeightTable[r][0], 0) << r;
    }
  }
  for (int c = 0; c < 256; ++c) EXPECT_EQ(CompositeWeightTable[0][c], 255);
  // Entries that a single-precision product r * f (instead of the widened
  // double) would land one lower: they pin the precision.
  struct Golden {
    int r, c, value;
  };
  const Golden golden[] = {{17, 85, 225}, {51, 30, 102}, {102, 80, 136}, {23, 255, 255},
                           {1, 1, 127},   {2, 1, 85},    {128, 128, 170}, {128, 64, 102},
                           {200, 100, 115}, {255, 128, 128}, {64, 200, 238}, {10, 250, 254}};
  for (const auto& g : golden) EXPECT_EQ(CompositeWeightTable[g.r][g.c], g.value) << g.r << "," << g.c;
}

TEST_F(BlendTablesTest, ResetZeroesAndRebuildRestores) {
  ResetBlendTables();
  EXPECT_EQ(ProductTable[255][255], 0);
  EXPECT_EQ(ClampAt(300), 0);
  BuildBlendTables();
  EXPECT_EQ(ProductTable[255][255], 255);
}

}  // namespace
}  // namespace orrivel
