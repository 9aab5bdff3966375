#include "scene/Control.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "scene/ControlHost.h"

namespace orrivel {

Control::~Control() {
  SetName(nullptr);
  if (host_ != nullptr) host_->RemoveControl(this);
  UnlinkNeighbours();
}

bool Control::SetEnabled(bool enable) {
  if (enabled_ == enable) return false;
  if (!enable) GiveUpFocusAndHover();
  enabled_ = enable;
  return true;
}

void Control::GiveUpFocusAndHover() {
  if (host_ == nullptr) return;
  if (host_->IsFocused(this)) host_->SetFocus(nullptr);
  if (host_->IsHovered(this)) host_->ClearHover();
}

void Control::SetName(const char* text) {
  if (name_ && host_ != nullptr && host_->IsHovered(this)) host_->HideTooltip();
  name_.reset();
  if (text == nullptr || text[0] == '\0') return;
  const size_t size = std::strlen(text) + 1;
  name_.reset(new (std::nothrow) char[size]);
  if (name_) std::memcpy(name_.get(), text, size);
}

void Control::SetNeighbours(Control* left, Control* right, Control* up, Control* down) {
  SetNeighbour(kNeighbourLeft, left);
  SetNeighbour(kNeighbourRight, right);
  SetNeighbour(kNeighbourUp, up);
  SetNeighbour(kNeighbourDown, down);
}

Control* Control::GetNeighbour(int32_t action) const {
  return action >= 0 && action < 4 ? neighbours_[size_t(action)] : nullptr;
}

void Control::SetNeighbour(int32_t slot, Control* control) {
  Control*& link = neighbours_[size_t(slot)];
  if (link == control) return;
  Control* old = link;
  link = control;
  // The old target forgets this control once no slot names it any more.
  if (old != nullptr && std::find(neighbours_.begin(), neighbours_.end(), old) == neighbours_.end()) {
    auto& names = old->namedBy_;
    names.erase(std::remove(names.begin(), names.end(), this), names.end());
  }
  if (control != nullptr && std::find(control->namedBy_.begin(), control->namedBy_.end(), this) ==
                                control->namedBy_.end())
    control->namedBy_.push_back(this);
}

void Control::UnlinkNeighbours() {
  for (int32_t slot = 0; slot < 4; ++slot) SetNeighbour(slot, nullptr);
  // Whoever still names this control loses the link.
  const std::vector<Control*> namers = std::move(namedBy_);
  namedBy_.clear();
  for (Control* other : namers)
    for (Control*& link : other->neighbours_)
      if (link == this) link = nullptr;
}

}  // namespace orrivel
