// The text-input filter on the game window: keys and characters from the
// window's messages, whole CP932 pairs only, a fresh buffer after each
// delivery, the input method switched through the window, and the filter
// put in front of and taken off the window's procedure.
#include "scene/TextInputHook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "platform/Backend.h"
#include "platform/KeyTable.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/Control.h"

namespace orrivel {
namespace {

using platform::WindowId;

// The window's own procedure: counts what reaches it.
class CountingProcedure : public platform::WindowClient {
 public:
  intptr_t WindowProcedure(WindowId, uint32_t message, uintptr_t, intptr_t) override {
    messages.push_back(message);
    return 7;
  }
  std::vector<uint32_t> messages;
};

// A text entry's two input operations, recorded.
class TypingControl : public Control {
 public:
  int32_t GetKind() const override { return kControlTextEntry; }
  int32_t GetX() const override { return 0; }
  int32_t GetY() const override { return 0; }
  int32_t GetWidth() const override { return 0; }
  int32_t GetHeight() const override { return 0; }
  void SetPosition(int32_t, int32_t) override {}
  void SetVisible(bool) override {}
  bool IsVisible() const override { return true; }
  int32_t AttachToSpriteList(int32_t, int32_t, uint8_t) override { return 0; }
  int32_t GetOrder() const override { return 0; }
  void SetDrawFlags(uint8_t) override {}
  uint8_t IsReady() const override { return 0; }
  bool HitTest(int32_t, int32_t) override { return false; }
  bool TakeKey(uint8_t key) override {
    got.push_back("key " + std::to_string(key));
    return true;
  }
  bool TakeCharacters(const char* chars, int32_t count) override {
    got.push_back(std::string(chars, size_t(count)));
    return true;
  }
  std::vector<std::string> got;
};

class TextInputHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::WindowCreateParams params;
    params.className = "game";
    params.client = &procedure;
    ASSERT_TRUE(backend.RegisterClass(platform::WindowClass{"game"}));
    window = backend.CreateWindow(params);
    ASSERT_NE(window, platform::kNoWindow);
    hook.SetMainWindow(window);
    ASSERT_EQ(hook.AttachTextInputHook(window), 0);
  }
  // Messages as the window system delivers them.
  void Char(uint8_t byte) { backend.SendMessage(window, platform::WM_CHAR, byte, 1); }
  void Chars(const std::string& bytes) {
    for (char c : bytes) Char(uint8_t(c));
  }
  void Pump() {
    platform::Message m;
    while (backend.PeekMessage(m, true)) backend.DispatchMessage(m);
  }
  std::vector<std::string> Deliver() {
    hook.TakeTypedText(&entry);
    return std::exchange(entry.got, {});
  }

  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped{backend};
  CountingProcedure procedure;
  WindowId window = platform::kNoWindow;
  TextInputHook hook;
  TypingControl entry;
};

using Got = std::vector<std::string>;

TEST_F(TextInputHookTest, TypedTextFromTheWindowSystemArrivesAsCp932) {
  // "aあ" typed through the input method: 'a', then 0x82 0xA0.
  backend.PostTextInput(window, "a\xE3\x81\x82");
  Pump();
  EXPECT_EQ(Deliver(), (Got{"a\x82\xA0"}));
  // Every message still reaches the window's own procedure.
  EXPECT_EQ(procedure.messages.back(), platform::WM_CHAR);
  EXPECT_EQ(backend.SendMessage(window, platform::WM_NULL, 0, 0), 7);
}

TEST_F(TextInputHookTest, APendingLeadByteHoldsTheBufferBack) {
  Chars("x\x82");
  EXPECT_TRUE(hook.PendingLeadByte());
  EXPECT_EQ(Deliver(), Got{});
  Char(0xA0);
  EXPECT_FALSE(hook.PendingLeadByte());
  EXPECT_EQ(Deliver(), (Got{"x\x82\xA0"}));
  // A trail byte that looks like a lead byte does not start a new pair.
  Chars("\x81\x81" "b");
  EXPECT_EQ(Deliver(), (Got{"\x81\x81" "b"}));
}

TEST_F(TextInputHookTest, TheThirtyThirdByteIsDroppedAndNoHalfCharacterKept) {
  struct Case {
    const char* name;
    std::string first31;
    std::string then;
    std::string delivered;
  };
  const std::string a31(31, 'a');
  const Case cases[] = {
      {"single bytes", a31, "bc", a31 + "b"},
      // The 32nd byte is a lead byte whose trail cannot fit: both go.
      {"a dangling lead byte", a31, "\x82\xA0", a31},
      {"a pair that fits whole", std::string(30, 'a'), "\x82\xA0" "c", std::string(30, 'a') + "\x82\xA0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Chars(c.first31 + c.then);
    EXPECT_EQ(Deliver(), (Got{c.delivered}));
  }
}

TEST_F(TextInputHookTest, AKeyGoesFirstAndTheCharactersNextFrame) {
  const uint8_t vkA = platform::FindKeyRow(0x1E)->virtualKey;  // the A key
  backend.PostMessage(window, platform::WM_KEYDOWN, vkA, 1);
  backend.PostTextInput(window, "a");
  Pump();
  EXPECT_EQ(Deliver(), (Got{"key " + std::to_string(vkA)}));
  EXPECT_EQ(Deliver(), (Got{"a"}));
  EXPECT_EQ(Deliver(), Got{});  // taken once only
  EXPECT_FALSE(hook.TakeTypedText(&entry));
}

TEST_F(TextInputHookTest, CharactersAfterADeliveryStartAFreshBuffer) {
  Chars("ab");
  EXPECT_EQ(Deliver(), (Got{"ab"}));
  EXPECT_EQ(hook.TakenCount(), 2);
  Chars("c");
  EXPECT_EQ(hook.TypedBytes(), "c");
  EXPECT_EQ(Deliver(), (Got{"c"}));
}

TEST_F(TextInputHookTest, TheInputMethodIsSwitchedThroughTheWindow) {
  // Hooking a window lets its input method work.
  EXPECT_TRUE(hook.IsImeEnabled());
  EXPECT_TRUE(backend.IsTextInputEnabled(window));
  // Open and close as text entry asks.
  EXPECT_TRUE(hook.PostWindowCommand(1));
  EXPECT_TRUE(hook.Ime().GetOpen());
  EXPECT_TRUE(hook.PostWindowCommand(0));
  EXPECT_FALSE(hook.Ime().GetOpen());
  EXPECT_EQ(hook.SetImeEnabled(true), 0);
  // Taking the filter off switches it off again and gives the window its
  // own procedure back.
  EXPECT_EQ(hook.AttachTextInputHook(platform::kNoWindow), 0);
  EXPECT_FALSE(hook.IsImeEnabled());
  EXPECT_FALSE(backend.IsTextInputEnabled(window));
  EXPECT_EQ(backend.GetWindowClient(window), &procedure);
  EXPECT_FALSE(hook.PostWindowCommand(1));
  Chars("z");
  EXPECT_EQ(Deliver(), Got{});
  // Without a main window the method cannot be switched on.
  TextInputHook lone;
  EXPECT_EQ(lone.SetImeEnabled(true), 2);
  EXPECT_EQ(lone.SetImeEnabled(false), 0);
}

TEST_F(TextInputHookTest, AttachingForgetsInputAndTheWindowsEndUnhooks) {
  Chars("ab");
  backend.SendMessage(window, platform::WM_KEYDOWN, platform::VK_RETURN, 1);
  ASSERT_EQ(hook.AttachTextInputHook(window), 0);  // again: the state starts clean
  EXPECT_EQ(hook.LastKey(), 0u);
  EXPECT_EQ(hook.TypedBytes(), "");
  EXPECT_EQ(backend.GetWindowClient(window), &hook);
  backend.DestroyWindow(window);
  EXPECT_EQ(hook.HookedWindow(), platform::kNoWindow);
  // The window's own procedure still heard of its end.
  EXPECT_EQ(procedure.messages.back(), platform::WM_NCDESTROY);
}

// As the game's host: the focused control takes the typed text once a frame.
class TypingHost : public test::RecordingHost {
 public:
  explicit TypingHost(TextInputHook& hook) : hook_(hook) {}
  bool DeliverTypedText(Control* focused) override { return hook_.TakeTypedText(focused); }

 private:
  TextInputHook& hook_;
};

TEST_F(TextInputHookTest, TheHostHandsTypedTextToTheFocusedControl) {
  TypingHost host(hook);
  ASSERT_EQ(host.AddControl(&entry, -1), 0u);
  ASSERT_EQ(host.SetFocus(&entry), 0u);
  backend.PostMessage(window, platform::WM_KEYDOWN, platform::VK_BACK, 1);
  backend.PostTextInput(window, "ok");
  Pump();
  EXPECT_EQ(host.Update(1000), ControlHost::kUpdateTyped);
  EXPECT_EQ(host.Update(1001), ControlHost::kUpdateTyped);
  EXPECT_EQ(host.Update(1002), ControlHost::kUpdateIdle);
  EXPECT_EQ(entry.got, (Got{"key 8", "ok"}));
  host.RemoveControl(&entry);
}

}  // namespace
}  // namespace orrivel
