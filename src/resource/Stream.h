#pragma once
// The read-only stream interface over a disk file, a memory block or an
// archive member. Seeks clamp at both ends; a holder releases a stream with
// Release() (see SharedHolder).
#include <algorithm>
#include <cstdint>

#include "resource/SharedHolder.h"

namespace orrivel {

class Stream : public SharedHolder {
 public:
  virtual uint32_t GetSize() const = 0;
  virtual uint32_t Tell() const = 0;
  virtual bool IsEof() const = 0;
  virtual int SeekSet(uint32_t offset) = 0;
  virtual int SeekCurrent(int32_t offset) = 0;
  // offset is a non-negative distance back from the end.
  virtual int SeekEnd(uint32_t offset) = 0;
  // Bytes copied.
  virtual uint32_t Read(void* buffer, uint32_t count) = 0;
  // The whole data when they are in memory, else null. With detach the
  // stream gives up the block, which the caller frees with FreeGlobalMemory.
  virtual void* GetBuffer(bool detach) {
    (void)detach;
    return nullptr;
  }
};

using StreamPtr = HeldPtr<Stream>;

// Clamped moves shared by every stream: the new position for a move from
// `position` inside [0, size].
uint32_t ClampForward(uint32_t position, uint32_t size, int64_t delta);

// A stream that keeps its own position inside [0, size]: the seeks clamp
// the target there and hand it to MoveTo, which says whether it may move.
class PositionedStream : public Stream {
 public:
  uint32_t GetSize() const override { return size_; }
  uint32_t Tell() const override { return position_; }
  bool IsEof() const override { return position_ == size_; }
  int SeekSet(uint32_t offset) override { return MoveTo(std::min(offset, size_)); }
  int SeekCurrent(int32_t offset) override { return MoveTo(ClampForward(position_, size_, offset)); }
  int SeekEnd(uint32_t offset) override { return MoveTo(offset <= size_ ? size_ - offset : 0); }

 protected:
  virtual int MoveTo(uint32_t position) = 0;

  uint32_t size_ = 0;
  uint32_t position_ = 0;
};

}  // namespace orrivel
