#pragma once
// A stream over a heap block (made with AllocGlobalMemory) that it owns
// unless the block is detached.
#include "resource/Stream.h"

namespace orrivel {

class MemoryStream final : public PositionedStream {
 public:
  MemoryStream() = default;
  ~MemoryStream() override;

  // 0, or 10 when a block is already attached.
  int Attach(void* block, uint32_t size);

  uint32_t Read(void* buffer, uint32_t count) override;
  void* GetBuffer(bool detach) override;

 private:
  int MoveTo(uint32_t position) override;

  uint8_t* base_ = nullptr;
};

}  // namespace orrivel
