// Text onto surfaces: the default font, the refusals of each operation,
// surfaces made to fit a text, and the dirty region.
#include "text/SurfaceText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "raster/Surface.h"
#include "text/FontTestSupport.h"
#include "text/GdiFont.h"
#include "text/OutlineFont.h"
#include "text/TextGolden.h"

namespace orrivel {
namespace {

class SurfaceTextTest : public FontTest {
 protected:
  void TearDown() override {
    SetDefaultFont(nullptr);
    FontTest::TearDown();
  }
};

TEST_F(SurfaceTextTest, NullAndEmptyTextAndMissingFonts) {
  ASSERT_EQ(DefaultFont(), nullptr);
  Surface surface;
  EXPECT_EQ(CreateSurfaceFromText(&surface, "", nullptr, 0), kTextEmpty);
  EXPECT_EQ(CreateSurfaceFromText(&surface, nullptr, nullptr, 0), kTextEmpty);
  EXPECT_EQ(surface.GetBits(), nullptr) << "nothing is created";
  EXPECT_EQ(CreateSurfaceFromText(&surface, "a", nullptr, 0), kTextNoFont);
  ASSERT_EQ(surface.Create(20, 20, 32, Surface::kWithDeviceContext), 0);
  EXPECT_EQ(DrawSurfaceText(&surface, 0, 0, "a", nullptr), 2);
  EXPECT_EQ(DrawSurfaceGdiText(&surface, 0, 0, "a", nullptr), 2);
  EXPECT_EQ(DrawSurfaceFontText(&surface, 0, 0, "a", nullptr), 2);
  EXPECT_EQ(DrawSurfaceText(&surface, 0, 0, "", nullptr), 1);
  EXPECT_EQ(DrawSurfaceGdiText(&surface, 0, 0, nullptr, nullptr), 1);
  EXPECT_EQ(DrawSurfaceFontText(&surface, 0, 0, "", nullptr), 1);
  // Each operation takes only its kind of font.
  auto outline = Gothic(16);
  GdiFont device;
  ASSERT_EQ(device.SetFont(16, 0, 0, nullptr), 0);
  EXPECT_EQ(DrawSurfaceText(&surface, 0, 0, "a", &device), 2);
  EXPECT_EQ(DrawSurfaceGdiText(&surface, 0, 0, "a", outline.get()), 2);
  Surface plain;
  ASSERT_EQ(plain.Create(20, 20, 32, 0), 0);
  EXPECT_EQ(DrawSurfaceGdiText(&plain, 0, 0, "a", &device), 1) << "no context";
  // An unmade font's drawing error comes back raised by 2.
  OutlineFont unmade;
  EXPECT_EQ(DrawSurfaceText(&surface, 0, 0, "a", &unmade), 3);
  EXPECT_EQ(DrawSurfaceFontText(&surface, 0, 0, "a", &unmade), 3);
  SetDefaultFont(outline.get());
  EXPECT_EQ(DrawSurfaceText(&surface, 0, 0, "a", nullptr), 0);
}

TEST_F(SurfaceTextTest, DrawingRecordsTheClippedAreaAndMarksTheSurface) {
  auto font = Gothic(16);
  Surface surface;
  ASSERT_EQ(surface.Create(30, 20, 32, Surface::kWithRegion | Surface::kWithDeviceContext), 0);
  surface.FillRect(0, nullptr);
  surface.Region()->Reset();
  surface.ClearChanged();
  ASSERT_EQ(DrawSurfaceText(&surface, 20, 2, "ABC", font.get()), 0);
  EXPECT_TRUE(surface.Changed());
  ASSERT_TRUE(surface.Region()->BoundsValid());
  Rect bounds = surface.Region()->Bounds();
  EXPECT_LE(bounds.right, 30);
  EXPECT_GE(bounds.left, 20);
  GdiFont device;
  ASSERT_EQ(device.SetFont(16, 0, 0, nullptr), 0);
  surface.Region()->Reset();
  ASSERT_EQ(DrawSurfaceGdiText(&surface, -4, 0, "AB", &device), 0);
  ASSERT_TRUE(surface.Region()->BoundsValid());
  bounds = surface.Region()->Bounds();
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(device.MeasureText("", nullptr, nullptr, nullptr, true, nullptr), 1);
}

// The share of the surface's pixels whose alpha is 0: away from the glyphs
// and their outline or shadow nothing was drawn, and nothing may show there.
double ClearShare(Surface& surface) {
  size_t clear = 0;
  for (int32_t y = 0; y < surface.GetHeight(); ++y)
    for (int32_t x = 0; x < surface.GetWidth(); ++x)
      clear += (reinterpret_cast<const uint32_t*>(surface.GetScanLine(y))[x] >> 24) == 0;
  return double(clear) / (double(surface.GetWidth()) * double(surface.GetHeight()));
}

// The surface fits the text: the measure for a device font, the turned
// measure for an outline font, and every pixel drawn lies inside; the
// pixels between the glyphs stay clear.
TEST_F(SurfaceTextTest, CreatedSurfacesFitTheirText) {
  for (int32_t angle : {0, 2700}) {
    SCOPED_TRACE(angle);
    auto font = Gothic(20, angle ? "@ＭＳ ゴシック" : "ＭＳ ゴシック");
    ASSERT_EQ(font->SetAngle(angle), 0);
    font->effectMode = kEffectOutline;
    const std::string text = Sjis("文字\nab");
    Size size;
    font->MeasureText(text.c_str(), &size, nullptr, nullptr, true, nullptr);
    Surface surface;
    ASSERT_EQ(CreateSurfaceFromText(&surface, text.c_str(), font.get(), 0), 0);
    EXPECT_EQ(surface.GetBitsPerPixel(), 32);
    const Size made{surface.GetWidth(), surface.GetHeight()};
    EXPECT_EQ(made, (angle ? Size{size.height, size.width} : size));
    // Ink reaches every edge's neighbourhood: the text is not shifted out.
    int32_t inkLeft = made.width, inkTop = made.height;
    for (int32_t y = 0; y < made.height; ++y)
      for (int32_t x = 0; x < made.width; ++x)
        if (reinterpret_cast<const uint32_t*>(surface.GetScanLine(y))[x] >> 24) {
          inkLeft = std::min(inkLeft, x);
          inkTop = std::min(inkTop, y);
        }
    EXPECT_LE(inkLeft, 4);
    EXPECT_LE(inkTop, 4);
    // "ab" is half as wide as the line above it: a quarter of the box at
    // least holds no ink.
    EXPECT_GT(ClearShare(surface), 0.25);
  }
  GdiFont device;
  ASSERT_EQ(device.SetFont(16, 0, 0, nullptr), 0);
  device.effectMode = kEffectShadow;
  device.shadowX = -2;
  device.shadowY = 3;
  Size size;
  device.MeasureText("ab\nc", &size, nullptr, nullptr, true, nullptr);
  for (uint8_t level : {0, 2}) {
    device.SetAntialias(level);
    Surface surface;
    ASSERT_EQ(CreateSurfaceFromText(&surface, "ab\nc", &device, Surface::kWithDeviceContext), 0);
    EXPECT_EQ((Size{surface.GetWidth(), surface.GetHeight()}), size);
    if (level != 0) {
      EXPECT_GT(ClearShare(surface), 0.25);
    }
    if (level == 0) {
      EXPECT_EQ(surface.GetColorKey(), 0x00FF00u) << "the background colour keys the text";
      EXPECT_EQ(device.backgroundMode, 1) << "the font's settings come back";
    }
  }
}


// The pixels of a 32-bit surface that show text: those with any alpha, or
// on a keyed surface those that differ from the key.
int64_t InkOf(Surface& surface) {
  const uint32_t key = surface.GetColorKey();
  int64_t ink = 0;
  for (int32_t y = 0; y < surface.GetHeight(); ++y)
    for (int32_t x = 0; x < surface.GetWidth(); ++x) {
      const uint32_t p = reinterpret_cast<const uint32_t*>(surface.GetScanLine(y))[x];
      ink += key == kNoColorKey ? (p >> 24) != 0 : (p & 0xFFFFFFu) != key;
    }
  return ink;
}

// Lays a text surface over a picture by its alpha, at (x, y), cut to the
// picture.
void ShowOver(Surface& picture, Surface& text, int32_t x, int32_t y) {
  for (int32_t ty = 0; ty < text.GetHeight() && y + ty < picture.GetHeight(); ++ty)
    for (int32_t tx = 0; tx < text.GetWidth() && x + tx < picture.GetWidth(); ++tx) {
      const uint32_t t = reinterpret_cast<const uint32_t*>(text.GetScanLine(ty))[tx];
      uint32_t& p = reinterpret_cast<uint32_t*>(picture.GetScanLine(y + ty))[x + tx];
      const uint32_t a = t >> 24;
      uint32_t out = 0xFF000000u;
      for (int shift : {0, 8, 16})
        out |= ((((t >> shift) & 0xFF) * a + ((p >> shift) & 0xFF) * (255 - a)) / 255) << shift;
      p = out;
    }
}

constexpr int32_t kPanel = 56;

// A surface made to fit a text holds all of its ink whatever the font's
// angle: as much as the same text drawn by the same route in the middle of
// a large picture, and it is as large as the text's turned box. Device
// fonts at a quarter or half turn draw away from their pen; a surface the
// size of the unturned measure held nothing of them.
TEST_F(SurfaceTextTest, TurnedTextLiesInsideItsSurface) {
  enum Kind { kOutline, kDevice, kDeviceOneBit };
  const std::string text = Sjis("文字ab");
  Surface panels;
  ASSERT_EQ(panels.Create(4 * kPanel, kPanel, 32, 0), 0);
  panels.FillRect(0xFF303840u, nullptr);
  for (Kind kind : {kOutline, kDevice, kDeviceOneBit}) {
    for (int32_t angle : {0, 900, 1800, 2700}) {
      SCOPED_TRACE(::testing::Message() << "kind " << int(kind) << " angle " << angle);
      std::unique_ptr<Font> font;
      if (kind == kOutline) {
        font = Gothic(16);
      } else {
        auto device = std::make_unique<GdiFont>();
        ASSERT_EQ(device->SetFont(16, 0, 0, Sjis("ＭＳ ゴシック").c_str()), 0);
        device->SetAntialias(kind == kDevice ? 2 : 0);
        font = std::move(device);
      }
      ASSERT_EQ(font->SetAngle(angle), 0);
      test::UseGoldenColours(*font);
      Size size;
      int32_t left = 0, top = 0;
      font->MeasureText(text.c_str(), &size, &left, &top, true, nullptr);
      Rect box;
      font->GetRotatedBounds(&box, left, top, size.width, size.height);

      Surface made;
      ASSERT_EQ(CreateSurfaceFromText(&made, text.c_str(), font.get(), Surface::kWithDeviceContext), 0);
      EXPECT_EQ((Size{made.GetWidth(), made.GetHeight()}), (Size{box.Width(), box.Height()}));
      EXPECT_LE(std::max(made.GetWidth(), made.GetHeight()), kPanel - 4);

      // The same text by the same route, far from every edge.
      Surface roomy;
      ASSERT_EQ(roomy.Create(200, 200, 32, Surface::kWithDeviceContext), 0);
      if (kind == kDeviceOneBit) {
        roomy.FillRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue, nullptr);
        roomy.SetColorKeyRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue);
        ASSERT_EQ(DrawSurfaceGdiText(&roomy, 100, 100, text.c_str(), font.get()), 0);
      } else {
        roomy.FillRect(0, nullptr);
        ASSERT_EQ(font->DrawTextClipped(&roomy, 100, 100, text.c_str(), nullptr, nullptr), 0);
      }
      const int64_t ink = InkOf(roomy);
      EXPECT_GT(ink, 40);
      EXPECT_EQ(InkOf(made), ink);

      if (kind == kDevice) ShowOver(panels, made, angle / 900 * kPanel + 2, 2);
    }
  }
  test::ExpectTextGolden(panels, "device_quarter_turns");
}

}  // namespace
}  // namespace orrivel
