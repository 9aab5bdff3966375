#pragma once
// Serves an engine Stream to the movie pipeline as its asynchronous reader
// stream. Engine streams are not safe for concurrent use, so every read
// runs inside the adapter's lock, and the pipeline takes the same lock
// around each seek-and-read pair.
//
// The stream stays the caller's until TakeOwnership (called once the movie
// has opened); from then on the adapter releases it when it is deleted.
#include <cstdint>
#include <mutex>

#include "platform/media/AsyncStream.h"
#include "resource/Stream.h"

namespace orrivel {

class MovieStreamAdapter final : public media::AsyncStream {
 public:
  explicit MovieStreamAdapter(Stream* stream) : stream_(stream) {}
  ~MovieStreamAdapter() override;
  MovieStreamAdapter(const MovieStreamAdapter&) = delete;
  MovieStreamAdapter& operator=(const MovieStreamAdapter&) = delete;

  void TakeOwnership() { owned_ = true; }

  // Seeks to the low 32 bits of the position: engine streams are 32-bit.
  media::MediaResult SetPointer(int64_t position) override;
  // Fails only when nothing at all was read; a short read succeeds.
  media::MediaResult Read(uint8_t* buffer, uint32_t count, bool align, uint32_t* bytesRead) override;
  // The stream's size; all of it counts as available.
  int64_t Size(int64_t* available) override;
  uint32_t Alignment() override { return 1; }
  void Lock() override { lock_.lock(); }
  void Unlock() override { lock_.unlock(); }

 private:
  // Recursive: Read takes it again inside a Lock/Unlock pair.
  std::recursive_mutex lock_;
  Stream* stream_;
  bool owned_ = false;
};

}  // namespace orrivel
