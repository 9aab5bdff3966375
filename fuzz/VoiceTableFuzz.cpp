// Reads arbitrary bytes as the voice table "SCRIPT\\VOICEINF.DAT" and checks
// what a read table promises: prefixes name existing entries and the
// extension fits its 8 bytes.
#include <cstdint>
#include <cstdlib>

#include "script/VoiceTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::VoiceTable table;
  if (table.Read(data, size) != orrivel::VoiceTable::kOk) {
    if (!table.Entries().empty() || !table.Prefixes().empty()) std::abort();
    return 0;
  }
  if (table.Extension().size() >= orrivel::VoiceTable::kExtensionBytes) std::abort();
  for (const orrivel::VoicePrefix& prefix : table.Prefixes())
    if (prefix.entry >= table.Entries().size()) std::abort();
  table.FindEntryForCue("mio_0001");
  return 0;
}
