#include "base/LowPriority.h"

#include "platform/ThreadPriority.h"

namespace orrivel {

LowPriorityHooks& GetLowPriorityHooks() {
  static LowPriorityHooks hooks;
  return hooks;
}

void ResetLowPriorityHooks() { GetLowPriorityHooks() = LowPriorityHooks{}; }

bool HasEnterLowPriorityHook() { return static_cast<bool>(GetLowPriorityHooks().enter); }

void EnterLowPriority() {
  if (const auto& hook = GetLowPriorityHooks().enter) hook();
}

void LeaveLowPriority() {
  if (const auto& hook = GetLowPriorityHooks().leave) hook();
}

void LowPriorityNesting::Enter() {
  if (!enabled_) return;
  if (depth_++ == 0) priority_.LowerCurrentThread();
}

void LowPriorityNesting::Leave() {
  if (!enabled_ || depth_ == 0) return;
  if (--depth_ == 0) priority_.RestoreLoweredThread();
}

void LowPriorityNesting::SetEnabled(bool enabled) {
  if (!enabled && depth_ != 0) {
    depth_ = 0;
    priority_.RestoreLoweredThread();
  }
  enabled_ = enabled;
}

void LowPriorityNesting::Install() {
  LowPriorityHooks& hooks = GetLowPriorityHooks();
  hooks.enter = [this] { Enter(); };
  hooks.leave = [this] { Leave(); };
}

}  // namespace orrivel
