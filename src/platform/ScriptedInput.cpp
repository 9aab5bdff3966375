#include "platform/ScriptedInput.h"

#include <cctype>
#include <charconv>

#include "platform/KeyTable.h"

namespace orrivel::platform {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Takes the next blank-separated word off the front of `rest`.
std::string_view NextWord(std::string_view& rest) {
  rest = Trim(rest);
  size_t end = 0;
  while (end < rest.size() && !std::isspace(static_cast<unsigned char>(rest[end]))) ++end;
  std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

template <typename T>
bool ParseNumber(std::string_view word, T& out) {
  if (word.empty()) return false;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out);
  return ec == std::errc() && end == word.data() + word.size();
}

bool ParseKeyChord(std::string_view chord, ScriptedEvent& event) {
  for (;;) {
    const size_t plus = chord.find('+', 1);
    if (plus == std::string_view::npos) break;
    const std::string_view modifier = chord.substr(0, plus);
    if (SameName(modifier, "ctrl")) event.modifiers |= ScriptedEvent::kCtrl;
    else if (SameName(modifier, "shift")) event.modifiers |= ScriptedEvent::kShift;
    else if (SameName(modifier, "alt")) event.modifiers |= ScriptedEvent::kAlt;
    else return false;
    chord.remove_prefix(plus + 1);
  }
  event.key = KeyCodeFromName(chord);
  return event.key != 0;
}

struct CommandName {
  const char* name;
  ScriptedEvent::Kind kind;
};

constexpr CommandName kCommands[] = {
    {"click", ScriptedEvent::Kind::Click},     {"rclick", ScriptedEvent::Kind::RightClick},
    {"move", ScriptedEvent::Kind::Move},       {"keydown", ScriptedEvent::Kind::KeyDown},
    {"keyup", ScriptedEvent::Kind::KeyUp},     {"key", ScriptedEvent::Kind::Key},
    {"wheel", ScriptedEvent::Kind::Wheel},     {"text", ScriptedEvent::Kind::Text},
    {"snapshot", ScriptedEvent::Kind::Snapshot}, {"quit", ScriptedEvent::Kind::Quit},
    {"close", ScriptedEvent::Kind::Close},     {"answer", ScriptedEvent::Kind::Answer},
    {"compose", ScriptedEvent::Kind::Compose}, {"commit", ScriptedEvent::Kind::Commit},
};

// "ok" and "yes" press control 1, "no" control 2, a number its control.
bool ParseAnswer(std::string_view& rest, ScriptedEvent& event) {
  const std::string_view button = NextWord(rest);
  if (SameName(button, "ok") || SameName(button, "yes")) {
    event.button = 1;
  } else if (SameName(button, "no")) {
    event.button = 2;
  } else {
    int32_t id = 0;
    if (!ParseNumber(button, id) || id <= 0 || id > 0xFFFF) return false;
    event.button = uint16_t(id);
  }
  const std::string_view check = NextWord(rest);
  if (SameName(check, "checked")) event.check = 1;
  else if (SameName(check, "unchecked")) event.check = 0;
  else if (!check.empty()) return false;
  return true;
}

// The command's arguments; "" when they are good, else why not.
const char* ParseArguments(std::string_view rest, ScriptedEvent& event) {
  using Kind = ScriptedEvent::Kind;
  switch (event.kind) {
    case Kind::Click:
    case Kind::RightClick:
    case Kind::Move:
      if (!ParseNumber(NextWord(rest), event.x) || !ParseNumber(NextWord(rest), event.y)) return "expected X Y";
      break;
    case Kind::KeyDown:
    case Kind::KeyUp:
    case Kind::Key:
      if (!ParseKeyChord(NextWord(rest), event)) return "unknown key";
      break;
    case Kind::Wheel:
      if (!ParseNumber(NextWord(rest), event.notches) || event.notches == 0) return "expected a non-zero notch count";
      break;
    case Kind::Text:
    case Kind::Compose:
      event.text = std::string(Trim(rest));
      if (event.text.empty()) return "expected text";
      return "";
    case Kind::Snapshot:
      event.text = std::string(NextWord(rest));
      if (event.text.empty()) return "expected a file name";
      break;
    case Kind::Answer:
      if (!ParseAnswer(rest, event)) return "expected ok, yes, no or a control number, then checked or unchecked";
      break;
    case Kind::Quit:
    case Kind::Close:
    case Kind::Commit:
      break;
  }
  return Trim(rest).empty() ? "" : "unexpected words at the end";
}

}  // namespace

uint8_t KeyCodeFromName(std::string_view name) {
  struct Alias {
    const char* name;
    uint8_t code;
  };
  static constexpr Alias kAliases[] = {
      {"ctrl", DIK_LCONTROL}, {"shift", DIK_LSHIFT}, {"alt", DIK_LMENU}, {"enter", DIK_RETURN}, {"esc", DIK_ESCAPE},
  };
  for (const Alias& alias : kAliases) {
    if (SameName(name, alias.name)) return alias.code;
  }
  for (const KeyTableRow& row : KeyTable()) {
    if (SameName(name, row.name)) return row.code;
  }
  return 0;
}

ScriptedInputParser::ScriptedInputParser(std::vector<ScriptedEvent>& events) : events_(events) { events_.clear(); }

bool ScriptedInputParser::Fail(const std::string& why) {
  error_ = "line " + std::to_string(lineNumber_) + ": " + why;
  return false;
}

bool ScriptedInputParser::AddLine(std::string_view line) {
  ++lineNumber_;
  // Editors that save "UTF-8 with BOM" put three bytes in front of the
  // first line; they are not part of its frame number.
  if (lineNumber_ == 1 && line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
  line = Trim(line);
  if (line.empty() || line.front() == '#') return true;

  ScriptedEvent event;
  if (!ParseNumber(NextWord(line), event.frame) || event.frame == 0) return Fail("expected a frame number from 1");
  if (event.frame < lastFrame_) return Fail("frame " + std::to_string(event.frame) + " goes backwards");
  lastFrame_ = event.frame;
  const std::string_view command = NextWord(line);
  bool known = false;
  for (const CommandName& entry : kCommands) {
    if (command == entry.name) {
      event.kind = entry.kind;
      known = true;
    }
  }
  if (!known) return Fail("unknown command \"" + std::string(command) + "\"");
  const std::string why = ParseArguments(line, event);
  if (!why.empty()) return Fail(std::string(command) + ": " + why);
  events_.push_back(std::move(event));
  return true;
}

bool ParseScriptedInput(std::string_view text, std::vector<ScriptedEvent>& events, std::string* error) {
  ScriptedInputParser parser(events);
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!parser.AddLine(line)) {
      if (error) *error = parser.Error();
      return false;
    }
  }
  return true;
}

}  // namespace orrivel::platform
