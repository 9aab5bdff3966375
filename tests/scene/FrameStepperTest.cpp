#include "scene/FrameStepper.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>
#include <vector>

#include "base/TimerList.h"
#include "platform/Clock.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

class RecordingOwner final : public SpriteListOwner {
 public:
  int AddDirty(const Rect* rect) override {
    rects.push_back(*rect);
    return 1;
  }
  std::vector<Rect> rects;
};

constexpr int32_t kCell = 4;

// A strip of four 4x4 cells, each filled with its own colour, and a target.
struct StripFixture {
  StripFixture() {
    frames.Create(kCell * 4, kCell, 32, 0);
    for (int i = 0; i < 4; ++i) frames.FillBox(i * kCell, 0, kCell, kCell, 0xFF000000u + 0x10u * static_cast<uint32_t>(i + 1));
    target.Create(16, 16, 32, 0);
    target.FillBox(0, 0, 16, 16, 0);
  }
  FrameStepperSetup Setup() {
    FrameStepperSetup s;
    s.target = &target;
    s.frames = &frames;
    s.x = 2;
    s.y = 3;
    s.frameWidth = kCell;
    s.frameHeight = kCell;
    s.frameCount = 4;
    s.intervalMs = 100;
    s.cycleMs = 700;
    return s;
  }
  uint32_t TargetPixel(int32_t x, int32_t y) {
    return reinterpret_cast<const uint32_t*>(target.RowTable()[y])[x];
  }
  Surface frames;
  Surface target;
};

TEST(FrameStepperTest, PingPongCycleShowsEachFrameThereAndBack) {
  StripFixture f;
  FrameStepper stepper;
  RecordingOwner owner;
  stepper.SetListener(&owner);
  ASSERT_EQ(stepper.Setup(f.Setup(), 1000), 0);
  std::vector<int32_t> shown;
  for (uint32_t t = 0; t < 700; t += 50) {
    ASSERT_EQ(stepper.Step(1000 + t), 0);
    if (shown.empty() || shown.back() != stepper.CurrentFrame()) shown.push_back(stepper.CurrentFrame());
  }
  EXPECT_EQ(shown, (std::vector<int32_t>{0, 1, 2, 3, 2, 1, 0}));
  // Each drawn frame reported the animation's rectangle once.
  ASSERT_EQ(owner.rects.size(), 7u);
  EXPECT_EQ(owner.rects[0].left, 2);
  EXPECT_EQ(owner.rects[0].top, 3);
  EXPECT_EQ(owner.rects[0].right, 6);
  EXPECT_EQ(owner.rects[0].bottom, 7);
}

TEST(FrameStepperTest, DrawsTheFramesCellAtTheOrigin) {
  StripFixture f;
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(f.Setup(), 0), 0);
  ASSERT_NE(f.target.BuildRowTable(), 1);
  stepper.Step(250);  // frame 2
  EXPECT_EQ(f.TargetPixel(2, 3) & 0xFFFFFFu, 0x30u);
  EXPECT_EQ(f.TargetPixel(5, 6) & 0xFFFFFFu, 0x30u);
  EXPECT_EQ(f.TargetPixel(6, 3) & 0xFFFFFFu, 0u);
}

TEST(FrameStepperTest, RepeatOfOneEndsAfterOneCycleOnTheRestingFrame) {
  StripFixture f;
  FrameStepperSetup setup = f.Setup();
  setup.repeat = 1;
  setup.restingValue = -3;
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(setup, 0), 0);
  EXPECT_EQ(stepper.Step(650), 0);
  EXPECT_EQ(stepper.CurrentFrame(), 0);
  EXPECT_EQ(stepper.Step(700), 1);
  ASSERT_NE(f.target.BuildRowTable(), 1);
  EXPECT_EQ(f.TargetPixel(2, 3) & 0xFFFFFFu, 0x40u);  // cell 3 at rest
}

TEST(FrameStepperTest, RepeatsWaitTheDelayBetweenCycles) {
  StripFixture f;
  FrameStepperSetup setup = f.Setup();
  setup.repeat = 2;
  setup.delayMs = 300;
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(setup, 0), 0);
  EXPECT_EQ(stepper.Step(350), 0);
  EXPECT_EQ(stepper.Step(700), 0);  // first cycle ends on frame 0; the wait starts
  EXPECT_EQ(stepper.CurrentFrame(), 0);
  EXPECT_EQ(stepper.Step(950), 0);  // still waiting: no new cycle
  EXPECT_EQ(stepper.CurrentFrame(), 0);
  EXPECT_EQ(stepper.Step(1000), 0);  // wait over, the cycle restarts at 1000
  EXPECT_EQ(stepper.Step(1150), 0);
  EXPECT_EQ(stepper.CurrentFrame(), 1);
  EXPECT_EQ(stepper.Step(1650), 0);
  EXPECT_EQ(stepper.Step(1700), 1);
}

TEST(FrameStepperTest, PauseAndResumeContinueAtTheSameFrame) {
  StripFixture f;
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(f.Setup(), 0), 0);
  stepper.Step(250);
  ASSERT_EQ(stepper.CurrentFrame(), 2);
  stepper.RequestPause();
  stepper.Step(260);
  stepper.Step(3000);
  EXPECT_EQ(stepper.CurrentFrame(), 2);
  stepper.RequestResume();
  stepper.Step(5260);  // 5 s later: 250 ms into the cycle again
  EXPECT_EQ(stepper.CurrentFrame(), 2);
  stepper.Step(5360);
  EXPECT_EQ(stepper.CurrentFrame(), 3);
}

// The nested pause pair, with the stepper in a timer list stepping every
// 50 ms (the cycle of 700 ms shows frames 0 1 2 3 2 1 0). The pause alone
// stops nothing; once the last resume comes the picture holds for the
// paused span, because the list does not step the task before its due
// time, moved by that span, and the first step after it draws its frame
// again although that frame is already shown.
TEST(FrameStepperTest, NestedResumeHoldsThePictureForThePausedSpanThenRedraws) {
  StripFixture f;
  platform::ManualClock clock(1000);
  platform::ScopedClock scoped(clock);
  TimerList list;
  auto* stepper = new FrameStepper;  // the list owns it
  RecordingOwner owner;
  stepper->SetListener(&owner);
  ASSERT_EQ(stepper->Setup(f.Setup(), 1000), 0);
  ASSERT_EQ(list.Add(stepper, 0, 50, 0), 0);
  std::vector<std::pair<uint32_t, int32_t>> drawn;  // (tick, frame) of each draw
  auto runTo = [&](uint32_t end) {
    for (uint32_t t = clock.TickMs(); t <= end; t += 50) {
      clock.SetTick(t);
      const size_t before = owner.rects.size();
      list.Step(t);
      if (owner.rects.size() != before) drawn.emplace_back(t, stepper->CurrentFrame());
    }
    clock.SetTick(end + 50);
  };
  runTo(1450);
  stepper->PauseNested(1500);
  stepper->PauseNested(1520);
  runTo(1650);
  stepper->ResumeNested(1650);  // the inner pause: nothing moves
  stepper->ResumeNested(1700);  // 200 ms after the first pause
  runTo(2550);
  const std::vector<std::pair<uint32_t, int32_t>> expected = {
      {1000, 0}, {1100, 1}, {1200, 2}, {1300, 3}, {1400, 2}, {1500, 1}, {1600, 0},
      // Held from 1700 to 1900, then frame 0 (the cycle's end) drawn again.
      {1900, 0}, {2000, 1}, {2100, 2}, {2200, 3}, {2300, 2}, {2400, 1}, {2500, 0}};
  EXPECT_EQ(drawn, expected);
}

TEST(FrameStepperTest, RandomModeShowsADifferentFrameEachInterval) {
  StripFixture f;
  FrameStepperSetup setup = f.Setup();
  setup.cycleMs = 0;
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(setup, 0), 0);
  EXPECT_EQ(stepper.Step(50), 0);
  EXPECT_EQ(stepper.CurrentFrame(), -1);
  int32_t last = -1;
  for (uint32_t t = 100; t <= 1000; t += 100) {
    stepper.Step(t);
    EXPECT_GE(stepper.CurrentFrame(), 0);
    EXPECT_LT(stepper.CurrentFrame(), 4);
    EXPECT_NE(stepper.CurrentFrame(), last);
    last = stepper.CurrentFrame();
  }
}

TEST(FrameStepperTest, RefusesStripsThatWouldDivideByZeroOrReadPastTheStrip) {
  struct Case {
    const char* name;
    uint32_t interval;
    int32_t count;
    int32_t width;
  };
  const Case cases[] = {
      {"interval 0", 0, 4, kCell},
      {"frame count 0", 100, 0, kCell},
      {"negative frame count", 100, -1, kCell},
      {"frame width 0", 100, 4, 0},
      {"strip too short", 100, 5, kCell},
  };
  for (const Case& c : cases) {
    StripFixture f;
    FrameStepperSetup setup = f.Setup();
    setup.intervalMs = c.interval;
    setup.frameCount = c.count;
    setup.frameWidth = c.width;
    FrameStepper stepper;
    EXPECT_EQ(stepper.Setup(setup, 0), FrameStepper::kSetupBadStrip) << c.name;
    EXPECT_EQ(stepper.Step(100), 1) << c.name;
    EXPECT_EQ(stepper.SetOrigin(0, 0, false), 1) << c.name;
  }
}

TEST(FrameStepperTest, CycleLongerThanThereAndBackRestsOnTheFirstFrame) {
  StripFixture f;
  FrameStepperSetup setup = f.Setup();
  setup.cycleMs = 2000;
  FrameStepper stepper;
  RecordingOwner owner;
  stepper.SetListener(&owner);
  ASSERT_EQ(stepper.Setup(setup, 0), 0);
  for (uint32_t t = 0; t < 2000; t += 100) {
    stepper.Step(t);
    EXPECT_GE(stepper.CurrentFrame(), 0);
    EXPECT_LT(stepper.CurrentFrame(), 4);
  }
  for (const Rect& r : owner.rects) EXPECT_EQ(r.Width(), kCell);
}

TEST(FrameStepperTest, RestingValueOutsideTheStripDrawsNothing) {
  for (int32_t resting : {1, 5, -4, -100000}) {
    StripFixture f;
    FrameStepperSetup setup = f.Setup();
    setup.repeat = 1;
    setup.restingValue = resting;
    FrameStepper stepper;
    RecordingOwner owner;
    stepper.SetListener(&owner);
    ASSERT_EQ(stepper.Setup(setup, 0), 0);
    stepper.Finish();
    EXPECT_TRUE(owner.rects.empty()) << resting;
  }
}

// A cell drawn by its alpha: where the cell is clear the background shows
// through (a click-wait cursor is a dot on a clear cell).
TEST(FrameStepperTest, BlendedCellsLeaveTheBackgroundUnderTheirClearPixels) {
  StripFixture f;
  f.frames.FillBox(0, 0, kCell / 2, kCell, 0);
  // A target that keeps alpha: a half-covered window keeps its coverage
  // under the clear pixels and is fully covered under the dot.
  f.target.SetHasAlpha(true);
  f.target.FillBox(0, 0, 16, 16, 0x800000AAu);
  FrameStepperSetup setup = f.Setup();
  setup.drawKind = 1;
  setup.keepBackground = true;
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(setup, 0), 0);
  ASSERT_EQ(stepper.SaveBackground(nullptr), 0);
  stepper.Step(0);
  ASSERT_NE(f.target.BuildRowTable(), 1);
  EXPECT_EQ(f.TargetPixel(2, 3), 0x800000AAu);              // clear: the background
  EXPECT_EQ(f.TargetPixel(2 + kCell - 1, 3), 0xFF000010u);  // opaque: the cell
}

// Keeping the background saves it at set-up (native 535 asks for nothing
// more): the first frame puts back the target's own pixels, not whatever
// the saved picture's memory held.
TEST(FrameStepperTest, AKeptBackgroundIsSavedBeforeTheFirstFrame) {
  StripFixture f;
  f.frames.FillBox(0, 0, kCell / 2, kCell, 0);
  f.target.FillBox(0, 0, 16, 16, 0xFF0000AAu);
  FrameStepperSetup setup = f.Setup();
  setup.drawKind = 1;
  setup.keepBackground = true;
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(setup, 0), 0);
  stepper.Step(0);
  ASSERT_NE(f.target.BuildRowTable(), 1);
  EXPECT_EQ(f.TargetPixel(2, 3) & 0xFFFFFFu, 0xAAu);              // clear: the target's own colour
  EXPECT_EQ(f.TargetPixel(2 + kCell - 1, 3) & 0xFFFFFFu, 0x10u);  // opaque: the cell
}

TEST(FrameStepperTest, SetOriginRestoresTheBackgroundAndSavesTheNewOne) {
  StripFixture f;
  FrameStepperSetup setup = f.Setup();
  setup.keepBackground = true;
  setup.drawKind = 2;
  f.target.FillBox(0, 0, 16, 16, 0xFF0000AAu);
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(setup, 0), 0);
  ASSERT_EQ(stepper.SaveBackground(nullptr), 0);
  stepper.Step(0);
  ASSERT_NE(f.target.BuildRowTable(), 1);
  EXPECT_EQ(f.TargetPixel(2, 3) & 0xFFFFFFu, 0x10u);
  ASSERT_EQ(stepper.SetOrigin(8, 8, true), 0);
  EXPECT_EQ(f.TargetPixel(2, 3) & 0xFFFFFFu, 0xAAu);
}

}  // namespace
}  // namespace orrivel
