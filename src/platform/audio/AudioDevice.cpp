#include "platform/audio/AudioDevice.h"

#include "platform/Backend.h"
#include "platform/audio/VirtualAudioDevice.h"

namespace orrivel::platform {

AudioDevice::AudioDevice() : primary_(WaveFormat::Pcm(44100, 2, 16)) {}

int32_t AudioDevice::SetCooperativeLevel(void* window, int32_t level) {
  if (level != kCooperativeNormal && level != kCooperativePriority) return kAudioInvalidParam;
  window_ = window;
  cooperativeLevel_ = level;
  return kAudioOk;
}

std::shared_ptr<SoundBuffer> AudioDevice::CreateBuffer(const WaveFormat& format, uint32_t flags, uint32_t bytes,
                                                       int32_t* result) {
  if (const int32_t refused = CheckCreate(); refused != kAudioOk) {
    if (result) *result = refused;
    return nullptr;
  }
  const uint64_t ahead = uint64_t(format.avgBytesPerSec) * kMixAheadMs / 1000;
  auto buffer = SoundBuffer::Create(format, flags, bytes, uint32_t(ahead), result);
  if (buffer) mixer_.Add(buffer);
  return buffer;
}

std::shared_ptr<SoundBuffer> AudioDevice::DuplicateBuffer(const SoundBuffer& buffer, int32_t* result) {
  if (const int32_t refused = CheckCreate(); refused != kAudioOk) {
    if (result) *result = refused;
    return nullptr;
  }
  auto copy = buffer.Duplicate();
  mixer_.Add(copy);
  if (result) *result = kAudioOk;
  return copy;
}

std::shared_ptr<PcmOutputStream> AudioDevice::OpenPcmStream(const WaveFormat& format, uint32_t capacityBytes,
                                                            int32_t* result) {
  auto stream = PcmOutputStream::Create(format, capacityBytes, result);
  if (stream) mixer_.Add(stream);
  return stream;
}

int32_t AudioDevice::SetPrimaryFormat(const WaveFormat& format) {
  if (!format.IsPlayablePcm()) return kAudioBadFormat;
  std::lock_guard guard(formatLock_);
  primary_ = WaveFormat::Pcm(format.samplesPerSec, format.channels, 16);
  return kAudioOk;
}

WaveFormat AudioDevice::PrimaryFormat() const {
  std::lock_guard guard(formatLock_);
  return primary_;
}

std::unique_ptr<AudioDevice> CreateAudioDevice(std::string* why) {
  // A headless run never touches the machine's sound output.
  if (CurrentBackend().IsHeadless()) {
    if (why) *why = "headless run";
    return std::make_unique<VirtualAudioDevice>();
  }
  if (auto device = CreateSdlAudioDevice(why)) return device;
  return std::make_unique<VirtualAudioDevice>();
}

}  // namespace orrivel::platform
