#include "resource/MemoryStream.h"

#include <algorithm>
#include <cstring>

#include "resource/MemoryBlock.h"

namespace orrivel {

MemoryStream::~MemoryStream() { FreeGlobalMemory(base_); }

int MemoryStream::Attach(void* block, uint32_t size) {
  if (base_) return 10;
  base_ = static_cast<uint8_t*>(block);
  size_ = size;
  position_ = 0;
  return 0;
}

int MemoryStream::MoveTo(uint32_t position) {
  if (!base_) return 1;
  position_ = position;
  return 0;
}

uint32_t MemoryStream::Read(void* buffer, uint32_t count) {
  if (!base_ || !buffer) return 0;
  const uint32_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, base_ + position_, n);
  position_ += n;
  return n;
}

void* MemoryStream::GetBuffer(bool detach) {
  void* block = base_;
  if (detach) {
    base_ = nullptr;
    position_ = 0;
  }
  return block;
}

}  // namespace orrivel
