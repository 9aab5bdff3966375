#include "base/MessageKeyboard.h"

#include "platform/KeyTable.h"
#include "platform/Messages.h"

namespace orrivel {

MessageKeyboard::MessageKeyboard() {
  // In table order, so that a later row wins for a shared virtual key:
  // Shift is LeftShift, Ctrl LeftCtrl, Alt LeftAlt and Return is Enter.
  for (const platform::KeyTableRow& row : platform::KeyTable()) keyCodes_[row.virtualKey] = row.code;
}

bool MessageKeyboard::OnKeyDown(uint32_t virtualKey, intptr_t lParam) {
  uint8_t code = KeyCodeOf(virtualKey);
  if (code == 0) return false;
  tables_[1][code] = 0x80;
  uint32_t shift = phase_ ? 0 : 4;
  uint8_t& events = tables_[0][code];
  if (((events >> shift) & 0x0F) != 0) return true;  // one event per frame
  bool repeat = (uint32_t(lParam) & platform::KF_REPEAT_BIT) != 0;
  uint8_t value = 0;
  if (autoRepeatCounts_) {
    value = uint8_t(1 | (repeat ? 2 : 0));
  } else if (!repeat) {
    value = 1;
  }
  events = uint8_t(events | (value << shift));
  return true;
}

bool MessageKeyboard::OnKeyUp(uint32_t virtualKey) {
  uint8_t code = KeyCodeOf(virtualKey);
  if (code == 0) return false;
  tables_[1][code] = 0;
  return true;
}

int32_t MessageKeyboard::Poll() {
  uint8_t keep = phase_ ? 0x0F : 0xF0;
  for (uint8_t& events : tables_[0]) events &= keep;
  phase_ ^= 1;
  return 0;
}

}  // namespace orrivel
