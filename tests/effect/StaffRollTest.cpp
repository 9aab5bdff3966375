#include "effect/StaffRoll.h"

#include <gtest/gtest.h>

#include <string>

#include "CrLfText.h"
#include "OverlayTestRig.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"
#include "sound/SoundManager.h"

namespace orrivel {
namespace {

// A 320-wide layer, layouts written with CR-LF line ends, small pictures,
// and rolls set up through the cells with a manual clock.
class StaffRollTest : public testing::OverlayTest {
 protected:
  void SetUp() override {
    OverlayTest::SetUp();
    ASSERT_EQ(layer_.Prepare(320, 40, 32, 1), 0);
    WriteOpaque("pic.elg", 20, 10);
    WriteOpaque("grp.elg", 8, 8);
    oldSound_ = SetSoundManager(nullptr);
  }
  void TearDown() override {
    list_.Clear();
    SetSoundManager(oldSound_);
    OverlayTest::TearDown();
  }
  void WriteLayout(const std::string& text) { folder_.Write("staff.txt", testing::WithCrLf(text)); }
  StaffRoll* Make(const std::string& layout) {
    WriteLayout(layout);
    clock_.SetTick(kStart);
    auto* roll = new StaffRoll();
    const int32_t result = roll->Setup(&list_, &layer_, {"staff.txt"});
    EXPECT_EQ(result, 0);
    if (result != 0) {
      delete roll;
      return nullptr;
    }
    roll->SetOwnerSlot(&slot_);
    slot_ = roll;
    return roll;
  }
  bool Alive() const { return slot_ != nullptr; }
  bool CanvasEmpty() { return layer_.GetCanvas()->MainList().Items().empty(); }
  static int32_t LineY(const StaffRoll& roll, size_t i) { return roll.Lines()[i]->sprite.GetY(); }

  CanvasDrawObject layer_;
  TimedTask* slot_ = nullptr;
  SoundManager* oldSound_ = nullptr;
};

TEST_F(StaffRollTest, SetupCodes) {
  testing::RefusingTimerList refusing;
  CanvasDrawObject bare;
  struct Case {
    const char* what;
    const char* layout;  // null: no such file
    TimerList* timers;
    CanvasDrawObject* target;
    int32_t expected;
  } const cases[] = {
      {"no timer list", "text 0, 10, \"A\"\n", nullptr, &layer_, StaffRoll::kBadTarget},
      {"no target", "text 0, 10, \"A\"\n", &list_, nullptr, StaffRoll::kBadTarget},
      {"a layer without canvas", "text 0, 10, \"A\"\n", &list_, &bare, StaffRoll::kBadTarget},
      {"no layout", nullptr, &list_, &layer_, StaffRoll::kLayoutFailedToLoad},
      {"a picture that does not load", "gtext 0, 10, \"none.elg\"\n", &list_, &layer_,
       StaffRoll::kLayoutFailedToLoad},
      {"a group picture that does not load", "text 0,1,\"A\"\ngrp 0, 0, \"none.elg\"\n", &list_, &layer_,
       StaffRoll::kLayoutFailedToLoad},
      {"only group pictures", "grp 0, 0, \"grp.elg\"\ngrp 1, 1, \"grp.elg\"\n", &list_, &layer_,
       StaffRoll::kNoLines},
      {"music without a sound manager", "init , \"m.ogg\"\ntext 0, 10, \"A\"\n", &list_, &layer_,
       StaffRoll::kNoSoundManager},
      {"refused by the timer list", "text 0, 10, \"A\"\ngrp 0, 0, \"grp.elg\"\n", &refusing, &layer_,
       StaffRoll::kRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.layout) WriteLayout(c.layout);
    StaffRoll roll;
    const char* name = c.layout ? "staff.txt" : "missing.txt";
    EXPECT_EQ(roll.Setup(c.timers, c.target, {ObjectArgument(name)}), c.expected);
    EXPECT_EQ(roll.State(), StaffRoll::kIdle);
    EXPECT_TRUE(CanvasEmpty());
  }
}

TEST_F(StaffRollTest, ScrollsTheWholeHeightInTheScrollTimeThenFinishes) {
  // No music named: nothing plays, and the given time is the scroll time.
  StaffRoll* roll = Make("init 60000\nlayout 0, 0\ntext 4, 100, \"Name\"\ngtext 0, 200, \"pic.elg\"\nend 30\n");
  ASSERT_NE(roll, nullptr);
  EXPECT_EQ(roll->TotalHeight(), 300 + 10 + 30);
  EXPECT_EQ(roll->Lines()[0]->sprite.GetX(), 4);
  EXPECT_EQ(roll->Lines()[0]->sprite.GetBlendMode(), 2);
  EXPECT_EQ(roll->Query({}), StaffRoll::kRunning);
  StepAt(kStart);
  EXPECT_EQ(LineY(*roll, 0), 100);
  StepAt(kStart + 30000);
  EXPECT_EQ(LineY(*roll, 0), 100 - 170);
  EXPECT_EQ(LineY(*roll, 1), 300 - 170);
  StepAt(kStart + 59999);
  ASSERT_TRUE(Alive());
  StepAt(kStart + 60000);
  EXPECT_FALSE(Alive());
  EXPECT_TRUE(CanvasEmpty());
}

TEST_F(StaffRollTest, SpeedControlRunsTimeFasterFromTheNextStep) {
  StaffRoll* roll = Make("init 10000\ntext 0, 0, \"A\"\ngtext 0, 990, \"pic.elg\"\n");
  ASSERT_NE(roll, nullptr);
  ASSERT_EQ(roll->TotalHeight(), 1000);
  StepAt(kStart);
  EXPECT_EQ(roll->Control({0, 4}), 0);
  EXPECT_EQ(roll->Speed(), 4);
  StepAt(kStart + 1000);
  EXPECT_EQ(LineY(*roll, 0), -100);
  StepAt(kStart + 2000);
  EXPECT_EQ(LineY(*roll, 0), -500);
  EXPECT_EQ(roll->Control({0, 0}), 0);
  EXPECT_EQ(roll->Speed(), 1);
  EXPECT_EQ(roll->Control({1, 4}), -1);
  StepAt(kStart + 3000);
  EXPECT_EQ(LineY(*roll, 0), -900);
  StepAt(kStart + 4000);
  EXPECT_FALSE(Alive());
}

TEST_F(StaffRollTest, HoldsFadesTheLinesAndStaysOnScreen) {
  StaffRoll* roll = Make("init 1000\ntext 0, 0, \"A\"\ngtext 0, 90, \"pic.elg\"\nend 0, 2000, 1000, 0\n");
  ASSERT_NE(roll, nullptr);
  StepAt(kStart);
  StepAt(kStart + 1000);
  StepAt(kStart + 2999);
  EXPECT_EQ(roll->Lines()[1]->sprite.GetOpacity(), 255);
  StepAt(kStart + 3500);
  EXPECT_EQ(roll->Lines()[1]->sprite.GetOpacity(), 255 - 127);
  StepAt(kStart + 4000);
  EXPECT_EQ(roll->Lines()[1]->sprite.GetOpacity(), 0);
  EXPECT_EQ(roll->Query({}), StaffRoll::kHolding);
  StepAt(kStart + 9000);
  EXPECT_TRUE(Alive());
  EXPECT_EQ(LineY(*roll, 1), 90 - 100);
}

TEST_F(StaffRollTest, WithoutAScrollTimeTheScrollEndsAtOnce) {
  StaffRoll* roll = Make("text 0, 0, \"A\"\ngtext 0, 50, \"pic.elg\"\nend 0, 0, 0, 0\n");
  ASSERT_NE(roll, nullptr);
  StepAt(kStart);
  EXPECT_EQ(roll->State(), StaffRoll::kHolding);
  EXPECT_EQ(LineY(*roll, 1), 50 - 60);
}

TEST_F(StaffRollTest, GroupsFadeInGlideAndFadeOut) {
  // 256 px in 2048 ms; the group starts at height 0 and ends at 96, its
  // span growing by the 32 px scrolled during its fade-out.
  StaffRoll* roll = Make("init 2048\nlaygrp 0, 96, 256, 256, 7\n"
                         "grp 0, 0, \"grp.elg\", 128, 0, 200\n"
                         "gtext 0, 246, \"pic.elg\"\n");
  ASSERT_NE(roll, nullptr);
  const StaffRoll::Group& g = *roll->Groups()[0];
  EXPECT_FALSE(g.sprite.IsVisible());
  StepAt(kStart);
  EXPECT_EQ(g.phase, StaffRoll::kFadingIn);
  EXPECT_TRUE(g.sprite.IsVisible());
  EXPECT_EQ(g.place.span, 128);
  StepAt(kStart + 160);
  EXPECT_EQ(g.sprite.GetOpacity(), 125);
  EXPECT_EQ(g.sprite.GetX(), 20);
  StepAt(kStart + 256);
  EXPECT_EQ(g.phase, StaffRoll::kShown);
  EXPECT_EQ(g.sprite.GetOpacity(), 200);
  StepAt(kStart + 768);
  EXPECT_EQ(g.phase, StaffRoll::kFadingOut);
  StepAt(kStart + 896);
  EXPECT_EQ(g.sprite.GetOpacity(), 100);
  EXPECT_EQ(g.sprite.GetX(), 112);
  StepAt(kStart + 1024);
  EXPECT_EQ(g.phase, StaffRoll::kGone);
  EXPECT_FALSE(g.sprite.IsVisible());
}

TEST_F(StaffRollTest, AGroupWithoutSpanStaysAtItsStart) {
  // Two groups at the same height without fade-out: the first spans 0 px.
  StaffRoll* roll = Make("init 1000\nlaygrp 0, -1, 100, 0\n"
                         "grp 5, 6, \"grp.elg\", 50, 60\ngrp 0, 0, \"grp.elg\"\n"
                         "gtext 0, 90, \"pic.elg\"\n");
  ASSERT_NE(roll, nullptr);
  const StaffRoll::Group& g = *roll->Groups()[0];
  EXPECT_EQ(g.place.span, 0);
  for (uint32_t t : {0u, 50u, 500u}) {
    StepAt(kStart + t);
    EXPECT_EQ(g.sprite.GetX(), 5);
    EXPECT_EQ(g.sprite.GetY(), 6);
  }
}

TEST_F(StaffRollTest, ACentredLineWiderThanTheScreenStartsLeftOfIt) {
  StaffRoll* roll = Make("init 1000\nfont , 24\ntext 0, 0, \"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW\"\n");
  ASSERT_NE(roll, nullptr);
  const int32_t width = roll->Lines()[0]->surface.GetWidth();
  ASSERT_GT(width, 320);
  EXPECT_EQ(roll->Lines()[0]->sprite.GetX(), (320 - width) / 2);
  EXPECT_LT(roll->Lines()[0]->sprite.GetX(), 0);
}

}  // namespace
}  // namespace orrivel
