#include "base/KeyboardDevice.h"

#include "platform/InputSource.h"
#include "platform/KeyTable.h"

namespace orrivel {

bool KeyboardDevice::IsPressed(uint8_t code) const {
  return (Previous()[code] & 0x80) == 0 && (Current()[code] & 0x80) != 0;
}

int32_t KeyboardDevice::FirstDown() const {
  for (int32_t code = 0; code < 256; ++code) {
    if (IsDown(uint8_t(code))) return code;
  }
  return -1;
}

int32_t KeyboardDevice::FirstPressed() const {
  for (int32_t code = 0; code < 256; ++code) {
    if (IsPressed(uint8_t(code))) return code;
  }
  return -1;
}

void KeyboardDevice::RefreshLockStates() {
  platform::InputSource& source = platform::CurrentInputSource();
  scrollLock_ = source.IsLockOn(platform::VK_SCROLL);
  capsLock_ = source.IsLockOn(platform::VK_CAPITAL);
  numLock_ = source.IsLockOn(platform::VK_NUMLOCK);
}

void KeyboardDevice::ClearTables() {
  for (Table& table : tables_) table.fill(0);
}

}  // namespace orrivel
