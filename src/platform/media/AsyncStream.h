#pragma once
// The byte source a movie is read from when it is not a file on disk: the
// seven operations of the platform's asynchronous reader stream. The
// pipeline makes each of its seek-and-read pairs one step under Lock.
#include <cstdint>

#include "platform/media/MediaTypes.h"

namespace orrivel::media {

class AsyncStream {
 public:
  virtual ~AsyncStream() = default;
  virtual MediaResult SetPointer(int64_t position) = 0;
  // kMediaOk with *bytesRead > 0, or a failure when nothing could be read.
  virtual MediaResult Read(uint8_t* buffer, uint32_t count, bool align, uint32_t* bytesRead) = 0;
  // Total size; *available receives the part that can be read now.
  virtual int64_t Size(int64_t* available) = 0;
  virtual uint32_t Alignment() = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

}  // namespace orrivel::media
