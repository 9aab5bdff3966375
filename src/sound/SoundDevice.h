#pragma once
// The sound output of the process as the sounds see it: the audio device,
// the cooperative level, the switches every sound buffer takes, and a small
// guard buffer of silence that is started just before a playing buffer is
// stopped. The game application owns one (as the base of its sound system)
// and publishes it through the process-wide pointer.
//
// Create and Release run on the main thread; PlayGuardSilence may be called
// from any thread (refill threads stop their buffers too).
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/audio/AudioDevice.h"
#include "platform/audio/SoundBuffer.h"

namespace orrivel {

enum SoundDeviceCode : int32_t {
  kSoundDeviceOk = 0,
  kSoundDeviceNoCom = 1,
  kSoundDeviceNoDevice = 2,
  kSoundDeviceInitializeFailed = 3,
  kSoundDeviceNoCooperativeLevel = 4,
  kSoundDeviceNoGuardBuffer = 5,
};

enum GuardBufferCode : int32_t {
  kGuardOk = 0,
  kGuardCreateFailed = 2,
  kGuardFillFailed = 3,
  kGuardUnlockFailed = 4,
};

class SoundDevice {
 public:
  using DeviceFactory = std::function<std::unique_ptr<platform::AudioDevice>()>;

  static constexpr uint32_t kGuardBytes = 800;
  static constexpr uint32_t kGuardRate = 8000;
  static constexpr uint8_t kSilence8Bit = 0x80;
  static constexpr uint8_t kDefaultThreadPriority = 2;
  static constexpr uint8_t kHighestThreadPriority = 4;

  SoundDevice();
  virtual ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // deviceName: null for the default output. 0, or the SoundDeviceCode of
  // the step that failed (everything made so far is released).
  int32_t Create(void* window, bool getPosition2, bool softwareMixing, const char* deviceName);
  void Release();
  // 1 without a guard buffer or a buffer. When the buffer plays, starts the
  // guard buffer once from its start. 0 otherwise.
  int32_t PlayGuardSilence(const platform::SoundBuffer* buffer);

  // The flags every sound buffer adds to its own.
  uint32_t ExtraBufferFlags() const;
  platform::AudioDevice* Device() { return device_.get(); }
  std::shared_ptr<platform::SoundBuffer> GuardBuffer();
  bool ComReady() const { return comReady_; }
  void* Window() const { return window_; }
  int32_t CooperativeLevel() const { return cooperativeLevel_; }
  // 0 lowest .. 4 highest; a stored value beyond 4 (from a settings file)
  // reads as 2, normal.
  uint8_t ThreadPriority() const;
  void SetThreadPriority(uint8_t priority) { threadPriority_ = priority; }

  // The maker of the audio device (by default the run's device; tests make
  // virtual devices with injected failures, or none). Null restores it.
  static void SetDeviceFactory(DeviceFactory factory);

 private:
  int32_t CreateGuardBuffer();

  bool comReady_ = false;
  bool getPosition2_ = false;
  bool softwareMixing_ = false;
  uint8_t threadPriority_ = kDefaultThreadPriority;
  std::unique_ptr<platform::AudioDevice> device_;
  void* window_ = nullptr;
  int32_t cooperativeLevel_ = platform::kCooperativeNone;
  std::mutex guardLock_;
  std::shared_ptr<platform::SoundBuffer> guard_;
};

// The process-wide sound device (null until the application sets it).
SoundDevice* GetSoundDevice();
// Returns the previous one.
SoundDevice* SetSoundDevice(SoundDevice* device);

}  // namespace orrivel
