#pragma once
// What the text entry tests share: a headless game window with the
// text-input hook on it, a host that records the cursor, pointer and
// input-method services and hands typed input over through the hook as the
// game's host does, and a block font.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BlockFont.h"
#include "ControlTestSupport.h"
#include "FakeImeService.h"
#include "SceneTestSupport.h"
#include "base/TimerList.h"
#include "platform/Backend.h"
#include "platform/ImeService.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"
#include "raster/SpriteList.h"
#include "scene/TextEntryControl.h"
#include "scene/TextInputHook.h"

namespace orrivel::test {

class EntryHost : public RecordingHost {
 public:
  bool SetCursorKind(int32_t kind) override {
    cursorKind = kind;
    return true;
  }
  int32_t GetCursorKind() override { return cursorKind; }
  void ApplyCursorState(uint32_t state) override { Log("cursor " + std::to_string(state)); }
  void PostWindowCommand(uint8_t value) override {
    Log("ime " + std::to_string(value));
    if (hook) hook->PostWindowCommand(value);
  }
  bool DeliverTypedText(Control* control) override { return hook && control && hook->TakeTypedText(control); }

  TextInputHook* hook = nullptr;
  int32_t cursorKind = 0;
};

class TextEntryFixture : public SceneTest, protected HeadlessControlInput {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    Connect(host);
    platform::Ime().Reset();
    ASSERT_TRUE(backend.RegisterClass(platform::WindowClass{"game"}));
    platform::WindowCreateParams params;
    params.className = "game";
    params.client = &procedure;
    window = backend.CreateWindow(params);
    ASSERT_NE(window, platform::kNoWindow);
    hook.SetMainWindow(window);
    hook.AttachTextInputHook(window);
    host.hook = &hook;
  }
  void TearDown() override {
    platform::Ime().Reset();
    SceneTest::TearDown();
  }

  // A single-line box at (10, 20), inset 2, framed: 3 pixels before the text.
  std::unique_ptr<TextEntryControl> MakeEntry(int32_t length = 100, int32_t maxLength = 0) {
    auto entry = std::make_unique<TextEntryControl>();
    if (maxLength > 0) entry->SetMaxLength(maxLength);
    EXPECT_EQ(entry->Create(&list, 5, 10, 20, &font, length, 2, true, &timers, 0), 0);
    entry->SetImeContext(&hook.Ime());
    EXPECT_EQ(host.AddControl(entry.get(), -1), 0u);
    return entry;
  }
  // Typed text (UTF-8 turned into CP932) straight into the control.
  static bool Type(TextBufferControl& entry, const std::string& cp932) {
    return entry.OnChars(cp932.data(), int32_t(cp932.size()));
  }
  void Compose(const char* utf8, int32_t cursorChars) { platform::Ime().SetComposition(window, utf8, cursorChars); }
  // Messages reach the window's procedure, then the host runs a frame.
  int32_t Frame() {
    platform::Message m;
    while (backend.PeekMessage(m, true)) backend.DispatchMessage(m);
    Poll();
    return host.Update(clock.TickMs());
  }

  struct Procedure : platform::WindowClient {
    intptr_t WindowProcedure(platform::WindowId w, uint32_t m, uintptr_t wp, intptr_t lp) override {
      return platform::CurrentBackend().DefWindowProc(w, m, wp, lp);
    }
  } procedure;
  platform::HeadlessBackend backend;
  platform::ScopedBackend scopedBackend{backend};
  FakeImeService fakeIme;
  platform::ScopedImeService scopedIme{fakeIme};
  platform::WindowId window = platform::kNoWindow;
  TextInputHook hook;
  EntryHost host;
  SpriteList list;
  BlockFont font;
  TimerList timers;
};

inline std::string Sjis(const char* utf8) { return platform::Utf8ToCp932Lossy(utf8); }

}  // namespace orrivel::test
