#include "resource/LpkMemberStream.h"

#include <algorithm>
#include <cstring>

#include "resource/LpkCipher.h"

namespace orrivel {

LpkMemberStream::LpkMemberStream(platform::File file, uint64_t dataOffset, uint32_t size, std::vector<uint8_t> head,
                                 bool scrambledBytes)
    : file_(std::move(file)), dataOffset_(dataOffset), head_(std::move(head)), scrambledBytes_(scrambledBytes) {
  size_ = size;
}

int LpkMemberStream::MoveTo(uint32_t position) {
  position_ = position;
  return file_.IsOpen() ? 0 : 1;
}

uint32_t LpkMemberStream::Read(void* buffer, uint32_t count) {
  if (!buffer || position_ >= size_) return 0;
  count = std::min(count, size_ - position_);
  uint8_t* out = static_cast<uint8_t*>(buffer);
  uint32_t delivered = 0;
  const uint32_t headLength = uint32_t(head_.size());
  if (position_ < headLength) {
    const uint32_t n = std::min(count, headLength - position_);
    std::memcpy(out, head_.data() + position_, n);
    delivered = n;
  }
  if (delivered < count) {
    const uint64_t offset = dataOffset_ + (position_ + delivered - headLength);
    const int64_t got = file_.ReadAt(offset, out + delivered, count - delivered);
    if (got > 0) {
      if (scrambledBytes_) lpk::UnscrambleBytes(out + delivered, size_t(got));
      delivered += uint32_t(got);
    }
  }
  position_ += delivered;
  return delivered;
}

}  // namespace orrivel
