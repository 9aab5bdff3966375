#pragma once
// What every message handler is given: the window object, the message and its
// two parameters, and the result the window procedure returns when a handler
// consumes the message.
#include <cstdint>

#include "platform/Messages.h"

namespace orrivel {

class WindowObject;

struct MessageRecord {
  WindowObject* window = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  intptr_t result = 0;
};

// The window handle of the record's window object (0 when none).
platform::WindowId GetHandle(const MessageRecord& record);

}  // namespace orrivel
