#include "sound/SoundDevice.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "base/ComThread.h"
#include "base/SoundDeviceList.h"

namespace orrivel {
namespace {

std::atomic<SoundDevice*> g_soundDevice{nullptr};

SoundDevice::DeviceFactory& Factory() {
  static SoundDevice::DeviceFactory factory;
  return factory;
}

std::unique_ptr<platform::AudioDevice> MakeDevice() {
  if (Factory()) return Factory()();
  return platform::CreateAudioDevice(nullptr);
}

}  // namespace

SoundDevice* GetSoundDevice() { return g_soundDevice.load(std::memory_order_acquire); }
SoundDevice* SetSoundDevice(SoundDevice* device) { return g_soundDevice.exchange(device); }

void SoundDevice::SetDeviceFactory(DeviceFactory factory) { Factory() = std::move(factory); }

SoundDevice::SoundDevice() : comReady_(ComInitThread() == 0) {}

SoundDevice::~SoundDevice() {
  Release();
  if (comReady_) ComUninitThread();
  FreeSoundDeviceList();
}

int32_t SoundDevice::Create(void* window, bool getPosition2, bool softwareMixing, const char* deviceName) {
  if (!comReady_) return kSoundDeviceNoCom;
  Release();
  device_ = MakeDevice();
  if (!device_) return kSoundDeviceNoDevice;
  if (device_->Initialize(deviceName) != platform::kAudioOk) {
    Release();
    return kSoundDeviceInitializeFailed;
  }
  window_ = window;
  if (device_->SetCooperativeLevel(window, platform::kCooperativePriority) == platform::kAudioOk) {
    cooperativeLevel_ = platform::kCooperativePriority;
  } else if (device_->SetCooperativeLevel(window, platform::kCooperativeNormal) == platform::kAudioOk) {
    cooperativeLevel_ = platform::kCooperativeNormal;
  } else {
    Release();
    return kSoundDeviceNoCooperativeLevel;
  }
  getPosition2_ = getPosition2;
  softwareMixing_ = softwareMixing;
  if (CreateGuardBuffer() != kGuardOk) {
    Release();
    return kSoundDeviceNoGuardBuffer;
  }
  return kSoundDeviceOk;
}

void SoundDevice::Release() {
  {
    std::lock_guard guard(guardLock_);
    guard_.reset();
  }
  device_.reset();
  window_ = nullptr;
  cooperativeLevel_ = platform::kCooperativeNone;
}

uint32_t SoundDevice::ExtraBufferFlags() const {
  return (getPosition2_ ? platform::kBufferGetCurrentPosition2 : 0) |
         (softwareMixing_ ? platform::kBufferSoftware : 0);
}

uint8_t SoundDevice::ThreadPriority() const {
  // A value past the table (a hand-edited settings file) is no reason to
  // raise the refill threads above everything else.
  return threadPriority_ > kHighestThreadPriority ? kDefaultThreadPriority : threadPriority_;
}

std::shared_ptr<platform::SoundBuffer> SoundDevice::GuardBuffer() {
  std::lock_guard guard(guardLock_);
  return guard_;
}

int32_t SoundDevice::CreateGuardBuffer() {
  const platform::WaveFormat format = platform::WaveFormat::Pcm(kGuardRate, 1, 8);
  auto buffer = device_->CreateBuffer(format, ExtraBufferFlags(), kGuardBytes, nullptr);
  if (!buffer) return kGuardCreateFailed;
  void* region1 = nullptr;
  void* region2 = nullptr;
  uint32_t bytes1 = 0, bytes2 = 0;
  int32_t locked = buffer->Lock(0, kGuardBytes, &region1, &bytes1, &region2, &bytes2, platform::kLockEntireBuffer);
  if (locked == platform::kAudioBufferLost) {
    buffer->Restore();
    locked = buffer->Lock(0, kGuardBytes, &region1, &bytes1, &region2, &bytes2, platform::kLockEntireBuffer);
  }
  if (locked != platform::kAudioOk) return kGuardFillFailed;
  std::memset(region1, kSilence8Bit, bytes1);
  if (region2) std::memset(region2, kSilence8Bit, bytes2);
  if (buffer->Unlock(region1, bytes1, region2, bytes2) != platform::kAudioOk) return kGuardUnlockFailed;
  std::lock_guard guard(guardLock_);
  guard_ = std::move(buffer);
  return kGuardOk;
}

int32_t SoundDevice::PlayGuardSilence(const platform::SoundBuffer* buffer) {
  std::shared_ptr<platform::SoundBuffer> guard = GuardBuffer();
  if (!guard || !buffer) return 1;
  if (buffer->IsPlaying()) {
    guard->SetCurrentPosition(0);
    guard->Play(0);
  }
  return 0;
}

}  // namespace orrivel
