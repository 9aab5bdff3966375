#include "base/FrameRateLimiter.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Clock.h"

namespace orrivel {
namespace {

TEST(FrameRateLimiter, RateBelowOneTurnsPacingOffButStillMeasures) {
  for (int32_t rate : {0, -5}) {
    SCOPED_TRACE(rate);
    platform::ManualClock clock(1000);
    platform::ScopedClock scoped(clock);
    FrameRateLimiter limiter(rate, true);
    EXPECT_FALSE(limiter.UsesPerformanceCounter());
    EXPECT_EQ(limiter.PeriodMs(), 0u);
    EXPECT_TRUE(limiter.IsFrameDue());  // no time has passed at all
    EXPECT_TRUE(limiter.IsFrameDue());
    for (int i = 0; i < 10; ++i) {
      clock.Advance(100);
      EXPECT_TRUE(limiter.IsFrameDue());
    }
    EXPECT_EQ(limiter.MeasuredRate(), 12u);  // frames counted until a second had passed
  }
}

TEST(FrameRateLimiter, SixtyOnTheTickRunsUpToSixtyTwoFrames) {
  platform::ManualClock clock(1000);
  platform::ScopedClock scoped(clock);
  FrameRateLimiter limiter(60, false);
  EXPECT_EQ(limiter.PeriodMs(), 16u);
  clock.Advance(15);
  EXPECT_FALSE(limiter.IsFrameDue());
  EXPECT_EQ(limiter.SleepHintMs(), 1u);
  clock.Advance(1);
  EXPECT_TRUE(limiter.IsFrameDue());

  // Ask every millisecond: a frame every 16 ms is 62 frames in the first
  // second. The measured rate closes at the frame that completes the second
  // (1008 ms, the 63rd frame) and counts that frame too.
  limiter.SetRate(60, false);
  int frames = 0;
  for (int ms = 0; ms < 1000; ++ms) {
    clock.Advance(1);
    if (limiter.IsFrameDue()) ++frames;
  }
  EXPECT_EQ(frames, 62);
  EXPECT_EQ(limiter.MeasuredRate(), 0u);
  clock.Advance(8);
  EXPECT_TRUE(limiter.IsFrameDue());
  EXPECT_EQ(limiter.MeasuredRate(), 63u);
}

TEST(FrameRateLimiter, LateFrameCountsMissedPeriodsOnBothClocks) {
  struct Case {
    bool counter;
    uint64_t lateCounts;  // 3.5 periods on the 1 MHz counter
    uint32_t lateMs;      // 3.5 periods of 16 ms
  };
  for (const Case& c : {Case{false, 0, 56}, Case{true, 58331, 0}}) {
    SCOPED_TRACE(c.counter);
    platform::ManualClock clock(1000);
    platform::ScopedClock scoped(clock);
    FrameRateLimiter limiter(60, c.counter);
    ASSERT_EQ(limiter.UsesPerformanceCounter(), c.counter);
    clock.SetTick(1000 + c.lateMs);
    clock.AdvanceCounter(c.lateCounts);
    limiter.SetCountMissedPeriods(false);
    EXPECT_TRUE(limiter.IsFrameDue());
    EXPECT_EQ(limiter.MissedPeriods(), 0);

    limiter.SetRate(60, c.counter);
    limiter.SetCountMissedPeriods(true);
    clock.SetTick(clock.TickMs() + c.lateMs);
    clock.AdvanceCounter(c.lateCounts);
    EXPECT_TRUE(limiter.IsFrameDue());
    EXPECT_EQ(limiter.MissedPeriods(), 2);
    EXPECT_EQ(limiter.SleepHintMs(), 8u);
    // The next frame on time misses nothing and keeps the earlier hint.
    clock.SetTick(clock.TickMs() + (c.lateMs ? 16 : 0));
    clock.AdvanceCounter(c.lateCounts ? 16666 : 0);
    EXPECT_TRUE(limiter.IsFrameDue());
    EXPECT_EQ(limiter.MissedPeriods(), 0);
    EXPECT_EQ(limiter.SleepHintMs(), 8u);
  }
}

TEST(FrameRateLimiter, PerformanceCounterPath) {
  platform::ManualClock clock(1000);
  platform::ScopedClock scoped(clock);
  FrameRateLimiter limiter(60, true);
  ASSERT_TRUE(limiter.UsesPerformanceCounter());
  EXPECT_EQ(limiter.PeriodCounts(), 16666u);
  clock.AdvanceCounter(5000);
  EXPECT_FALSE(limiter.IsFrameDue());
  EXPECT_EQ(limiter.SleepHintMs(), 4u);  // 5000 counts of 16666 is 4 ms of the period
  clock.AdvanceCounter(5000);
  EXPECT_FALSE(limiter.IsFrameDue());
  EXPECT_EQ(limiter.SleepHintMs(), 0u);  // past half a period
  clock.AdvanceCounter(6666);
  EXPECT_TRUE(limiter.IsFrameDue());

  // One frame every period: after a second of counts the rate is measured.
  limiter.SetRate(60, true);
  for (int i = 0; i < 60; ++i) {
    clock.AdvanceCounter(16666);
    EXPECT_TRUE(limiter.IsFrameDue());
  }
  EXPECT_EQ(limiter.MeasuredRate(), 0u);  // 60 × 16666 is just short of a second
  clock.AdvanceCounter(16666);
  EXPECT_TRUE(limiter.IsFrameDue());
  EXPECT_EQ(limiter.MeasuredRate(), 61u);
}

TEST(FrameRateLimiter, FallsBackToTheTickWhenTheCounterCannotPace) {
  struct Case {
    uint64_t frequency;
    int32_t rate;
  };
  for (const Case& c : {Case{0, 60}, Case{30, 60}}) {
    SCOPED_TRACE(c.frequency);
    platform::ManualClock clock(1000);
    clock.SetCounterFrequency(c.frequency);
    platform::ScopedClock scoped(clock);
    FrameRateLimiter limiter(c.rate, true);
    EXPECT_FALSE(limiter.UsesPerformanceCounter());
    clock.Advance(15);
    EXPECT_FALSE(limiter.IsFrameDue());
    clock.Advance(1);
    EXPECT_TRUE(limiter.IsFrameDue());
  }
  // The frequency is read once: a later SetRate keeps the first reading.
  platform::ManualClock clock(1000);
  platform::ScopedClock scoped(clock);
  FrameRateLimiter limiter(60, true);
  clock.SetCounterFrequency(0);
  limiter.SetRate(30, true);
  EXPECT_TRUE(limiter.UsesPerformanceCounter());
  EXPECT_EQ(limiter.PeriodCounts(), 33333u);
}

// On the fixed schedule a frame falls due every 1000/60 ms on average on
// either clock: asked every tenth of a millisecond for three seconds, the
// limiter runs 180 frames, 16, 17 and 17 ms apart, and the hint of a pass
// that finds no frame due is the time left until the next one.
TEST(FrameRateLimiter, TheExactPeriodKeepsSixtyFramesASecondOnBothClocks) {
  for (const bool counter : {false, true}) {
    SCOPED_TRACE(counter);
    platform::ManualClock clock(1000);
    platform::ScopedClock scoped(clock);
    FrameRateLimiter limiter(60, counter);
    limiter.SetExactPeriod(true);
    std::vector<uint64_t> dueAt;  // in tenths of a millisecond
    for (uint64_t tenth = 1; tenth <= 30000; ++tenth) {
      clock.AdvanceCounter(100);  // the counter runs at 1 MHz
      if (tenth % 10 == 0) clock.SetTick(clock.TickMs() + 1);
      if (limiter.IsFrameDue()) {
        dueAt.push_back(tenth);
        continue;
      }
      // Whole milliseconds left on the tick; rounded up on the counter.
      const uint64_t frame = dueAt.size() + 1;
      const uint64_t left = counter ? (frame * 1000000 / 60 - tenth * 100 + 999) / 1000
                                    : frame * 1000 / 60 - tenth / 10;
      ASSERT_EQ(limiter.SleepHintMs(), uint32_t(left)) << tenth;
    }
    ASSERT_EQ(dueAt.size(), 180u);
    for (size_t i = 1; i < dueAt.size(); ++i) {
      const uint64_t gap = dueAt[i] - dueAt[i - 1];
      EXPECT_GE(gap, 160u) << i;
      EXPECT_LE(gap, 170u) << i;
    }
    EXPECT_EQ(dueAt.back(), 30000u);  // the 180th frame lands on the third second
    EXPECT_EQ(limiter.MeasuredRate(), 60u);
  }
}

// Waking late costs nothing over a second: the frame after a late one comes
// sooner. A frame a whole period late or more starts the schedule again
// from itself rather than running the missed frames back to back.
TEST(FrameRateLimiter, TheExactPeriodMakesUpLateWakeUpsButRestartsAfterAWholePeriod) {
  platform::ManualClock clock(1000);
  platform::ScopedClock scoped(clock);
  FrameRateLimiter limiter(60, false);
  limiter.SetExactPeriod(true);
  // Each pass sleeps its hint and wakes 3 ms late.
  int frames = 0;
  uint32_t elapsed = 0;
  while (elapsed < 1000) {
    if (limiter.IsFrameDue()) {
      ++frames;
      clock.Advance(1);
      elapsed += 1;
      continue;
    }
    const uint32_t wait = limiter.SleepHintMs() + 3;
    clock.Advance(wait);
    elapsed += wait;
  }
  EXPECT_GE(frames, 59);
  EXPECT_LE(frames, 61);

  // 40 ms without a look: one frame, the missed ones counted, and the next
  // a whole period after it.
  limiter.SetRate(60, false);
  limiter.SetCountMissedPeriods(true);
  clock.Advance(40);
  EXPECT_TRUE(limiter.IsFrameDue());
  EXPECT_EQ(limiter.MissedPeriods(), 1);  // 40 ms is 2.4 periods
  EXPECT_FALSE(limiter.IsFrameDue());
  clock.Advance(15);
  EXPECT_FALSE(limiter.IsFrameDue());
  EXPECT_EQ(limiter.SleepHintMs(), 1u);
  clock.Advance(1);
  EXPECT_TRUE(limiter.IsFrameDue());
  EXPECT_EQ(limiter.MissedPeriods(), 0);
}

}  // namespace
}  // namespace orrivel
