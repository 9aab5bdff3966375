#pragma once
// What a native sees of its call: the argument block (consecutive 32-bit
// cells in the script address space: integers by value, strings and output
// variables by address) and checked ways to reach what the cells point at.
// A native that meets a bad address calls Fail(); the machine then ends the
// step as invalid code instead of the native guessing a value.
#include <cstdint>
#include <functional>
#include <string>
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
