#pragma once
// Paces the main loop at a fixed number of frames a second, either on the
// high-resolution counter or on the millisecond tick. The owner asks
// IsFrameDue once per pass; when it says no, the owner sleeps for
// SleepHintMs (0 with pacing on means "yield") and asks again.
#include <cstdint>

namespace orrivel {

class FrameRateLimiter {
 public:
  // Rates below 1 turn pacing off.
  FrameRateLimiter(int32_t rate = 60, bool usePerformanceCounter = false);

  // Chooses the clock and the period. The first frame after this call is
  // measured from this call. Falls back to the millisecond tick when the
  // counter is missing (frequency 0) or too coarse for the rate.
  void SetRate(int32_t rate, bool usePerformanceCounter);

  // True when a frame should run now. Also updates MissedPeriods, the sleep
  // hint and, once a second's worth of time has been counted, MeasuredRate.
  bool IsFrameDue();

  // Whether IsFrameDue reports how many whole periods a late frame missed.
  void SetCountMissedPeriods(bool on) { countMissedPeriods_ = on; }
  bool CountMissedPeriods() const { return countMissedPeriods_; }

  // Whether the frames wait for the vertical blank (the pacing sets it
  // with a non-zero sync interval, or switches it on by itself): the
  // pumps that draw the scene objects then stop a little before each due
  // frame, so that the presentation meets the blank.
  void SetVSyncWait(bool on) { vsyncWait_ = on; }
  bool VSyncWait() const { return vsyncWait_; }

  int32_t Rate() const { return rate_; }
  bool UsesPerformanceCounter() const { return usePerformanceCounter_; }
  int32_t MissedPeriods() const { return missedPeriods_; }
  uint32_t MeasuredRate() const { return measuredRate_; }
  uint32_t SleepHintMs() const { return sleepHintMs_; }
  uint32_t PeriodMs() const { return periodMs_; }
  uint64_t PeriodCounts() const { return periodCounts_; }
  uint64_t CounterFrequency() const { return counterFrequency_; }

 private:
  bool IsFrameDueOnCounter();
  bool IsFrameDueOnTick();

  int32_t rate_ = 0;
  bool usePerformanceCounter_ = false;
  bool countMissedPeriods_ = false;
  bool vsyncWait_ = false;
  int32_t missedPeriods_ = 0;
  uint32_t measuredRate_ = 0;
  uint32_t framesThisSecond_ = 0;
  // Read once, on the first request for the counter, and kept afterwards.
  uint64_t counterFrequency_ = 0;
  uint64_t periodCounts_ = 0;
  uint64_t halfPeriodCounts_ = 0;
  uint64_t lastFrameCounter_ = 0;
  uint64_t countsThisSecond_ = 0;
  uint32_t periodMs_ = 0;
  uint32_t lastFrameTick_ = 0;
  uint32_t msThisSecond_ = 0;
  uint32_t sleepHintMs_ = 0;
};

}  // namespace orrivel
