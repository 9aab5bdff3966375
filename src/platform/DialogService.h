#pragma once
// The game's own modal dialogs at the platform edge. The engine lays a
// dialog out itself (its controls, their places and texts, CP932) and hands
// the whole picture here; the service answers which button ended it and the
// state of its check box. A dialog that reacts to a button without closing
// (a check box, a link, a copy button) is shown again by the engine after
// each answer, so one answer is one press.
//
// Services: scripted answers with a transcript (tests, headless runs), and
// one that asks through the platform's message boxes, the dialog's text as
// the box's text (real displays and headless runs by default). Answers that
// an input file queues are taken first by either.
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/ServiceSlot.h"
#include "platform/Rect.h"

namespace orrivel::platform {

// Radio: a choice of a group (checked when chosen). Slider: `value` of
// 0-`maximum`. Combo: a list showing its choice as `text`; `items` are its
// choices (`value` the one chosen), shown below it while `dropped`. Tab: a
// page's tab (checked for the page shown). Edit: `checked` while it has the
// focus.
enum class DialogControlKind : uint8_t { Frame, Text, Button, CheckBox, Edit, Link, Radio, Slider, Combo, Tab };

struct DialogControl {
  uint16_t id = 0;
  DialogControlKind kind = DialogControlKind::Text;
  Rect rect;          // in the dialog's client area
  std::string text;   // CP932
  bool checked = false;
  // A one-line text sits in the middle of its control's height.
  bool centredVertically = false;
  bool enabled = true;
  int32_t value = 0;
  int32_t maximum = 0;
  // The keyboard's focus is on the control (drawn as such).
  bool focused = false;
  // Edits: the caret's byte in the text (-1: not shown), at most
  // `textLimit` bytes (0: no limit), digits only, or no typing at all.
  int32_t caret = -1;
  uint16_t textLimit = 0;
  bool digitsOnly = false;
  bool readOnly = false;
  // Sliders: what an arrow key and Page Up / Page Down move (0: a tenth
  // of the range).
  int32_t lineStep = 1;
  int32_t pageStep = 0;
  // Combos: the choices; the open list and the choice under the pointer.
  std::vector<std::string> items{};
  bool dropped = false;
  int32_t highlighted = -1;

  friend bool operator==(const DialogControl&, const DialogControl&) = default;
};

struct DialogRequest {
  uint16_t templateId = 0;
  WindowId owner = kNoWindow;
  std::string caption;  // CP932
  std::string font;     // CP932 face name
  Rect rect;            // the dialog in desktop coordinates (its client area)
  std::vector<DialogControl> controls;
  uint16_t defaultButton = 1;
  // The button that answers a closed box.
  uint16_t cancelButton = 1;
  // What a message box shows in the dialog's place.
  MessageBoxIcon icon = MessageBoxIcon::None;

  const DialogControl* Find(uint16_t id) const;
  DialogControl* Find(uint16_t id);
};

struct DialogAnswer {
  uint16_t button = 1;   // the id of the control pressed
  bool checked = false;  // the check box's state when it was pressed
  // The answer came from a script: the check state is its own (else the
  // dialog's state stays).
  bool setsCheck = false;
};

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Blocks until the user presses a button.
  virtual DialogAnswer Show(const DialogRequest& request) = 0;

  // Answers an input file gives, taken before the user is asked.
  void QueueAnswer(const DialogAnswer& answer);
  size_t QueuedAnswers() const;

 protected:
  bool TakeQueued(DialogAnswer& out);

 private:
  mutable std::mutex lock_;
  std::deque<DialogAnswer> queued_;
};

// Answers queued answers first, else presses the default button with the
// check box as the dialog shows it. Every request and answer is kept.
class ScriptedDialogs : public DialogService {
 public:
  struct Entry {
    DialogRequest request;
    DialogAnswer answer;
  };
  DialogAnswer Show(const DialogRequest& request) override;
  const std::vector<Entry>& Transcript() const { return transcript_; }

 private:
  std::vector<Entry> transcript_;
};

// Shows the dialog's texts in a message box of the back end in use: Yes/No
// when it has a No button (2), else OK. A dialog with no other buttons
// offers its check box as a further button (OK or Yes, checked); any other
// check box stays as it is.
class MessageBoxDialogs : public DialogService {
 public:
  DialogAnswer Show(const DialogRequest& request) override;
};

// Writes a dialog answered from an input file to standard error, so that
// whoever wrote the file sees what it answered.
void EchoDialogAnswer(const DialogRequest& request, const DialogAnswer& answer);

// The service in use: the installed one, else a message-box one.
DialogService& CurrentDialogs();
// Installs a service (not owned); nullptr returns to the default. Returns
// the previous one.
DialogService* SetDialogs(DialogService* service);

using ScopedDialogs = ScopedService<DialogService, &SetDialogs>;

}  // namespace orrivel::platform
