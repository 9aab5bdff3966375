// The window object's message map, its default handling and placement, and
// the framework's message pump and system-key rules.
#include <gtest/gtest.h>

#include "base/AppTestSupport.h"
#include "base/WindowObject.h"

namespace orrivel::test {
namespace {

using namespace platform;

// Records what reaches OnMessage.
class ProbeWindow : public WindowObject {
 public:
  int OnMessage(MessageRecord& record) override {
    seen.push_back(record.message);
    return WindowObject::OnMessage(record);
  }
  std::vector<uint32_t> seen;
};

// A handler that answers a fixed value, counts its calls and its end.
class CountingHandler : public MessageHandler {
 public:
  CountingHandler(int answer, int* calls, int* destroyed) : answer_(answer), calls_(calls), destroyed_(destroyed) {}
  ~CountingHandler() override { ++*destroyed_; }
  int Handle(MessageRecord& record) override {
    ++*calls_;
    record.result = 42;
    return answer_;
  }

 private:
  int answer_;
  int* calls_;
  int* destroyed_;
};

class WindowObjectTest : public HeadlessTest {
 protected:
  WindowCreateRecord Record(const char* className = "ProbeClass") {
    WindowCreateRecord record;
    record.clientWidth = 320;
    record.clientHeight = 240;
    record.style = WS_CAPTION | WS_SYSMENU;
    record.text = "probe";
    record.className = className;
    return record;
  }
};

TEST_F(WindowObjectTest, SecondRegistrationReplacesTheFirst) {
  ProbeWindow window;
  int firstCalls = 0, firstGone = 0, secondCalls = 0, secondGone = 0;
  window.RegisterMessageHandler(WM_USER, std::make_unique<CountingHandler>(0, &firstCalls, &firstGone));
  window.RegisterMessageHandler(WM_USER, std::make_unique<CountingHandler>(0, &secondCalls, &secondGone));
  EXPECT_EQ(firstGone, 1);
  ASSERT_EQ(window.Create(Record(), kNoWindow, false, true), 0);
  EXPECT_EQ(window.SendWindowMessage(WM_USER, 0, 0), 42);
  EXPECT_EQ(firstCalls, 0);
  EXPECT_EQ(secondCalls, 1);
  window.Destroy();
  EXPECT_EQ(secondGone, 1);
  EXPECT_EQ(window.HandlerCount(), 0u);
}

TEST_F(WindowObjectTest, HandlerResultDecidesWhetherTheDefaultRuns) {
  struct Case {
    int answer;
    bool reachesOnMessage;
    bool windowSurvivesClose;
  };
  for (const Case& c : {Case{0, false, true}, Case{1, true, false}}) {
    ProbeWindow window;
    int calls = 0, gone = 0;
    window.RegisterMessageHandler(WM_CLOSE, std::make_unique<CountingHandler>(c.answer, &calls, &gone));
    ASSERT_EQ(window.Create(Record(c.answer ? "B" : "A"), kNoWindow, false, true), 0);
    window.SendWindowMessage(WM_CLOSE, 0, 0);
    EXPECT_EQ(calls, 1);
    bool reached = std::count(window.seen.begin(), window.seen.end(), WM_CLOSE) != 0;
    EXPECT_EQ(reached, c.reachesOnMessage) << "answer " << c.answer;
    EXPECT_EQ(window.IsValid(), c.windowSurvivesClose) << "answer " << c.answer;
  }
}

TEST_F(WindowObjectTest, HandlersRegisteredBeforeCreateSeeTheCreation) {
  ProbeWindow window;
  int calls = 0, gone = 0;
  window.RegisterMessageHandler(WM_CREATE, std::make_unique<CountingHandler>(0, &calls, &gone));
  ASSERT_EQ(window.Create(Record(), kNoWindow, false, true), 0);
  EXPECT_EQ(calls, 1);
}

TEST_F(WindowObjectTest, DestroyPostsQuitOnlyWhenAsked) {
  for (bool quit : {false, true}) {
    ProbeWindow window;
    ASSERT_EQ(window.Create(Record(quit ? "Q1" : "Q0"), kNoWindow, quit, true), 0);
    window.Destroy();
    Message message;
    bool gotQuit = false;
    while (backend.PeekMessage(message, true)) gotQuit |= message.message == WM_QUIT;
    EXPECT_EQ(gotQuit, quit);
    EXPECT_FALSE(window.IsValid());
    EXPECT_EQ(window.SendWindowMessage(WM_USER, 0, 0), 0);
    EXPECT_FALSE(window.PostWindowMessage(WM_USER, 0, 0));
  }
}

TEST_F(WindowObjectTest, CreateReportsClassAndWindowFailures) {
  ProbeWindow controls;
  EXPECT_EQ(controls.Create(Record("EDIT"), kNoWindow, false, true), 2);
  EXPECT_FALSE(backend.IsClassRegistered("EDIT"));

  backend.FailRegisterClass(true);
  ProbeWindow noClass;
  EXPECT_EQ(noClass.Create(Record("C1"), kNoWindow, false, true), 1);
  backend.FailRegisterClass(false);
  backend.FailCreateWindow(true);
  ProbeWindow noWindow;
  EXPECT_EQ(noWindow.Create(Record("C2"), kNoWindow, false, true), 2);
  EXPECT_FALSE(noWindow.IsValid());
}

TEST_F(WindowObjectTest, WindowRectCountsTheMenuOnlyWithASystemMenu) {
  backend.SetMetrics(FrameMetrics{20, 3, 3, 19});
  ProbeWindow window;
  WindowPlacement withMenu = window.ComputeWindowRect(640, 480, WS_CAPTION | WS_SYSMENU, 0, true, false, 5, 6);
  EXPECT_EQ(withMenu.width, 640 + 6);
  EXPECT_EQ(withMenu.height, 480 + 6 + 20 + 19);
  EXPECT_EQ(withMenu.x, 5);
  EXPECT_EQ(withMenu.y, 6);
  WindowPlacement noSysMenu = window.ComputeWindowRect(640, 480, WS_CAPTION, 0, true, false, 0, 0);
  EXPECT_EQ(noSysMenu.height, 480 + 6 + 20);
}

TEST_F(WindowObjectTest, PlacementCentresInTheWorkAreaOrKeepsAFittingPosition) {
  backend.SetDesktop(DisplayMode{1000, 800, 32, 60});
  struct Case {
    uint8_t placement;
    int32_t x, y;
    int32_t wantX, wantY;
  };
  for (const Case& c : {Case{0, 900, 900, 900, 900}, Case{1, 10, 20, 10, 20}, Case{1, 900, 20, 180, 160},
                        Case{2, 10, 20, 180, 160}}) {
    ProbeWindow window;
    window.placement = c.placement;
    WindowPlacement where = window.ComputeWindowRect(640, 480, WS_POPUP, 0, false, true, c.x, c.y);
    EXPECT_EQ(where.x, c.wantX) << int(c.placement) << " " << c.x;
    EXPECT_EQ(where.y, c.wantY) << int(c.placement) << " " << c.x;
  }
}

class PumpTest : public HeadlessTest {};

TEST_F(PumpTest, DropsPointerMessagesUnlessAllAndStopsAtQuit) {
  RecordingApp app;
  ASSERT_EQ(app.Init(), 0);
  ProbeWindow probe;
  ASSERT_EQ(probe.Create(WindowCreateRecord{-1, -1, 10, 10, 0, 0, 0, 0, 0, ClassBrush::Window, "p", "Probe"},
                         kNoWindow, false, true),
            0);
  while (app.PumpMessages(true) == 1) {}
  probe.seen.clear();
  for (uint32_t m : {WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_NCHITTEST, WM_SETCURSOR, WM_USER}) {
    backend.PostMessage(probe.GetHandle(), m, 0, 0);
  }
  EXPECT_EQ(app.PumpMessages(false), 0);
  EXPECT_EQ(probe.seen, (std::vector<uint32_t>{WM_USER}));

  probe.seen.clear();
  for (uint32_t m : {WM_MOUSEMOVE, WM_SETCURSOR}) backend.PostMessage(probe.GetHandle(), m, 0, 0);
  EXPECT_EQ(app.PumpMessages(true), 0);
  EXPECT_EQ(probe.seen.size(), 2u);

  probe.seen.clear();
  backend.PostMessage(probe.GetHandle(), WM_USER, 0, 0);
  backend.PostQuitMessage(0);
  backend.PostMessage(probe.GetHandle(), WM_USER + 1, 0, 0);
  EXPECT_EQ(app.PumpMessages(false), 1);
  EXPECT_TRUE(app.quitSeen);
  EXPECT_EQ(probe.seen, (std::vector<uint32_t>{WM_USER}));
  EXPECT_EQ(backend.QueuedCount(), 1u);
  EXPECT_EQ(app.PumpMessages(false), 0);
  EXPECT_EQ(probe.seen, (std::vector<uint32_t>{WM_USER, WM_USER + 1}));
  EXPECT_EQ(app.PumpMessages(false), 0);
  probe.Destroy();
  app.Exit(0);
}

TEST_F(PumpTest, AcceleratorsTurnKeysIntoCommands) {
  RecordingApp app;
  app.menuId = 3;
  app.acceleratorId = 4;
  backend.RegisterMenuResource(3, Menu({MenuItem{100, "Quit", false, true, {}}, MenuItem{101, "Save", false, true, {}}}));
  backend.RegisterAcceleratorResource(4, {Accelerator{FVIRTKEY | FCONTROL, 'Q', 100},
                                          Accelerator{FVIRTKEY, VK_F12, 101}});
  ASSERT_EQ(app.Init(), 0);
  std::vector<uintptr_t> commands;
  struct Commands : MessageHandler {
    std::vector<uintptr_t>* out;
    int Handle(MessageRecord& r) override {
      out->push_back(r.wParam & 0xFFFF);
      return 0;
    }
  };
  auto handler = std::make_unique<Commands>();
  handler->out = &commands;
  app.mainWindow.RegisterMessageHandler(WM_COMMAND, std::move(handler));
  WindowId window = app.mainWindow.GetHandle();
  backend.SetModifierState(false, true, false);
  backend.PostMessage(window, WM_KEYDOWN, 'Q', 0);
  app.PumpMessages(false);
  backend.SetModifierState(false, false, false);
  backend.GetMenu(window)->Enable(101, false);
  backend.PostMessage(window, WM_KEYDOWN, VK_F12, 0);  // disabled item: swallowed
  backend.PostMessage(window, WM_KEYDOWN, 'Q', 0);     // no Ctrl: a plain key
  app.PumpMessages(false);
  EXPECT_EQ(commands, (std::vector<uintptr_t>{100}));
  app.Exit(0);
}

TEST_F(PumpTest, PreTranslateConsumesOnlyTheSystemKeysItShould) {
  struct Case {
    uint32_t message;
    uint32_t key;
    uint8_t flags;
    uint8_t screenMode;
    bool consumed;
  };
  const Case cases[] = {
      {WM_SYSKEYUP, VK_F10, 0x05, 2, true},     // F10 release: always
      {WM_SYSKEYDOWN, VK_F4, 0x04, 2, false},   // Alt+F4 always reaches the window
      {WM_SYSKEYDOWN, VK_MENU, 0x04, 2, false},
      {WM_SYSKEYDOWN, VK_F10, 0x04, 2, false},
      {WM_SYSKEYDOWN, 'X', 0x04, 2, true},      // mode 0: other system keys consumed
      {WM_SYSKEYUP, VK_MENU, 0x04, 2, true},    // mode 0: every release
      {WM_SYSKEYDOWN, 'X', 0x05, 2, false},     // mode 1: passes
      {WM_SYSKEYUP, VK_MENU, 0x06, 2, false},   // mode 2: passes
      {WM_SYSKEYUP, VK_ESCAPE, 0x05, 1, true},  // Escape release in full screen
      {WM_SYSKEYUP, VK_ESCAPE, 0x05, 2, false},
      {WM_KEYDOWN, VK_F10, 0x04, 1, false},
  };
  RecordingApp app;
  for (const Case& c : cases) {
    app.systemKeyFlags = c.flags;
    app.screenMode = c.screenMode;
    Message message;
    message.message = c.message;
    message.wParam = c.key;
    EXPECT_EQ(app.PreTranslateMessage(message), c.consumed)
        << std::hex << c.message << " key " << c.key << " flags " << int(c.flags) << " mode " << int(c.screenMode);
  }
}

TEST_F(PumpTest, CloseDestroysTheWindowAndEndsTheLoop) {
  RecordingApp app;
  app.mainLoop = [this](RecordingApp& a) {
    // The close button: the system command that ends in WM_CLOSE.
    backend.PostMessage(a.mainWindow.GetHandle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    int passes = 0;
    while (a.PumpMessages(false) == 0 && ++passes < 10) {}
  };
  EXPECT_EQ(app.Run(nullptr, nullptr, "", 1), 0);
  EXPECT_TRUE(app.quitSeen);
  EXPECT_EQ(app.calls.back(), "SaveSettings 0");
}

TEST_F(PumpTest, MainWindowPaintsBlackAndKeepsTheSystemImeWindowsAway) {
  RecordingApp app;
  ASSERT_EQ(app.Init(), 0);
  WindowId window = app.mainWindow.GetHandle();
  app.PumpMessages(false);
  EXPECT_EQ(backend.LastFill(window), 0x000000u);
  EXPECT_FALSE(backend.IsInvalid(window));

  backend.ClearTranscript();
  EXPECT_EQ(backend.SendMessage(window, WM_IME_STARTCOMPOSITION, 0, 0), 0);
  app.screenMode = 1;
  app.mainWindow.SendWindowMessage(WM_IME_NOTIFY, IMN_OPENCANDIDATE, 0);
  EXPECT_TRUE(app.candidateListOpen);
  app.mainWindow.SendWindowMessage(WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 0);
  EXPECT_FALSE(app.candidateListOpen);
  app.screenMode = 2;
  app.Exit(0);
}

}  // namespace
}  // namespace orrivel::test
