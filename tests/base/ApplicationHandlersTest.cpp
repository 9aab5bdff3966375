// The main window's message handlers that act on the screen: the
// full-screen menu opened by Alt or F10, its system-command filter, the
// activation of a full-screen game, and the set-cursor message.
#include <gtest/gtest.h>

#include <algorithm>

#include "AppTestSupport.h"
#include "platform/Clock.h"
#include "platform/InputSource.h"
#include "platform/headless/HeadlessInput.h"

namespace orrivel::test {
namespace {

using namespace platform;

// A full-screen device that owns the display mode (exclusive) and counts
// what activation asks of it.
class ExclusiveScreen : public FakeScreenDevice {
 public:
  void RestoreWindowMode() override { ++desktopRestores; }
  int SetDisplayMode(int32_t width, int32_t height, uint8_t depth, uint16_t refresh) override {
    setModes.push_back(StoredMode{width, height, depth, refresh});
    return failSetMode ? 1 : 0;
  }
  int RestoreLostSurfaces() override { return restoreResult; }
  int BeginGdiDialog() override {
    ++gdiDialogs;
    return 0;
  }
  int EndGdiDialog() override {
    --gdiDialogs;
    return 0;
  }

  int desktopRestores = 0;
  std::vector<StoredMode> setModes;
  bool failSetMode = false;
  int restoreResult = 0;
  int gdiDialogs = 0;
};

class MenuApp : public RecordingApp {
 public:
  int fullScreenMenuResult = 0;
  int OnFullScreenMenu() override {
    Record("OnFullScreenMenu");
    return fullScreenMenuResult;
  }
  void OnFullScreenActivate() override { Record("OnFullScreenActivate"); }
  void OnFullScreenDeactivate() override { Record("OnFullScreenDeactivate"); }
};

class ApplicationHandlersTest : public HeadlessTest {
 protected:
  ApplicationHandlersTest() : scopedClock_(clock) {
    backend.SetDesktop(DisplayMode{1280, 1024, 32, 60});
    backend.SetMetrics(FrameMetrics{20, 3, 3, 19});
    MenuItem file;
    file.id = 100;
    file.text = "File";
    backend.RegisterMenuResource(7, Menu({file}));
    clock.Advance(10000);
  }
  // A started game in full screen with a menu, active.
  ExclusiveScreen& StartFullScreen(MenuApp& app) {
    auto device = std::make_unique<ExclusiveScreen>();
    ExclusiveScreen& screen = *device;
    app.SetScreenDevice(std::move(device));
    app.menuId = 7;
    app.systemKeyFlags = 0x05;
    EXPECT_EQ(app.Init(), 0);
    EXPECT_EQ(app.ApplyScreenMode(1, 32, 0), 0);
    screen.exclusive = true;
    app.isActive = true;
    app.calls.clear();
    return screen;
  }
  intptr_t Send(MenuApp& app, uint32_t message, uintptr_t wParam, intptr_t lParam = 0) {
    return backend.SendMessage(app.mainWindow.GetHandle(), message, wParam, lParam);
  }
  // Alt released: the handler's result through a direct call (the window's
  // default processing would hide it).
  int AltUp(MenuApp& app, uintptr_t key = VK_MENU) {
    MessageRecord record{&app.mainWindow, WM_SYSKEYUP, key, 0, 0};
    return app.OnSysKeyUp(record);
  }
  void CloseMenu(MenuApp& app) {
    MessageRecord record{&app.mainWindow, WM_EXITMENULOOP, 0, 0, 0};
    app.OnExitMenuLoop(record);
  }

  ManualClock clock;

 private:
  ScopedClock scopedClock_;
};

TEST_F(ApplicationHandlersTest, AltOpensTheFullScreenMenuButNotRightAfterItClosed) {
  MenuApp app;
  ExclusiveScreen& screen = StartFullScreen(app);

  EXPECT_EQ(AltUp(app, VK_F1), 1);  // other keys go on to the system
  EXPECT_FALSE(app.menuBarShown);
  EXPECT_EQ(AltUp(app), 1);
  EXPECT_TRUE(app.menuBarShown);
  EXPECT_TRUE(app.menuLoopActive);
  EXPECT_EQ(screen.gdiDialogs, 1);
  ASSERT_TRUE(app.fullScreenMenuWindow.IsValid());
  WindowId menuWindow = app.fullScreenMenuWindow.GetHandle();
  EXPECT_EQ(backend.GetParent(menuWindow), app.mainWindow.GetHandle());
  EXPECT_NE(backend.GetMenu(menuWindow), nullptr);
  EXPECT_TRUE(backend.IsVisible(menuWindow));
  EXPECT_EQ(backend.GetStyle(menuWindow) & WS_MAXIMIZE, WS_MAXIMIZE);
  EXPECT_EQ(backend.GetWindowRect(menuWindow).Height(), 19);
  std::vector<uint32_t> delivered = backend.DeliveredTo(menuWindow);
  EXPECT_NE(std::find(delivered.begin(), delivered.end(), WM_SYSCOMMAND), delivered.end());
  // While the menu loop runs Alt does nothing more.
  EXPECT_EQ(AltUp(app), 0);

  CloseMenu(app);
  EXPECT_FALSE(app.menuBarShown);
  EXPECT_FALSE(app.menuLoopActive);
  EXPECT_EQ(screen.gdiDialogs, 0);
  // Within 250 ms of the closing Alt does not reopen it; from 251 ms on it does.
  app.fullScreenMenuWindow.Destroy();
  clock.Advance(250);
  EXPECT_EQ(AltUp(app), 0);
  EXPECT_FALSE(app.menuBarShown);
  EXPECT_FALSE(app.fullScreenMenuWindow.IsValid());
  clock.Advance(1);
  EXPECT_EQ(AltUp(app, VK_F10), 1);
  EXPECT_TRUE(app.menuBarShown);
  EXPECT_TRUE(app.fullScreenMenuWindow.IsValid());
  CloseMenu(app);
  app.Exit(0);
}

// A menu loop of the window's own menu bar is modal for the game; in full
// screen the loop first opens the full-screen menu.
TEST_F(ApplicationHandlersTest, MenuLoopIsModalAndOpensTheFullScreenMenu) {
  MenuApp app;
  ASSERT_EQ(app.Init(), 0);
  app.calls.clear();
  Send(app, WM_ENTERMENULOOP, 0);
  EXPECT_TRUE(app.menuLoopActive);
  EXPECT_FALSE(app.canPaint);
  EXPECT_FALSE(app.menuBarShown);
  Send(app, WM_EXITMENULOOP, 0);
  EXPECT_FALSE(app.menuLoopActive);
  EXPECT_TRUE(app.canPaint);
  EXPECT_EQ(app.calls, (std::vector<std::string>{"OnModalBegin", "OnModalEnd"}));
  app.Exit(0);

  MenuApp full;
  full.title = "Full";
  ExclusiveScreen& screen = StartFullScreen(full);
  const Rect monitor = screen.monitorRect;
  backend.PlaceCursor(Point{monitor.left + 300, monitor.top + 200});
  Send(full, WM_ENTERMENULOOP, 0);
  EXPECT_TRUE(full.menuBarShown);
  EXPECT_FALSE(full.menuLoopActive);  // the menu window's own loop marks it
  EXPECT_EQ(screen.gdiDialogs, 1);
  EXPECT_TRUE(full.fullScreenMenuWindow.IsValid());
  Point cursor;
  backend.GetCursorPos(cursor);
  EXPECT_EQ(cursor.x, monitor.left + 300);  // the menu was not open yet: stays
  // The menu window's loop, with the menu open: the cursor goes onto the bar.
  full.nonClientHeight = 19 + 20 + 2 * 3;
  Send(full, WM_ENTERMENULOOP, 0);
  EXPECT_TRUE(full.menuLoopActive);
  backend.GetCursorPos(cursor);
  EXPECT_EQ(cursor.x, monitor.left + 8 + 20);
  EXPECT_EQ(cursor.y, monitor.top + 20 + 2 * 3);
  Send(full, WM_EXITMENULOOP, 0);
  EXPECT_FALSE(full.menuBarShown);
  EXPECT_EQ(screen.gdiDialogs, 0);
  EXPECT_FALSE(backend.IsVisible(full.fullScreenMenuWindow.GetHandle()));
  full.Exit(0);
}

// A paint message paints through the screen device only when the frame
// loop will not present by itself; letterbox bars are filled black.
TEST_F(ApplicationHandlersTest, PaintFillsInOnlyWhenTheFrameLoopDoesNot) {
  struct Case {
    const char* name;
    bool deviceObject, sizeMoving, active, pauseWhenInactive, waiting, letterbox, childRepaint;
    uint8_t screenMode;
    int fills;  // PaintWindow's own fill plus one per bar
  };
  const Case cases[] = {
      {"presentation object", true, false, true, false, false, false, false, 2, 1},
      {"the frame loop presents", false, false, true, false, false, false, false, 2, 0},
      {"inactive but presenting", false, false, false, false, false, false, false, 2, 0},
      {"size move", false, true, true, false, false, false, false, 2, 1},
      {"paused while inactive", false, false, false, true, false, false, false, 2, 1},
      {"waiting for the job", false, false, true, false, true, false, false, 2, 1},
      {"letterbox bars", true, false, true, false, false, true, false, 2, 3},
      {"child repaints in full screen", false, true, true, false, false, false, true, 1, 0},
  };
  MenuApp app;
  ASSERT_EQ(app.Init(), 0);
  ScreenDevice& screen = app.Screen();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    screen.hasDeviceObject = c.deviceObject;
    app.sizeMoving = c.sizeMoving;
    app.isActive = c.active;
    app.pauseWhenInactive = c.pauseWhenInactive;
    app.waitingForWorker = c.waiting;
    screen.letterbox = c.letterbox;
    screen.letterboxBars[0] = Rect{0, 0, 640, 40};
    screen.letterboxBars[1] = Rect{0, 440, 640, 480};
    app.childRepaint = c.childRepaint;
    app.screenMode = c.screenMode;
    const int before = backend.FillCount();
    MessageRecord paint{&app.mainWindow, WM_PAINT, 0, 0, 0};
    EXPECT_EQ(app.OnPaint(paint), 0);
    EXPECT_EQ(backend.FillCount() - before, c.fills);
  }
  app.screenMode = 2;
  app.waitingForWorker = false;
  app.Exit(0);
}

TEST_F(ApplicationHandlersTest, AltIsLeftAloneWhereNoMenuCanOpen) {
  struct Case {
    const char* name;
    uint8_t screenMode;
    uint8_t systemKeyFlags;
    uint16_t menuId;
    uint8_t frameKind;
    bool active;
    int result;
  };
  const Case cases[] = {
      {"window mode", 2, 0x05, 7, 1, true, 1},
      {"system keys consumed", 1, 0x04, 7, 1, true, 0},
      {"no menu", 1, 0x05, 0, 1, true, 0},
      {"no frame", 1, 0x05, 7, 0, true, 0},
      {"inactive", 1, 0x05, 7, 1, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MenuApp app;
    app.title = c.name;  // each run registers its own window class
    StartFullScreen(app);
    app.screenMode = c.screenMode;
    app.systemKeyFlags = c.systemKeyFlags;
    app.menuId = c.menuId;
    app.frameKind = c.frameKind;
    app.isActive = c.active;
    EXPECT_EQ(AltUp(app), c.result);
    EXPECT_FALSE(app.menuBarShown);
    EXPECT_FALSE(app.fullScreenMenuWindow.IsValid());
    app.Exit(0);
  }
}

TEST_F(ApplicationHandlersTest, SecondShowOnlyReshowsAndTheGameMayCancel) {
  MenuApp app;
  StartFullScreen(app);
  app.frameKind = 2;
  ASSERT_EQ(app.ShowFullScreenMenu(), 0);
  WindowId menuWindow = app.fullScreenMenuWindow.GetHandle();
  EXPECT_TRUE(backend.IsClassRegistered("TMB DX FullScreenMenu"));
  // frameKind 2: no caption, a pop-up, no maximize mark, the monitor's width.
  EXPECT_EQ(backend.GetStyle(menuWindow) & WS_CAPTION, 0u);
  EXPECT_EQ(backend.GetStyle(menuWindow) & WS_POPUP, WS_POPUP);
  EXPECT_EQ(backend.GetStyle(menuWindow) & WS_MAXIMIZE, 0u);
  EXPECT_EQ(backend.GetWindowRect(menuWindow).Width(), app.Screen().monitorRect.Width());

  EXPECT_EQ(app.ShowFullScreenMenu(), -1);
  EXPECT_EQ(app.fullScreenMenuWindow.GetHandle(), menuWindow);
  EXPECT_TRUE(backend.IsVisible(menuWindow));
  EXPECT_EQ(std::count(app.calls.begin(), app.calls.end(), "OnFullScreenMenu"), 1);

  // Hidden by 0x9004, made again only when gone.
  Send(app, WM_APP_HIDE_FULLSCREEN_MENU, 0);
  EXPECT_FALSE(backend.IsVisible(menuWindow));
  app.fullScreenMenuWindow.Destroy();
  app.fullScreenMenuResult = 1;
  EXPECT_EQ(app.ShowFullScreenMenu(), 1);
  EXPECT_FALSE(app.fullScreenMenuWindow.IsValid());
  app.Exit(0);
}

TEST_F(ApplicationHandlersTest, MenuWindowPassesWindowCommandsToTheMainWindow) {
  MenuApp app;
  StartFullScreen(app);
  ASSERT_EQ(AltUp(app), 1);
  WindowId menuWindow = app.fullScreenMenuWindow.GetHandle();
  WindowId mainWindow = app.mainWindow.GetHandle();
  backend.ClearTranscript();
  struct Case {
    uint32_t command;
    bool forwarded;
  };
  const Case cases[] = {{SC_MINIMIZE | 3, true}, {SC_SCREENSAVE, false}, {SC_KEYMENU, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    backend.SendMessage(menuWindow, WM_SYSCOMMAND, c.command, 0);
    Message message;
    bool posted = false;
    while (backend.PeekMessage(message, true)) {
      if (message.window == mainWindow && message.message == WM_SYSCOMMAND) {
        posted = true;
        EXPECT_EQ(message.wParam, c.command);
      } else {
        backend.DispatchMessage(message);
      }
    }
    EXPECT_EQ(posted, c.forwarded);
  }
  // The forwarded command closed the menu loop first.
  EXPECT_FALSE(app.menuBarShown);
  EXPECT_FALSE(app.menuLoopActive);
  app.Exit(0);
}

TEST_F(ApplicationHandlersTest, FullScreenDeactivationGivesTheDisplayBackUntilReactivated) {
  MenuApp app;
  ExclusiveScreen& screen = StartFullScreen(app);
  screen.storedModes[0] = {800, 600, 32, 60};
  screen.storedModes[1] = {1024, 768, 16, 75};
  screen.modeSelector = 1;
  WindowId window = app.mainWindow.GetHandle();

  // (Minimising the window deactivates it once more on this machine; the
  // second deactivation repeats the first.)
  Send(app, WM_ACTIVATEAPP, 0);
  EXPECT_FALSE(app.isActive);
  EXPECT_GE(screen.desktopRestores, 1);
  EXPECT_EQ(app.pendingDisplayRestore, 2);
  EXPECT_TRUE(backend.IsMinimized(window));
  ASSERT_FALSE(app.calls.empty());
  for (const std::string& call : app.calls) EXPECT_EQ(call, "OnFullScreenDeactivate");

  // Back: the second stored mode again, then the lost surfaces.
  screen.restoreResult = 1;
  Send(app, WM_ACTIVATEAPP, 1);
  EXPECT_TRUE(app.isActive);
  ASSERT_EQ(screen.setModes.size(), 1u);
  EXPECT_EQ(screen.setModes[0].width, 1024);
  EXPECT_EQ(screen.setModes[0].refresh, 75);
  EXPECT_EQ(app.pendingDisplayRestore, 0);
  EXPECT_EQ(app.errorCode, 0);
  EXPECT_EQ(app.calls.back(), "OnFullScreenActivate");

  // A mode that cannot be set again, and surfaces that cannot be restored,
  // are run-time errors 2 and 1.
  struct Case {
    bool failSetMode;
    int restoreResult;
    uint8_t errorCode;
  };
  for (const Case c : {Case{true, 0, 2}, Case{false, 2, 1}}) {
    app.errorCode = 0;
    screen.failSetMode = c.failSetMode;
    screen.restoreResult = c.restoreResult;
    Send(app, WM_ACTIVATEAPP, 0);
    Send(app, WM_ACTIVATEAPP, 1);
    EXPECT_EQ(app.errorCode, c.errorCode);
    EXPECT_EQ(app.pendingDisplayRestore, 0);
  }
  app.errorCode = 0;

  // Without the restore setting the display stays and the window is not minimised.
  backend.ShowWindow(window, SW_SHOWNORMAL);
  app.restoreDisplayOnActivate = 0;
  const int restores = screen.desktopRestores;
  Send(app, WM_ACTIVATEAPP, 0);
  EXPECT_EQ(screen.desktopRestores, restores);
  EXPECT_EQ(app.pendingDisplayRestore, 0);
  EXPECT_FALSE(backend.IsMinimized(window));
  app.Exit(0);
}

// A display change is ignored in full screen; in a window it reads the new
// mode, and in thread mode it restores the surfaces, a failure of which is
// run-time error 1.
TEST_F(ApplicationHandlersTest, DisplayChangeRestoresSurfacesInThreadModeOnly) {
  MenuApp app;
  ExclusiveScreen& screen = StartFullScreen(app);
  screen.restoreResult = 2;
  Send(app, WM_DISPLAYCHANGE, 16, intptr_t(800 | (600 << 16)));
  EXPECT_EQ(app.desktopDepth, 32);
  EXPECT_EQ(app.errorCode, 0);

  app.screenMode = 2;
  Send(app, WM_DISPLAYCHANGE, 16, intptr_t(800 | (600 << 16)));
  EXPECT_EQ(app.desktopDepth, 16);
  EXPECT_EQ(app.desktopWidth, 800);
  EXPECT_EQ(app.desktopHeight, 600);
  EXPECT_EQ(app.errorCode, 0);  // normal mode: the frame loop restores

  app.threadMode = 1;
  Send(app, WM_DISPLAYCHANGE, 24, intptr_t(1024 | (768 << 16)));
  EXPECT_EQ(app.errorCode, 1);
  app.threadMode = 0;
  app.errorCode = 0;
  app.Exit(0);
}

TEST_F(ApplicationHandlersTest, SetCursorShowsTheMouseCursorOverTheClientAreaOnly) {
  HeadlessInput source;
  ScopedInputSource scopedSource(source);
  MenuApp app;
  ASSERT_EQ(app.Init(), 0);
  ASSERT_NE(app.Input().Mouse(), nullptr);
  ASSERT_EQ(app.Input().Mouse()->SetCursorShape(3, 0, 0), 0);
  source.SetCursor(0);
  int sets = source.CursorSets();

  MessageRecord border{&app.mainWindow, WM_SETCURSOR, 0, 2, 0};  // HTCAPTION
  EXPECT_EQ(app.OnSetCursor(border), 1);
  EXPECT_EQ(source.CursorSets(), sets);
  MessageRecord client{&app.mainWindow, WM_SETCURSOR, 0, HTCLIENT, 0};
  EXPECT_EQ(app.OnSetCursor(client), 0);
  EXPECT_EQ(source.ShownCursor(), app.Input().Mouse()->CursorHandle());
  EXPECT_NE(source.ShownCursor(), 0u);
  app.Exit(0);
}

// The candidate list of the input method goes where the text field asked
// when it opens; the main window keeps the open state for the field.
TEST_F(ApplicationHandlersTest, CandidateListOpensAtTheTextFieldsPosition) {
  MenuApp app;
  ASSERT_EQ(app.Init(), 0);
  WindowId window = app.mainWindow.GetHandle();
  app.ime.SetCandidatePos(100, 200);
  backend.SetTextInputSpot(window, Rect{});
  Send(app, WM_IME_NOTIFY, IMN_OPENCANDIDATE);
  EXPECT_TRUE(app.candidateListOpen);
  EXPECT_EQ(backend.TextInputSpot(window), (Rect{100, 200, 100, 200}));
  Send(app, WM_IME_NOTIFY, IMN_CLOSECANDIDATE);
  EXPECT_FALSE(app.candidateListOpen);
  app.Exit(0);
}

// The system cursor goes over the game, after boxes and after menus only
// when the game hid it (it draws its own); outside the window it is back.
TEST_F(ApplicationHandlersTest, SystemCursorIsHiddenOverTheGameOnlyWhenTheGameHidIt) {
  HeadlessInput source;
  ScopedInputSource scopedSource(source);
  MenuApp app;
  ASSERT_EQ(app.Init(), 0);
  Rect client;
  app.GetClientScreenRect(client);
  const Point inside{client.left + 5, client.top + 5}, outside{client.left - 5, client.top + 5};

  backend.PlaceCursor(inside);
  EXPECT_TRUE(app.UpdateWindowState());
  app.ShowMessageBox("text", 0);
  EXPECT_GE(source.CursorCount(), 0);

  app.Input().Mouse()->SetCursorState(0, kNoWindow, 0);
  for (const auto& [at, shown] : {std::pair{inside, false}, std::pair{outside, true}, std::pair{inside, false}}) {
    backend.PlaceCursor(at);
    app.UpdateWindowState();
    EXPECT_EQ(source.CursorCount() >= 0, shown) << at.x;
  }
  // Asked through the window's own message, the hiding is the game's too.
  MouseDevice* mouse = app.Input().Mouse();
  mouse->SetCursorState(1, app.mainWindow.GetHandle(), WM_APP_MODAL_NOTIFY);
  EXPECT_GE(source.CursorCount(), 0);
  mouse->SetCursorState(0, app.mainWindow.GetHandle(), WM_APP_MODAL_NOTIFY);
  EXPECT_LT(source.CursorCount(), 0);
  // A menu shows it, with or without a mouse device.
  Send(app, WM_ENTERMENULOOP, 0);
  EXPECT_GE(source.CursorCount(), 0);
  Send(app, WM_EXITMENULOOP, 0);
  app.Input().ReleaseDevices();
  for (int i = 0; i < 3; ++i) source.ShowCursor(false);
  Send(app, WM_ENTERMENULOOP, 0);
  EXPECT_EQ(source.CursorCount(), 0);
  Send(app, WM_EXITMENULOOP, 0);
  app.Exit(0);
}

}  // namespace
}  // namespace orrivel::test
