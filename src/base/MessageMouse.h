#pragma once
// The mouse fed by the main window's button and wheel messages, in the
// message keyboard's manner: each button byte of the first record holds the
// held bit (0x80) and two event bits, one gathered while the other is read
// (0x10 gathered in phase 0, 0x01 in phase 1). A click between two polls
// still reads as pressed for one frame.
#include "base/MouseDevice.h"

namespace orrivel {

class MessageMouse : public MouseDevice {
 public:
  int32_t GetKind() const override { return kInputWindowMessages; }
  int32_t Poll() override;

  // Button messages for button 0 (left), 1 (right) or 2 (middle).
  bool OnButtonDown(uint8_t button);
  bool OnButtonUp(uint8_t button);

 protected:
  bool ButtonDown(uint8_t button) const override { return (records_[0].buttons[button] & 0x80) != 0; }
  bool ButtonPressed(uint8_t button) const override {
    return (records_[0].buttons[button] & (phase_ ? 0x10 : 0x01)) != 0;
  }

 private:
  uint32_t phase_ = 0;
};

}  // namespace orrivel
