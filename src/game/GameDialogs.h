#pragma once
// The game's own message dialogs (notices and questions, each with or
// without a "do not show again" check box) and the version dialog. The
// dialogs are laid out here, from the game's templates 105 to 109, fitted
// to their text, centred on their owner, and shown through the platform's
// dialog service. Other threads reach the message dialogs through the main
// window (private message 0x9009), which shows them on its own thread.
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "game/DialogLayer.h"
#include "platform/DialogService.h"
#include "platform/Rect.h"

namespace orrivel {

class GameApplication;

// Templates and control numbers.
inline constexpr uint16_t kVersionDialogTemplate = 105;
inline constexpr uint16_t kMessageDialogTemplate = 106;  // + kind (0 to 3)
inline constexpr uint16_t kControlOk = 1;                // OK or Yes
inline constexpr uint16_t kControlNo = 2;
inline constexpr uint16_t kControlFrame = 1011;
inline constexpr uint16_t kControlText = 1012;
inline constexpr uint16_t kControlCheck = 1013;
inline constexpr uint16_t kControlLink = 1014;
inline constexpr uint16_t kControlDetail = 1015;
inline constexpr uint16_t kControlCopy = 1016;
inline constexpr uint16_t kControlSave = 1017;

// A message dialog asked of the main window (kinds 0 notice, 1 notice with
// check box, 2 question, 3 question with check box). The result stays 0
// unless the dialog was shown: 1 for Yes or OK.
struct MessageDialogRecord {
  uint8_t kind = 0;
  std::string text;                    // CP932
  std::optional<std::string> caption;  // none: the title
  uint8_t* dontShowAgain = nullptr;    // the check box's byte, or none
  bool fit = false;
  uint8_t result = 0;
};

// Measures a text of the dialogs' font: its size, wrapped to a width (0:
// only at line ends). The line height is its height for one line.
using DialogTextMeasure = std::function<platform::Size(const std::string& text, int32_t wrapWidth)>;

class GameDialogs {
 public:
  explicit GameDialogs(GameApplication& app);

  // 0 for a null text or a notice (kinds 0 and 1); 1 Yes or 0 No for the
  // questions; other kinds show nothing and give 0. Owner none: the main
  // window, else the desktop.
  int ShowMessageDialog(const char* text, int kind, uint8_t* dontShowAgain = nullptr, const char* caption = nullptr,
                        bool fit = true, platform::WindowId owner = platform::kNoWindow);
  // The same from a record, the answer stored into it; 1 for a null record,
  // else 0.
  int ShowMessageDialogRecord(MessageDialogRecord* record);
  // From any thread: the main window shows the dialog and the answer comes
  // back (1 Yes or OK); 0 without a main window or when it was not shown.
  uint8_t SendMessageIfWindow(uint8_t kind, const std::string& text, const char* caption = nullptr,
                              uint8_t* dontShowAgain = nullptr, bool fit = true);
  // Whether the address is a record SendMessageIfWindow has in flight:
  // the request message is trusted with no other.
  bool IsSentRecord(const MessageDialogRecord* record);

  // The version dialog, until its OK button.
  void ShowVersionDialog();
  // "Version %d.%02d", then the build in hex when it is non-zero.
  static std::string VersionLine(uint8_t major, uint8_t minor, uint8_t build);
  // The machine's report as the version box shows it.
  std::string SystemInformationText();

  // The layout of a message dialog of the kind for the text (fitted when
  // asked), before it is placed on its owner.
  platform::DialogRequest MessageLayout(int kind, const std::string& text, bool fit);
  // Places the dialog's client area centred on the owner (the main window
  // when it shows, else the work area).
  void PlaceOnOwner(platform::DialogRequest& request);

  // The layer the dialogs are drawn in over their owner (made on first use).
  DialogLayer& Layer();

  // The text measure (the dialogs' outline font by default).
  void SetMeasure(DialogTextMeasure measure) { measure_ = std::move(measure); }

 private:
  platform::DialogAnswer Show(const platform::DialogRequest& request);
  void MoveCursorToDefault(const platform::DialogRequest& request, bool question);
  platform::DialogRequest VersionLayout(bool systemInfo, const std::string& info);
  void AskBeforeWebPage(bool& open);
  void SaveSystemInformation(const std::string& info);

  GameApplication& app_;
  DialogTextMeasure measure_;
  std::optional<DialogLayer> layer_;
  // Records in flight from SendMessageIfWindow: the only addresses the
  // request message is trusted with.
  std::mutex sentLock_;
  std::set<const MessageDialogRecord*> sent_;
};

}  // namespace orrivel
