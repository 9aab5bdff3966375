// The input manager: device kinds, activation, the frame read, joysticks on
// and off, and which window messages reach which device.
#include "base/InputManager.h"

#include "InputTestSupport.h"
#include "base/ActionMap.h"
#include "base/MessageKeyboard.h"
#include "platform/KeyTable.h"

namespace orrivel {
namespace {

class InputManagerTest : public test::InputTest {};

TEST_F(InputManagerTest, DeviceKindsAndRefusals) {
  struct Case {
    int32_t keyboardKind, mouseKind, result;
    int32_t keyboardGot, mouseGot;  // -1: none
  };
  const Case cases[] = {
      {1, 1, 0, kInputWindowsApi, kInputWindowsApi},
      {2, 2, 0, kInputWindowMessages, kInputWindowMessages},
      {3, 1, 0, kInputShortKeyList, kInputWindowsApi},
      {0, 1, 1, -1, -1},
      {4, 2, 1, -1, -1},
      {2, 3, 2, kInputWindowMessages, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.keyboardKind) + "/" + std::to_string(c.mouseKind));
    InputManager input;
    EXPECT_EQ(input.CreateDevices(platform::kNoWindow, c.keyboardKind, c.mouseKind), c.result);
    EXPECT_EQ(input.Keyboard() ? input.Keyboard()->GetKind() : -1, c.keyboardGot);
    EXPECT_EQ(input.Mouse() ? input.Mouse()->GetKind() : -1, c.mouseGot);
  }
}

TEST_F(InputManagerTest, DirectInputIsAbsentSoTheCallerFallsBack) {
  InputManager input;
  EXPECT_EQ(input.InitDirectInput(false, 1), 0);
  EXPECT_EQ(input.InitDirectInput(true, 0), 1);
  EXPECT_EQ(input.InitDirectInput(true, 1), 3);
  EXPECT_EQ(input.Loader(), nullptr);
  // InitDirectInput releases what was built before.
  ASSERT_EQ(input.CreateDevices(1), 0);
  input.InitDirectInput(false, 1);
  EXPECT_FALSE(input.HasMouse());
}

TEST_F(InputManagerTest, UpdateReadsOnlyWhileActive) {
  InputManager input;
  ASSERT_EQ(input.CreateDevices(1), 0);
  source.PlugJoystick(0, platform::JoystickCaps{});
  ASSERT_EQ(input.AddJoystick(-1), 0);
  source.SetKey(platform::DIK_ESCAPE, true);
  source.MoveJoystick(0, 0, 32768);
  input.Update();
  EXPECT_FALSE(input.Keyboard()->IsDown(platform::DIK_ESCAPE));
  EXPECT_EQ(source.JoystickReads(0), 1);  // the open read only
  source.SetLock(platform::VK_NUMLOCK, true);
  input.Activate();
  EXPECT_TRUE(input.Keyboard()->NumLock());
  input.Update();
  EXPECT_TRUE(input.Keyboard()->IsPressed(platform::DIK_ESCAPE));
  EXPECT_TRUE(input.GetJoystick(0)->IsPressed(2));
  input.Deactivate();
  EXPECT_FALSE(input.Keyboard()->IsDown(platform::DIK_ESCAPE));
  EXPECT_FALSE(input.GetJoystick(0)->IsDown(2));
  input.Activate();
  input.SetJoysticksEnabled(false);
  int reads = source.JoystickReads(0);
  input.Update();
  EXPECT_EQ(source.JoystickReads(0), reads);
  EXPECT_EQ(input.GetJoystick(0)->FirstDown(), -1);
  EXPECT_TRUE(input.Keyboard()->IsDown(platform::DIK_ESCAPE));
}

TEST_F(InputManagerTest, MessagesReachOnlyTheMessageDevices) {
  InputManager polled;
  ASSERT_EQ(polled.CreateDevices(1), 0);
  EXPECT_FALSE(polled.OnKeyDown(platform::VK_ESCAPE, 1));
  EXPECT_FALSE(polled.OnLeftButtonDown());
  EXPECT_TRUE(polled.OnMouseWheel(uintptr_t(120) << 16));

  InputManager input;
  ASSERT_EQ(input.CreateDevices(2), 0);
  input.Activate();
  EXPECT_TRUE(input.OnKeyDown(platform::VK_ESCAPE, 1));
  EXPECT_TRUE(input.OnRightButtonDown());
  EXPECT_TRUE(input.OnMiddleButtonDown());
  EXPECT_TRUE(input.OnMiddleButtonUp());
  input.Update();
  EXPECT_TRUE(input.Keyboard()->IsPressed(platform::DIK_ESCAPE));
  EXPECT_EQ(input.Mouse()->FirstDown(), 1);
  EXPECT_TRUE(input.Mouse()->IsPressed(2));
  EXPECT_TRUE(input.OnKeyUp(platform::VK_ESCAPE));
  EXPECT_TRUE(input.OnRightButtonUp());
  EXPECT_TRUE(input.OnLeftButtonDown());
  EXPECT_TRUE(input.OnLeftButtonUp());
  input.Update();
  EXPECT_EQ(input.Keyboard()->FirstDown(), -1);
  EXPECT_EQ(input.Mouse()->FirstPressed(), 0);
  // The lock keys refresh the lock states on their way in.
  source.SetLock(platform::VK_CAPITAL, true);
  input.OnKeyDown(platform::VK_CAPITAL, 1);
  EXPECT_TRUE(input.Keyboard()->CapsLock());
}

TEST_F(InputManagerTest, JoysticksAndActionMapsLiveWithTheDevices) {
  InputManager input;
  EXPECT_EQ(input.AddJoystick(-1), 2);  // nothing plugged
  EXPECT_EQ(input.JoystickCount(), 0u);
  source.PlugJoystick(3, platform::JoystickCaps{});
  EXPECT_EQ(input.AddJoystick(-1), 3);
  EXPECT_EQ(input.AddJoystick(-1), 2);  // the one device is taken
  EXPECT_EQ(input.JoystickCount(), 1u);
  EXPECT_EQ(input.GetJoystick(1), nullptr);

  ActionMap* map = nullptr;
  EXPECT_EQ(input.CreateActionMap(0, &map), 2);
  EXPECT_EQ(map, nullptr);
  ASSERT_EQ(input.CreateActionMap(20, &map), 0);
  EXPECT_EQ(map->ActionCount(), 20u);
  input.ReleaseDevices();
  EXPECT_EQ(input.JoystickCount(), 0u);
  // The released joystick gave its device back.
  EXPECT_EQ(input.AddJoystick(3), 3);
}

}  // namespace
}  // namespace orrivel
