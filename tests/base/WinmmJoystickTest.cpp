// Multimedia joysticks: thresholds, directions and buttons over polls,
// opening rules with exclusive device slots, and unreadable devices.
#include "base/WinmmJoystick.h"

#include "InputTestSupport.h"

namespace orrivel {
namespace {

using test::Flags;

class WinmmJoystickTest : public test::InputTest {
 protected:
  platform::JoystickCaps Caps(uint32_t buttons = 8, std::string name = "Pad") {
    platform::JoystickCaps caps;
    caps.buttons = buttons;
    caps.name = std::move(name);
    return caps;
  }
};

TEST_F(WinmmJoystickTest, ThresholdsLieAThirdOfTheTravelFromTheCentre) {
  EXPECT_EQ(JoystickDevice::LowThreshold(0, 65535), 21845);
  EXPECT_EQ(JoystickDevice::HighThreshold(0, 65535), 43690);
  EXPECT_EQ(JoystickDevice::LowThreshold(-300, 300), -100);
  EXPECT_EQ(JoystickDevice::HighThreshold(-300, 300), 100);
  source.PlugJoystick(0, Caps());
  WinmmJoystick joystick;
  ASSERT_EQ(joystick.Open(0, false, true), 0);
  EXPECT_EQ(joystick.XLow(), 21845);
  EXPECT_EQ(joystick.YHigh(), 43690);
}

TEST_F(WinmmJoystickTest, DirectionsAndButtonsOverPolls) {
  source.PlugJoystick(0, Caps(8));
  WinmmJoystick joystick;
  ASSERT_EQ(joystick.Open(-1, false, true), 0);
  struct Frame {
    uint32_t x, y, buttons;
    const char* up;
    const char* down;
    const char* left;
    const char* right;
    const char* button2;  // code 6
    int32_t firstDown, firstPressed;
  };
  const Frame frames[] = {
      {32768, 32768, 0, "-", "-", "-", "-", "-", -1, -1},
      {21845, 43690, 0, "-", "-", "-", "-", "-", -1, -1},  // on the thresholds: not yet
      {21844, 43691, 0, "-", "PD", "PD", "-", "-", 1, 1},
      {0, 65535, 4, "-", "D", "D", "-", "PD", 1, 6},
      {65535, 0, 4, "PD", "-", "-", "PD", "D", 0, 0},
      {32768, 32768, 0, "-", "-", "-", "-", "-", -1, -1},
  };
  for (const Frame& f : frames) {
    SCOPED_TRACE(std::to_string(f.x) + "," + std::to_string(f.y));
    source.MoveJoystick(0, f.x, f.y);
    source.SetJoystickButtons(0, f.buttons);
    ASSERT_EQ(joystick.Poll(), 0);
    EXPECT_EQ(Flags(joystick, 0), f.up);
    EXPECT_EQ(Flags(joystick, 1), f.down);
    EXPECT_EQ(Flags(joystick, 2), f.left);
    EXPECT_EQ(Flags(joystick, 3), f.right);
    EXPECT_EQ(Flags(joystick, 6), f.button2);
    EXPECT_EQ(joystick.FirstDown(), f.firstDown);
    EXPECT_EQ(joystick.FirstPressed(), f.firstPressed);
  }
}

TEST_F(WinmmJoystickTest, ButtonsBeyondTheCountOrTheShortReadAreIgnored) {
  source.PlugJoystick(0, Caps(4));
  WinmmJoystick joystick;
  ASSERT_EQ(joystick.Open(0, false, true), 0);
  source.SetJoystickButtons(0, 0x30);  // buttons 4 and 5
  joystick.Poll();
  EXPECT_FALSE(joystick.IsDown(8));
  EXPECT_FALSE(joystick.IsDown(9));
  EXPECT_EQ(joystick.FirstDown(), -1);
  source.SetJoystickButtons(0, 0x08);
  joystick.Poll();
  EXPECT_EQ(joystick.FirstPressed(), 7);
}

TEST_F(WinmmJoystickTest, OpeningRules) {
  struct Case {
    const char* name;
    int32_t device;
    bool exclusive;
    int32_t result;
  };
  // Devices 0 and 1 are plugged; 0 is taken by another exclusive joystick;
  // device 1 cannot be read; the system offers 4 slots.
  source.SetJoystickDeviceCount(4);
  source.PlugJoystick(0, Caps());
  source.PlugJoystick(1, Caps());
  source.FailJoystickRead(1, true);
  WinmmJoystick first;
  ASSERT_EQ(first.Open(0, false, true), 0);
  const Case cases[] = {
      {"exclusive past the count", 4, true, 1},
      {"exclusive and taken", 0, true, 2},
      {"not there", 2, true, 3},
      {"not there, shared", 9, false, 3},
      {"unreadable", 1, true, 4},
      {"first free is unreadable", -1, true, 4},
      {"shared may share a taken one", 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WinmmJoystick joystick;
    EXPECT_EQ(joystick.Open(c.device, false, c.exclusive), c.result);
    EXPECT_EQ(joystick.IsConnected(), c.result == 0);
  }
  source.UnplugJoystick(1);
  WinmmJoystick none;
  EXPECT_EQ(none.Open(-1, false, true), 2);
}

TEST_F(WinmmJoystickTest, ExclusiveOpensTakeTheNextFreeDeviceAndGiveItBack) {
  source.PlugJoystick(0, Caps(2, ""));
  source.PlugJoystick(2, Caps());
  WinmmJoystick a, b, c;
  ASSERT_EQ(a.Open(-1, true, true), 0);
  EXPECT_EQ(a.DeviceNumber(), 0);
  EXPECT_EQ(a.Name(), "Unknown");
  ASSERT_EQ(b.Open(-1, false, true), 0);
  EXPECT_EQ(b.DeviceNumber(), 2);
  EXPECT_EQ(b.Name(), "Pad");
  EXPECT_EQ(c.Open(-1, false, true), 2);
  a.Release();
  ASSERT_EQ(c.Open(-1, false, true), 0);
  EXPECT_EQ(c.DeviceNumber(), 0);
}

TEST_F(WinmmJoystickTest, UnreadableOrResetJoysticksReadAtRest) {
  source.PlugJoystick(0, Caps());
  WinmmJoystick joystick;
  EXPECT_EQ(joystick.Poll(), 1);  // not connected
  ASSERT_EQ(joystick.Open(0, false, true), 0);
  // At rest from the start, before any poll.
  EXPECT_EQ(joystick.FirstDown(), -1);
  source.MoveJoystick(0, 0, 0);
  source.SetJoystickButtons(0, 1);
  joystick.Poll();
  EXPECT_EQ(joystick.FirstDown(), 0);
  source.FailJoystickRead(0, true);
  EXPECT_EQ(joystick.Poll(), 2);
  EXPECT_EQ(joystick.FirstDown(), -1);
  source.FailJoystickRead(0, false);
  joystick.Poll();
  EXPECT_EQ(joystick.FirstDown(), 0);
  joystick.Reset();
  EXPECT_EQ(joystick.FirstDown(), -1);
  joystick.Poll();
  joystick.Unacquire();
  EXPECT_EQ(joystick.FirstDown(), -1);
}

}  // namespace
}  // namespace orrivel
