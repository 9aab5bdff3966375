#include "game/DialogInteraction.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/Cp932.h"
#include "game/DialogLayer.h"
#include "game/DialogPainter.h"
#include "platform/Backend.h"
#include "platform/Messages.h"

namespace orrivel {

using platform::DialogControl;
using platform::DialogControlKind;
using platform::DialogRequest;
using platform::Point;
using Kind = DialogAction::Kind;

namespace {

bool Focusable(DialogControlKind kind) {
  return kind != DialogControlKind::Frame && kind != DialogControlKind::Text;
}

DialogAction Act(Kind kind, uint16_t id, int32_t value = 0) {
  DialogAction action;
  action.kind = kind;
  action.id = id;
  action.value = value;
  return action;
}

// The control of that id and kind (none for id 0: labels and frames).
const DialogControl* FindControl(const DialogRequest& request, uint16_t id, DialogControlKind kind) {
  const DialogControl* control = id != 0 ? request.Find(id) : nullptr;
  return control != nullptr && control->kind == kind ? control : nullptr;
}

// The run of radios next to each other in the list that holds `index`.
std::pair<size_t, size_t> RadioGroup(const DialogRequest& request, size_t index) {
  size_t first = index, last = index + 1;
  while (first > 0 && request.controls[first - 1].kind == DialogControlKind::Radio) --first;
  while (last < request.controls.size() && request.controls[last].kind == DialogControlKind::Radio) ++last;
  return {first, last};
}

// A place the Tab key stops at: an enabled control that takes input; of a
// radio group only the chosen radio (the first when none is), of the tabs
// only the page shown.
bool IsStop(const DialogRequest& request, size_t index) {
  const DialogControl& control = request.controls[index];
  if (!control.enabled || !Focusable(control.kind)) return false;
  if (control.kind == DialogControlKind::Tab) return control.checked;
  if (control.kind != DialogControlKind::Radio) return true;
  const auto [first, last] = RadioGroup(request, index);
  for (size_t i = first; i < last; ++i) {
    if (request.controls[i].checked && request.controls[i].enabled) return i == index;
  }
  for (size_t i = first; i < last; ++i) {
    if (request.controls[i].enabled) return i == index;
  }
  return false;
}

// Where each character of a CP932 text starts, and the text's end.
std::vector<size_t> CharacterStarts(const std::string& text) {
  std::vector<size_t> starts;
  for (size_t i = 0; i < text.size(); i += cp932::CharLength(text, i)) starts.push_back(i);
  starts.push_back(text.size());
  return starts;
}

// Which entry of `starts` (the characters, then the text's end) the caret
// stands before: a caret inside a character stands before that character,
// one past the text at its end.
size_t CharacterAtCaret(const std::vector<size_t>& starts, size_t caret) {
  size_t at = 0;
  while (at + 1 < starts.size() && starts[at + 1] <= caret) ++at;
  return at;
}

bool IsDigit(const std::string& character) {
  return character.size() == 1 && character[0] >= '0' && character[0] <= '9';
}

// The point of a mouse message's lParam (client coordinates of its window).
Point MessagePoint(intptr_t lParam) {
  return Point{int32_t(int16_t(lParam & 0xFFFF)), int32_t(int16_t((lParam >> 16) & 0xFFFF))};
}

}  // namespace

void DialogInteraction::SetFocus(uint16_t id) {
  if (id == focus_) return;
  focus_ = id;
  caret_ = std::string::npos;
  pendingLead_ = 0;
  dropped_ = 0;
}

void DialogInteraction::Reset() {
  SetFocus(0);
  dropped_ = 0;
  dragging_ = 0;
  pressed_ = 0;
}

const DialogControl* DialogInteraction::Focused(const DialogRequest& request) const {
  const DialogControl* control = focus_ != 0 ? request.Find(focus_) : nullptr;
  return control != nullptr && control->enabled && Focusable(control->kind) ? control : nullptr;
}

void DialogInteraction::Decorate(DialogRequest& request) const {
  const DialogControl* focused = Focused(request);
  for (DialogControl& control : request.controls) {
    control.focused = &control == focused;
    if (control.kind == DialogControlKind::Edit && control.focused) {
      control.caret = int32_t(std::min(caret_, control.text.size()));
    }
    if (control.kind == DialogControlKind::Combo && control.id == dropped_) {
      control.dropped = true;
      control.highlighted = highlighted_;
    }
  }
}

DialogAction DialogInteraction::MoveFocus(const DialogRequest& request, bool backwards) {
  std::vector<size_t> stops;
  for (size_t i = 0; i < request.controls.size(); ++i) {
    if (IsStop(request, i)) stops.push_back(i);
  }
  if (stops.empty()) return {};
  // The focus may sit on a control disabled since: Tab goes on from there.
  const DialogControl* current = focus_ != 0 ? request.Find(focus_) : nullptr;
  const size_t at = current != nullptr && Focusable(current->kind) ? size_t(current - request.controls.data())
                                                                    : request.controls.size();
  size_t next = backwards ? stops.back() : stops.front();
  if (at < request.controls.size()) {
    if (backwards) {
      for (size_t stop : stops) {
        if (stop < at) next = stop;
      }
    } else {
      for (auto stop = stops.rbegin(); stop != stops.rend(); ++stop) {
        if (*stop > at) next = *stop;
      }
    }
  }
  SetFocus(request.controls[next].id);
  return Act(Kind::Focus, focus_);
}

DialogAction DialogInteraction::NextTab(const DialogRequest& request, bool backwards) {
  std::vector<const DialogControl*> tabs;
  size_t shown = 0;
  for (const DialogControl& control : request.controls) {
    if (control.kind != DialogControlKind::Tab || !control.enabled) continue;
    if (control.checked) shown = tabs.size();
    tabs.push_back(&control);
  }
  if (tabs.size() < 2) return {};
  const size_t next = backwards ? (shown + tabs.size() - 1) % tabs.size() : (shown + 1) % tabs.size();
  SetFocus(tabs[next]->id);
  return Act(Kind::Press, tabs[next]->id);
}

DialogAction DialogInteraction::MoveRadio(const DialogRequest& request, const DialogControl& radio, int step) {
  const size_t index = size_t(&radio - request.controls.data());
  const auto [first, last] = RadioGroup(request, index);
  const size_t size = last - first;
  for (size_t n = 1; n < size; ++n) {
    const int32_t along = (int32_t(index - first) + step * int32_t(n)) % int32_t(size);
    const size_t i = first + size_t(along < 0 ? along + int32_t(size) : along);
    const DialogControl& other = request.controls[i];
    if (!other.enabled) continue;
    SetFocus(other.id);
    return Act(Kind::Choose, other.id);
  }
  return {};
}

DialogAction DialogInteraction::StepSlider(const DialogControl& slider, uint32_t key) {
  const int32_t page = slider.pageStep > 0 ? slider.pageStep : std::max(1, slider.maximum / 10);
  const int32_t line = std::max(1, slider.lineStep);
  int32_t value = slider.value;
  switch (key) {
    case platform::VK_LEFT:
    case platform::VK_UP: value -= line; break;
    case platform::VK_RIGHT:
    case platform::VK_DOWN: value += line; break;
    case platform::VK_PRIOR: value -= page; break;
    case platform::VK_NEXT: value += page; break;
    case platform::VK_HOME: value = 0; break;
    case platform::VK_END: value = slider.maximum; break;
    default: return {};
  }
  value = std::clamp(value, 0, std::max(0, slider.maximum));
  return value == slider.value ? DialogAction{} : Act(Kind::Slide, slider.id, value);
}

DialogAction DialogInteraction::StepCombo(const DialogControl& combo, uint32_t key, Modifiers held) {
  const int32_t last = int32_t(combo.items.size()) - 1;
  if (last < 0) return {};
  if (key == platform::VK_F4 || (held.alt && key == platform::VK_DOWN)) return Activate(combo);
  int32_t value = std::clamp(combo.value, 0, last);
  switch (key) {
    case platform::VK_LEFT:
    case platform::VK_UP: value -= 1; break;
    case platform::VK_RIGHT:
    case platform::VK_DOWN: value += 1; break;
    case platform::VK_HOME: value = 0; break;
    case platform::VK_END: value = last; break;
    default: return {};
  }
  value = std::clamp(value, 0, last);
  return value == combo.value ? DialogAction{} : Act(Kind::Select, combo.id, value);
}

DialogAction DialogInteraction::EditKey(const DialogControl& edit, uint32_t key) {
  const std::vector<size_t> starts = CharacterStarts(edit.text);
  size_t at = CharacterAtCaret(starts, caret_);
  switch (key) {
    case platform::VK_LEFT: at = at > 0 ? at - 1 : 0; break;
    case platform::VK_RIGHT: at = std::min(at + 1, starts.size() - 1); break;
    case platform::VK_HOME: at = 0; break;
    case platform::VK_END: at = starts.size() - 1; break;
    case platform::VK_BACK:
    case platform::VK_DELETE: {
      if (edit.readOnly) return {};
      const bool back = key == platform::VK_BACK;
      if (back ? at == 0 : at + 1 >= starts.size()) return {};
      const size_t from = back ? starts[at - 1] : starts[at];
      const size_t to = back ? starts[at] : starts[at + 1];
      DialogAction changed = Act(Kind::Edit, edit.id);
      changed.text = edit.text.substr(0, from) + edit.text.substr(to);
      caret_ = from;
      return changed;
    }
    default:
      return {};
  }
  caret_ = starts[at];
  return {};
}

DialogAction DialogInteraction::Insert(const DialogControl& edit, const std::string& character) {
  if (edit.readOnly || (edit.digitsOnly && !IsDigit(character))) return {};
  if (edit.textLimit != 0 && edit.text.size() + character.size() > edit.textLimit) return {};
  const std::vector<size_t> starts = CharacterStarts(edit.text);
  const size_t place = starts[CharacterAtCaret(starts, caret_)];
  DialogAction changed = Act(Kind::Edit, edit.id);
  changed.text = edit.text.substr(0, place) + character + edit.text.substr(place);
  caret_ = place + character.size();
  return changed;
}

DialogAction DialogInteraction::Activate(const DialogControl& control) {
  switch (control.kind) {
    case DialogControlKind::Button:
    case DialogControlKind::Link:
    case DialogControlKind::Tab:
      return Act(Kind::Press, control.id);
    case DialogControlKind::CheckBox:
      return Act(Kind::Toggle, control.id);
    case DialogControlKind::Radio:
      return Act(Kind::Choose, control.id);
    case DialogControlKind::Combo:
      if (control.items.empty()) return {};
      dropped_ = control.id;
      highlighted_ = std::clamp(control.value, 0, int32_t(control.items.size()) - 1);
      return {};
    default:
      return {};  // a click on an edit only gives it the focus
  }
}

DialogAction DialogInteraction::CloseList(const DialogRequest& request, bool pick) {
  const uint16_t id = dropped_;
  dropped_ = 0;
  if (!pick || highlighted_ < 0) return {};
  const DialogControl* combo = FindControl(request, id, DialogControlKind::Combo);
  if (combo == nullptr || highlighted_ >= int32_t(combo->items.size()) || highlighted_ == combo->value) return {};
  return Act(Kind::Select, id, highlighted_);
}

DialogAction DialogInteraction::KeyDown(const DialogRequest& request, uint32_t key, Modifiers held) {
  if (dropped_ != 0) {
    const DialogControl* combo = FindControl(request, dropped_, DialogControlKind::Combo);
    const int32_t last = combo != nullptr ? int32_t(combo->items.size()) - 1 : -1;
    switch (key) {
      case platform::VK_ESCAPE:
      case platform::VK_F4:
        return CloseList(request, false);
      case platform::VK_RETURN:
        return CloseList(request, true);
      case platform::VK_UP:
        if (held.alt) return CloseList(request, true);
        highlighted_ = std::max(0, highlighted_ - 1);
        return {};
      case platform::VK_DOWN:
        if (held.alt) return CloseList(request, true);
        highlighted_ = std::min(last, highlighted_ + 1);
        return {};
      case platform::VK_HOME:
        highlighted_ = last >= 0 ? 0 : -1;
        return {};
      case platform::VK_END:
        highlighted_ = last;
        return {};
      case platform::VK_TAB:
        CloseList(request, false);
        break;  // and the focus moves on
      default:
        return {};
    }
  }
  if (held.control && (key == platform::VK_TAB || key == platform::VK_NEXT || key == platform::VK_PRIOR)) {
    return NextTab(request, key == platform::VK_PRIOR || (key == platform::VK_TAB && held.shift));
  }
  if (key == platform::VK_TAB) return MoveFocus(request, held.shift);
  if (key == platform::VK_ESCAPE) return Act(Kind::Cancel, request.cancelButton);
  const DialogControl* focused = Focused(request);
  if (key == platform::VK_RETURN) {
    if (focused != nullptr && focused->kind == DialogControlKind::Button) return Act(Kind::Press, focused->id);
    return Act(Kind::Press, request.defaultButton);
  }
  if (focused == nullptr) return {};
  switch (focused->kind) {
    case DialogControlKind::Edit:
      return EditKey(*focused, key);
    case DialogControlKind::Slider:
      return StepSlider(*focused, key);
    case DialogControlKind::Combo:
      return StepCombo(*focused, key, held);
    case DialogControlKind::Radio:
      if (key == platform::VK_SPACE) return Activate(*focused);
      if (key == platform::VK_UP || key == platform::VK_LEFT) return MoveRadio(request, *focused, -1);
      if (key == platform::VK_DOWN || key == platform::VK_RIGHT) return MoveRadio(request, *focused, 1);
      return {};
    case DialogControlKind::Tab:
      if (key == platform::VK_LEFT || key == platform::VK_RIGHT) return NextTab(request, key == platform::VK_LEFT);
      return {};
    default:
      return key == platform::VK_SPACE ? Activate(*focused) : DialogAction{};
  }
}

DialogAction DialogInteraction::Character(const DialogRequest& request, uint8_t byte) {
  switch (byte) {
    case platform::VK_BACK:
    case platform::VK_TAB:
    case platform::VK_RETURN:
    case platform::VK_ESCAPE:
      pendingLead_ = 0;
      return KeyDown(request, byte, Modifiers{});
    default:
      break;
  }
  if (byte < 0x20 || byte == 0x7F) return {};
  const DialogControl* focused = Focused(request);
  if (focused == nullptr || focused->kind != DialogControlKind::Edit) {
    pendingLead_ = 0;
    return {};
  }
  std::string character;
  if (pendingLead_ != 0) {
    character = {char(pendingLead_), char(byte)};
    pendingLead_ = 0;
  } else if (cp932::IsLeadByte(byte)) {
    pendingLead_ = byte;
    return {};
  } else {
    character = std::string(1, char(byte));
  }
  return Insert(*focused, character);
}

DialogAction DialogInteraction::PointerDown(const DialogRequest& request, Point point) {
  pressed_ = 0;
  if (dropped_ != 0) {
    const DialogControl* combo = FindControl(request, dropped_, DialogControlKind::Combo);
    const int32_t item = combo != nullptr ? DialogPainter::DropListItemAt(request, *combo, point) : -1;
    if (item >= 0) {
      highlighted_ = item;
      pressed_ = combo->id;
      pressedKind_ = DialogControlKind::Combo;
      return {};
    }
    // A press anywhere else closes the list and does nothing more.
    return CloseList(request, false);
  }
  using K = DialogControlKind;
  const DialogControl* hit =
      DialogControlAt(request, point, {K::Button, K::Tab, K::Edit, K::CheckBox, K::Radio, K::Combo, K::Slider, K::Link});
  if (hit == nullptr) return {};
  const bool moved = hit->id != focus_;
  SetFocus(hit->id);
  if (hit->kind == K::Slider) {
    dragging_ = hit->id;
    dragValue_ = DialogPainter::SliderValueAt(*hit, point);
    if (dragValue_ != hit->value) return Act(Kind::Slide, hit->id, dragValue_);
  } else {
    pressed_ = hit->id;
    pressedKind_ = hit->kind;
  }
  return moved ? Act(Kind::Focus, hit->id) : DialogAction{};
}

DialogAction DialogInteraction::PointerMove(const DialogRequest& request, Point point) {
  if (const DialogControl* slider = FindControl(request, dragging_, DialogControlKind::Slider)) {
    const int32_t value = DialogPainter::SliderValueAt(*slider, point);
    if (value == dragValue_) return {};
    dragValue_ = value;
    return Act(Kind::Slide, slider->id, value);
  }
  if (const DialogControl* combo = FindControl(request, dropped_, DialogControlKind::Combo)) {
    const int32_t item = DialogPainter::DropListItemAt(request, *combo, point);
    if (item >= 0) highlighted_ = item;
  }
  return {};
}

DialogAction DialogInteraction::PointerUp(const DialogRequest& request, Point point) {
  if (dragging_ != 0) {
    dragging_ = 0;
    return {};
  }
  const uint16_t pressed = std::exchange(pressed_, 0);
  if (pressed == 0) return {};
  if (dropped_ != 0) {
    if (pressed != dropped_) return {};
    const DialogControl* combo = FindControl(request, dropped_, DialogControlKind::Combo);
    const int32_t item = combo != nullptr ? DialogPainter::DropListItemAt(request, *combo, point) : -1;
    if (item < 0) return {};
    highlighted_ = item;
    return CloseList(request, true);
  }
  // The press counts where the button comes up over the control it went down on.
  const DialogControl* control = FindControl(request, pressed, pressedKind_);
  if (control == nullptr || !control->enabled) return {};
  const platform::Rect& r = control->rect;
  if (point.x < r.left || point.x >= r.right || point.y < r.top || point.y >= r.bottom) return {};
  return Activate(*control);
}

bool DialogInteraction::Takes(uint32_t message) {
  switch (message) {
    case platform::WM_KEYDOWN:
    case platform::WM_SYSKEYDOWN:
    case platform::WM_CHAR:
    case platform::WM_LBUTTONDOWN:
    case platform::WM_MOUSEMOVE:
    case platform::WM_LBUTTONUP:
      return true;
    default:
      return false;
  }
}

DialogAction DialogInteraction::Take(const DialogRequest& request, const platform::Message& message) {
  platform::Backend& backend = platform::CurrentBackend();
  switch (message.message) {
    case platform::WM_KEYDOWN:
    case platform::WM_SYSKEYDOWN:
      return KeyDown(request, uint32_t(message.wParam), backend.HeldModifiers());
    case platform::WM_CHAR:
      return Character(request, uint8_t(message.wParam));
    case platform::WM_LBUTTONDOWN:
    case platform::WM_MOUSEMOVE:
    case platform::WM_LBUTTONUP:
      break;
    default:
      return {};
  }
  const Point desktop = backend.ClientToScreen(message.window, MessagePoint(message.lParam));
  const Point at{desktop.x - request.rect.left, desktop.y - request.rect.top};
  if (message.message == platform::WM_LBUTTONDOWN) return PointerDown(request, at);
  if (message.message == platform::WM_MOUSEMOVE) return PointerMove(request, at);
  return PointerUp(request, at);
}

}  // namespace orrivel
