// Reads arbitrary bytes as "USER.CFG"; what reads writes back to the same
// blocks and folder.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/AppSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  orrivel::AppSettings settings;
  if (orrivel::ReadUserConfig(file, settings) != 0) return 0;
  orrivel::AppSettings again;
  if (orrivel::ReadUserConfig(orrivel::EncodeUserConfig(settings), again) != 0) std::abort();
  if (again.user != settings.user || again.window != settings.window || again.boot != settings.boot) std::abort();
  return 0;
}
