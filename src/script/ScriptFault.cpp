#include "script/ScriptFault.h"

namespace orrivel {

const char* ScriptFaultName(ScriptFault fault) {
  switch (fault) {
    case ScriptFault::kNone: return "none";
    case ScriptFault::kBadCodeAddress: return "bad code address";
    case ScriptFault::kBadOperation: return "bad operation";
    case ScriptFault::kBadAddress: return "bad address";
    case ScriptFault::kStackOverflow: return "stack overflow";
    case ScriptFault::kStackUnderflow: return "stack underflow";
    case ScriptFault::kBadStackOffset: return "bad stack offset";
    case ScriptFault::kDivideByZero: return "division by zero";
    case ScriptFault::kDivideOverflow: return "division overflow";
    case ScriptFault::kBadSwitch: return "bad switch index";
    case ScriptFault::kBadNative: return "bad native";
    case ScriptFault::kNativeFailed: return "native failed";
  }
  return "unknown";
}

}  // namespace orrivel
