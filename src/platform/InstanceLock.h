#pragma once
// The single-instance guard: an advisory lock on a file named after the
// guard's name in the user's run-time folder. The lock dies with the process,
// so a crashed copy never blocks the next start.
#include <string>

namespace orrivel::platform {

class InstanceLock {
 public:
  enum class Result { Acquired, HeldElsewhere, Failed };

  InstanceLock() = default;
  ~InstanceLock() { Release(); }
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // `name` is CP932; `folder` the folder for the lock file.
  Result Acquire(const std::string& name, const std::string& folder);
  void Release();
  bool IsHeld() const { return fd_ >= 0; }

  // The lock file for a name: unsafe characters become '_'.
  static std::string LockFilePath(const std::string& name, const std::string& folder);

 private:
  int fd_ = -1;
};

}  // namespace orrivel::platform
