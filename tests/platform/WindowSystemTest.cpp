// The headless machine's queue, cross-thread sends, painting, message boxes
// and the single-instance lock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/InstanceLock.h"
#include "platform/headless/HeadlessBackend.h"

namespace orrivel::platform {
namespace {

class EchoClient : public WindowClient {
 public:
  intptr_t WindowProcedure(WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    seen.push_back(message);
    if (message == WM_USER) return intptr_t(wParam) * 2;
    return backend->DefWindowProc(window, message, wParam, lParam);
  }
  HeadlessBackend* backend = nullptr;
  std::vector<uint32_t> seen;
};

class WindowSystemTest : public ::testing::Test {
 protected:
  WindowId Make(EchoClient& client) {
    client.backend = &backend;
    backend.RegisterClass(WindowClass{"T"});
    WindowCreateParams params;
    params.className = "T";
    params.width = 100;
    params.height = 50;
    params.client = &client;
    return backend.CreateWindow(params);
  }
  HeadlessBackend backend;
};

TEST_F(WindowSystemTest, PostedMessagesKeepTheirOrderAndQuitEndsGetMessage) {
  EchoClient client;
  WindowId window = Make(client);
  backend.PostMessage(window, WM_USER + 1, 0, 0);
  backend.PostQuitMessage(7);
  backend.PostMessage(window, WM_USER + 2, 0, 0);
  Message m;
  EXPECT_EQ(backend.GetMessage(m), 1);
  EXPECT_EQ(m.message, WM_USER + 1u);
  EXPECT_EQ(backend.GetMessage(m), 0);
  EXPECT_EQ(m.wParam, 7u);
  EXPECT_EQ(backend.GetMessage(m), 1);
  EXPECT_EQ(m.message, WM_USER + 2u);
  EXPECT_FALSE(backend.WaitMessage(1));
  EXPECT_FALSE(backend.PostMessage(0x7777, WM_USER, 0, 0));  // no such window
}

TEST_F(WindowSystemTest, TheEditingKeysAreTranslatedIntoCharacters) {
  EchoClient client;
  WindowId window = Make(client);
  for (uint32_t key : {VK_BACK, VK_TAB, VK_RETURN, VK_ESCAPE}) {
    EXPECT_TRUE(backend.TranslateMessage(Message{window, WM_KEYDOWN, key, 1}));
    Message m;
    ASSERT_TRUE(backend.PeekMessage(m, true));
    EXPECT_EQ(m.message, WM_CHAR);
    EXPECT_EQ(m.wParam, key);
  }
  // Printable keys get their characters from the text input; key-ups none.
  EXPECT_FALSE(backend.TranslateMessage(Message{window, WM_KEYDOWN, 'A', 1}));
  EXPECT_FALSE(backend.TranslateMessage(Message{window, WM_KEYUP, VK_RETURN, 1}));
  EXPECT_FALSE(backend.TranslateMessage(Message{window, WM_KEYDOWN, VK_LEFT, 1}));
  EXPECT_EQ(backend.QueuedCount(), 0u);
}

TEST_F(WindowSystemTest, CrossThreadSendRunsOnTheWindowThreadAndReturnsItsResult) {
  EchoClient client;
  WindowId window = Make(client);
  intptr_t result = 0;
  std::thread sender([&] { result = backend.SendMessage(window, WM_USER, 21, 0); });
  // The send waits until the window thread takes its messages.
  while (!backend.WaitMessage(5) && result == 0) {
    Message m;
    backend.PeekMessage(m, true);
  }
  Message m;
  backend.PeekMessage(m, true);
  sender.join();
  EXPECT_EQ(result, 42);
}

TEST_F(WindowSystemTest, SendToAWindowThatDiesReturnsZero) {
  EchoClient client;
  WindowId window = Make(client);
  intptr_t result = -1;
  std::thread sender([&] { result = backend.SendMessage(window, WM_USER, 21, 0); });
  // The window thread never takes the send; the window's end releases it.
  // (Had the sender not queued yet, it finds no window: 0 as well.)
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  backend.DestroyWindow(window);
  sender.join();
  EXPECT_EQ(result, 0);
}

TEST_F(WindowSystemTest, ShownWindowIsPaintedOnceAndActivated) {
  EchoClient client;
  WindowId window = Make(client);
  backend.ShowWindow(window, SW_SHOW);
  EXPECT_EQ(backend.GetActiveWindow(), window);
  Message m;
  ASSERT_TRUE(backend.PeekMessage(m, true));
  EXPECT_EQ(m.message, WM_PAINT);
  backend.DispatchMessage(m);
  EXPECT_FALSE(backend.PeekMessage(m, true));
  std::vector<uint32_t> expected{WM_NCCREATE, WM_CREATE, WM_ACTIVATEAPP, WM_ACTIVATE, WM_PAINT};
  EXPECT_EQ(client.seen, expected);
}

TEST_F(WindowSystemTest, CloseCommandDestroysTheWindow) {
  EchoClient client;
  WindowId window = Make(client);
  backend.SendMessage(window, WM_SYSKEYDOWN, VK_F4, 0);  // Alt+F4
  EXPECT_FALSE(backend.IsWindow(window));
  EXPECT_EQ(client.seen.back(), WM_NCDESTROY);
}

TEST_F(WindowSystemTest, MessageBoxesAnswerFromTheScriptThenTheFirstButton) {
  backend.QueueMessageBoxAnswer(IDNO);
  MessageBoxRequest ask;
  ask.text = "q";
  ask.buttons = MessageBoxButtons::YesNo;
  EXPECT_EQ(backend.ShowMessageBox(ask), IDNO);
  EXPECT_EQ(backend.ShowMessageBox(ask), IDYES);
  ask.buttons = MessageBoxButtons::OkCancel;
  EXPECT_EQ(backend.ShowMessageBox(ask), IDOK);
  EXPECT_EQ(backend.MessageBoxes().size(), 3u);
}

TEST_F(WindowSystemTest, ClientPointsMapInsideTheFrame) {
  backend.SetMetrics(FrameMetrics{20, 3, 4, 19});
  backend.RegisterMenuResource(5, Menu());
  EchoClient client;
  WindowId window = Make(client);
  backend.SetStyle(window, WS_CAPTION | WS_SYSMENU);
  backend.MoveWindow(window, Rect{100, 200, 400, 500});
  struct Case {
    uint16_t menu;
    Point client, screen;
  };
  // Caption and frame above, frame at the side; the menu bar adds its row.
  for (const Case& c : {Case{0, Point{0, 0}, Point{103, 224}}, Case{5, Point{0, 0}, Point{103, 243}},
                        Case{0, Point{-5, 7}, Point{98, 231}}}) {
    backend.SetMenu(window, c.menu);
    EXPECT_EQ(backend.ClientToScreen(window, c.client), c.screen);
    EXPECT_EQ(backend.ScreenToClient(window, c.screen), c.client);
  }
  // A window that is gone leaves the point alone.
  backend.DestroyWindow(window);
  EXPECT_EQ(backend.ClientToScreen(window, Point{1, 2}), (Point{1, 2}));
  EXPECT_EQ(backend.ScreenToClient(window, Point{1, 2}), (Point{1, 2}));
}

TEST(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  auto folder = std::filesystem::temp_directory_path() / ("orrivel-lock-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  for (const std::string name : {"Tamberlo DXGame", "Tamberlo DX", "Tamberlo DXa/b\x83\x41"}) {
    InstanceLock first, second;
    ASSERT_EQ(first.Acquire(name, folder.string()), InstanceLock::Result::Acquired) << name;
    EXPECT_EQ(second.Acquire(name, folder.string()), InstanceLock::Result::HeldElsewhere);
    first.Release();
    EXPECT_EQ(second.Acquire(name, folder.string()), InstanceLock::Result::Acquired);
  }
  EXPECT_EQ(InstanceLock::LockFilePath("a/b", "/x"), "/x/a_b.lock");
  InstanceLock nowhere;
  EXPECT_EQ(nowhere.Acquire("n", (folder / "missing").string()), InstanceLock::Result::Failed);
  EXPECT_EQ(nowhere.Acquire("n", ""), InstanceLock::Result::Failed);

  // Without a run-time folder from the session, each user gets a private
  // one under the shared folder; one that others could write is refused.
  const std::string own = PrivateRuntimeFolder(folder.string());
  ASSERT_EQ(own, folder.string() + "/orrivel-" + std::to_string(::geteuid()));
  EXPECT_EQ(std::filesystem::status(own).permissions(), std::filesystem::perms::owner_all);
  EXPECT_EQ(PrivateRuntimeFolder(folder.string()), own);
  std::filesystem::permissions(own, std::filesystem::perms::all);
  EXPECT_EQ(PrivateRuntimeFolder(folder.string()), "");
  std::filesystem::remove_all(own);
  std::filesystem::create_directory_symlink(folder, own);
  EXPECT_EQ(PrivateRuntimeFolder(folder.string()), "");
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace orrivel::platform
