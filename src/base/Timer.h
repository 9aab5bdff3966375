#pragma once
// A pausable stopwatch over the process tick. Pauses nest: the timer stays
// frozen until every Pause has been matched by a Resume, and the whole paused
// span (counted from the outermost Pause) is left out of the elapsed time.
#include <cstdint>

namespace orrivel {

class TimerBase {
 public:
  virtual ~TimerBase() = default;
  virtual uint32_t Restart() = 0;
  virtual uint32_t GetElapsed() const = 0;
  virtual uint32_t SetElapsed(uint32_t ms) = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
};

class Timer : public TimerBase {
 public:
  Timer();

  // Elapsed time becomes 0 and every pause is forgotten. Returns the start tick.
  uint32_t Restart() override;
  // Milliseconds since the start, not counting paused spans; frozen while paused.
  uint32_t GetElapsed() const override;
  // Moves the start so that the elapsed time reads ms now. Returns the start tick.
  uint32_t SetElapsed(uint32_t ms) override;
  void Pause() override;
  // A Resume without a matching Pause does nothing: letting the depth go
  // below zero would make the next Pause forget to record its start.
  void Resume() override;

  int32_t PauseDepth() const { return pauseDepth_; }
  bool IsPaused() const { return pauseDepth_ > 0; }

 private:
  uint32_t start_ = 0;
  uint32_t pauseStart_ = 0;
  int32_t pauseDepth_ = 0;
};

}  // namespace orrivel
