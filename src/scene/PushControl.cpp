#include "scene/PushControl.h"

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "base/TickSource.h"
#include "scene/ControlEvents.h"
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

void PushControl::SetEvents(const PushEvents& events) { events_ = MakeControlEvents(events); }

void PushControl::BecomeHovered() {
  if (state_ != kNormal) return;
  SetState(kHover);
  MarkControlHovered(events_.get(), true);
  PlayControlSound(GetHost(), events_.get(), ControlMoment::kHover);
}

void PushControl::ReturnToNormal() {
  pointerPress_ = false;
  if (state_ != kHover && state_ != kPressed) return;
  SetState(kNormal);
  MarkControlHovered(events_.get(), false);
}

void PushControl::OnPointerMove(int32_t, int32_t) {
  if (state_ == kNormal) BecomeHovered();
}

void PushControl::OnPointerLeave() {
  if (state_ != kHover && state_ != kPressed) return;
  ReturnToNormal();
  PlayControlSound(GetHost(), events_.get(), ControlMoment::kLeave);
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
  // Only a press the pointer made fires on its release: a pressed look that
  // came another way (the owner's, or the decide key's timed press) is not
  // clicked by the pointer resting on it.
  if (state_ != kPressed) pointerPress_ = false;
  if (pointerPress_) {
    if (fireTime_ != 0 || pointer->IsDown(kPointerButton)) return false;
    pointerPress_ = false;
    SetState(kHover);
    Activate();
    return true;
  }
  if (state_ == kHover && pointer->IsPressed(kPointerButton)) {
    SetState(kPressed);
    fireTime_ = 0;
    pointerPress_ = true;
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

bool PushControl::Activate() { return ReportControlActivation(GetHost(), GetTag(), events_.get()); }

}  // namespace orrivel
