#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace orrivel::platform {
namespace {

constexpr int kLowestNice = 19;

long KernelThreadId() { return static_cast<long>(syscall(SYS_gettid)); }

bool ReadNice(long thread, int* nice) {
  errno = 0;
  const int value = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
  if (value == -1 && errno != 0) return false;
  *nice = value;
  return true;
}

bool WriteNice(long thread, int nice) { return setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0; }

}  // namespace

bool SetCurrentThreadStep(uint8_t step) {
  // Nice values per step; on Linux a thread's nice value is its own.
  static constexpr int kStepNice[] = {10, 5, 0, -5, -10};
  if (step > 4) return false;
  return WriteNice(KernelThreadId(), kStepNice[step]);
}

bool NiceLimitAllows(int nice, uint64_t niceLimit, bool privileged) {
  if (privileged || niceLimit == static_cast<uint64_t>(RLIM_INFINITY)) return true;
  // The kernel lets an unprivileged thread reach nice values down to
  // 20 - limit.
  return static_cast<int64_t>(20 - nice) <= static_cast<int64_t>(niceLimit);
}

bool SystemThreadPriority::LowerCurrentThread() {
  if (loweredThread_ != 0) return false;
  const long thread = KernelThreadId();
  int nice = 0;
  if (!ReadNice(thread, &nice) || nice >= kLowestNice) return false;
  rlimit limit{};
  const uint64_t niceLimit = getrlimit(RLIMIT_NICE, &limit) == 0 ? uint64_t(limit.rlim_cur) : 0;
  if (!NiceLimitAllows(nice, niceLimit, geteuid() == 0)) {
    ++refused_;
    return false;
  }
  if (!WriteNice(thread, kLowestNice)) return false;
  loweredThread_ = thread;
  savedNice_ = nice;
  return true;
}

bool SystemThreadPriority::RestoreLoweredThread() {
  if (loweredThread_ == 0) return false;
  const bool restored = WriteNice(loweredThread_, savedNice_);
  loweredThread_ = 0;
  return restored;
}

bool RecordingThreadPriority::LowerCurrentThread() {
  calls_.push_back(Call::Lower);
  const bool changed = !lowered_;
  lowered_ = true;
  return changed;
}

bool RecordingThreadPriority::RestoreLoweredThread() {
  calls_.push_back(Call::Restore);
  const bool changed = lowered_;
  lowered_ = false;
  return changed;
}

std::unique_ptr<ThreadPriority> CreateThreadPriority(bool headless) {
  if (headless) return std::make_unique<RecordingThreadPriority>();
  return std::make_unique<SystemThreadPriority>();
}

}  // namespace orrivel::platform
