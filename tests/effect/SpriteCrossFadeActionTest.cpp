// The cross-fade: on the sprites' alphas when the pictures do not overlap,
// fade-in and fade-out of a single sprite, the composite where they do, its
// rebuild only on a new level, and the set-up codes.
#include "effect/SpriteCrossFadeAction.h"

#include <gtest/gtest.h>

#include "RecordingDrawable.h"
#include "SpriteActionRig.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {
namespace {

using testing::Cell;

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

class CrossFade : public testing::SpriteActionTest {
 protected:
  void SetUp() override {
    SpriteActionTest::SetUp();
    ASSERT_EQ(layerObject_.Prepare(640, 480, 32, 0), 0);
  }
  SpriteCrossFadeAction* Fade(ImageSprite* next, ImageSprite* old, int32_t expected = 0) {
    return Start<SpriteCrossFadeAction>(expected, &layerObject_, {Cell(next), Cell(old), 50, 1000, 0});
  }

  CanvasDrawObject layerObject_;
};

TEST_F(CrossFade, ApartTheTwoAlphasCrossAtHalfTime) {
  ImageSprite* old = AddSolidSprite(100, 100, 0, 0, kRed);
  ImageSprite* next = AddSolidSprite(100, 100, 200, 0, kBlue);
  SpriteCrossFadeAction* fade = Fade(next, old);
  EXPECT_FALSE(fade->CompositeMode());
  EXPECT_FALSE(next->IsVisible());
  ASSERT_EQ(fade->Step(kStart), 0);
  EXPECT_TRUE(next->IsVisible());
  EXPECT_EQ(next->GetOpacity(), 0);
  ASSERT_EQ(fade->Step(kStart + 500), 0);
  EXPECT_EQ(old->GetOpacity(), 128);
  EXPECT_EQ(next->GetOpacity(), 127);
  EXPECT_EQ(fade->Step(kStart + 1000), -1);
  EXPECT_FALSE(old->IsVisible());
  EXPECT_TRUE(next->IsVisible());
  EXPECT_EQ(next->GetOpacity(), 255);
}

TEST_F(CrossFade, ASingleSpriteFadesInOrOut) {
  ImageSprite* sprite = AddSolidSprite(100, 100, 0, 0, kRed);
  SpriteCrossFadeAction* in = Start<SpriteCrossFadeAction>(0, nullptr, {Cell(sprite), 0, 50, 1000, 0});
  EXPECT_FALSE(sprite->IsVisible());
  ASSERT_EQ(in->Step(kStart), 0);
  ASSERT_EQ(in->Step(kStart + 250), 0);
  EXPECT_EQ(sprite->GetOpacity(), 63);
  EXPECT_EQ(in->Step(kStart + 1000), -1);
  EXPECT_TRUE(sprite->IsVisible());
  EXPECT_EQ(sprite->GetOpacity(), 255);

  SpriteCrossFadeAction* out = Start<SpriteCrossFadeAction>(0, nullptr, {0, Cell(sprite), 50, 1000, 0});
  ASSERT_EQ(out->Step(kStart + 2000), 0);
  ASSERT_EQ(out->Step(kStart + 2250), 0);
  EXPECT_EQ(sprite->GetOpacity(), 192);
  EXPECT_TRUE(sprite->IsVisible());
  EXPECT_EQ(out->Step(kStart + 3000), -1);
  EXPECT_FALSE(sprite->IsVisible());
}

TEST_F(CrossFade, OverlappingPicturesFadeThroughTheComposite) {
  ImageSprite* old = AddSolidSprite(100, 100, 0, 0, kRed);
  ImageSprite* next = AddSolidSprite(100, 100, 50, 20, kBlue);
  SpriteCrossFadeAction* fade = Fade(next, old);
  ASSERT_TRUE(fade->CompositeMode());
  SpriteComposite* composite = fade->Composite();
  ImageSprite* shown = composite->Sprite();
  EXPECT_EQ(shown->OwningList(), next->OwningList());
  EXPECT_EQ(canvas_.MainList().Find(shown)->order, 50u);
  EXPECT_EQ(*shown->GetBoundsPtr(), (Rect{0, 0, 150, 120}));
  EXPECT_FALSE(shown->IsVisible());

  ASSERT_EQ(fade->Step(kStart), 0);
  EXPECT_FALSE(old->IsVisible());
  EXPECT_FALSE(next->IsVisible());
  EXPECT_TRUE(shown->IsVisible());
  ASSERT_EQ(fade->Step(kStart + 500), 0);
  Surface& s = *composite->GetSurface();
  // Old only: its alpha scaled down; overlap: opaque, half of each colour;
  // new only: its colour at the level; outside both: clear.
  EXPECT_EQ(test::Pixel32(s, 10, 50), 0x80FF0000u);
  EXPECT_EQ(test::Pixel32(s, 75, 50), 0xFF80007Fu);
  EXPECT_EQ(test::Pixel32(s, 125, 50), 0x7F0000FFu);
  EXPECT_EQ(test::Pixel32(s, 125, 5), 0u);
  EXPECT_EQ(test::Pixel32(s, 10, 110), 0u);
  EXPECT_EQ(composite->RebuildCount(), 1);
  // The same level does not rebuild.
  ASSERT_EQ(fade->Step(kStart + 501), 0);
  EXPECT_EQ(composite->RebuildCount(), 1);
  // Later levels start again from the old picture, not from the last level.
  ASSERT_EQ(fade->Step(kStart + 750), 0);
  EXPECT_EQ(composite->RebuildCount(), 2);
  EXPECT_EQ(test::Pixel32(s, 10, 50) >> 24, 64u);
  EXPECT_EQ(test::Pixel32(s, 125, 50), 0xBF0000FFu);

  EXPECT_EQ(fade->Step(kStart + 1000), -1);
  EXPECT_FALSE(old->IsVisible());
  EXPECT_FALSE(shown->IsVisible());
  EXPECT_TRUE(next->IsVisible());
  EXPECT_EQ(next->GetOpacity(), 255);
}

TEST_F(CrossFade, TheCompositeIsCutToTheLayer) {
  ImageSprite* old = AddSolidSprite(100, 100, -40, 0, kRed);
  ImageSprite* next = AddSolidSprite(100, 100, 20, 0, kBlue);
  SpriteCrossFadeAction* fade = Fade(next, old);
  ASSERT_TRUE(fade->CompositeMode());
  EXPECT_EQ(*fade->Composite()->Sprite()->GetBoundsPtr(), (Rect{0, 0, 120, 100}));
}

TEST_F(CrossFade, SetupCodes) {
  ImageSprite* old = AddSolidSprite(100, 100, 0, 0, kRed);
  ImageSprite* next = AddSolidSprite(100, 100, 50, 0, kBlue);
  SpriteCrossFadeAction lone;
  EXPECT_EQ(lone.Setup(nullptr, &layerObject_, {Cell(next), Cell(old), 50, 1000, 0}), 1);
  testing::RecordingDrawable recording(255, true);
  Start<SpriteCrossFadeAction>(2, &layerObject_, {Cell(&recording), Cell(old), 50, 1000, 0});
  ImageSprite empty;
  Fade(&empty, nullptr, 3);
  Fade(nullptr, nullptr, 3);
  // Both show pictures: the layer is needed, and a list for the composite.
  Start<SpriteCrossFadeAction>(4, nullptr, {Cell(next), Cell(old), 50, 1000, 0});
  ImageSprite unlisted;
  ASSERT_EQ(unlisted.SetImage(next->GetSource(), nullptr, 50, 0), 0);
  Fade(&unlisted, old, 4);
  CanvasDrawObject bare;
  Start<SpriteCrossFadeAction>(5, &bare, {Cell(next), Cell(old), 50, 1000, 0});
  testing::RefusingTimerList refusing;
  EXPECT_EQ(lone.Setup(&refusing, &layerObject_, {Cell(next), Cell(old), 50, 1000, 0}), 6);
  EXPECT_FALSE(lone.CompositeMode());
}

}  // namespace
}  // namespace orrivel
