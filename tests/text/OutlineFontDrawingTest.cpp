// Drawing with the outline font: every drawn pixel lies inside the reported
// bounds and inside the measured box turned with the font, at each angle.
#include <gtest/gtest.h>

#include "text/FontTestSupport.h"

#include <cstring>
#include <string>

#include "base/MathTables.h"
#include "platform/TextCodec.h"
#include "raster/BlendTables.h"
#include "raster/DibImage.h"
#include "text/FontSettings.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

using OutlineDrawingTest = FontFixture<::testing::TestWithParam<int32_t>>;

Rect InkBounds(DibImage& image) {
  Rect ink{image.GetWidth(), image.GetHeight(), 0, 0};
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(image.GetScanLine(y));
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      if ((row[x] & 0xFFFFFF) == 0) continue;
      ink = Rect{std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1), std::max(ink.bottom, y + 1)};
    }
  }
  return ink;
}

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST_P(OutlineDrawingTest, DrawnPixelsStayInsideTheTurnedMeasure) {
  const int32_t angle = GetParam();
  const std::string text = Sjis("あg「表」\nー、ア");
  for (const char* face : {"ＭＳ ゴシック", "@ＭＳ ゴシック"}) {
    for (uint8_t effect : {kEffectNone, kEffectShadow, kEffectOutline}) {
      SCOPED_TRACE(std::string(face) + " effect " + std::to_string(effect));
      OutlineFont font;
      ASSERT_EQ(font.SetFont(24, 0, 0, Sjis(face).c_str()), 0);
      ASSERT_EQ(font.SetAngle(angle), 0);
      font.effectMode = effect;
      font.effectRed = 40;
      font.shadowX = 2;
      font.shadowY = 3;
      font.lineSpacing = 2;
      DibImage image;
      ASSERT_EQ(image.Create(240, 240, 32, false), 0);
      for (int32_t y = 0; y < 240; ++y) std::memset(image.GetScanLine(y), 0, 240 * 4);
      const Point pen{120, 120};
      Rect drawn;
      Point end;
      ASSERT_EQ(font.DrawText(&image, pen.x, pen.y, text.c_str(), &drawn, &end), 0);
      const Rect ink = InkBounds(image);
      ASSERT_FALSE(ink.IsEmpty());
      EXPECT_TRUE(Inside(ink, drawn)) << "ink " << ink.left << "," << ink.top << "," << ink.right << "," << ink.bottom;
      Size size;
      int32_t left = 0, top = 0;
      ASSERT_EQ(font.MeasureText(text.c_str(), &size, &left, &top, true, nullptr), 2);
      Rect box;
      font.GetRotatedBounds(&box, left, top, size.width, size.height);
      const Rect moved{box.left + pen.x, box.top + pen.y, box.right + pen.x, box.bottom + pen.y};
      EXPECT_TRUE(Inside(ink, moved)) << "ink " << ink.left << "," << ink.top << "," << ink.right << ","
                                      << ink.bottom << " box " << moved.left << "," << moved.top << ","
                                      << moved.right << "," << moved.bottom;
      if (angle == 2700) {
        EXPECT_LT(ink.left, pen.x - 24) << "the second line lies left of the first";
        EXPECT_LE(ink.right, pen.x + (effect == kEffectNone ? 0 : 3));
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Angles, OutlineDrawingTest, ::testing::Values(0, 900, 2700));

TEST(OutlineDrawingRefusals, OnlyMadeFontsDrawOnto32BitPixels) {
  BuildBlendTables();
  OutlineFont font;
  DibImage image;
  ASSERT_EQ(image.Create(8, 8, 32, false), 0);
  EXPECT_EQ(font.DrawText(&image, 0, 0, "a", nullptr, nullptr), 1);
  ASSERT_EQ(font.SetFont(16, 0, 0, nullptr), 0);
  EXPECT_EQ(font.DrawText(nullptr, 0, 0, "a", nullptr, nullptr), 1);
  DibImage indexed;
  ASSERT_EQ(indexed.Create(8, 8, 8, false), 0);
  EXPECT_EQ(font.DrawTextToSurface(&indexed, 0, 0, "a", nullptr, nullptr), 1);
  EXPECT_EQ(font.DrawTextClipped(&indexed, 0, 0, "a", nullptr, nullptr), 1);
  EXPECT_EQ(font.DrawText(&indexed, 0, 0, "a", nullptr, nullptr), 0);
  Rect drawn;
  Point end;
  EXPECT_EQ(font.DrawText(&image, 3, 4, "", &drawn, &end), 0);
  EXPECT_EQ(end, (Point{3, 4}));
  EXPECT_TRUE(drawn.IsEmpty());
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// The gradient runs from the top of the glyphs to their bottom: down the
// rows upright, and from the pen's column leftwards at 2700, where every
// column of the glyphs takes an entry inside the ramp.
TEST_F(FontTest, GradientTextRunsFromTheGlyphTopsAtZeroAndAt2700) {
  for (int32_t angle : {0, 2700}) {
    SCOPED_TRACE(angle);
    auto font = Gothic(32, angle ? "@ＭＳ ゴシック" : "ＭＳ ゴシック");
    ASSERT_EQ(font->SetAngle(angle), 0);
    ASSERT_EQ(font->SetGradient(1, 0xFF0000, 0x0000FF, 1), 0);
    DibImage image;
    ASSERT_EQ(image.Create(80, 80, 32, false), 0);
    for (int32_t y = 0; y < 80; ++y) std::memset(image.GetScanLine(y), 0, 80 * 4);
    const Point pen = angle ? Point{60, 8} : Point{8, 8};
    Rect drawn;
    ASSERT_EQ(font->DrawText(&image, pen.x, pen.y, Sjis("■").c_str(), &drawn, nullptr), 0);
    ASSERT_FALSE(drawn.IsEmpty()) << "gradient text is visible";
    // Sample the solid square near its top edge and near its bottom edge.
    auto pixel = [&](int32_t x, int32_t y) { return reinterpret_cast<const uint32_t*>(image.GetScanLine(y))[x]; };
    const uint32_t nearTop = angle ? pixel(drawn.right - 2, (drawn.top + drawn.bottom) / 2)
                                   : pixel((drawn.left + drawn.right) / 2, drawn.top + 1);
    const uint32_t nearBottom = angle ? pixel(drawn.left + 1, (drawn.top + drawn.bottom) / 2)
                                      : pixel((drawn.left + drawn.right) / 2, drawn.bottom - 2);
    EXPECT_GT((nearTop >> 16) & 0xFF, 160u) << std::hex << nearTop;
    EXPECT_LT(nearTop & 0xFF, 96u) << std::hex << nearTop;
    EXPECT_GT(nearBottom & 0xFF, 96u) << std::hex << nearBottom;
    EXPECT_LT((nearBottom >> 16) & 0xFF, 160u) << std::hex << nearBottom;
  }
}

}  // namespace
}  // namespace orrivel
