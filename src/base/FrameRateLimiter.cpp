#include "base/FrameRateLimiter.h"

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
}

bool FrameRateLimiter::IsFrameDue() {
  missedPeriods_ = 0;
  return usePerformanceCounter_ ? IsFrameDueOnCounter() : IsFrameDueOnTick();
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
