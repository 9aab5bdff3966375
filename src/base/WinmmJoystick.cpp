#include "base/WinmmJoystick.h"

#include "base/JoystickSlots.h"
#include "platform/InputSource.h"

namespace orrivel {

void WinmmJoystick::Release() {
  if (connected_ && exclusive_ && deviceNumber_ >= 0) JoystickSlots::Slot(uint32_t(deviceNumber_)).taken = false;
  connected_ = false;
  exclusive_ = false;
  deviceNumber_ = -1;
}

int32_t WinmmJoystick::Open(int32_t deviceNumber, bool enumerate, bool exclusive) {
  Release();
  platform::InputSource& source = platform::CurrentInputSource();
  uint32_t count = JoystickSlots::DeviceCount();
  platform::JoystickCaps caps;
  if (enumerate) {
    enumerated_ = true;
    for (uint32_t device = 0; device < count; ++device) {
      JoystickSlots::Slot(device).present = source.JoystickCapabilities(device, caps);
    }
  }
  if (exclusive && deviceNumber >= int32_t(count)) return 1;
  if (deviceNumber >= 0) {
    if (exclusive && JoystickSlots::Slot(uint32_t(deviceNumber)).taken) return 2;
    if (!source.JoystickCapabilities(uint32_t(deviceNumber), caps)) return 3;
  } else {
    deviceNumber = -1;
    for (uint32_t device = 0; device < count; ++device) {
      const JoystickSlot& slot = JoystickSlots::Slot(device);
      if (exclusive && slot.taken) continue;
      bool there = enumerated_ ? slot.present && source.JoystickCapabilities(device, caps)
                               : source.JoystickCapabilities(device, caps);
      if (there) {
        deviceNumber = int32_t(device);
        break;
      }
    }
    if (deviceNumber < 0) return 2;
  }
  platform::JoystickPosition position;
  if (!source.ReadJoystick(uint32_t(deviceNumber), position)) return 4;

  deviceNumber_ = deviceNumber;
  connected_ = true;
  xLow_ = LowThreshold(caps.xMin, caps.xMax);
  xHigh_ = HighThreshold(caps.xMin, caps.xMax);
  yLow_ = LowThreshold(caps.yMin, caps.yMax);
  yHigh_ = HighThreshold(caps.yMin, caps.yMax);
  buttonCount_ = caps.buttons < kMaxButtons ? caps.buttons : kMaxButtons;
  axisCount_ = caps.axes;
  exclusive_ = exclusive;
  if (exclusive) JoystickSlots::Slot(uint32_t(deviceNumber)).taken = true;
  name_ = caps.name.empty() ? "Unknown" : caps.name;
  SetNeutral();
  return 0;
}

int32_t WinmmJoystick::Poll() {
  if (!connected_) return 1;
  platform::JoystickPosition position;
  if (!platform::CurrentInputSource().ReadJoystick(uint32_t(deviceNumber_), position)) {
    SetNeutral();
    return 2;
  }
  State& state = WriteRecord();
  state = State{};
  state.x = int32_t(position.x & 0xFFFF);
  state.y = int32_t(position.y & 0xFFFF);
  // The short read reports four buttons; the long one sixteen.
  uint32_t mask = position.buttons & (buttonCount_ > 4 ? 0xFFFFu : 0x000Fu);
  for (uint32_t n = 0; n < 16; ++n) state.buttons[n] = (mask >> n) & 1 ? 0x80 : 0;
  FlipRecords();
  return 0;
}

}  // namespace orrivel
