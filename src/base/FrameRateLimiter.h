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

  // On a fixed schedule, frames fall due at exactly 1000/rate ms apart on
  // average (16, 17, 17 ms at 60 frames a second) rather than a whole
  // period after the last frame, so the rate neither drifts by the
  // rounding of the period nor by the lateness of each wake-up; a frame
  // more than a period late starts the schedule again from itself. The
  // sleep hint is then the time left until the next frame, so that a
  // caller that sleeps it wakes when the frame is due. Off, the period is
  // the whole milliseconds (or counts) of 1000/rate from the last frame, on
  // which a run whose clock moves a whole period a frame relies. Turning
  // it on or off starts the schedule from now.
  void SetExactPeriod(bool on);
  bool ExactPeriod() const { return exactPeriod_; }

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
  bool IsScheduledFrameDueOnCounter();
  bool IsScheduledFrameDueOnTick();
  // The fixed schedule, in counts or milliseconds (ticks wrap at 2^32).
  uint64_t UnitsPerSecond() const { return usePerformanceCounter_ ? counterFrequency_ : 1000; }
  uint64_t ScheduleOffset(uint32_t frame) const { return uint64_t(frame) * UnitsPerSecond() / uint64_t(rate_); }
  void StartSchedule(uint64_t now);
  // Moves the schedule to the frame after the one now due; a frame a whole
  // period late or more starts it again from now.
  void AdvanceSchedule(uint64_t now);
  // Whole periods between the last frame and this one, less the one expected.
  int32_t MissedOnSchedule(uint64_t elapsed) const;

  int32_t rate_ = 0;
  bool usePerformanceCounter_ = false;
  bool countMissedPeriods_ = false;
  bool vsyncWait_ = false;
  bool exactPeriod_ = false;
  uint64_t scheduleStart_ = 0;   // counter or tick where the schedule's second began
  uint32_t scheduleFrame_ = 0;   // frames of that second already due
  uint64_t nextDue_ = 0;         // counter or tick of the next frame
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
