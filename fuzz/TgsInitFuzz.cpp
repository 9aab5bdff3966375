// Reads arbitrary bytes as "TGS_INIT.DAT"; a table that loads then has its
// read flags saved and read back.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "frame/TgsModule.h"
#include "script/ScriptAddressSpace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::ScriptAddressSpace space;
  orrivel::TgsModule module(space);
  std::map<std::string, std::vector<uint8_t>> files;
  files["TGS_INIT.DAT"].assign(data, data + size);
  module.SetFileReader([&files](const std::string& path) -> orrivel::ScriptFileBytes {
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  });
  module.SetFileWriter([&files](const std::string& path, std::span<const uint8_t> bytes) {
    files[path].assign(bytes.begin(), bytes.end());
    return true;
  });
  if (module.LoadInit("TGS_INIT.DAT") != 0 || !module.ScriptTable().Exists()) return 0;
  if (module.SaveReadFlags("TEXT_LOG.DAT") != 0) std::abort();
  if (module.LoadReadFlags("TEXT_LOG.DAT") != 0) std::abort();
  return 0;
}
