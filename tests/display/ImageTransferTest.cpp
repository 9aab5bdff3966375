// Copies into a surface from every kind of image: display-surface images
// through their device context, canvas draw objects from their composed
// surface, memory images directly; other kinds and empty images refused.
#include <gtest/gtest.h>

#include "display/BoxFont.h"
#include "display/DdSurface.h"
#include "display/DrawObjectManager.h"
#include "display/SurfaceImageRig.h"
#include "raster/PixelBuffer.h"
#include "raster/SurfaceDrawing.h"
#include "scene/CanvasDrawImage.h"

namespace orrivel {
namespace {

using testing::FixtureColor;

class ImageTransferTest : public testing::SurfaceImageRig {};

uint32_t Rgb(Surface& s, int32_t x, int32_t y) { return s.GetPixel(x, y) & 0x00FFFFFFu; }

TEST_F(ImageTransferTest, EveryImageKindCopiesIntoASurface) {
  Boot(32);
  const auto bytes = testing::FixtureElg(24, 6, 4, false);
  DrawObjectManager manager;
  uint32_t picture = 0, text = 0, created = 0, loaded = 0;
  ASSERT_EQ(manager.CreateSurfaceImageFromFile(&picture, nullptr, bytes.data(), bytes.size(), 0), 0);
  const uint32_t font = manager.AddFont(std::make_unique<testing::BoxFont>(kFontKindOutline, 6, 4));
  manager.GetFont(font)->textRed = 250;
  manager.GetFont(font)->textGreen = 0;
  manager.GetFont(font)->textBlue = 0;
  ASSERT_EQ(manager.CreateDdSurface(&text, "text", font), 0);
  ASSERT_EQ(CreateCanvasDrawObject(manager, &created, 6, 4, 32, 1), 0);
  ASSERT_EQ(CreateCanvasDrawObjectForSource(manager, &loaded, 6, 4, 32, 0), 0);
  EXPECT_EQ(manager.GetImage(created)->GetKind(), kImageKindCreatedCanvas);
  EXPECT_EQ(manager.GetImage(loaded)->GetKind(), kImageKindLoadedCanvas);
  manager.GetImage(loaded)->GetHeldSurface()->FillRgb(1, 2, 3, nullptr);
  Surface memory;
  ASSERT_EQ(memory.Create(6, 4, 32, 0), 0);
  memory.FillRgb(4, 5, 6, nullptr);
  DibImage plain;
  ASSERT_EQ(plain.Create(6, 4, 8, false), 0);
  ASSERT_EQ(plain.SetPalette(nullptr, 0, 256, 0), 0);
  plain.FillRgb(77, 0, 0, nullptr, nullptr);
  struct Case {
    const char* what;
    Image* source;
    uint32_t at11;  // the colour copied to (11, 11) from source pixel (1, 1)
  };
  const Case cases[] = {
      {"surface image", manager.GetImage(picture), FixtureColor(1, 1)},
      {"text surface image", manager.GetImage(text), 0x00FF00},
      {"canvas created of a size", manager.GetImage(created), 0},
      {"canvas loaded for a source", manager.GetImage(loaded), 0x010203},
      {"surface", &memory, 0x040506},
      {"plain memory image", &plain, 0x4D4D4D},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Surface target;
    ASSERT_EQ(target.Create(20, 20, 32, Surface::kWithRegion), 0);
    target.FillRgb(9, 9, 9, nullptr);
    target.Region()->Reset();
    ASSERT_EQ(BltToDC(&target, c.source, 10, 10, nullptr), 0);
    EXPECT_EQ(Rgb(target, 11, 11), c.at11);
    EXPECT_EQ(Rgb(target, 9, 9), 0x090909u);
    EXPECT_EQ(target.Region()->Rects(), std::vector<Rect>{(Rect{10, 10, 16, 14})});
    // Stretched twice as large from a part of the source.
    Surface wide;
    ASSERT_EQ(wide.Create(20, 20, 32, 0), 0);
    wide.FillRgb(0, 0, 0, nullptr);
    const Size twice{4, 4};
    const Rect part{1, 1, 3, 3};
    ASSERT_EQ(StretchToDC(&wide, c.source, &twice, 0, 0, &part), 0);
    EXPECT_EQ(Rgb(wide, 0, 0), c.at11);
    EXPECT_EQ(Rgb(wide, 1, 1), c.at11);
    EXPECT_EQ(Rgb(wide, 4, 4), 0u);
  }
  // The text surface's block of text colour reached the copy as well.
  Surface target;
  ASSERT_EQ(target.Create(8, 8, 32, 0), 0);
  ASSERT_EQ(BltToDC(&target, manager.GetImage(text), 0, 0, nullptr), 0);
  EXPECT_GT(Rgb(target, 2, 3) >> 16, 240u);
  // Refused: no source, a kind without a copy, a released display surface,
  // a busy display surface, and no pixels in the destination.
  PixelBuffer frame;
  ASSERT_EQ(PixelBufferCreate(frame, 2, 2, 32), 0);
  EXPECT_EQ(BltToDC(&target, nullptr, 0, 0, nullptr), 1);
  EXPECT_EQ(BltToDC(&target, &frame, 0, 0, nullptr), 1);
  SurfaceImage released;
  EXPECT_EQ(BltToDC(&target, &released, 0, 0, nullptr), 1);
  manager.GetImage(picture)->GetDisplaySurface()->SetBusy(1);
  EXPECT_EQ(BltToDC(&target, manager.GetImage(picture), 0, 0, nullptr), 2);
  Surface empty;
  EXPECT_EQ(BltToDC(&empty, &memory, 0, 0, nullptr), 1);
  EXPECT_EQ(StretchToDC(&empty, &memory, nullptr, 0, 0, nullptr), 1);
  // Nothing visible is no failure.
  EXPECT_EQ(BltToDC(&target, manager.GetImage(picture), 50, 50, nullptr), 0);
}

}  // namespace
}  // namespace orrivel
