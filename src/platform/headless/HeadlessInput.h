#pragma once
// Input devices in memory: a test holds keys and buttons, toggles the lock
// keys, plugs joysticks in and moves them, and makes any read fail.
#include <vector>

#include "platform/InputSource.h"

namespace orrivel::platform {

class HeadlessInput : public InputSource {
 public:
  void ReadKeyboard(std::array<uint8_t, 256>& state) override { state = keys_; }
  bool IsLockOn(uint32_t virtualKey) override;
  uint32_t MouseButtons() override { return buttons_; }
  int32_t ShowCursor(bool show) override { return show ? ++cursorCount_ : --cursorCount_; }
  uint32_t SystemCursor(int32_t shape) override;
  uint32_t ResourceCursor(uint32_t resourceId) override;
  void SetCursor(uint32_t handle) override { cursor_ = handle; ++cursorSets_; }
  uint32_t JoystickDeviceCount() override { return deviceCount_; }
  bool JoystickCapabilities(uint32_t device, JoystickCaps& caps) override;
  bool ReadJoystick(uint32_t device, JoystickPosition& position) override;

  // Keyboard and mouse.
  void SetKey(uint8_t code, bool down) { keys_[code] = down ? 0x80 : 0; }
  void ReleaseAllKeys() { keys_.fill(0); }
  void SetLock(uint32_t virtualKey, bool on);
  void SetMouseButtons(uint32_t buttons) { buttons_ = buttons; }

  // Cursor: the display count, the cursor shown now (handles of system
  // shapes are 0x100 + shape), and resource cursors a test provides.
  int32_t CursorCount() const { return cursorCount_; }
  uint32_t ShownCursor() const { return cursor_; }
  int CursorSets() const { return cursorSets_; }
  void AddResourceCursor(uint32_t resourceId) { resources_.push_back(resourceId); }

  // Joysticks. The device count defaults to 16 slots, as the system's
  // joystick driver reports; a slot is present once a joystick is plugged.
  void SetJoystickDeviceCount(uint32_t count) { deviceCount_ = count; }
  void PlugJoystick(uint32_t device, const JoystickCaps& caps);
  void UnplugJoystick(uint32_t device);
  void MoveJoystick(uint32_t device, uint32_t x, uint32_t y);
  void SetJoystickButtons(uint32_t device, uint32_t buttons);
  void FailJoystickRead(uint32_t device, bool fail);
  int JoystickReads(uint32_t device) const;

 private:
  struct Stick {
    bool present = false;
    bool failRead = false;
    JoystickCaps caps;
    JoystickPosition position;
    int reads = 0;
  };
  Stick* FindStick(uint32_t device);

  std::array<uint8_t, 256> keys_{};
  bool capsLock_ = false;
  bool numLock_ = false;
  bool scrollLock_ = false;
  uint32_t buttons_ = 0;
  int32_t cursorCount_ = 0;
  uint32_t cursor_ = 0;
  int cursorSets_ = 0;
  std::vector<uint32_t> resources_;
  uint32_t deviceCount_ = 16;
  std::array<Stick, 16> sticks_{};
};

}  // namespace orrivel::platform
