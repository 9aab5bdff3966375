#pragma once
// The joystick devices of the process, shared by every joystick object: for
// each of 16 device slots whether a device is there and whether a joystick
// object has taken it for itself; and the number of device slots the
// system offers, read once.
#include <array>
#include <cstdint>

namespace orrivel {

struct JoystickSlot {
  std::array<uint8_t, 16> instance{};  // device identity (unused here)
  bool present = false;
  bool taken = false;
};

class JoystickSlots {
 public:
  static constexpr uint32_t kMaxDevices = 16;

  // The system's device count, read on first use and capped at 16.
  static uint32_t DeviceCount();
  static JoystickSlot& Slot(uint32_t device) { return slots_[device % kMaxDevices]; }
  // Forgets everything, so that the next use reads the system again (tests).
  static void Reset();

 private:
  static std::array<JoystickSlot, kMaxDevices> slots_;
  static int32_t deviceCount_;  // -1 until read
};

}  // namespace orrivel
