#pragma once
// What every clickable control does with its event record: the three
// moments' sounds (the record's name and code, else the host's default),
// the hover and leave cells, and the report of an activation to the host
// and the script. Push buttons, colour boxes, check buttons and hot spots
// share it.
#include <cstdint>
#include <memory>
#include <string>

#include "scene/PushControl.h"

namespace orrivel {

class ControlHost;

enum class ControlMoment { kActivate, kHover, kLeave };

// A copy of the record in which a non-empty sound name forces its code to
// 0; null when out of memory.
std::unique_ptr<PushEvents> MakeControlEvents(const PushEvents& events);

// PlaySound(name, code) with the record's sound for the moment; PlaySound(
// null, -4/-3/-2) without a record or when its code is negative.
void PlayControlSound(ControlHost* host, const PushEvents* events, ControlMoment moment);

// hovered: hover cell 1 and leave cell 0; else the other way round.
void MarkControlHovered(const PushEvents* events, bool hovered);

// RunEvent(name 2, name 1, value) when any of them is set; empty names go
// as null.
void RunControlEvent(ControlHost* host, const std::string& name1, int32_t value, const std::string& name2);

// The tag (when not negative) to SetSelected, the activate sound, the
// clicked cell set to 1, and the event to RunEvent when it names anything.
// False without a host.
bool ReportControlActivation(ControlHost* host, int32_t tag, const PushEvents* events);

}  // namespace orrivel
