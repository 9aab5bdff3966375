#include "base/BitArray.h"

#include <bit>
#include <cstring>
#include <new>

namespace orrivel {

int32_t BitArray::Resize(uint32_t n) {
  if (n == 0) return 1;
  Clear();
  // In 64 bits: n + 7 would wrap for the largest counts.
  const uint32_t bytes = uint32_t((uint64_t(n) + 7) / 8);
  bytes_.reset(new (std::nothrow) uint8_t[bytes]);
  if (!bytes_) return 2;
  std::memset(bytes_.get(), 0, bytes);
  bitCount_ = n;
  byteCount_ = bytes;
  return 0;
}

void BitArray::Clear() {
  bytes_.reset();
  bitCount_ = 0;
  byteCount_ = 0;
}

int32_t BitArray::LoadBytes(const uint8_t* source, uint32_t k) {
  if (!bytes_ || !source || k > byteCount_) return 1;
  std::memcpy(bytes_.get(), source, k);
  return 0;
}

int32_t BitArray::Set(uint32_t n, int32_t value) {
  if (!bytes_) return 1;
  if (n >= bitCount_) return 2;
  const uint8_t mask = uint8_t(1u << (n & 7));
  if (value != 0) {
    bytes_[n >> 3] |= mask;
  } else {
    bytes_[n >> 3] &= uint8_t(~mask);
  }
  return 0;
}

bool BitArray::Test(uint32_t n) const {
  if (!bytes_ || n >= bitCount_) return false;
  return (bytes_[n >> 3] >> (n & 7)) & 1;
}

uint32_t BitArray::CountSet() const {
  uint32_t count = 0;
  for (uint32_t i = 0; i < byteCount_; ++i) count += uint32_t(std::popcount(bytes_[i]));
  return count;
}

bool BitArray::AllSet() const {
  if (!bytes_) return false;
  const uint32_t fullBytes = bitCount_ / 8;
  for (uint32_t i = 0; i < fullBytes; ++i) {
    if (bytes_[i] != 0xFF) return false;
  }
  const uint32_t rest = bitCount_ & 7;
  if (rest == 0) return true;
  const uint8_t mask = uint8_t((1u << rest) - 1);
  return (bytes_[fullBytes] & mask) == mask;
}

}  // namespace orrivel
