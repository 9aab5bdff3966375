#include "base/JoystickSlots.h"

#include <algorithm>

#include "platform/InputSource.h"

namespace orrivel {

std::array<JoystickSlot, JoystickSlots::kMaxDevices> JoystickSlots::slots_{};
int32_t JoystickSlots::deviceCount_ = -1;

uint32_t JoystickSlots::DeviceCount() {
  if (deviceCount_ < 0) {
    deviceCount_ = int32_t(std::min(platform::CurrentInputSource().JoystickDeviceCount(), kMaxDevices));
  }
  return uint32_t(deviceCount_);
}

void JoystickSlots::Reset() {
  slots_ = {};
  deviceCount_ = -1;
}

}  // namespace orrivel
