#include "effect/EasedBackgroundAction.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/TimerList.h"

namespace orrivel {
int32_t TruncToInt32(double value) {
  if (!(value > -2147483648.0)) return std::numeric_limits<int32_t>::min();
  if (!(value < 2147483647.0)) return std::numeric_limits<int32_t>::max();
  return int32_t(value);
}

uint32_t EaseElapsed(uint32_t t, uint32_t duration, double curve) {
  if (duration == 0 || curve == 0.0 || !std::isfinite(curve)) return t;
  const double d = double(duration), u = double(t) / d;
  const double eased = curve > 0 ? std::pow(u, curve) * d : (1.0 - std::pow(1.0 - u, -curve)) * d;
  return uint32_t(std::clamp(eased, 0.0, d));
}

int32_t StepBetween(int32_t from, int32_t to, double f) {
  return TruncToInt32(double(from) + double(TruncToInt32((double(to) - double(from)) * f)));
}

int32_t EasedBackgroundAction::Begin(TimerList* timerList, uint32_t duration, double curve) {
  duration_ = duration;
  curve_ = curve;
  started_ = false;
  if (duration_ == 0) {
    ApplyEnd();
    return kAppliedAtOnce;
  }
  if (timerList->Add(this, 0, 0, 0) != 0) return kNotListed;
  EnterLowPriority();
  return 0;
}

int32_t EasedBackgroundAction::Step(uint32_t now) {
  if (!started_) {
    started_ = true;
    startTick_ = now;
  }
  const uint32_t elapsed = now - startTick_;
  if (elapsed >= duration_) {
    ApplyEnd();
    return 1;
  }
  ApplyEased(EaseElapsed(elapsed, duration_, curve_));
  return 0;
}

}  // namespace orrivel
