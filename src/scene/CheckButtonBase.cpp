#include "scene/CheckButtonBase.h"

#include <algorithm>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "base/TickSource.h"
#include "scene/ControlEvents.h"
#include "scene/ControlHost.h"

namespace orrivel {

CheckButtonBase::~CheckButtonBase() {
  if (leader_ != nullptr) leader_->RemoveFromGroup(this);
  for (CheckButtonBase* member : members_) member->leader_ = nullptr;
  members_.clear();
}

void CheckButtonBase::SetStyle(uint8_t style, bool hasDisabledCells) {
  style_ = style & 3;
  hasDisabledCells_ = hasDisabledCells;
}

void CheckButtonBase::SetLinkedValue(const ScriptCell& cell) {
  linkedValue_ = cell;
  linkedValue_.Write(state_ < 3 ? 0 : state_ < 6 ? 1 : 2);
}

void CheckButtonBase::SetState(uint8_t state) {
  if (state == state_) return;
  state_ = state;
  linkedValue_.Write(state < 3 ? 0 : state < 6 ? 1 : 2);
  ShowState(state);
}

bool CheckButtonBase::SetEnabled(bool enable) {
  if (locked_ != 0) return false;
  for (CheckButtonBase* member : members_) member->SetEnabled(enable);
  if (!Control::SetEnabled(enable)) return false;
  if (enable) {
    SetState(state_ == 7 ? 3 : 0);
  } else {
    SetState(state_ <= 2 ? 6 : 7);
  }
  return true;
}

void CheckButtonBase::SetVisible(bool show) {
  if (!show) GiveUpFocusAndHover();
  ShowLooks(show);
  for (CheckButtonBase* member : members_) member->SetVisible(show);
}

void CheckButtonBase::Lock(bool lock) {
  if (leader_ != nullptr) {
    leader_->Lock(lock);
    return;
  }
  if ((locked_ != 0) == lock) return;
  std::vector<CheckButtonBase*> buttons{this};
  buttons.insert(buttons.end(), members_.begin(), members_.end());
  for (CheckButtonBase* button : buttons) {
    button->locked_ = lock ? 1 : 0;
    // Disabling through the Control part gives up the host's focus and
    // hover; unlocking gives the use back to the buttons not disabled.
    button->Control::SetEnabled(lock ? false : button->state_ < 6);
  }
}

int32_t CheckButtonBase::PositionOf(const CheckButtonBase* button) const {
  if (button == this) return 0;
  const auto it = std::find(members_.begin(), members_.end(), button);
  return it == members_.end() ? -1 : int32_t(it - members_.begin()) + 1;
}

CheckButtonBase* CheckButtonBase::ButtonAt(int32_t index) {
  if (index == 0) return this;
  if (index < 1 || index > int32_t(members_.size())) return nullptr;
  return members_[size_t(index - 1)];
}

int32_t CheckButtonBase::AddToGroup(CheckButtonBase* member) {
  if (member == nullptr) return 1;
  if (member == this || member->leader_ != nullptr || !member->members_.empty() || leader_ != nullptr ||
      PositionOf(member) > 0)
    return 2;
  if (members_.empty() && selectedIndex_ == kNoneSelected && IsOn()) selectedIndex_ = 0;
  members_.push_back(member);
  member->leader_ = this;
  if (member->IsOn()) {
    if (selectedIndex_ == kNoneSelected) {
      selectedIndex_ = int32_t(members_.size());
    } else {
      member->SetState(member->IsEnabled() ? 0 : 6);  // one button of a group is on
    }
  }
  return 0;
}

int32_t CheckButtonBase::RemoveFromGroup(CheckButtonBase* member) {
  if (member == nullptr) return 1;
  const int32_t position = PositionOf(member);
  if (position < 1) return 2;
  members_.erase(members_.begin() + (position - 1));
  member->leader_ = nullptr;
  // The selection keeps naming the same button once the later ones move up.
  if (selectedIndex_ == position) {
    selectedIndex_ = kNoneSelected;
  } else if (selectedIndex_ > position) {
    --selectedIndex_;
  }
  return 0;
}

int32_t CheckButtonBase::SetOn(bool on) {
  if (on == IsOn()) return 0;
  if (leader_ == nullptr && members_.empty()) {
    SetState(IsEnabled() ? (on ? 3 : 0) : (on ? 7 : 6));
    return 1;
  }
  CheckButtonBase* leader = leader_ != nullptr ? leader_ : this;
  const int32_t position = leader->PositionOf(this);
  if (on) {
    leader->SelectByIndex(position);
  } else {
    // Past the last member the selection returns to the leader.
    const int32_t next = position + 1 > int32_t(leader->members_.size()) ? 0 : position + 1;
    leader->SelectByIndex(next);
  }
  return 1;
}

int32_t CheckButtonBase::SelectByIndex(int32_t index) {
  if (leader_ != nullptr) return leader_->SelectByIndex(index);
  if (members_.empty()) return 1;
  if (index == selectedIndex_) return 0;
  if (index < 0 || index > int32_t(members_.size())) return 2;
  const bool disabled = !IsEnabled();
  if (CheckButtonBase* old = ButtonAt(selectedIndex_)) old->SetState(disabled ? 6 : 0);
  ButtonAt(index)->SetState(disabled ? 7 : 3);
  selectedIndex_ = index;
  return 0;
}

int32_t CheckButtonBase::SelectInGroup(CheckButtonBase* button) {
  if (members_.empty() || button == nullptr) return 1;
  CheckButtonBase* old = ButtonAt(selectedIndex_);
  if (old != nullptr && old != button) old->SetState(0);
  const int32_t position = PositionOf(button);
  selectedIndex_ = position > 0 ? position : 0;
  return 0;
}

bool CheckButtonBase::IsSelected(const CheckButtonBase* button) const {
  if (members_.empty() || button == nullptr || selectedIndex_ == kNoneSelected) return false;
  return PositionOf(button) == selectedIndex_;
}

bool CheckButtonBase::IsSelectedRadio() const {
  if (!IsRadio()) return false;
  return (leader_ != nullptr ? leader_ : this)->IsSelected(this);
}

void CheckButtonBase::SetEventRecord(const PushEvents& events) { events_ = MakeControlEvents(events); }

bool CheckButtonBase::HitTest(int32_t x, int32_t y) {
  if (locked_ != 0 || IsSelectedRadio()) return false;
  if (UsesPixelTest()) return PixelHitTest(x, y);
  return uint32_t(x - GetX()) < uint32_t(GetWidth()) && uint32_t(y - GetY()) < uint32_t(GetHeight());
}

void CheckButtonBase::BecomeHovered() {
  if (!IsResting(state_)) return;
  SetState(HoverStateOf(state_));
  MarkControlHovered(events_.get(), true);
  PlayControlSound(GetHost(), events_.get(), ControlMoment::kHover);
}

void CheckButtonBase::ReturnToRest(bool withSound) {
  if (!IsHoverState(state_) && !IsPressedState(state_)) return;
  SetState(RestingStateOf(state_));
  MarkControlHovered(events_.get(), false);
  if (withSound) PlayControlSound(GetHost(), events_.get(), ControlMoment::kLeave);
}

void CheckButtonBase::OnPointerMove(int32_t, int32_t) { BecomeHovered(); }

void CheckButtonBase::OnPointerLeave() { ReturnToRest(true); }

void CheckButtonBase::OnFocusLost(Control*) { ReturnToRest(false); }

bool CheckButtonBase::OnPointerButtons(int32_t, int32_t, InputDevice* pointer) {
  if (pointer == nullptr) return false;
  if (IsHoverState(state_) && pointer->IsPressed(kPointerButton)) {
    SetState(PressedStateOf(state_));
    pressDue_ = 0;
    return true;
  }
  if (IsPressedState(state_) && pressDue_ == 0 && !pointer->IsDown(kPointerButton)) {
    Toggle(true);
    return true;
  }
  return false;
}

void CheckButtonBase::PassFocusOn(int32_t direction) {
  ControlHost* host = GetHost();
  if (host == nullptr) return;
  if ((direction == 0 ? host->FocusPrevious() : host->FocusNext()) != 0) host->SetFocus(nullptr);
}

void CheckButtonBase::OnFocusGained(Control*, int32_t direction) {
  if (locked_ != 0 || IsSelectedRadio()) {
    PassFocusOn(direction);
    return;
  }
  ControlHost* host = GetHost();
  const uint8_t mode = host != nullptr ? host->GetPointerMode() : 0;
  if (mode == 1) {
    host->SetPointerPos(GetX() + GetWidth() / 2, GetY() + GetHeight() / 2);
    return;
  }
  BecomeHovered();
  if (mode == 2) host->ParkPointer();
}

bool CheckButtonBase::Update(ActionMap* actions) {
  const uint32_t now = CurrentTickMs();
  if (IsHoverState(state_)) {
    if (actions == nullptr || !actions->IsPressed(kActionDecide)) return false;
    if ((style_ & kStyleAtOnce) != 0) {
      Toggle(false);
    } else {
      SetState(PressedStateOf(state_));
      pressDue_ = now + kPressDelayMs;
      if (pressDue_ == 0) pressDue_ = 1;  // 0 means none
    }
    return true;
  }
  if (IsPressedState(state_)) {
    if (pressDue_ != 0 && TickDiff(now, pressDue_) > 0) {
      pressDue_ = 0;
      Toggle(false);
    }
    return true;
  }
  pressDue_ = 0;
  return false;
}

void CheckButtonBase::Toggle(bool clearHover) {
  const bool wasOn = IsOn();
  if (!IsRadio()) {
    SetState(wasOn ? 1 : 4);
    Fire();
    return;
  }
  SetState(wasOn ? 0 : 3);
  (leader_ != nullptr ? leader_ : this)->SelectInGroup(this);
  if (clearHover && GetHost() != nullptr) GetHost()->ClearHover();
  Fire();
}

void CheckButtonBase::Fire() { ReportControlActivation(GetHost(), GetTag(), events_.get()); }

}  // namespace orrivel
