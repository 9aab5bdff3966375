#pragma once
// A background action that redraws its work copy through a period a number
// of times or endlessly and ends, releasing the copy, after its last period
// or the period in which a stop was asked for (bg_loop, bg_cross).
#include <cstdint>

#include "effect/BackgroundAction.h"
#include "effect/PeriodCounter.h"

namespace orrivel {

class PeriodicBackgroundAction : public BackgroundAction {
 public:
  int32_t Step(uint32_t now) override {
    uint32_t elapsed = 0;
    if (!clock_.Advance(now, &elapsed)) {
      ReleaseWorkCopy();
      return 1;
    }
    Draw(elapsed);
    return 0;
  }
  void Stop() override { ReleaseWorkCopy(); }

 protected:
  // Draws the work copy at the time into the current period.
  virtual void Draw(uint32_t elapsed) = 0;

  PeriodCounter clock_;
};

}  // namespace orrivel
