#include "base/MessageMouse.h"

namespace orrivel {

bool MessageMouse::OnButtonDown(uint8_t button) {
  if (button > 2) return false;
  uint8_t& byte = records_[0].buttons[button];
  byte = uint8_t(byte | 0x80 | (phase_ ? 0x01 : 0x10));
  return true;
}

bool MessageMouse::OnButtonUp(uint8_t button) {
  if (button > 2) return false;
  records_[0].buttons[button] &= 0x7F;
  return true;
}

int32_t MessageMouse::Poll() {
  uint8_t keep = phase_ ? 0x0F : 0xF0;
  for (uint8_t& byte : records_[0].buttons) byte = uint8_t(byte & (keep | 0x80));
  WriteRecord().wheel = pendingWheel_;
  pendingWheel_ = 0;
  FlipRecords();
  phase_ ^= 1;
  return 0;
}

}  // namespace orrivel
