#pragma once
// The input devices of the application: one keyboard, one mouse and any
// number of joysticks, created with the input method the settings choose
// (0 DirectInput, 1 polling, 2 window messages), read once per frame by
// Update, and the action maps built over them.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/DirectInputLoader.h"
#include "base/JoystickDevice.h"
#include "base/KeyboardDevice.h"
#include "base/MouseDevice.h"
#include "platform/Messages.h"

namespace orrivel {

class ActionMap;

class InputManager {
 public:
  InputManager();
  virtual ~InputManager();
  InputManager(const InputManager&) = delete;
  InputManager& operator=(const InputManager&) = delete;

  // 0 done (or not wanted), 1 no instance, 2 out of memory, 3 DirectInput
  // could not be created. Releases the devices and any loader first.
  int32_t InitDirectInput(bool use = true, uintptr_t instance = 1);
  // 0, 1 bad keyboard kind, 2 bad mouse kind, 3 out of memory, 4 the
  // DirectInput keyboard or 5 mouse failed. Keyboard kinds: 1 polled, 2
  // messages, 3 short key list; mouse kinds 1 polled, 2 messages. Devices
  // made before replace the old ones, and the maps over those go with them.
  int32_t CreateDevices(platform::WindowId window, int32_t keyboardKind, int32_t mouseKind);
  // Both devices of one input method.
  int32_t CreateDevices(int32_t method) { return CreateDevices(platform::kNoWindow, method, method); }
  // Deletes the action maps, the keyboard, the mouse and every joystick.
  void ReleaseDevices();
  // The opened joystick's device number; on failure 2 (multimedia) or 1
  // (DirectInput) and nothing is kept: tell success by JoystickCount.
  int32_t AddJoystick(int32_t deviceNumber, platform::WindowId window = platform::kNoWindow);
  JoystickDevice* GetJoystick(uint32_t n) const;
  uint32_t JoystickCount() const { return uint32_t(joysticks_.size()); }
  // 0 created, 1 out of memory, 2 a count of 0. Virtual so that a start
  // without the map can be tried.
  virtual int32_t CreateActionMap(uint32_t count, ActionMap** out);

  void Activate();
  void Deactivate();
  // One frame's read of every device.
  void Update();
  void SetJoysticksEnabled(bool on);
  bool JoysticksEnabled() const { return joysticksEnabled_; }

  // Window messages; true when a device took them.
  bool OnKeyDown(uintptr_t virtualKey, intptr_t lParam);
  bool OnKeyUp(uintptr_t virtualKey, intptr_t lParam = 0);
  bool OnMouseWheel(uintptr_t wParam);
  bool OnLeftButtonDown(uintptr_t wParam = 0, intptr_t lParam = 0);
  bool OnLeftButtonUp(uintptr_t wParam = 0, intptr_t lParam = 0);
  bool OnRightButtonDown(uintptr_t wParam = 0, intptr_t lParam = 0);
  bool OnRightButtonUp(uintptr_t wParam = 0, intptr_t lParam = 0);
  bool OnMiddleButtonDown(uintptr_t wParam = 0, intptr_t lParam = 0);
  bool OnMiddleButtonUp(uintptr_t wParam = 0, intptr_t lParam = 0);

  KeyboardDevice* Keyboard() const { return keyboard_.get(); }
  MouseDevice* Mouse() const { return mouse_.get(); }
  bool HasMouse() const { return mouse_ != nullptr; }
  // Gives the mouse the application's tracked pointer position.
  void SetCursorPositionTarget(const int32_t* x, const int32_t* y);
  // Shows (true) or hides the system cursor through the mouse.
  void ShowSystemCursor(bool show);
  bool IsActive() const { return active_; }
  // The input method the devices were last created with.
  uint8_t Method() const { return method_; }
  DirectInputLoader* Loader() const { return loader_.get(); }

 private:
  void DeleteActionMaps();
  bool FeedMouseButton(uint8_t button, bool down);

  bool active_ = false;
  uint8_t method_ = 0;
  bool joysticksEnabled_ = true;
  std::unique_ptr<DirectInputLoader> loader_;
  std::unique_ptr<KeyboardDevice> keyboard_;
  std::unique_ptr<MouseDevice> mouse_;
  std::vector<std::unique_ptr<JoystickDevice>> joysticks_;
  std::vector<std::unique_ptr<ActionMap>> actionMaps_;
};

}  // namespace orrivel
