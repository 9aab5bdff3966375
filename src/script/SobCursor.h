#pragma once
// Little-endian reader over (data, size) for the script file formats. Every
// read checks what is left; once a read fails the cursor stays failed, so a
// loader can read a run of fields and test Ok() once.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orrivel {

class SobCursor {
 public:
  SobCursor(const uint8_t* data, uint64_t size) : data_(data), size_(data ? size : 0) {}

  bool Ok() const { return ok_; }
  uint64_t Position() const { return pos_; }
  uint64_t Remaining() const { return size_ - pos_; }
  const uint8_t* Here() const { return data_ + pos_; }

  uint8_t U8() {
    if (!Need(1)) return 0;
    return data_[pos_++];
  }
  uint16_t U16() {
    if (!Need(2)) return 0;
    uint16_t v = uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    if (!Need(4)) return 0;
    uint32_t v = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 | uint32_t(data_[pos_ + 2]) << 16 |
                 uint32_t(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
  }
  // Start of the next n bytes, which are skipped; nullptr when they are not there.
  const uint8_t* Take(uint64_t n) {
    if (!Need(n)) return nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  bool Magic(const char (&magic)[5]) {
    const uint8_t* p = Take(4);
    return p && std::memcmp(p, magic, 4) == 0;
  }

 private:
  bool Need(uint64_t n) {
    if (!ok_ || n > size_ - pos_) {
      ok_ = false;
      return false;
    }
    return true;
  }

  const uint8_t* data_;
  uint64_t size_;
  uint64_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace orrivel
