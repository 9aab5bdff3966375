#pragma once
// The input devices as the window handlers reach them. This holds the calls
// that start-up and the message handlers make; the devices themselves (key
// states, mouse, joysticks) grow here.
#include <cstdint>

namespace orrivel {

class InputManager {
 public:
  virtual ~InputManager() = default;

  // Non-zero: that kind of device access is not available here.
  virtual int InitDirectInput() { return 1; }
  virtual int CreateDevices(uint8_t method) {
    method_ = method;
    return 0;
  }
  virtual int AddJoystick(int32_t) { return 0; }
  virtual bool HasMouse() const { return false; }
  virtual void SetCursorPositionTarget(int32_t* x, int32_t* y) {
    cursorX_ = x;
    cursorY_ = y;
  }

  virtual void Activate() { active_ = true; }
  virtual void Deactivate() { active_ = false; }
  virtual void OnKeyDown(uintptr_t, intptr_t) {}
  virtual void OnKeyUp(uintptr_t, intptr_t) {}
  virtual void OnMouseWheel(uintptr_t) {}
  virtual void OnLeftButtonDown(uintptr_t, intptr_t) {}
  virtual void OnLeftButtonUp(uintptr_t, intptr_t) {}
  virtual void OnRightButtonDown(uintptr_t, intptr_t) {}
  virtual void OnRightButtonUp(uintptr_t, intptr_t) {}
  virtual void OnMiddleButtonDown(uintptr_t, intptr_t) {}
  virtual void OnMiddleButtonUp(uintptr_t, intptr_t) {}
  // Shows (true) or hides the system cursor through the mouse device.
  virtual void ShowSystemCursor(bool) {}

  uint8_t Method() const { return method_; }
  bool IsActive() const { return active_; }

 private:
  uint8_t method_ = 0;
  bool active_ = false;
  int32_t* cursorX_ = nullptr;
  int32_t* cursorY_ = nullptr;
};

}  // namespace orrivel
