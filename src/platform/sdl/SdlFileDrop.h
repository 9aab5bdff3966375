#pragma once
// SDL announces a drop as a begin event, one event per file and a complete
// event; this gathers them into one drop per window and posts it.
#include <cstdint>

#include "platform/Messages.h"

namespace orrivel::platform {

class WindowSystem;

// Takes one SDL drop event (its type, and the UTF-8 path of a file event).
// Names become internal paths; a name without a CP932 form is left out.
void CollectSdlDropEvent(WindowSystem& system, WindowId window, uint32_t eventType, const char* utf8File);

}  // namespace orrivel::platform
