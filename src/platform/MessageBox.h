#pragma once
// Message boxes at the platform edge: texts arrive as CP932 and are shown as
// UTF-8. The answer uses the engine's result numbers.
#include <cstdint>
#include <string>

#include "platform/Messages.h"

namespace orrivel::platform {

enum class MessageBoxIcon : uint8_t { None = 0, Exclamation = 1, Information = 2, Question = 3, Stop = 4 };
enum class MessageBoxButtons : uint8_t { Ok, YesNo, OkCancel };

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
// Added to the answer of a box that offered its check text as a further
// button ("OK, and do not show this again") when that button was chosen.
constexpr int kAnswerChecked = 0x100;

struct MessageBoxRequest {
  std::string text;     // CP932
  std::string caption;  // CP932
  MessageBoxIcon icon = MessageBoxIcon::None;
  MessageBoxButtons buttons = MessageBoxButtons::Ok;
  WindowId owner = kNoWindow;
  bool systemModal = false;  // owned by the desktop: on top of everything
  // A check box of the game's dialogs (CP932; empty for none): offered as a
  // further button that answers OK or Yes with kAnswerChecked added.
  std::string checkText;
};

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // Blocks until answered; IDOK, IDCANCEL, IDYES or IDNO.
  virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
};

}  // namespace orrivel::platform
