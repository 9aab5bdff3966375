#include "scene/HotSpotControl.h"

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "scene/ControlEvents.h"
#include "scene/ControlHost.h"

namespace orrivel {

void HotSpotControl::SetVisible(bool show) {
  if (!show) GiveUpFocusAndHover();
  visible_ = show;
}

int32_t HotSpotControl::AttachToSpriteList(int32_t, int32_t group, uint8_t) {
  group_ = group;
  return 0;
}

int32_t HotSpotControl::Create(int32_t x, int32_t y, int32_t width, int32_t height, int32_t centreX,
                               int32_t centreY, uint8_t hitEnabled, uint8_t activationEnabled, uint32_t value,
                               int32_t group) {
  if (width < 1 || height < 1) return 1;
  x_ = x, y_ = y, width_ = width, height_ = height;
  SetCentre(centreX, centreY);
  hitEnabled_ = hitEnabled;
  activationEnabled_ = activationEnabled;
  value_ = value;
  group_ = group;
  return 0;
}

void HotSpotControl::SetCentre(int32_t x, int32_t y) {
  // In 64 bits: an area near the edge of the range still has a middle.
  centreX_ = x < 0 ? int32_t((int64_t(x_) + width_ / 2)) : x;
  centreY_ = y < 0 ? int32_t((int64_t(y_) + height_ / 2)) : y;
}

void HotSpotControl::SetEventRecord(const PushEvents& events) { events_ = MakeControlEvents(events); }

bool HotSpotControl::HitTest(int32_t x, int32_t y) {
  if (hitEnabled_ == 0) return false;
  return uint32_t(x - x_) < uint32_t(width_) && uint32_t(y - y_) < uint32_t(height_);
}

void HotSpotControl::Arm() {
  if (armed_) return;
  armed_ = true;
  MarkControlHovered(events_.get(), true);
  PlayControlSound(GetHost(), events_.get(), ControlMoment::kHover);
}

void HotSpotControl::Disarm(bool withSound) {
  if (!armed_) return;
  armed_ = false;
  MarkControlHovered(events_.get(), false);
  if (withSound) PlayControlSound(GetHost(), events_.get(), ControlMoment::kLeave);
}

void HotSpotControl::OnPointerMove(int32_t, int32_t) { Arm(); }

void HotSpotControl::OnPointerLeave() { Disarm(true); }

bool HotSpotControl::OnPointerButtons(int32_t, int32_t, InputDevice* pointer) {
  if (!armed_ || pointer == nullptr || !pointer->IsPressed(PushControl::kPointerButton)) return false;
  return Activate();
}

void HotSpotControl::OnFocusGained(Control*, int32_t) {
  ControlHost* host = GetHost();
  const uint8_t mode = host != nullptr ? host->GetPointerMode() : 0;
  if (mode == 1) {
    host->SetPointerPos(centreX_, centreY_);
    return;
  }
  Arm();
  if (mode == 2) host->ParkPointer();
}

bool HotSpotControl::Update(ActionMap* actions) {
  if (!armed_ || actions == nullptr || !actions->IsPressed(kActionDecide)) return false;
  return Activate();
}

bool HotSpotControl::Activate() {
  if (GetHost() == nullptr || activationEnabled_ == 0) return false;
  return ReportControlActivation(GetHost(), GetTag(), events_.get());
}

}  // namespace orrivel
