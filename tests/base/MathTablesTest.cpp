#include "base/MathTables.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace orrivel {
namespace {

TEST(MathTables, FixedEntries) {
  MathTables tables;
  const std::pair<int32_t, int32_t> cosines[] = {
      {0, 65536}, {64, 46340}, {448, 46340}, {192, -46340}, {320, -46340},
      {128, 0},   {256, -65536}, {384, 0},   {-64, 46340},  {512 + 64, 46340},
  };
  for (const auto& [angle, value] : cosines) EXPECT_EQ(tables.Cos(angle), value) << angle;
  EXPECT_EQ(tables.Sin(128), 65536);
  EXPECT_EQ(tables.Sin(0), 0);
  EXPECT_EQ(tables.Sin(-128), -65536);
  EXPECT_EQ(tables.Atan(0), 0);
  EXPECT_EQ(tables.Atan(128), 4836);
  EXPECT_EQ(tables.Atan(255), 8171);

  EXPECT_EQ(tables.DoubleCosTable(), nullptr);
  ASSERT_TRUE(tables.GetSinCosTable());
  const double* table = tables.DoubleCosTable();
  ASSERT_NE(table, nullptr);
  EXPECT_TRUE(tables.GetSinCosTable());
  EXPECT_EQ(tables.DoubleCosTable(), table);  // built once
  for (int k = 0; k < 512; ++k) ASSERT_EQ(int32_t(table[k] * 65536.0), tables.Cos(k)) << k;
}

class RotationTest : public testing::Test {
 protected:
  void SetUp() override { previous_ = SetMathTables(&tables_); }
  void TearDown() override { SetMathTables(previous_); }

  MathTables tables_;
  MathTables* previous_ = nullptr;
};

struct Placement {
  double quad[8];
  int32_t width = -1, height = -1, x = -1, y = -1;
};

Placement Place(int32_t baseX, int32_t baseY, int32_t angle, double scale, int32_t width, int32_t height,
                int32_t pivotX, int32_t pivotY) {
  Placement p;
  EXPECT_TRUE(BuildRotationTransform(p.quad, baseX, baseY, angle, scale, width, height, pivotX, pivotY, &p.width,
                                     &p.height, &p.x, &p.y));
  return p;
}

TEST_F(RotationTest, UnrotatedRectangleSitsAtTheBase) {
  const Placement p = Place(10, 20, 0, 1.0, 30, 40, 15, 20);
  EXPECT_EQ(p.width, 30);
  EXPECT_EQ(p.height, 40);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 20);
  // Relative to the position, shifted by half a pixel.
  const double expected[8] = {-0.5, -0.5, 29.5, -0.5, -0.5, 39.5, 29.5, 39.5};
  for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(p.quad[i], expected[i]) << i;

  // Without the out position the quad is absolute.
  double absolute[8];
  ASSERT_TRUE(BuildRotationTransform(absolute, 10, 20, 0, 1.0, 30, 40, 15, 20, nullptr, nullptr, nullptr, nullptr));
  for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(absolute[i], expected[i] + (i % 2 ? 20 : 10)) << i;

  // A whole turn either way is the same placement.
  for (int32_t angle : {512, -512, 1024}) {
    const Placement turned = Place(10, 20, angle, 1.0, 30, 40, 15, 20);
    for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(turned.quad[i], p.quad[i]) << angle << " " << i;
    EXPECT_EQ(turned.x, p.x);
  }
}

TEST_F(RotationTest, QuarterTurnsAndScaleSwapAndGrowTheBox) {
  for (int32_t angle : {128, -128, 384, 128 - 512 * 3}) {
    SCOPED_TRACE(angle);
    const Placement p = Place(0, 0, angle, 2.0, 30, 10, 0, 0);
    EXPECT_EQ(p.width, 20);
    EXPECT_EQ(p.height, 60);
  }
  // Half a turn about the centre keeps the box in place.
  const Placement half = Place(5, 5, 256, 1.0, 30, 10, 15, 5);
  EXPECT_EQ(half.width, 30);
  EXPECT_EQ(half.height, 10);
  EXPECT_EQ(half.x, 5);
  EXPECT_EQ(half.y, 5);
  // Corner (0,0) lands where (w,h) was.
  EXPECT_DOUBLE_EQ(half.quad[0], 29.5);
  EXPECT_DOUBLE_EQ(half.quad[1], 9.5);
}

TEST_F(RotationTest, Refusals) {
  double quad[8];
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(BuildRotationTransform(nullptr, 1, 0, 0, 1.0, 4, 4, 0, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(BuildRotationTransform(quad, 1, 0, 0, 0.0, 4, 4, 0, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(BuildRotationTransform(quad, 1, 0, 0, nan, 4, 4, 0, 0, nullptr, nullptr, nullptr, nullptr));
  // Nothing would change.
  EXPECT_FALSE(BuildRotationTransform(quad, 0, 0, 0, 1.0, 4, 4, 0, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_FALSE(BuildRotationTransform(quad, 0, 0, 512, 1.0, 4, 4, 0, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_TRUE(BuildRotationTransform(quad, 0, 0, 1, 1.0, 4, 4, 0, 0, nullptr, nullptr, nullptr, nullptr));
  // Boxes and positions that no 32-bit coordinate holds; nothing is written.
  struct Huge {
    int32_t baseX;
    int32_t angle;
    double scale;
    int32_t width;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Huge huge[] = {
      {0, 0, inf, 4},         {0, 0, -inf, 4}, {0, 0, 1e300, 4}, {0, 0, 4.0, 0x7FFFFFFF}, {0, 0, inf, 0},
      {INT32_MIN, 256, 1.0, 4},  // half a turn puts the box 3 to the left of the lowest base
  };
  for (const Huge& h : huge) {
    SCOPED_TRACE(testing::Message() << h.baseX << " " << h.angle << " " << h.scale << " " << h.width);
    int32_t outWidth = -7;
    int32_t outX = -7;
    EXPECT_FALSE(BuildRotationTransform(quad, h.baseX, 0, h.angle, h.scale, h.width, 4, 0, 0, &outWidth, nullptr,
                                        &outX, nullptr));
    EXPECT_EQ(outWidth, -7);
    EXPECT_EQ(outX, -7);
  }
  // The lowest base that still holds the turned box is placed.
  int32_t outX = 0;
  EXPECT_TRUE(BuildRotationTransform(quad, INT32_MIN + 3, 0, 256, 1.0, 4, 4, 0, 0, nullptr, nullptr, &outX, nullptr));
  EXPECT_EQ(outX, INT32_MIN);
  // No published tables.
  MathTables* mine = SetMathTables(nullptr);
  EXPECT_EQ(mine, &tables_);
  EXPECT_EQ(GetMathTables(), nullptr);
  EXPECT_FALSE(BuildRotationTransform(quad, 1, 0, 0, 1.0, 4, 4, 0, 0, nullptr, nullptr, nullptr, nullptr));
  SetMathTables(mine);
}

}  // namespace
}  // namespace orrivel
