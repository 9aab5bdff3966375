// Builds a heat-haze displacement profile from arbitrary text. The first two
// bytes give the profile length (a signed 16-bit number, so 0 and negative
// lengths come up); the rest, zero-terminated, is the profile text. The
// profile must be refused or come back with exactly that many entries.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "base/MathTables.h"
#include "effect/BgHazeAction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static orrivel::MathTables tables;
  orrivel::SetMathTables(&tables);
  const int32_t length = int16_t(uint16_t(data[0] | data[1] << 8));
  std::unique_ptr<char[]> text(new char[size - 1]);
  std::memcpy(text.get(), data + 2, size - 2);
  text[size - 2] = '\0';
  std::vector<int32_t> profile;
  const bool built = orrivel::BuildHazeProfile(text.get(), length, &profile);
  if (built && profile.size() != size_t(length)) std::abort();
  if (built && length < 1) std::abort();
  return 0;
}
