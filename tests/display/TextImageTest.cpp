// Text in textures: the keys and alpha of each font kind and format, the
// default font, text wider than the device allows, failures and restore.
#include <gtest/gtest.h>

#include <memory>

#include "SurfaceImageRig.h"
#include "base/MathTables.h"
#include "display/BoxFont.h"
#include "display/DisplayTestSupport.h"
#include "display/PrimitiveVertex.h"
#include "display/TextImage.h"
#include "raster/BlendTables.h"
#include "raster/PixelFormat.h"
#include "text/FontSettings.h"
#include "text/GdiFont.h"
#include "text/OutlineFont.h"
#include "text/SurfaceText.h"

namespace orrivel::testing {
namespace {

class TextImageTest : public SurfaceImageRig {
 protected:
  void SetUp() override {
    SurfaceImageRig::SetUp();
    BuildBlendTables();
    ResetFontSettings();
    previousTables_ = SetMathTables(&tables_);
    BootWithMaxTexture(2048);
  }
  void TearDown() override {
    DdSurface::SetDefaultFont(nullptr);
    SetMathTables(previousTables_);
    ResetFontSettings();
    SurfaceImageRig::TearDown();
  }
  void BootWithMaxTexture(uint32_t maxWidth) {
    direct3d_ = true;
    Boot(32, -1, [&](platform::DisplayMachine& m) {
      for (platform::MachineDevice& d : m.drivers[0].devices) {
        d.caps.textureCaps = 0;
        d.caps.maxTextureWidth = maxWidth;
      }
    });
    ASSERT_TRUE(device_->HasDevice());
  }

  // Alpha of a texture pixel.
  uint32_t Alpha(TextImage& image, int32_t x, int32_t y) { return ReadArgb(*image.GetSurface(), x, y) >> 24; }

  MathTables tables_;
  MathTables* previousTables_ = nullptr;
};

TEST_F(TextImageTest, OutlineFontsKeyOpaqueFormatsAndUseAlphaInTheOthers) {
  OutlineFont font;
  ASSERT_EQ(font.SetFont(20, 0, 0, "IPAGothic"), 0);
  font.SetBackground(1, 10, 20, 200);
  font.textRed = font.textGreen = font.textBlue = 255;

  TextImage keyed;
  ASSERT_EQ(keyed.Create("Ab", &font, kPixelFormatR5G6B5), 0);
  EXPECT_EQ(keyed.GetKind(), kImageKindTextImage);
  EXPECT_EQ(static_cast<TextureSource&>(keyed).GetKind(), kImageKindTextImage);
  EXPECT_GT(keyed.GetContentWidth(), 10);
  EXPECT_EQ(keyed.GetWidth(), keyed.GetContentWidth());  // no power-of-two rule here
  EXPECT_EQ(keyed.GetPixelFormatCode(), uint32_t(kPixelFormatR5G6B5));
  ASSERT_NE(keyed.GetColorKey(), kNoColorKey);
  uint32_t corner = 0;
  ASSERT_TRUE(ReadRawPixel(keyed.GetSurface(), 0, 0, &corner));
  EXPECT_EQ(corner, keyed.GetColorKey());

  TextImage blended;
  ASSERT_EQ(blended.Create("Ab", &font, kPixelFormatA8R8G8B8), 0);
  EXPECT_EQ(blended.GetColorKey(), kNoColorKey);
  EXPECT_EQ(Alpha(blended, 0, 0), 0u);
  uint32_t opaque = 0;
  for (int32_t y = 0; y < blended.GetContentHeight(); ++y) {
    for (int32_t x = 0; x < blended.GetContentWidth(); ++x) opaque += Alpha(blended, x, y) > 200;
  }
  EXPECT_GT(opaque, 10u);
}

TEST_F(TextImageTest, ADeviceFontInTransparentModeKeysItsGreenInEveryFormat) {
  GdiFont font;
  ASSERT_EQ(font.SetFont(16, 0, 0, "IPAGothic"), 0);
  font.antialias = 0;
  font.textRed = font.textGreen = font.textBlue = 255;
  ASSERT_EQ(font.backgroundMode, 1);
  for (uint32_t format : {uint32_t(kPixelFormatR5G6B5), uint32_t(kPixelFormatX8R8G8B8),
                          uint32_t(kPixelFormatA8R8G8B8)}) {
    SCOPED_TRACE(format);
    TextImage image;
    ASSERT_EQ(image.Create("Hi", &font, format), 0);
    ASSERT_NE(image.GetColorKey(), kNoColorKey);
    EXPECT_EQ(SurfaceRgb(image.GetSurface(), 0, 0), 0x00FF00u);
    EXPECT_EQ(image.RgbColorKey(), 0x00FF00u);
    if (format == kPixelFormatA8R8G8B8) {
      // The background ends transparent and the text opaque.
      EXPECT_EQ(Alpha(image, 0, 0), 0u);
      uint32_t text = 0;
      for (int32_t y = 0; y < image.GetHeight(); ++y) {
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
          if (SurfaceRgb(image.GetSurface(), x, y) == 0xFFFFFFu) {
            ++text;
            EXPECT_EQ(Alpha(image, x, y), 255u);
          }
        }
      }
      EXPECT_GT(text, 10u);
    }
  }
  // The opaque background mode clears the key.
  font.backgroundMode = 0;
  TextImage opaque;
  ASSERT_EQ(opaque.Create("Hi", &font, kPixelFormatX8R8G8B8), 0);
  EXPECT_EQ(opaque.GetColorKey(), kNoColorKey);
  // Antialiased into a format with alpha: coverage as alpha, no background.
  font.antialias = 4;
  TextImage smooth;
  ASSERT_EQ(smooth.Create("Hi", &font, kPixelFormatA8R8G8B8), 0);
  EXPECT_EQ(Alpha(smooth, 0, 0), 0u);
}

TEST_F(TextImageTest, TextWiderThanTheDeviceIsDrawnWholeAndShrunk) {
  BoxFont font(kFontKindOutline, 3000, 8);
  font.textRed = 255;
  font.textGreen = font.textBlue = 0;
  font.SetBackground(1, 0, 0, 0);
  TextImage image;
  ASSERT_EQ(image.Create("long", &font, kPixelFormatX8R8G8B8), 0);
  EXPECT_EQ(image.GetWidth(), 2048);
  EXPECT_EQ(image.GetContentWidth(), 3000);
  EXPECT_DOUBLE_EQ(image.TexelToU(3000), (double(3000 * 2048) / 3000 + 0.5) / 2048);
  // The block drawn at columns 1 to 4 (the measure's offset is 1) lands
  // near the left edge, shrunk by 2048 / 3000.
  EXPECT_EQ(SurfaceRgb(image.GetSurface(), 2, 3), 0xFF0000u);
  EXPECT_EQ(SurfaceRgb(image.GetSurface(), 5, 3), 0u);
}

TEST_F(TextImageTest, FailuresReleaseEverythingAndTheDefaultFontStandsIn) {
  BoxFont font(kFontKindOutline, 20, 10);
  TextImage image;
  EXPECT_EQ(image.Create(nullptr, &font, kPixelFormatX8R8G8B8), 1);
  // No font given and no default font: nothing to draw with.
  EXPECT_EQ(image.Create("a", nullptr, kPixelFormatX8R8G8B8), 2 + TextImage::kRenderNoText);
  EXPECT_FALSE(image.TextCopy().has_value());
  EXPECT_EQ(image.Create("a", &font, 3), 2 + TextImage::kRenderNoFormat);
  BoxFont odd(7, 20, 10);
  EXPECT_EQ(image.Create("a", &odd, kPixelFormatX8R8G8B8), 2 + TextImage::kRenderNoText);
  EXPECT_EQ(image.GetSurface(), nullptr);
  EXPECT_EQ(image.ClearColorKey(), 1);
  DdSurface::SetDefaultFont(&font);
  ASSERT_EQ(image.Create("a", nullptr, kPixelFormatX8R8G8B8), 0);
  EXPECT_EQ(font.draws, 1);
  image.ReleaseText();
  EXPECT_EQ(image.GetSurface(), nullptr);
  EXPECT_EQ(image.GetContentWidth(), 0);
  // Without a Direct3D device nothing is made.
  direct3d_ = false;
  Boot(32);
  EXPECT_EQ(image.Create("a", &font, kPixelFormatX8R8G8B8), 1);
}

TEST_F(TextImageTest, ALostTextureIsDrawnAgainWithItsKey) {
  BoxFont font(kFontKindOutline, 20, 10);
  font.textBlue = 255;
  font.SetBackground(1, 0, 255, 0);
  uint32_t handle = 0;
  const uint32_t fontHandle = device_->AddFont(std::make_unique<BoxFont>(kFontKindOutline, 20, 10));
  ASSERT_EQ(device_->CreateTextImage(&handle, "t", fontHandle, kPixelFormatR5G6B5), 0);
  TextureSource* listed = device_->GetTextureSource(handle);
  ASSERT_NE(listed, nullptr);
  EXPECT_EQ(listed->GetKind(), kImageKindTextImage);
  EXPECT_EQ(device_->CreateTextImage(&handle, nullptr, fontHandle, kPixelFormatR5G6B5), 1);
  EXPECT_EQ(handle, 0u);

  TextImage image;
  ASSERT_EQ(image.Create("t", &font, kPixelFormatR5G6B5), 0);
  const uint32_t key = image.GetColorKey();
  EXPECT_EQ(image.Restore(1), 0);
  EXPECT_EQ(font.draws, 1);
  image.GetSurface()->SetLost(true);
  EXPECT_EQ(image.Restore(1), 0);
  EXPECT_EQ(font.draws, 2);
  EXPECT_EQ(image.GetColorKey(), key);
  EXPECT_EQ(SurfaceRgb(image.GetSurface(), 0, 0), 0x00FF00u);
  // A device that lost its Direct3D side cannot make the texture again.
  direct3d_ = false;
  image.GetSurface()->SetLost(true);
  Boot(32);
  EXPECT_EQ(image.Restore(1), 1);
}


// The pixels of a display surface, cut to (width, height), that differ
// from the background colour.
int64_t InkOf(platform::SoftSurface* surface, int32_t width, int32_t height, uint32_t background) {
  int64_t ink = 0;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) ink += SurfaceRgb(surface, x, y) != background;
  return ink;
}

// Text images and text textures hold all of a text's ink whatever the
// font's angle: as much as the same text drawn by the same route in the
// middle of a large picture, in an image as large as the text's turned
// box. Device fonts at a quarter or half turn draw away from their pen;
// an image the size of the unturned measure held nothing of them.
TEST_F(TextImageTest, TurnedTextLiesInsideTheImage) {
  Boot(32);
  enum Kind { kOutline, kDevice, kDeviceOneBit };
  constexpr uint32_t kBackground = 0x0A14C8;
  for (Kind kind : {kOutline, kDevice, kDeviceOneBit}) {
    for (int32_t angle : {0, 900, 1800, 2700}) {
      SCOPED_TRACE(::testing::Message() << "kind " << int(kind) << " angle " << angle);
      std::unique_ptr<Font> font;
      if (kind == kOutline) {
        font = std::make_unique<OutlineFont>();
      } else {
        font = std::make_unique<GdiFont>();
      }
      ASSERT_EQ(font->SetFont(16, 0, 0, "IPAGothic"), 0);
      if (kind != kOutline) font->SetAntialias(kind == kDevice ? 2 : 0);
      ASSERT_EQ(font->SetAngle(angle), 0);
      font->SetBackground(1, 0x0A, 0x14, 0xC8);
      font->textRed = font->textGreen = font->textBlue = 255;
      const char* text = "Text";
      Size size;
      int32_t left = 0, top = 0;
      font->MeasureText(text, &size, &left, &top, true, nullptr);
      Rect box;
      font->GetRotatedBounds(&box, left, top, size.width, size.height);

      // The same text by the same route, far from every edge.
      Surface roomy;
      ASSERT_EQ(roomy.Create(200, 200, 32, Surface::kWithDeviceContext), 0);
      roomy.FillRgb(0x0A, 0x14, 0xC8, nullptr);
      if (kind == kDeviceOneBit) {
        ASSERT_EQ(DrawSurfaceGdiText(&roomy, 100, 100, text, font.get()), 0);
      } else {
        ASSERT_EQ(font->DrawText(&roomy, 100, 100, text, nullptr, nullptr), 0);
      }
      int64_t ink = 0;
      for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 200; ++x)
          ink += (reinterpret_cast<const uint32_t*>(roomy.GetScanLine(y))[x] & 0xFFFFFFu) != kBackground;
      EXPECT_GT(ink, 20);

      DdSurface plain;
      ASSERT_EQ(plain.SetText(text, font.get()), 0);
      EXPECT_EQ((Size{plain.GetWidth(), plain.GetHeight()}), (Size{box.Width(), box.Height()}));
      EXPECT_EQ(InkOf(plain.GetDisplaySurface(), plain.GetWidth(), plain.GetHeight(), kBackground), ink);

      TextImage texture;
      ASSERT_EQ(texture.Create(text, font.get(), kPixelFormatX8R8G8B8), 0);
      EXPECT_EQ((Size{texture.GetContentWidth(), texture.GetContentHeight()}), (Size{box.Width(), box.Height()}));
      EXPECT_EQ(InkOf(texture.GetSurface(), texture.GetContentWidth(), texture.GetContentHeight(), kBackground),
                ink);
    }
  }
}

}  // namespace
}  // namespace orrivel::testing
