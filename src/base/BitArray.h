#pragma once
// Flag bits, least significant bit first: bit n is bit (n mod 8) of byte n / 8.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace orrivel {

class BitArray {
 public:
  BitArray() = default;
  virtual ~BitArray() = default;
  BitArray(const BitArray&) = delete;
  BitArray& operator=(const BitArray&) = delete;

  // Replaces the bits with n clear bits. 0; 1 when n is 0 (the array is left
  // as it was); 2 out of memory (the array is left empty).
  int32_t Resize(uint32_t n);
  void Clear();
  // Copies k bytes into the start of the storage. 0; 1 when there are no
  // bytes, source is null or k exceeds the byte count.
  int32_t LoadBytes(const uint8_t* source, uint32_t k);
  // 0; 1 no bytes; 2 n is not below the bit count.
  int32_t Set(uint32_t n, int32_t value);
  bool Test(uint32_t n) const;
  // Set bits over all bytes, including any above the bit count in the last byte.
  uint32_t CountSet() const;
  // True when bits 0 to bit count - 1 are all set; false without bytes.
  bool AllSet() const;

  uint32_t BitCount() const { return bitCount_; }
  uint32_t ByteCount() const { return byteCount_; }
  const uint8_t* Bytes() const { return bytes_.get(); }

 private:
  uint32_t bitCount_ = 0;
  uint32_t byteCount_ = 0;
  std::unique_ptr<uint8_t[]> bytes_;
};

}  // namespace orrivel
