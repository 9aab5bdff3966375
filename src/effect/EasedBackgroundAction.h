#pragma once
// A background action that eases the layer from where it is to a target
// over a duration and leaves it there (bg_zoom, bg_rot): the clock starts
// at the first step; the end, or a stop through the timer list, shows the
// target.
#include <cstdint>

#include "effect/BackgroundAction.h"

namespace orrivel {

// Easing of an elapsed time t of a duration (t < duration) by the curve c:
// c > 0 starts slowly ((t ÷ D)^c × D), c < 0 ends slowly
// ((1 − (1 − t ÷ D)^−c) × D), 0 is linear; truncated to whole ms.
uint32_t EaseElapsed(uint32_t t, uint32_t duration, double curve);
// The value truncated toward 0 and held to the 32-bit range (NaN gives the
// lowest value).
int32_t TruncToInt32(double value);
// from + truncate((to − from) × f), held to the 32-bit range.
int32_t StepBetween(int32_t from, int32_t to, double f);

class EasedBackgroundAction : public BackgroundAction {
 public:
  // The timer list refused the action.
  static constexpr int32_t kNotListed = 3;
  // Set-up with duration 0: the target is shown and the action not started.
  static constexpr int32_t kAppliedAtOnce = -1;

  int32_t Step(uint32_t now) override;
  void Stop() override { ApplyEnd(); }

 protected:
  // The end of a set-up whose target is stored: duration 0 shows the target
  // at once (kAppliedAtOnce); otherwise the action is listed and enters low
  // priority (0), or kNotListed.
  int32_t Begin(TimerList* timerList, uint32_t duration, double curve);

  // Shows the target.
  virtual void ApplyEnd() = 0;
  // Shows the state at the eased time (below the duration).
  virtual void ApplyEased(uint32_t eased) = 0;

  uint32_t duration_ = 0;

 private:
  double curve_ = 0;
  bool started_ = false;
  uint32_t startTick_ = 0;
};

}  // namespace orrivel
