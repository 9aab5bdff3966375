// The game's choice menu end to end: five choices in a choice list, driven
// through the engine's input path (headless source, polled keyboard and
// mouse, default action bindings) into a host that answers pointer mode 2
// as the game's does. The third choice is taken once by keys and once by
// the pointer, and its value reaches the script's cell and the choice
// memory. Each row of a script is one frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BlockFont.h"
#include "ControlTestSupport.h"
#include "SceneTestSupport.h"
#include "base/BitArray.h"
#include "platform/KeyTable.h"
#include "raster/SpriteList.h"
#include "scene/TextListControl.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {
namespace {

using platform::DIK_DOWN;
using platform::DIK_RETURN;

struct Row {
  const char* what;
  int32_t x, y;                         // pointer
  std::initializer_list<uint8_t> keys;  // held this frame
  uint32_t buttons;                     // mouse buttons held
  int32_t result;                       // of ControlHost::Update
  int32_t hovered;                      // line
  uint8_t pressState;
  std::vector<std::string> log;         // services asked for
};

class ChoiceInputRunTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
    host.pointerMode = 2;
    choiceCell = space.Allocate(4);
    ASSERT_EQ(memory.Resize(256), 0);
    list.SetChoiceMemory(&memory, 40, ScriptCell{&space, choiceCell});
    list.SetTag(100);
    ASSERT_EQ(host.AddControl(&list, -1), 0u);
  }
  // Five choices 200 x 20 centred on (320, 240): lines at 190, 210, ...
  // valued from firstValue.
  void ShowChoices(int32_t firstValue) {
    ASSERT_EQ(list.Configure(&sprites, 10, 220, 240, 200, 20, 0, &font, 0), 0);
    const char* texts[] = {"one", "two", "three", "four", "five"};
    for (int i = 0; i < 5; ++i) {
      TextListLineArgs line;
      line.text = texts[i];
      line.value = firstValue + i;
      ASSERT_EQ(list.AddLine(line), 0);
    }
    ASSERT_EQ(list.LineSprite(2)->GetY(), 230);
  }
  void Run(const Row* rows, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      const Row& row = rows[i];
      SCOPED_TRACE(row.what);
      host.pointerX = row.x, host.pointerY = row.y;
      Poll(row.keys, row.buttons);
      EXPECT_EQ(host.Update(clock.TickMs()), row.result);
      EXPECT_EQ(list.GetHovered(), row.hovered);
      EXPECT_EQ(list.GetPressState(), row.pressState);
      EXPECT_EQ(host.TakeLog(), row.log);
      // The hovered line shows its hover cell, the others their normal one.
      for (int32_t l = 0; l < list.LineCount(); ++l)
        EXPECT_EQ(list.LineSprite(l)->GetSourceRect().left, l == list.GetHovered() ? 200 : 0) << l;
    }
  }
  int32_t Cell() {
    uint32_t value = 0;
    space.Read32(choiceCell, value);
    return int32_t(value);
  }

  test::RecordingHost host;
  SpriteList sprites;
  test::BlockFont font;
  TextListControl list;
  ScriptAddressSpace space;
  uint32_t choiceCell = 0;
  BitArray memory;
};

TEST_F(ChoiceInputRunTest, TheThirdChoiceByKeys) {
  host.pointerX = 641, host.pointerY = 480;
  ShowChoices(0);
  host.Update(clock.TickMs());
  ASSERT_EQ(host.SetFocus(&list), 0u);  // the frame gives its choices the keys
  EXPECT_EQ(host.TakeLog(), (std::vector<std::string>{"sound - -3", "pointer 641,480"}));
  constexpr int32_t kFocused = ControlHost::kUpdateFocused;
  const Row script[] = {
      {"down: the second choice", 641, 480, {DIK_DOWN}, 0, kFocused, 1, 1,
       {"sound - -2", "sound - -3", "pointer 641,480"}},
      {"keys up", 641, 480, {}, 0, kFocused, 1, 1, {}},
      {"down: the third choice", 641, 480, {DIK_DOWN}, 0, kFocused, 2, 1,
       {"sound - -2", "sound - -3", "pointer 641,480"}},
      {"keys up", 641, 480, {}, 0, kFocused, 2, 1, {}},
      {"decide: the third is chosen", 641, 480, {DIK_RETURN}, 0, kFocused, 2, 1, {"selected 102", "sound - -4"}},
      {"keys up", 641, 480, {}, 0, ControlHost::kUpdateIdle, 2, 1, {}},
      // Locked: the list hears no key; the host finds nowhere else to go.
      {"down after the choice", 641, 480, {DIK_DOWN}, 0, ControlHost::kUpdateFocusMoved, 2, 1, {}},
  };
  Run(script, std::size(script));
  EXPECT_EQ(Cell(), 2);
  EXPECT_TRUE(memory.Test(42));
  EXPECT_TRUE(list.IsLocked());
}

TEST_F(ChoiceInputRunTest, TheThirdChoiceByThePointer) {
  // The choices appear under a resting pointer over the first one.
  host.pointerX = 300, host.pointerY = 200;
  ShowChoices(20);
  constexpr int32_t kButtons = ControlHost::kUpdateButtons, kIdle = ControlHost::kUpdateIdle;
  const Row script[] = {
      {"resting over the first choice", 300, 200, {}, 0, kIdle, -1, 0, {}},
      {"a small move: still resting", 302, 201, {}, 0, kIdle, -1, 0, {}},
      {"onto the third choice", 300, 240, {}, 0, kIdle, 2, 1, {"sound - -3"}},
      {"button down", 300, 240, {}, 1, kButtons, 2, 2, {}},
      {"held", 301, 240, {}, 1, kIdle, 2, 2, {}},
      {"button up: the third is chosen", 301, 240, {}, 0, kButtons, 2, 1, {"selected 102", "sound - -4"}},
      {"locked: the pointer chooses nothing more", 300, 260, {}, 1, kIdle, 2, 1, {}},
  };
  Run(script, std::size(script));
  EXPECT_EQ(Cell(), 22);
  EXPECT_TRUE(memory.Test(62));
  EXPECT_FALSE(memory.Test(42));
}

}  // namespace
}  // namespace orrivel
