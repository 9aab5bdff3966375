// Text surface images: the text is measured, drawn through the route of the
// font's kind into a surface of its size, keyed by the background, and
// drawn again after a loss.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "display/BoxFont.h"
#include "display/DdSurface.h"
#include "display/SurfaceImageRig.h"
#include "raster/DibImage.h"
#include "text/Font.h"
#include "text/GdiFont.h"

namespace orrivel {
namespace {

using testing::BoxFont;
using testing::SurfaceRgb;

class DdSurfaceTest : public testing::SurfaceImageRig {
 protected:
  void TearDown() override {
    DdSurface::SetDefaultFont(nullptr);
    DdSurface::SetDeviceTextDrawer(nullptr);
    testing::SurfaceImageRig::TearDown();
  }
};

TEST_F(DdSurfaceTest, TextIsDrawnIntoASurfaceOfItsSize) {
  struct Case {
    uint32_t displayBits;
    int kind;
    uint8_t antialias;
    uint8_t backgroundMode;
    int32_t surfaceWidth;
    uint32_t key;  // as the surface's pixel value
  };
  const Case cases[] = {
      // 101 measured pixels on a 24-bit display: a 102-pixel surface, a 101-pixel image.
      {24, kFontKindDevice, 2, 1, 102, 0x00FF00},
      {32, kFontKindDevice, 2, 1, 101, 0x00FF00},
      // The opaque background leaves the surface without a key.
      {32, kFontKindDevice, 2, 0, 101, kNoColorKey},
      {32, kFontKindDevice, 0, 1, 101, 0x00FF00},
      {16, kFontKindDevice, 0, 0, 101, kNoColorKey},
      // Outline fonts always key their background.
      {16, kFontKindOutline, 2, 0, 101, 0x07E0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " antialias " << int(c.antialias)
                                      << " mode " << int(c.backgroundMode) << " on "
                                      << c.displayBits);
    Boot(c.displayBits);
    BoxFont font(c.kind, 101, 12);
    font.antialias = c.antialias;
    font.backgroundMode = c.backgroundMode;
    font.textRed = 200;
    font.textGreen = 0;
    font.textBlue = 0;
    DdSurface image;
    ASSERT_EQ(image.SetText("text", &font), 0);
    EXPECT_EQ(image.GetKind(), kImageKindDdSurface);
    EXPECT_EQ(image.GetWidth(), 101);
    EXPECT_EQ(image.GetHeight(), 12);
    ASSERT_NE(image.GetDisplaySurface(), nullptr);
    EXPECT_EQ(image.GetDisplaySurface()->Width(), c.surfaceWidth);
    EXPECT_EQ(image.GetColorKey(), c.key);
    // The font's own background settings survive the drawing.
    EXPECT_EQ(font.backgroundMode, c.backgroundMode);
    // The text sits at its measured offset (left 1): the block starts one pixel in.
    EXPECT_EQ(SurfaceRgb(image.GetDisplaySurface(), 0, 2), 0x00FF00u);
    EXPECT_GT(SurfaceRgb(image.GetDisplaySurface(), 2, 3) >> 16, 190u);
    EXPECT_EQ(SurfaceRgb(image.GetDisplaySurface(), 0, 0), 0x00FF00u);
    EXPECT_EQ(*image.Text(), "text");
  }
}

TEST_F(DdSurfaceTest, FailuresLeaveNothingHeld) {
  Boot(32);
  DdSurface image;
  // No default font and none given: 3 from the upload, 5 from SetText.
  EXPECT_EQ(image.SetText("text", nullptr), 5);
  EXPECT_FALSE(image.Text().has_value());
  EXPECT_EQ(image.GetDisplaySurface(), nullptr);
  EXPECT_EQ(image.SetText(nullptr, nullptr), 1);
  // A font of an unknown kind, and a drawing that fails (route code 2 -> 5 -> 7).
  BoxFont odd(7, 10, 10);
  EXPECT_EQ(image.SetText("text", &odd), 5);
  BoxFont failing(kFontKindOutline, 10, 10);
  failing.failDraw = true;
  EXPECT_EQ(image.SetText("text", &failing), 7);
  EXPECT_EQ(image.GetFont(), nullptr);
  EXPECT_EQ(image.GetDisplaySurface(), nullptr);
  // A text measured empty gets no surface: the creation's code 2 + 2.
  BoxFont empty(kFontKindOutline, 0, 0);
  EXPECT_EQ(image.SetText("", &empty), 4);
  // The default font serves when none is given.
  BoxFont fallback(kFontKindOutline, 10, 10);
  DdSurface withDefault(&fallback);
  EXPECT_EQ(DdSurface::DefaultFont(), &fallback);
  EXPECT_EQ(withDefault.SetText("text", nullptr), 0);
  EXPECT_EQ(fallback.draws, 1);
  // Without a device nothing is made.
  SurfaceImage::SetScreenDevice(nullptr);
  EXPECT_EQ(image.SetText("text", &fallback), 1);
}

int DrawBlockThroughDc(Font* font, const platform::SurfaceDc& dc, int32_t x, int32_t y, const char*) {
  // The background is transparent while the device draws.
  if (font->backgroundMode != 1) return 1;
  platform::SurfaceDc block;
  uint32_t red[16];
  for (uint32_t& p : red) p = 0x00C80000u;
  block.bits = reinterpret_cast<uint8_t*>(red);
  block.pitch = 16;
  block.width = 4;
  block.height = 4;
  block.format = platform::DescribeSurfaceFormat(platform::SurfaceFormat::X8R8G8B8);
  return platform::DcBitBlt(dc, x + 2, y + 2, 4, 4, block, 0, 0) ? 0 : 1;
}

TEST_F(DdSurfaceTest, DeviceFontsWithoutAntialiasingDrawThroughTheDeviceContext) {
  Boot(16);
  DdSurface::SetDeviceTextDrawer(&DrawBlockThroughDc);
  BoxFont font(kFontKindDevice, 20, 10);
  font.antialias = 0;
  font.backgroundMode = 0;
  DdSurface image;
  ASSERT_EQ(image.SetText("text", &font), 0);
  EXPECT_EQ(font.draws, 0);
  EXPECT_EQ(font.backgroundMode, 0);
  EXPECT_EQ(SurfaceRgb(image.GetDisplaySurface(), 0, 0), 0x00FF00u);
  EXPECT_GT(SurfaceRgb(image.GetDisplaySurface(), 2, 3) >> 16, 190u);
  EXPECT_EQ(image.GetColorKey(), kNoColorKey);
}

TEST_F(DdSurfaceTest, ARealDeviceFontDrawsThroughItsOwnRoute) {
  Boot(32);
  GdiFont font;
  ASSERT_EQ(font.SetFont(16, 0, 0, "IPAGothic"), 0);
  font.antialias = 0;
  font.backgroundMode = 1;
  font.textRed = 255;
  font.textGreen = 255;
  font.textBlue = 255;
  DdSurface image;
  ASSERT_EQ(image.SetText("Hi", &font), 0);
  // One-bit text: every pixel is either the key or the text colour.
  int textPixels = 0;
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      const uint32_t rgb = SurfaceRgb(image.GetDisplaySurface(), x, y);
      ASSERT_TRUE(rgb == 0x00FF00u || rgb == 0xFFFFFFu) << x << "," << y << " " << std::hex << rgb;
      textPixels += rgb == 0xFFFFFFu;
    }
  }
  EXPECT_GT(textPixels, 10);
}

TEST_F(DdSurfaceTest, RestoreDrawsTheTextAgainWithItsKey) {
  Boot(16);
  BoxFont font(kFontKindOutline, 20, 10);
  DdSurface image;
  ASSERT_EQ(image.SetText("text", &font), 0);
  EXPECT_EQ(image.GetColorKey(), 0x07E0u);
  // Not lost: nothing happens.
  EXPECT_EQ(image.Restore(1), 0);
  EXPECT_EQ(font.draws, 1);
  // Clearing the key keeps the colour, so a restore sets it again.
  ASSERT_EQ(image.ClearColorKey(), 0);
  EXPECT_EQ(image.GetColorKey(), kNoColorKey);
  EXPECT_EQ(image.ClearColorKey(), 0);
  image.GetDisplaySurface()->SetLost(true);
  ASSERT_EQ(image.Restore(1), 0);
  EXPECT_EQ(font.draws, 2);
  EXPECT_EQ(image.GetColorKey(), 0x07E0u);
  EXPECT_GT(SurfaceRgb(image.GetDisplaySurface(), 2, 3) >> 16, 190u);
  // A key taken from a pixel comes back from its position.
  ASSERT_EQ(image.SetColorKeyAt(2, 3), 0);
  const uint32_t pixelKey = image.GetColorKey();
  ASSERT_EQ(image.Restore(0), 0);
  EXPECT_EQ(image.GetColorKey(), pixelKey);
  EXPECT_EQ(image.KeyX(), 2);
  // A text that can no longer be drawn.
  font.failDraw = true;
  EXPECT_EQ(image.Restore(0), 1);
  EXPECT_EQ(image.GetDisplaySurface(), nullptr);
  EXPECT_EQ(image.Restore(0), 0);
}

}  // namespace
}  // namespace orrivel
