#include "script/NativeArgs.h"

#include <bit>
#include <cstdlib>

#include "base/Cp932.h"
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

float NativeArgs::Float(uint32_t i) { return std::bit_cast<float>(Cell(i)); }

uint32_t NativeArgs::FloatBits(float value) { return std::bit_cast<uint32_t>(value); }

int32_t NativeArgs::DecimalText(uint32_t i, int32_t fallback) {
  const uint32_t address = Cell(i);
  if (failed_) return 0;
  if (address == 0) return fallback;
  std::string text;
  if (!space_.ReadString(address, text)) {
    failed_ = true;
    return 0;
  }
  return int32_t(std::strtol(text.c_str(), nullptr, 10));
}

NativeArgs::Rect NativeArgs::RectAt(uint32_t i) {
  return Rect{Int(i), Int(i + 1), Int(i + 2), Int(i + 3)};
}

std::optional<NativeArgs::Rect> NativeArgs::OptionalRect(uint32_t i) {
  if (!Given(i)) return std::nullopt;
  return RectAt(i);
}

uint32_t NativeArgs::PackedColour(uint32_t i) {
  return (uint32_t(Byte(i)) << 16) | (uint32_t(Byte(i + 1)) << 8) | Byte(i + 2);
}

bool NativeArgs::SetOptionalInt(uint32_t i, uint32_t value) {
  const uint32_t address = Cell(i);
  if (failed_ || address == 0) return false;
  return Store(address, value);
}

uint64_t NativeArgs::OutputCapacity(uint32_t i) {
  const uint32_t address = Cell(i);
  return failed_ ? 0 : space_.WritableBytesAt(address);
}

bool NativeArgs::CopyOut(uint32_t i, const void* data, uint64_t size) {
  const uint32_t address = Cell(i);
  if (failed_) return false;
  if (size > space_.WritableBytesAt(address) || !space_.WriteBytes(address, data, size)) {
    failed_ = true;
    return false;
  }
  return true;
}

int64_t NativeArgs::WriteText(uint32_t i, std::string_view text) {
  const uint32_t address = Cell(i);
  if (failed_) return -1;
  const uint64_t capacity = space_.WritableBytesAt(address);
  if (capacity == 0) {
    failed_ = true;
    return -1;
  }
  // Whole characters only: a lead byte whose trail byte does not fit goes too.
  size_t length = 0;
  while (length < text.size()) {
    const size_t step = cp932::IsLeadByte(text[length]) && length + 1 < text.size() ? 2 : 1;
    if (length + step + 1 > capacity) break;
    length += step;
  }
  const char zero = 0;
  space_.WriteBytes(address, text.data(), length);
  space_.WriteBytes(address + uint32_t(length), &zero, 1);
  return int64_t(length);
}

}  // namespace orrivel
