#pragma once
// The keyboard fed by the main window's key messages. The second table holds
// which keys are held now. The first table gathers key-down events in two
// nibbles per key: while one nibble is read (the events of the last frame),
// the other gathers the events of this one; a poll clears the nibble just
// read and swaps their roles. So a key pressed and released between two
// polls still reads as pressed for exactly one frame. Event bit 0 is a
// press, bit 1 says that it was an auto-repeat.
#include <array>
#include <cstdint>

#include "base/KeyboardDevice.h"

namespace orrivel {

class MessageKeyboard : public KeyboardDevice {
 public:
  MessageKeyboard();

  bool IsDown(uint8_t code) const override { return (tables_[1][code] & 0x80) != 0; }
  bool IsPressed(uint8_t code) const override { return (ReadNibble(code) & 1) != 0; }
  bool IsRepeated(uint8_t code) const override { return (ReadNibble(code) & 2) != 0; }
  int32_t GetKind() const override { return kInputWindowMessages; }
  int32_t Poll() override;

  // A key message by virtual key; false when the engine has no key for it.
  bool OnKeyDown(uint32_t virtualKey, intptr_t lParam);
  bool OnKeyUp(uint32_t virtualKey);

  // The key code a virtual key is taken for (0: none).
  uint8_t KeyCodeOf(uint32_t virtualKey) const { return virtualKey < 256 ? keyCodes_[virtualKey] : 0; }

 private:
  // Phase 0 reads the low nibble and gathers into the high one; phase 1 the
  // other way round.
  uint8_t ReadNibble(uint8_t code) const { return phase_ ? tables_[0][code] >> 4 : tables_[0][code] & 0x0F; }

  std::array<uint8_t, 256> keyCodes_{};
  uint32_t phase_ = 0;
};

}  // namespace orrivel
