#pragma once
// A compiled script loop over two variables, i and s, for the script
// benchmarks: the code words are written straight into the script address
// space, the way linked scripts sit there, and Run returns s.
#include <cstdint>
#include <vector>

#include "script/ScriptMachine.h"

namespace orrivel::bench {

struct ScriptLoop {
  ScriptAddressSpace space;
  NativeTable natives;
  ScriptMachine machine{space, &natives};
  uint32_t code = 0;
  uint32_t vars = 0;

  explicit ScriptLoop(uint32_t codeWords) {
    machine.AllocateStack(256);
    vars = space.Allocate(8);
    code = space.Allocate(uint64_t(codeWords) * 4);
  }
  uint32_t I() const { return vars; }
  uint32_t S() const { return vars + 4; }
  uint32_t At(uint32_t word) const { return code + 4 * word; }
  void Load(const std::vector<uint32_t>& words) {
    for (size_t k = 0; k < words.size(); ++k) space.Write32(At(uint32_t(k)), words[k]);
  }
  // Runs the loop from i = s = 0; the final s.
  uint32_t Run() {
    space.Write32(I(), 0);
    space.Write32(S(), 0);
    machine.SetStackPointer(machine.StackBase());
    machine.RunAt(code);
    uint32_t sum = 0;
    space.Read32(S(), sum);
    return sum;
  }
};

}  // namespace orrivel::bench
