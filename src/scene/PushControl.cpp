#include "scene/PushControl.h"

#include <new>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "base/TickSource.h"
#include "scene/ControlHost.h"

namespace orrivel {

bool PushControl::SetEnabled(bool enable) {
  if (!Control::SetEnabled(enable)) return false;
  SetState(enable ? kNormal : kDisabled);
  return true;
}

bool PushControl::HitTest(int32_t x, int32_t y) {
  if (!rectangularHit_) return PixelHitTest(x, y);
  // Compared unsigned: points left of or above the control are outside.
  return uint32_t(x - GetX()) < width_ && uint32_t(y - GetY()) < height_;
}

void PushControl::SetEvents(const PushEvents& events) {
  ClearEvents();
  events_.reset(new (std::nothrow) PushEvents(events));
  if (!events_) return;
  if (!events_->activateSound.empty()) events_->activateCode = 0;
  if (!events_->hoverSound.empty()) events_->hoverCode = 0;
  if (!events_->leaveSound.empty()) events_->leaveCode = 0;
}

void PushControl::PlayEventSound(const std::string PushEvents::*name, int32_t PushEvents::*code,
                                 int32_t fallback) {
  ControlHost* host = GetHost();
  if (host == nullptr) return;
  if (!events_ || (*events_).*code < 0) {
    host->PlaySound(nullptr, fallback, 0, 0);
    return;
  }
  const std::string& text = (*events_).*name;
  host->PlaySound(text.empty() ? nullptr : text.c_str(), (*events_).*code, 0, 0);
}

void PushControl::BecomeHovered() {
  if (state_ != kNormal) return;
  SetState(kHover);
  if (events_) {
    events_->hover.Write(1);
    events_->leave.Write(0);
  }
  PlayEventSound(&PushEvents::hoverSound, &PushEvents::hoverCode, kSoundHover);
}

void PushControl::ReturnToNormal() {
  if (state_ != kHover && state_ != kPressed) return;
  SetState(kNormal);
  if (events_) {
    events_->hover.Write(0);
    events_->leave.Write(1);
  }
}

void PushControl::OnPointerMove(int32_t, int32_t) {
  if (state_ == kNormal) BecomeHovered();
}

void PushControl::OnPointerLeave() {
  if (state_ != kHover && state_ != kPressed) return;
  ReturnToNormal();
  PlayEventSound(&PushEvents::leaveSound, &PushEvents::leaveCode, kSoundLeave);
}

void PushControl::OnFocusLost(Control*) { ReturnToNormal(); }

void PushControl::OnFocusGained(Control*, int32_t) {
  ControlHost* host = GetHost();
  const uint8_t mode = host != nullptr ? host->GetPointerMode() : 0;
  if (mode == 1) {
    // The next host Update hovers the control by the pointer.
    host->SetPointerPos(GetX() + int32_t(width_ / 2), GetY() + int32_t(height_ / 2));
    return;
  }
  if (state_ == kNormal) BecomeHovered();
  if (mode == 2) host->ParkPointer();
}

bool PushControl::OnPointerButtons(int32_t, int32_t, InputDevice* pointer) {
  if (pointer == nullptr) return false;
  if (state_ == kHover && pointer->IsPressed(kPointerButton)) {
    SetState(kPressed);
    fireTime_ = 0;
    return true;
  }
  // While a timed activation is pending the release does not fire again.
  if (state_ == kPressed && fireTime_ == 0 && !pointer->IsDown(kPointerButton)) {
    SetState(kHover);
    Activate();
    return true;
  }
  return false;
}

bool PushControl::Update(ActionMap* actions) {
  const uint32_t now = CurrentTickMs();
  if (state_ == kHover) {
    fireTime_ = 0;
    if (actions == nullptr || !actions->IsPressed(kActionDecide)) return false;
    if (!hasPressedCell_) {
      Activate();
    } else {
      SetState(kPressed);
      fireTime_ = now + kPressDelayMs;
      if (fireTime_ == 0) fireTime_ = 1;  // 0 means none
    }
    return true;
  }
  if (state_ == kPressed) {
    // A signed difference keeps the comparison right across the tick's wrap.
    if (fireTime_ != 0 && TickDiff(now, fireTime_) > 0) {
      SetState(kHover);
      Activate();
      fireTime_ = 0;
    }
    return true;
  }
  fireTime_ = 0;
  return false;
}

bool PushControl::Activate() {
  ControlHost* host = GetHost();
  if (host == nullptr) return false;
  if (GetTag() >= 0) host->SetSelected(GetTag());
  PlayEventSound(&PushEvents::activateSound, &PushEvents::activateCode, kSoundActivate);
  if (events_) {
    events_->clicked.Write(1);
    if (!events_->eventName2.empty() || !events_->eventName1.empty() || events_->eventValue != 0)
      host->RunEvent(events_->eventName2.empty() ? nullptr : events_->eventName2.c_str(),
                     events_->eventName1.empty() ? nullptr : events_->eventName1.c_str(), events_->eventValue);
  }
  return true;
}

}  // namespace orrivel
