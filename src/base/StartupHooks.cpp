#include "base/StartupHooks.h"

namespace orrivel {

StartupHooks& GetStartupHooks() {
  static StartupHooks hooks;
  return hooks;
}

void ResetStartupHooks() { GetStartupHooks() = StartupHooks{}; }

}  // namespace orrivel
