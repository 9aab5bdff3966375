// The text frame's menu state in the running game: a page that switches it
// off hides the main window's pointer, and native 55's command 8 brings it
// back only when a page switched it off.
#include <gtest/gtest.h>

#include <memory>

#include "RunningGame.h"
#include "base/MouseDevice.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "natives/GameScriptHost.h"
#include "platform/Messages.h"
#include "script/NativeArgs.h"

namespace orrivel {
namespace {

using testing::RunningGameTest;

constexpr uint32_t kSystemCommand = 55;
constexpr uint32_t kRestoreFrameMenu = 8;

uint32_t RestoreFrameMenu(GameScriptHost& host) {
  const uint32_t block = host.Space().Allocate(4);
  host.Space().Write32(block, kRestoreFrameMenu);
  NativeArgs args(host.Space(), nullptr, block);
  const uint32_t result = host.Natives()[kSystemCommand + 3](args);
  host.Space().Free(block);
  return result;
}

using GameFrameMenuTest = RunningGameTest;

TEST_F(GameFrameMenuTest, APageHidesThePointerAndCommandEightShowsItAgain) {
  GameApplication app;
  RunWith(app, [&app] {
    ASSERT_NE(app.scripts, nullptr);
    GameScriptHost& host = *app.scripts;
    MouseDevice* mouse = app.input ? app.input->Mouse() : nullptr;
    ASSERT_NE(mouse, nullptr);
    // Without a frame the command does nothing.
    mouse->SetCursorState(0, app.mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
    EXPECT_EQ(RestoreFrameMenu(host), 0u);
    EXPECT_EQ(mouse->CursorState(), 0u);

    TgsFrameSlot& slot = host.TextFrameSlot();
    slot.frame = std::make_unique<TgsFrame>(host.Space(), host.TextFrame().environment);
    MessageWindowState& window = slot.frame->WindowState();
    // Nothing switched off by a page: the pointer stays as the game left it.
    EXPECT_EQ(RestoreFrameMenu(host), 0u);
    EXPECT_EQ(mouse->CursorState(), 0u);
    mouse->SetCursorState(1, app.mainWindow.GetHandle(), platform::WM_APP_MODAL_NOTIFY);
    window.SwitchMenuStateOff();
    EXPECT_EQ(mouse->CursorState(), 0u);
    EXPECT_EQ(RestoreFrameMenu(host), 0u);
    EXPECT_EQ(mouse->CursorState(), 1u);
    EXPECT_FALSE(window.MenuStateOff());
    slot.frame.reset();
  });
}

}  // namespace
}  // namespace orrivel
