#pragma once
// The sound output of the process: makes sound buffers and PCM output
// streams that its one mixer plays, and keeps the primary format (what the
// mixer produces). Two back ends: SDL2's default output (mixing in SDL's
// callback) and a virtual device on a virtual clock for headless runs and
// tests.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/AudioMixer.h"
#include "platform/audio/PcmOutputStream.h"
#include "platform/audio/SoundBuffer.h"
#include "platform/audio/WaveFormat.h"

namespace orrivel::platform {

// Cooperative levels.
constexpr int32_t kCooperativeNone = 0;
constexpr int32_t kCooperativeNormal = 1;
constexpr int32_t kCooperativePriority = 2;

// How far the write cursor runs ahead of the play cursor.
constexpr uint32_t kMixAheadMs = 10;

class AudioDevice {
 public:
  AudioDevice();
  virtual ~AudioDevice() = default;
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  virtual bool IsVirtual() const = 0;
  // Opens the output named (null: the default output). kAudioOk or
  // kAudioFailed.
  virtual int32_t Initialize(const char* deviceName) = 0;
  // Records the level (window is only remembered); kAudioFailed when refused.
  virtual int32_t SetCooperativeLevel(void* window, int32_t level);
  int32_t CooperativeLevel() const { return cooperativeLevel_; }

  std::shared_ptr<SoundBuffer> CreateBuffer(const WaveFormat& format, uint32_t flags, uint32_t bytes,
                                            int32_t* result);
  std::shared_ptr<SoundBuffer> DuplicateBuffer(const SoundBuffer& buffer, int32_t* result);
  std::shared_ptr<PcmOutputStream> OpenPcmStream(const WaveFormat& format, uint32_t capacityBytes,
                                                 int32_t* result);

  // The mixer writes 16-bit samples at the primary format's rate and channel
  // count; a format other than 16-bit is taken at 16 bits.
  virtual int32_t SetPrimaryFormat(const WaveFormat& format);
  WaveFormat PrimaryFormat() const;

  AudioMixer& Mixer() { return mixer_; }
  // Expires when the device goes. What may outlive it (a movie's sound
  // output) looks here before it touches the mixer or waits for it.
  std::weak_ptr<const void> LifeToken() const { return life_; }

  // Wakes the target once the output has played `ms` more milliseconds.
  // True when the device keeps that time itself (the virtual device, whose
  // clock moves only as it mixes); false when the caller must wait on the
  // wall clock instead. A target with pending wakes cancels them before it
  // goes.
  virtual bool WakeAfter(AudioWakeTarget*, uint32_t) { return false; }
  virtual void CancelWakes(AudioWakeTarget*) {}

  // Called by a running program once a frame: where no sound hardware
  // plays the output, its time passes with the process clock, so that
  // sounds end and refill threads wake as they would on a real output. The
  // first call only starts the count. A real output plays in its own time
  // and ignores it.
  virtual void KeepTimeWithClock() {}

 protected:
  // Lets a back end refuse buffer creation (the virtual device's injected
  // failures).
  virtual int32_t CheckCreate() { return kAudioOk; }

  mutable std::mutex formatLock_;
  WaveFormat primary_;

 private:
  AudioMixer mixer_;
  // Declared after the mixer, so it expires before the mixer goes.
  std::shared_ptr<const void> life_ = std::make_shared<int>(0);
  int32_t cooperativeLevel_ = kCooperativeNone;
  void* window_ = nullptr;
};

// The device for this run: the virtual one when the back end is headless or
// SDL has no sound output (`why` then says which), else SDL's.
std::unique_ptr<AudioDevice> CreateAudioDevice(std::string* why);
// SDL's output (audio/SdlAudioDevice.cpp); null when SDL's audio cannot start.
std::unique_ptr<AudioDevice> CreateSdlAudioDevice(std::string* why);

}  // namespace orrivel::platform
