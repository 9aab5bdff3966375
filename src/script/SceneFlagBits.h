#pragma once
// The bit array of one scene's flags, sized from "SOB_INIT.DAT".
#include <cstdint>
#include <vector>

namespace orrivel {

class SceneFlagBits {
 public:
  // All bits clear. False when memory runs out.
  bool Resize(uint32_t bitCount);
  bool Test(uint32_t bit) const {
    return bit < bitCount_ && (bytes_[bit >> 3] >> (bit & 7)) & 1;
  }
  // 0 set, 1 no storage, 2 outside the array.
  int Set(uint32_t bit);
  uint32_t BitCount() const { return bitCount_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  uint32_t bitCount_ = 0;
  std::vector<uint8_t> bytes_;
};

}  // namespace orrivel
