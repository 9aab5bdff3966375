// The first four bytes give the output size (at most 1 MiB); the rest is
// packed data.
#include <cstdint>
#include <vector>

#include "resource/LzssCoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const uint32_t outputSize = (data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3] & 0x0F) << 24) & 0xFFFFF;
  std::vector<uint8_t> output;
  orrivel::LzssDecode(data + 4, size - 4, output, outputSize);
  return 0;
}
