#pragma once
// A movie's sound output on the engine's mixer: the pipeline's audio sink
// over a PcmOutputStream. Writes that do not fit the stream's queue wait
// (retrying as the mixer drains it) while the movie runs; while it is
// paused or stopped they are kept until it runs again, so that the
// pipeline's thread is never held up while nothing plays (what was kept
// moves on with the next write or the next look at the played position,
// which the pipeline takes often while the movie runs). A flush, a pause
// or a close ends a waiting write at once. The played position restarts
// at 0 at every flush, since the pipeline counts it from the new position.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/AudioMixer.h"
#include "platform/audio/PcmOutputStream.h"
#include "platform/media/AudioSink.h"

namespace orrivel::platform {

class PcmAudioSink final : public media::AudioSink {
 public:
  // queueMs: how much sound the stream queues ahead of the mixer.
  explicit PcmAudioSink(AudioMixer& mixer, uint32_t queueMs = 250) : mixer_(mixer), queueMs_(queueMs) {}
  // Over a device that may go first: once its token has expired the sink
  // neither touches the mixer nor waits for it, and keeps no clock.
  PcmAudioSink(AudioMixer& mixer, uint32_t queueMs, std::weak_ptr<const void> deviceLife)
      : mixer_(mixer), queueMs_(queueMs), deviceLife_(std::move(deviceLife)), watchesDevice_(true) {}
  ~PcmAudioSink() override { Close(); }

  bool Open(const media::AudioFormat& format) override;
  void Close() override;
  void Write(const int16_t* samples, uint32_t frames) override;
  void SetRunning(bool running) override;
  void Flush() override;
  void SetVolume(int32_t hundredthsDb) override;
  int64_t PlayedMicroseconds() override;

  // Bytes kept back because the queue was full and the movie not running.
  size_t HeldBytes() const;

  // The longest a write waits without the queue moving (a mixer that has
  // stopped pulling) before it drops the rest.
  static constexpr uint32_t kStallMs = 2000;

 private:
  // Moves held bytes into the stream; true when none are left.
  bool FeedLocked();
  bool DeviceGone() const { return watchesDevice_ && deviceLife_.expired(); }

  AudioMixer& mixer_;
  const uint32_t queueMs_;
  const std::weak_ptr<const void> deviceLife_;
  const bool watchesDevice_ = false;
  mutable std::mutex lock_;
  std::shared_ptr<PcmOutputStream> stream_;
  std::vector<uint8_t> held_;
  uint32_t sampleRate_ = 0;
  uint64_t playedBase_ = 0;
  // Raised by every flush, pause and close: a waiting write gives up.
  uint64_t generation_ = 0;
  int32_t volume_ = 0;
  bool running_ = false;
};

}  // namespace orrivel::platform
