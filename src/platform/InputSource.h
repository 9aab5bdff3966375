#pragma once
// What the input devices read from the machine: the keyboard as a table of
// key codes, the mouse buttons, the three lock keys, the system cursor and
// the joysticks in the numbering of the multimedia joystick functions
// (axes from the range the capabilities give, buttons as a bit mask).
// The SDL back end reads the real devices; the headless one reports what a
// test sets.
#include <array>
#include <cstdint>
#include <string>

namespace orrivel::platform {

struct JoystickCaps {
  int32_t xMin = 0;
  int32_t xMax = 65535;
  int32_t yMin = 0;
  int32_t yMax = 65535;
  uint32_t buttons = 0;
  uint32_t axes = 2;
  std::string name;  // CP932; empty when the device reports none
};

struct JoystickPosition {
  uint32_t x = 0;
  uint32_t y = 0;
  uint32_t buttons = 0;  // bit n: button n held
};

class InputSource {
 public:
  virtual ~InputSource() = default;

  // Fills 256 bytes indexed by key code: 0x80 for a key held now, else 0.
  virtual void ReadKeyboard(std::array<uint8_t, 256>& state) = 0;
  // Whether Caps Lock, Num Lock or Scroll Lock (by virtual key) is toggled on.
  virtual bool IsLockOn(uint32_t virtualKey) = 0;
  // Mouse buttons held now: bit 0 left, bit 1 right, bit 2 middle.
  virtual uint32_t MouseButtons() = 0;

  // The system cursor. ShowCursor counts like the system's display count
  // and returns it after the change (shown while it is 0 or more).
  virtual int32_t ShowCursor(bool show) = 0;
  // Shapes 0-12 (arrow, cross, help, I-beam, no, size-all, size NE/SW,
  // size N/S, size NW/SE, size W/E, up-arrow, app-starting, wait); a
  // non-zero handle, or 0 for any other shape.
  virtual uint32_t SystemCursor(int32_t shape) = 0;
  // A cursor from a program resource; 0 when there is none.
  virtual uint32_t ResourceCursor(uint32_t resourceId) = 0;
  // Makes the cursor the one shown now (0: none).
  virtual void SetCursor(uint32_t handle) = 0;

  // Joysticks: the number of device slots (at most 16), each one's
  // capabilities (false: nothing there) and position (false: unreadable).
  virtual uint32_t JoystickDeviceCount() = 0;
  virtual bool JoystickCapabilities(uint32_t device, JoystickCaps& caps) = 0;
  virtual bool ReadJoystick(uint32_t device, JoystickPosition& position) = 0;
};

// The source in use: the one set, else the SDL one while the SDL back end
// is current, else a headless one.
InputSource& CurrentInputSource();
// Installs a source (not owned); nullptr returns to the default. Returns the
// previous one.
InputSource* SetInputSource(InputSource* source);

class ScopedInputSource {
 public:
  explicit ScopedInputSource(InputSource& source) : previous_(SetInputSource(&source)) {}
  ~ScopedInputSource() { SetInputSource(previous_); }
  ScopedInputSource(const ScopedInputSource&) = delete;
  ScopedInputSource& operator=(const ScopedInputSource&) = delete;

 private:
  InputSource* previous_;
};

}  // namespace orrivel::platform
