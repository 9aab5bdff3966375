#pragma once
// A plain PCM output: the writer queues blocks, the mixer plays them at the
// stream's rate and volume, and plays silence when the queue runs dry. The
// movie pipeline plays its sound through one.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/MixSource.h"
#include "platform/audio/WaveFormat.h"

namespace orrivel::platform {

class PcmOutputStream final : public MixSource {
 public:
  // capacityBytes: the most the queue holds (rounded down to whole blocks).
  static std::shared_ptr<PcmOutputStream> Create(const WaveFormat& format, uint32_t capacityBytes,
                                                 int32_t* result);

  // Queues whole blocks, as many as there is room for; the bytes taken.
  uint32_t Write(const void* data, uint32_t bytes);
  uint32_t QueuedBytes() const;
  uint32_t FreeBytes() const;
  // Source frames played since the stream opened (the clock a movie
  // follows); silence played while the queue was empty does not count.
  uint64_t PlayedFrames() const;
  // Hundredths of a decibel, -10000..0.
  int32_t SetVolume(int32_t hundredthsDb);
  int32_t Volume() const;
  void SetPaused(bool paused);
  bool IsPaused() const;
  // Drops what is queued.
  void Clear();
  const WaveFormat& Format() const { return format_; }

  void MixInto(int32_t* acc, uint32_t frames, const WaveFormat& output,
               std::vector<AudioWakeTarget*>& woken) override;

 private:
  PcmOutputStream(const WaveFormat& format, uint32_t capacity);

  const WaveFormat format_;
  mutable std::mutex lock_;
  std::vector<uint8_t> ring_;
  uint32_t head_ = 0;   // first queued byte
  uint32_t queued_ = 0;
  uint32_t fraction_ = 0;
  uint64_t played_ = 0;
  int32_t volume_ = 0;
  int32_t gain_ = 65536;
  bool paused_ = false;
};

}  // namespace orrivel::platform
