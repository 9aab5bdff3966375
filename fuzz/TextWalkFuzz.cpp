// The text walk over arbitrary bytes: every unit moves forward, stays inside
// the text, and a two-byte character never takes the terminating NUL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/TextWalker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);  // cut at the first NUL by the walk
  size_t pos = 0;
  orrivel::TextUnit unit;
  while (orrivel::NextTextUnit(text.c_str(), &pos, &unit)) {
    if (pos > text.size() || pos == 0) std::abort();
    if (unit.kind == orrivel::TextUnit::kPicture && unit.code > 9999999) std::abort();
  }
  return 0;
}
