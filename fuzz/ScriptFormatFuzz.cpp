// Formats arbitrary format text over arbitrary cells. The input up to the
// first zero byte is the format; the bytes after it fill eight cells, whose
// values point anywhere: into a small script string, at its end, past the
// arena or nowhere. A bad address fails the call; the result never
// exceeds the formatter's size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "natives/ScriptTextFormat.h"
#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t formatLength = zero ? size_t(zero - data) : size;
  const std::string format(reinterpret_cast<const char*>(data), formatLength);
  orrivel::ScriptAddressSpace space(1 << 16);
  const uint32_t text = space.Allocate(8);
  space.WriteBytes(text, "ab\x82\xa0z", 6);
  const uint32_t block = space.Allocate(8 * 4);
  const uint8_t* cells = zero ? zero + 1 : data + size;
  for (uint32_t i = 0; i < 8; ++i) {
    uint32_t value = 0;
    const size_t at = size_t(cells - data) + i * 4;
    if (at + 4 <= size) std::memcpy(&value, data + at, 4);
    // Low values pick a string address; others stay as they are.
    if (value < 4) value = text + value;
    space.Write32(block + i * 4, value);
  }
  orrivel::NativeArgs args(space, nullptr, block);
  const auto out = orrivel::FormatScriptText(args, format, 0);
  if (out && out->size() >= orrivel::kScriptFormatMaxBytes) std::abort();
  return 0;
}
