#pragma once
// A headless input source installed for one test, and the small helpers the
// device tests share.
#include <gtest/gtest.h>

#include <string>

#include "base/InputDevice.h"
#include "base/JoystickSlots.h"
#include "platform/Clock.h"
#include "platform/headless/HeadlessInput.h"

namespace orrivel::test {

class InputTest : public ::testing::Test {
 protected:
  InputTest() { JoystickSlots::Reset(); }
  ~InputTest() override { JoystickSlots::Reset(); }

  platform::HeadlessInput source;
  platform::ScopedInputSource scopedSource{source};
  platform::ManualClock clock{5000};
  platform::ScopedClock scopedClock{clock};
};

// What a device says about one code this frame: P pressed, D down, R
// repeated (keyboards), "-" nothing.
template <typename Device>
std::string Flags(const Device& device, uint8_t code) {
  std::string out;
  if (device.IsPressed(code)) out += 'P';
  if (device.IsDown(code)) out += 'D';
  if constexpr (requires { device.IsRepeated(code); }) {
    if (device.IsRepeated(code)) out += 'R';
  }
  return out.empty() ? "-" : out;
}

}  // namespace orrivel::test
