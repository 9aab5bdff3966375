#pragma once
// What the message-box and dialog natives reach of the game shell: the
// main window's message boxes and the game's own message dialogs. The game
// shell installs its port while its main window can answer; until then the
// natives answer as a game without a window (0, nothing shown).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orrivel {

struct ShellNativePort {
  // A message box shown by the main window: kind 0 OK, 1 Yes/No, 2
  // OK/Cancel; icon 1-4; a missing caption is the title. 1 for Yes or OK.
  std::function<uint8_t(uint8_t kind, const std::string& text, const std::optional<std::string>& caption,
                        uint8_t icon)>
      messageBox;
  // One of the game's message dialogs (kind 0 notice, 2 question) asked of
  // the main window from any thread; the answer byte (1 Yes or OK, 0 No or
  // not shown).
  std::function<uint8_t(uint8_t kind, const std::string& text, int32_t value)> dialogRequest;
};

// The process-wide port (an empty one until the shell installs its own).
ShellNativePort& ShellPort();
// Installs a port (null goes back to the empty one); returns the previous.
ShellNativePort* SetShellPort(ShellNativePort* port);

}  // namespace orrivel
