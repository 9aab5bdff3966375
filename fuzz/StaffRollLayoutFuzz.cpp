// The staff roll's layout reader on arbitrary lines, then placement.
#include <cstddef>
#include <cstdint>
#include <string>

#include "effect/StaffRollLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::StaffRollLayout layout;
  std::string line;
  auto feed = [&] {
    const int32_t result = layout.ReadLine(line.c_str());
    line.clear();
    return result == orrivel::kLayoutOk;
  };
  for (size_t i = 0; i < size; ++i) {
    const char c = char(data[i]);
    if (c == '\n' || line.size() == 511) {
      if (!feed()) return 0;
      if (c == '\n') continue;
    }
    line.push_back(c);
  }
  if (!feed()) return 0;
  layout.Place(640, [](size_t i, int32_t* w, int32_t* h) {
    *w = int32_t(i * 37 % 900);
    *h = int32_t(i * 13 % 60);
  });
  return 0;
}
