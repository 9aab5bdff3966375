#include "natives/ControlAccess.h"

#include "scene/ButtonControl.h"
#include "scene/CheckButtonBase.h"
#include "scene/CheckButtonControl.h"
#include "scene/ColorBoxControl.h"
#include "scene/Control.h"
#include "scene/HotSpotControl.h"
#include "scene/ItemMenuControl.h"
#include "scene/PushControl.h"
#include "scene/ScrollBar.h"
#include "scene/TextBufferControl.h"
#include "scene/TextEntryControl.h"
#include "scene/TextListControl.h"
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

namespace {

// The script's message window answers this kind; it is a window.
constexpr int32_t kKindGameDrawable = 111;

WindowControl* AsWindow(Control* control) {
  const int32_t kind = control->GetKind();
  return kind == kControlWindow || kind == kKindGameDrawable ? dynamic_cast<WindowControl*>(control) : nullptr;
}

}  // namespace

bool SetControlBounds(Control* control, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (control == nullptr) return false;
  control->SetPosition(left, top);
  WindowControl* window = AsWindow(control);
  const int32_t width = right - left, height = bottom - top;
  if (window != nullptr && width > 0 && height > 0 && (width != window->GetWidth() || height != window->GetHeight()))
    window->Resize(width, height);
  return true;
}

int32_t GetControlState(Control* control, int32_t index) {
  if (control == nullptr) return 0;
  const bool first = index == 0;
  switch (control->GetKind()) {
    case kControlPushButton:
      if (auto* push = dynamic_cast<PushControl*>(control)) return first ? push->GetState() : push->GetFireTime() != 0;
      return 0;
    case kControlCheckButton: {
      const auto* check = static_cast<CheckButtonBase*>(control);
      return first ? check->GetState() : check->IsLocked() ? 1 : 0;
    }
    case kControlScrollBar: {
      const auto* bar = static_cast<ScrollBar*>(control);
      return first ? bar->GetValue() : bar->GetMaximum();
    }
    case kControlTextList: {
      const auto* list = static_cast<TextListControlBase*>(control);
      return first ? list->GetPressState() : list->GetHovered();
    }
    case kControlHotSpot:
      return first && static_cast<HotSpotControl*>(control)->IsArmed() ? 1 : 0;
    default:
      if (const WindowControl* window = AsWindow(control)) return first ? window->HoverItem() : window->ItemCount();
      return 0;
  }
}

int32_t SetControlOption(Control* control, bool flag) {
  if (control == nullptr) return -1;
  switch (control->GetKind()) {
    case kControlCheckButton:
      static_cast<CheckButtonBase*>(control)->Lock(flag);
      return 0;
    case kControlTextEntry:
      static_cast<TextBufferControl*>(control)->SetReadOnly(flag);
      return 0;
    case kControlTextList:
      static_cast<TextListControlBase*>(control)->SetLocked(flag);
      return 0;
    case kControlItemMenu:
      static_cast<ItemMenuControl*>(control)->SetLocked(flag ? 1 : 0);
      return 0;
    default:
      if (WindowControl* window = AsWindow(control)) {
        window->LockItems(flag);
        return 0;
      }
      return -1;
  }
}

namespace {

TextListControl* AsTextList(Control* control) {
  return control->GetKind() == kControlTextList ? dynamic_cast<TextListControl*>(control) : nullptr;
}

TextPanelBase* AsTextPanel(Control* control) {
  const int32_t kind = control->GetKind();
  return kind == kControlTextPanelA || kind == kControlTextPanelB ? dynamic_cast<TextPanelBase*>(control) : nullptr;
}

}  // namespace

Drawable* GetControlSprite(Control* control, int32_t index) {
  if (control == nullptr) return nullptr;
  switch (control->GetKind()) {
    case kControlPushButton:
      if (auto* button = dynamic_cast<ButtonControl*>(control)) return &button->Sprite();
      return nullptr;
    case kControlCheckButton:
      if (auto* button = dynamic_cast<CheckButtonControl*>(control)) return &button->Sprite();
      return nullptr;
    case kControlColorBox:
      return &static_cast<ColorBoxControl*>(control)->Box();
    case kControlTextEntry:
      if (auto* entry = dynamic_cast<TextEntryControl*>(control)) return &entry->TextSprite();
      return nullptr;
    case kControlTextList:
      if (TextListControl* list = AsTextList(control)) {
        if (index == -1) return list->HeaderSprite();
        if (index == -2) return list->FooterSprite();
        return list->LineSprite(index);
      }
      return nullptr;
    default:
      if (TextPanelBase* panel = AsTextPanel(control)) return panel->PanelSprite();
      if (WindowControl* window = AsWindow(control)) return &window->WindowSprite();
      return nullptr;
  }
}

Surface* GetControlSurface(Control* control, int32_t, bool* borrowed) {
  if (borrowed != nullptr) *borrowed = false;
  if (control == nullptr) return nullptr;
  switch (control->GetKind()) {
    case kControlPushButton:
      if (auto* button = dynamic_cast<ButtonControl*>(control)) {
        if (button->BorrowedSurface() == nullptr) return &button->OwnSurface();
        if (borrowed != nullptr) *borrowed = true;
        return button->BorrowedSurface();
      }
      return nullptr;
    case kControlCheckButton:
      if (auto* button = dynamic_cast<CheckButtonControl*>(control)) {
        if (borrowed != nullptr) *borrowed = button->BorrowsSurface();
        return button->StateSurface();
      }
      return nullptr;
    case kControlTextEntry:
      if (auto* entry = dynamic_cast<TextEntryControl*>(control)) return &entry->TextSurface();
      return nullptr;
    case kControlItemMenu:
      return &static_cast<ItemMenuControl*>(control)->ItemMap();
    default:
      if (TextPanelBase* panel = AsTextPanel(control)) return panel->PanelSurface();
      if (WindowControl* window = AsWindow(control)) return &window->GetSurface();
      return nullptr;
  }
}

int32_t GetTextListLineValue(Control* control, int32_t index) {
  TextListControl* list = control != nullptr ? AsTextList(control) : nullptr;
  if (list == nullptr || index < 0 || index >= list->LineCount()) return 0;
  return list->ValueOf(index);
}

int32_t SetControlFlag(Control* control, bool flag) {
  if (control == nullptr) return -1;
  switch (control->GetKind()) {
    case kControlPushButton:
      if (auto* button = dynamic_cast<PushControl*>(control)) button->SetDisplayFlag(flag);
      return 0;
    case kControlCheckButton:
      static_cast<CheckButtonBase*>(control)->SetDisplayFlag(flag);
      return 0;
    case kControlScrollBar:
      static_cast<ScrollBar*>(control)->SetDisplayFlag(flag);
      return 0;
    default:
      return -1;
  }
}

}  // namespace orrivel
