#pragma once
// The player's keyboard and pointer on an engine-drawn dialog: where the
// focus is, the combo list that is open, the slider being dragged and the
// caret of the edit being typed into. It reads input against the dialog as
// laid out now and answers what the dialog's owner should do; the owner
// changes its own values, lays the dialog out again, lets Decorate mark
// the focus, caret and open list on it, and draws it.
//
// Keys: Tab / Shift+Tab move the focus through the enabled controls (of a
// radio group only the chosen one, of the tabs only the page shown); Space
// presses the focused button, flips the focused check box and chooses the
// focused radio; Enter presses the focused button, else the default one;
// Esc closes an open list, else cancels; the arrows move radios, sliders
// and combo choices, and switch pages on the focused tab; Ctrl+Tab and
// Ctrl+PageDown (with Shift, or Ctrl+PageUp: backwards) switch pages.
// Edits take typed text with their caret, Backspace, Delete, Left, Right,
// Home and End, their length limit and their digits-only rule.
//
// Main thread only.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/DialogService.h"
#include "platform/WindowSystem.h"

namespace orrivel {

struct DialogAction {
  enum class Kind : uint8_t {
    None,
    Press,   // a button, link or tab (a tab shows its page)
    Toggle,  // a check box flips
    Choose,  // a radio is chosen
    Select,  // a combo's choice: value the item
    Slide,   // a slider's value
    Edit,    // an edit's new text
    Focus,   // the focus moved to the control (an edit, say, or nothing: id 0)
    Cancel,  // Esc
  };
  Kind kind = Kind::None;
  uint16_t id = 0;
  int32_t value = 0;
  std::string text;
};

class DialogInteraction {
 public:
  using Modifiers = platform::WindowSystem::ModifierKeys;

  // The control with the focus (0: none). Moving it puts an edit's caret
  // after its text and closes an open list.
  uint16_t Focus() const { return focus_; }
  void SetFocus(uint16_t id);
  // Forgets the focus, the open list and any drag (a new page, say).
  void Reset();

  // Marks the focus, the caret and the open list on the controls to draw.
  void Decorate(platform::DialogRequest& request) const;

  DialogAction KeyDown(const platform::DialogRequest& request, uint32_t virtualKey, Modifiers held);
  // A byte of typed text (CP932: a lead byte waits for its trail byte).
  // The editing characters (Backspace, Tab, Enter, Esc) act as their keys.
  DialogAction Character(const platform::DialogRequest& request, uint8_t byte);
  // The left button, in the dialog's client coordinates.
  DialogAction PointerDown(const platform::DialogRequest& request, platform::Point point);
  DialogAction PointerMove(const platform::DialogRequest& request, platform::Point point);
  DialogAction PointerUp(const platform::DialogRequest& request, platform::Point point);

  // The messages that are the dialog's input: key presses (with the
  // system keys), typed text, the left button and the pointer's moves.
  static bool Takes(uint32_t message);
  // One of those messages, sent to the window the dialog is drawn over or
  // in, read against the dialog (a pointer's point goes from that window's
  // client area into the dialog's); nothing for any other message.
  DialogAction Take(const platform::DialogRequest& request, const platform::Message& message);

 private:
  const platform::DialogControl* Focused(const platform::DialogRequest& request) const;
  DialogAction MoveFocus(const platform::DialogRequest& request, bool backwards);
  DialogAction NextTab(const platform::DialogRequest& request, bool backwards);
  DialogAction MoveRadio(const platform::DialogRequest& request, const platform::DialogControl& radio, int step);
  DialogAction StepSlider(const platform::DialogControl& slider, uint32_t virtualKey);
  DialogAction StepCombo(const platform::DialogControl& combo, uint32_t virtualKey, Modifiers held);
  DialogAction EditKey(const platform::DialogControl& edit, uint32_t virtualKey);
  DialogAction Insert(const platform::DialogControl& edit, const std::string& character);
  DialogAction Activate(const platform::DialogControl& control);
  DialogAction CloseList(const platform::DialogRequest& request, bool pick);

  uint16_t focus_ = 0;
  // The caret's byte in the focused edit's text; past the text's end (as
  // when the focus arrives) it stands after the text.
  size_t caret_ = std::string::npos;
  uint8_t pendingLead_ = 0;
  uint16_t dropped_ = 0;
  int32_t highlighted_ = -1;
  uint16_t dragging_ = 0;
  int32_t dragValue_ = -1;
  uint16_t pressed_ = 0;
  platform::DialogControlKind pressedKind_ = platform::DialogControlKind::Text;
};

}  // namespace orrivel
