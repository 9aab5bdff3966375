#pragma once
// The one millisecond clock of the process. Every reader of time calls
// CurrentTickMs; ticks wrap at 2^32, so compare them by signed difference.
#include <cstdint>

#include "platform/Clock.h"

namespace orrivel {

// True when the fine multimedia-style timer was chosen (see
// InitTimerResolution). Written once before any thread starts.
extern bool UseMultimediaTimer;

// Chooses the tick source once per process and returns the minimum timer
// period in ms: a machine whose finest period is below 10 ms uses the fine
// timer; otherwise (or when it cannot tell) the coarse tick, with period 1.
uint32_t InitTimerResolution();

// Forgets the choice so that a test can run the rule again.
void ResetTimerResolutionForTest();

inline uint32_t CurrentTickMs() { return platform::Clock().TickMs(); }

// (a - b) as a signed span: positive when a is later than b.
inline int32_t TickDiff(uint32_t a, uint32_t b) { return int32_t(a - b); }

}  // namespace orrivel
