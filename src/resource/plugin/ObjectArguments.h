#pragma once
// The arguments a caller hands to a named object's set-up and to the
// registries' assist callbacks: a list of machine words, each either a
// 32-bit script cell (widened) or an engine pointer (a target, an out
// value). The list carries its length, so a reader past the end gets the
// fallback instead of whatever lies behind the caller's block.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orrivel {

struct ObjectArguments {
  const std::intptr_t* values = nullptr;
  std::size_t count = 0;

  std::intptr_t Word(std::size_t index, std::intptr_t fallback = 0) const {
    return index < count && values ? values[index] : fallback;
  }
  std::int32_t Cell(std::size_t index, std::int32_t fallback = 0) const {
    return index < count && values ? std::int32_t(values[index]) : fallback;
  }
  template <typename T>
  T* Pointer(std::size_t index) const {
    return reinterpret_cast<T*>(Word(index, 0));
  }
  // A double passed as two cells, the low word at index and the high word
  // after it; an absent cell reads as 0.
  double Double(std::size_t lowIndex) const {
    const std::uint64_t bits = std::uint64_t(std::uint32_t(Cell(lowIndex))) |
                               std::uint64_t(std::uint32_t(Cell(lowIndex + 1))) << 32;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  // The list without its first `skip` words.
  ObjectArguments Rest(std::size_t skip) const {
    if (skip >= count) return ObjectArguments{nullptr, 0};
    return ObjectArguments{values + skip, count - skip};
  }
};

}  // namespace orrivel
