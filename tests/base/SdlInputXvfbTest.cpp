// Keys typed on a real X display reach the action map through the SDL back
// end, in both the message and the polled flavour. The test runs itself
// again under a virtual X server; it is skipped where xvfb-run or xdotool
// is not installed.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "XvfbTestSupport.h"
#include "base/ActionMap.h"
#include "base/DefaultActionBindings.h"
#include "base/InputManager.h"
#include "platform/InputSource.h"
#include "platform/sdl/SdlBackend.h"

namespace orrivel {
namespace {

constexpr const char* kTitle = "OrrivelXvfbInput";

bool RunXdotool(const std::string& arguments) { return test::RunXdotool(kTitle, arguments); }

// Forwards the window's key messages to the input manager in use.
class KeyForwarder : public platform::WindowClient {
 public:
  intptr_t WindowProcedure(platform::WindowId window, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    if (input && (message == platform::WM_KEYDOWN || message == platform::WM_SYSKEYDOWN)) input->OnKeyDown(wParam, lParam);
    if (input && (message == platform::WM_KEYUP || message == platform::WM_SYSKEYUP)) input->OnKeyUp(wParam, lParam);
    return platform::CurrentBackend().DefWindowProc(window, message, wParam, lParam);
  }
  InputManager* input = nullptr;
};

bool FramesUntil(platform::Backend& backend, InputManager& input, const std::function<bool()>& condition) {
  return test::FramesUntil(backend, [&] { input.Update(); }, condition);
}

void RunUnderTheDisplay() {
  std::string error;
  auto backend = platform::SdlBackend::Create(&error);
  if (!backend) GTEST_SKIP() << test::kNoDisplayMark << " " << error;
  platform::ScopedBackend scoped(*backend);
  KeyForwarder client;
  ASSERT_TRUE(backend->RegisterClass(platform::WindowClass{"XvfbInput"}));
  platform::WindowCreateParams params;
  params.className = "XvfbInput";
  params.text = kTitle;
  params.style = platform::WS_CAPTION;
  params.width = 160;
  params.height = 120;
  params.client = &client;
  platform::WindowId window = backend->CreateWindow(params);
  ASSERT_NE(window, platform::kNoWindow);
  backend->ShowWindow(window, platform::SW_SHOW);

  {
    SCOPED_TRACE("window messages");
    InputManager input;
    client.input = &input;
    ASSERT_EQ(input.CreateDevices(2), 0);
    input.Activate();
    ActionMap* map = nullptr;
    ASSERT_EQ(input.CreateActionMap(20, &map), 0);
    InstallDefaultBindings(*map);
    ASSERT_TRUE(RunXdotool("key Return"));
    // Pressed for exactly one frame, and released by then.
    ASSERT_TRUE(FramesUntil(*backend, input, [&] { return map->IsPressed(4); }));
    EXPECT_TRUE(FramesUntil(*backend, input, [&] { return !map->IsPressed(4) && !map->IsDown(4); }));
    ASSERT_TRUE(RunXdotool("keydown Left"));
    EXPECT_TRUE(FramesUntil(*backend, input, [&] { return map->FindHeldAction(0, 0) == 2; }));
    ASSERT_TRUE(RunXdotool("keyup Left"));
    EXPECT_TRUE(FramesUntil(*backend, input, [&] { return map->FindHeldAction(0, 0) == -1; }));
    client.input = nullptr;
  }
  {
    SCOPED_TRACE("polled keyboard state");
    InputManager input;
    ASSERT_EQ(input.CreateDevices(1), 0);
    input.Activate();
    ActionMap* map = nullptr;
    ASSERT_EQ(input.CreateActionMap(20, &map), 0);
    InstallDefaultBindings(*map);
    ASSERT_TRUE(RunXdotool("keydown Escape"));
    EXPECT_TRUE(FramesUntil(*backend, input, [&] { return map->IsDown(5); }));
    ASSERT_TRUE(RunXdotool("keyup Escape keydown KP_Enter"));
    EXPECT_TRUE(FramesUntil(*backend, input, [&] { return !map->IsDown(5) && map->IsDown(4); }));
    ASSERT_TRUE(RunXdotool("keyup KP_Enter"));
    EXPECT_TRUE(FramesUntil(*backend, input, [&] { return !map->IsDown(4); }));
  }
  {
    SCOPED_TRACE("the program's cursors");
    platform::InputSource& source = platform::CurrentInputSource();
    for (uint32_t id = 120; id <= 123; ++id) {
      const uint32_t handle = source.ResourceCursor(id);
      EXPECT_NE(handle, 0u) << id;
      EXPECT_EQ(source.ResourceCursor(id), handle) << "made once";
      source.SetCursor(handle);
    }
    EXPECT_EQ(source.ResourceCursor(124), 0u);
    source.SetCursor(source.SystemCursor(0));
  }
  backend->DestroyWindow(window);
}

TEST(SdlInputXvfbTest, TypedKeysReachTheActionMap) {
  if (test::IsXvfbChild()) {
    RunUnderTheDisplay();
    return;
  }
  test::RerunUnderXvfb("SdlInputXvfbTest.TypedKeysReachTheActionMap");
}

}  // namespace
}  // namespace orrivel
