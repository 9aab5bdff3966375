#include "raster/RotatedDrawing.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/MathTables.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

constexpr uint32_t kUntouched = 0x00ABCDEFu;

uint32_t& Pixel(Surface& s, int x, int y) {
  return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x];
}

class RotatedDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildBlendTables();
    ResetPixelOpEntries();
    previous = SetMathTables(&tables);
    ASSERT_EQ(source.Create(kN, kN, 32, 0), 0);
    for (int y = 0; y < kN; ++y)
      for (int x = 0; x < kN; ++x) Pixel(source, x, y) = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
    ResetDest();
  }
  void TearDown() override {
    SetCurrentPixelOpLibrary(nullptr);
    library.reset();
    ResetPixelOpEntries();
    SetMathTables(previous);
  }
  void ResetDest() {
    ASSERT_EQ(dest.Create(40, 40, 32, Surface::kWithRegion), 0);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) Pixel(dest, x, y) = kUntouched;
  }
  void Bind() {
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    SetCurrentPixelOpLibrary(library.get());
  }
  std::vector<uint32_t> Picture() {
    std::vector<uint32_t> out;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) out.push_back(Pixel(dest, x, y));
    return out;
  }
  std::vector<uint32_t> Draw(int32_t angle, uint8_t anchor = 4) {
    ResetDest();
    EXPECT_EQ(DrawRotated(&dest, &source, anchor, 10, 12, angle, 65536, nullptr, nullptr), 0);
    return Picture();
  }

  static constexpr int kN = 8;
  MathTables tables;
  MathTables* previous = nullptr;
  Surface source, dest;
  std::unique_ptr<PixelOpLibrary> library;
};

TEST_F(RotatedDrawingTest, AngleZeroIsAPlainPlacementOnBothPaths) {
  for (bool withLibrary : {false, true}) {
    if (withLibrary) Bind();
    ResetDest();
    ASSERT_EQ(dest.DrawRotated(&source, 0, 10, 12, 0, 65536, nullptr, nullptr), 0);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const bool inside = x >= 10 && x < 10 + kN && y >= 12 && y < 12 + kN;
        ASSERT_EQ(Pixel(dest, x, y) != kUntouched, inside) << x << "," << y;
        if (inside) {
          ASSERT_EQ(int(Pixel(dest, x, y) & 0xFF), x - 10);
        }
      }
    EXPECT_TRUE(dest.Changed());
    EXPECT_EQ(dest.Region()->Rects(), (std::vector<Rect>{{10, 12, 10 + kN, 12 + kN}}));
  }
}

TEST_F(RotatedDrawingTest, AnglesWrapAndQuarterTurnsAboutTheCentre) {
  for (bool withLibrary : {false, true}) {
    if (withLibrary) Bind();
    EXPECT_EQ(Draw(512), Draw(0));
    EXPECT_EQ(Draw(-128), Draw(384));
    EXPECT_NE(Draw(128), Draw(0));
    Draw(128);
    // A quarter turn about the centre keeps the square; the picture's first
    // row becomes its left column, read upwards.
    for (int j = 0; j < kN; ++j)
      for (int i = 0; i < kN; ++i) {
        const uint32_t p = Pixel(dest, 10 + i, 12 + j);
        ASSERT_NE(p, kUntouched);
        const int row = int(p >> 8 & 0xFF), col = int(p & 0xFF);
        EXPECT_EQ(row, i);
        if (withLibrary) {
          EXPECT_EQ(col, kN - 1 - j);  // exact at pixel centres
        } else {
          EXPECT_TRUE(col == kN - 1 - j || col == kN - 2 - j) << col << " at row " << j;
        }
      }
  }
}

TEST_F(RotatedDrawingTest, ScaleHalvesAndZeroDrawsNothing) {
  for (bool withLibrary : {false, true}) {
    if (withLibrary) Bind();
    ResetDest();
    const Rect odd{0, 0, 7, 5};
    ASSERT_EQ(DrawRotated(&dest, &source, 0, 2, 3, 0, 32768, &odd, nullptr), 0);
    int written = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
        if (Pixel(dest, x, y) != kUntouched) {
          ++written;
          EXPECT_TRUE(x >= 2 && x < 5 && y >= 3 && y < 5) << x << "," << y;
        }
    EXPECT_EQ(written, 3 * 2);  // 7 x 5 halves to 3 x 2
    ResetDest();
    ASSERT_EQ(DrawRotated(&dest, &source, 4, 20, 20, 77, 0, nullptr, nullptr), 0);
    EXPECT_EQ(Picture(), std::vector<uint32_t>(1600, kUntouched));
  }
}

TEST_F(RotatedDrawingTest, KeyedSourcesAlwaysTakeTheMapperAndLeaveHoles) {
  Bind();
  for (int y = 0; y < kN; ++y) Pixel(source, 3, y) = 0xFF000000u;
  Pixel(source, 0, 0) = 0xFF000000u;
  source.SetColorKeyAt(0, 0);
  ASSERT_EQ(DrawRotated(&dest, &source, 0, 10, 12, 0, 65536, nullptr, nullptr), 0);
  for (int y = 0; y < kN; ++y) EXPECT_EQ(Pixel(dest, 13, 12 + y), kUntouched);
  EXPECT_NE(Pixel(dest, 14, 12), kUntouched);
}

TEST_F(RotatedDrawingTest, BlendedDrawAtAnOpacity) {
  for (bool withLibrary : {false, true}) {
    if (withLibrary) Bind();
    ResetDest();
    ASSERT_EQ(DrawRotatedAlt(&dest, &source, 0, 10, 12, 0, 65536, 0, nullptr, nullptr), 0);
    EXPECT_EQ(Picture(), std::vector<uint32_t>(1600, kUntouched));
    ASSERT_EQ(DrawRotatedAlt(&dest, &source, 0, 10, 12, 0, 65536, 255, nullptr, nullptr), 0);
    // Opaque texels replace the colour; the destination's alpha (0) stays.
    EXPECT_EQ(Pixel(dest, 13, 14), 0x00000203u);
    EXPECT_EQ(Pixel(dest, 9, 14), kUntouched);
  }
}

TEST_F(RotatedDrawingTest, Refusals) {
  Surface empty, indexed;
  ASSERT_EQ(indexed.Create(4, 4, 8, 0), 0);
  EXPECT_EQ(DrawRotated(&dest, nullptr, 0, 0, 0, 0, 65536, nullptr, nullptr), 1);
  EXPECT_EQ(DrawRotated(&empty, &source, 0, 0, 0, 0, 65536, nullptr, nullptr), 1);
  EXPECT_EQ(DrawRotatedAlt(&dest, &empty, 0, 0, 0, 0, 65536, 9, nullptr, nullptr), 1);
  EXPECT_EQ(DrawRotated(&dest, &indexed, 0, 0, 0, 0, 65536, nullptr, nullptr), 2);
  EXPECT_EQ(DrawRotatedAlt(&indexed, &source, 0, 0, 0, 0, 65536, 9, nullptr, nullptr), 2);
  EXPECT_EQ(DrawRotated(&dest, &source, 5, 0, 0, 0, 65536, nullptr, nullptr), 3);
  EXPECT_EQ(DrawRotatedAlt(&dest, &source, 255, 0, 0, 0, 65536, 9, nullptr, nullptr), 3);
  EXPECT_EQ(indexed.DrawRotatedAlt(&source, 0, 0, 0, 0, 65536, 9, nullptr, nullptr), 2);
  SetMathTables(nullptr);
  EXPECT_EQ(DrawRotated(&dest, &source, 0, 0, 0, 0, 65536, nullptr, nullptr), 1);
  EXPECT_EQ(Picture(), std::vector<uint32_t>(1600, kUntouched));
  EXPECT_FALSE(dest.Changed());
}

TEST_F(RotatedDrawingTest, HugeScalesStaySafe) {
  for (bool withLibrary : {false, true}) {
    if (withLibrary) Bind();
    ResetDest();
    ASSERT_EQ(DrawRotated(&dest, &source, 4, 20, 20, 37, INT32_MAX, nullptr, nullptr), 0);
    ASSERT_EQ(DrawRotatedAlt(&dest, &source, 4, INT32_MIN, INT32_MAX, -999, INT32_MAX, 200,
                             nullptr, nullptr), 0);
  }
}

}  // namespace
}  // namespace orrivel
