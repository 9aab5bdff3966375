// The frame's block of a save, read by a frame without modules on disk: the
// whole block is parsed before the module state is tried.
#include <cstdint>

#include "frame/TgsFrame.h"
#include "script/ScriptAddressSpace.h"
#include "script/SobCursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orrivel::ScriptAddressSpace space(1u << 16);
  orrivel::TgsFrame frame(space, {});
  frame.SetFileReader([](const std::string&) { return orrivel::ScriptFileBytes{}; });
  orrivel::SobCursor in(data, size);
  frame.LoadFrom(in);
  return 0;
}
