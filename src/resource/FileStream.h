#pragma once
// A stream over a disk file that it owns.
#include "platform/FileSystem.h"
#include "resource/Stream.h"

namespace orrivel {

class FileStream final : public Stream {
 public:
  FileStream() = default;

  // 0; 10 when a file is already attached or its size cannot be read (the
  // size is then 0). Files of 4 GiB or more are refused the same way.
  int Attach(platform::File file);

  uint32_t GetSize() const override { return size_; }
  uint32_t Tell() const override { return position_; }
  bool IsEof() const override { return position_ == size_; }
  // 2 without a file, 1 when the file pointer cannot be moved, else 0.
  int SeekSet(uint32_t offset) override;
  int SeekCurrent(int32_t offset) override;
  int SeekEnd(uint32_t offset) override;
  uint32_t Read(void* buffer, uint32_t count) override;

 private:
  int MoveTo(uint32_t position);

  platform::File file_;
  uint32_t size_ = 0;
  uint32_t position_ = 0;
};

}  // namespace orrivel
