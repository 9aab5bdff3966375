// What the player's settings make of the display and the window at start:
// the place of a window started in screen mode 3, the display's flags of
// boot byte 1 and settings byte 156, and the vertical-sync wait reaching
// the presentation.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "RunningGame.h"
#include "display/DisplayScreenDevice.h"
#include "display/ScreenImage.h"
#include "game/AppSettings.h"
#include "game/GameApplication.h"
#include "platform/Backend.h"

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

}  // namespace
}  // namespace orrivel
