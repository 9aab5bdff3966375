#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orrivel::platform {

bool SetCurrentThreadPriority(uint8_t level) {
  // Nice values per step; on Linux a thread's nice value is its own.
  static constexpr int kNice[] = {10, 5, 0, -5, -10};
  if (level > 4) return false;
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  return setpriority(PRIO_PROCESS, tid, kNice[level]) == 0;
}

}  // namespace orrivel::platform
