// Start-up and exit of the application: the order of the steps and the
// game's overrides, every refusal with its message, and the fall-backs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/AppTestSupport.h"
#include "platform/DriveProbe.h"
#include "platform/InstanceLock.h"

namespace orrivel::test {
namespace {

using namespace platform;

class ApplicationTest : public HeadlessTest {};

TEST_F(ApplicationTest, RunCallsTheStepsAndOverridesInOrder) {
  std::vector<std::string> hooks;
  GetStartupHooks().identifyProcessor = [&] { hooks.push_back("identify"); };
  GetStartupHooks().maskProcessorFeatures = [&](bool, bool, bool, bool) { hooks.push_back("mask"); };
  GetStartupHooks().buildBlendTables = [&] { hooks.push_back("blend"); };
  RecordingApp app;
  GetStartupHooks().buildBlendTables = [&] { app.Record("BuildBlendTables"); };
  GetStartupHooks().identifyProcessor = [&] { app.Record("IdentifyProcessor"); };
  app.mainLoop = [](RecordingApp& a) {
    EXPECT_TRUE(a.mainWindow.IsValid());
    EXPECT_EQ(a.PumpMessages(false), 0);
  };

  EXPECT_EQ(app.Run(nullptr, nullptr, "", SW_SHOWNORMAL), 0);

  std::vector<std::string> expected = {
      "Configure",        "IdentifyProcessor", "CreateWindowResources", "OnScreenModeChanging",
      "OnWindowActivate", "BuildBlendTables",  "CreateDevices",         "MainLoop",
      "OnWindowDeactivate", "ReleaseDevices 0", "SaveSettings 0"};
  EXPECT_EQ(app.calls, expected);
  EXPECT_FALSE(app.mainWindow.IsValid());
  EXPECT_TRUE(backend.MessageBoxes().empty());
  EXPECT_EQ(app.screenMode, 2);  // policy 2 with an undecided mode starts in a window
  EXPECT_EQ(app.screenDepth, 3);
}

TEST_F(ApplicationTest, InitBuildsTheMainWindowAsConfigured) {
  RecordingApp app;
  backend.SetMetrics(FrameMetrics{20, 3, 3, 19});
  app.menuId = 7;
  backend.RegisterMenuResource(7, Menu({MenuItem{100, "File", false, true, {}}}));
  backend.RegisterAcceleratorResource(9, {Accelerator{FVIRTKEY, 'Q', 100}});
  app.acceleratorId = 9;
  ASSERT_EQ(app.Init(), 0);

  WindowId window = app.mainWindow.GetHandle();
  EXPECT_EQ(backend.GetWindowText(window), "Test Game");
  EXPECT_TRUE(backend.IsVisible(window));
  EXPECT_EQ(backend.GetClientRect(window), (Rect{0, 0, 640, 480}));
  EXPECT_EQ(app.nonClientHeight, 19 + 20 + 2 * 3);
  EXPECT_EQ(backend.GetStyle(window) & WS_MAXIMIZEBOX, 0u);
  EXPECT_EQ(app.acceleratorWindow, window);
  ASSERT_EQ(app.accelerators.size(), 1u);
  EXPECT_FALSE(backend.IsTextInputEnabled(window));
  EXPECT_EQ(CurrentScreenDevice(), &app.Screen());
  EXPECT_EQ(CurrentMonitorList(), &app.monitors);
  // Seventeen handlers always, eight for window-message input, two size-move.
  EXPECT_EQ(app.mainWindow.HandlerCount(), 17u + 8u + 2u);
  app.Exit(0);
}

TEST_F(ApplicationTest, HandlerSetDependsOnInputMethodAndThreadMode) {
  RecordingApp app;
  app.inputMethod = 1;
  app.threadMode = 1;
  app.jobStepsBeforeEnd = 1000000;
  ASSERT_EQ(app.Init(), 0);
  EXPECT_EQ(app.mainWindow.HandlerCount(), 17u + 1u);
  EXPECT_TRUE(app.mainWindow.HasHandler(WM_APP_JOB_FINISHED));
  EXPECT_FALSE(app.mainWindow.HasHandler(WM_ENTERSIZEMOVE));
  EXPECT_FALSE(app.mainWindow.HasHandler(WM_KEYUP));
  app.StopJob();
  app.Exit(0);
}

struct Refusal {
  const char* name;
  std::function<void(HeadlessBackend&, RecordingApp&, InstanceLock&, const std::string& folder)> setUp;
  int code;
  const char* message;  // UTF-8; nullptr for none
  MessageBoxIcon icon;
};

class ApplicationRefusalTest : public HeadlessTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ApplicationRefusalTest, RefusesWithItsCodeAndMessage) {
  const Refusal& refusal = GetParam();
  RecordingApp app;
  InstanceLock other;
  refusal.setUp(backend, app, other, Folder());

  EXPECT_EQ(app.Run(nullptr, nullptr, "", SW_SHOWNORMAL), refusal.code);
  SetDriveProbe(nullptr);

  if (refusal.message) {
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    const MessageBoxRequest& box = backend.MessageBoxes()[0];
    EXPECT_EQ(box.text, Sjis(refusal.message));
    EXPECT_EQ(box.icon, refusal.icon);
    EXPECT_EQ(box.caption, "Test Game");
    EXPECT_EQ(box.owner, kDesktopWindow);
    EXPECT_TRUE(box.systemModal);
  } else {
    EXPECT_TRUE(backend.MessageBoxes().empty());
  }
  // Exit runs after every refusal, tolerating what never happened.
  ASSERT_GE(app.calls.size(), 2u);
  EXPECT_EQ(app.calls[app.calls.size() - 2], "ReleaseDevices " + std::to_string(refusal.code));
  EXPECT_EQ(app.calls.back(), "SaveSettings " + std::to_string(refusal.code));
  EXPECT_FALSE(app.mainWindow.IsValid());
  EXPECT_FALSE(app.instanceMutex);
}

INSTANTIATE_TEST_SUITE_P(
    Init, ApplicationRefusalTest,
    ::testing::Values(
        Refusal{"ConfigureFails", [](auto&, auto& app, auto&, auto&) { app.configureResult = 1; }, 1, nullptr,
                MessageBoxIcon::None},
        Refusal{"CdRomStart",
                [](auto&, auto&, auto&, auto&) {
                  // The game's folder on a disc, as the machine's probe sees it.
                  DriveProbe disc;
                  disc.readFileSystemType = [](const std::string&, uint64_t* type) {
                    *type = kIso9660FileSystem;
                    return true;
                  };
                  SetDriveProbe(&disc);
                },
                2, "ハードディスクから起動してください", MessageBoxIcon::Exclamation},
        Refusal{"SecondInstance",
                [](auto&, auto&, InstanceLock& lock, const std::string& folder) {
                  ASSERT_EQ(lock.Acquire("Tamberlo DXTest Game", folder), InstanceLock::Result::Acquired);
                },
                // No window of the first copy here to raise: the player is told.
                3, "「Test Game」は既に起動しています。", MessageBoxIcon::Exclamation},
        Refusal{"Depth8WindowOnly",
                [](auto& b, auto& app, auto&, auto&) {
                  b.SetDesktop(DisplayMode{1280, 1024, 8, 60});
                  app.desktopDepth = 8;
                  app.screenModePolicy = 0;
                },
                5, "画面モードをHighColor(16bit)以上にして起動して下さい", MessageBoxIcon::Information},
        Refusal{"ScreenSmallerThanGame",
                [](auto& b, auto& app, auto&, auto&) {
                  b.SetDesktop(DisplayMode{640, 400, 32, 60});
                  app.monitors.Refresh();
                  app.screenModePolicy = 0;
                },
                5, "画面解像度を現在の設定より大きくして起動して下さい", MessageBoxIcon::Information},
        Refusal{"NoMonitorInfoFullScreenOnly",
                [](auto& b, auto& app, auto&, auto&) {
                  b.FailMonitorEnumeration(true);
                  app.screenModePolicy = 1;
                },
                5, "ディスプレイデバイスの情報を取得できません。", MessageBoxIcon::Stop},
        Refusal{"ReportCannotBeCreated",
                [](auto&, auto& app, auto&, const std::string& folder) {
                  static std::string missing;
                  missing = folder + "/missing/folder/";
                  app.writeReport = 1;
                  app.reportInProgramFolder = 0;
                  app.saveFolder = missing.c_str();
                },
                6, "ログファイルの作成に失敗", MessageBoxIcon::Stop},
        Refusal{"CanvasFails", [](auto&, auto& app, auto&, auto&) { app.UseFakeScreen().failCanvas = true; }, 7,
                "ディスプレイキャンバスの作成に失敗", MessageBoxIcon::Stop},
        Refusal{"WindowResourcesFail", [](auto&, auto& app, auto&, auto&) { app.windowResourcesResult = 1; }, 8,
                nullptr, MessageBoxIcon::None},
        Refusal{"WindowCreationFails", [](auto& b, auto&, auto&, auto&) { b.FailCreateWindow(true); }, 11,
                "ウィンドウの作成に失敗", MessageBoxIcon::Stop},
        Refusal{"ClassRegistrationFails", [](auto& b, auto&, auto&, auto&) { b.FailRegisterClass(true); }, 11,
                "ウィンドウの作成に失敗", MessageBoxIcon::Stop},
        Refusal{"ScreenModeFails",
                [](auto&, auto& app, auto&, auto&) {
                  auto& screen = app.UseFakeScreen();
                  screen.failWindow = true;
                  screen.failureCode = 4;  // reported as 5
                },
                12, "画面の初期化に失敗 : 5", MessageBoxIcon::Stop},
        Refusal{"DevicesFail", [](auto&, auto& app, auto&, auto&) { app.devicesResult = 1; }, 13, nullptr,
                MessageBoxIcon::None}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ApplicationTest, SecondInstanceRaisesTheFirstCopysWindow) {
  RecordingApp first;
  ASSERT_EQ(first.Init(), 0);
  backend.ShowWindow(first.mainWindow.GetHandle(), SW_MINIMIZE);
  {
    RecordingApp second;
    EXPECT_EQ(second.Init(), 3);
    second.Exit(3);
  }
  EXPECT_FALSE(backend.IsMinimized(first.mainWindow.GetHandle()));
  EXPECT_EQ(backend.GetActiveWindow(), first.mainWindow.GetHandle());
  first.Exit(0);
  // The guard is free again once the first copy ends.
  InstanceLock after;
  EXPECT_EQ(after.Acquire("Tamberlo DXTest Game", Folder()), InstanceLock::Result::Acquired);
}

TEST_F(ApplicationTest, MissingTitleStillMakesAGuardName) {
  RecordingApp app;
  app.titleless = true;
  // No title: no window class either, but the guard is taken first.
  EXPECT_EQ(app.Init(), kInitWindowFailed);
  EXPECT_TRUE(app.instanceMutex);
  InstanceLock other;
  EXPECT_EQ(other.Acquire("Tamberlo DX", Folder()), InstanceLock::Result::HeldElsewhere);
  app.Exit(kInitWindowFailed);
  EXPECT_EQ(other.Acquire("Tamberlo DX", Folder()), InstanceLock::Result::Acquired);
}

TEST_F(ApplicationTest, MissingMonitorInfoFallsBackToWindowMode) {
  backend.FailMonitorEnumeration(true);
  RecordingApp app;
  app.screenMode = 1;
  ASSERT_EQ(app.Init(), 0);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text,
            Sjis("ディスプレイデバイスの情報取得に失敗しました。\nウィンドウモードのみ利用可能です。"));
  EXPECT_EQ(backend.MessageBoxes()[0].icon, MessageBoxIcon::Exclamation);
  EXPECT_EQ(app.screenModePolicy, 0);
  EXPECT_EQ(app.screenMode, 2);
  EXPECT_EQ(app.systemKeyFlags & 0x04, 0);
  app.Exit(0);
}

TEST_F(ApplicationTest, FullScreenOnlyPolicyTurnsAWindowRequestIntoFullScreen) {
  RecordingApp app;
  app.screenModePolicy = 1;
  app.screenMode = 2;
  ASSERT_EQ(app.Init(), 0);
  EXPECT_EQ(app.screenMode, 1);
  EXPECT_EQ(app.Screen().mode, 1);
  app.Exit(0);
}

TEST_F(ApplicationTest, FailedFullScreenStartFallsBackToAWindowOnce) {
  RecordingApp app;
  auto& screen = app.UseFakeScreen();
  screen.failFullScreen = true;
  screen.deviceObjectOnFailure = true;
  app.screenMode = 1;
  ASSERT_EQ(app.Init(), 0);
  EXPECT_EQ(screen.modeCalls, 2);
  EXPECT_EQ(app.errorCodeSeenByDevices, 2);
  EXPECT_EQ(app.errorCode, 0);  // the game cleared it
  EXPECT_EQ(app.screenMode, 2);
  EXPECT_EQ(screen.drawingMethod, 0);
  app.Exit(0);
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(ApplicationTest, FullScreenFailureWithoutDeviceObjectIsNotRetried) {
  RecordingApp app;
  auto& screen = app.UseFakeScreen();
  screen.failFullScreen = true;
  screen.failureCode = -3;
  app.screenMode = 1;
  EXPECT_EQ(app.Run(nullptr, nullptr, "", 1), 12);
  EXPECT_EQ(screen.modeCalls, 1);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, Sjis("画面の初期化に失敗 : -3"));
}

TEST_F(ApplicationTest, ExitShowsARunTimeErrorCode) {
  RecordingApp app;
  ASSERT_EQ(app.Init(), 0);
  app.errorCode = 1;
  app.Exit(0);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, Sjis("予期せぬエラーが発生したため、強制終了しました。ErrorCode：1"));
  EXPECT_EQ(backend.MessageBoxes()[0].icon, MessageBoxIcon::Stop);
}

TEST_F(ApplicationTest, PowerSettingsAreSwitchedOffForTheRunAndBackAtExit) {
  RecordingApp app;
  app.suppressScreenSaver = 1;
  app.suppressPowerSaving = 1;
  app.keepSystemAwake = 1;
  backend.SetPowerSetting(PowerSetting::LowPower, false);
  ASSERT_EQ(app.Init(), 0);
  EXPECT_FALSE(backend.GetPowerSetting(PowerSetting::ScreenSaver));
  EXPECT_FALSE(backend.GetPowerSetting(PowerSetting::PowerOff));
  EXPECT_EQ(backend.SetExecutionState(1), 1u);
  app.Exit(0);
  EXPECT_TRUE(backend.GetPowerSetting(PowerSetting::ScreenSaver));
  EXPECT_TRUE(backend.GetPowerSetting(PowerSetting::PowerOff));
  EXPECT_FALSE(backend.GetPowerSetting(PowerSetting::LowPower));  // was off before: stays off
}

TEST_F(ApplicationTest, ReportIsWrittenInItsBlocksAndClosedWithInit) {
  RecordingApp app;
  std::string folder = Folder() + "/";
  app.writeReport = 1;
  app.reportInProgramFolder = 0;
  app.saveFolder = folder.c_str();
  std::vector<int> blocks;
  app.mainLoop = [&](RecordingApp&) {};
  GetStartupHooks().buildBlendTables = [&] { blocks = app.Report()->Blocks(); };
  ASSERT_EQ(app.Init(), 0);
  EXPECT_EQ(blocks, (std::vector<int>{1, 2, 3, 4, 5}));  // the display block follows the screen mode
  EXPECT_EQ(app.Report(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(folder + "SYS_LOG.TXT"));
  EXPECT_FALSE(std::filesystem::exists(folder + "SYS_LOG.TXT.tmp"));
  app.Exit(0);
}

TEST_F(ApplicationTest, ThreadModeRunsTheJobAndEndsWithTheJobFinishedMessage) {
  RecordingApp app;
  app.threadMode = 1;
  app.jobStepsBeforeEnd = 3;
  EXPECT_EQ(app.Run(nullptr, nullptr, "", 1), 0);
  std::vector<std::string> tail(app.calls.end() - 7, app.calls.end());
  std::vector<std::string> expected = {"JobBegin", "JobStep", "JobStep", "JobStep", "JobEnd", "ReleaseDevices 0",
                                       "SaveSettings 0"};
  // The main thread may see the window deactivate before the releases.
  tail.erase(std::remove(tail.begin(), tail.end(), "OnWindowDeactivate"), tail.end());
  app.calls.erase(std::remove(app.calls.begin(), app.calls.end(), "OnWindowDeactivate"), app.calls.end());
  std::vector<std::string> last(app.calls.end() - 7, app.calls.end());
  EXPECT_EQ(last, expected);
  EXPECT_FALSE(app.mainWindow.IsValid());
}

TEST_F(ApplicationTest, GetMessageFailureShowsTheErrorOnceAndExits) {
  RecordingApp app;
  app.threadMode = 1;
  app.jobStepsBeforeEnd = 1000000;
  backend.FailGetMessage(1);
  EXPECT_EQ(app.Run(nullptr, nullptr, "", 1), 0);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].text, Sjis("GetMessage()でエラーが発生しました"));
  EXPECT_EQ(backend.MessageBoxes()[0].caption, "Test Game");
  EXPECT_EQ(backend.MessageBoxes()[0].icon, MessageBoxIcon::Stop);
  EXPECT_TRUE(backend.MessageBoxes()[0].systemModal);
  EXPECT_EQ(app.calls.back(), "SaveSettings 0");
}

}  // namespace
}  // namespace orrivel::test
