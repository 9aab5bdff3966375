#pragma once
// A timer list that takes no task, as when no handle is left.
#include <cstdint>

#include "base/TimerList.h"

namespace orrivel::testing {

class RefusingTimerList : public TimerList {
 public:
  int32_t Add(TimedTask*, uint32_t, uint32_t, uint32_t) override { return 3; }
};

}  // namespace orrivel::testing
