// Reads arbitrary bytes as "SET_UP.IFG"; a named installation writes back
// to the same name and flag.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/AppSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  const std::optional<orrivel::SetupInfo> setup = orrivel::ReadSetupFile(file);
  if (!setup) return 0;
  const std::optional<orrivel::SetupInfo> again = orrivel::ReadSetupFile(orrivel::EncodeSetupFile(*setup));
  if (!again || again->keyName != setup->keyName || again->perUser != setup->perUser) std::abort();
  return 0;
}
