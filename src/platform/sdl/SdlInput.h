#pragma once
// The real keyboard, mouse, cursor and joysticks through SDL. Joysticks and
// gamepads are reported in the multimedia joystick numbering: axes over
// 0-65535 with the centre at 32768, the first hat or the gamepad's pad
// pushing the stick to the end of its travel.
#include "platform/InputSource.h"

namespace orrivel::platform {

class SdlInput : public InputSource {
 public:
  SdlInput() = default;
  ~SdlInput() override;
  SdlInput(const SdlInput&) = delete;
  SdlInput& operator=(const SdlInput&) = delete;

  void ReadKeyboard(std::array<uint8_t, 256>& state) override;
  bool IsLockOn(uint32_t virtualKey) override;
  uint32_t MouseButtons() override;
  int32_t ShowCursor(bool show) override;
  uint32_t SystemCursor(int32_t shape) override;
  // The program's own cursors (120-123), drawn by our code.
  uint32_t ResourceCursor(uint32_t resourceId) override;
  void SetCursor(uint32_t handle) override;
  uint32_t JoystickDeviceCount() override;
  bool JoystickCapabilities(uint32_t device, JoystickCaps& caps) override;
  bool ReadJoystick(uint32_t device, JoystickPosition& position) override;

 private:
  struct Stick {
    void* joystick = nullptr;    // SDL_Joystick
    void* controller = nullptr;  // SDL_GameController, for gamepads
  };
  bool StartJoysticks();
  Stick* OpenStick(uint32_t device);

  int32_t cursorCount_ = 0;
  // SDL_Cursor per shape (0-12), then per program cursor (120-123).
  std::array<void*, 17> cursors_{};
  bool joysticksStarted_ = false;
  bool joysticksFailed_ = false;
  std::array<Stick, 16> sticks_{};
};

}  // namespace orrivel::platform
