#include <gtest/gtest.h>

#include "frame/TimerArray.h"
#include "platform/Clock.h"

namespace orrivel {
namespace {

class TimerArrayTest : public ::testing::Test {
 protected:
  platform::ManualClock clock{5000};
  platform::ScopedClock scoped{clock};
};

TEST_F(TimerArrayTest, CreateAndRefusedIndexes) {
  TimerArray timers;
  EXPECT_EQ(timers.Create(0), TimerArray::kNoTimers);
  EXPECT_EQ(timers.Count(), 0u);
  EXPECT_FALSE(timers.Start(0));
  EXPECT_FALSE(timers.PauseAll());
  EXPECT_FALSE(timers.ResumeAll());
  EXPECT_EQ(timers.Create(65538), TimerArray::kOk);  // only 16 bits count
  EXPECT_EQ(timers.Count(), 2u);
  EXPECT_EQ(timers.Create(65536), TimerArray::kNoTimers);
  EXPECT_EQ(timers.Count(), 0u);

  ASSERT_EQ(timers.Create(2), TimerArray::kOk);
  EXPECT_TRUE(timers.Start(1));
  clock.Advance(30);
  EXPECT_EQ(timers.Elapsed(1), 30u);
  EXPECT_EQ(timers.Elapsed(2), 0u);
  EXPECT_FALSE(timers.Start(2));
  EXPECT_FALSE(timers.SetElapsed(2, 5));
  EXPECT_FALSE(timers.Pause(2));
  EXPECT_FALSE(timers.Resume(2));
  EXPECT_TRUE(timers.SetElapsed(0, 500));
  EXPECT_EQ(timers.Elapsed(0), 500u);
}

TEST_F(TimerArrayTest, NestedPauses) {
  TimerArray timers;
  ASSERT_EQ(timers.Create(2), TimerArray::kOk);
  timers.Start(0);
  timers.Start(1);
  timers.Pause(0);
  timers.Pause(0);
  clock.Advance(10);
  timers.Resume(0);
  clock.Advance(10);
  EXPECT_EQ(timers.Elapsed(0), 0u);  // still paused once
  timers.Resume(0);
  clock.Advance(10);
  EXPECT_EQ(timers.Elapsed(0), 10u);
  EXPECT_EQ(timers.Elapsed(1), 30u);

  // PauseAll and ResumeAll leave each timer's own pause depth as it was.
  timers.Pause(1);
  ASSERT_TRUE(timers.PauseAll());
  EXPECT_TRUE(timers.AllPaused());
  clock.Advance(100);
  ASSERT_TRUE(timers.ResumeAll());
  EXPECT_FALSE(timers.AllPaused());
  EXPECT_FALSE(timers.At(0)->IsPaused());
  EXPECT_EQ(timers.At(1)->PauseDepth(), 1);
  clock.Advance(5);
  EXPECT_EQ(timers.Elapsed(0), 15u);
  EXPECT_EQ(timers.Elapsed(1), 30u);
}

TEST_F(TimerArrayTest, FrameArrayIsNotTheProcessArray) {
  TimerArray frame;
  ASSERT_EQ(frame.Create(2), TimerArray::kOk);
  frame.Start(0);
  ASSERT_NE(&frame, &ProcessTimerArray());
  // A script recreating or freeing its timers leaves the frame's running.
  ASSERT_EQ(ProcessTimerArray().Create(4), TimerArray::kOk);
  ProcessTimerArray().Free();
  clock.Advance(7);
  EXPECT_EQ(frame.Count(), 2u);
  EXPECT_EQ(frame.Elapsed(0), 7u);
}

}  // namespace
}  // namespace orrivel
