// Action bindings: the game's defaults, queries through the devices, and
// binding changes with every refusal.
#include "base/ActionMap.h"

#include <functional>
#include <tuple>
#include <vector>

#include "InputTestSupport.h"
#include "base/DefaultActionBindings.h"
#include "base/InputManager.h"
#include "base/MessageKeyboard.h"
#include "platform/KeyTable.h"

namespace orrivel {
namespace {

class ActionMapTest : public test::InputTest {
 protected:
  void SetUp() override {
    source.PlugJoystick(0, platform::JoystickCaps{});
    ASSERT_EQ(input.CreateDevices(2), 0);
    ASSERT_EQ(input.AddJoystick(-1), 0);
    input.Activate();
    ASSERT_EQ(input.CreateActionMap(20, &map), 0);
  }
  // Every binding of an action as (device, code).
  std::vector<std::pair<int32_t, int>> Bindings(uint32_t action) {
    std::vector<std::pair<int32_t, int>> out;
    uint8_t code = 0;
    int32_t device = -1;
    for (uint32_t n = 0; map->GetBinding(action, -1, n, &code, &device) == 0; ++n) out.push_back({device, code});
    return out;
  }
  void Frame() { input.Update(); }

  InputManager input;
  ActionMap* map = nullptr;
};

using Pairs = std::vector<std::pair<int32_t, int>>;

TEST_F(ActionMapTest, DefaultBindingsInTheirOrder) {
  EXPECT_EQ(InstallDefaultBindings(*map), 0);
  EXPECT_EQ(Bindings(0), (Pairs{{0, 0xC8}, {2, 0}}));
  EXPECT_EQ(Bindings(1), (Pairs{{0, 0xD0}, {2, 1}}));
  EXPECT_EQ(Bindings(2), (Pairs{{0, 0xCB}, {2, 2}}));
  EXPECT_EQ(Bindings(3), (Pairs{{0, 0xCD}, {2, 3}}));
  EXPECT_EQ(Bindings(4), (Pairs{{0, 0x1C}, {0, 0x9C}}));
  EXPECT_EQ(Bindings(5), (Pairs{{0, 0x01}}));
  for (uint32_t action = 6; action < 20; ++action) EXPECT_TRUE(Bindings(action).empty());
  uint8_t code = 0;
  int32_t device = -1;
  ASSERT_EQ(map->GetBinding(4, 0, 1, &code, &device), 0);
  EXPECT_EQ(code, platform::DIK_NUMPADENTER);
  EXPECT_EQ(device, 0);

  // Without a joystick the four stick bindings are refused.
  InputManager bare;
  ASSERT_EQ(bare.CreateDevices(1), 0);
  ActionMap* other = nullptr;
  ASSERT_EQ(bare.CreateActionMap(20, &other), 0);
  EXPECT_EQ(InstallDefaultBindings(*other), 4);
  EXPECT_EQ(other->CountBindings(0, -1), 1u);
  EXPECT_EQ(other->CountBindings(4, 0), 2u);
}

TEST_F(ActionMapTest, QueriesAnswerThroughEachBindingsDevice) {
  InstallDefaultBindings(*map);
  Frame();
  EXPECT_EQ(map->FindHeldAction(0, 0), -1);
  EXPECT_EQ(map->FindPressedAction(0, 0), -1);
  // Escape and the stick pushed down in one frame: action 1 is the lowest.
  input.OnKeyDown(platform::VK_ESCAPE, 1);
  source.MoveJoystick(0, 32768, 65535);
  Frame();
  EXPECT_EQ(map->FindPressedAction(0, 0), 1);
  EXPECT_EQ(map->FindPressedAction(2, 0), 5);
  EXPECT_EQ(map->FindPressedAction(2, 3), -1);  // actions 2-4 only
  EXPECT_EQ(map->FindPressedAction(5, 100), 5);  // past the end: to the last
  EXPECT_EQ(map->FindPressedAction(25, 0), -1);
  EXPECT_TRUE(map->IsPressed(5));
  Frame();
  EXPECT_FALSE(map->IsPressed(5));
  EXPECT_TRUE(map->IsDown(5));
  EXPECT_EQ(map->FindHeldAction(0, 0), 1);
  EXPECT_EQ(map->FindPressedAction(0, 0), -1);
  // The second key of action 4 answers as well as the first.
  input.OnKeyUp(platform::VK_ESCAPE);
  source.MoveJoystick(0, 32768, 32768);
  auto& keyboard = static_cast<MessageKeyboard&>(*input.Keyboard());
  ASSERT_EQ(keyboard.KeyCodeOf(platform::VK_RETURN), platform::DIK_RETURN);
  input.OnKeyDown(platform::VK_RETURN, 1);
  Frame();
  EXPECT_EQ(map->FindPressedAction(0, 0), 4);
  EXPECT_FALSE(map->IsDown(6));   // no bindings
  EXPECT_FALSE(map->IsDown(20));  // out of range
  EXPECT_FALSE(map->IsPressed(99));
}

TEST_F(ActionMapTest, BindingChangesAndRefusals) {
  struct Op {
    const char* name;
    std::function<int32_t(ActionMap&)> call;
    int32_t result;
    Pairs afterAction7;
  };
  const Op ops[] = {
      {"bind", [](ActionMap& m) { return m.SetBinding(7, 0, 0x2C); }, 0, {{0, 0x2C}}},
      {"same pair again", [](ActionMap& m) { return m.SetBinding(7, 0, 0x2C); }, 0, {{0, 0x2C}, {0, 0x2C}}},
      {"a mouse button", [](ActionMap& m) { return m.SetBinding(7, 1, 0); }, 0, {{0, 0x2C}, {0, 0x2C}, {1, 0}}},
      {"a joystick button", [](ActionMap& m) { return m.SetBinding(7, 2, 5); }, 0,
       {{0, 0x2C}, {0, 0x2C}, {1, 0}, {2, 5}}},
      {"bad action", [](ActionMap& m) { return m.SetBinding(20, 0, 1); }, 1, {{0, 0x2C}, {0, 0x2C}, {1, 0}, {2, 5}}},
      {"no such joystick", [](ActionMap& m) { return m.SetBinding(7, 3, 1); }, 2,
       {{0, 0x2C}, {0, 0x2C}, {1, 0}, {2, 5}}},
      {"negative device", [](ActionMap& m) { return m.SetBinding(7, -1, 1); }, 2,
       {{0, 0x2C}, {0, 0x2C}, {1, 0}, {2, 5}}},
      {"remove once of two", [](ActionMap& m) { return m.RemoveBinding(7, 0, 0x2C); }, 0, {{0, 0x2C}, {1, 0}, {2, 5}}},
      {"remove missing", [](ActionMap& m) { return m.RemoveBinding(7, 0, 0x2D); }, 3, {{0, 0x2C}, {1, 0}, {2, 5}}},
      {"remove bad device", [](ActionMap& m) { return m.RemoveBinding(7, 9, 0x2C); }, 2, {{0, 0x2C}, {1, 0}, {2, 5}}},
      {"remove bad action", [](ActionMap& m) { return m.RemoveBinding(30, 0, 0x2C); }, 1, {{0, 0x2C}, {1, 0}, {2, 5}}},
      {"change by old code", [](ActionMap& m) { return m.ChangeBinding(7, 2, 6, 5); }, 0, {{0, 0x2C}, {1, 0}, {2, 6}}},
      {"change any code of the device", [](ActionMap& m) { return m.ChangeBinding(7, 1, 2, -1); }, 0,
       {{0, 0x2C}, {1, 2}, {2, 6}}},
      {"change missing old code", [](ActionMap& m) { return m.ChangeBinding(7, 0, 1, 0x10); }, 3,
       {{0, 0x2C}, {1, 2}, {2, 6}}},
      {"change on any device", [](ActionMap& m) { return m.ChangeBinding(7, -1, 0x30, 6); }, 0,
       {{0, 0x2C}, {1, 2}, {2, 0x30}}},
      {"change bad device", [](ActionMap& m) { return m.ChangeBinding(7, 5, 1, -1); }, 2,
       {{0, 0x2C}, {1, 2}, {2, 0x30}}},
      {"change on an empty action", [](ActionMap& m) { return m.ChangeBinding(8, 0, 1, -1); }, 3,
       {{0, 0x2C}, {1, 2}, {2, 0x30}}},
      {"remove every binding", [](ActionMap& m) { return m.RemoveBinding(7, -1, 0); }, 0, {}},
  };
  for (const Op& op : ops) {
    SCOPED_TRACE(op.name);
    EXPECT_EQ(op.call(*map), op.result);
    EXPECT_EQ(Bindings(7), op.afterAction7);
  }
}

TEST_F(ActionMapTest, CountingAndReadingBindings) {
  map->SetBinding(3, 0, 0x10);
  map->SetBinding(3, 2, 4);
  map->SetBinding(3, 0, 0x11);
  EXPECT_EQ(map->CountBindings(3, -1), 3u);
  EXPECT_EQ(map->CountBindings(3, 0), 2u);
  EXPECT_EQ(map->CountBindings(3, 1), 0u);
  EXPECT_EQ(map->CountBindings(3, 7), 0u);
  EXPECT_EQ(map->CountBindings(40, -1), 0u);
  struct Case {
    uint32_t action;
    int32_t device;
    uint32_t n;
    int32_t result;
    int code;
  };
  const Case cases[] = {
      {3, 0, 1, 0, 0x11}, {3, -1, 1, 0, 4}, {3, 2, 0, 0, 4}, {3, -1, 3, 2, -1},
      {3, 5, 0, 3, -1},   {3, 1, 0, 4, -1}, {3, 0, 2, 4, -1}, {20, 0, 0, 1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.action) + " " + std::to_string(c.device) + " " + std::to_string(c.n));
    uint8_t code = 0xEE;
    EXPECT_EQ(map->GetBinding(c.action, c.device, c.n, &code, nullptr), c.result);
    if (c.result == 0) {
      EXPECT_EQ(code, c.code);
    }
  }
  EXPECT_EQ(map->GetBinding(3, 0, 0, nullptr, nullptr), 0);
  // A map without a manager refuses everything.
  ActionMap orphan(nullptr);
  ASSERT_EQ(orphan.Create(2), 0);
  EXPECT_EQ(orphan.SetBinding(0, 0, 1), 1);
  EXPECT_EQ(orphan.GetBinding(0, -1, 0, nullptr, nullptr), 1);
  EXPECT_EQ(orphan.Create(0), 1);
  EXPECT_EQ(orphan.ActionCount(), 0u);
}

}  // namespace
}  // namespace orrivel
