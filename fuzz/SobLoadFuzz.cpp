// Loads arbitrary compiled-script bytes and runs them for a bounded number
// of steps. Input: three u32 lengths (0xFFFFFFFF for a missing file) of
// "SOB_INIT.DAT", "USER_VAR.SOB" and "FUNC_LIB.SOB", their bytes, then the
// scene module to the end (`sob bundle` writes seeds in this form).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "script/ScriptHost.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using orrivel::ScriptContext;
  size_t pos = 12;
  if (size < pos) return 0;
  ScriptContext::SystemFiles files;
  std::optional<ScriptContext::Bytes>* slots[] = {&files.init, &files.userVariables, &files.library};
  for (int i = 0; i < 3; ++i) {
    uint32_t length;
    std::memcpy(&length, data + 4 * i, 4);
    if (length == 0xFFFFFFFFu) continue;
    if (length > size - pos) return 0;
    *slots[i] = ScriptContext::Bytes(data + pos, length);
    pos += length;
  }
  orrivel::ScriptRequestState state;
  // A small arena keeps hostile sizes cheap.
  orrivel::ScriptHost host(&state, 64u << 20);
  for (int i = 3; i < 8; ++i) host.RegisterNative([](orrivel::NativeArgs& args) { return args.Cell(0); });
  host.SetFileReader([](const std::string&) { return orrivel::ScriptFileBytes(); });
  if (host.LoadSystemFromFiles(files, true, true) != 0) return 0;
  if (host.LoadScriptImage("SCRIPT\\MAIN.SOB", ScriptContext::Bytes(data + pos, size - pos), nullptr) != 0) return 0;
  host.Machine().SetInstructionBudget(20000);
  for (int step = 0; step < 8; ++step) {
    if (host.Step() != orrivel::ScriptHost::kStepYielded) break;
  }
  return 0;
}
