#pragma once
// Scripted runs: a small text of timed events that drives a run without a
// player. Each line is a frame number followed by one command:
//
//   <frame> click X Y          left button down at X, Y (client pixels), up a frame later
//   <frame> rclick X Y         the same with the right button
//   <frame> move X Y           the pointer moves to X, Y
//   <frame> keydown KEY        a key goes down; KEY is a key name, optionally
//   <frame> keyup KEY          with modifiers in front: Ctrl+Shift+Alt+S
//   <frame> key KEY            down now, up a frame later
//   <frame> wheel N            N wheel notches (positive: away from the player)
//   <frame> text WORDS...      typed text (UTF-8), the rest of the line
//   <frame> compose WORDS...   the input method's composition (UTF-8), the
//                              rest of the line, its cursor at the end; a
//                              later compose replaces it
//   <frame> commit             the composition ends and its text is typed
//   <frame> snapshot NAME      writes the frame on screen as NAME (".png" added)
//   <frame> close              asks the window to close, as its close box does
//   <frame> answer BUTTON [checked|unchecked]
//                              the answer of the next dialog the game shows:
//                              ok, yes, no or a control number, and the state
//                              of its check box (else left as it is)
//   <frame> quit               ends the run
//
// Blank lines and lines starting with '#' are ignored. Frames count from 1
// (the first frame the game shows) and must not go backwards. A UTF-8 byte
// order mark in front of the first line is skipped.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel::platform {

struct ScriptedEvent {
  enum class Kind : uint8_t {
    Click, RightClick, Move, KeyDown, KeyUp, Key, Wheel, Text, Snapshot, Quit, Close, Answer, Compose, Commit
  };
  enum Modifier : uint8_t { kCtrl = 1, kShift = 2, kAlt = 4 };

  uint32_t frame = 0;
  Kind kind = Kind::Quit;
  int32_t x = 0;
  int32_t y = 0;
  int32_t notches = 0;
  uint8_t key = 0;        // the key's code in the engine's key table
  uint8_t modifiers = 0;  // Modifier bits
  std::string text;       // typed or composed text, or the snapshot's file name
  // Answer: the control pressed (1 OK or Yes, 2 No) and the check box's
  // state (-1 left as it is, 0 off, 1 on).
  uint16_t button = 0;
  int8_t check = -1;
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Takes the text a line at a time (without its line end), so that a file
// can be read in pieces.
class ScriptedInputParser {
 public:
  // Clears `events` and appends each line's event to it.
  explicit ScriptedInputParser(std::vector<ScriptedEvent>& events);
  // False on a bad line, with Error() saying "line N: why".
  bool AddLine(std::string_view line);
  const std::string& Error() const { return error_; }
  uint32_t LineNumber() const { return lineNumber_; }

 private:
  bool Fail(const std::string& why);

  std::vector<ScriptedEvent>& events_;
  uint32_t lineNumber_ = 0;
  uint32_t lastFrame_ = 1;
  std::string error_;
};

// Reads the whole text; false with "line N: why" on the first bad line.
bool ParseScriptedInput(std::string_view text, std::vector<ScriptedEvent>& events, std::string* error);

// The key code of a key name of the key table (any case; "Ctrl", "Shift",
// "Alt", "Enter" and "Esc" are accepted too); 0 when there is none.
uint8_t KeyCodeFromName(std::string_view name);

}  // namespace orrivel::platform
