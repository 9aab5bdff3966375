// Reads arbitrary bytes as "TEXT_LOG.DAT" into a fixed script table (MAIN
// 40/3, SUB 9/0, END 2/2, as the sample story), then checks that what was
// read writes and reads back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "TgsMemoryFiles.h"
#include "frame/TgsModule.h"
#include "script/ScriptAddressSpace.h"

namespace {

std::vector<uint8_t> ScriptTable() {
  std::vector<uint8_t> out = {3, 0, 0, 0};
  auto add = [&out](const char* name, uint32_t messages, uint32_t choices) {
    const std::string text = std::string(name) + '\0';
    out.push_back(uint8_t(text.size()));
    out.insert(out.end(), text.begin(), text.end());
    for (uint32_t value : {messages, choices})
      for (int b = 0; b < 4; ++b) out.push_back(uint8_t(value >> (8 * b)));
  };
  add("MAIN", 40, 3);
  add("SUB", 9, 0);
  add("END", 2, 2);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::fuzz::TgsMemoryFiles disk;
  orrivel::ScriptAddressSpace space;
  orrivel::TgsModule module(space);
  disk.files["TGS_INIT.DAT"] = ScriptTable();
  disk.files["TEXT_LOG.DAT"].assign(data, data + size);
  disk.Attach(module);
  if (module.LoadInit("TGS_INIT.DAT") != 0) std::abort();
  if (module.LoadReadFlags("TEXT_LOG.DAT") != 0) return 0;
  const uint32_t read = module.CountReadMessages(std::nullopt);
  if (module.SaveReadFlags("COPY.DAT") != 0) std::abort();
  orrivel::TgsModule again(space);
  disk.Attach(again);
  if (again.LoadInit("TGS_INIT.DAT") != 0 || again.LoadReadFlags("COPY.DAT") != 0) std::abort();
  if (again.CountReadMessages(std::nullopt) != read) std::abort();
  return 0;
}
