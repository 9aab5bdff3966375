#include "platform/font/DeviceContextTable.h"

#include "base/HandleTable.h"

namespace orrivel::platform {
namespace {

HandleTable<DeviceContext>& Table() {
  static HandleTable<DeviceContext> table;
  return table;
}

}  // namespace

uint32_t RegisterDeviceContext(DeviceContext* context) { return Table().Insert(context); }

bool UnregisterDeviceContext(uint32_t handle) { return Table().Remove(handle); }

DeviceContext* FindDeviceContext(uint32_t handle) { return Table().Get(handle); }

}  // namespace orrivel::platform
