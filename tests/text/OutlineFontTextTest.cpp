// Measuring and drawing with the outline font: the measure's rules, the
// threshold copy onto 8- and 32-bit images, the alpha-mask form, and small
// golden pictures of shadow, outline and gradient text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "raster/Surface.h"
#include "text/FontTestSupport.h"
#include "text/OutlineFont.h"
#include "text/TextGolden.h"

namespace orrivel {
namespace {

using OutlineTextTest = FontTest;

uint32_t PixelAt(DibImage& image, int32_t x, int32_t y) {
  return reinterpret_cast<const uint32_t*>(image.GetScanLine(y))[x];
}

void Clear(DibImage& image, uint32_t value) {
  for (int32_t y = 0; y < image.GetHeight(); ++y)
    std::fill_n(reinterpret_cast<uint32_t*>(image.GetScanLine(y)), image.GetWidth(), value);
}

TEST_F(OutlineTextTest, MeasuresLinesItalicAndEffects) {
  auto font = Gothic(16);
  font->lineSpacing = 3;
  const int32_t ab = font->Face()->Advance('a') + font->Face()->Advance('b');
  Size size;
  int32_t left = 9, top = 9, count = 0;
  EXPECT_EQ(font->MeasureText("ab\nc", &size, &left, &top, true, &count), 2);
  EXPECT_EQ(size, (Size{ab, 2 * 16 + 3}));
  EXPECT_EQ((Point{left, top}), (Point{0, 0}));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(font->MeasureText("", &size, nullptr, nullptr, false, &count), 1);
  EXPECT_EQ(size, (Size{0, 16}));
  EXPECT_EQ(count, 0);
  EXPECT_EQ(font->MeasureText(nullptr, &size, nullptr, nullptr, false, nullptr), 0);

  font->effectMode = kEffectShadow;
  font->shadowX = -2;
  font->shadowY = 3;
  EXPECT_EQ(font->MeasureText("ab", &size, &left, &top, true, nullptr), 1);
  EXPECT_EQ(size, (Size{ab + 2, 16 + 3}));
  EXPECT_EQ((Point{left, top}), (Point{-2, 0}));
  EXPECT_EQ(font->MeasureText("ab", &size, &left, &top, false, nullptr), 1);
  EXPECT_EQ(size, (Size{ab, 16})) << "without effect the shadow is left out";
  font->effectMode = kEffectOutline;
  EXPECT_EQ(font->MeasureText("ab", &size, &left, &top, true, nullptr), 1);
  EXPECT_EQ(size, (Size{ab + 4, 16 + 4}));
  EXPECT_EQ((Point{left, top}), (Point{-2, -2}));

  Size upright;
  font->effectMode = kEffectNone;
  font->MeasureText("ab", &upright, nullptr, nullptr, true, nullptr);
  ASSERT_EQ(font->SetBoldItalic(0, 1), 0);
  font->MeasureText("ab", &size, nullptr, nullptr, true, nullptr);
  EXPECT_EQ(size.width, upright.width + 16 / 3);
}

TEST_F(OutlineTextTest, LevelZeroSetsHalfCoveredPixelsOnEightAndThirtyTwoBits) {
  auto font = Gothic(16);
  font->SetAntialias(0);
  font->textRed = 7;
  font->textGreen = 8;
  font->textBlue = 9;
  Surface indexed;
  ASSERT_EQ(indexed.Create(40, 24, 8, 0), 0);
  indexed.FillRgb(0, 0, 0, nullptr);
  Rect drawn;
  ASSERT_EQ(font->DrawText(&indexed, 2, 2, "AB", &drawn, nullptr), 0);
  ASSERT_FALSE(drawn.IsEmpty());
  int set = 0;
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      const uint8_t v = indexed.GetScanLine(y)[x];
      ASSERT_TRUE(v == 0 || v == 7) << "only the red byte is written, whole: " << int(v) << " at " << x << "," << y;
      if (v) {
        ++set;
        EXPECT_TRUE(x >= drawn.left && x < drawn.right && y >= drawn.top && y < drawn.bottom);
      }
    }
  EXPECT_GT(set, 20);
  Surface wide;
  ASSERT_EQ(wide.Create(40, 24, 32, 0), 0);
  Clear(wide, 0xFF000000u);
  ASSERT_EQ(font->DrawText(&wide, 2, 2, "AB", nullptr, nullptr), 0);
  bool seen = false;
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      const uint32_t p = PixelAt(wide, x, y);
      ASSERT_TRUE(p == 0xFF000000u || p == 0x00070809u) << std::hex << p;
      seen |= p == 0x00070809u;
    }
  EXPECT_TRUE(seen);
  // Antialiased text blends onto 8 bits.
  font->SetAntialias(2);
  font->textRed = 255;
  Surface grey;
  ASSERT_EQ(grey.Create(40, 24, 8, 0), 0);
  grey.FillRgb(0, 0, 0, nullptr);
  ASSERT_EQ(font->DrawText(&grey, 2, 2, "AB", nullptr, nullptr), 0);
  bool partial = false;
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 40; ++x) partial |= grey.GetScanLine(y)[x] > 0 && grey.GetScanLine(y)[x] < 255;
  EXPECT_TRUE(partial);
}

// The alpha mask: alpha carries the coverage of the text with its effect;
// under full coverage the colour is the text's, under the effect alone the
// effect's; nothing lands outside the turned measure.
class OutlineClippedTest : public FontFixture<::testing::TestWithParam<int32_t>> {};

TEST_P(OutlineClippedTest, AlphaMaskStaysInsideTheTurnedMeasureWithTheRightColours) {
  const int32_t angle = GetParam();
  for (uint8_t effect : {kEffectNone, kEffectShadow, kEffectOutline}) {
    SCOPED_TRACE(int(effect));
    auto font = Gothic(20, angle == 2700 ? "@ＭＳ ゴシック" : "ＭＳ ゴシック");
    ASSERT_EQ(font->SetAngle(angle), 0);
    font->effectMode = effect;
    font->shadowX = 2;
    font->shadowY = 3;
    font->textRed = 250;
    font->textGreen = font->textBlue = 10;
    font->effectRed = font->effectGreen = 5;
    font->effectBlue = 240;
    const std::string text = Sjis("表g\nあ");
    Surface image;
    ASSERT_EQ(image.Create(140, 140, 32, 0), 0);
    Clear(image, 0);
    const Point pen{70, 70};
    Rect drawn;
    ASSERT_EQ(font->DrawTextClipped(&image, pen.x, pen.y, text.c_str(), &drawn, nullptr), 0);
    Size size;
    int32_t left = 0, top = 0;
    font->MeasureText(text.c_str(), &size, &left, &top, true, nullptr);
    Rect box;
    font->GetRotatedBounds(&box, left, top, size.width, size.height);
    int opaque = 0;
    for (int32_t y = 0; y < 140; ++y)
      for (int32_t x = 0; x < 140; ++x) {
        const uint32_t p = PixelAt(image, x, y);
        if ((p >> 24) == 0) continue;
        ASSERT_TRUE(x >= box.left + pen.x && x < box.right + pen.x && y >= box.top + pen.y &&
                    y < box.bottom + pen.y)
            << x << "," << y;
        ASSERT_TRUE(x >= drawn.left && x < drawn.right && y >= drawn.top && y < drawn.bottom) << x << "," << y;
        if ((p >> 24) == 255) ++opaque;
      }
    EXPECT_GT(opaque, 30);
    if (effect == kEffectNone) {
      // Every covered pixel carries the text colour whole.
      for (int32_t y = 0; y < 140; ++y)
        for (int32_t x = 0; x < 140; ++x) {
          const uint32_t p = PixelAt(image, x, y);
          if (p >> 24) {
            ASSERT_EQ(p & 0xFFFFFF, 0xFA0A0Au) << x << "," << y;
          }
        }
    }
    // Drawing again never lowers the alpha already there.
    Surface again;
    ASSERT_EQ(again.CreateLike(&image, 0), 0);
    ASSERT_EQ(font->DrawTextClipped(&again, pen.x, pen.y, text.c_str(), nullptr, nullptr), 0);
    for (int32_t y = 0; y < 140; y += 3)
      for (int32_t x = 0; x < 140; x += 3) ASSERT_GE(PixelAt(again, x, y) >> 24, PixelAt(image, x, y) >> 24);
  }
}

INSTANTIATE_TEST_SUITE_P(Angles, OutlineClippedTest, ::testing::Values(0, 900, 2700));

TEST_F(OutlineTextTest, ClippedEffectsColourTheirOwnPixels) {
  auto font = Gothic(24);
  font->textRed = 255;
  font->textGreen = font->textBlue = 0;
  font->effectBlue = 255;
  font->effectRed = font->effectGreen = 0;
  Surface image;
  ASSERT_EQ(image.Create(60, 40, 32, 0), 0);
  font->effectMode = kEffectShadow;
  font->shadowX = 6;
  font->shadowY = 6;
  Clear(image, 0);
  ASSERT_EQ(font->DrawTextClipped(&image, 4, 4, Sjis("■").c_str(), nullptr, nullptr), 0);
  // Below the square's right part only the shadow lies: blue, opaque.
  int shadowOnly = 0;
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 60; ++x) shadowOnly += PixelAt(image, x, y) == 0xFF0000FFu;
  EXPECT_GT(shadowOnly, 20);
  const uint32_t inside = PixelAt(image, 4 + 12, 4 + 12);
  EXPECT_EQ(inside, 0xFFFF0000u) << std::hex << inside;
  font->effectMode = kEffectOutline;
  Clear(image, 0);
  Rect drawn;
  ASSERT_EQ(font->DrawTextClipped(&image, 4, 4, Sjis("■").c_str(), &drawn, nullptr), 0);
  EXPECT_EQ(PixelAt(image, 4 + 12, 4 + 12), 0xFFFF0000u);
  // The outline ring just outside the square is blue.
  int32_t ringX = 0;
  for (int32_t x = 4 + 12; x < 60; ++x) {
    if ((PixelAt(image, x, 4 + 12) & 0xFFFFFF) == 0x0000FFu && (PixelAt(image, x, 4 + 12) >> 24) > 0) {
      ringX = x;
      break;
    }
  }
  EXPECT_GT(ringX, 4 + 12) << "a blue outline beside the square";
  EXPECT_EQ(font->DrawTextClipped(&image, 4, 4, nullptr, &drawn, nullptr), 0);
  EXPECT_TRUE(drawn.IsEmpty());
}

// Three rows (shadow, outline, gradient) upright, and three columns at 2700.
TEST_F(OutlineTextTest, EffectsMatchTheirGoldenPictures) {
  for (int32_t angle : {0, 2700}) {
    SCOPED_TRACE(angle);
    Surface image;
    ASSERT_EQ(angle ? image.Create(96, 72, 32, 0) : image.Create(72, 96, 32, 0), 0);
    Clear(image, 0xFF303840u);
    for (int row = 0; row < 3; ++row) {
      auto font = Gothic(20, angle ? "@ＭＳ ゴシック" : "ＭＳ ゴシック");
      ASSERT_EQ(font->SetAngle(angle), 0);
      test::UseGoldenColours(*font);
      if (row == 0) {
        font->effectMode = kEffectShadow;
        font->shadowX = 2;
        font->shadowY = 2;
      } else if (row == 1) {
        font->effectMode = kEffectOutline;
      } else {
        ASSERT_EQ(font->SetGradient(1, 0xFFE040, 0xE02060, 1), 0);
      }
      const Point pen = angle ? Point{92 - row * 30, 4} : Point{4, 4 + row * 30};
      ASSERT_EQ(font->DrawText(&image, pen.x, pen.y, Sjis("文g字").c_str(), nullptr, nullptr), 0);
    }
    test::ExpectTextGolden(image, angle ? "outline_effects_2700" : "outline_effects_0");
  }
}

}  // namespace
}  // namespace orrivel
