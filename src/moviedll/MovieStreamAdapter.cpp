#include "moviedll/MovieStreamAdapter.h"

namespace orrivel {

MovieStreamAdapter::~MovieStreamAdapter() {
  if (owned_ && stream_) stream_->Release();
}

media::MediaResult MovieStreamAdapter::SetPointer(int64_t position) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  return stream_->SeekSet(uint32_t(uint64_t(position))) == 0 ? media::kMediaOk : media::kMediaFail;
}

media::MediaResult MovieStreamAdapter::Read(uint8_t* buffer, uint32_t count, bool, uint32_t* bytesRead) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  const uint32_t n = stream_->Read(buffer, count);
  *bytesRead = n;
  return n == 0 ? media::kMediaFail : media::kMediaOk;
}

int64_t MovieStreamAdapter::Size(int64_t* available) {
  std::lock_guard<std::recursive_mutex> lock(lock_);
  const int64_t size = stream_->GetSize();
  if (available) *available = size;
  return size;
}

}  // namespace orrivel
