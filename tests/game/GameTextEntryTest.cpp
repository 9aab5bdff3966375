// A script's text entry in the running game, typed into from an input file:
// characters, the caret keys, Delete and an input-method composition reach
// the focused entry through the main window's text-input hook; its caret
// blinks on the game's timer list; the mode indicator shows beside it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "RunningGame.h"
#include "TestBuildDirs.h"
#include "natives/GameControlHost.h"
#include "natives/ProcessObjects.h"
#include "platform/Backend.h"
#include "platform/ScriptedRun.h"
#include "scene/ImeModeIndicator.h"
#include "scene/TextEntryControl.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {
namespace {

using testing::RunningGameTest;

// MAIN makes a screen canvas, a font, a text entry with the mode indicator,
// puts the entry in the control host, focuses it and hooks the main
// window's typing; then it lets the controls take their input every frame
// and reads back what the entry holds (native 736 into $typed, the length
// of the text there into $length).
constexpr const char* kTypesIntoAnEntry = R"(
vars
  int font = 0
  int canvas = 0
  int entry = 0
  int result = 0
  int typed = 0
  int length = 0
scene MAIN
  native !NativeCreateOutlineFont @fontArgs $font
  native !NativeCreateCanvasImage @canvasArgs $canvas
  native !NativeSetScreenImage $canvas $result
  native !NativeSetControlCanvas $canvas $result
  mov $font @entryArgs+8
  native !NativeCreateTextEntry @entryArgs $entry
  mov $font @indicatorArgs
  native !NativeSetImeIndicator @indicatorArgs $result
  mov $entry @attachArgs
  native !NativeAttachControl @attachArgs $result
  native !NativeSetControlFocus $entry $result
  native !NativeSetTextInputHook @one $result
loop:
  native !NativeUpdateControls @none $result
  native !NativeGetControlValue $entry $typed
  native !StrLen $typed $length
  yield
  jmp @loop
data
fontArgs:        word @face 16
face:            string ""
canvasArgs:      word 640 480 32 1
entryArgs:       word 40 40 0 200 65535
indicatorArgs:   word 0 40 80
attachArgs:      word 0 -1
one:             word 1
none:            word 0
)";

// What the focused entry shows at the end of a frame.
struct EntryState {
  std::string text;
  int32_t caret = -1;
  int32_t caretX = 0;
  bool caretShown = false;
  std::string composition;
  bool compositionShown = false;
};

class GameTextEntryTest : public RunningGameTest {
 protected:
  // An input file of tests/game/scripted, its snapshots written into
  // `shots`.
  static platform::ScriptedRun TextEntryInput(const std::string& name = "text-entry",
                                              const std::string& shots = std::string()) {
    std::vector<platform::ScriptedEvent> events;
    std::string error;
    EXPECT_TRUE(platform::ReadScriptedInputFile(ORRIVEL_SOURCE_DIR "/tests/game/scripted/" + name + ".input", events,
                                                &error))
        << error;
    return platform::ScriptedRun(std::move(events), true, shots);
  }
};

// The input file types "ab", Left, Delete, composes "かな" and commits it:
// the entry holds "ab" with the caret after it, then the caret one
// character back, then "a" (Delete took the character at the caret), then
// the composition drawn at the caret without touching the text, then
// "aかな" with the caret at its end; Home, Right and End move the caret by
// whole characters. The caret blinks while nothing is
// typed; the indicator beside the entry shows the input method's mode.
TEST_F(GameTextEntryTest, TypingKeysAndACompositionReachTheFocusedEntry) {
  WriteScripts(kTypesIntoAnEntry);
  platform::ScriptedRun input = TextEntryInput();

  testing::ProgramObjects program;
  GameApplication app;
  std::vector<EntryState> frames;  // by frame number
  bool hooked = false;
  std::vector<const char*> indicatorLabels;
  bool indicatorShown = false;
  RunInput(app, input, [&] {
    ProcessObjects* objects = GetProcessObjects();
    ASSERT_NE(objects, nullptr);
    EntryState state;
    if (auto* entry = dynamic_cast<TextEntryControl*>(objects->ControlHost().GetFocused())) {
      state.text = entry->Text();
      state.caret = entry->GetCaret();
      state.caretX = entry->CaretSprite().GetX();
      state.caretShown = entry->CaretSprite().IsVisible();
      state.composition = entry->ShownComposition();
      state.compositionShown = entry->CompositionSprite().IsVisible();
      hooked = platform::CurrentBackend().GetWindowClient(app.mainWindow.GetHandle()) == &app.textInput;
      if (const ImeModeIndicator* indicator = objects->Controls().GetImeIndicator()) {
        indicatorLabels = indicator->ShownLabels();
        indicatorShown = indicator->Sprite().IsVisible();
      }
    }
    frames.resize(app.framesRun + 1);
    frames[app.framesRun] = state;
  });
  ASSERT_GE(frames.size(), 80u);
  EXPECT_TRUE(hooked) << "native 716 puts the hook in front of the main window";
  EXPECT_TRUE(indicatorShown);
  // The hook switched the window's text input on: an open input method,
  // in the modes assumed where the system does not tell them.
  ASSERT_EQ(indicatorLabels.size(), 2u);
  EXPECT_STREQ(indicatorLabels[0], "全");
  EXPECT_STREQ(indicatorLabels[1], "ひ");

  // Each input has had its frames to arrive (a key goes first, characters
  // follow on the next frame).
  EXPECT_EQ(frames[13].text, "ab");
  EXPECT_EQ(frames[13].caret, 2);
  EXPECT_EQ(frames[17].text, "ab");
  EXPECT_EQ(frames[17].caret, 1);
  EXPECT_LT(frames[17].caretX, frames[13].caretX) << "the caret is drawn where it stands";
  EXPECT_EQ(frames[21].text, "a");
  EXPECT_EQ(frames[21].caret, 1);
  EXPECT_EQ(frames[25].text, "a");
  EXPECT_EQ(frames[25].composition, "\x82\xA9\x82\xC8");
  EXPECT_TRUE(frames[25].compositionShown);
  EXPECT_EQ(frames[29].text, "a\x82\xA9\x82\xC8");
  EXPECT_EQ(frames[29].caret, 5);
  EXPECT_TRUE(frames[29].composition.empty());
  EXPECT_FALSE(frames[29].compositionShown);
  // Home, Right over the one-byte "a", End.
  EXPECT_EQ(frames[33].caret, 0);
  EXPECT_EQ(frames[37].caret, 1);
  EXPECT_EQ(frames[41].caret, 5);
  EXPECT_EQ(frames.back().text, "a\x82\xA9\x82\xC8");

  // Half a second on, half a second off, on the game's own timer list.
  std::set<bool> caretStates;
  for (size_t frame = 42; frame < frames.size(); ++frame) caretStates.insert(frames[frame].caretShown);
  EXPECT_EQ(caretStates.size(), 2u) << "the caret blinks";
}

// The script reads what the player typed: native 736 answers with the
// address of the entry's text in the script's memory, which the script's
// own string natives read, at each step of the typing.
TEST_F(GameTextEntryTest, TheScriptReadsTheTypedTextThroughTheControlValue) {
  WriteScripts(kTypesIntoAnEntry);
  platform::ScriptedRun input = TextEntryInput();
  testing::ProgramObjects program;
  GameApplication app;
  constexpr size_t kTyped = 4, kLength = 5;
  std::vector<std::pair<std::string, uint32_t>> read;  // by frame number
  RunInput(app, input, [&] {
    ASSERT_TRUE(app.scripts);
    ScriptAddressSpace& space = app.scripts->Space();
    uint32_t address = 0, length = 0;
    space.Read32(app.scripts->LiveRecords()[kTyped].address, address);
    space.Read32(app.scripts->LiveRecords()[kLength].address, length);
    std::string text = "(no text)";
    if (address != 0) space.ReadLiveString(address, text);
    read.resize(app.framesRun + 1);
    read[app.framesRun] = {text, length};
  });
  struct Case {
    size_t frame;
    const char* text;
  };
  const Case cases[] = {{8, ""}, {13, "ab"}, {17, "ab"}, {21, "a"}, {25, "a"}, {29, "a\x82\xA9\x82\xC8"}};
  ASSERT_GE(read.size(), 30u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    EXPECT_EQ(read[c.frame].first, c.text);
    EXPECT_EQ(read[c.frame].second, std::string(c.text).size());
  }
}

// The entry's focus came from the script (as from the keyboard); the
// pointer comes onto it and rests there. Enter gives up the focus, and a
// pointer at rest does not take it back: only a move over the box would.
TEST_F(GameTextEntryTest, EnterGivesUpTheFocusUnderAPointerAtRest) {
  WriteScripts(kTypesIntoAnEntry);
  platform::ScriptedRun input = TextEntryInput("text-entry-enter");
  testing::ProgramObjects program;
  GameApplication app;
  std::vector<std::pair<bool, bool>> seen;  // focused, hovered; by frame number
  RunInput(app, input, [&] {
    ProcessObjects* objects = GetProcessObjects();
    ASSERT_NE(objects, nullptr);
    GameControlHost& host = objects->ControlHost();
    seen.resize(app.framesRun + 1);
    seen[app.framesRun] = {host.GetFocused() != nullptr, host.GetHovered() != nullptr};
  });
  ASSERT_GE(seen.size(), 59u);
  EXPECT_TRUE(seen[12].first);
  EXPECT_TRUE(seen[12].second) << "the pointer is over the entry";
  for (size_t frame = 18; frame < 59; ++frame) {
    SCOPED_TRACE(frame);
    EXPECT_FALSE(seen[frame].first);
  }
}

// The box is opaque (native 742): the caret stands over it in the text
// colour, and a composition changes what the box shows at the caret. The
// box as the window shows it is checked against a reviewed picture.
TEST_F(GameTextEntryTest, TheCaretAndTheCompositionShowOverAnOpaqueBox) {
  std::string script = kTypesIntoAnEntry;
  const std::string create = "  native !NativeCreateTextEntry";
  script.replace(script.find(create), 0, "  native !NativeSetControlDefaults2 @opaqueBox $result\n");
  script += "opaqueBox: word 0x000080 0xFFF0F0F0 0\n";
  WriteScripts(script.c_str());
  const std::filesystem::path shots = folder_ / "shots";
  std::filesystem::create_directories(shots);
  platform::ScriptedRun input = TextEntryInput("text-entry-overlay", shots.string());
  testing::ProgramObjects program;
  GameApplication app;
  int32_t caretX = -1, caretY = -1;
  bool caretShown = false;
  RunInput(app, input, [&] {
    ProcessObjects* objects = GetProcessObjects();
    ASSERT_NE(objects, nullptr);
    auto* entry = dynamic_cast<TextEntryControl*>(objects->ControlHost().GetFocused());
    if (app.framesRun != 10 || entry == nullptr) return;
    caretX = entry->CaretSprite().GetX();
    caretY = entry->CaretSprite().GetY();
    caretShown = entry->CaretSprite().IsVisible();
  });
  ASSERT_TRUE(caretShown);
  tools::PngPicture caret, composing;
  std::string error;
  ASSERT_TRUE(tools::ReadPng((shots / "entry-caret.png").string(), &caret, &error)) << error;
  ASSERT_TRUE(tools::ReadPng((shots / "entry-composing.png").string(), &composing, &error)) << error;
  ASSERT_EQ(caret.width, composing.width);
  const auto rgb = [](const tools::PngPicture& p, int32_t x, int32_t y) {
    const size_t at = (size_t(y) * p.width + size_t(x)) * 4;
    return uint32_t(p.pixels[at + 2]) << 16 | uint32_t(p.pixels[at + 1]) << 8 | p.pixels[at];  // blue first
  };
  EXPECT_EQ(rgb(caret, caretX, caretY + 4), 0x000080u) << "the caret in the text colour";
  EXPECT_EQ(rgb(caret, caretX + 8, caretY + 4), 0xF0F0F0u) << "the box beside it";
  size_t changed = 0;
  for (int32_t y = caretY; y < caretY + 16; ++y)
    for (int32_t x = caretX; x < caretX + 32; ++x) changed += rgb(caret, x, y) != rgb(composing, x, y);
  EXPECT_GT(changed, 100u) << "the composition shows at the caret";
  // The box and what stands over it, 220 x 28 pixels from the box's corner.
  for (const auto& [picture, name] : {std::pair{&caret, "text_entry_caret"}, std::pair{&composing, "text_entry_composing"}}) {
    Surface box;
    ASSERT_EQ(box.Create(220, 28, 32, 0), 0);
    for (int32_t y = 0; y < 28; ++y)
      std::memcpy(box.GetScanLine(y), &picture->pixels[(size_t(36 + y) * picture->width + 36) * 4], 220 * 4);
    test::ExpectGolden(box, name, "game");
  }
}

}  // namespace
}  // namespace orrivel
