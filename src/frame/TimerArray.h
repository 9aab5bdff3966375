#pragma once
// A small numbered set of millisecond stopwatches. The text-adventure frame
// keeps its own (timed waits and text pacing) and the script natives keep a
// process-wide one; they are separate objects so that a script freeing or
// recreating its timers never takes the frame's pacing timers with it.
#include <cstdint>
#include <memory>

#include "base/Timer.h"

namespace orrivel {

class TimerArray {
 public:
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kNoTimers = 1;
  static constexpr int32_t kNoMemory = 2;

  TimerArray() = default;
  virtual ~TimerArray();
  TimerArray(const TimerArray&) = delete;
  TimerArray& operator=(const TimerArray&) = delete;

  // Frees the old array, then makes n new timers; only the low 16 bits of n
  // count. 0 done; 1 when that leaves 0 timers (no array); 2 out of memory.
  int32_t Create(uint32_t n);
  void Free();

  // Each refuses an index at or above the count (false, or 0 elapsed).
  bool Start(uint16_t index);
  uint32_t Elapsed(uint16_t index) const;
  bool SetElapsed(uint16_t index, uint32_t ms);
  bool Pause(uint16_t index);
  bool Resume(uint16_t index);
  // Pause or resume every timer together (a modal screen); false without an array.
  bool PauseAll();
  bool ResumeAll();

  uint16_t Count() const { return count_; }
  bool AllPaused() const { return allPaused_ != 0; }
  // The timer at index, or nullptr when refused.
  const Timer* At(uint16_t index) const;

 private:
  Timer* Find(uint16_t index);

  std::unique_ptr<Timer[]> timers_;
  uint16_t count_ = 0;
  uint8_t allPaused_ = 0;
};

}  // namespace orrivel

namespace orrivel {

// The process-wide array that natives 540 to 547 work on. The frame never
// uses it: it owns its own TimerArray.
TimerArray& ProcessTimerArray();

}  // namespace orrivel
