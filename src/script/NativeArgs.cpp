#include "script/NativeArgs.h"

#include "script/ScriptAddressSpace.h"

namespace orrivel {

uint32_t NativeArgs::Cell(uint32_t i) {
  uint64_t address = uint64_t(block_) + uint64_t(i) * 4;
  uint32_t value = 0;
  if (address > 0xFFFFFFFFu || !space_.Read32(uint32_t(address), value)) {
    failed_ = true;
    return 0;
  }
  return value;
}

std::string NativeArgs::String(uint32_t i, size_t maxLength) {
  std::string text;
  uint32_t address = Cell(i);
  if (failed_) return text;
  if (!space_.ReadString(address, text, maxLength)) failed_ = true;
  return text;
}

bool NativeArgs::SetInt(uint32_t i, uint32_t value) {
  uint32_t address = Cell(i);
  return !failed_ && Store(address, value);
}

uint32_t NativeArgs::Load(uint32_t address) {
  uint32_t value = 0;
  if (!space_.Read32(address, value)) failed_ = true;
  return value;
}

bool NativeArgs::Store(uint32_t address, uint32_t value) {
  if (space_.Write32(address, value)) return true;
  failed_ = true;
  return false;
}

}  // namespace orrivel
