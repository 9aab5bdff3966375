#pragma once
// A joystick read through the system's multimedia joystick functions: the
// device's capabilities give the axis ranges (hence the thresholds), the
// button and axis counts and the name; a poll reads x, y and the button
// mask. Exclusive joysticks take their device slot for themselves.
#include "base/JoystickDevice.h"

namespace orrivel {

class WinmmJoystick : public JoystickDevice {
 public:
  WinmmJoystick() = default;
  ~WinmmJoystick() override { Release(); }
  WinmmJoystick(const WinmmJoystick&) = delete;
  WinmmJoystick& operator=(const WinmmJoystick&) = delete;

  // Opens a device (-1: the first one that is there and free): 0 done,
  // 1 exclusive with a number past the device count, 2 taken or none free,
  // 3 no device there, 4 the device cannot be read.
  int32_t Open(int32_t deviceNumber, bool enumerate, bool exclusive);
  void Release();

  void Unacquire() override { SetNeutral(); }
  // 0 read, 1 not connected, 2 read failed (the stick then reads at rest).
  int32_t Poll() override;

 private:
  bool enumerated_ = false;
};

}  // namespace orrivel
