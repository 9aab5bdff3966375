#pragma once
// Numbered game actions (confirm, cancel, the four directions...) each bound
// to any number of device and code pairs, so that one action answers to a
// key, a second key and a joystick button alike, and players can rebind
// them. Devices are numbered 0 keyboard, 1 mouse, 2 + n the manager's n-th
// joystick; a negative number means any device where an operation allows.
#include <cstdint>
#include <vector>

namespace orrivel {

class InputDevice;
class InputManager;

class ActionMap {
 public:
  explicit ActionMap(InputManager* manager) : manager_(manager) {}

  // 0, 1 a count of 0, 2 out of memory. Frees the previous actions first.
  int32_t Create(uint32_t count);
  void Free();
  uint32_t ActionCount() const { return uint32_t(actions_.size()); }

  // 0 added (even when the pair is bound already), 1 bad action or no
  // manager, 2 no such device.
  int32_t SetBinding(uint32_t action, int32_t device, uint8_t code);
  // 0, 1 bad action, 2 no such device, 3 no such binding. A device number
  // >= 0 removes the first binding of that device and code; a negative one
  // every binding of the action.
  int32_t RemoveBinding(uint32_t action, int32_t device, uint8_t code);
  // Changes the code of the first binding of the device (any device when
  // negative) whose code is oldCode (any code when oldCode is negative):
  // 0, 1, 2, or 3 when there is none.
  int32_t ChangeBinding(uint32_t action, int32_t device, uint8_t newCode, int32_t oldCode);

  bool IsDown(uint32_t action) const;
  bool IsPressed(uint32_t action) const;
  // The lowest action of first .. first + count - 1 (count 0, or a range
  // past the end, runs to the last action) that is held / pressed; -1 none.
  int32_t FindHeldAction(uint32_t first, uint32_t count) const;
  int32_t FindPressedAction(uint32_t first, uint32_t count) const;

  // The action's bindings on the device (all of them when negative); 0 for
  // a bad action or device.
  uint32_t CountBindings(uint32_t action, int32_t device) const;
  // The n-th binding (from 0) on the device, or of the action when the
  // device is negative: 0 found, 1 bad action or no manager, 2 n out of
  // range (any device), 3 no such device, 4 no n-th binding on that device.
  int32_t GetBinding(uint32_t action, int32_t device, uint32_t n, uint8_t* code, int32_t* deviceOut) const;

 private:
  struct Binding {
    InputDevice* device;
    uint8_t code;
  };
  InputDevice* DeviceOf(int32_t device) const;
  int32_t NumberOf(const InputDevice* device) const;
  template <typename Query>
  int32_t FindAction(uint32_t first, uint32_t count, Query query) const;

  InputManager* manager_;
  std::vector<std::vector<Binding>> actions_;
};

}  // namespace orrivel
