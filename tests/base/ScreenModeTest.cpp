// The switch between window and full screen, on the window thread and asked
// for from another thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "AppTestSupport.h"

namespace orrivel::test {
namespace {

using namespace platform;

class ScreenModeTest : public HeadlessTest {
 protected:
  ScreenModeTest() {
    backend.SetDesktop(DisplayMode{1280, 1024, 32, 60});
    backend.SetMetrics(FrameMetrics{20, 3, 3, 19});
  }
  // A started game in a window.
  FakeScreenDevice& Start(RecordingApp& app) {
    FakeScreenDevice& screen = app.UseFakeScreen();
    EXPECT_EQ(app.Init(), 0);
    EXPECT_EQ(app.screenMode, 2);
    app.calls.clear();
    return screen;
  }
  Rect ClientSize(RecordingApp& app) { return backend.GetClientRect(app.mainWindow.GetHandle()); }
};

TEST_F(ScreenModeTest, UnchangedModeIsLeftAloneUnlessForced) {
  RecordingApp app;
  FakeScreenDevice& screen = Start(app);
  int calls = screen.modeCalls;
  EXPECT_EQ(app.ApplyScreenMode(2, 32, 0), 0);
  EXPECT_EQ(screen.modeCalls, calls);
  EXPECT_TRUE(app.calls.empty());
  EXPECT_EQ(app.ApplyScreenMode(2, 32, 1), 0);
  EXPECT_EQ(screen.modeCalls, calls + 1);
  EXPECT_EQ(app.calls, (std::vector<std::string>{"OnScreenModeChanging", "OnEnteredWindow"}));
  app.Exit(0);

  RecordingApp windowless;
  EXPECT_EQ(windowless.ApplyScreenMode(1, 32, 0), 1);
  EXPECT_EQ(windowless.screenMode, 0);
}

TEST_F(ScreenModeTest, FullScreenAndBackKeepsTheClientSize) {
  RecordingApp app;
  FakeScreenDevice& screen = Start(app);
  WindowId window = app.mainWindow.GetHandle();
  const Rect before = backend.GetWindowRect(window);
  EXPECT_EQ(ClientSize(app), (Rect{0, 0, 640, 480}));

  ASSERT_EQ(app.ApplyScreenMode(1, 16, 0), 0);
  EXPECT_EQ(app.screenMode, 1);
  EXPECT_EQ(app.screenDepth, 16);
  EXPECT_EQ(screen.mode, 1);
  EXPECT_TRUE(backend.IsFullScreen(window));
  EXPECT_EQ(backend.GetStyle(window), WS_POPUP | WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_EQ(backend.GetWindowRect(window), (Rect{0, 0, 1280, 1024}));
  EXPECT_TRUE(backend.IsTopMost(window));
  EXPECT_NE(app.systemKeyFlags & 0x08, 0);
  EXPECT_EQ(app.keyboardHook, 0u);  // no low-level hook on this system

  ASSERT_EQ(app.ApplyScreenMode(2, 16, 0), 0);
  EXPECT_EQ(app.screenMode, 2);
  EXPECT_EQ(app.screenDepth, 3);
  EXPECT_FALSE(backend.IsFullScreen(window));
  EXPECT_FALSE(backend.IsTopMost(window));
  EXPECT_EQ(backend.GetStyle(window) & ~WS_VISIBLE, app.windowStyle);
  EXPECT_EQ(ClientSize(app), (Rect{0, 0, 640, 480}));
  EXPECT_EQ(backend.GetWindowRect(window), before);  // back where it was
  EXPECT_EQ(app.calls, (std::vector<std::string>{"OnScreenModeChanging", "OnEnteredFullScreen",
                                                 "OnScreenModeChanging", "OnEnteredWindow"}));
  EXPECT_FALSE(app.modeChanging);
  app.Exit(0);
}

TEST_F(ScreenModeTest, FailedSwitchKeepsTheOldModeAndReportsTheDeviceCode) {
  struct Case {
    int deviceCode;
    int result;
  };
  int run = 0;
  for (const Case& c : {Case{4, 5}, Case{1, 2}, Case{-3, -3}}) {
    RecordingApp app;
    app.title = "Game " + std::to_string(run++);  // a window class of its own
    FakeScreenDevice& screen = Start(app);
    screen.failFullScreen = true;
    screen.failureCode = c.deviceCode;
    app.cursorZone = 6;
    EXPECT_EQ(app.ApplyScreenMode(1, 32, 0), c.result);
    EXPECT_EQ(app.screenMode, 2);
    EXPECT_EQ(app.screenDepth, 3);
    EXPECT_FALSE(app.modeChanging);
    EXPECT_EQ(app.cursorZone, 0);
    // The window stays styled for the mode it was asked for.
    EXPECT_EQ(backend.GetStyle(app.mainWindow.GetHandle()) & WS_POPUP, WS_POPUP);
    EXPECT_EQ(std::count(app.calls.begin(), app.calls.end(), "OnEnteredFullScreen"), 0);
    app.Exit(0);
  }
}

TEST_F(ScreenModeTest, RequestFromAnotherThreadRunsOnTheWindowThread) {
  RecordingApp app;
  FakeScreenDevice& screen = Start(app);
  std::atomic<int> result{100};
  std::atomic<bool> done{false};
  std::thread asker([&] {
    result = app.RequestScreenMode(1, 32, 0);
    done = true;
  });
  while (!done) {
    app.PumpMessages(true);
    std::this_thread::yield();
  }
  asker.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(app.screenMode, 1);

  screen.failWindow = true;
  done = false;
  std::thread second([&] {
    result = app.RequestScreenMode(2, 0, 0);
    done = true;
  });
  while (!done) {
    app.PumpMessages(true);
    std::this_thread::yield();
  }
  second.join();
  EXPECT_EQ(result, 5);
  EXPECT_EQ(app.screenMode, 1);
  app.Exit(0);
}

TEST_F(ScreenModeTest, CursorReturnsToTheGamePointOrIntoTheWindow) {
  RecordingApp app;
  Start(app);
  WindowId window = app.mainWindow.GetHandle();

  // The game had the cursor at (100, 50): in full screen that is the
  // monitor's corner plus (100, 50).
  app.cursorX = 100;
  app.cursorY = 50;
  ASSERT_EQ(app.ApplyScreenMode(1, 32, 0), 0);
  ASSERT_FALSE(backend.CursorMoves().empty());
  EXPECT_EQ(backend.CursorMoves().back(), (Point{100, 50}));

  // No game point and a cursor outside the window: the window's centre.
  app.cursorX = -1;
  backend.PlaceCursor(Point{-500, -500});
  ASSERT_EQ(app.ApplyScreenMode(2, 32, 0), 0);
  Rect rect = backend.GetWindowRect(window);
  EXPECT_EQ(backend.CursorMoves().back(), (Point{rect.left + rect.Width() / 2, rect.top + rect.Height() / 2}));

  // A cursor already inside stays put.
  backend.PlaceCursor(Point{rect.left + 5, rect.top + 6});
  ASSERT_EQ(app.ApplyScreenMode(2, 32, 1), 0);
  EXPECT_EQ(backend.CursorMoves().back(), (Point{rect.left + 5, rect.top + 6}));

  size_t moves = backend.CursorMoves().size();
  app.centreCursorAfterModeChange = false;
  ASSERT_EQ(app.ApplyScreenMode(1, 32, 0), 0);
  EXPECT_EQ(backend.CursorMoves().size(), moves);
  app.Exit(0);
}

TEST_F(ScreenModeTest, DisplayChangeInAWindowReadsTheMonitorsAgain) {
  RecordingApp app;
  Start(app);
  std::vector<MonitorDesc> monitors(2);
  for (int i = 0; i < 2; ++i) {
    monitors[i].bounds = Rect{i * 1920, 0, (i + 1) * 1920, 1080};
    monitors[i].workArea = monitors[i].bounds;
    monitors[i].deviceName = "display-" + std::to_string(i);
    monitors[i].description = "Panel";
  }
  backend.SetDesktop(DisplayMode{1920, 1080, 24, 75});
  backend.SetMonitors(monitors);
  app.mainWindow.SendWindowMessage(WM_DISPLAYCHANGE, 24, intptr_t(1920 | (1080 << 16)));
  EXPECT_EQ(app.systemInfo.Facts().screenRefresh, 75);
  ASSERT_EQ(app.monitors.GetCount(), 2u);
  EXPECT_EQ(app.monitors[0].deviceString, "Panel[1]");
  EXPECT_EQ(app.monitors[1].deviceString, "Panel[2]");
  EXPECT_EQ(app.desktopWidth, 1920);
  EXPECT_EQ(app.desktopDepth, 24);
  app.Exit(0);
}

}  // namespace
}  // namespace orrivel::test
