#pragma once
// A stream over a member stored as is. The head (the common head plus, with
// scrambled heads, the first bytes of the member) is kept unscrambled in
// memory; the rest is read from the stream's own file with positional reads
// and byte-unscrambled when the member asks for it.
#include <vector>

#include "platform/FileSystem.h"
#include "resource/Stream.h"

namespace orrivel {

class LpkMemberStream final : public PositionedStream {
 public:
  LpkMemberStream(platform::File file, uint64_t dataOffset, uint32_t size, std::vector<uint8_t> head,
                  bool scrambledBytes);

  uint32_t Read(void* buffer, uint32_t count) override;

 private:
  int MoveTo(uint32_t position) override;

  platform::File file_;
  uint64_t dataOffset_;  // file offset of the byte after the head
  std::vector<uint8_t> head_;
  bool scrambledBytes_;
};

}  // namespace orrivel
