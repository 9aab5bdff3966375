#pragma once
// Per-thread counts of component-library initialisation, so that nested users
// on one thread pair up: only the first init and the last uninit of a thread
// would reach the system. There is no such library on this platform, so the
// system calls always succeed and only the counts remain.
#include <cstdint>

namespace orrivel {

// 0 done; 1 when initialisation failed (it cannot here).
int32_t ComInitThread();
// 0 done; 1 when the calling thread has no successful init left to undo.
int32_t ComUninitThread();
// The calling thread's count.
int32_t ComThreadCount();

}  // namespace orrivel
