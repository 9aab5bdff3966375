#include "base/FrameRateLimiter.h"

#include <algorithm>
#include <cstdint>

#include "base/TickSource.h"
#include "platform/Clock.h"

namespace orrivel {

FrameRateLimiter::FrameRateLimiter(int32_t rate, bool usePerformanceCounter) {
  counterFrequency_ = 0;
  SetRate(rate, usePerformanceCounter);
  countMissedPeriods_ = false;
}

void FrameRateLimiter::SetRate(int32_t rate, bool usePerformanceCounter) {
  if (rate < 1) {
    usePerformanceCounter_ = false;
    periodMs_ = 0;
    framesThisSecond_ = 0;
    measuredRate_ = 0;
    msThisSecond_ = 0;
    lastFrameTick_ = CurrentTickMs();
    rate_ = rate;
    return;
  }
  if (usePerformanceCounter && counterFrequency_ == 0) counterFrequency_ = platform::Clock().CounterFrequency();
  periodMs_ = 1000u / uint32_t(rate);
  periodCounts_ = counterFrequency_ / uint64_t(rate);
  if (usePerformanceCounter && counterFrequency_ != 0 && periodCounts_ != 0) {
    usePerformanceCounter_ = true;
    lastFrameCounter_ = platform::Clock().Counter();
    countsThisSecond_ = 0;
    halfPeriodCounts_ = periodCounts_ >> 1;
  } else {
    usePerformanceCounter_ = false;
    lastFrameTick_ = CurrentTickMs();
    msThisSecond_ = 0;
  }
  framesThisSecond_ = 0;
  measuredRate_ = 0;
  rate_ = rate;
  StartSchedule(usePerformanceCounter_ ? lastFrameCounter_ : lastFrameTick_);
}

void FrameRateLimiter::SetExactPeriod(bool on) {
  exactPeriod_ = on;
  if (rate_ < 1) return;
  StartSchedule(usePerformanceCounter_ ? platform::Clock().Counter() : CurrentTickMs());
}

void FrameRateLimiter::StartSchedule(uint64_t now) {
  scheduleStart_ = now;
  scheduleFrame_ = 0;
  nextDue_ = now + ScheduleOffset(1);
}

void FrameRateLimiter::AdvanceSchedule(uint64_t now) {
  if (++scheduleFrame_ == uint32_t(rate_)) {
    scheduleStart_ += UnitsPerSecond();
    scheduleFrame_ = 0;
  }
  nextDue_ = scheduleStart_ + ScheduleOffset(scheduleFrame_ + 1);
  const bool late = usePerformanceCounter_ ? int64_t(now - nextDue_) >= 0
                                           : TickDiff(uint32_t(now), uint32_t(nextDue_)) >= 0;
  if (late) StartSchedule(now);
}

int32_t FrameRateLimiter::MissedOnSchedule(uint64_t elapsed) const {
  const uint64_t periods = elapsed * uint64_t(rate_) / UnitsPerSecond();
  return periods > 1 ? int32_t(std::min<uint64_t>(periods - 1, INT32_MAX)) : 0;
}

bool FrameRateLimiter::IsFrameDue() {
  missedPeriods_ = 0;
  if (exactPeriod_ && rate_ >= 1 && rate_ <= 1000) {
    return usePerformanceCounter_ ? IsScheduledFrameDueOnCounter() : IsScheduledFrameDueOnTick();
  }
  return usePerformanceCounter_ ? IsFrameDueOnCounter() : IsFrameDueOnTick();
}

bool FrameRateLimiter::IsScheduledFrameDueOnCounter() {
  const uint64_t counter = platform::Clock().Counter();
  const bool due = int64_t(counter - nextDue_) >= 0;
  if (due) {
    const uint64_t elapsed = counter - lastFrameCounter_;
    if (countMissedPeriods_) {
      missedPeriods_ = MissedOnSchedule(elapsed);
      if (missedPeriods_ != 0) sleepHintMs_ = periodMs_ >> 1;
    }
    lastFrameCounter_ = counter;
    ++framesThisSecond_;
    countsThisSecond_ += elapsed;
    AdvanceSchedule(counter);
  } else {
    // Rounded up: waking a little late costs less than a pass that finds
    // the frame not yet due and sleeps nothing.
    const uint64_t left = nextDue_ - counter;
    sleepHintMs_ = uint32_t((left * 1000 + counterFrequency_ - 1) / counterFrequency_);
  }
  if (countsThisSecond_ >= counterFrequency_) {
    measuredRate_ = framesThisSecond_;
    framesThisSecond_ = 0;
    countsThisSecond_ = 0;
  }
  return due;
}

bool FrameRateLimiter::IsScheduledFrameDueOnTick() {
  const uint32_t now = CurrentTickMs();
  const bool due = TickDiff(now, uint32_t(nextDue_)) >= 0;
  if (due) {
    const uint32_t elapsed = now - lastFrameTick_;
    if (countMissedPeriods_) {
      missedPeriods_ = MissedOnSchedule(elapsed);
      if (missedPeriods_ != 0) sleepHintMs_ = periodMs_ >> 1;
    }
    ++framesThisSecond_;
    msThisSecond_ += elapsed;
    lastFrameTick_ = now;
    AdvanceSchedule(now);
  } else {
    sleepHintMs_ = uint32_t(nextDue_) - now;
  }
  if (msThisSecond_ >= 1000) {
    measuredRate_ = framesThisSecond_;
    framesThisSecond_ = 0;
    msThisSecond_ = 0;
  }
  return due;
}

bool FrameRateLimiter::IsFrameDueOnCounter() {
  bool due = false;
  const uint64_t counter = platform::Clock().Counter();
  const uint64_t elapsed = counter - lastFrameCounter_;
  if (elapsed >= periodCounts_) {
    due = true;
    if (countMissedPeriods_) {
      missedPeriods_ = int32_t(elapsed / periodCounts_ - 1);
      if (missedPeriods_ != 0) sleepHintMs_ = periodMs_ >> 1;
    }
    lastFrameCounter_ = counter;
    ++framesThisSecond_;
    countsThisSecond_ += elapsed;
  } else if (elapsed < halfPeriodCounts_) {
    // The hint is the part of the period already gone, not the part left;
    // it undershoots the wait, which only costs an extra pass.
    sleepHintMs_ = uint32_t(elapsed * periodMs_ / periodCounts_);
  } else {
    sleepHintMs_ = 0;
  }
  if (countsThisSecond_ >= counterFrequency_) {
    measuredRate_ = framesThisSecond_;
    framesThisSecond_ = 0;
    countsThisSecond_ = 0;
  }
  return due;
}

bool FrameRateLimiter::IsFrameDueOnTick() {
  bool due = false;
  const uint32_t now = CurrentTickMs();
  const uint32_t elapsed = now - lastFrameTick_;
  if (elapsed >= periodMs_) {
    due = true;
    if (countMissedPeriods_ && periodMs_ != 0) {
      missedPeriods_ = int32_t(elapsed / periodMs_ - 1);
      if (missedPeriods_ != 0) sleepHintMs_ = periodMs_ >> 1;
    }
    ++framesThisSecond_;
    msThisSecond_ += elapsed;
    lastFrameTick_ = now;
  } else {
    sleepHintMs_ = periodMs_ - elapsed;
  }
  if (msThisSecond_ >= 1000) {
    measuredRate_ = framesThisSecond_;
    framesThisSecond_ = 0;
    msThisSecond_ = 0;
  }
  return due;
}

}  // namespace orrivel
