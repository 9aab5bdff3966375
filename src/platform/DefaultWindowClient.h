#pragma once
// A window procedure that leaves every message to the default handling: the
// window of a tool, a test or a benchmark that only shows frames.
#include "platform/WindowSystem.h"

namespace orrivel::platform {

class DefaultWindowClient : public WindowClient {
 public:
  explicit DefaultWindowClient(WindowSystem& system) : system_(system) {}
  intptr_t WindowProcedure(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    return system_.DefWindowProc(window, message, wParam, lParam);
  }

 private:
  WindowSystem& system_;
};

}  // namespace orrivel::platform
