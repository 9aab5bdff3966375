// The application natives see the running game: its settings blocks in
// place, its pacing nestings and its live screen mode.
#include "game/GameNativePort.h"

#include <gtest/gtest.h>

#include <utility>

#include "game/GameApplication.h"
#include "natives/SystemNativePort.h"
#include "platform/Clipboard.h"
#include "platform/Messages.h"
#include "platform/headless/HeadlessBackend.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {
namespace {

uint32_t CallNative(GameScriptHost& host, uint32_t gameNumber, std::initializer_list<uint32_t> cells) {
  const uint32_t block = host.Space().Allocate(cells.size() * 4);
  uint32_t at = block;
  for (uint32_t cell : cells) host.Space().Write32(std::exchange(at, at + 4), cell);
  NativeArgs args(host.Space(), nullptr, block);
  const uint32_t result = host.Natives()[gameNumber + 3](args);
  host.Space().Free(block);
  return result;
}

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
// dialog and gets the accepted text within its buffer.
TEST(GameNativePort, TheTextInputDialogAnswersNative70) {
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  GameApplication app;
  GameHostSetup setup;
  setup.logSink = [](const std::string&) {};
  GameScriptHost host(setup);
  GameNativePort port(app);
  std::string caption;
  app.textInputOpened = [&](platform::WindowId window) {
    caption = backend.GetWindowText(window);
    backend.PostTextInput(window, "\xE3\x81\x84\xE3\x81\x86x");  // two full-width letters, then x
    backend.PostMessage(window, platform::WM_COMMAND, 1, 0);
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
  EXPECT_EQ(port.textInput.prompt, "Ask");
  // The initial text erased: an empty answer leaves the buffer as it was.
  app.textInputOpened = [&](platform::WindowId window) {
    for (int i = 0; i < 3; ++i) backend.PostMessage(window, platform::WM_CHAR, platform::VK_BACK, 0);
    backend.PostMessage(window, platform::WM_COMMAND, 1, 0);
  };
  EXPECT_EQ(CallNative(host, 70, {buffer}), 1u);
  ASSERT_TRUE(host.Space().ReadString(buffer, answer));
  EXPECT_EQ(answer, "\x82\xa0\x82\xa2");
  host.Space().Free(buffer);
  host.Space().Free(texts);
}

}  // namespace
}  // namespace orrivel
