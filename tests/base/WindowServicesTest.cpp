// Message boxes with their modal state, the cursor in game coordinates, the
// full-screen menu bar at the top edge, dialog centring and the keyboard hook.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "AppTestSupport.h"
#include "platform/Clock.h"

namespace orrivel::test {
namespace {

using namespace platform;

class WindowServicesTest : public HeadlessTest {
 protected:
  WindowServicesTest() { backend.SetDesktop(DisplayMode{1280, 1024, 32, 60}); }
  void Start(RecordingApp& app) {
    ASSERT_EQ(app.Init(), 0);
    app.calls.clear();
    backend.ClearTranscript();
  }
  Rect ClientOnScreen(RecordingApp& app) {
    Rect client;
    app.GetClientScreenRect(client);
    return client;
  }
};

TEST_F(WindowServicesTest, MessageBoxesCarryTheirIconButtonsAndModalState) {
  RecordingApp app;
  Start(app);
  struct Seen {
    bool modal, menuLoop, canPaint;
  };
  std::vector<Seen> seen;
  backend.SetMessageBoxObserver([&](const MessageBoxRequest&) {
    seen.push_back(Seen{app.modalBoxOpen, app.menuLoopActive, app.canPaint});
  });
  struct Case {
    int call;  // 0 ShowMessageBox, 1 AskYesNo, 2 AskOkCancel
    uint8_t iconKind;
    int answer;
    MessageBoxIcon icon;
    MessageBoxButtons buttons;
    bool result;
  };
  const Case cases[] = {
      {0, 1, IDOK, MessageBoxIcon::Exclamation, MessageBoxButtons::Ok, false},
      {0, 2, IDOK, MessageBoxIcon::Information, MessageBoxButtons::Ok, false},
      {1, 3, IDYES, MessageBoxIcon::Question, MessageBoxButtons::YesNo, true},
      {1, 4, IDNO, MessageBoxIcon::Stop, MessageBoxButtons::YesNo, false},
      {2, 0, IDOK, MessageBoxIcon::None, MessageBoxButtons::OkCancel, true},
      {2, 5, IDCANCEL, MessageBoxIcon::None, MessageBoxButtons::OkCancel, false},
  };
  for (const Case& c : cases) {
    backend.QueueMessageBoxAnswer(c.answer);
    bool result = false;
    switch (c.call) {
      case 0: EXPECT_EQ(app.ShowMessageBox("text", c.iconKind), 0); break;
      case 1: result = app.AskYesNo("text", c.iconKind); break;
      default: result = app.AskOkCancel("text", c.iconKind, kNoWindow, "caption"); break;
    }
    const MessageBoxRequest& box = backend.MessageBoxes().back();
    EXPECT_EQ(box.icon, c.icon) << int(c.iconKind);
    EXPECT_EQ(box.buttons, c.buttons) << int(c.iconKind);
    EXPECT_EQ(box.owner, app.mainWindow.GetHandle());
    EXPECT_FALSE(box.systemModal);
    EXPECT_EQ(box.caption, c.call == 2 ? "caption" : "Test Game");
    if (c.call != 0) {
      EXPECT_EQ(result, c.result) << int(c.iconKind);
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(seen.back().modal && seen.back().menuLoop && !seen.back().canPaint);
    EXPECT_FALSE(app.modalBoxOpen || app.menuLoopActive);
    EXPECT_TRUE(app.canPaint);
  }
  EXPECT_EQ(std::count(app.calls.begin(), app.calls.end(), "OnModalBegin"), 6);
  EXPECT_EQ(std::count(app.calls.begin(), app.calls.end(), "OnModalEnd"), 6);
  // The window heard "show the system cursor" before each box.
  int shows = 0;
  for (const Message& m : backend.Transcript()) shows += m.message == WM_APP_MODAL_NOTIFY && m.wParam == 1;
  EXPECT_EQ(shows, 6);
  app.Exit(0);
}

TEST_F(WindowServicesTest, BoxBeforeTheWindowExistsIsSystemModal) {
  RecordingApp app;
  app.ShowMessageBox("early", 1);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].owner, kDesktopWindow);
  EXPECT_TRUE(backend.MessageBoxes()[0].systemModal);
  EXPECT_EQ(app.SendWindowCommand(1, "no window", 3, nullptr), 0);
  EXPECT_EQ(backend.MessageBoxes().size(), 1u);
}

TEST_F(WindowServicesTest, BoxAskedFromAnotherThreadAnswersThroughTheWindow) {
  RecordingApp app;
  Start(app);
  struct Case {
    uint8_t kind;
    int answer;
    uint8_t result;
  };
  for (const Case& c : {Case{0, IDOK, 1}, Case{1, IDYES, 1}, Case{1, IDNO, 0}, Case{2, IDCANCEL, 0}}) {
    backend.QueueMessageBoxAnswer(c.answer);
    std::atomic<int> result{-1};
    std::thread asker([&] { result = app.SendWindowCommand(c.kind, "from the job", 2, "Job"); });
    while (result < 0) {
      app.PumpMessages(true);
      std::this_thread::yield();
    }
    asker.join();
    EXPECT_EQ(result, c.result) << int(c.kind);
    EXPECT_EQ(backend.MessageBoxes().back().caption, "Job");
    EXPECT_EQ(backend.MessageBoxes().back().icon, MessageBoxIcon::Information);
    EXPECT_TRUE(app.canPaint);
  }
  app.Exit(0);
}

TEST_F(WindowServicesTest, ScreenSaverIsHeldOffOnlyAroundBoxesOverAnExclusiveFullScreen) {
  RecordingApp app;
  Start(app);
  std::vector<bool> saverDuringBox;
  backend.SetMessageBoxObserver(
      [&](const MessageBoxRequest&) { saverDuringBox.push_back(backend.GetPowerSetting(PowerSetting::ScreenSaver)); });
  app.Screen().exclusive = true;
  app.ShowMessageBox("window mode", 0);
  ASSERT_EQ(app.ApplyScreenMode(1, 32, 0), 0);
  app.Screen().exclusive = true;
  app.ShowMessageBox("full screen", 0);
  EXPECT_EQ(saverDuringBox, (std::vector<bool>{true, false}));
  EXPECT_TRUE(backend.GetPowerSetting(PowerSetting::ScreenSaver));
  EXPECT_FALSE(app.screenSaverSuspended);
  // A saver that was off stays off.
  backend.SetPowerSetting(PowerSetting::ScreenSaver, false);
  app.ShowMessageBox("again", 0);
  EXPECT_FALSE(backend.GetPowerSetting(PowerSetting::ScreenSaver));
  app.Exit(0);
}

TEST_F(WindowServicesTest, WindowModeCursorGivesGamePointsOrTheSideItLeftBy) {
  RecordingApp app;
  Start(app);
  const Rect client = ClientOnScreen(app);
  ASSERT_EQ(client.Width(), 640);
  struct Case {
    int32_t dx, dy;  // from the client's top-left corner
    bool valid;
    uint8_t zone;
  };
  const Case cases[] = {
      {0, 0, true, 0},     {639, 479, true, 0}, {-1, -1, false, 7}, {640, -1, false, 9}, {300, -5, false, 8},
      {-1, 480, false, 1}, {640, 480, false, 3}, {300, 480, false, 2}, {-1, 200, false, 4}, {640, 200, false, 6},
  };
  for (const Case& c : cases) {
    app.cursorZone = 0;
    backend.PlaceCursor(Point{client.left + c.dx, client.top + c.dy});
    EXPECT_EQ(app.UpdateWindowState(), c.valid) << c.dx << "," << c.dy;
    EXPECT_EQ(app.cursorZone, c.zone) << c.dx << "," << c.dy;
    EXPECT_EQ(app.cursorX, c.valid ? c.dx : -1);
    EXPECT_EQ(app.cursorY, c.valid ? c.dy : -1);
  }
  // The zone keeps the side it first left by until the cursor is back.
  backend.PlaceCursor(Point{client.left + 10, client.top + 10});
  app.UpdateWindowState();
  EXPECT_EQ(app.cursorZone, 0);
  backend.PlaceCursor(Point{client.left - 1, client.top - 1});
  app.UpdateWindowState();
  backend.PlaceCursor(Point{client.left + 700, client.top + 200});
  app.UpdateWindowState();
  EXPECT_EQ(app.cursorZone, 7);
  // A menu loop or a minimised window: no position.
  backend.PlaceCursor(Point{client.left + 10, client.top + 10});
  app.menuLoopActive = true;
  EXPECT_FALSE(app.UpdateWindowState());
  EXPECT_EQ(app.cursorX, -1);
  app.menuLoopActive = false;
  backend.ShowWindow(app.mainWindow.GetHandle(), SW_MINIMIZE);
  EXPECT_FALSE(app.UpdateWindowState());
  app.Exit(0);
}

TEST_F(WindowServicesTest, StretchedPictureScalesBothWays) {
  RecordingApp app;
  Start(app);
  const Rect client = ClientOnScreen(app);
  struct Case {
    Rect shown;
    int32_t screenX, screenY;  // client point
    int32_t gameX, gameY;
  };
  // Twice the game size, and half of it.
  for (const Case& c : {Case{Rect{0, 0, 1280, 960}, 200, 101, 100, 50}, Case{Rect{0, 0, 320, 240}, 50, 25, 100, 50}}) {
    app.Screen().stretched = true;
    app.Screen().displayRect = c.shown;
    backend.PlaceCursor(Point{client.left + c.screenX, client.top + c.screenY});
    ASSERT_TRUE(app.UpdateWindowState());
    EXPECT_EQ(app.cursorX, c.gameX);
    EXPECT_EQ(app.cursorY, c.gameY);
    Point p{c.gameX, c.gameY};
    app.GameToScreen(p);
    EXPECT_EQ(p, (Point{client.left + c.gameX * c.shown.Width() / 640, client.top + c.gameY * c.shown.Height() / 480}));
  }
  // At half size, game points 100 and 101 share one screen pixel.
  EXPECT_TRUE(app.IsCursorAt(100, 50));
  EXPECT_TRUE(app.IsCursorAt(101, 51));
  EXPECT_FALSE(app.IsCursorAt(102, 50));
  app.Screen().stretched = false;
  EXPECT_FALSE(app.IsCursorAt(101, 51));

  app.SetCursorClientPos(30, 40);
  EXPECT_EQ(backend.CursorMoves().back(), (Point{client.left + 30, client.top + 40}));
  EXPECT_EQ(app.cursorX, 30);
  app.SetCursorClientPos(640, 40);  // outside the game: no game position
  EXPECT_EQ(app.cursorX, -1);
  EXPECT_EQ(app.cursorY, -1);
  app.SetCursorClientPos(-3, 40);
  EXPECT_EQ(app.cursorX, -1);
  app.Exit(0);
}

TEST_F(WindowServicesTest, FullScreenCursorMapsThroughTheLetterboxAndNamesTheEdges) {
  RecordingApp app;
  Start(app);
  ASSERT_EQ(app.ApplyScreenMode(1, 32, 0), 0);
  ScreenDevice& screen = app.Screen();
  screen.monitorRect = Rect{1000, 0, 2280, 1024};
  struct Case {
    bool letterbox;
    Rect shown;
    int32_t x, y;  // relative to the monitor
    int32_t gameX, gameY;
    uint8_t zone;
  };
  const Rect bars{0, 32, 1280, 992};      // bars above and below
  const Rect pillars{160, 0, 1120, 1024};  // bars left and right (960 wide)
  const Case cases[] = {
      {false, Rect{}, 500, 500, 500, 500, 0},
      {false, Rect{}, 0, 500, 0, 500, 4},
      {false, Rect{}, 1279, 500, 1279, 500, 6},
      {false, Rect{}, 500, 0, 500, 0, 8},
      {false, Rect{}, 500, 1023, 500, 1023, 2},
      {true, bars, 640, 512, 320, 240, 0},
      {true, bars, 640, 10, 320, -2, 8},
      {true, bars, 640, 1000, 320, -2, 2},
      {true, pillars, 100, 512, -2, 240, 4},
      {true, pillars, 1200, 512, -2, 240, 6},
      {true, pillars, 160, 512, 0, 240, 4},  // the picture's first column
  };
  for (const Case& c : cases) {
    screen.letterbox = c.letterbox;
    screen.displayRect = c.shown;
    backend.PlaceCursor(Point{1000 + c.x, c.y});
    EXPECT_TRUE(app.UpdateWindowState()) << c.x << "," << c.y;
    EXPECT_EQ(app.cursorX, c.gameX) << c.x << "," << c.y;
    EXPECT_EQ(app.cursorY, c.gameY) << c.x << "," << c.y;
    EXPECT_EQ(app.cursorZone, c.zone) << c.x << "," << c.y;
  }
  // Off the monitor altogether.
  screen.letterbox = true;
  screen.displayRect = bars;
  backend.PlaceCursor(Point{10, 10});
  EXPECT_TRUE(app.UpdateWindowState());
  EXPECT_EQ(app.cursorX, -1);
  EXPECT_EQ(app.cursorY, -1);
  // Game points go back through the same box onto the monitor.
  Point p{320, 240};
  app.GameToScreen(p);
  EXPECT_EQ(p, (Point{1000 + 640, 32 + 480}));
  app.Exit(0);
}

TEST_F(WindowServicesTest, MenuBarOpensAfterTheCursorRestsOnTheTopRow) {
  ManualClock clock;
  ScopedClock scopedClock(clock);
  RecordingApp app;
  Start(app);
  ASSERT_EQ(app.ApplyScreenMode(1, 32, 0), 0);
  app.menuId = 7;
  app.menuHoverDelay = 500;
  app.nonClientHeight = 40;
  app.systemKeyFlags = 0x01;
  backend.PlaceCursor(Point{300, 0});
  EXPECT_TRUE(app.UpdateWindowState());  // the hover begins
  clock.Advance(499);
  EXPECT_TRUE(app.UpdateWindowState());
  EXPECT_FALSE(app.menuBarShown);
  // Leaving the row starts the wait again.
  backend.PlaceCursor(Point{300, 5});
  EXPECT_TRUE(app.UpdateWindowState());
  backend.PlaceCursor(Point{300, 0});
  app.UpdateWindowState();
  clock.Advance(499);
  app.UpdateWindowState();
  EXPECT_FALSE(app.menuBarShown);
  clock.Advance(1);
  EXPECT_FALSE(app.UpdateWindowState());
  EXPECT_TRUE(app.menuBarShown);
  // While the bar is open the game sees no cursor; moving below it closes it.
  backend.PlaceCursor(Point{300, 20});
  EXPECT_FALSE(app.UpdateWindowState());
  EXPECT_EQ(app.cursorX, -1);
  EXPECT_TRUE(app.menuBarShown);
  backend.PlaceCursor(Point{300, 40});
  EXPECT_FALSE(app.UpdateWindowState());
  EXPECT_FALSE(app.menuBarShown);
  std::vector<uint32_t> delivered = backend.DeliveredTo(app.mainWindow.GetHandle());
  EXPECT_EQ(std::count(delivered.begin(), delivered.end(), WM_APP_SHOW_FULLSCREEN_MENU), 1);
  EXPECT_EQ(std::count(delivered.begin(), delivered.end(), WM_APP_HIDE_FULLSCREEN_MENU), 1);
  // With the system keys left to the system there is no hover menu.
  app.systemKeyFlags = 0;
  backend.PlaceCursor(Point{300, 0});
  app.UpdateWindowState();
  clock.Advance(1000);
  EXPECT_TRUE(app.UpdateWindowState());
  EXPECT_FALSE(app.menuBarShown);
  app.Exit(0);
}

TEST_F(WindowServicesTest, DialogsCentreOverTheGameOrInTheWorkArea) {
  RecordingApp app;
  Start(app);
  auto make = [&](WindowId parent) {
    WindowCreateParams params;
    params.className = "Test Game";
    params.width = 200;
    params.height = 100;
    params.parent = parent;
    return backend.CreateWindow(params);
  };
  WindowId owned = make(app.mainWindow.GetHandle());
  ASSERT_NE(owned, kNoWindow);
  app.CenterWindowOnParent(owned);
  const Rect client = ClientOnScreen(app);
  EXPECT_EQ(backend.GetWindowRect(owned),
            (Rect{client.left + 220, client.top + 190, client.left + 420, client.top + 290}));
  EXPECT_FALSE(backend.IsTopMost(owned));

  MonitorDesc monitor;
  monitor.bounds = Rect{0, 0, 1280, 1024};
  monitor.workArea = Rect{100, 0, 1280, 1000};  // a panel on the left
  monitor.isPrimary = true;
  backend.SetMonitors({monitor});
  WindowId alone = make(kNoWindow);
  app.CenterWindowOnParent(alone);
  EXPECT_EQ(backend.GetWindowRect(alone), (Rect{590, 450, 790, 550}));
  EXPECT_TRUE(backend.IsTopMost(alone));
  backend.DestroyWindow(owned);
  backend.DestroyWindow(alone);
  app.Exit(0);
}

TEST_F(WindowServicesTest, KeyboardHookIsNotAvailableAndChangesNothing) {
  RecordingApp app;
  Start(app);
  ASSERT_EQ(app.ApplyScreenMode(1, 32, 0), 0);
  EXPECT_EQ(app.InstallKeyboardHook(), -1);
  EXPECT_EQ(app.keyboardHook, 0u);
  app.RemoveKeyboardHook();
  EXPECT_EQ(app.keyboardHook, 0u);
  app.Exit(0);
}

}  // namespace
}  // namespace orrivel::test
