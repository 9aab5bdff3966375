#pragma once
// What a position notification wakes: an event that a refill thread waits
// on. Beside waking it, the virtual device asks whether the thread it woke
// has finished its pass (is back waiting, or no thread uses the target), so
// that a test's advance of the virtual clock returns only after every pass
// that the span caused has run.
#include <cstdint>

namespace orrivel::platform {

class AudioWakeTarget {
 public:
  virtual ~AudioWakeTarget() = default;
  virtual void Wake() = 0;
  // True once the woken thread has finished its pass; false when the time-out
  // (real milliseconds, a guard against a thread that never comes back)
  // passed first.
  virtual bool WaitSettled(uint32_t timeoutMs) = 0;
};

}  // namespace orrivel::platform
