#pragma once
// The calling thread's scheduling priority, in the five steps the engine
// names: 0 lowest, 1 below normal, 2 normal, 3 above normal, 4 highest.
#include <cstdint>

namespace orrivel::platform {

// Best effort: raising a thread above normal needs privileges here, and
// without them the thread simply stays where it is. True when applied.
bool SetCurrentThreadPriority(uint8_t level);

}  // namespace orrivel::platform
