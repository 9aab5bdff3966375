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

// The two calls that would reach the system's component library. Tests put
// their own in place to count the calls and to make initialisation fail;
// null restores the defaults, which always succeed.
struct ComLibraryCalls {
  bool (*initialize)();
  void (*uninitialize)();
};
void SetComLibraryCallsForTest(const ComLibraryCalls* calls);

}  // namespace orrivel
