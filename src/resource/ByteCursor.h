#pragma once
// A bounded little-endian reader over a block in memory. Every read checks
// the bytes left first; a read past the end fails and leaves the position
// where it was, so callers map the failure to their own code.
#include <cstdint>
#include <cstring>

namespace orrivel {

class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, uint64_t size) : data_(data), size_(data ? size : 0) {}

  uint64_t Position() const { return position_; }
  uint64_t Remaining() const { return size_ - position_; }
  uint64_t Size() const { return size_; }
  const uint8_t* Here() const { return data_ + position_; }

  bool Skip(uint64_t count) {
    if (count > Remaining()) return false;
    position_ += count;
    return true;
  }
  bool SeekTo(uint64_t position) {
    if (position > size_) return false;
    position_ = position;
    return true;
  }
  bool ReadBytes(void* out, uint64_t count) {
    if (count > Remaining()) return false;
    if (count) std::memcpy(out, data_ + position_, count);
    position_ += count;
    return true;
  }
  bool ReadU8(uint8_t* out) { return ReadBytes(out, 1); }
  bool ReadU16(uint16_t* out) {
    uint8_t b[2];
    if (!ReadBytes(b, 2)) return false;
    *out = uint16_t(b[0] | (b[1] << 8));
    return true;
  }
  bool ReadS16(int16_t* out) {
    uint16_t v;
    if (!ReadU16(&v)) return false;
    *out = int16_t(v);
    return true;
  }
  bool ReadU32(uint32_t* out) {
    uint8_t b[4];
    if (!ReadBytes(b, 4)) return false;
    *out = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
  }
  bool ReadS32(int32_t* out) {
    uint32_t v;
    if (!ReadU32(&v)) return false;
    *out = int32_t(v);
    return true;
  }

 private:
  const uint8_t* data_;
  uint64_t size_;
  uint64_t position_ = 0;
};

}  // namespace orrivel
