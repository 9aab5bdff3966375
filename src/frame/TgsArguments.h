#pragma once
// The arguments of one inline command as its handler sees them: pairs of
// two 32-bit cells (type, value) in the script address space. Type 0 means
// the argument was omitted (the value may still carry what the module
// supplied); bit 1 of the type marks a string, whose value is the script
// address of its bytes; type 0xFF marks a text offset. Strings are read
// through the address space's checks, never through a kept pointer.
#include <cstdint>
#include <string>

namespace orrivel {

class ScriptAddressSpace;

class TgsArguments {
 public:
  static constexpr uint32_t kOmitted = 0;
  static constexpr uint32_t kStringBit = 2;
  static constexpr uint32_t kTextOffset = 0xFF;
  static constexpr uint32_t kPairBytes = 8;

  TgsArguments(const ScriptAddressSpace& space, uint32_t pairs, uint32_t count)
      : space_(&space), pairs_(pairs), count_(count) {}

  uint32_t Count() const { return count_; }
  // Script address of the first pair.
  uint32_t PairsAddress() const { return pairs_; }
  // Pairs past the count read as omitted with value 0.
  uint32_t Type(uint32_t k) const;
  uint32_t Value(uint32_t k) const;
  bool Given(uint32_t k) const { return Type(k) != kOmitted; }
  bool IsString(uint32_t k) const { return (Type(k) & kStringBit) != 0; }
  bool IsTextOffset(uint32_t k) const { return Type(k) == kTextOffset; }
  // The value when the argument is given, else fallback.
  int32_t IntOr(uint32_t k, int32_t fallback) const { return Given(k) ? int32_t(Value(k)) : fallback; }
  // The bytes of a string argument; empty when it is not a string, has no
  // value, or its address does not lead to a string inside a live block.
  std::string Text(uint32_t k) const;

 private:
  uint32_t Cell(uint32_t k, uint32_t cell) const;

  const ScriptAddressSpace* space_;
  uint32_t pairs_;
  uint32_t count_;
};

}  // namespace orrivel
