#pragma once
// One input device: the keyboard, the mouse or a joystick. Each reads its
// source once per frame (Poll) into double-buffered state, so that a query
// can tell a control held now (down) from one that became held since the
// previous frame (pressed). Codes are the device family's own: key codes,
// mouse codes 0-4, or joystick directions 0-3 and buttons 4 + n.
#include <cstdint>

namespace orrivel {

// Where a device's state comes from.
enum InputDeviceKind : int32_t {
  kInputDirectInput = 0,
  kInputWindowsApi = 1,
  kInputWindowMessages = 2,
  kInputShortKeyList = 3,  // keyboard only
};

class InputDevice {
 public:
  virtual ~InputDevice() = default;
  virtual bool IsDown(uint8_t code) const = 0;
  virtual bool IsPressed(uint8_t code) const = 0;
  // The lowest code (in the family's order) that is down / newly pressed, or -1.
  virtual int32_t FirstDown() const = 0;
  virtual int32_t FirstPressed() const = 0;
  virtual void Reset() = 0;
  virtual int32_t GetKind() const = 0;
  virtual void Acquire() {}
  virtual void Unacquire() = 0;
  // Reads the source: 0 done, non-zero when it could not be read.
  virtual int32_t Poll() = 0;
};

}  // namespace orrivel
