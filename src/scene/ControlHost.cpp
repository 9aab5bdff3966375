#include "scene/ControlHost.h"

#include <new>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "scene/Control.h"

namespace orrivel {

ControlHost::~ControlHost() {
  while (PopControls() == 0) {
  }
  Clear();
}

// --- the lists ---------------------------------------------------------------------

ControlHost::Node* ControlHost::FindIn(const List& list, const Control* control) {
  for (Node* node = list.head; node != nullptr; node = node->next)
    if (node->control == control) return node;
  return nullptr;
}

void ControlHost::Unlink(List& list, Node* node) {
  (node->prev != nullptr ? node->prev->next : list.head) = node->next;
  (node->next != nullptr ? node->next->prev : list.tail) = node->prev;
  delete node;
}

std::vector<Control*> ControlHost::Controls() const {
  std::vector<Control*> out;
  for (Node* node = current_.head; node != nullptr; node = node->next) out.push_back(node->control);
  return out;
}

uint32_t ControlHost::AddControl(Control* control, int32_t index) {
  if (control == nullptr) return 1;
  if (control->host_ != nullptr) return 2;
  Node* node = new (std::nothrow) Node;
  if (node == nullptr) return 3;
  node->control = control;
  Node* before = nullptr;
  if (index >= 0) {
    before = current_.head;
    for (int32_t i = 0; i < index && before != nullptr; ++i) before = before->next;
  }
  node->next = before;
  node->prev = before != nullptr ? before->prev : current_.tail;
  (node->prev != nullptr ? node->prev->next : current_.head) = node;
  (before != nullptr ? before->prev : current_.tail) = node;
  control->host_ = this;
  return 0;
}

void ControlHost::RemoveControl(Control* control) {
  if (control == nullptr) return;
  if (IsHovered(control)) ClearHover();
  List* list = &current_;
  Node* node = FindIn(current_, control);
  for (size_t i = 0; node == nullptr && i < saved_.size(); ++i) {
    list = &saved_[i];
    node = FindIn(*list, control);
  }
  if (node == nullptr) return;
  if (node == focused_) {
    focused_ = nullptr;
    control->OnFocusLost(nullptr);
  }
  Unlink(*list, node);
  control->host_ = nullptr;
}

void ControlHost::Clear() {
  if (current_.head == nullptr) return;
  SetFocusNode(nullptr, 1);
  ClearHover();
  ForgetPointer();
  for (Node* node = current_.head; node != nullptr;) {
    Node* next = node->next;
    node->control->host_ = nullptr;
    delete node;
    node = next;
  }
  current_ = List{};
}

uint32_t ControlHost::PushControls() {
  if (current_.head == nullptr) return 1;
  ResetInput();
  saved_.push_back(current_);
  current_ = List{};
  return 0;
}

uint32_t ControlHost::PopControls() {
  if (saved_.empty()) return 1;
  Clear();
  current_ = saved_.back();
  saved_.pop_back();
  focused_ = hovered_ = nullptr;
  return 0;
}

// --- focus and hover ---------------------------------------------------------------

bool ControlHost::Eligible(const Control* control) { return control->IsEnabled() && control->IsVisible(); }

bool ControlHost::IsFocused(const Control* control) const {
  return control != nullptr && focused_ != nullptr && focused_->control == control;
}

bool ControlHost::IsHovered(const Control* control) const {
  return control != nullptr && hovered_ != nullptr && hovered_->control == control;
}

Control* ControlHost::GetFocused() const { return focused_ != nullptr ? focused_->control : nullptr; }
Control* ControlHost::GetHovered() const { return hovered_ != nullptr ? hovered_->control : nullptr; }

void ControlHost::SetFocusNode(Node* node, int32_t direction) {
  if (node == focused_) return;
  Node* old = focused_;
  focused_ = node;
  ClearHover();
  if (!pointerTurn_) hoverHeld_ = true;
  Control* oldControl = old != nullptr ? old->control : nullptr;
  Control* newControl = node != nullptr ? node->control : nullptr;
  if (oldControl != nullptr) oldControl->OnFocusLost(newControl);
  if (newControl != nullptr) newControl->OnFocusGained(oldControl, direction);
}

uint32_t ControlHost::SetFocus(Control* control) {
  if (current_.head == nullptr) return 1;
  if (control == nullptr) {
    SetFocusNode(nullptr, 1);
    return 0;
  }
  Node* node = FindIn(current_, control);
  if (node == nullptr) return 2;
  if (!Eligible(control)) return 3;
  SetFocusNode(node, 1);
  return 0;
}

int32_t ControlHost::MoveFocus(bool forwards) {
  if (current_.head == nullptr) return 1;
  auto step = [forwards](Node* node) { return forwards ? node->next : node->prev; };
  Node* start = forwards ? current_.head : current_.tail;
  Node* found = nullptr;
  for (Node* node = focused_ != nullptr ? step(focused_) : start; node != nullptr && !found; node = step(node))
    if (Eligible(node->control)) found = node;
  if (found == nullptr && focused_ != nullptr) {
    for (Node* node = start; node != focused_ && !found; node = step(node))
      if (Eligible(node->control)) found = node;
  }
  if (found == nullptr) return focused_ == nullptr ? 2 : -1;
  SetFocusNode(found, forwards ? 1 : 0);
  return 0;
}

int32_t ControlHost::FocusNext() { return MoveFocus(true); }
int32_t ControlHost::FocusPrevious() { return MoveFocus(false); }

bool ControlHost::ClearHover() {
  if (hovered_ == nullptr) return false;
  Control* control = hovered_->control;
  hovered_ = nullptr;
  control->OnPointerLeave();
  HideTooltip();
  return true;
}

// --- tooltips ---------------------------------------------------------------------

void ControlHost::SetTooltip(bool enabled, uint32_t delay, uint32_t duration) {
  tooltipEnabled_ = enabled;
  tooltipDelay_ = delay;
  tooltipDuration_ = duration;
  if (!enabled) HideTooltip();
}

void ControlHost::HideTooltip() {
  if (!tooltipShown_) return;
  HideTooltipBox();
  tooltipShown_ = false;
  hoverStart_ = 0;
}

// --- the frame ----------------------------------------------------------------------

void ControlHost::ResetInput() {
  SetFocusNode(nullptr, 1);
  ClearHover();
  hoverStart_ = 0;
  ForgetPointer();
}

void ControlHost::SetInputEnabled(bool enable) {
  if (!enable) ResetInput();
  inputEnabled_ = enable;
}

uint8_t ControlHost::HandleNavigation(ActionMap* actions) {
  InputDevice* keyboard = GetKeyboard();
  if (keyboard == nullptr || actions == nullptr) return kStepNone;
  const bool tab = keyboard->IsPressed(kKeyTab);
  const bool shift = keyboard->IsDown(kKeyRightShift) || keyboard->IsDown(kKeyLeftShift);
  if (actions->IsPressed(0) || actions->IsPressed(2) || (tab && shift)) return kStepBackwards;
  if (actions->IsPressed(1) || actions->IsPressed(3) || tab) return kStepForwards;
  return kStepNone;
}

bool ControlHost::ApplyNavigation(Control* focused, uint8_t step) {
  int32_t result;
  if (step == kStepBackwards) {
    result = FocusPrevious();
  } else if (step == kStepForwards) {
    result = FocusNext();
  } else {
    return false;
  }
  if (result == 0) return true;
  if (result == -1 && focused != nullptr) {
    // Nothing else to go to: the control hears again that it has the focus.
    focused->OnFocusGained(focused, step == kStepForwards ? 1 : 0);
    return true;
  }
  return false;
}

ControlHost::Node* ControlHost::HitNode(int32_t x, int32_t y) const {
  for (Node* node = current_.head; node != nullptr; node = node->next)
    if (Eligible(node->control) && node->control->HitTest(x, y)) return node;
  return nullptr;
}

void ControlHost::TrackPointer(uint32_t now, int32_t x, int32_t y) {
  if (hoverStart_ != 0) hoverStart_ = now;
  lastX_ = x;
  lastY_ = y;
  if (!pointerLocked_) {
    Node* hit = HitNode(x, y);
    if (hit != hovered_) {
      if (hovered_ != nullptr) hovered_->control->OnPointerLeave();
      if (focused_ != nullptr && focused_ != hit) focused_->control->OnPointerLeave();
      hovered_ = hit;
      if (hit != nullptr) hit->control->OnPointerEnter();
      HideTooltip();
      hoverStart_ = now;
    }
  }
  if (hovered_ != nullptr) {
    Control* control = hovered_->control;
    control->OnPointerMove(x - control->GetX(), y - control->GetY());
  }
}

void ControlHost::TimeTooltip(uint32_t now, int32_t x, int32_t y) {
  const uint32_t elapsed = now - hoverStart_;
  const char* name = hovered_->control->GetName();
  if (name != nullptr && !tooltipShown_ && tooltipEnabled_ && hoverStart_ != 0) {
    if (elapsed >= tooltipDelay_ && (tooltipDuration_ == 0 || elapsed <= tooltipDelay_ + tooltipDuration_)) {
      ShowTooltip(name, x, y);
      tooltipShown_ = true;
    }
  } else if (tooltipShown_ && tooltipDuration_ != 0 && elapsed > tooltipDelay_ + tooltipDuration_) {
    HideTooltip();
  }
}

void ControlHost::TickControls(uint32_t now) {
  for (Node* node = current_.head; node != nullptr;) {
    Node* next = node->next;
    if (node->control->IsEnabled() && node->control->IsVisible()) node->control->Tick(now);
    node = next;
  }
}

bool ControlHost::TrackPointerButtons(uint32_t now, bool moved, int32_t x, int32_t y) {
  // What the pointer does here (a text entry's hit test takes the focus)
  // is its own doing: the hover may come back at once.
  pointerTurn_ = true;
  // A pointer at rest still finds a control shown, enabled or added under
  // it since (and lets go of one that went away) without waiting to move;
  // not after the keys or a script moved the focus, which drops the hover
  // until the pointer moves.
  if (moved || (!pointerLocked_ && !hoverHeld_ && HitNode(x, y) != hovered_)) {
    TrackPointer(now, x, y);
  } else if (hovered_ != nullptr) {
    TimeTooltip(now, x, y);
  }
  bool pressed = false;
  if (hovered_ != nullptr) {
    Control* control = hovered_->control;
    pressed = control->OnPointerButtons(x - control->GetX(), y - control->GetY(), GetPointerDevice());
    if (pressed) HideTooltip();
  }
  pointerTurn_ = false;
  return pressed;
}

int32_t ControlHost::Update(uint32_t now) {
  lastResult_ = RunFrame(now);
  return lastResult_;
}

int32_t ControlHost::RunFrame(uint32_t now) {
  if (!inputEnabled_) return kUpdateOff;
  int32_t x = 0, y = 0;
  GetPointerPos(&x, &y);
  bool moved = x != lastX_ || y != lastY_;
  if (!PreUpdate(now, &moved, x, y)) return kUpdateOff;
  if (moved) hoverHeld_ = false;
  if (TrackPointerButtons(now, moved, x, y)) return kUpdateButtons;
  Control* focused = GetFocused();
  if (DeliverTypedText(focused)) return kUpdateTyped;
  ActionMap* actions = GetActionMap();
  if (focused != nullptr) {
    if (focused->Update(actions)) return kUpdateFocused;
    if (actions != nullptr) {
      for (int32_t i = 0; i < 4; ++i) {
        Control* neighbour = focused->GetNeighbour(i);
        if (neighbour != nullptr && actions->IsPressed(uint32_t(i)) && SetFocus(neighbour) == 0)
          return kUpdateFocusMoved;
      }
    }
  }
  return ApplyNavigation(focused, HandleNavigation(actions)) ? kUpdateFocusMoved : kUpdateIdle;
}

}  // namespace orrivel
