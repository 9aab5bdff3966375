// The game's control host under the keys, as a player meets it: with the
// pointer resting on one button, Tab moves the focus to the next, which
// shows its hover, the pointer is parked in the screen's far corner, and
// the decide key then fires the focused button, not the one under the
// pointer. A hidden tool tip comes back only after its delay runs again
// from a restarted hover time.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../scene/ControlTestSupport.h"
#include "../scene/SceneTestSupport.h"
#include "HeadlessMachine.h"
#include "base/ActionMap.h"
#include "base/Application.h"
#include "base/DefaultActionBindings.h"
#include "base/InputManager.h"
#include "natives/GameControlHost.h"
#include "platform/KeyTable.h"
#include "raster/SpriteList.h"
#include "scene/ButtonControl.h"

namespace orrivel {
namespace {

using platform::DIK_RETURN;
constexpr uint8_t kTab = ControlHost::kKeyTab;

class GameControlHostKeys : public test::SceneTest, protected test::HeadlessMachine {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    app = std::make_unique<Application>();
    ASSERT_EQ(app->input->CreateDevices(1), 0);
    app->input->Activate();
    ASSERT_EQ(app->input->CreateActionMap(20, &map), 0);
    InstallDefaultBindings(*map);
    host.Attach(app.get(), map, nullptr);
    // A at (10, 10) and B at (60, 10), 40 x 20 each.
    strip = test::MakeSolid32(80, 20, 0xFF204060u);
    for (int i = 0; i < 2; ++i) {
      ButtonControl& button = i == 0 ? a : b;
      ASSERT_EQ(button.CreateFromSurface(&list, i, strip.get(), false, false, 10 + 50 * i, 10, 0, 255, 0), 0);
      button.SetTag(i + 1);
      ASSERT_EQ(host.AddControl(&button, -1), 0u);
    }
  }
  void TearDown() override {
    host.Clear();
    host.Detach();
    test::SceneTest::TearDown();
  }
  // One frame with the pointer where the application last saw it and these
  // keys and mouse buttons held.
  int32_t Frame(std::initializer_list<uint8_t> keys = {}, uint32_t buttons = 0, uint32_t advanceMs = 16) {
    clock.Advance(advanceMs);
    source.ReleaseAllKeys();
    for (uint8_t k : keys) source.SetKey(k, true);
    source.SetMouseButtons(buttons);
    app->input->Update();
    return host.Update(clock.TickMs());
  }
  void PointerAt(int32_t x, int32_t y) { app->cursorX = x, app->cursorY = y; }

  std::unique_ptr<Application> app;
  ActionMap* map = nullptr;
  GameControlHost host;
  SpriteList list;
  std::unique_ptr<Surface> strip;
  ButtonControl a, b;
};

TEST_F(GameControlHostKeys, KeysChooseAButtonWhileThePointerRestsOnAnother) {
  PointerAt(20, 15);
  Frame();
  ASSERT_EQ(host.GetHovered(), &a);
  ASSERT_EQ(a.GetState(), PushControl::kHover);

  struct Row {
    const char* what;
    std::initializer_list<uint8_t> keys;
    const Control* focused;
    uint8_t stateA, stateB;
  };
  const Row script[] = {
      {"Tab: A takes the focus", {kTab}, &a, PushControl::kHover, PushControl::kNormal},
      {"keys up", {}, &a, PushControl::kHover, PushControl::kNormal},
      {"Tab: B takes it", {kTab}, &b, PushControl::kNormal, PushControl::kHover},
      // The pointer no longer rests on A, so A does not take the hover back.
      {"keys up", {}, &b, PushControl::kNormal, PushControl::kHover},
      {"a later frame", {}, &b, PushControl::kNormal, PushControl::kHover},
  };
  for (const Row& row : script) {
    SCOPED_TRACE(row.what);
    Frame(row.keys);
    EXPECT_EQ(host.GetFocused(), row.focused);
    EXPECT_EQ(host.GetHovered(), nullptr);
    EXPECT_EQ(a.GetState(), row.stateA);
    EXPECT_EQ(b.GetState(), row.stateB);
    // Parked in the far corner, inside the screen.
    EXPECT_EQ(app->cursorX, app->gameWidth - 1);
    EXPECT_EQ(app->cursorY, app->gameHeight - 1);
  }
  Frame({DIK_RETURN});
  EXPECT_EQ(host.TakeEvent(), 2);
}

// The player's host does the controls' timed work (a text reveal, an
// animation) once a frame, and none of it while input is off: that frame
// answers -1 before any control ticks.
TEST_F(GameControlHostKeys, InputOffAnswersBeforeAnyControlTicks) {
  test::LoggingControl ticking("T", nullptr, 200, 200);
  ASSERT_EQ(host.AddControl(&ticking, -1), 0u);
  Frame();
  EXPECT_EQ(ticking.ticks, 1);
  host.SetInputEnabled(false);
  EXPECT_EQ(Frame(), -1);
  EXPECT_EQ(ticking.ticks, 1);
  host.SetInputEnabled(true);
  Frame();
  EXPECT_EQ(ticking.ticks, 2);
  host.RemoveControl(&ticking);
}

TEST_F(GameControlHostKeys, ARestartedHoverTimeBringsTheHiddenTipBackAfterItsDelay) {
  a.SetName("tip");
  host.SetTooltip(true, 500, 0);
  PointerAt(20, 15);
  Frame();
  Frame({}, 0, 499);
  EXPECT_FALSE(host.IsTooltipShown());
  Frame({}, 0, 1);
  EXPECT_TRUE(host.IsTooltipShown());
  // Hidden, it stays hidden however long the pointer rests ...
  host.HideTooltip();
  Frame({}, 0, 2000);
  EXPECT_FALSE(host.IsTooltipShown());
  // ... until the hover time starts again at that frame's tick.
  host.RestartHoverTime();
  Frame({}, 0, 499);
  EXPECT_FALSE(host.IsTooltipShown());
  Frame({}, 0, 1);
  EXPECT_TRUE(host.IsTooltipShown());
}

}  // namespace
}  // namespace orrivel
