#pragma once
// Lowering the main thread's priority while long effects run, so that the
// rest of the machine stays responsive.
//
// The game shell installs two process-wide hooks at start-up; actions,
// transitions and picture objects call them around the time they run. A hook
// that is not installed is skipped, so callers test HasLowPriorityHooks
// before they count on it. The hooks the shell installs nest: the first enter
// lowers the priority, the leave that brings the count back to zero restores
// it.
#include <cstdint>
#include <functional>

namespace orrivel {

namespace platform {
class ThreadPriority;
}

struct LowPriorityHooks {
  std::function<void()> enter;
  std::function<void()> leave;
};

LowPriorityHooks& GetLowPriorityHooks();
// Removes both hooks (tests, and the shell at exit).
void ResetLowPriorityHooks();
bool HasEnterLowPriorityHook();
// Calls the hook when installed.
void EnterLowPriority();
void LeaveLowPriority();

// The shell's nesting of the hooks over the platform's thread priority. While
// disabled, enter and leave do nothing at all (the count stays as it was).
class LowPriorityNesting {
 public:
  explicit LowPriorityNesting(platform::ThreadPriority& priority) : priority_(priority) {}

  void Enter();
  // A leave without a matching enter does nothing.
  void Leave();
  // Switching off while lowered restores the thread at once: the leaves that
  // would have restored it do nothing while switched off.
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  uint32_t Depth() const { return depth_; }
  // Installs Enter and Leave of this object as the process-wide hooks.
  void Install();

 private:
  platform::ThreadPriority& priority_;
  uint32_t depth_ = 0;
  bool enabled_ = true;
};

}  // namespace orrivel
