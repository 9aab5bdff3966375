#include "base/TickSource.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"

namespace orrivel {
namespace {

// Runs the choice again against a clock that reports a given finest period,
// and leaves the process's own choice as it found it.
class TickSourceTest : public testing::Test {
 protected:
  void TearDown() override {
    ResetTimerResolutionForTest();
    InitTimerResolution();
  }
};

TEST_F(TickSourceTest, FinePeriodBelowTenMsSelectsTheFineTimer) {
  struct Case {
    uint32_t reported;  // 0: the machine cannot tell
    bool fine;
    uint32_t period;
  };
  const Case cases[] = {{1, true, 1}, {9, true, 9}, {10, false, 1}, {15, false, 1}, {0, false, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported);
    platform::ManualClock clock;
    clock.SetMinTimerPeriodMs(c.reported);
    platform::ScopedClock scoped(clock);
    ResetTimerResolutionForTest();
    EXPECT_EQ(InitTimerResolution(), c.period);
    EXPECT_EQ(UseMultimediaTimer, c.fine);
    // Chosen once: a later report changes nothing.
    clock.SetMinTimerPeriodMs(c.fine ? 50 : 2);
    EXPECT_EQ(InitTimerResolution(), c.period);
    EXPECT_EQ(UseMultimediaTimer, c.fine);
  }
}

TEST_F(TickSourceTest, TicksCompareBySignedDifferenceAcrossTheWrap) {
  EXPECT_EQ(TickDiff(5, 0xFFFFFFFBu), 10);
  EXPECT_EQ(TickDiff(0xFFFFFFFBu, 5), -10);
  EXPECT_EQ(TickDiff(100, 100), 0);
  // The tick is never 0: callers use 0 for "not started".
  platform::ManualClock clock(0);
  platform::ScopedClock scoped(clock);
  EXPECT_NE(CurrentTickMs(), 0u);
}

}  // namespace
}  // namespace orrivel
