#pragma once
// A linked script module (the function library or one scene): its code
// block in the script address space and the scene table entry it belongs to.
#include <cstdint>

namespace orrivel {

struct ScriptModule {
  uint32_t code = 0;               // address of the code block (owned)
  uint32_t codeSize = 0;           // bytes of code
  int32_t sceneIndex = -1;         // index into the scene table, -1 when none
  uint32_t translationLength = 0;  // bytes of instructions; the rest is constant data
  bool isLibrary = false;
};

}  // namespace orrivel
