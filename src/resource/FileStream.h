#pragma once
// A stream over a disk file that it owns.
#include "platform/FileSystem.h"
#include "resource/Stream.h"

namespace orrivel {

class FileStream final : public PositionedStream {
 public:
  FileStream() = default;

  // 0; 10 when a file is already attached or its size cannot be read (the
  // size is then 0). Files of 4 GiB or more are refused the same way.
  int Attach(platform::File file);

  uint32_t Read(void* buffer, uint32_t count) override;

 private:
  // Seeks: 2 without a file, 1 when the file pointer cannot be moved, else 0.
  int MoveTo(uint32_t position) override;

  platform::File file_;
};

}  // namespace orrivel
