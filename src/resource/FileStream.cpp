#include "resource/FileStream.h"

#include <algorithm>

namespace orrivel {

int FileStream::Attach(platform::File file) {
  if (file_.IsOpen()) return 10;
  const int64_t size = file.Size();
  file_ = std::move(file);
  position_ = 0;
  if (size < 0 || size > int64_t(UINT32_MAX)) {
    size_ = 0;
    return 10;
  }
  size_ = uint32_t(size);
  return file_.Seek(0, 0) == 0 ? 0 : 10;
}

int FileStream::MoveTo(uint32_t position) {
  if (!file_.IsOpen()) return 2;
  if (file_.Seek(position, 0) < 0) return 1;
  position_ = position;
  return 0;
}

uint32_t FileStream::Read(void* buffer, uint32_t count) {
  if (!file_.IsOpen() || !buffer) return 0;
  const int64_t got = file_.Read(buffer, count);
  if (got <= 0) return 0;
  position_ = uint32_t(std::min<int64_t>(int64_t(position_) + got, size_));
  return uint32_t(got);
}

}  // namespace orrivel
