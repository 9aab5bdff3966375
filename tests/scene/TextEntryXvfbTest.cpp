// Text typed on a real X display reaches a focused text entry as CP932
// through the SDL back end, the window's messages and the text-input hook,
// Backspace included. The test runs itself again under a virtual X server;
// it is skipped where xvfb-run or xdotool is not installed.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "TextEntryTestSupport.h"
#include "base/XvfbTestSupport.h"
#include "platform/sdl/SdlBackend.h"

namespace orrivel {
namespace {

constexpr const char* kTitle = "OrrivelXvfbTextEntry";

class TextEntryXvfbTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void RunUnderTheDisplay();
  bool FramesUntil(platform::Backend& backend, const std::function<bool()>& condition) {
    return test::FramesUntil(backend, [&] { host.Update(clock.TickMs()); }, condition);
  }

  struct Procedure : platform::WindowClient {
    intptr_t WindowProcedure(platform::WindowId w, uint32_t m, uintptr_t wp, intptr_t lp) override {
      return platform::CurrentBackend().DefWindowProc(w, m, wp, lp);
    }
  } procedure;
  test::EntryHost host;
};

void TextEntryXvfbTest::RunUnderTheDisplay() {
  std::string error;
  auto backend = platform::SdlBackend::Create(&error);
  if (!backend) GTEST_SKIP() << test::kNoDisplayMark << " " << error;
  platform::ScopedBackend scoped(*backend);
  ASSERT_TRUE(backend->RegisterClass(platform::WindowClass{"XvfbTextEntry"}));
  platform::WindowCreateParams params;
  params.className = "XvfbTextEntry";
  params.text = kTitle;
  params.style = platform::WS_CAPTION;
  params.width = 200;
  params.height = 80;
  params.client = &procedure;
  platform::WindowId window = backend->CreateWindow(params);
  ASSERT_NE(window, platform::kNoWindow);
  backend->ShowWindow(window, platform::SW_SHOW);

  TextInputHook hook(window);
  ASSERT_EQ(hook.AttachTextInputHook(window), 0);
  host.hook = &hook;
  SpriteList list;
  test::BlockFont font;
  {
    TextEntryControl entry;
    ASSERT_EQ(entry.Create(&list, 1, 10, 10, &font, 150, 2, true, nullptr, 0), 0);
    entry.SetImeContext(&hook.Ime());
    ASSERT_EQ(host.AddControl(&entry, -1), 0u);
    ASSERT_EQ(host.SetFocus(&entry), 0u);

    ASSERT_TRUE(test::RunXdotool(kTitle, "type --delay 20 'Hi there'"));
    EXPECT_TRUE(FramesUntil(*backend, [&] { return std::string(entry.Text()) == "Hi there"; })) << entry.Text();
    ASSERT_TRUE(test::RunXdotool(kTitle, "key BackSpace key BackSpace"));
    EXPECT_TRUE(FramesUntil(*backend, [&] { return std::string(entry.Text()) == "Hi the"; })) << entry.Text();
    ASSERT_TRUE(test::RunXdotool(kTitle, "key Return"));
    EXPECT_TRUE(FramesUntil(*backend, [&] { return host.GetFocused() == nullptr; }));
    host.RemoveControl(&entry);
  }
  hook.AttachTextInputHook(platform::kNoWindow);
  backend->DestroyWindow(window);
}

TEST_F(TextEntryXvfbTest, TypedTextReachesTheEntryAsCp932) {
  if (test::IsXvfbChild()) {
    RunUnderTheDisplay();
    return;
  }
  test::RerunUnderXvfb("TextEntryXvfbTest.TypedTextReachesTheEntryAsCp932");
}

}  // namespace
}  // namespace orrivel
