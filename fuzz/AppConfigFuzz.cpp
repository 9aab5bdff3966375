// Reads arbitrary bytes as "APP_CFG.DAT"; the block written back reads the same.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/AppSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  orrivel::AppSettings::AppConfigBlock block = orrivel::DefaultAppConfigBlock();
  if (!orrivel::ReadAppConfig(file, block)) return 0;
  orrivel::AppSettings::AppConfigBlock again{};
  if (!orrivel::ReadAppConfig(orrivel::EncodeAppConfig(block), again) || again != block) std::abort();
  return 0;
}
