#include "platform/audio/PcmOutputStream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/audio/SoundBuffer.h"

namespace orrivel::platform {

std::shared_ptr<PcmOutputStream> PcmOutputStream::Create(const WaveFormat& format, uint32_t capacityBytes,
                                                         int32_t* result) {
  auto answer = [result](int32_t code) {
    if (result) *result = code;
  };
  if (!format.IsPlayablePcm()) {
    answer(kAudioBadFormat);
    return nullptr;
  }
  const uint32_t capacity = capacityBytes - capacityBytes % format.blockAlign;
  if (capacity == 0 || capacity > kMaxBufferBytes) {
    answer(kAudioInvalidParam);
    return nullptr;
  }
  try {
    std::shared_ptr<PcmOutputStream> stream(new PcmOutputStream(format, capacity));
    answer(kAudioOk);
    return stream;
  } catch (const std::bad_alloc&) {
    answer(kAudioOutOfMemory);
    return nullptr;
  }
}

PcmOutputStream::PcmOutputStream(const WaveFormat& format, uint32_t capacity) : format_(format), ring_(capacity) {}

uint32_t PcmOutputStream::Write(const void* data, uint32_t bytes) {
  if (!data) return 0;
  std::lock_guard guard(lock_);
  const uint32_t size = uint32_t(ring_.size());
  uint32_t take = std::min(bytes, size - queued_);
  take -= take % format_.blockAlign;
  const uint32_t tail = (head_ + queued_) % size;
  const uint32_t first = std::min(take, size - tail);
  const auto* from = static_cast<const uint8_t*>(data);
  std::memcpy(ring_.data() + tail, from, first);
  std::memcpy(ring_.data(), from + first, take - first);
  queued_ += take;
  return take;
}

uint32_t PcmOutputStream::QueuedBytes() const {
  std::lock_guard guard(lock_);
  return queued_;
}

uint32_t PcmOutputStream::FreeBytes() const {
  std::lock_guard guard(lock_);
  return uint32_t(ring_.size()) - queued_;
}

uint64_t PcmOutputStream::PlayedFrames() const {
  std::lock_guard guard(lock_);
  return played_;
}

int32_t PcmOutputStream::SetVolume(int32_t hundredthsDb) {
  if (hundredthsDb < kVolumeSilent || hundredthsDb > kVolumeFull) return kAudioInvalidParam;
  std::lock_guard guard(lock_);
  volume_ = hundredthsDb;
  gain_ = AttenuationToGain(hundredthsDb);
  return kAudioOk;
}

int32_t PcmOutputStream::Volume() const {
  std::lock_guard guard(lock_);
  return volume_;
}

void PcmOutputStream::SetPaused(bool paused) {
  std::lock_guard guard(lock_);
  paused_ = paused;
}

bool PcmOutputStream::IsPaused() const {
  std::lock_guard guard(lock_);
  return paused_;
}

void PcmOutputStream::Clear() {
  std::lock_guard guard(lock_);
  head_ = 0;
  queued_ = 0;
  fraction_ = 0;
}

void PcmOutputStream::MixInto(int32_t* acc, uint32_t frames, const WaveFormat& output,
                              std::vector<AudioWakeTarget*>&) {
  std::lock_guard guard(lock_);
  if (paused_) return;
  const uint32_t block = format_.blockAlign;
  const uint32_t size = uint32_t(ring_.size());
  const uint64_t step = ResampleStep(format_.samplesPerSec, output.samplesPerSec);
  for (uint32_t i = 0; i < frames && queued_ >= block; ++i) {
    int32_t left, right;
    ReadPcmFrame(ring_.data() + head_, format_, left, right);
    AccumulateFrame(acc + size_t(i) * output.channels, output.channels, left, right, gain_, gain_);
    const uint64_t next = fraction_ + step;
    fraction_ = uint32_t(next);
    const uint64_t whole = std::min<uint64_t>(next >> 32, queued_ / block);
    head_ = uint32_t((head_ + whole * block) % size);
    queued_ -= uint32_t(whole * block);
    played_ += whole;
  }
}

}  // namespace orrivel::platform
