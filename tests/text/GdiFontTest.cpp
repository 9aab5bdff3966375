// The device-drawn font: text outputs per line, measuring whole lines, the
// oversampled plane and the alpha-mask twin.
#include "text/GdiFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/font/DeviceContext.h"
#include "raster/Surface.h"
#include "text/FontTestSupport.h"
#include "text/TextGolden.h"

namespace orrivel {
namespace {

// A context that records every text output, then draws it.
class RecordingContext : public platform::DeviceContext {
 public:
  struct Call {
    int32_t x, y;
    uint32_t color;
    std::vector<uint16_t> codes;
  };
  bool TextOut(int32_t x, int32_t y, const uint16_t* codes, size_t count) override {
    calls.push_back(Call{x, y, TextColor(), std::vector<uint16_t>(codes, codes + count)});
    return platform::DeviceContext::TextOut(x, y, codes, count);
  }
  std::vector<Call> calls;
};

class GdiFontTest : public FontTest {
 protected:
  std::unique_ptr<GdiFont> Device(int32_t height) {
    auto font = std::make_unique<GdiFont>();
    EXPECT_EQ(font->SetFont(height, 0, 0, Sjis("ＭＳ ゴシック").c_str()), 0);
    return font;
  }
};

uint32_t PixelAt(DibImage& image, int32_t x, int32_t y) {
  return reinterpret_cast<const uint32_t*>(image.GetScanLine(y))[x];
}

TEST_F(GdiFontTest, AnOutlinedLineIsNineTextOutputsAndAShadowTwo) {
  auto font = Device(16);
  font->effectMode = kEffectOutline;
  font->effectRed = 1;
  font->textRed = 2;
  font->lineSpacing = 4;
  Surface surface;
  ASSERT_EQ(surface.Create(80, 60, 32, Surface::kWithDeviceContext), 0);
  RecordingContext dc;
  dc.SelectTarget(platform::MemoryDc(surface.GetBits(), 80, 60, surface.GetPitch(), 32, nullptr));
  ASSERT_EQ(font->DrawToDc(&dc, 10, 10, "a@\x83\x40\nb"), 0);
  ASSERT_EQ(dc.calls.size(), 18u);
  const std::vector<std::pair<int32_t, int32_t>> around = {{9, 9}, {9, 10}, {9, 11}, {10, 9}, {10, 11},
                                                           {11, 9}, {11, 10}, {11, 11}};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(std::make_pair(dc.calls[i].x, dc.calls[i].y), around[i]);
    EXPECT_EQ(dc.calls[i].color, 0x010000u);
  }
  EXPECT_EQ(dc.calls[8].color, 0x02FFFFu);
  EXPECT_EQ(dc.calls[8].codes, (std::vector<uint16_t>{'a', '@', 0x8340})) << "'@' is a character; pairs stay whole";
  EXPECT_EQ((std::make_pair(dc.calls[17].x, dc.calls[17].y)), std::make_pair(10, 10 + 16 + 4));
  font->effectMode = kEffectShadow;
  font->shadowX = -2;
  font->shadowY = 3;
  dc.calls.clear();
  ASSERT_EQ(font->DrawToDc(&dc, 10, 10, "ab"), 0);
  ASSERT_EQ(dc.calls.size(), 2u);
  EXPECT_EQ((std::make_pair(dc.calls[0].x, dc.calls[0].y)), std::make_pair(8, 13));
  EXPECT_EQ(font->DrawToDc(&dc, 0, 0, nullptr), 1);
  GdiFont unmade;
  EXPECT_EQ(unmade.DrawToDc(&dc, 0, 0, "a"), 1);
}

TEST_F(GdiFontTest, MeasuresWholeLines) {
  auto font = Device(16);
  font->lineSpacing = 5;
  Size one;
  ASSERT_EQ(font->MeasureText("ab", &one, nullptr, nullptr, true, nullptr), 1);
  Size size;
  int32_t left = 7, top = 7, count = 0;
  ASSERT_EQ(font->MeasureText("ab\nabc@", &size, &left, &top, true, &count), 2);
  EXPECT_EQ(size.height, 2 * one.height + 5);
  EXPECT_GT(size.width, one.width);
  EXPECT_EQ(count, 6);
  EXPECT_EQ((Point{left, top}), (Point{0, 0}));
  font->effectMode = kEffectOutline;
  ASSERT_EQ(font->MeasureText("ab", &size, &left, &top, true, nullptr), 1);
  EXPECT_EQ(size, (Size{one.width + 2, one.height + 2}));
  EXPECT_EQ((Point{left, top}), (Point{-1, -1}));
  font->effectMode = kEffectShadow;
  font->shadowX = -2;
  font->shadowY = 3;
  ASSERT_EQ(font->MeasureText("ab", &size, &left, &top, true, nullptr), 1);
  EXPECT_EQ(size, (Size{one.width + 2, one.height + 3}));
  EXPECT_EQ((Point{left, top}), (Point{-2, 0}));
  ASSERT_EQ(font->SetBoldItalic(0, 1), 0);
  font->effectMode = kEffectNone;
  ASSERT_EQ(font->MeasureText("ab", &size, nullptr, nullptr, true, nullptr), 1);
  EXPECT_GE(size.width, one.width + 16 / 3);
  EXPECT_EQ(font->MeasureText(nullptr, &size, nullptr, nullptr, true, nullptr), 0);
  GdiFont unmade;
  EXPECT_EQ(unmade.MeasureText("a", &size, nullptr, nullptr, true, nullptr), 0);
}

TEST_F(GdiFontTest, SettersAndFailures) {
  GdiFont font;
  EXPECT_EQ(font.GetKind(), kFontKindDevice);
  EXPECT_EQ(font.backgroundMode, 1);
  EXPECT_EQ((std::vector<int>{font.backgroundRed, font.backgroundGreen, font.backgroundBlue}),
            (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(font.SetFaceName(nullptr), kGdiNoFace);
  ASSERT_EQ(font.SetFont(-20, 1, 0, nullptr), 0);
  EXPECT_EQ(font.Logical().height, -20);
  EXPECT_EQ(font.Logical().weight, 700);
  EXPECT_EQ(font.SetHeight(20), 0);
  EXPECT_EQ(font.SetAngle(2700), 0);
  EXPECT_EQ(font.Logical().escapement, 2700);
  platform::SetFontFilesUnavailable(true);
  EXPECT_EQ(font.SetHeight(24), kGdiFontNotMade);
  EXPECT_FALSE(font.HasFont());
  Surface image;
  ASSERT_EQ(image.Create(8, 8, 32, 0), 0);
  EXPECT_EQ(font.DrawText(&image, 0, 0, "a", nullptr, nullptr), 1);
}

// Antialiased device text: a full block is fully opaque, partial blocks are
// partial, and nothing lands outside the reported bounds.
TEST_F(GdiFontTest, OversampledCoverageReachesFullStrength) {
  auto font = Device(24);
  font->textRed = font->textGreen = font->textBlue = 255;
  Surface image;
  ASSERT_EQ(image.Create(60, 40, 32, 0), 0);
  image.FillRect(0xFF000000u, nullptr);
  Rect drawn;
  ASSERT_EQ(font->DrawText(&image, 4, 4, Sjis("■").c_str(), &drawn, nullptr), 0);
  int full = 0, partial = 0;
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 60; ++x) {
      const uint32_t v = PixelAt(image, x, y) & 0xFF;
      if (v == 0) continue;
      ASSERT_TRUE(x >= drawn.left && x < drawn.right && y >= drawn.top && y < drawn.bottom);
      (v == 255 ? full : partial) += 1;
    }
  EXPECT_GT(full, 100) << "a covered block is 255, not 240";
  EXPECT_EQ(font->DrawText(&image, 4, 4, nullptr, &drawn, nullptr), 1);
}

TEST_F(GdiFontTest, LevelZeroOntoEightBitsAndBackground) {
  auto font = Device(16);
  font->SetAntialias(0);
  font->textRed = 9;
  font->SetBackground(0, 3, 0, 0);
  Surface indexed;
  ASSERT_EQ(indexed.Create(40, 24, 8, 0), 0);
  indexed.FillRgb(0, 0, 0, nullptr);
  Rect drawn;
  ASSERT_EQ(font->DrawText(&indexed, 2, 2, "Ab", &drawn, nullptr), 0);
  int text = 0, background = 0;
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 40; ++x) {
      const uint8_t v = indexed.GetScanLine(y)[x];
      ASSERT_TRUE(v == 0 || v == 3 || v == 9) << int(v);
      text += v == 9;
      background += v == 3;
      if (v) {
        ASSERT_TRUE(x >= drawn.left && x < drawn.right && y >= drawn.top && y < drawn.bottom);
      }
    }
  EXPECT_GT(text, 10);
  EXPECT_GT(background, 100);
}

TEST_F(GdiFontTest, ClippedWritesTheTextAsAnAlphaMask) {
  for (uint8_t level : {0, 2}) {
    for (uint8_t effect : {kEffectNone, kEffectShadow, kEffectOutline}) {
      SCOPED_TRACE(std::to_string(level) + " " + std::to_string(effect));
      auto font = Device(20);
      font->SetAntialias(level);
      font->effectMode = effect;
      font->shadowX = 2;
      font->shadowY = 2;
      font->textRed = 200;
      font->effectBlue = 200;
      Surface image;
      ASSERT_EQ(image.Create(80, 40, 32, 0), 0);
      image.FillRect(0, nullptr);
      Rect drawn;
      ASSERT_EQ(font->DrawTextClipped(&image, 70, 4, Sjis("文字").c_str(), &drawn, nullptr), 0)
          << "drawn partly off the right edge";
      Size size;
      int32_t left = 0, top = 0;
      font->MeasureText(Sjis("文字").c_str(), &size, &left, &top, true, nullptr);
      int solid = 0;
      for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 80; ++x) {
          const uint32_t p = PixelAt(image, x, y);
          if (!(p >> 24)) continue;
          ASSERT_TRUE(x >= 70 + left && y >= 4 + top && y < 4 + top + size.height) << x << "," << y;
          ASSERT_TRUE(x >= drawn.left && x < drawn.right && y >= drawn.top && y < drawn.bottom);
          solid += (p >> 24) == 255;
        }
      EXPECT_GT(solid, 5);
    }
  }
  auto font = Device(20);
  Surface indexed;
  ASSERT_EQ(indexed.Create(8, 8, 8, 0), 0);
  EXPECT_EQ(font->DrawTextClipped(&indexed, 0, 0, "a", nullptr, nullptr), 1);
}

TEST_F(GdiFontTest, EffectsMatchTheirGoldenPicture) {
  Surface image;
  ASSERT_EQ(image.Create(72, 96, 32, 0), 0);
  image.FillRect(0xFF303840u, nullptr);
  for (int row = 0; row < 4; ++row) {
    auto font = Device(20);
    font->SetAntialias(row == 3 ? 0 : 2);
    test::UseGoldenColours(*font);
    font->effectMode = row == 0 ? kEffectShadow : row == 2 ? kEffectNone : kEffectOutline;
    font->shadowX = font->shadowY = 2;
    ASSERT_EQ(font->DrawText(&image, 4, 2 + row * 24, Sjis("文g字").c_str(), nullptr, nullptr), 0);
  }
  test::ExpectTextGolden(image, "device_effects");
}

}  // namespace
}  // namespace orrivel
