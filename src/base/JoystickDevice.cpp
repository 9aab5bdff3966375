#include "base/JoystickDevice.h"

namespace orrivel {

bool JoystickDevice::Test(const State& state, uint8_t code) const {
  switch (code) {
    case 0: return state.y < yLow_;
    case 1: return state.y > yHigh_;
    case 2: return state.x < xLow_;
    case 3: return state.x > xHigh_;
    default: {
      uint32_t button = uint32_t(code) - 4;
      return button < buttonCount_ && button < kMaxButtons && (state.buttons[button] & 0x80) != 0;
    }
  }
}

int32_t JoystickDevice::FirstDown() const {
  for (uint32_t code = 0; code < 4 + buttonCount_ && code < 256; ++code) {
    if (IsDown(uint8_t(code))) return int32_t(code);
  }
  return -1;
}

int32_t JoystickDevice::FirstPressed() const {
  for (uint32_t code = 0; code < 4 + buttonCount_ && code < 256; ++code) {
    if (IsPressed(uint8_t(code))) return int32_t(code);
  }
  return -1;
}

void JoystickDevice::SetNeutral() {
  for (State& state : records_) {
    state = State{};
    state.x = xLow_;
    state.y = yLow_;
  }
}

}  // namespace orrivel
