#pragma once
// Why a script run stopped as invalid code. The machine never crashes on bad
// code: any of these ends the step, and the main loop reports it as a script
// that executed something invalid.
#include <cstdint>

namespace orrivel {

enum class ScriptFault : uint8_t {
  kNone = 0,
  kBadCodeAddress,   // the program counter left the arena
  kBadOperation,     // an operation number above 46
  kBadAddress,       // a load or store outside the arena
  kStackOverflow,    // a push or stack adjustment past the top of the stack
  kStackUnderflow,   // a pop or stack adjustment below the bottom
  kBadStackOffset,   // a stack offset naming a word outside the stack
  kDivideByZero,     // operations 16 to 18 with a divisor of 0
  kDivideOverflow,   // -2147483648 / -1
  kBadSwitch,        // a switch index past the end of its target list
  kBadNative,        // a native number that is not registered
  kNativeFailed,     // a native met a bad address in its arguments
};

const char* ScriptFaultName(ScriptFault fault);

}  // namespace orrivel
