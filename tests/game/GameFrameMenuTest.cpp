// The text frame's menu state in the running game: a page that switches it
// off hides the main window's pointer, and native 55's command 8 brings it
// back only when a page switched it off; the text history greys the main
// window's commands while it is open.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "RunningGame.h"
#include "base/MouseDevice.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "game/GameMenu.h"
#include "game/GameWindowCommands.h"
#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "platform/Messages.h"
#include "script/NativeArgs.h"

namespace orrivel {
namespace {

using testing::RunningGameTest;

constexpr uint32_t kSystemCommand = 55;
constexpr uint32_t kRestoreFrameMenu = 8;

uint32_t RestoreFrameMenu(GameScriptHost& host) {
  const uint32_t block = host.Space().Allocate(4);
  host.Space().Write32(block, kRestoreFrameMenu);
  NativeArgs args(host.Space(), nullptr, block);
  const uint32_t result = host.Natives()[kSystemCommand + 3](args);
  host.Space().Free(block);
  return result;
}

using GameFrameMenuTest = RunningGameTest;

TEST_F(GameFrameMenuTest, APageHidesThePointerAndCommandEightShowsItAgain) {
  GameApplication app;
  RunWith(app, [&app] {
    ASSERT_NE(app.scripts, nullptr);
    GameScriptHost& host = *app.scripts;
    MouseDevice* mouse = app.input ? app.input->Mouse() : nullptr;
    ASSERT_NE(mouse, nullptr);
    // Without a frame the command does nothing.
    mouse->SetCursorState(0, app.mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
    EXPECT_EQ(RestoreFrameMenu(host), 0u);
    EXPECT_EQ(mouse->CursorState(), 0u);

    TgsFrameSlot& slot = host.TextFrameSlot();
    slot.frame = std::make_unique<TgsFrame>(host.Space(), host.TextFrame().environment);
    MessageWindowState& window = slot.frame->WindowState();
    // Nothing switched off by a page: the pointer stays as the game left it.
    EXPECT_EQ(RestoreFrameMenu(host), 0u);
    EXPECT_EQ(mouse->CursorState(), 0u);
    mouse->SetCursorState(1, app.mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
    window.SwitchMenuStateOff();
    EXPECT_EQ(mouse->CursorState(), 0u);
    EXPECT_EQ(RestoreFrameMenu(host), 0u);
    EXPECT_EQ(mouse->CursorState(), 1u);
    EXPECT_FALSE(window.MenuStateOff());
    slot.frame.reset();
  });
}

// While the history screen is open the commands that would run over it
// (settings, save, load, return to title) are grey; when it closes, those
// it greyed are back and the ones that were grey before stay grey. The
// screen-mode change is left alone.
TEST_F(GameFrameMenuTest, TheHistoryScreenGreysTheMenuBarWhileItIsOpen) {
  GameApplication app;
  RunWith(app, [&app] {
    ASSERT_NE(app.scripts, nullptr);
    GameScriptHost& host = *app.scripts;
    app.windowCommands.UpdateMenuBar(GameWindowCommands::kSwitchSave, true);
    app.windowCommands.UpdateMenuBar(GameWindowCommands::kSwitchReturnToTitle, true);
    const uint32_t ids[] = {kCommandSettings, kCommandSettingsFromMenu, kCommandSave,
                            kCommandLoad,     kCommandReturnToTitle,    kCommandScreenMode};
    auto states = [&] {
      std::map<uint32_t, bool> enabled;
      for (uint32_t id : ids) enabled[id] = Enabled(app, id);
      return enabled;
    };
    const std::map<uint32_t, bool> before = states();
    EXPECT_EQ(before, (std::map<uint32_t, bool>{{kCommandSettings, true},
                                                {kCommandSettingsFromMenu, true},
                                                {kCommandSave, true},
                                                {kCommandLoad, false},
                                                {kCommandReturnToTitle, true},
                                                {kCommandScreenMode, true}}));
    std::map<uint32_t, bool> whileOpen;
    int pumps = 0;
    TgsFrameEnvironment environment = host.TextFrame().environment;
    // A few frames of the open screen, then the program closes.
    environment.pumpFrame = [&] {
      if (++pumps == 2) whileOpen = states();
      return pumps < 4 ? 1 : 0;
    };
    TgsFrame frame(host.Space(), environment);
    ASSERT_EQ(frame.SetupMessageWindow(nullptr), 0);
    ASSERT_EQ(frame.BeginRun(false), 0);
    EXPECT_EQ(frame.ShowTextHistory(), -1);
    EXPECT_EQ(whileOpen, (std::map<uint32_t, bool>{{kCommandSettings, false},
                                                   {kCommandSettingsFromMenu, false},
                                                   {kCommandSave, false},
                                                   {kCommandLoad, false},
                                                   {kCommandReturnToTitle, false},
                                                   {kCommandScreenMode, true}}));
    EXPECT_EQ(states(), before);
    frame.EndRun();
  });
}

// The history greys the commands without touching the scripts' switches:
// the scripts read theirs unchanged while it is open, one they turn off
// meanwhile stays off when it closes, and one they turn on stays grey
// until then.
TEST_F(GameFrameMenuTest, SwitchesTheScriptsChangeWhileTheHistoryIsOpenHoldAfterItCloses) {
  GameApplication app;
  RunWith(app, [&app] {
    ASSERT_NE(app.scripts, nullptr);
    ASSERT_NE(app.nativePort, nullptr);
    GameScriptHost& host = *app.scripts;
    GameWindowCommands& commands = app.windowCommands;
    AppNativePort& port = *app.nativePort;
    commands.UpdateMenuBar(GameWindowCommands::kSwitchSave, true);
    ASSERT_TRUE(Enabled(app, kCommandSave));
    ASSERT_FALSE(Enabled(app, kCommandLoad));
    int pumps = 0;
    TgsFrameEnvironment environment = host.TextFrame().environment;
    environment.pumpFrame = [&] {
      if (++pumps == 2) {
        EXPECT_TRUE(port.menuEnabled[GameWindowCommands::kSwitchSave]);
        EXPECT_EQ(commands.SwitchState(GameWindowCommands::kSwitchSave), 0);
        port.menuEnabled[GameWindowCommands::kSwitchSave] = false;
        port.menuEnabled[GameWindowCommands::kSwitchLoad] = true;
        port.applyMenuState();
        EXPECT_FALSE(Enabled(app, kCommandLoad));
        EXPECT_EQ(commands.SwitchState(GameWindowCommands::kSwitchLoad), 0);
      }
      return pumps < 4 ? 1 : 0;
    };
    TgsFrame frame(host.Space(), environment);
    ASSERT_EQ(frame.SetupMessageWindow(nullptr), 0);
    ASSERT_EQ(frame.BeginRun(false), 0);
    EXPECT_EQ(frame.ShowTextHistory(), -1);
    EXPECT_EQ(pumps, 4);
    EXPECT_FALSE(Enabled(app, kCommandSave));
    EXPECT_FALSE(port.menuEnabled[GameWindowCommands::kSwitchSave]);
    EXPECT_EQ(commands.SwitchState(GameWindowCommands::kSwitchSave), 0);
    EXPECT_TRUE(Enabled(app, kCommandLoad));
    EXPECT_EQ(commands.SwitchState(GameWindowCommands::kSwitchLoad), 1);
    EXPECT_TRUE(Enabled(app, kCommandSettings));
    frame.EndRun();
  });
}

}  // namespace
}  // namespace orrivel
