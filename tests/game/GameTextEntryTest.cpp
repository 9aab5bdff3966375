// A script's text entry in the running game, typed into from an input file:
// characters, the caret keys, Delete and an input-method composition reach
// the focused entry through the main window's text-input hook; its caret
// blinks on the game's timer list; the mode indicator shows beside it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "RunningGame.h"
#include "TestBuildDirs.h"
#include "natives/GameControlHost.h"
#include "natives/ProcessObjects.h"
#include "platform/Backend.h"
#include "platform/ScriptedRun.h"
#include "scene/ImeModeIndicator.h"
#include "scene/TextEntryControl.h"

namespace orrivel {
namespace {

using testing::RunningGameTest;

// MAIN makes a screen canvas, a font, a text entry with the mode indicator,
// puts the entry in the control host, focuses it and hooks the main
// window's typing; then it lets the controls take their input every frame.
constexpr const char* kTypesIntoAnEntry = R"(
vars
  int font = 0
  int canvas = 0
  int entry = 0
  int result = 0
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

class GameTextEntryTest : public RunningGameTest {};

// The input file types "ab", Left, Delete, composes "かな" and commits it:
// the entry holds "ab" with the caret after it, then the caret one
// character back, then "a" (Delete took the character at the caret), then
// the composition drawn at the caret without touching the text, then
// "aかな" with the caret at its end; Home, Right and End move the caret by
// whole characters. The caret blinks while nothing is
// typed; the indicator beside the entry shows the input method's mode.
TEST_F(GameTextEntryTest, TypingKeysAndACompositionReachTheFocusedEntry) {
  WriteScripts(kTypesIntoAnEntry);
  std::vector<platform::ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(platform::ReadScriptedInputFile(ORRIVEL_SOURCE_DIR "/tests/game/scripted/text-entry.input", events,
                                              &error))
      << error;
  platform::ScriptedRun input(std::move(events), true);

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

}  // namespace
}  // namespace orrivel
