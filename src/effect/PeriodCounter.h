#pragma once
// The clock of an action that repeats a period a number of times or
// endlessly and ends at the end of a period once a stop is asked for
// (bg_loop, bg_cross).
#include <cstdint>

namespace orrivel {

class PeriodCounter {
 public:
  // A period of 0 counts as 1 ms; a count of 0 or less runs endlessly.
  void Reset(uint32_t period, int32_t count) {
    period_ = period == 0 ? 1 : period;
    remaining_ = count;
    started_ = false;
    stop_ = false;
  }
  void RequestStop() { stop_ = true; }
  bool StopRequested() const { return stop_; }
  uint32_t Period() const { return period_; }
  int32_t Remaining() const { return remaining_; }

  // The time into the current period at now (the clock starts at the first
  // call). Every whole period that has passed counts down one run, so a
  // late step loses no count; false when the last run or the run in which
  // a stop was asked for has passed.
  bool Advance(uint32_t now, uint32_t* elapsed) {
    if (!started_) {
      started_ = true;
      start_ = now;
    }
    uint32_t e = now - start_;
    while (e >= period_) {
      if (stop_ || remaining_ == 1) return false;
      if (remaining_ > 1) --remaining_;
      e -= period_;
      start_ += period_;
    }
    *elapsed = e;
    return true;
  }

 private:
  uint32_t period_ = 1;
  int32_t remaining_ = 0;
  bool started_ = false;
  uint32_t start_ = 0;
  bool stop_ = false;
};

}  // namespace orrivel
