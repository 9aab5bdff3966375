// The application natives see the running game: its settings blocks in
// place, its pacing nestings and its live screen mode.
#include "game/GameNativePort.h"

#include <gtest/gtest.h>

#include "../scene/BlockFont.h"
#include "../scene/SceneTestSupport.h"
#include "GameNativeCalls.h"
#include "RunningGame.h"
#include "game/AppSettings.h"
#include "game/GameApplication.h"
#include "game/MessageColours.h"
#include "natives/SystemNativePort.h"
#include "natives/WindowCommandRecords.h"
#include "platform/Clipboard.h"
#include "platform/Messages.h"
#include "platform/headless/HeadlessBackend.h"
#include "raster/SpriteList.h"
#include "scene/TextListControl.h"
#include "scene/WindowControl.h"
#include "script/ScriptAddressSpace.h"
#include "text/OutlineFont.h"
#include "text/SurfaceText.h"

namespace orrivel {
namespace {

using testing::CallNative;

TEST(GameNativePort, NativesReachTheGameWhileThePortLives) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameApplication app;
  GameHostSetup setup;
  setup.logSink = [](const std::string&) {};
  GameScriptHost host(setup);
  AppNativePort* const before = &AppPort();
  SystemNativePort* const systemBefore = &SystemPort();
  {
    GameNativePort port(app);
    EXPECT_EQ(&AppPort(), &port);
    // The sound natives drive the game's own sound system; saves go to
    // the game's save service, which without booted scripts has no state
    // to write (6), no file to load (-1) and no snapshot to take (1).
    EXPECT_EQ(SystemSounds(), &app.sound);
    EXPECT_EQ(CallNative(host, 593, {0, 0, 0}), 0u);
    EXPECT_TRUE(app.sound.HasPrimaryBuffer());
    EXPECT_EQ(CallNative(host, 40, {1, 2}), 6u);
    EXPECT_EQ(CallNative(host, 41, {1, 2}), uint32_t(-1));
    EXPECT_EQ(CallNative(host, 47, {}), 1u);
    EXPECT_EQ(CallNative(host, 49, {}), 0u);
    // Group 3 index 17, the master level, is the block's word at 88.
    EXPECT_EQ(CallNative(host, 5, {3, 17, 0x00C0FFEE}), 0u);
    EXPECT_EQ(BlockU32(app.settings.blocks.appConfig, 88), 0x00C0FFEEu);
    app.settings.blocks.appConfig[130] = 2;
    EXPECT_EQ(CallNative(host, 6, {4, 0}), 2u);
    // The nestings are the application's.
    CallNative(host, 12, {});
    EXPECT_EQ(app.pacing.ForcedVSyncCount(), 1);
    CallNative(host, 13, {});
    EXPECT_EQ(app.pacing.ForcedVSyncCount(), 0);
    // The live mode: 2 (window) reads as 1.
    app.screenMode = 2;
    EXPECT_EQ(CallNative(host, 3, {9}), 1u);
    app.screenMode = 1;
    EXPECT_EQ(CallNative(host, 3, {9}), 0u);
    // Native 69's text reaches the back end's clipboard.
    const uint32_t text = host.Space().Allocate(8);
    host.Space().WriteBytes(text, "\x82\xa0" "abc", 6);
    EXPECT_EQ(CallNative(host, 69, {text, 0}), 0u);
    host.Space().Free(text);
    EXPECT_EQ(platform::CurrentClipboard().GetText().value_or(""), "\x82\xa0" "abc");
  }
  EXPECT_EQ(&SystemPort(), systemBefore);
  EXPECT_EQ(&AppPort(), before);
}

// Native 71 describes the request, native 70 asks the player through the
// main window's text-input dialog and gets the accepted text within its
// buffer.
class GameNativePortRun : public testing::RunningGameTest {};

TEST_F(GameNativePortRun, TheTextInputDialogAnswersNative70) {
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_NE(app.scripts, nullptr);
    GameScriptHost& host = *app.scripts;
    std::string caption;
    platform::WindowId owner = platform::kNoWindow;
    app.textInputOpened = [&](platform::WindowId window) {
      caption = backend().GetWindowText(window);
      owner = backend().GetParent(window);
      backend().PostTextInput(window, "\xE3\x81\x84\xE3\x81\x86x");  // two full-width letters, then x
      backend().PostMessage(window, platform::WM_COMMAND, 1, 0);
    };
    const uint32_t texts = host.Space().Allocate(16);
    host.Space().WriteBytes(texts, "Cap\0Ask", 8);
    EXPECT_EQ(CallNative(host, 71, {texts, texts + 4, 1, 4, 1, 0, uint32_t(-1), uint32_t(-1)}), 0u);
    const uint32_t buffer = host.Space().Allocate(8);
    host.Space().WriteBytes(buffer, "\x82\xa0", 3);  // the edit starts with it
    EXPECT_EQ(CallNative(host, 70, {buffer}), 0u);
    std::string answer;
    ASSERT_TRUE(host.Space().ReadString(buffer, answer));
    EXPECT_EQ(answer, "\x82\xa0\x82\xa2");  // full width only, four bytes at most
    EXPECT_EQ(caption, "Cap");
    EXPECT_EQ(owner, app.mainWindow.GetHandle());
    EXPECT_EQ(AppPort().textInput.prompt, "Ask");
    // The initial text erased: an empty answer leaves the buffer as it was.
    app.textInputOpened = [&](platform::WindowId window) {
      for (int i = 0; i < 3; ++i) backend().PostMessage(window, platform::WM_CHAR, platform::VK_BACK, 0);
      backend().PostMessage(window, platform::WM_COMMAND, 1, 0);
    };
    EXPECT_EQ(CallNative(host, 70, {buffer}), 1u);
    ASSERT_TRUE(host.Space().ReadString(buffer, answer));
    EXPECT_EQ(answer, "\x82\xa0\x82\xa2");
    host.Space().Free(buffer);
    host.Space().Free(texts);
  });
}

// Native 593 has the main window remake the sound device (its command
// 40030), so a device made again is made on the window's thread: the cells'
// format is the one the device takes, and the result lands in cell 0.
TEST_F(GameNativePortRun, Native593RemakesTheSoundDeviceThroughTheMainWindow) {
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_NE(app.scripts, nullptr);
    GameScriptHost& host = *app.scripts;
    const auto restartCommands = [&] {
      int count = 0;
      for (const platform::Message& m : backend().Transcript()) {
        count += m.window == app.mainWindow.GetHandle() && m.message == platform::WM_COMMAND &&
                 (m.wParam & 0xFFFF) == kCommandRestartSound;
      }
      return count;
    };
    const int before = restartCommands();
    const uint32_t cells = host.Space().Allocate(12);
    const uint32_t values[] = {1, 22, 8};  // one channel, 22 kHz, 8 bits
    for (uint32_t i = 0; i < 3; ++i) host.Space().Write32(cells + 4 * i, values[i]);
    NativeArgs args(host.Space(), nullptr, cells);
    EXPECT_EQ(host.Natives()[593 + 3](args), 0u);
    uint32_t result = 1;
    ASSERT_TRUE(host.Space().Read32(cells, result));
    EXPECT_EQ(result, 0u);
    host.Space().Free(cells);
    EXPECT_EQ(restartCommands(), before + 1);
    EXPECT_EQ(app.sound.PrimaryFormat().channels, 1);
    EXPECT_EQ(app.sound.PrimaryFormat().samplesPerSec, 22050u);
  });
}

// Native 9 outside a text-adventure frame: a window (kind 5) and a text
// list (kind 6) the scripts hold get the player's message background, the
// list's font the shadow switch, and the default font the gradient; a
// handle of another kind or none is passed over.
class GameNativePortScene : public test::SceneTest {};

TEST_F(GameNativePortScene, MessageSettingsColourTheScriptsObjects) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameApplication app;
  GameHostSetup setup;
  setup.logSink = [](const std::string&) {};
  app.scripts = std::make_unique<GameScriptHost>(setup);
  GameScriptHost& host = *app.scripts;
  GameNativePort port(app);
  AppSettings::AppConfigBlock& block = app.settings.blocks.appConfig;
  block[MessageColours::kFrameMode] = 2;
  block[MessageColours::kAlpha] = 200;
  SetBlockU32(block, MessageColours::kColour, 0x00123456);
  block[MessageColours::kShadow] = 1;
  block[MessageColours::kGradient] = 1;

  SpriteList sprites;
  test::BlockFont font;
  WindowControl window, otherKind;
  ASSERT_EQ(window.Create(&sprites, 1, 64, 32, 0, 0, &font, nullptr, 0), 0);
  ASSERT_EQ(otherKind.Create(&sprites, 1, 64, 32, 0, 0, &font, nullptr, 0), 0);
  TextListControl list;
  ASSERT_EQ(list.Configure(&sprites, 2, 100, 100, 60, 20, 0, &font, 0), 0);
  ScriptHandles& handles = host.Handles();
  const uint32_t windowHandle = handles.Insert(&window, HandleFamily::Control, 5);
  const uint32_t wrongHandle = handles.Insert(&otherKind, HandleFamily::Control, 0);
  const uint32_t listHandle = handles.Insert(&list, HandleFamily::Control, 6);
  OutlineFont defaultFont;
  Font* const previousDefault = SetDefaultFont(&defaultFont);

  EXPECT_EQ(CallNative(host, 9, {0, 0, windowHandle, listHandle, 0, 1, 0}), 0u);
  // Stored: the same background again changes nothing (-1).
  EXPECT_EQ(window.SetBackground(2, 0x123456, 200), -1);
  EXPECT_EQ(list.SetBackground(2, 0x123456, 200), -1);
  EXPECT_EQ(font.shadowX, MessageColours::kShadowDistance);
  EXPECT_TRUE(defaultFont.GradientEnabled());
  EXPECT_EQ(defaultFont.GradientTop(), MessageColours::kGradientTop);

  // Only when changed, with nothing changed: nothing happens.
  block[MessageColours::kAlpha] = 100;
  port.settingsChanged = 0;
  EXPECT_EQ(CallNative(host, 9, {1, 0, windowHandle, listHandle, 0, 1, 0}), 0u);
  EXPECT_EQ(window.SetBackground(2, 0x123456, 200), -1);
  // A handle of another kind, the list named as a window and none at all.
  EXPECT_EQ(CallNative(host, 9, {0, 0, wrongHandle, windowHandle, 0, 0, 0}), 0u);
  EXPECT_EQ(otherKind.SetBackground(0, 0, 0), -1);
  EXPECT_EQ(CallNative(host, 9, {0, 0, listHandle, 0, 0, 0, 0}), 0u);
  EXPECT_EQ(list.SetBackground(2, 0x123456, 200), -1);
  EXPECT_EQ(CallNative(host, 9, {0, 0, uint32_t(-1), 0, 0, 0, 0}), 0u);
  SetDefaultFont(previousDefault);
  window.Release();
  otherKind.Release();
}

// Native 1's window options are the running game's at once and are the
// ones stored at exit.
TEST(GameNativePort, WindowOptionsOfNative1AreLiveAndStored) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameApplication app;
  GameHostSetup setup;
  setup.logSink = [](const std::string&) {};
  GameScriptHost host(setup);
  GameNativePort port(app);
  app.centreCursorAfterModeChange = true;
  app.pauseWhenInactive = false;
  EXPECT_EQ(CallNative(host, 1, {0, 0}), 0u);
  EXPECT_EQ(CallNative(host, 1, {2, 1}), 0u);
  EXPECT_EQ(CallNative(host, 1, {3, 1234}), 0u);
  EXPECT_FALSE(app.centreCursorAfterModeChange);
  EXPECT_TRUE(app.pauseWhenInactive);
  EXPECT_EQ(app.menuHoverDelay, 1234);
  StoreFromApplication(app, app.settings.blocks);
  const AppSettings::WindowBlock& window = app.settings.blocks.window;
  EXPECT_EQ(window[10], 0);
  EXPECT_EQ(window[13], 1);
  EXPECT_EQ(window[11] | window[12] << 8, 1234);
  EXPECT_EQ(CallNative(host, 2, {0}), 0u);
  EXPECT_EQ(CallNative(host, 2, {2}), 1u);
  EXPECT_EQ(CallNative(host, 2, {3}), 1234u);
}

}  // namespace
}  // namespace orrivel
