#pragma once
// The process's device contexts that scripts may name: a 32-bit
// generation-tagged handle for each context registered here, so a script
// cell can name one without holding a pointer, and a stale or forged
// handle names none. The table does not own the contexts; whoever
// registers one removes it before the context goes.
//
// Main thread only.
#include <cstdint>

#include "platform/font/DeviceContext.h"

namespace orrivel::platform {

// The handle of the registered context; 0 when the table is full.
uint32_t RegisterDeviceContext(DeviceContext* context);
// False when the handle names no registered context.
bool UnregisterDeviceContext(uint32_t handle);
// Null for 0, a stale or a forged handle.
DeviceContext* FindDeviceContext(uint32_t handle);

}  // namespace orrivel::platform
