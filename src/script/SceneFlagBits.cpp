#include "script/SceneFlagBits.h"

#include <new>

namespace orrivel {

bool SceneFlagBits::Resize(uint32_t bitCount) {
  try {
    bytes_.assign((uint64_t(bitCount) + 7) / 8, 0);
  } catch (const std::bad_alloc&) {
    bytes_.clear();
    bitCount_ = 0;
    return false;
  }
  bitCount_ = bitCount;
  return true;
}

int SceneFlagBits::Set(uint32_t bit) {
  if (bytes_.empty()) return 1;
  if (bit >= bitCount_) return 2;
  bytes_[bit >> 3] |= uint8_t(1u << (bit & 7));
  return 0;
}

}  // namespace orrivel
