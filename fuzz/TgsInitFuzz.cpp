// Reads arbitrary bytes as "TGS_INIT.DAT"; a table that loads then has its
// read flags saved and read back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "TgsMemoryFiles.h"
#include "frame/TgsModule.h"
#include "script/ScriptAddressSpace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::fuzz::TgsMemoryFiles disk;
  orrivel::ScriptAddressSpace space;
  orrivel::TgsModule module(space);
  disk.files["TGS_INIT.DAT"].assign(data, data + size);
  disk.Attach(module);
  if (module.LoadInit("TGS_INIT.DAT") != 0 || !module.ScriptTable().Exists()) return 0;
  // Packing megabytes of flags says nothing new and only slows the search.
  uint64_t flagBytes = 0;
  for (const orrivel::SceneFlagEntry& entry : module.ScriptTable().entries)
    flagBytes += entry.a.ByteCount() + entry.b.ByteCount();
  if (flagBytes > (1u << 16)) return 0;
  if (module.SaveReadFlags("TEXT_LOG.DAT") != 0) std::abort();
  if (module.LoadReadFlags("TEXT_LOG.DAT") != 0) std::abort();
  return 0;
}
