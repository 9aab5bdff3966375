#pragma once
// A stream over a member stored as is. The head (the common head plus, with
// scrambled heads, the first bytes of the member) is kept unscrambled in
// memory; the rest is read from the stream's own file with positional reads
// and byte-unscrambled when the member asks for it.
#include <vector>

#include "platform/FileSystem.h"
#include "resource/Stream.h"

namespace orrivel {

class LpkMemberStream final : public Stream {
 public:
  LpkMemberStream(platform::File file, uint64_t dataOffset, uint32_t size, std::vector<uint8_t> head,
                  bool scrambledBytes);

  uint32_t GetSize() const override { return size_; }
  uint32_t Tell() const override { return position_; }
  bool IsEof() const override { return position_ == size_; }
  int SeekSet(uint32_t offset) override;
  int SeekCurrent(int32_t offset) override;
  int SeekEnd(uint32_t offset) override;
  uint32_t Read(void* buffer, uint32_t count) override;

 private:
  int MoveTo(uint32_t position);

  platform::File file_;
  uint32_t position_ = 0;
  uint64_t dataOffset_;  // file offset of the byte after the head
  uint32_t size_;
  std::vector<uint8_t> head_;
  bool scrambledBytes_;
};

}  // namespace orrivel
