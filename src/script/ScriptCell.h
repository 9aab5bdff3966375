#pragma once
// A 32-bit cell that a script owns, named by its script address: engine
// objects that report into script variables (activation and hover flags,
// output values) keep one of these instead of a machine pointer. Every write
// goes through the address space's bounds check, so a stale or forged
// address is refused instead of touching memory outside the arena.
#include <cstdint>

#include "script/ScriptAddressSpace.h"

namespace orrivel {

struct ScriptCell {
  ScriptAddressSpace* space = nullptr;
  uint32_t address = 0;  // 0: no cell

  bool IsSet() const { return space != nullptr && address != 0; }
  // False when there is no cell or the address lies outside the arena.
  bool Write(int32_t value) const { return IsSet() && space->Write32(address, uint32_t(value)); }
};

}  // namespace orrivel
