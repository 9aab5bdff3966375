#pragma once
// What a native sees of its call: the argument block (consecutive 32-bit
// cells in the script address space: integers by value, strings and output
// variables by address) and checked ways to reach what the cells point at.
// A native that meets a bad address calls Fail(); the machine then ends the
// step as invalid code instead of the native guessing a value.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel {

class ScriptAddressSpace;
class ScriptMachine;
class NativeArgs;

// A native takes its arguments and returns one 32-bit value.
using ScriptNative = std::function<uint32_t(NativeArgs&)>;
using NativeTable = std::vector<ScriptNative>;

class NativeArgs {
 public:
  NativeArgs(ScriptAddressSpace& space, ScriptMachine* machine, uint32_t block)
      : space_(space), machine_(machine), block_(block) {}

  // Address of the argument block itself.
  uint32_t Block() const { return block_; }
  // Cell i of the block; 0 and a failure when it lies outside the arena.
  uint32_t Cell(uint32_t i);
  int32_t Int(uint32_t i) { return int32_t(Cell(i)); }
  // The zero-terminated string whose address is in cell i.
  std::string String(uint32_t i, size_t maxLength = 1u << 20);
  // Stores value at the address held in cell i (an output variable).
  bool SetInt(uint32_t i, uint32_t value);

  // The cell forms natives share. A byte or 16-bit argument is the low bits
  // of its cell; a flag is true when non-zero; floats travel as their bit
  // patterns; 16.16 values are divided by 65536.
  uint8_t Byte(uint32_t i) { return uint8_t(Cell(i)); }
  uint16_t Word16(uint32_t i) { return uint16_t(Cell(i)); }
  bool Flag(uint32_t i) { return Cell(i) != 0; }
  float Float(uint32_t i);
  static uint32_t FloatBits(float value);
  double Fixed(uint32_t i) { return double(Int(i)) / 65536.0; }
  // A cell holding the address of decimal text: its leading number (blanks
  // and a sign allowed, 0 when there is none); fallback for a null address.
  int32_t DecimalText(uint32_t i, int32_t fallback = 0);
  // 65535 in the first cell of an optional group: the group and what
  // follows it are not given. Exactly 65535; -1 is an ordinary value.
  static constexpr uint32_t kAbsentMarker = 65535;
  bool Given(uint32_t i) { return Cell(i) != kAbsentMarker; }
  // Four cells left, top, right, bottom, taken as they are.
  struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
  };
  Rect RectAt(uint32_t i);
  // nullopt when the rectangle's first cell is the absent marker.
  std::optional<Rect> OptionalRect(uint32_t i);
  // Three channel cells r, g, b (low 8 bits each) as (r << 16) | (g << 8) | b.
  uint32_t PackedColour(uint32_t i);

  // An optional output: written only when cell i holds an address; false
  // when it holds none. A non-zero address that is bad fails the call.
  bool SetOptionalInt(uint32_t i, uint32_t value);
  // Bytes a native may write at the address in cell i: to the end of the
  // script variable's storage or of the arena block it lies in; 0 when the
  // address is in neither.
  uint64_t OutputCapacity(uint32_t i);
  // Copies size bytes to the address in cell i; fails (nothing written) when
  // they do not fit its extent.
  bool CopyOut(uint32_t i, const void* data, uint64_t size);
  // Writes text and its terminating zero to the address in cell i, cut to
  // the extent (never inside a double-byte character). The bytes written
  // before the zero, or -1 (a failure) when the address is bad.
  int64_t WriteText(uint32_t i, std::string_view text);
  // Word at any script address.
  uint32_t Load(uint32_t address);
  bool Store(uint32_t address, uint32_t value);

  void Fail() { failed_ = true; }
  bool Failed() const { return failed_; }

  ScriptAddressSpace& Space() { return space_; }
  ScriptMachine* Machine() { return machine_; }

 private:
  ScriptAddressSpace& space_;
  ScriptMachine* machine_;
  uint32_t block_;
  bool failed_ = false;
};

}  // namespace orrivel
