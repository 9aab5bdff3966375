#pragma once
// The desktop's clipboard for text. The engine's text is CP932; the
// clipboard holds it as the desktop's own text, so the round trip goes
// through the codec. The SDL back end uses the desktop's clipboard; the
// headless one keeps the text in memory (for tests and runs without a
// display).
#include <optional>
#include <string>
#include <string_view>

namespace orrivel::platform {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Replaces the clipboard's contents; false when the desktop refuses.
  virtual bool SetText(std::string_view cp932) = 0;
  // The clipboard's text in CP932 (characters with no CP932 form become
  // "?"); none when it holds no text.
  virtual std::optional<std::string> GetText() = 0;
};

// The clipboard of the back end in use.
Clipboard& CurrentClipboard();

}  // namespace orrivel::platform
