#include "base/ComThread.h"

#include <map>

#include "base/CriticalSection.h"
#include "base/ScopedLock.h"
#include "platform/ThreadId.h"

namespace orrivel {
namespace {

// Where the system's initialise and uninitialise would go; both succeed.
bool InitializeComponentLibrary() { return true; }
void UninitializeComponentLibrary() {}

struct ComCounts {
  CriticalSection lock;
  // Entries are made on first look-up and never erased.
  std::map<uint32_t, int32_t> byThread;
  ComLibraryCalls library{&InitializeComponentLibrary, &UninitializeComponentLibrary};
};

ComCounts& Counts() {
  static ComCounts counts;
  return counts;
}

}  // namespace

int32_t ComInitThread() {
  ComCounts& counts = Counts();
  ScopedLock guard(counts.lock);
  int32_t& count = counts.byThread[platform::CurrentThreadId()];
  if (count == 0 && !counts.library.initialize()) return 1;
  ++count;
  return 0;
}

int32_t ComUninitThread() {
  ComCounts& counts = Counts();
  ScopedLock guard(counts.lock);
  int32_t& count = counts.byThread[platform::CurrentThreadId()];
  if (count == 0) return 1;
  if (count == 1) counts.library.uninitialize();
  --count;
  return 0;
}

int32_t ComThreadCount() {
  ComCounts& counts = Counts();
  ScopedLock guard(counts.lock);
  return counts.byThread[platform::CurrentThreadId()];
}

void SetComLibraryCallsForTest(const ComLibraryCalls* calls) {
  ComCounts& counts = Counts();
  ScopedLock guard(counts.lock);
  counts.library = calls ? *calls : ComLibraryCalls{&InitializeComponentLibrary, &UninitializeComponentLibrary};
}

}  // namespace orrivel
