#include "scene/SpriteCanvas.h"

#include <gtest/gtest.h>

#include <vector>

#include "SceneTestSupport.h"
#include "raster/ColorBox.h"
#include "scene/ImageSprite.h"

namespace orrivel {
namespace {

using test::Bytes;
using test::MakeSolid32;
using test::MakeSurface32;
using test::Pixel32;

// A drawable that records every repaint request instead of drawing.
class ProbeDrawable : public ColorBox {
 public:
  int Draw(Surface* surface, const Rect& clip) override {
    clips.push_back(clip);
    return ColorBox::Draw(surface, clip);
  }
  std::vector<Rect> clips;
};

class SpriteCanvasTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    SpriteCanvas::SetBandedRendering(true);
    SpriteCanvas::SetCoalesceAfterCollect(true);
    target = MakeSolid32(64, 48, 0xFF000000u);
    ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
    canvas.SetBackgroundValue(0xFF102030u, 0);
  }
  void TearDown() override {
    SpriteCanvas::SetBandedRendering(true);
    test::SceneTest::TearDown();
  }
  std::unique_ptr<Surface> target;
  SpriteCanvas canvas;
};

TEST_F(SpriteCanvasTest, AnUnchangedFramePaintsNothing) {
  ProbeDrawable box;
  box.Init(10, 10, 0xFFFF0000u, 5, 5);
  ASSERT_EQ(canvas.MainList().Add(&box, 1, 0), 0);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(box.clips, (std::vector<Rect>{{5, 5, 15, 15}}));
  EXPECT_EQ(Pixel32(*target, 5, 5), 0xFFFF0000u);
  EXPECT_EQ(Pixel32(*target, 0, 0), 0xFF000000u);  // never dirty, never painted
  box.clips.clear();
  const std::vector<uint8_t> before = Bytes(*target);
  EXPECT_EQ(canvas.Render(nullptr, nullptr, 0, 0), -1);
  EXPECT_TRUE(box.clips.empty());
  EXPECT_EQ(Bytes(*target), before);
}

TEST_F(SpriteCanvasTest, MovingHidingAndRemovingDirtyOldAndNewPlaces) {
  ColorBox box;
  box.Init(8, 8, 0xFFFFFFFFu, 0, 0);
  canvas.MainList().Add(&box, 1, 0);
  canvas.Render(nullptr, nullptr, 0, 0);
  box.SetPosition(20, 10);
  SpriteList::Node* tail = nullptr;
  canvas.CollectDirty(&tail, nullptr);
  EXPECT_EQ(tail->drawable, &box);
  EXPECT_EQ(canvas.Region().Rects(), (std::vector<Rect>{{0, 0, 8, 8}, {20, 10, 28, 18}}));
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel32(*target, 0, 0), 0xFF102030u);  // old place erased
  EXPECT_EQ(Pixel32(*target, 20, 10), 0xFFFFFFFFu);

  box.SetVisible(0);
  canvas.CollectDirty(nullptr, nullptr);
  EXPECT_EQ(canvas.Region().Rects(), (std::vector<Rect>{{20, 10, 28, 18}}));
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel32(*target, 20, 10), 0xFF102030u);

  box.SetVisible(1);
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_TRUE(canvas.MainList().Remove(&box));
  EXPECT_EQ(canvas.Region().Rects(), (std::vector<Rect>{{20, 10, 28, 18}}));
  DirtyRegion painted;
  const Rect outClip{0, 0, 1000, 1000};
  EXPECT_EQ(canvas.Render(&painted, &outClip, 100, 200), 0);
  EXPECT_EQ(painted.Rects(), (std::vector<Rect>{{120, 210, 128, 218}}));
  EXPECT_EQ(Pixel32(*target, 20, 10), 0xFF102030u);
}

TEST_F(SpriteCanvasTest, LowerKeysPaintOnTopAndOverlayAboveMain) {
  ColorBox low, high, over;
  low.Init(10, 10, 0xFF0000FFu, 0, 0);
  high.Init(10, 10, 0xFF00FF00u, 5, 0);
  over.Init(4, 4, 0xFFFF0000u, 8, 0);
  SpriteList overlay;
  canvas.SetOverlayList(&overlay);
  canvas.MainList().Add(&high, 9, 0);
  canvas.MainList().Add(&low, 1, 0);
  overlay.Add(&over, 0xFFFFFFFFu, 0);
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel32(*target, 6, 5), 0xFF0000FFu);   // key 1 over key 9
  EXPECT_EQ(Pixel32(*target, 12, 5), 0xFF00FF00u);
  EXPECT_EQ(Pixel32(*target, 9, 1), 0xFFFF0000u);   // the overlay over both
  canvas.SetHideOverlay(true);
  canvas.MarkAllChanged();
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel32(*target, 9, 1), 0xFF0000FFu);
  canvas.SetOverlayList(nullptr);
  EXPECT_EQ(overlay.Owner(), nullptr);
}

TEST_F(SpriteCanvasTest, WideRectanglesArePaintedInBands) {
  auto wide = MakeSolid32(600, 120, 0);
  SpriteCanvas c;
  ASSERT_EQ(c.SetTarget(wide.get(), 0), 0);
  ProbeDrawable box;
  box.Init(500, 100, 0xFF808080u, 0, 0);
  c.MainList().Add(&box, 0, 0);
  c.Render(nullptr, nullptr, 0, 0);
  ASSERT_EQ(box.clips.size(), 13u);  // 12 bands of 8 rows and one of 4
  EXPECT_EQ(box.clips[0], (Rect{0, 0, 500, 8}));
  EXPECT_EQ(box.clips[12], (Rect{0, 96, 500, 100}));
  struct Case {
    int32_t width, band;
  } const cases[] = {{39, 128}, {40, 64}, {79, 64}, {80, 32}, {159, 32}, {160, 16}, {319, 16},
                     {320, 8}};
  for (const Case& k : cases) EXPECT_EQ(SpriteCanvas::BandHeight(k.width), k.band) << k.width;
  SpriteCanvas::SetBandedRendering(false);
  box.clips.clear();
  c.MarkAllChanged();
  c.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(box.clips, (std::vector<Rect>{{0, 0, 600, 120}}));
}

TEST_F(SpriteCanvasTest, BackgroundPictureColourAndEightBitFill) {
  auto picture = MakeSurface32(64, 64, [](int x, int y) { return 0xFF000000u | x << 8 | y; });
  ASSERT_EQ(canvas.SetBackgroundImage(picture.get(), 3, 4, 1), 1);
  EXPECT_EQ(canvas.GetPivotX(), 32);
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel32(*target, 10, 10), 0xFF000000u | 13 << 8 | 14);
  Surface bare;
  EXPECT_EQ(canvas.SetBackgroundImage(&bare, 0, 0, 1), 0);  // no pixels: refused
  EXPECT_EQ(canvas.SetBackgroundPivot(1, 0, 0), 1);
  EXPECT_EQ(canvas.GetPivotX(), 64);
  canvas.SetBackgroundColor(1, 2, 3, 1);
  EXPECT_EQ(canvas.SetBackgroundPivot(4, 0, 0), 0);  // no picture now
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel32(*target, 10, 10) & 0xFFFFFFu, 0x010203u);
  uint8_t r = 0, g = 0, b = 0;
  Surface* image = picture.get();
  canvas.GetBackground(&image, nullptr, nullptr, &r, &g, &b);
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(r + g + b, 6);

  // An 8-bit target fills with the red byte as the palette index.
  Surface indexed;
  ASSERT_EQ(indexed.Create(16, 8, 8, 0), 0);
  SpriteCanvas c8;
  ASSERT_EQ(c8.SetTarget(&indexed, 0), 0);
  c8.SetBackgroundColor(77, 1, 1, 1);
  c8.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(indexed.GetScanLine(7)[15], 77);

  // The no-background flag paints neither picture nor fill.
  canvas.SetNoBackground(true);
  Pixel32(*target, 0, 0) = 0x12345678u;
  canvas.MarkAllChanged();
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel32(*target, 0, 0), 0x12345678u);
}

TEST_F(SpriteCanvasTest, RefusalsAndStates) {
  SpriteCanvas c;
  Surface bare;
  EXPECT_EQ(c.SetTarget(nullptr, 1), 1);
  EXPECT_EQ(c.SetTarget(&bare, 1), 1);
  EXPECT_EQ(c.Render(nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(c.MarkAllChanged(), 1);
  Rect r{0, 0, 5, 5};
  EXPECT_FALSE(c.AddDirtyRect(&r));
  EXPECT_EQ(c.AddDirty(nullptr), 0);
  EXPECT_EQ(c.SwapBackground(nullptr, 1), 1);

  // Rectangles are cut to the target's clip rectangle; huge and negative
  // ones included.
  Rect clip{4, 4, 60, 40};
  ASSERT_TRUE(target->SetClipRect(&clip));
  Rect huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  EXPECT_TRUE(canvas.AddDirtyRect(&huge));
  EXPECT_EQ(huge, clip);
  Rect outside{-50, -50, -10, -10};
  EXPECT_TRUE(canvas.AddDirtyRect(&outside));
  canvas.MarkAllChanged();
  EXPECT_EQ(canvas.Region().Rects(), (std::vector<Rect>{clip}));
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel32(*target, 3, 3), 0xFF000000u);  // outside the clip: untouched
  EXPECT_EQ(Pixel32(*target, 4, 4), 0xFF102030u);

  ColorBox box;
  box.Init(4, 4, 0xFFFFFFFFu, 10, 10);
  canvas.MainList().Add(&box, 0, 0);
  canvas.SetFrozen(true);
  EXPECT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel32(*target, 10, 10), 0xFF102030u);
  canvas.SetFrozen(false);
  canvas.ResetChanges();
  EXPECT_EQ(canvas.Render(nullptr, nullptr, 0, 0), -1);  // the change was dropped

  // Swapping backgrounds exchanges colour and picture.
  SpriteCanvas other;
  other.SetBackgroundValue(0xFF00FF00u, 0);
  EXPECT_EQ(canvas.SwapBackground(&other, 0), 0);
  EXPECT_EQ(canvas.GetBackgroundValue(), 0xFF00FF00u);
  EXPECT_EQ(other.GetBackgroundValue(), 0xFF102030u);
}

TEST_F(SpriteCanvasTest, OpacityZeroAndHiddenDrawablesAreNeverPainted) {
  ProbeDrawable faint, hidden;
  faint.Init(4, 4, 0x00FFFFFFu, 0, 0);  // opacity 0
  hidden.Init(4, 4, 0xFFFFFFFFu, 0, 0);
  hidden.SetVisible(0);
  canvas.MainList().Add(&faint, 0, 0);
  canvas.MainList().Add(&hidden, 0, 0);
  canvas.MarkAllChanged();
  canvas.Render(nullptr, nullptr, 0, 0);
  EXPECT_TRUE(faint.clips.empty());
  EXPECT_TRUE(hidden.clips.empty());
}

// A picture sprite that notes what the target held where each repaint
// starts, before drawing.
class WatchedSprite : public ImageSprite {
 public:
  int Draw(Surface* surface, const Rect& clip) override {
    seen.push_back(Pixel32(*surface, clip.left, clip.top));
    return ImageSprite::Draw(surface, clip);
  }
  std::vector<uint32_t> seen;
};

// A drawable that claims to cover whatever it is asked about and then fails
// to draw, as a sprite does when the library refuses it.
class FailingCover : public ProbeDrawable {
 public:
  bool CoversWhole(const Rect&) const override { return true; }
  int Draw(Surface*, const Rect& clip) override {
    clips.push_back(clip);
    return 3;
  }
};

TEST_F(SpriteCanvasTest, ABottomPictureCoveringTheRectangleLeavesTheBackgroundOut) {
  auto picture = MakeSurface32(64, 48, [](int x, int y) { return 0xFF000000u | x << 8 | y; });
  WatchedSprite bottom;
  ASSERT_EQ(bottom.SetImage(picture.get(), nullptr, 0, 0), 0);
  ColorBox box;
  box.Init(4, 4, 0xFFFF0000u, 10, 20);
  canvas.MainList().Add(&bottom, 9, 0);
  canvas.MainList().Add(&box, 1, 0);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  ASSERT_FALSE(bottom.seen.empty());
  for (uint32_t seen : bottom.seen) EXPECT_EQ(seen, 0xFF000000u);  // never the background colour
  EXPECT_EQ(Pixel32(*target, 0, 0), 0xFF000000u);
  EXPECT_EQ(Pixel32(*target, 63, 47), 0xFF000000u | 63 << 8 | 47);
  EXPECT_EQ(Pixel32(*target, 11, 21), 0xFFFF0000u);  // what lies above is still painted

  // Moved half off the target, the picture no longer covers the rows: the
  // background is painted first and shows where the picture left.
  bottom.seen.clear();
  bottom.SetPosition(32, 0);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  ASSERT_FALSE(bottom.seen.empty());
  for (uint32_t seen : bottom.seen) EXPECT_EQ(seen, 0xFF102030u);
  EXPECT_EQ(Pixel32(*target, 31, 5), 0xFF102030u);
  EXPECT_EQ(Pixel32(*target, 32, 5), 0xFF000000u | 0 << 8 | 5);
  EXPECT_EQ(Pixel32(*target, 11, 21), 0xFFFF0000u);
}

TEST_F(SpriteCanvasTest, ACoveringDrawableThatFailsGetsTheBackgroundAndTheUsualOrder) {
  FailingCover bottom;
  bottom.Init(64, 48, 0xFFFFFFFFu, 0, 0);
  ColorBox box;
  box.Init(4, 4, 0xFFFF0000u, 10, 20);
  canvas.MainList().Add(&bottom, 9, 0);
  canvas.MainList().Add(&box, 1, 0);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel32(*target, 0, 0), 0xFF102030u);
  EXPECT_EQ(Pixel32(*target, 63, 47), 0xFF102030u);
  EXPECT_EQ(Pixel32(*target, 11, 21), 0xFFFF0000u);
}

}  // namespace
}  // namespace orrivel
