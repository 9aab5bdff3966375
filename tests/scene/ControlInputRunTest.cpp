// One scripted run of the engine's input path into a host with three text
// buttons: the headless input source feeds the polled keyboard and mouse,
// the default action bindings turn keys into actions, and each row of the
// script is one frame with what the frame must have done.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "SceneTestSupport.h"
#include "platform/KeyTable.h"
#include "raster/SpriteList.h"
#include "scene/ButtonControl.h"

namespace orrivel {
namespace {

using platform::DIK_LSHIFT;
using platform::DIK_RETURN;
using platform::DIK_RIGHT;
constexpr uint8_t kTab = ControlHost::kKeyTab;

struct Row {
  const char* what;
  int32_t x, y;                          // pointer
  std::initializer_list<uint8_t> keys;   // held this frame
  uint32_t buttons;                      // mouse buttons held
  uint32_t advanceMs;                    // clock step before the frame
  int32_t result;                        // of ControlHost::Update
  const char* states;                    // of the three buttons, 0-3
  const char* hovered;
  const char* focused;
  std::vector<std::string> log;          // services asked for
};

class ControlInputRunTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
    // A, B, C: 40 x 20 each, side by side, linked left and right.
    for (int i = 0; i < 3; ++i) {
      auto b = std::make_unique<ButtonControl>();
      ASSERT_EQ(b->CreateWithText(&list, i, "", nullptr, i * 50, 0, 40, 20, false, 0), 0);
      b->SetTag(i);
      ASSERT_EQ(host.AddControl(b.get(), -1), 0u);
      buttons[size_t(i)] = std::move(b);
    }
    buttons[0]->SetNeighbours(nullptr, buttons[1].get(), nullptr, nullptr);
    buttons[1]->SetNeighbours(buttons[0].get(), buttons[2].get(), nullptr, nullptr);
  }
  std::string NameOf(const Control* c) const {
    for (size_t i = 0; i < 3; ++i)
      if (buttons[i].get() == c) return std::string(1, char('A' + i));
    return "-";
  }
  std::string States() const {
    std::string s;
    for (const auto& b : buttons) s += char('0' + b->GetState());
    return s;
  }

  test::RecordingHost host;
  SpriteList list;
  std::array<std::unique_ptr<ButtonControl>, 3> buttons;
};

TEST_F(ControlInputRunTest, HoverPressReleaseFocusAndActivation) {
  const Row script[] = {
      {"pointer onto A", 5, 5, {}, 0, 0, 0, "100", "A", "-", {"sound - -3"}},
      {"button down on A", 5, 5, {}, 1, 0, 1, "200", "A", "-", {}},
      {"held", 6, 5, {}, 1, 0, 0, "200", "A", "-", {}},
      {"button up: A fires", 6, 5, {}, 0, 0, 1, "100", "A", "-", {"selected 0", "sound - -4"}},
      {"pointer onto B", 55, 5, {}, 0, 0, 0, "010", "B", "-", {"sound - -2", "sound - -3"}},
      {"pointer off every button", 300, 100, {}, 0, 0, 0, "000", "-", "-", {"sound - -2"}},
      {"Tab: the first button", 300, 100, {kTab}, 0, 0, 4, "100", "-", "A", {"sound - -3"}},
      {"right: A's neighbour", 300, 100, {DIK_RIGHT}, 0, 0, 4, "010", "-", "B", {"sound - -3"}},
      {"decide: B shows pressed", 300, 100, {DIK_RETURN}, 0, 0, 2, "020", "-", "B", {}},
      {"100 ms on: not yet", 300, 100, {}, 0, 100, 2, "020", "-", "B", {}},
      {"then B fires", 300, 100, {}, 0, 1, 2, "010", "-", "B", {"selected 1", "sound - -4"}},
      {"Tab: C", 300, 100, {kTab}, 0, 0, 4, "001", "-", "C", {"sound - -3"}},
      {"keys up", 300, 100, {}, 0, 0, 0, "001", "-", "C", {}},
      {"Shift+Tab: back to B", 300, 100, {DIK_LSHIFT, kTab}, 0, 0, 4, "010", "-", "B", {"sound - -3"}},
      // The focused button hears the pointer leave too and returns to normal.
      {"pointer onto C", 105, 5, {}, 0, 0, 0, "001", "C", "B", {"sound - -2", "sound - -3"}},
      {"click on C", 105, 5, {}, 1, 0, 1, "002", "C", "B", {}},
      {"release on C", 105, 5, {}, 0, 0, 1, "001", "C", "B", {"selected 2", "sound - -4"}},
  };
  host.TakeLog();
  for (const Row& row : script) {
    SCOPED_TRACE(row.what);
    clock.Advance(row.advanceMs);
    host.pointerX = row.x, host.pointerY = row.y;
    Poll(row.keys, row.buttons);
    EXPECT_EQ(host.Update(clock.TickMs()), row.result);
    EXPECT_EQ(States(), row.states);
    EXPECT_EQ(NameOf(host.GetHovered()), row.hovered);
    EXPECT_EQ(NameOf(host.GetFocused()), row.focused);
    EXPECT_EQ(host.TakeLog(), row.log);
    // Each button shows the cell of its state.
    for (const auto& b : buttons)
      EXPECT_EQ(b->Sprite().GetSourceRect().left, b->CellOfState(b->GetState()) * 40);
  }
}

}  // namespace
}  // namespace orrivel
