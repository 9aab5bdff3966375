// Reads arbitrary bytes as a ".TOB" module; one that passes the checks is
// loaded by the module holder and walked through its labels and resume
// points with calls, jumps and returns.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame/TgsModule.h"
#include "frame/TobImage.h"
#include "script/ScriptAddressSpace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::TobLayout layout;
  if (orrivel::TobImage::Parse(data, size, layout) != orrivel::TobImage::kOk) return 0;
  orrivel::ScriptAddressSpace space;
  orrivel::TgsModule module(space);
  const std::vector<uint8_t> file(data, data + size);
  module.SetFileReader([&file](const std::string&) -> orrivel::ScriptFileBytes { return file; });
  if (module.LoadScriptByName("M") != 0) std::abort();
  // Every label found resolves inside the text.
  uint64_t at = layout.labelsOffset;
  for (uint32_t i = 0; i < layout.labelCount && i < 64; ++i) {
    const std::string name(reinterpret_cast<const char*>(data + at + 1));
    const uint32_t target = module.Jump(std::nullopt, name, 0);
    if (target == 0 || target - module.CurrentModule()->TextStart() >= layout.textSize) std::abort();
    module.SetReadPosition(target);
    if (module.Call(std::nullopt, name, 0) == 0) std::abort();
    at += 1 + uint64_t(data[at]);
  }
  for (uint32_t n = 0; n < layout.resumeCount && n < 64; ++n)
    if (module.GetResumePoint(n) >= int32_t(layout.textSize)) std::abort();
  while (module.Return(std::nullopt, std::nullopt, 0) != 0) {
  }
  return 0;
}
