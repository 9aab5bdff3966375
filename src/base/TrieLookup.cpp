#include "base/TrieLookup.h"

#include <cstring>

#include "base/Cp932.h"

namespace orrivel {
namespace {

constexpr size_t kMaxNameBytes = 255;

uint32_t ReadLink(const uint8_t* p, bool wide) {
  uint32_t value = uint32_t(p[0]) | (uint32_t(p[1]) << 8);
  if (wide) value |= (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  return value;
}

}  // namespace

int64_t TrieLookup(std::span<const uint8_t> tree, bool wide, const char* name, int32_t caseMode) {
  if (!tree.data() || tree.empty() || !name) return -1;
  const size_t length = strnlen(name, kMaxNameBytes + 1);
  if (length > kMaxNameBytes) return -1;
  char key[kMaxNameBytes + 1];
  std::memcpy(key, name, length);
  key[length] = '\0';
  if (caseMode == 1) {
    cp932::ToUpperAscii(key, length);
  } else if (caseMode != 0) {
    cp932::ToLowerAscii(key, length);
  }

  const uint64_t size = tree.size();
  const uint64_t entryBytes = wide ? 5 : 3;
  uint64_t node = 0;
  for (size_t i = 0; i <= length; ++i) {
    if (node >= size) return -1;
    const uint64_t children = tree[node];
    const uint64_t first = node + 1;
    if (children == 0 || first + children * entryBytes > size) return -1;
    const uint8_t byte = uint8_t(key[i]);
    uint64_t entry = first;
    const uint64_t end = first + children * entryBytes;
    while (entry < end && tree[entry] != byte) entry += entryBytes;
    if (entry >= end) return -1;
    const uint32_t link = ReadLink(&tree[entry + 1], wide);
    if (byte == 0) return int64_t(link);
    node = entry + entryBytes + link;  // checked against the size on the next byte
  }
  return -1;  // not reached: the terminating zero always returns
}

}  // namespace orrivel
