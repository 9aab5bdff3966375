// The text frame's menu state in the running game: a page that switches it
// off hides the main window's pointer, and native 55's command 8 brings it
// back only when a page switched it off; the text history greys the main
// window's commands while it is open.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../frame/FramePictures.h"
#include "../scene/ShownPixel.h"
#include "RunningGame.h"
#include "base/MouseDevice.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsSystemMenu.h"
#include "game/ConfirmBox.h"
#include "game/GameMenu.h"
#include "game/GameWindowCommands.h"
#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "natives/ProcessObjects.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/SoftSurface.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasDrawObject.h"
#include "sound/BgmTrack.h"
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

class GameFrameMenuTest : public RunningGameTest {
 protected:
  // The history screen's pictures in the game's folder: it opens only
  // with them.
  void WriteHistoryPictures() {
    std::filesystem::create_directories(folder_ / "SYS");
    struct GameFolder {
      GameFrameMenuTest& test;
      void Write(const std::string& name, const std::vector<uint8_t>& bytes) { test.Write(name, bytes); }
    } folder{*this};
    test::WriteHistoryPictures(folder);
  }
};

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
  WriteHistoryPictures();
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
  WriteHistoryPictures();
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

// The run's process-wide objects and box, as the program builds them: the
// game installs its system menu over them.
class GameSystemMenuTest : public RunningGameTest {
 protected:
  GameSystemMenuTest() {
    previousObjects_ = SetProcessObjects(&objects_);
    previousBox_ = SetConfirmBox(&box_);
  }
  ~GameSystemMenuTest() override {
    SetConfirmBox(previousBox_);
    SetProcessObjects(previousObjects_);
  }

 private:
  ProcessObjects objects_;
  ConfirmBox box_;
  ProcessObjects* previousObjects_ = nullptr;
  ConfirmBox* previousBox_ = nullptr;
};

// Opening the system menu gives back what a page switched off (here the
// pointer) before the menu takes input, and the menu places itself by the
// edge where the pointer left the window.
TEST_F(GameSystemMenuTest, RestoresTheMenuStateAndReadsThePointerEdge) {
  GameApplication app;
  RunWith(app, [&app] {
    ASSERT_NE(app.scripts, nullptr);
    GameScriptHost& host = *app.scripts;
    MouseDevice* mouse = app.input ? app.input->Mouse() : nullptr;
    ASSERT_NE(mouse, nullptr);
    TgsFrameSlot& slot = host.TextFrameSlot();
    slot.frame = std::make_unique<TgsFrame>(host.Space(), host.TextFrame().environment);
    MessageWindowState& window = slot.frame->WindowState();
    mouse->SetCursorState(1, app.mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
    window.SwitchMenuStateOff();
    ASSERT_EQ(mouse->CursorState(), 0u);
    // This game ships no item layout: the menu stays closed, but it gave
    // the state back as it opened.
    EXPECT_EQ(slot.frame->ShowSystemMenu(), TgsSystemMenu::kDismissed);
    EXPECT_FALSE(window.MenuStateOff());
    EXPECT_EQ(mouse->CursorState(), 1u);

    TgsSystemMenuPort* port = host.TextFrame().ownSystemMenu.get();
    ASSERT_NE(port, nullptr);
    for (const uint8_t zone : {4, 8, 6, 0}) {
      app.cursorZone = zone;
      EXPECT_EQ(port->PointerEdge(), zone);
    }
    slot.frame.reset();
  });
}

// Quitting from the system menu with the fade on, as the game wires it:
// the music fades out and the screen goes from what it shows to black over
// a second of frames.
TEST_F(GameSystemMenuTest, QuittingFadesTheMusicAndTheScreenToBlack) {
  GameApplication app;
  RunWith(app, [&app] {
    ASSERT_NE(app.scripts, nullptr);
    GameScriptHost& host = *app.scripts;
    platform::ManualClock clock(100000);
    platform::ScopedClock scopedClock(clock);
    platform::SoftSurface screen;
    ASSERT_EQ(screen.Create(1280, 720, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
    const auto shown = [&screen](int32_t x, int32_t y) { return test::ShownPixel(screen, x, y); };
    // Each frame moves the clock and shows the frame's screen.
    TgsFrameSlot& slot = host.TextFrameSlot();
    TgsFrameEnvironment environment = host.TextFrame().environment;
    std::vector<uint32_t> seen;
    environment.pumpFrame = [&] {
      clock.SetTick(clock.TickMs() + 16);
      slot.frame->CanvasObject()->Present(nullptr, nullptr, &screen, kPixelFormatX8R8G8B8, 1);
      seen.push_back(shown(640, 360));
      return 1;
    };
    slot.frame = std::make_unique<TgsFrame>(host.Space(), environment);
    ASSERT_EQ(slot.frame->SetupMessageWindow(nullptr), 0);
    ASSERT_EQ(slot.frame->Layers()->ClearLayer(0xFFFFFF, TgsLayerSets::kFront), 0);
    ASSERT_EQ(slot.frame->CanvasObject()->Present(nullptr, nullptr, &screen, kPixelFormatX8R8G8B8, 0), 0);
    ASSERT_EQ(shown(640, 360), 0xFFFFFFu);
    SetCurrentBgmNumber(3);

    TgsSystemMenuPort* port = host.TextFrame().ownSystemMenu.get();
    ASSERT_NE(port, nullptr);
    port->QuitFade();
    EXPECT_EQ(CurrentBgmNumber(), 0);
    ASSERT_GE(seen.size(), 1000u / 16);
    const uint32_t half = seen[seen.size() / 2];
    EXPECT_GT(half & 0xFF, 0x20u);
    EXPECT_LT(half & 0xFF, 0xE0u);
    EXPECT_EQ(seen.back(), 0u);
    for (const auto& [x, y] : {std::pair{0, 0}, {1279, 0}, {0, 719}, {1279, 719}}) EXPECT_EQ(shown(x, y), 0u);
    slot.frame.reset();
    SetCurrentBgmNumber(0);
  });
}

}  // namespace
}  // namespace orrivel
