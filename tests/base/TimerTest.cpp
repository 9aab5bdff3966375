#include "base/Timer.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"

namespace orrivel {
namespace {

TEST(Timer, CountsTicksAcrossTheWrap) {
  platform::ManualClock clock(0xFFFFFFF0u);
  platform::ScopedClock scoped(clock);
  Timer timer;
  clock.Advance(32);
  EXPECT_EQ(timer.GetElapsed(), 32u);
  EXPECT_EQ(timer.SetElapsed(100), clock.TickMs() - 100);
  clock.Advance(5);
  EXPECT_EQ(timer.GetElapsed(), 105u);
  timer.Restart();
  EXPECT_EQ(timer.GetElapsed(), 0u);
}

TEST(Timer, NestedPausesLeaveTheWholeSpanOut) {
  platform::ManualClock clock(1000);
  platform::ScopedClock scoped(clock);
  Timer timer;
  clock.Advance(10);
  timer.Pause();  // outermost pause at elapsed 10
  clock.Advance(50);
  timer.Pause();
  clock.Advance(50);
  timer.Resume();  // still frozen: one pause left
  EXPECT_TRUE(timer.IsPaused());
  clock.Advance(50);
  EXPECT_EQ(timer.GetElapsed(), 10u);
  timer.Resume();  // the 150 ms since the first Pause do not count
  EXPECT_FALSE(timer.IsPaused());
  clock.Advance(7);
  EXPECT_EQ(timer.GetElapsed(), 17u);
}

TEST(Timer, SetElapsedWhilePausedHoldsUntilResumed) {
  platform::ManualClock clock(1000);
  platform::ScopedClock scoped(clock);
  Timer timer;
  timer.Pause();
  timer.SetElapsed(400);
  clock.Advance(300);
  EXPECT_EQ(timer.GetElapsed(), 400u);
  timer.Resume();
  clock.Advance(20);
  EXPECT_EQ(timer.GetElapsed(), 420u);
  timer.Pause();
  timer.Restart();  // a restart forgets the pause
  EXPECT_FALSE(timer.IsPaused());
}

TEST(Timer, UnbalancedResumeDoesNotBreakTheNextPause) {
  platform::ManualClock clock(1000);
  platform::ScopedClock scoped(clock);
  Timer timer;
  timer.Resume();
  timer.Resume();
  EXPECT_EQ(timer.PauseDepth(), 0);
  clock.Advance(30);
  timer.Pause();  // must record its start and freeze the timer
  clock.Advance(100);
  EXPECT_EQ(timer.GetElapsed(), 30u);
  timer.Resume();
  clock.Advance(1);
  EXPECT_EQ(timer.GetElapsed(), 31u);
}

}  // namespace
}  // namespace orrivel
