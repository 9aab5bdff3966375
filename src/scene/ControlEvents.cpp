#include "scene/ControlEvents.h"

#include <new>

#include "scene/ControlHost.h"

namespace orrivel {

std::unique_ptr<PushEvents> MakeControlEvents(const PushEvents& events) {
  std::unique_ptr<PushEvents> copy(new (std::nothrow) PushEvents(events));
  if (!copy) return copy;
  if (!copy->activateSound.empty()) copy->activateCode = 0;
  if (!copy->hoverSound.empty()) copy->hoverCode = 0;
  if (!copy->leaveSound.empty()) copy->leaveCode = 0;
  return copy;
}

void PlayControlSound(ControlHost* host, const PushEvents* events, ControlMoment moment) {
  if (host == nullptr) return;
  const std::string* name = nullptr;
  int32_t code = -1;
  int32_t fallback = PushControl::kSoundActivate;
  if (events != nullptr) {
    switch (moment) {
      case ControlMoment::kActivate: name = &events->activateSound, code = events->activateCode; break;
      case ControlMoment::kHover: name = &events->hoverSound, code = events->hoverCode; break;
      case ControlMoment::kLeave: name = &events->leaveSound, code = events->leaveCode; break;
    }
  }
  if (moment == ControlMoment::kHover) fallback = PushControl::kSoundHover;
  if (moment == ControlMoment::kLeave) fallback = PushControl::kSoundLeave;
  if (events == nullptr || code < 0) {
    host->PlaySound(nullptr, fallback, 0, 0);
    return;
  }
  host->PlaySound(name->empty() ? nullptr : name->c_str(), code, 0, 0);
}

void MarkControlHovered(const PushEvents* events, bool hovered) {
  if (events == nullptr) return;
  events->hover.Write(hovered ? 1 : 0);
  events->leave.Write(hovered ? 0 : 1);
}

void RunControlEvent(ControlHost* host, const std::string& name1, int32_t value, const std::string& name2) {
  if (host == nullptr || (name2.empty() && name1.empty() && value == 0)) return;
  host->RunEvent(name2.empty() ? nullptr : name2.c_str(), name1.empty() ? nullptr : name1.c_str(), value);
}

bool ReportControlActivation(ControlHost* host, int32_t tag, const PushEvents* events) {
  if (host == nullptr) return false;
  if (tag >= 0) host->SetSelected(tag);
  PlayControlSound(host, events, ControlMoment::kActivate);
  if (events != nullptr) {
    events->clicked.Write(1);
    RunControlEvent(host, events->eventName1, events->eventValue, events->eventName2);
  }
  return true;
}

}  // namespace orrivel
