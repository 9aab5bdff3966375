// Text onto surfaces: the default font, the refusals of each operation,
// surfaces made to fit a text, and the dirty region.
#include "text/SurfaceText.h"

#include <gtest/gtest.h>

#include "raster/Surface.h"
#include "text/FontTestSupport.h"
#include "text/GdiFont.h"
#include "text/OutlineFont.h"

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

}  // namespace
}  // namespace orrivel
