// The canvas background's cached copy (work copy, stretch, turn) and
// composing the scene into another surface.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "SceneTestSupport.h"
#include "raster/ColorBox.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::Bytes;
using test::MakeSolid32;
using test::MakeSurface32;
using test::MakeSurface8;
using test::Pixel32;

constexpr uint32_t kColour = 0xFF203040u;

class SpriteCanvasBackgroundTest : public test::SceneTest {
 protected:
  void TearDown() override {
    SpriteCanvas::SetBandedRendering(true);
    test::SceneTest::TearDown();
  }
};

TEST_F(SpriteCanvasBackgroundTest, WorkCopyIsMadeOnceAtTheTargetsSize) {
  SpriteCanvas canvas;
  EXPECT_EQ(canvas.CreateBackgroundCopy(0), 1);
  auto target = MakeSolid32(40, 30, 0);
  ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
  ASSERT_EQ(canvas.CreateBackgroundCopy(0), 0);
  Surface* copy = canvas.BackCopy();
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetWidth(), 40);
  EXPECT_EQ(copy->GetHeight(), 30);
  EXPECT_EQ(copy->GetBitsPerPixel(), 32);
  ASSERT_EQ(canvas.CreateBackgroundCopy(0), 0);
  EXPECT_EQ(canvas.BackCopy(), copy);  // kept
  ASSERT_EQ(canvas.CreateBackgroundCopy(1), 0);
  ASSERT_NE(canvas.BackCopy(), nullptr);
  // What the user draws into it is the background of the next render.
  canvas.BackCopy()->FillRect(0xFF00FF00u, nullptr);
  canvas.MarkAllChanged();
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel32(*target, 39, 29), 0xFF00FF00u);
}

TEST_F(SpriteCanvasBackgroundTest, StretchFillsAroundThePictureAndTheIdentityReleasesTheCopy) {
  auto target = MakeSolid32(640, 480, 0);
  auto picture = MakeSurface32(64, 48, [](int x, int) { return x < 32 ? 0xFFFF0000u : 0xFF0000FFu; });
  SpriteCanvas canvas;
  ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
  EXPECT_FALSE(canvas.SetBackgroundStretch(0, 0, 10, 10, nullptr));  // no picture
  canvas.StoreBackgroundValue(kColour);
  canvas.SetBackgroundImage(picture.get(), 0, 0, 1);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_TRUE(canvas.SetBackgroundStretch(100, 100, 200, 150, nullptr));
  EXPECT_EQ(canvas.StretchWidth(), 200);
  ASSERT_NE(canvas.BackCopy(), nullptr);
  EXPECT_EQ(canvas.Region().Count(), 1);  // everything to repaint
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel32(*target, 50, 50), kColour);
  EXPECT_EQ(Pixel32(*target, 400, 300), kColour);
  EXPECT_EQ(Pixel32(*target, 100, 100), 0xFFFF0000u);
  EXPECT_EQ(Pixel32(*target, 299, 249), 0xFF0000FFu);
  EXPECT_EQ(Pixel32(*target, 300, 249), kColour);
  EXPECT_FALSE(canvas.SetBackgroundStretch(100, 100, 200, 150, nullptr));  // unchanged
  EXPECT_EQ(canvas.Render(nullptr, nullptr, 0, 0), -1);

  // A source rectangle partly off the picture: only its part on the
  // picture is read, at its place in the stretch.
  const Rect overhang{32, 0, 96, 48};
  EXPECT_TRUE(canvas.SetBackgroundStretch(0, 0, 640, 480, &overhang));
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel32(*target, 10, 10), 0xFF0000FFu);
  EXPECT_EQ(Pixel32(*target, 319, 10), 0xFF0000FFu);
  EXPECT_EQ(Pixel32(*target, 330, 10), kColour);

  EXPECT_TRUE(canvas.SetBackgroundStretch(0, 0, 640, 480, nullptr));  // the identity
  EXPECT_EQ(canvas.BackCopy(), nullptr);
  EXPECT_EQ(canvas.StretchWidth(), 0);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel32(*target, 10, 10), 0xFFFF0000u);  // the picture itself, at offsets
  EXPECT_EQ(Pixel32(*target, 40, 10), 0xFF0000FFu);
  EXPECT_TRUE(canvas.SetBackgroundStretch(5, 5, 0, 0, nullptr));  // w and h 0: plain again
  EXPECT_EQ(canvas.BackCopy(), nullptr);

  // Non-positive sizes mean the target's; an 8-bit picture fills with its
  // palette index.
  auto indexed = MakeSurface8(16, 16, [](int, int) { return 9; });
  auto target8 = MakeSurface8(32, 32, [](int, int) { return 0; });
  SpriteCanvas small;
  ASSERT_EQ(small.SetTarget(target8.get(), 0), 0);
  small.StoreBackgroundValue(0x00070000u);  // index 7
  small.SetBackgroundImage(indexed.get(), 0, 0, 1);
  EXPECT_TRUE(small.SetBackgroundStretch(8, 0, -1, 16, nullptr));
  EXPECT_EQ(small.StretchWidth(), 32);
  ASSERT_EQ(small.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(target8->GetPixel(3, 3), 7u);
  EXPECT_EQ(target8->GetPixel(12, 3), 9u);
  EXPECT_EQ(target8->GetPixel(12, 20), 7u);
}

TEST_F(SpriteCanvasBackgroundTest, RotationTurnsAboutThePivotAndRefusesOtherDepths) {
  auto target = MakeSolid32(64, 48, 0);
  auto picture = MakeSurface32(64, 48, [](int x, int) { return x < 32 ? 0xFFFF0000u : 0xFF0000FFu; });
  SpriteCanvas canvas;
  ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
  canvas.StoreBackgroundValue(kColour);
  EXPECT_FALSE(canvas.SetBackgroundRotation(0, 0, 256, 1.0));  // no picture

  // Surfaces hold 8 or 32 bits: the 8-bit picture stands for every depth
  // other than 32.
  auto indexed = MakeSurface8(64, 48, [](int x, int) { return x; });
  canvas.SetBackgroundImage(indexed.get(), 0, 0, 1);
  EXPECT_FALSE(canvas.SetBackgroundRotation(0, 0, 256, 1.0));
  EXPECT_EQ(canvas.BackCopy(), nullptr);

  canvas.SetBackgroundImage(picture.get(), 0, 0, 1);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_TRUE(canvas.SetBackgroundRotation(0, 0, 256, 1.0));  // half a turn about the middle
  EXPECT_EQ(canvas.BackgroundAngle(), 256);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel32(*target, 5, 10), 0xFF0000FFu);
  EXPECT_EQ(Pixel32(*target, 60, 40), 0xFFFF0000u);
  EXPECT_FALSE(canvas.SetBackgroundRotation(0, 0, 256, 1.0));  // the same: nothing to repaint
  EXPECT_EQ(canvas.Render(nullptr, nullptr, 0, 0), -1);

  // Moved and halved: the area the picture leaves holds the colour.
  EXPECT_TRUE(canvas.SetBackgroundRotation(10, 0, 0, 0.5));
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel32(*target, 2, 2), kColour);
  EXPECT_EQ(Pixel32(*target, 28, 24), 0xFFFF0000u);  // centre (32, 24) - 16 + 10
  EXPECT_EQ(Pixel32(*target, 48, 24), 0xFF0000FFu);

  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double scale : {nan, std::numeric_limits<double>::infinity(), 1e300})
    EXPECT_FALSE(canvas.SetBackgroundRotation(1, 2, 3, scale)) << scale;
  EXPECT_EQ(canvas.BackgroundAngle(), 0);
  EXPECT_EQ(canvas.BackgroundScale(), 0.5);

  EXPECT_TRUE(canvas.SetBackgroundRotation(0, 0, 512, 1.0));  // the identity
  EXPECT_EQ(canvas.BackCopy(), nullptr);
  EXPECT_EQ(canvas.BackgroundScale(), 0.0);
  EXPECT_TRUE(canvas.SetBackgroundRotation(0, 0, 100, 0.0));  // scale 0: the picture itself
  EXPECT_EQ(canvas.BackCopy(), nullptr);
  // A stretch is not mistaken for the same rotation.
  ASSERT_TRUE(canvas.SetBackgroundStretch(0, 0, 32, 24, nullptr));
  EXPECT_TRUE(canvas.SetBackgroundRotation(0, 0, 100, 1.0));
  EXPECT_EQ(canvas.StretchWidth(), 0);
}

class RenderIntoTest : public SpriteCanvasBackgroundTest {
 protected:
  void SetUp() override {
    SpriteCanvasBackgroundTest::SetUp();
    target = MakeSolid32(48, 32, 0);
    ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
    canvas.SetBackgroundValue(kColour, 0);
    const uint32_t colours[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    for (int i = 0; i < 3; ++i) {
      boxes[i].Init(8, 8, colours[i], 4 + i * 12, 4);
      boxes[i].SetTag(uint32_t(i == 1 ? 5 : 1));
      canvas.MainList().Add(&boxes[i], uint32_t(i), 0);
    }
    overlayBox.Init(8, 8, 0xFFFFFFFFu, 4, 20);
    overlay.Add(&overlayBox, 0, 0);
    canvas.SetOverlayList(&overlay);
  }
  void TearDown() override {
    canvas.MainList().Clear();
    overlay.Clear();
    SpriteCanvasBackgroundTest::TearDown();
  }
  std::unique_ptr<Surface> target;
  SpriteList overlay;  // outlives the canvas that borrows it
  SpriteCanvas canvas;
  ColorBox boxes[3];
  ColorBox overlayBox;
};

TEST_F(RenderIntoTest, FilterModesOverlayAndRefusals) {
  auto dest = MakeSolid32(48, 32, 0);
  const int32_t dirtyBefore = canvas.Region().Count();
  const bool changedBefore = boxes[0].IsChanged();
  struct Case {
    uint8_t mode;
    uint8_t overlay;
    bool red, green, blue, white;
  } const cases[] = {
      {0, 0, true, true, true, false},   {0, 1, true, true, true, true},
      {1, 0, false, true, false, false},  // tag 5 only
      {2, 0, true, false, true, false},   // every tag but 5
      {3, 1, false, false, false, false},
  };
  for (bool banded : {true, false}) {
    SpriteCanvas::SetBandedRendering(banded);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " overlay " << int(c.overlay) << " banded "
                                      << banded);
      dest->FillRect(0, nullptr);
      ASSERT_EQ(canvas.RenderInto(dest.get(), c.mode, 5, c.overlay), 0);
      EXPECT_EQ(Pixel32(*dest, 0, 0), kColour);
      EXPECT_EQ(Pixel32(*dest, 5, 5), c.red ? 0xFFFF0000u : kColour);
      EXPECT_EQ(Pixel32(*dest, 17, 5), c.green ? 0xFF00FF00u : kColour);
      EXPECT_EQ(Pixel32(*dest, 29, 5), c.blue ? 0xFF0000FFu : kColour);
      EXPECT_EQ(Pixel32(*dest, 5, 21), c.white ? 0xFFFFFFFFu : kColour);
    }
  }
  // The canvas's own state is neither read nor changed.
  EXPECT_EQ(canvas.Region().Count(), dirtyBefore);
  EXPECT_EQ(boxes[0].IsChanged(), changedBefore);
  EXPECT_EQ(Pixel32(*target, 5, 5), 0u);
  canvas.SetHideMain(true);
  ASSERT_EQ(canvas.RenderInto(dest.get(), 0, 0, 1), 0);
  EXPECT_EQ(Pixel32(*dest, 5, 5), kColour);
  EXPECT_EQ(Pixel32(*dest, 5, 21), 0xFFFFFFFFu);
  canvas.SetHideMain(false);

  auto narrow = MakeSolid32(47, 32, 0);
  Surface bare;
  EXPECT_EQ(canvas.RenderInto(narrow.get(), 0, 0, 0), 2);
  EXPECT_EQ(canvas.RenderInto(nullptr, 0, 0, 0), 1);
  EXPECT_EQ(canvas.RenderInto(&bare, 0, 0, 0), 1);
  SpriteCanvas empty;
  EXPECT_EQ(empty.RenderInto(dest.get(), 0, 0, 0), 2);
}

TEST_F(RenderIntoTest, ComposesTheSameBytesAsAFullRender) {
  auto picture = MakeSurface32(64, 64, [](int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4); });
  canvas.SetBackgroundImage(picture.get(), 3, 7, 1);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  for (bool banded : {true, false}) {
    SpriteCanvas::SetBandedRendering(banded);
    auto dest = MakeSolid32(48, 32, 0);
    ASSERT_EQ(canvas.RenderInto(dest.get(), 0, 0, 1), 0);
    EXPECT_EQ(Bytes(*dest), Bytes(*target)) << banded;
  }
}

}  // namespace
}  // namespace orrivel
