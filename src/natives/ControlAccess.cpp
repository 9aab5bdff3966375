#include "natives/ControlAccess.h"

#include "scene/CheckButtonBase.h"
#include "scene/Control.h"
#include "scene/ItemMenuControl.h"
#include "scene/ScrollBar.h"
#include "scene/TextBufferControl.h"
#include "scene/TextListControlBase.h"
#include "scene/TextPanelControl.h"
#include "scene/WindowControl.h"

namespace orrivel {

namespace {

// Types the text into the window: CR, LF and a CR LF pair each start a new
// line, other characters go in one at a time, until the text ends or the
// window is full. A window that takes no character (no font) ends it too,
// so the walk always moves on.
void TypeIntoWindow(WindowControl& window, const char* text) {
  if (text == nullptr) return;
  const char* at = text;
  while (*at != '\0') {
    if (*at == '\r' || *at == '\n') {
      if (window.NewLine()) return;
      if (at[0] == '\r' && at[1] == '\n') ++at;
      ++at;
      continue;
    }
    const char* before = at;
    if (window.PutNext(&at) > 0 || at == before) return;
  }
}

}  // namespace

int32_t SetControlValue(Control* control, int32_t value, const char* text) {
  if (control == nullptr) return -1;
  switch (control->GetKind()) {
    case kControlCheckButton:
      static_cast<CheckButtonBase*>(control)->SetOn(value != 0);
      return 0;
    case kControlTextEntry:
      static_cast<TextBufferControl*>(control)->SetText(text != nullptr ? text : "");
      return 0;
    case kControlScrollBar:
      static_cast<ScrollBar*>(control)->SetValue(value);
      return 0;
    case kControlWindow:
      if (auto* window = dynamic_cast<WindowControl*>(control)) TypeIntoWindow(*window, text);
      return 0;
    case kControlTextPanelB:
      if (auto* panel = dynamic_cast<TextPanelControl*>(control)) panel->Select(value);
      return 0;
    case kControlItemMenu:
      static_cast<ItemMenuControl*>(control)->Select(uint8_t(value));
      return 0;
    default:
      return -1;
  }
}

int32_t GetControlValue(Control* control, std::string* text) {
  if (control == nullptr) return -1;
  switch (control->GetKind()) {
    case kControlCheckButton: {
      const uint8_t state = static_cast<CheckButtonBase*>(control)->GetState();
      return state >= 3 && state != 6 ? 1 : 0;
    }
    case kControlTextEntry:
      if (text != nullptr) {
        *text = static_cast<TextBufferControl*>(control)->Text();
      }
      return 0;
    case kControlScrollBar:
      return static_cast<ScrollBar*>(control)->GetValue();
    case kControlTextList:
      return static_cast<TextListControlBase*>(control)->GetHovered();
    case kControlTextPanelB:
      if (auto* panel = dynamic_cast<TextPanelControl*>(control)) return panel->GetSelected();
      return -1;
    case kControlItemMenu:
      return static_cast<ItemMenuControl*>(control)->CurrentItem();
    default:
      return -1;
  }
}

}  // namespace orrivel
