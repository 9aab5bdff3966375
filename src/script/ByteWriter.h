#pragma once
// A write cursor over a buffer the caller owns: little-endian fields, never
// past the end. Once a write does not fit the writer stays failed, so a run
// of writes can be checked once with Ok().
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orrivel {

class ByteWriter {
 public:
  ByteWriter(uint8_t* data, uint64_t size) : data_(data), size_(data ? size : 0) {}

  bool Ok() const { return ok_; }
  bool HasBuffer() const { return data_ != nullptr; }
  uint64_t Position() const { return pos_; }
  uint64_t Remaining() const { return size_ - pos_; }

  void U8(uint8_t value) { Put(&value, 1); }
  void U32(uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    Put(bytes, 4);
  }
  void Put(const void* bytes, uint64_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return;
    }
    if (n) std::memcpy(data_ + pos_, bytes, n);
    pos_ += n;
  }
  void Zeros(uint64_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return;
    }
    if (n) std::memset(data_ + pos_, 0, n);
    pos_ += n;
  }

 private:
  uint8_t* data_;
  uint64_t size_;
  uint64_t pos_ = 0;
  bool ok_ = true;
};

// Appends value little-endian, for files built in a growing buffer.
inline void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace orrivel
