// The sprite change: each mode with and without zoom checked on what shows
// half way and at the end, the hand-over of a turned old sprite, and the
// set-up codes and query.
#include "effect/SpriteChangeAction.h"

#include <gtest/gtest.h>

#include "SpriteActionRig.h"

namespace orrivel {
namespace {

using testing::Cell;

// The old picture (100x50, origin (40, 10)) shown at its origin, and the new
// one (200x100, origin (100, 30)) hidden at its own.
class SpriteChange : public testing::SpriteActionTest {
 protected:
  void SetUp() override {
    SpriteActionTest::SetUp();
    old_ = AddSolidSprite(100, 50, 40, 10, 0xFFFF0000u);
    old_->GetSource()->SetUserValue1(40);
    old_->GetSource()->SetUserValue2(10);
    new_ = AddSolidSprite(200, 100, 100, 30, 0xFF0000FFu);
    new_->GetSource()->SetUserValue1(100);
    new_->GetSource()->SetUserValue2(30);
  }
  SpriteChangeAction* Change(int32_t mode, bool zoom, const char* keys = "c", int32_t expected = 0) {
    return Start<SpriteChangeAction>(expected, nullptr,
                                     {Cell(new_), Cell(old_), Cell(keys), mode, 60, zoom ? 1 : 0, 1000, 0});
  }

  ImageSprite* old_ = nullptr;
  ImageSprite* new_ = nullptr;
};

struct ModeCase {
  int32_t mode;
  bool zoom;
  // Half way: the sprite that shows, where, and at which scale.
  enum Shows { kNew, kOld, kComposite } shows;
  int32_t x;
  int32_t y;
  double startScale;
  double halfScale;
};

TEST_F(SpriteChange, EachModeShowsItsSpriteAndEndsOnTheNewOne) {
  const ModeCase cases[] = {
      {0, false, ModeCase::kNew, 100, 30, 1.0, 1.0},
      // Starts as wide as the old picture, ends at its own size.
      {0, true, ModeCase::kNew, 100, 30, 0.5, 0.75},
      {1, false, ModeCase::kOld, 40 + 30, 10 + 10, 1.0, 1.0},
      {1, true, ModeCase::kOld, 40 + 30, 10 + 10, 1.0, 1.5},
      {2, false, ModeCase::kComposite, 40, 10, 1.0, 1.0},
      {3, false, ModeCase::kComposite, 40 + 30, 10 + 10, 1.0, 1.0},
      {4, false, ModeCase::kComposite, 40, 10, 1.0, 1.0},
      {5, false, ModeCase::kComposite, 40 + 30, 10 + 10, 1.0, 1.0},
      // The composite holds the old picture scaled up to the new one's width:
      // shown at half its size it starts as large as the old picture. Every
      // zoomed mode with a narrower old picture is built that way.
      {2, true, ModeCase::kComposite, 40, 10, 0.5, 0.75},
      {3, true, ModeCase::kComposite, 40 + 30, 10 + 10, 0.5, 0.75},
      {4, true, ModeCase::kComposite, 40, 10, 0.5, 0.75},
      {5, true, ModeCase::kComposite, 40 + 30, 10 + 10, 0.5, 0.75},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << (c.zoom ? " zoom" : ""));
    // The last case left the old sprite where its animation ended.
    old_->SetRotation(0, 1.0);
    old_->SetPosition(40, 10);
    old_->SetVisible(1);
    new_->SetPosition(100, 30);
    SpriteChangeAction* change = Change(c.mode, c.zoom);
    EXPECT_FALSE(new_->IsVisible());
    ImageSprite* composite = change->Composite() ? change->Composite()->Sprite() : nullptr;
    ASSERT_EQ(composite != nullptr, c.shows == ModeCase::kComposite);
    ImageSprite* shown = c.shows == ModeCase::kNew ? new_ : c.shows == ModeCase::kOld ? old_ : composite;
    ASSERT_EQ(change->Step(kStart), 0);
    EXPECT_DOUBLE_EQ(shown->GetScale(), c.startScale);
    const int32_t rebuiltAtStart = composite != nullptr ? change->Composite()->RebuildCount() : 0;
    ASSERT_EQ(change->Step(kStart + 500), 0);
    EXPECT_TRUE(shown->IsVisible());
    EXPECT_EQ(old_->IsVisible(), shown == old_);
    EXPECT_EQ(new_->IsVisible(), shown == new_);
    EXPECT_DOUBLE_EQ(shown->GetScale(), c.halfScale);
    if (!c.zoom) {
      EXPECT_EQ(shown->GetX(), c.x);
      EXPECT_EQ(shown->GetY(), c.y);
    }
    if (composite != nullptr) {
      EXPECT_EQ(change->Composite()->RebuildCount(), rebuiltAtStart + 1);
    }
    // The end: the new sprite alone, at its place and own size.
    EXPECT_EQ(change->Step(kStart + 1000), 1);
    EXPECT_TRUE(new_->IsVisible());
    EXPECT_FALSE(old_->IsVisible());
    if (composite != nullptr) {
      EXPECT_FALSE(composite->IsVisible());
    }
    EXPECT_EQ(new_->GetX(), 100);
    EXPECT_EQ(new_->GetY(), 30);
    EXPECT_FALSE(new_->IsRotated());
    EXPECT_EQ(*new_->GetBoundsPtr(), (Rect{100, 30, 300, 130}));
    list_.Clear();
  }
}

TEST_F(SpriteChange, TheCompositeKeepsTheOldPictureInPlace) {
  SpriteChangeAction* change = Change(2, false);
  ImageSprite* composite = change->Composite()->Sprite();
  // The union of both pictures at their origins.
  EXPECT_EQ(*composite->GetBoundsPtr(), (Rect{40, 10, 300, 130}));
  EXPECT_EQ(canvas_.MainList().Find(composite)->order, 60u);
  ASSERT_EQ(change->Step(kStart), 0);
  Surface& s = *change->Composite()->GetSurface();
  EXPECT_EQ(test::Pixel32(s, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(test::Pixel32(s, 259, 119), 0u);
  ASSERT_EQ(change->Step(kStart + 999), 0);
  EXPECT_EQ(test::Pixel32(s, 259, 119) >> 24, 254u);
}

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFFu; }

struct LevelCase {
  int32_t mode;
  bool zoom;
  // The blue 200x100 picture is the old one and the red 100x50 the new one.
  bool narrowerNew;
  uint8_t builtMode;
};

// Whatever way round the composite is built, a pixel where both pictures lie
// shows the old picture at the start, an even mix half way and the new
// picture at the end.
TEST_F(SpriteChange, TheCompositeFadesFromTheOldPictureToTheNewOne) {
  const LevelCase cases[] = {
      {2, false, false, 2},
      // Mode 3 fades backwards from the new picture's place.
      {3, false, false, 3},
      {3, false, true, 3},
      // A narrower new picture turns a zoomed composite into mode 3.
      {2, true, true, 3},
      {3, true, true, 3},
      {5, true, true, 3},
      {3, true, false, 2},
  };
  for (const LevelCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << (c.zoom ? " zoom" : "")
                                      << (c.narrowerNew ? " narrower new" : ""));
    old_->SetRotation(0, 1.0);
    new_->SetRotation(0, 1.0);
    old_->SetPosition(40, 10);
    new_->SetPosition(100, 30);
    old_->SetVisible(1);
    new_->SetVisible(1);
    ImageSprite* oldSprite = c.narrowerNew ? new_ : old_;
    ImageSprite* newSprite = c.narrowerNew ? old_ : new_;
    const uint32_t oldColour = c.narrowerNew ? 0xFF0000FFu : 0xFFFF0000u;
    const int oldShift = c.narrowerNew ? 0 : 16;
    const int newShift = 16 - oldShift;
    auto* change = Start<SpriteChangeAction>(
        0, nullptr, {Cell(newSprite), Cell(oldSprite), Cell("c"), c.mode, 60, c.zoom ? 1 : 0, 1000, 0});
    EXPECT_EQ(change->Mode(), c.builtMode);
    ASSERT_NE(change->Composite(), nullptr);
    Surface& s = *change->Composite()->GetSurface();
    // Inside both pictures however they are laid out in the composite.
    const int32_t x = 70;
    const int32_t y = 30;
    ASSERT_EQ(change->Step(kStart), 0);
    EXPECT_EQ(test::Pixel32(s, x, y), oldColour);
    // Zoomed, the composite holds the wider picture at its own size: a wider
    // old picture starts at full size, a narrower one at half.
    if (c.zoom) {
      EXPECT_DOUBLE_EQ(change->Composite()->Sprite()->GetScale(), c.narrowerNew ? 1.0 : 0.5);
    }
    ASSERT_EQ(change->Step(kStart + 500), 0);
    const uint32_t half = test::Pixel32(s, x, y);
    EXPECT_EQ(half >> 24, 255u);
    EXPECT_NEAR(Channel(half, oldShift), 128.0, 2.0);
    EXPECT_NEAR(Channel(half, newShift), 128.0, 2.0);
    ASSERT_EQ(change->Step(kStart + 999), 0);
    const uint32_t end = test::Pixel32(s, x, y);
    EXPECT_EQ(end >> 24, 255u);
    EXPECT_LE(Channel(end, oldShift), 2u);
    EXPECT_GE(Channel(end, newShift), 253u);
    EXPECT_EQ(change->Step(kStart + 1000), 1);
    EXPECT_TRUE(newSprite->IsVisible());
    EXPECT_FALSE(oldSprite->IsVisible());
    list_.Clear();
  }
}

TEST_F(SpriteChange, ATurnedOldSpriteHandsItsTurnOver) {
  old_->SetAnchor(4, 0, 0);
  ASSERT_TRUE(old_->SetRotation(64, 1.0));
  SpriteChangeAction* change = Change(0, false, "c");
  EXPECT_EQ(new_->GetAngle(), 64);
  ASSERT_EQ(change->Step(kStart), 0);
  EXPECT_TRUE(new_->IsVisible());
}

TEST_F(SpriteChange, SetupCodesAndQuery) {
  old_->SetDisplaySize(50, 25);
  Change(0, false, "c", SpriteChangeAction::kOldDisplaySize);
  old_->SetDisplaySize(0, 0);
  old_->SetRotation(0, 1.0);
  ImageSprite unlisted;
  ASSERT_EQ(unlisted.SetImage(new_->GetSource(), nullptr, 0, 0), 0);
  Start<SpriteChangeAction>(1, nullptr, {Cell(&unlisted), Cell(old_), Cell("c"), 0, 60, 0, 1000, 0});
  Start<SpriteChangeAction>(1, nullptr, {Cell(new_), 0, Cell("c"), 0, 60, 0, 1000, 0});
  Change(2, false, "c ?", SpriteChangeAction::kBadKeyText);
  testing::RefusingTimerList refusing;
  SpriteChangeAction lone;
  EXPECT_EQ(lone.Setup(&refusing, nullptr, {Cell(new_), Cell(old_), Cell("c"), 1, 60, 0, 1000, 0}),
            SpriteChangeAction::kRefused);
  EXPECT_EQ(lone.Setup(nullptr, nullptr, {Cell(new_), Cell(old_), Cell("c"), 1, 60, 0, 1000, 0}), 1);

  // Old sprite animated: its end key moved by the origins' difference; the
  // centre is the layer's bottom centre in the new picture's frame.
  SpriteChangeAction* change = Change(1, false, "c");
  int32_t x = 0, y = 0, cx = 0, cy = 0;
  ASSERT_EQ(change->Query({Cell(&x), Cell(&y), 0, 0, 0, 0, Cell(&cx), Cell(&cy)}), 0);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 30);
  EXPECT_EQ(cx, 320 - 100);
  EXPECT_EQ(cy, 480 - 30);
}

TEST_F(SpriteChange, StoppedBeforeItsFirstStepShowsTheNewSprite) {
  SpriteChangeAction* change = Change(0, true, "c");
  ASSERT_TRUE(list_.Stop(change->Handle()));
  EXPECT_TRUE(new_->IsVisible());
  EXPECT_FALSE(old_->IsVisible());
  EXPECT_FALSE(new_->IsRotated());
}

}  // namespace
}  // namespace orrivel
