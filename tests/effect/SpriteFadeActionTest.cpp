#include "effect/SpriteFadeAction.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/LowPriority.h"
#include "base/TimerList.h"
#include "effect/RecordingDrawable.h"
#include "platform/Clock.h"
#include "scene/ImageSprite.h"

namespace orrivel {
namespace {

using testing::RecordingDrawable;

constexpr uint32_t kStart = 5000;

// A listed fade with a manual clock: the list steps at the ticks the test
// names; the first step happens at kStart.
class SpriteFade : public ::testing::Test {
 protected:
  void SetUp() override { ResetLowPriorityHooks(); }
  void TearDown() override { ResetLowPriorityHooks(); }

  SpriteFadeAction* MakeFade(int32_t entries, bool releaseWhenDone = false, bool lowPriority = false) {
    clock_.SetTick(kStart);  // listed as due from the first step on
    auto* fade = new SpriteFadeAction();
    EXPECT_EQ(fade->Setup(&list_, nullptr, {entries, releaseWhenDone ? 1 : 0, lowPriority ? 1 : 0}), 0);
    fade->SetOwnerSlot(&slot_);
    slot_ = fade;
    return fade;
  }
  void StepAt(uint32_t tick) {
    clock_.SetTick(tick);
    list_.Step(tick);
  }

  platform::ManualClock clock_{kStart};
  platform::ScopedClock scopedClock_{clock_};
  TimerList list_;
  TimedTask* slot_ = nullptr;
};

struct FadeCase {
  const char* what;
  uint8_t alpha;
  bool visible;
  bool fadeIn;
  uint32_t fullDuration;
  uint32_t delay;
  // Offset after the first step at which the fade is over; 0 for a fade
  // without span, which ends in its second step whenever that comes.
  uint32_t endsAfter;
  uint8_t endAlpha;
  bool endVisible;
};

TEST_F(SpriteFade, EachFadeEndsAfterItsShareOfTheFullDuration) {
  const FadeCase cases[] = {
      {"full fade-out", 255, true, false, 1000, 0, 1000, 255, false},
      {"fade-out from half", 128, true, false, 1000, 0, 501, 255, false},
      {"hidden fade-in", 200, false, true, 1000, 0, 1000, 255, true},
      {"fade-in of an opaque sprite", 255, true, true, 1000, 0, 0, 255, true},
      {"delayed fade-out", 255, true, false, 1000, 300, 1300, 255, false},
      {"zero duration counts as one", 255, true, false, 0, 0, 1, 255, false},
  };
  for (const FadeCase& c : cases) {
    SCOPED_TRACE(c.what);
    SpriteFadeAction* fade = MakeFade(1);
    RecordingDrawable sprite(c.alpha, c.visible);
    ASSERT_EQ(fade->SetTarget(0, &sprite, c.fadeIn, c.fullDuration, c.delay, false, 0, 0, 0), 0);
    StepAt(kStart);
    if (c.endsAfter > 0) {
      StepAt(kStart + c.endsAfter - 1);
      EXPECT_NE(fade->Entries()[0].target, nullptr) << "ended early";
    }
    StepAt(kStart + (c.endsAfter > 0 ? c.endsAfter : 16));
    EXPECT_EQ(fade->Entries()[0].target, nullptr) << "not ended in time";
    EXPECT_EQ(sprite.GetOpacity(), c.endAlpha);
    EXPECT_EQ(sprite.IsVisible(), c.endVisible);
    EXPECT_EQ(fade->Query({}), 1) << "the run ends one step later";
    StepAt(kStart + c.endsAfter + 16);
    EXPECT_EQ(fade->Query({}), 0);
    EXPECT_EQ(list_.Size(), 1u) << "kept listed without release-when-done";
    list_.Clear();
  }
}

TEST_F(SpriteFade, AlphaFollowsTheClockFromTheSecondStep) {
  SpriteFadeAction* fade = MakeFade(1);
  RecordingDrawable sprite(255, true);
  fade->SetTarget(0, &sprite, false, 1000, 0, false, 0, 0, 0);
  StepAt(kStart);
  EXPECT_EQ(sprite.GetOpacity(), 255) << "the first step only takes the clock";
  StepAt(kStart + 500);
  EXPECT_EQ(sprite.GetOpacity(), 128);  // 255 - trunc(255 / 2)
  StepAt(kStart + 999);
  EXPECT_EQ(sprite.GetOpacity(), 1);
  EXPECT_TRUE(sprite.IsVisible());
}

TEST_F(SpriteFade, HiddenSpriteIsClearedAtOnceAndShownAtItsFirstStepOrAfterItsDelay) {
  SpriteFadeAction* fade = MakeFade(2);
  RecordingDrawable now(180, false), later(180, false);
  fade->SetTarget(0, &now, true, 1000, 0, false, 0, 0, 0);
  fade->SetTarget(1, &later, true, 1000, 300, false, 0, 0, 0);
  EXPECT_EQ(now.GetOpacity(), 0);
  EXPECT_FALSE(now.IsVisible()) << "hidden until the fade starts";
  StepAt(kStart);
  EXPECT_TRUE(now.IsVisible());
  EXPECT_EQ(now.GetOpacity(), 0);
  EXPECT_FALSE(later.IsVisible());
  StepAt(kStart + 300);
  EXPECT_FALSE(later.IsVisible()) << "still waiting at the end of its delay";
  EXPECT_EQ(later.GetOpacity(), 0);
  StepAt(kStart + 301);
  EXPECT_TRUE(later.IsVisible());
  StepAt(kStart + 800);
  EXPECT_EQ(later.GetOpacity(), 127);  // 500 ms into 1000
}

TEST_F(SpriteFade, CurveShapesTheMove) {
  struct {
    double curve;
    int32_t x, y;
  } const cases[] = {{0, 50, 100}, {2, 25, 50}, {-2, 75, 150}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.curve);
    SpriteFadeAction* fade = MakeFade(1);
    RecordingDrawable sprite(0, true, 0, 0);
    fade->SetTarget(0, &sprite, true, 1000, 0, true, 100, 200, c.curve);
    StepAt(kStart);
    StepAt(kStart + 500);
    EXPECT_EQ(sprite.GetX(), c.x);
    EXPECT_EQ(sprite.GetY(), c.y);
    StepAt(kStart + 1000);
    EXPECT_EQ(sprite.GetX(), 100);
    EXPECT_EQ(sprite.GetY(), 200);
    list_.Clear();
  }
}

TEST_F(SpriteFade, ControlStartsFadesAndCompletesQueryFollowsTheRun) {
  SpriteFadeAction* fade = MakeFade(2);
  RecordingDrawable a(255, true, 10, 10), b(0, false);
  EXPECT_EQ(fade->Query({}), 0);
  // A fade-out with a move: cells index, target, duration, delay, move, x, y, curve.
  EXPECT_EQ(fade->Control({2, 0, ObjectArgument(&a), 1000, 0, 1, 110, 60, 0}), 0);
  EXPECT_EQ(fade->Control({1, 1, ObjectArgument(&b), 1000, 0, 0, 0, 0, 0}), 0);
  EXPECT_EQ(fade->Query({}), 1);
  EXPECT_EQ(fade->Control({1, 2, ObjectArgument(&b), 1000}), 1) << "index past the entries";
  EXPECT_EQ(fade->Control({1, 0, 0, 1000}), 1) << "no target";
  StepAt(kStart);
  StepAt(kStart + 500);
  EXPECT_EQ(a.GetX(), 60);
  // Complete during the fade-out: hidden, opaque, at its end position.
  EXPECT_EQ(fade->Control({0}), 0);
  EXPECT_FALSE(a.IsVisible());
  EXPECT_EQ(a.GetOpacity(), 255);
  EXPECT_EQ(a.GetX(), 110);
  EXPECT_EQ(a.GetY(), 60);
  EXPECT_TRUE(b.IsVisible());
  EXPECT_EQ(b.GetOpacity(), 255);
  EXPECT_EQ(fade->Query({}), 0);
}

TEST_F(SpriteFade, ImageSpriteIsFadedAndMarkedForRepaint) {
  SpriteFadeAction* fade = MakeFade(1);
  ImageSprite sprite;
  sprite.SetVisible(0);
  sprite.SetChanged(0);
  fade->SetTarget(0, &sprite, true, 255, 0, true, 40, 30, 0);
  EXPECT_EQ(sprite.GetOpacity(), 0);
  StepAt(kStart);
  EXPECT_TRUE(sprite.IsVisible());
  EXPECT_TRUE(sprite.IsChanged());
  sprite.SetChanged(0);
  StepAt(kStart + 100);
  EXPECT_EQ(sprite.GetOpacity(), 100);
  EXPECT_TRUE(sprite.IsChanged());
  StepAt(kStart + 255);
  EXPECT_EQ(sprite.GetOpacity(), 255);
  EXPECT_EQ(sprite.GetX(), 40);
  EXPECT_EQ(sprite.GetY(), 30);
}

TEST_F(SpriteFade, CompleteBeforeTheFirstStepLeavesAFadeInHidden) {
  SpriteFadeAction* fade = MakeFade(1);
  RecordingDrawable sprite(0, false);
  fade->SetTarget(0, &sprite, true, 1000, 0, false, 0, 0, 0);
  fade->Complete();
  EXPECT_FALSE(sprite.IsVisible());
  EXPECT_EQ(sprite.GetOpacity(), 255);
}

TEST_F(SpriteFade, ReleaseWhenDoneDeletesInTheStepThatEndsTheRun) {
  MakeFade(1, true);
  SpriteFadeAction* fade = static_cast<SpriteFadeAction*>(slot_);
  RecordingDrawable sprite(255, true);
  fade->SetTarget(0, &sprite, false, 100, 0, false, 0, 0, 0);
  StepAt(kStart);
  StepAt(kStart + 100);
  EXPECT_EQ(slot_, fade) << "its last entry ended, the run has not";
  EXPECT_EQ(list_.Size(), 1u);
  StepAt(kStart + 116);
  EXPECT_EQ(slot_, nullptr);
  EXPECT_EQ(list_.Size(), 0u);
}

TEST_F(SpriteFade, KeptActionServesTheNextRun) {
  SpriteFadeAction* fade = MakeFade(1);
  RecordingDrawable sprite(255, true);
  fade->SetTarget(0, &sprite, false, 100, 0, false, 0, 0, 0);
  StepAt(kStart);
  StepAt(kStart + 100);
  StepAt(kStart + 116);
  ASSERT_EQ(fade->Query({}), 0);
  fade->SetTarget(0, &sprite, true, 100, 0, false, 0, 0, 0);
  StepAt(kStart + 200);
  EXPECT_TRUE(sprite.IsVisible());
  StepAt(kStart + 300);
  EXPECT_EQ(sprite.GetOpacity(), 255);
  EXPECT_EQ(list_.Size(), 1u);
}

TEST_F(SpriteFade, SetupRefusesBadCellsAndAFullList) {
  SpriteFadeAction fade;
  EXPECT_EQ(fade.Setup(&list_, nullptr, {0}), 1);
  EXPECT_EQ(fade.Setup(&list_, nullptr, {-3}), 1);
  EXPECT_EQ(fade.Setup(nullptr, nullptr, {1}), 1);
  EXPECT_EQ(fade.Setup(&list_, nullptr, {}), 1) << "an absent count reads as 0";
  // A hostile count fails as if memory ran out, without a huge allocation.
  EXPECT_EQ(fade.Setup(&list_, nullptr, {0x7FFFFFFF}), -1);
  EXPECT_EQ(fade.Setup(&list_, nullptr, {SpriteFadeAction::kMaxEntries + 1}), -1);
  EXPECT_EQ(fade.EntryCount(), 0);
  EXPECT_EQ(fade.Query({}), 0);
  EXPECT_EQ(list_.Size(), 0u);
  // Already listed elsewhere: the list refuses it.
  TimerList other;
  auto* listed = new SpriteFadeAction();
  ASSERT_EQ(listed->Setup(&other, nullptr, {1}), 0);
  EXPECT_EQ(listed->Setup(&list_, nullptr, {1}), 3);
  EXPECT_EQ(listed->Query({}), 0);
}

TEST_F(SpriteFade, HoldsLowPriorityExactlyWhileARunIsActive) {
  int depth = 0, enters = 0;
  GetLowPriorityHooks().enter = [&] { ++depth, ++enters; };
  GetLowPriorityHooks().leave = [&] { --depth; };
  SpriteFadeAction* fade = MakeFade(2, false, true);
  ASSERT_TRUE(fade->LowPriorityPerRun());
  RecordingDrawable a(255, true), b(255, true);
  EXPECT_EQ(depth, 0) << "set-up alone does not lower";
  fade->SetTarget(0, &a, false, 100, 0, false, 0, 0, 0);
  fade->SetTarget(1, &b, false, 200, 0, false, 0, 0, 0);
  EXPECT_EQ(depth, 1);
  StepAt(kStart);
  StepAt(kStart + 200);
  EXPECT_EQ(depth, 1);
  StepAt(kStart + 216);
  EXPECT_EQ(depth, 0);
  // A second run, ended by Complete; then one ended by destruction.
  fade->SetTarget(0, &a, true, 100, 0, false, 0, 0, 0);
  EXPECT_EQ(depth, 1);
  fade->Complete();
  EXPECT_EQ(depth, 0);
  fade->SetTarget(0, &a, false, 100, 0, false, 0, 0, 0);
  list_.Clear();
  EXPECT_EQ(depth, 0);
  EXPECT_EQ(enters, 3);
}

TEST_F(SpriteFade, NoLowPriorityWithoutTheHookOrWhenTheCreatorSwitchedItOff) {
  SpriteFadeAction* withoutHook = MakeFade(1, false, true);
  EXPECT_FALSE(withoutHook->LowPriorityPerRun());
  int calls = 0;
  GetLowPriorityHooks().enter = [&] { ++calls; };
  GetLowPriorityHooks().leave = [&] { ++calls; };
  auto* switchedOff = new SpriteFadeAction();
  switchedOff->DropLowPriorityRequest();
  ASSERT_EQ(switchedOff->Setup(&list_, nullptr, {1, 0, 1}), 0);
  EXPECT_FALSE(switchedOff->LowPriorityPerRun());
  RecordingDrawable sprite(255, true);
  switchedOff->SetTarget(0, &sprite, false, 100, 0, false, 0, 0, 0);
  switchedOff->Complete();
  EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace orrivel
