#pragma once
// The keyboard: two 256-byte key tables indexed by key code, a key being
// down while bit 7 of its byte is set. A poll writes the table named by the
// write index and flips it, so the table just written is current and the
// other one previous.
#include <array>
#include <cstdint>

#include "base/InputDevice.h"

namespace orrivel {

class KeyboardDevice : public InputDevice {
 public:
  bool IsDown(uint8_t code) const override { return (Current()[code] & 0x80) != 0; }
  bool IsPressed(uint8_t code) const override;
  int32_t FirstDown() const override;
  int32_t FirstPressed() const override;
  void Reset() override { ClearTables(); }
  void Unacquire() override { ClearTables(); }
  // True when the key's press this frame was an auto-repeat (only the
  // message keyboard tells; the polled ones never do).
  virtual bool IsRepeated(uint8_t) const { return false; }

  // Reads Scroll Lock, Caps Lock and Num Lock again.
  void RefreshLockStates();
  bool ScrollLock() const { return scrollLock_; }
  bool CapsLock() const { return capsLock_; }
  bool NumLock() const { return numLock_; }
  // Whether auto-repeated key messages count as presses (message keyboard).
  void SetAutoRepeatCounts(bool on) { autoRepeatCounts_ = on; }
  bool AutoRepeatCounts() const { return autoRepeatCounts_; }
  // The number of keys the device reports (0 where the source cannot tell).
  uint32_t KeyCount() const { return keyCount_; }

 protected:
  using Table = std::array<uint8_t, 256>;
  const Table& Current() const { return tables_[writeIndex_ ^ 1]; }
  const Table& Previous() const { return tables_[writeIndex_]; }
  Table& WriteTable() { return tables_[writeIndex_]; }
  void FlipTables() { writeIndex_ ^= 1; }
  void ClearTables();

  std::array<Table, 2> tables_{};
  uint32_t writeIndex_ = 0;
  bool autoRepeatCounts_ = true;
  uint32_t keyCount_ = 0;

 private:
  bool scrollLock_ = false;
  bool capsLock_ = false;
  bool numLock_ = false;
};

}  // namespace orrivel
