// Reads arbitrary bytes as "VQ_APP.INF"; what reads writes back to the same
// version and strings.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/AppSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  std::array<uint8_t, 3> version{};
  orrivel::AppSettings::InfoStrings info;
  if (orrivel::ReadInfoFile(file, version, info) != 0) return 0;
  std::array<uint8_t, 3> versionAgain{};
  orrivel::AppSettings::InfoStrings again;
  if (orrivel::ReadInfoFile(orrivel::EncodeInfoFile(version, info), versionAgain, again) != 0) std::abort();
  if (versionAgain != version || again[4].has_value() != (info[4].has_value() && !info[4]->empty())) std::abort();
  return 0;
}
