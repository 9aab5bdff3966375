#include "base/ComThread.h"

#include <map>

#include "base/CriticalSection.h"
#include "base/ScopedLock.h"
#include "platform/ThreadId.h"

namespace orrivel {
namespace {

struct ComCounts {
  CriticalSection lock;
  // Entries are made on first look-up and never erased.
  std::map<uint32_t, int32_t> byThread;
};

ComCounts& Counts() {
  static ComCounts counts;
  return counts;
}

// Where the system's initialise and uninitialise would go; both succeed.
bool InitializeComponentLibrary() { return true; }
void UninitializeComponentLibrary() {}

}  // namespace

int32_t ComInitThread() {
  ComCounts& counts = Counts();
  ScopedLock guard(counts.lock);
  int32_t& count = counts.byThread[platform::CurrentThreadId()];
  if (count == 0 && !InitializeComponentLibrary()) return 1;
  ++count;
  return 0;
}

int32_t ComUninitThread() {
  ComCounts& counts = Counts();
  ScopedLock guard(counts.lock);
  int32_t& count = counts.byThread[platform::CurrentThreadId()];
  if (count == 0) return 1;
  if (count == 1) UninitializeComponentLibrary();
  --count;
  return 0;
}

int32_t ComThreadCount() {
  ComCounts& counts = Counts();
  ScopedLock guard(counts.lock);
  return counts.byThread[platform::CurrentThreadId()];
}

}  // namespace orrivel
