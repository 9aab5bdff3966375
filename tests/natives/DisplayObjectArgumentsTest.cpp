// The resolvers every image native reaches its objects through: one table
// of handles of every image kind, and of handles that name no image.
#include "natives/DisplayObjectArguments.h"

#include <gtest/gtest.h>

#include "DisplayNativeRig.h"
#include "display/BoxFont.h"
#include "raster/PixelBuffer.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasDrawImage.h"
#include "scene/DecodedCanvasObjectA.h"
#include "scene/DecodedCanvasObjectB.h"

namespace orrivel::testing {
namespace {

using DisplayObjectArgumentsTest = DisplayNativeRig;

TEST_F(DisplayObjectArgumentsTest, HandlesResolveByTheKindOfTheirObject) {
  DisplayScreenDevice& d = Display();
  const uint32_t font = d.AddFont(std::make_unique<BoxFont>(kFontKindOutline, 8, 8));
  uint32_t blank = 0, text = 0, surface = 0, frames = 0, decodedA = 0, decodedB = 0, loaded = 0, created = 0;
  uint32_t deleted = 0;
  ASSERT_EQ(d.CreateBlankSurfaceImage(&blank, 8, 8, 0, 0, nullptr), 0);
  ASSERT_EQ(d.CreateDdSurface(&text, "text", font), 0);
  ASSERT_EQ(d.CreateSurface(&surface, 8, 8, 32, 0), 0);
  const uint32_t pixels = d.AddImage(std::make_unique<PixelBuffer>());
  ASSERT_EQ(d.CreateLockedFrameSource(&frames), 0);
  ASSERT_EQ(CreateDecodedCanvasObjectA(d, &decodedA, 8, 8, 32, 1), 0);
  ASSERT_EQ(CreateDecodedCanvasObjectB(d, &decodedB, kPixelFormatX8R8G8B8, 8, 8, 32, 1), 0);
  ASSERT_EQ(CreateCanvasDrawObjectForSource(d, &loaded, 8, 8, 32, 1), 0);
  ASSERT_EQ(CreateCanvasDrawObject(d, &created, 8, 8, 32, 1), 0);
  ASSERT_EQ(d.CreateSurface(&deleted, 8, 8, 32, 0), 0);
  const uint32_t stale = deleted;
  ASSERT_EQ(d.DeleteImage(&deleted), 0);

  struct Row {
    const char* what;
    uint32_t handle;
    int kind;  // -1: no image at all
    bool surface;
    bool canvas;
  };
  const Row rows[] = {
      {"surface image", blank, 0, false, false},     {"text surface", text, 1, false, false},
      {"memory picture", surface, 4, true, false},   {"pixel buffer", pixels, 5, false, false},
      {"frame source", frames, 6, false, false},     {"decoded canvas A", decodedA, 7, true, true},
      {"decoded canvas B", decodedB, 8, true, true}, {"loaded canvas", loaded, 9, true, true},
      {"created canvas", created, 10, true, true},   {"none", 0, -1, false, false},
      {"deleted", stale, -1, false, false},          {"a font", font, -1, false, false},
      {"forged", 0x7FFFFFFFu, -1, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Image* image = GetObjectImage(&d, row.handle);
    ASSERT_EQ(image != nullptr, row.kind >= 0);
    if (image != nullptr) {
      EXPECT_EQ(image->GetKind(), row.kind);
    }
    Surface* drawn = GetObjectSurface(&d, row.handle);
    CanvasDrawObject* part = GetCanvasPart(&d, row.handle);
    EXPECT_EQ(drawn != nullptr, row.surface);
    EXPECT_EQ(part != nullptr, row.canvas);
    SpriteCanvas* kept = reinterpret_cast<SpriteCanvas*>(&d);
    EXPECT_EQ(GetCanvasPartWithSpriteCanvas(&d, row.handle, &kept), part);
    if (part == nullptr) {
      EXPECT_EQ(GetObjectSpriteCanvas(&d, row.handle), nullptr);
      EXPECT_EQ(kept, reinterpret_cast<SpriteCanvas*>(&d)) << "the output stays untouched";
      continue;
    }
    // The canvas kinds answer their part's own surface and sprite canvas.
    EXPECT_EQ(drawn, part->GetSurface());
    EXPECT_NE(part->GetCanvas(), nullptr);
    EXPECT_EQ(GetObjectSpriteCanvas(&d, row.handle), part->GetCanvas());
    EXPECT_EQ(kept, part->GetCanvas());
  }
  // The current display's list is the one the short forms use.
  EXPECT_EQ(GetObjectSurface(surface), GetObjectSurface(&d, surface));
  EXPECT_EQ(GetObjectSurface(&d, surface), dynamic_cast<Surface*>(d.GetImage(surface)));
}

TEST_F(DisplayObjectArgumentsTest, ACanvasWithoutASpriteCanvasHasNone) {
  uint32_t plain = 0;
  ASSERT_EQ(CreateCanvasDrawObject(Display(), &plain, 8, 8, 32, 0), 0);
  EXPECT_NE(GetCanvasPart(&Display(), plain), nullptr);
  EXPECT_NE(GetObjectSurface(&Display(), plain), nullptr);
  EXPECT_EQ(GetObjectSpriteCanvas(&Display(), plain), nullptr);
  // Without a display nothing resolves.
  EXPECT_EQ(GetObjectSurface(nullptr, plain), nullptr);
}

}  // namespace
}  // namespace orrivel::testing
