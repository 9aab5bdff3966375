#pragma once
// A stream over a heap block (made with AllocGlobalMemory) that it owns
// unless the block is detached.
#include "resource/Stream.h"

namespace orrivel {

class MemoryStream final : public Stream {
 public:
  MemoryStream() = default;
  ~MemoryStream() override;

  // 0, or 10 when a block is already attached.
  int Attach(void* block, uint32_t size);

  uint32_t GetSize() const override { return size_; }
  uint32_t Tell() const override { return position_; }
  bool IsEof() const override { return position_ == size_; }
  int SeekSet(uint32_t offset) override;
  int SeekCurrent(int32_t offset) override;
  int SeekEnd(uint32_t offset) override;
  uint32_t Read(void* buffer, uint32_t count) override;
  void* GetBuffer(bool detach) override;

 private:
  uint8_t* base_ = nullptr;
  uint32_t position_ = 0;
  uint32_t size_ = 0;
};

}  // namespace orrivel
