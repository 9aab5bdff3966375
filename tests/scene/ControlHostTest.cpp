// The control host: list order, focus moves (FocusNext/FocusPrevious, Tab,
// Shift+Tab, neighbour actions), pointer events, tooltip timing, the saved
// lists, and controls that go away while listed.
#include "scene/ControlHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "platform/KeyTable.h"

namespace orrivel {
namespace {

using test::LoggingControl;
using test::RecordingHost;
using Log = std::vector<std::string>;

class ControlHostTest : public ::testing::Test, protected test::HeadlessControlInput {
 protected:
  void SetUp() override { Connect(host); }
  // Three controls side by side, listed A, B, C.
  void AddThree() {
    for (const char* id : {"A", "B", "C"}) {
      controls.push_back(std::make_unique<LoggingControl>(id, &host, int32_t(controls.size()) * 20, 0));
      ASSERT_EQ(host.AddControl(controls.back().get(), -1), 0u);
    }
  }
  LoggingControl& C(size_t i) { return *controls[i]; }
  std::string Focused() {
    auto* c = dynamic_cast<LoggingControl*>(host.GetFocused());
    return c ? c->Id() : "none";
  }
  // One frame with these keys held (key codes).
  int32_t Frame(std::initializer_list<uint8_t> keys = {}) {
    Poll(keys);
    return host.Update(clock.TickMs());
  }
  // A frame with nothing held, so that the next one can press again.
  void Idle() { Poll(); }

  RecordingHost host;
  std::vector<std::unique_ptr<LoggingControl>> controls;
};

TEST_F(ControlHostTest, AddControlPlacesByIndexAndRefusesWhatItCannotList) {
  LoggingControl a("A", nullptr), b("B", nullptr), c("C", nullptr), d("D", nullptr), e("E", nullptr);
  EXPECT_EQ(host.AddControl(nullptr, -1), 1u);
  EXPECT_EQ(host.AddControl(&a, -1), 0u);   // A
  EXPECT_EQ(host.AddControl(&b, 0), 0u);    // B A
  EXPECT_EQ(host.AddControl(&c, 1), 0u);    // B C A
  EXPECT_EQ(host.AddControl(&d, 99), 0u);   // B C A D
  EXPECT_EQ(host.AddControl(&a, -1), 2u);   // already listed
  RecordingHost other;
  EXPECT_EQ(other.AddControl(&a, -1), 2u);  // in another host
  EXPECT_EQ(host.Controls(), (std::vector<Control*>{&b, &c, &a, &d}));
  EXPECT_EQ(a.GetHost(), &host);
  EXPECT_EQ(e.GetHost(), nullptr);
  host.Clear();
  EXPECT_TRUE(host.Controls().empty());
  EXPECT_EQ(a.GetHost(), nullptr);
}

TEST_F(ControlHostTest, FocusNextAndPreviousTable) {
  struct Case {
    const char* name;
    std::vector<bool> eligible;  // A, B, C
    int focusFirst;              // -1 none
    bool forwards;
    int32_t result;
    const char* focused;
  };
  const Case cases[] = {
      {"from nothing forwards takes the head", {true, true, true}, -1, true, 0, "A"},
      {"from nothing backwards takes the tail", {true, true, true}, -1, false, 0, "C"},
      {"forwards from B", {true, true, true}, 1, true, 0, "C"},
      {"forwards wraps at the tail", {true, true, true}, 2, true, 0, "A"},
      {"backwards wraps at the head", {true, true, true}, 0, false, 0, "C"},
      {"a disabled control is skipped", {true, false, true}, 0, true, 0, "C"},
      {"only the focused one is eligible", {false, true, false}, 1, true, -1, "B"},
      {"nothing focused and nothing eligible", {false, false, false}, -1, true, 2, "none"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    controls.clear();
    host.Clear();
    AddThree();
    if (c.focusFirst >= 0) ASSERT_EQ(host.SetFocus(&C(size_t(c.focusFirst))), 0u);
    for (size_t i = 0; i < 3; ++i)
      if (!c.eligible[i]) C(i).SetEnabled(false);
    EXPECT_EQ(c.forwards ? host.FocusNext() : host.FocusPrevious(), c.result);
    EXPECT_EQ(Focused(), c.focused);
  }
  host.Clear();
  controls.clear();
  EXPECT_EQ(host.FocusNext(), 1);
  EXPECT_EQ(host.FocusPrevious(), 1);
}

TEST_F(ControlHostTest, SetFocusCodesAndTheNotificationsOfAMove) {
  LoggingControl stranger("X", &host);
  EXPECT_EQ(host.SetFocus(&stranger), 1u);  // empty list
  AddThree();
  EXPECT_EQ(host.SetFocus(&stranger), 2u);
  C(1).SetVisible(false);
  EXPECT_EQ(host.SetFocus(&C(1)), 3u);
  host.TakeLog();
  EXPECT_EQ(host.SetFocus(&C(0)), 0u);
  EXPECT_EQ(host.SetFocus(&C(2)), 0u);
  EXPECT_EQ(host.SetFocus(nullptr), 0u);
  EXPECT_EQ(host.TakeLog(), (Log{"A gained from none 1", "A lost to C", "C gained from A 1", "C lost to none"}));
}

TEST_F(ControlHostTest, TabAndShiftTabMoveTheFocus) {
  AddThree();
  host.TakeLog();
  using platform::DIK_LSHIFT;
  using platform::DIK_RSHIFT;
  const uint8_t tab = ControlHost::kKeyTab;
  struct Step {
    std::initializer_list<uint8_t> keys;
    int32_t result;
    const char* focused;
  };
  const Step steps[] = {
      {{DIK_LSHIFT, tab}, 4, "C"},  // nothing focused: the tail
      {{tab}, 4, "A"},               // wraps forwards
      {{tab}, 4, "B"},
      {{DIK_RSHIFT, tab}, 4, "A"},
      {{platform::DIK_DOWN}, 4, "B"},  // action 1 forwards
      {{platform::DIK_LEFT}, 4, "A"},  // action 2 backwards
      {{}, 0, "A"},
  };
  host.SetFocus(nullptr);
  for (const Step& s : steps) {
    Idle();
    EXPECT_EQ(Frame(s.keys), s.result);
    EXPECT_EQ(Focused(), s.focused);
  }
  // The first Tab with nothing focused takes the head.
  host.SetFocus(nullptr);
  Idle();
  EXPECT_EQ(Frame({tab}), 4);
  EXPECT_EQ(Focused(), "A");
}

TEST_F(ControlHostTest, TabWithOneEligibleControlTellsItAgain) {
  AddThree();
  C(0).SetEnabled(false);
  C(2).SetEnabled(false);
  ASSERT_EQ(host.SetFocus(&C(1)), 0u);
  host.TakeLog();
  EXPECT_EQ(Frame({ControlHost::kKeyTab}), 4);
  EXPECT_EQ(host.TakeLog(), (Log{"B gained from B 1"}));
  Idle();
  EXPECT_EQ(Frame({platform::DIK_LSHIFT, ControlHost::kKeyTab}), 4);
  EXPECT_EQ(host.TakeLog(), (Log{"B gained from B 0"}));
}

TEST_F(ControlHostTest, NeighbourActionsSkipAHiddenOrDisabledNeighbour) {
  AddThree();
  // A: right -> B, down -> C. Actions are tried 0, 1, 2, 3: with right and
  // down held, down (1) comes first.
  C(0).SetNeighbours(nullptr, &C(1), nullptr, &C(2));
  ASSERT_EQ(host.SetFocus(&C(0)), 0u);
  C(2).SetVisible(false);
  // Down fails (C hidden), so right (action 3) is tried next and moves to B.
  EXPECT_EQ(Frame({platform::DIK_DOWN, platform::DIK_RIGHT}), 4);
  EXPECT_EQ(Focused(), "B");
  // From B with no links, right falls to plain navigation (forwards).
  Idle();
  C(2).SetVisible(true);
  EXPECT_EQ(Frame({platform::DIK_RIGHT}), 4);
  EXPECT_EQ(Focused(), "C");
  // A focused control that takes Update stops the frame there.
  C(2).takeUpdate = true;
  Idle();
  EXPECT_EQ(Frame({platform::DIK_RIGHT}), 2);
  EXPECT_EQ(Focused(), "C");
}

TEST_F(ControlHostTest, PointerFromAToBInOrder) {
  AddThree();
  ASSERT_EQ(host.SetFocus(&C(2)), 0u);
  host.TakeLog();
  host.pointerX = 3, host.pointerY = 4;
  Frame();
  EXPECT_EQ(host.TakeLog(), (Log{"C leave", "A enter", "A move 3,4"}));
  host.pointerX = 25;
  Frame();
  EXPECT_EQ(host.TakeLog(), (Log{"A leave", "C leave", "B enter", "B move 5,4"}));
  Frame();  // no move: nothing
  EXPECT_EQ(host.TakeLog(), Log{});
  host.pointerX = 27;
  Frame();
  EXPECT_EQ(host.TakeLog(), (Log{"B move 7,4"}));
  // A click goes to the hovered control and ends the frame with 1.
  Poll({}, 1);
  EXPECT_EQ(host.Update(clock.TickMs()), 1);
  EXPECT_EQ(host.TakeLog(), (Log{"B click"}));
  // Off the controls: B leaves.
  host.pointerX = 300;
  Frame();
  EXPECT_EQ(host.TakeLog(), (Log{"B leave", "C leave"}));
  // While locked the hovered control keeps the pointer.
  host.pointerX = 5;
  Frame();
  host.TakeLog();
  host.SetPointerLocked(true);
  host.pointerX = 45;
  Frame();
  EXPECT_EQ(host.TakeLog(), (Log{"A move 45,4"}));
}

TEST_F(ControlHostTest, TooltipTiming) {
  AddThree();
  C(0).SetName("tip");
  struct Case {
    uint32_t duration;
    std::vector<std::pair<uint32_t, bool>> shownAt;  // ms after the rest began
  };
  const Case cases[] = {
      {2000, {{0, false}, {499, false}, {500, true}, {2500, true}, {2501, false}, {9000, false}}},
      {0, {{499, false}, {500, true}, {60000, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.duration);
    host.SetTooltip(true, 500, c.duration);
    host.pointerX = 300;
    Frame();
    host.pointerX = 2, host.pointerY = 2;
    const uint32_t rest = clock.TickMs();
    Frame();
    for (auto [at, shown] : c.shownAt) {
      clock.SetTick(rest + at);
      Frame();
      EXPECT_EQ(host.IsTooltipShown(), shown) << at;
    }
  }
  // Once timed out it stays hidden until the pointer rests on another control.
  host.SetTooltip(true, 500, 2000);
  host.pointerX = 300;
  Frame();
  host.pointerX = 2;
  uint32_t rest = clock.TickMs();
  Frame();
  clock.SetTick(rest + 2600);
  Frame();
  clock.SetTick(rest + 3200);
  Frame();
  EXPECT_FALSE(host.IsTooltipShown());
  // Moving on the control restarts the delay; the text and place are the pointer's.
  host.TakeLog();
  host.pointerX = 300;
  Frame();
  host.pointerX = 3;
  rest = clock.TickMs();
  Frame();
  clock.SetTick(rest + 400);
  host.pointerX = 4;
  Frame();
  clock.SetTick(rest + 800);
  Frame();
  EXPECT_FALSE(host.IsTooltipShown());
  clock.SetTick(rest + 900);
  Frame();
  EXPECT_TRUE(host.IsTooltipShown());
  EXPECT_EQ(host.log.back(), "tooltip tip 4,2");
  // Renaming the hovered control hides the tooltip.
  C(0).SetName("other");
  EXPECT_FALSE(host.IsTooltipShown());
}

TEST_F(ControlHostTest, PushAndPopOfSavedLists) {
  EXPECT_EQ(host.PushControls(), 1u);
  EXPECT_EQ(host.PopControls(), 1u);
  EXPECT_EQ(host.SavedListCount(), 0u);
  AddThree();
  ASSERT_EQ(host.SetFocus(&C(1)), 0u);
  EXPECT_EQ(host.PushControls(), 0u);
  EXPECT_TRUE(host.Controls().empty());
  EXPECT_EQ(host.GetFocused(), nullptr);
  EXPECT_EQ(C(0).GetHost(), &host);  // saved controls keep their host
  LoggingControl dialog("D", &host);
  ASSERT_EQ(host.AddControl(&dialog, -1), 0u);
  // A control of a saved list cannot be focused while it is put aside.
  EXPECT_EQ(host.SetFocus(&C(0)), 2u);
  // Removing one that lies in a saved list unlinks it there.
  host.RemoveControl(&C(1));
  EXPECT_EQ(C(1).GetHost(), nullptr);
  EXPECT_EQ(host.PopControls(), 0u);
  EXPECT_EQ(dialog.GetHost(), nullptr);
  EXPECT_EQ(host.Controls(), (std::vector<Control*>{&C(0), &C(2)}));
  EXPECT_EQ(host.GetFocused(), nullptr);
  EXPECT_EQ(host.PopControls(), 1u);
}

TEST_F(ControlHostTest, DisablingOrHidingTheFocusedOrHoveredControl) {
  AddThree();
  ASSERT_EQ(host.SetFocus(&C(0)), 0u);
  host.pointerX = 25, host.pointerY = 1;
  Frame();
  ASSERT_TRUE(host.IsHovered(&C(1)));
  EXPECT_FALSE(C(0).SetEnabled(true));  // unchanged: nobody hears of it
  host.TakeLog();
  // Every focus change drops the hover first.
  EXPECT_TRUE(C(0).SetEnabled(false));
  EXPECT_EQ(host.GetFocused(), nullptr);
  EXPECT_EQ(host.TakeLog(), (Log{"B leave", "A lost to none"}));
  host.ForgetPointer();
  Frame();
  ASSERT_TRUE(host.IsHovered(&C(1)));
  host.TakeLog();
  C(1).SetVisible(false);
  EXPECT_EQ(host.GetHovered(), nullptr);
  EXPECT_EQ(host.TakeLog(), (Log{"B leave"}));
}

TEST_F(ControlHostTest, ADeletedControlLeavesTheHostAndItsNeighbours) {
  AddThree();
  auto gone = std::make_unique<LoggingControl>("G", &host, 100, 0);
  ASSERT_EQ(host.AddControl(gone.get(), -1), 0u);
  C(0).SetNeighbours(gone.get(), gone.get(), nullptr, &C(1));
  gone->SetNeighbours(&C(0), nullptr, nullptr, nullptr);
  ASSERT_EQ(host.SetFocus(gone.get()), 0u);
  host.pointerX = 105, host.pointerY = 1;
  Frame();
  ASSERT_TRUE(host.IsHovered(gone.get()));
  host.TakeLog();
  gone.reset();
  EXPECT_EQ(host.GetFocused(), nullptr);
  EXPECT_EQ(host.GetHovered(), nullptr);
  EXPECT_EQ(host.Controls().size(), 3u);
  EXPECT_EQ(C(0).GetNeighbour(kNeighbourLeft), nullptr);
  EXPECT_EQ(C(0).GetNeighbour(kNeighbourRight), nullptr);
  EXPECT_EQ(C(0).GetNeighbour(kNeighbourDown), &C(1));
  // Navigation from A by the old link now falls to plain navigation.
  ASSERT_EQ(host.SetFocus(&C(0)), 0u);
  Idle();
  EXPECT_EQ(Frame({platform::DIK_LEFT}), 4);
  EXPECT_EQ(Focused(), "C");

  // One that lies in a saved list goes from there.
  auto saved = std::make_unique<LoggingControl>("S", &host, 200, 0);
  host.Clear();
  ASSERT_EQ(host.AddControl(saved.get(), -1), 0u);
  ASSERT_EQ(host.PushControls(), 0u);
  saved.reset();
  EXPECT_EQ(host.PopControls(), 0u);
  EXPECT_TRUE(host.Controls().empty());
}

TEST_F(ControlHostTest, InputOffAndTheHostGoingFirst) {
  AddThree();
  host.SetInputEnabled(false);
  EXPECT_EQ(Frame(), -1);
  EXPECT_EQ(host.GetLastResult(), -1);
  EXPECT_EQ(C(0).ticks, 0) << "input off answers before any control ticks";
  host.SetInputEnabled(true);
  EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(C(0).ticks, 1);
  // A host that goes before its controls lets them go, saved ones too.
  auto early = std::make_unique<RecordingHost>();
  LoggingControl a("a", nullptr), b("b", nullptr);
  early->AddControl(&a, -1);
  early->PushControls();
  early->AddControl(&b, -1);
  early.reset();
  EXPECT_EQ(a.GetHost(), nullptr);
  EXPECT_EQ(b.GetHost(), nullptr);
}

TEST_F(ControlHostTest, ControlsOutsideAnyHost) {
  LoggingControl lone("L", nullptr);
  EXPECT_TRUE(lone.SetEnabled(false));
  EXPECT_TRUE(lone.SetEnabled(true));
  lone.SetName("name");
  EXPECT_STREQ(lone.GetName(), "name");
  lone.SetName("");
  EXPECT_EQ(lone.GetName(), nullptr);
  lone.SetName("again");
  lone.SetName(nullptr);
  EXPECT_EQ(lone.GetName(), nullptr);
  EXPECT_EQ(lone.GetTag(), -1);
}

}  // namespace
}  // namespace orrivel
