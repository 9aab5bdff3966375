// Reads arbitrary bytes as a "TLOG" scene-flag file into a fixed table
// (MAIN 16/8, SUB 4/4, SHARED 8/0, as tools/sob/savefiles.sas), then checks
// that what was read writes and reads back.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "script/SceneFlagFile.h"

namespace {

void AddEntry(orrivel::SceneFlagTable& table, const char* name, uint32_t bitsA, uint32_t bitsB) {
  orrivel::SceneFlagEntry& entry = table.entries.emplace_back();
  entry.name = std::string(name) + '\0';
  entry.nameLength = uint8_t(entry.name.size());
  entry.a.Resize(bitsA);
  entry.b.Resize(bitsB);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::SceneFlagTable table;
  AddEntry(table, "MAIN", 16, 8);
  AddEntry(table, "SUB", 4, 4);
  AddEntry(table, "SHARED", 8, 0);
  if (orrivel::SceneFlagFile::Read(data, size, table) != orrivel::SceneFlagFile::kOk) return 0;
  std::vector<uint8_t> file;
  if (orrivel::SceneFlagFile::Write(table, file) != orrivel::SceneFlagFile::kOk) std::abort();
  if (orrivel::SceneFlagFile::Read(file.data(), file.size(), table) != orrivel::SceneFlagFile::kOk) std::abort();
  return 0;
}
