// Reads arbitrary bytes as "VQ_APP.SYS"; a file that reads writes back to
// one that reads to the same block.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "game/AppSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> file(data, data + size);
  orrivel::AppSettings::SystemBlock block = orrivel::DefaultSystemBlock();
  if (orrivel::ReadSystemFile(file, block) != 0) return 0;
  orrivel::AppSettings::SystemBlock again = orrivel::DefaultSystemBlock();
  if (orrivel::ReadSystemFile(orrivel::EncodeSystemFile(block), again) != 0 || again != block) std::abort();
  return 0;
}
