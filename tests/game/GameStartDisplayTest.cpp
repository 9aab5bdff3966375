// What the player's settings make of the display and the window at start:
// the place of a window started in screen mode 3, the display's flags of
// boot byte 1 and settings byte 156, the vertical-sync wait reaching the
// presentation, the frame pump chosen by the display's Direct3D scene, and
// the drawing method the settings keep when the display had to give up
// the chosen one.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "GameNativeCalls.h"
#include "RunningGame.h"
#include "display/DisplayScreenDevice.h"
#include "display/D3DDevice.h"
#include "display/SceneObject.h"
#include "display/ScreenImage.h"
#include "game/AppSettings.h"
#include "game/GameApplication.h"
#include "game/GameFramePorts.h"
#include "natives/WindowCommandRecords.h"
#include "platform/Backend.h"
#include "platform/DisplayMachine.h"
#include "platform/InputSource.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/RenderDevice.h"

namespace orrivel {
namespace {

class GameStartDisplayTest : public testing::RunningGameTest {
 protected:
  // The fixture's game with the settings changed; APP_CFG.DAT beside it
  // (save-folder mode 5 reads it from the game folder).
  void WriteChangedSettings(const std::function<void(AppSettings&)>& change) {
    AppSettings settings;
    settings.SetSaveFolderMode(5);
    settings.system[14] = 1;
    settings.system[16] = 1;
    settings.system[19] = 2;
    settings.info[0] = "COMMANDS";
    settings.window[0] = 2;
    change(settings);
    Write("script/VQ_APP.SYS", EncodeSystemFile(settings.system));
    Write("script/VQ_APP.INF", EncodeInfoFile(settings.version, settings.info));
    Write("USER.CFG", EncodeUserConfig(settings));
    Write("APP_CFG.DAT", EncodeAppConfig(settings.appConfig));
  }
  static void SetWindowPosition(AppSettings& settings, int32_t x, int32_t y) {
    SetBlockU32(settings.window, 2, uint32_t(x));
    SetBlockU32(settings.window, 6, uint32_t(y));
  }
};

// A window started in screen mode 3 is placed by the device step: at the
// stored position when the player keeps it, else centred on the work area.
// A window started in mode 2 stays where it was made.
TEST_F(GameStartDisplayTest, AWindowStartedInModeThreeIsPlaced) {
  struct Row {
    const char* name;
    uint8_t mode;
    uint8_t keepPosition;  // settings byte 159
    bool centred;
  };
  for (const Row row : {Row{"mode 3, position kept", 3, 1, false}, Row{"mode 3, centred", 3, 0, true},
                        Row{"mode 2", 2, 0, false}}) {
    SCOPED_TRACE(row.name);
    WriteChangedSettings([&](AppSettings& settings) {
      settings.window[0] = row.mode;
      SetWindowPosition(settings, 40, 30);
      settings.appConfig[159] = row.keepPosition;
    });
    GameApplication app;
    RunWith(app, [&] {
      EXPECT_EQ(app.screenMode, 2);
      EXPECT_EQ(app.configuredScreenMode, row.mode);
      const platform::Rect outer = platform::CurrentBackend().GetWindowRect(app.mainWindow.GetHandle());
      platform::Rect work;
      app.monitors.GetMonitorWorkArea(work, app.monitors.MonitorFromRect(outer));
      if (row.centred) {
        EXPECT_EQ(outer.left, work.left + (work.Width() - outer.Width()) / 2);
        EXPECT_EQ(outer.top, work.top + (work.Height() - outer.Height()) / 2);
      } else {
        EXPECT_EQ(outer.left, 40);
        EXPECT_EQ(outer.top, 30);
      }
    });
  }
}

// Automatic vertical sync (boot byte 1 = 0) makes full screen prefer a
// 60 Hz mode; settings byte 156 = 2 changes the resolution through the
// display device's own mode switch, also after the monitors were listed.
TEST_F(GameStartDisplayTest, BootByteOneAndByte156SetTheDisplaysFlags) {
  struct Row {
    uint8_t vsyncMode;
    uint8_t modeChange;
    bool prefer60Hz;
    bool throughDevice;
  };
  for (const Row row : {Row{0, 2, true, true}, Row{1, 1, false, false}, Row{2, 2, false, true}}) {
    SCOPED_TRACE(std::to_string(row.vsyncMode) + "/" + std::to_string(row.modeChange));
    WriteChangedSettings([&](AppSettings& settings) {
      settings.boot[1] = row.vsyncMode;
      settings.appConfig[156] = row.modeChange;
    });
    GameApplication app;
    RunWith(app, [&] {
      ASSERT_NE(app.Display(), nullptr);
      EXPECT_EQ(app.Display()->Prefer60Hz(), row.prefer60Hz);
      EXPECT_EQ(app.Display()->ModeChangeThroughDisplayDevice(), row.throughDevice);
    });
  }
}

// The pacing's vertical-sync wait reaches the presentation: on a display
// that can wait for the blank, boot byte 1 = 2 presents on it, 1 does not,
// and a forced sync of the scripts turns it on for as long as it is open.
TEST_F(GameStartDisplayTest, TheVerticalSyncWaitReachesThePresentation) {
  struct Row {
    const char* name;
    bool displaySyncs;
    uint8_t vsyncMode;
    bool wait;
  };
  for (const Row row : {Row{"on", true, 2, true}, Row{"off", true, 1, false},
                        Row{"on without a blank to wait for", false, 2, false}}) {
    SCOPED_TRACE(row.name);
    WriteChangedSettings([&](AppSettings& settings) {
      settings.boot[1] = row.vsyncMode;
      settings.boot[13] = 1;
    });
    GameApplication app;
    RunWith(app, [&] {
      DisplayScreenDevice* display = app.Display();
      ASSERT_NE(display, nullptr);
      // The headless presenter has no blank unless it pretends to.
      EXPECT_EQ(display->VsyncMode(), 0);
      backend().Frames().SetSupportsVSync(row.displaySyncs);
      app.ApplyBootPacing();
      EXPECT_EQ(app.pacing.VSyncWaitSet(), row.wait);
      // The pump reads the wait from the limiter.
      EXPECT_EQ(app.limiter.VSyncWait(), row.wait);
      GameFramePorts ports(app);
      EXPECT_EQ(ports.VSyncWaitSet(), row.wait);
      EXPECT_EQ(display->VsyncMode() != 0, row.wait);
      // A picture to present: the whole screen image again.
      if (ScreenImage* image = display->GetScreenImage()) image->NotifySurfacesChanged();
      const uint32_t shown = display->FramesShown();
      display->PresentFrame();
      ASSERT_GT(display->FramesShown(), shown);
      const auto* frame = backend().Frames().LastFrame(app.mainWindow.GetHandle());
      ASSERT_NE(frame, nullptr);
      EXPECT_EQ(frame->options.vsync, row.wait);
      if (!row.displaySyncs) return;
      app.pacing.BeginForcedVSync();
      EXPECT_NE(display->VsyncMode(), 0);
      app.pacing.EndForcedVSync();
      EXPECT_EQ(display->VsyncMode() != 0, row.wait);
    });
  }
}

// Counts its draws and whether they came inside a Direct3D scene.
class CountingSceneObject : public SceneObject {
 public:
  int GetKind() const override { return 99; }
  int Draw(int32_t, int32_t, D3DDevice* device) override {
    ++draws;
    inScene = device != nullptr && device->HasDevice() && device->RenderDevice()->InScene();
    return 0;
  }
  int draws = 0;
  bool inScene = false;
};

// The display has a Direct3D scene when the start's mode switch made the
// device: the player's Direct3D byte (user byte 10) with surfaces (blits
// also when not enlarged, byte 161). The scene pump then leaves the picture
// to the scene's presentation, which still draws the registered objects,
// inside the scene.
TEST_F(GameStartDisplayTest, TheDisplaysSceneChoosesTheFramePump) {
  struct Row {
    const char* name;
    uint8_t direct3D;  // user byte 10
    uint8_t blits;     // settings byte 161
    bool scene;
  };
  for (const Row row : {Row{"through the window", 1, 0, false}, Row{"blits with Direct3D", 1, 1, true},
                        Row{"blits without Direct3D", 0, 1, false}}) {
    SCOPED_TRACE(row.name);
    WriteChangedSettings([&](AppSettings& settings) {
      settings.user[10] = row.direct3D;
      settings.appConfig[160] = 2;
      settings.appConfig[161] = row.blits;
    });
    GameApplication app;
    RunWith(app, [&] {
      DisplayScreenDevice* display = app.Display();
      ASSERT_NE(display, nullptr);
      EXPECT_EQ(display->UsesDirect3D(), row.direct3D != 0);
      EXPECT_EQ(display->HasScene(), row.scene);
      EXPECT_EQ(app.presentsScene, row.scene);
      EXPECT_EQ(app.FramePumpKind(), row.scene ? FramePump::Kind::Scene : FramePump::Kind::Idle);
      // The worker's pumps follow the same test.
      app.threadMode = 1;
      EXPECT_EQ(app.FramePumpKind(), row.scene ? FramePump::Kind::WorkerScene : FramePump::Kind::Worker);
      app.threadMode = 0;

      CountingSceneObject object;
      ASSERT_EQ(display->Registry().Add(&object, 0, 0), 0);
      // A picture to present: the whole screen image again.
      if (ScreenImage* image = display->GetScreenImage()) image->NotifySurfacesChanged();
      const uint32_t shown = display->FramesShown();
      app.PumpFrame();
      EXPECT_EQ(object.draws, 1);
      EXPECT_EQ(object.inScene, row.scene);
      EXPECT_GT(display->FramesShown(), shown);
    });
  }
}

// The screen texture the settings ask for (byte 160 = 3) cannot be made
// on a display whose textures are too small: the display falls back, and
// the settings then keep the plain drawing method (2) and, in the window,
// no blits when not enlarged (161 = 0), which the display takes at once.
// A display that makes the texture keeps the choice, until a later switch
// to the window cannot make it.
TEST_F(GameStartDisplayTest, TheSettingsFollowTheDrawingMethodTheDisplayRuns) {
  struct Row {
    const char* name;
    uint32_t maxTexture;
    uint8_t method;     // byte 160 after the start
    uint8_t blits;      // byte 161 after the start
  };
  for (const Row row : {Row{"texture made", 2048, 3, 1}, Row{"texture too small", 64, 2, 0}}) {
    SCOPED_TRACE(row.name);
    platform::DisplayMachine machine = platform::CurrentDisplayMachine();
    for (platform::MachineDriver& driver : machine.drivers) {
      for (platform::MachineDevice& device : driver.devices) {
        device.caps.maxTextureWidth = row.maxTexture;
        device.caps.maxTextureHeight = row.maxTexture;
      }
    }
    platform::ScopedDisplayMachine scopedMachine(machine);
    WriteChangedSettings([&](AppSettings& settings) {
      settings.appConfig[160] = 3;
      settings.appConfig[161] = 1;
    });
    GameApplication app;
    RunWith(app, [&] {
      DisplayScreenDevice* display = app.Display();
      ASSERT_NE(display, nullptr);
      EXPECT_EQ(app.screenMode, 2);
      EXPECT_EQ(app.configuredDrawingMethod, 3);
      EXPECT_EQ(app.settings.blocks.appConfig[160], row.method);
      EXPECT_EQ(app.settings.blocks.appConfig[161], row.blits);
      EXPECT_EQ(display->drawingMethod, row.method);
      EXPECT_EQ(display->drawingCompanion, row.blits != 0);
      EXPECT_EQ(display->ScreenTexture() != nullptr, row.method == 3);
      if (row.method != 3) return;
      // A later switch to the window that cannot make the texture any more
      // does the same.
      platform::DisplayMachine smaller = machine;
      for (platform::MachineDriver& driver : smaller.drivers) {
        for (platform::MachineDevice& device : driver.devices) device.caps.maxTextureWidth = 64;
      }
      platform::SetDisplayMachine(&smaller);
      app.mainWindow.SendWindowMessage(platform::WM_COMMAND, kCommandForceWindow, 0);
      platform::SetDisplayMachine(&machine);
      EXPECT_EQ(app.screenMode, 2);
      EXPECT_EQ(app.settings.blocks.appConfig[160], 2);
      EXPECT_EQ(app.settings.blocks.appConfig[161], 0);
      EXPECT_EQ(display->drawingMethod, 2);
    });
  }
}

// The player's window size (settings byte 165, or native 5 on group 6
// index 7) shows the picture smaller: the window's client area takes that
// size at the start and each time the player chooses again, so the picture
// fills it 1:1 and the cursor maps onto the game through the same size.
TEST_F(GameStartDisplayTest, TheWindowSizePresetSizesTheWindow) {
  WriteChangedSettings([&](AppSettings& settings) {
    settings.appConfig[160] = 2;
    settings.appConfig[165] = 2;
  });
  GameApplication app;
  RunWith(app, [&] {
    DisplayScreenDevice* display = app.Display();
    ASSERT_NE(display, nullptr);
    ASSERT_NE(app.scripts, nullptr);
    const platform::WindowId window = app.mainWindow.GetHandle();
    auto client = [&] {
      const platform::Rect rect = backend().GetClientRect(window);
      return platform::Size{rect.Width(), rect.Height()};
    };
    const platform::Size game{app.gameWidth, app.gameHeight};
    const platform::Size small = display->RequestedWindowSize();
    ASSERT_GT(small.width, 0);
    ASSERT_LT(small.width, game.width);
    EXPECT_TRUE(display->stretched);
    EXPECT_EQ(client(), small);
    struct Step {
      uint32_t choice;
      bool stretched;
    };
    for (const Step step : {Step{0, false}, Step{1, true}, Step{2, true}}) {
      SCOPED_TRACE(step.choice);
      EXPECT_EQ(testing::CallNative(*app.scripts, 5, {6, 7, step.choice}), 0u);
      EXPECT_EQ(app.screenMode, 2);
      EXPECT_EQ(display->stretched, step.stretched);
      const platform::Size shown = step.stretched ? display->RequestedWindowSize() : game;
      EXPECT_EQ(client(), shown);
      if (ScreenImage* image = display->GetScreenImage()) image->NotifySurfacesChanged();
      const uint32_t before = display->FramesShown();
      EXPECT_EQ(display->PresentFrame(), 0);
      EXPECT_GT(display->FramesShown(), before);
      const auto* frame = backend().Frames().LastFrame(window);
      ASSERT_NE(frame, nullptr);
      EXPECT_EQ((platform::Size{frame->width, frame->height}), shown);
    }
  });
}

// A display that finds no monitor to show the game full screen on by the
// time the window resources are made.
class NoFullScreenMonitorGame : public GameApplication {
 public:
  int CreateWindowResources() override {
    if (DisplayScreenDevice* display = Display()) display->ClearMonitorList();
    return GameApplication::CreateWindowResources();
  }
};

// The start fits the screen mode to the monitor while full screen is
// available (bit 2 of the screen flags): a window asked for on the command
// line ("/W") is granted when the work area holds the game's 480 rows; a
// monitor check that refuses gives a window without the switch; an
// undecided start goes full screen; a window the player chose (stored, or
// Ctrl held) and a game without full screen stay in a window.
TEST_F(GameStartDisplayTest, TheStartFitsTheScreenModeToTheMonitor) {
  struct Row {
    const char* name;
    uint8_t policy = 2;           // system byte 19
    uint8_t stored = 0;           // the window block's screen mode
    const char* options = "";     // before "/L"
    bool ctrl = false;
    bool listMonitors = true;
    bool shortWorkArea = false;
    bool checkRefuses = false;
    // After the start.
    uint8_t mode = 0;
    uint8_t hint = 0;
    bool fullScreenAvailable = true;
    uint8_t policyAfter = 2;
  };
  const Row rows[] = {
      {.name = "undecided first start", .mode = 1},
      {.name = "stored full screen", .stored = 1, .mode = 1},
      {.name = "stored window", .stored = 2, .mode = 2},
      {.name = "stored placed window", .stored = 3, .mode = 2},
      {.name = "Ctrl held", .stored = 1, .ctrl = true, .mode = 2},
      {.name = "a game without full screen", .policy = 0, .mode = 2, .policyAfter = 0},
      {.name = "window asked, tall work area", .stored = 1, .options = "/W ", .mode = 2, .hint = 3},
      {.name = "window asked, short work area", .options = "/w ", .shortWorkArea = true, .mode = 1, .hint = 2},
      {.name = "window asked, already a window", .stored = 2, .options = "/W ", .mode = 2, .hint = 2},
      {.name = "monitor check refuses", .checkRefuses = true, .mode = 2, .fullScreenAvailable = false,
       .policyAfter = 0},
      {.name = "monitors not listed", .stored = 1, .options = "/W ", .listMonitors = false, .mode = 2, .hint = 2,
       .fullScreenAvailable = false, .policyAfter = 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    WriteChangedSettings([&](AppSettings& settings) {
      settings.system[19] = row.policy;
      settings.window[0] = row.stored;
    });
    NewBackend();
    backend().FailMonitorEnumeration(!row.listMonitors);
    if (row.shortWorkArea) {
      std::vector<platform::MonitorDesc> monitors;
      backend().EnumerateMonitors(monitors);
      monitors[0].workArea.bottom = monitors[0].workArea.top + 479;
      backend().SetMonitors(monitors);
    }
    platform::HeadlessInput keyboard;
    keyboard.SetKey(uint8_t(platform::VK_CONTROL), row.ctrl);
    platform::ScopedInputSource useKeyboard(keyboard);
    std::unique_ptr<GameApplication> app =
        row.checkRefuses ? std::make_unique<NoFullScreenMonitorGame>() : std::make_unique<GameApplication>();
    app->frameLimit = 600;
    bool ran = false;
    app->framePump = [&] {
      ran = true;
      EXPECT_EQ(app->screenMode, row.mode);
      EXPECT_EQ(app->screenModeHint, row.hint);
      EXPECT_EQ((app->systemKeyFlags & Application::kFullScreenAvailable) != 0, row.fullScreenAvailable);
      EXPECT_EQ(app->screenModePolicy, row.policyAfter);
      EXPECT_EQ(app->Display()->mode, row.mode);
      return 0;
    };
    const std::string commandLine = std::string(row.options) + "/L" + folder_.string();
    EXPECT_EQ(app->Run(nullptr, nullptr, commandLine.c_str(), platform::SW_SHOWNORMAL), 0);
    EXPECT_TRUE(ran);
  }
}

}  // namespace
}  // namespace orrivel
