// Name-tree look-up over arbitrary tree bytes: the first byte chooses the link
// width and the case mode, the next up to 32 bytes are the name, the rest the
// tree. Any tree must answer a value or -1 without reading outside it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/TrieLookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const bool wide = data[0] & 1;
  const int32_t caseMode = (data[0] >> 1) & 3;
  const size_t nameLength = data[1] % 33;
  if (size < 2 + nameLength) return 0;
  const std::string name(reinterpret_cast<const char*>(data + 2), nameLength);
  const std::span<const uint8_t> tree(data + 2 + nameLength, size - 2 - nameLength);
  orrivel::TrieLookup(tree, wide, name.c_str(), caseMode);
  return 0;
}
