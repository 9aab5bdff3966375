#include "platform/ThreadId.h"

#include <atomic>

namespace orrivel::platform {

uint32_t CurrentThreadId() {
  // Kernel thread ids can be reused; a process-local counter cannot.
  static std::atomic<uint32_t> next{1};
  thread_local const uint32_t id = next.fetch_add(1);
  return id;
}

}  // namespace orrivel::platform
