#include "sound/SoundBase.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "base/ScopedLock.h"
#include "base/TimerList.h"
#include "sound/SoundDevice.h"
#include "sound/SoundFadeTask.h"

namespace orrivel {

SoundBase::~SoundBase() {
  {
    ScopedLock guard(lock_);
    StopFadeTask();
  }
  buffer_.reset();
}

int32_t SoundBase::LevelToAttenuation(int32_t level) {
  if (level <= 0) return platform::kVolumeSilent;
  level = std::min(level, kFullLevel);
  return int32_t(std::trunc(std::log10(level * 0.00390625) * 2000.0));
}

std::shared_ptr<platform::SoundBuffer> SoundBase::CreateBuffer(const platform::WaveFormat& format, uint32_t flags,
                                                               uint32_t bytes) {
  SoundDevice* device = GetSoundDevice();
  if (!device || !device->Device()) return nullptr;
  return device->Device()->CreateBuffer(format, flags, bytes, nullptr);
}

void SoundBase::ApplyStoredLevel() {
  if (buffer_) buffer_->SetVolume(LevelToAttenuation(level_));
}

int32_t SoundBase::SetVolume(int32_t level) {
  level_ = std::clamp(level, 0, kFullLevel);
  if (!buffer_) return -1;
  return buffer_->SetVolume(LevelToAttenuation(level_)) == platform::kAudioOk ? 0 : 1;
}

int32_t SoundBase::SetPan(int32_t pan) {
  if (!buffer_) return 1;
  return buffer_->SetPan(pan) == platform::kAudioOk ? 0 : 2;
}

int32_t SoundBase::SetFrequency(uint32_t hz) {
  if (!buffer_) return 1;
  return buffer_->SetFrequency(hz) == platform::kAudioOk ? 0 : 2;
}

int32_t SoundBase::AdjustPan(int32_t levelDelta, int32_t panDelta, int32_t frequencyDelta) {
  if (!buffer_) return 1;
  if (levelDelta != 0 && SetVolume(int32_t(std::clamp<int64_t>(int64_t(level_) + levelDelta, INT32_MIN,
                                                                   INT32_MAX))) != 0) {
    return 2;
  }
  if (panDelta != 0) {
    int32_t pan = 0;
    if (buffer_->GetPan(&pan) != platform::kAudioOk) return 3;
    const int64_t moved = std::clamp<int64_t>(int64_t(pan) + panDelta, platform::kPanLeft, platform::kPanRight);
    if (buffer_->SetPan(int32_t(moved)) != platform::kAudioOk) return 3;
  }
  if (frequencyDelta != 0) {
    uint32_t hz = 0;
    if (buffer_->GetFrequency(&hz) != platform::kAudioOk) return 4;
    const int64_t moved =
        std::clamp<int64_t>(int64_t(hz) + frequencyDelta, platform::kFrequencyMin, platform::kFrequencyMax);
    if (buffer_->SetFrequency(uint32_t(moved)) != platform::kAudioOk) return 4;
  }
  return 0;
}

int32_t SoundBase::GetPanAndFrequency(int32_t* outLevel, int32_t* outPan, uint32_t* outFrequency) {
  if (outLevel) *outLevel = level_;
  if (!buffer_) return 1;
  if (outPan && buffer_->GetPan(outPan) != platform::kAudioOk) return 2;
  if (outFrequency && buffer_->GetFrequency(outFrequency) != platform::kAudioOk) return 3;
  return 0;
}

int32_t SoundBase::GetFormat(uint16_t* outChannels, uint32_t* outSamplesPerSecond, uint16_t* outBitsPerSample) {
  if (!buffer_) return 1;
  const platform::WaveFormat& format = buffer_->Format();
  if (outChannels) *outChannels = format.channels;
  if (outSamplesPerSecond) *outSamplesPerSecond = format.samplesPerSec;
  if (outBitsPerSample) *outBitsPerSample = format.bitsPerSample;
  return 0;
}

void SoundBase::StopFadeTask() {
  if (fadeTask_ && fadeList_) fadeList_->Stop(fadeTask_->Handle());
  fadeTask_ = nullptr;
}

int32_t SoundBase::AddFadeTask(TimerList* timerList, std::unique_ptr<SoundFadeTask> task, uint32_t durationMs) {
  const uint32_t period = std::max(durationMs / uint32_t(level_), kMinFadePeriodMs);
  TimedTask* raw = task.get();
  if (timerList->Add(raw, 0, period, 0) != 0) return -1;
  task.release();  // the list owns it now
  fadeList_ = timerList;
  fadeTask_ = raw;
  raw->SetOwnerSlot(&fadeTask_);
  return 0;
}

int32_t SoundBase::StartFadeIn(TimerList* timerList, uint32_t durationMs, bool loop) {
  ScopedLock guard(lock_);
  if (!buffer_ || !timerList) return kFadeInNoBuffer;
  if (fadeState_ == kSoundFadingIn && fadeTask_) return kFadeInRunning;
  StopFadeTask();
  buffer_->SetVolume(platform::kVolumeSilent);
  if (pauseCount_ == 0) {
    if ((loop ? PlayLooping() : Play()) != 0) {
      ApplyStoredLevel();
      return kFadeInPlayFailed;
    }
  } else {
    pauseCount_ = 1;
    if (Resume() != 0) {
      ApplyStoredLevel();
      return kFadeInResumeFailed;
    }
  }
  if (level_ == 0) return kFadeInSilent;
  std::unique_ptr<SoundFadeTask> task(new (std::nothrow) SoundObjectFadeInTask(*this, durationMs));
  fadeState_ = kSoundFadingIn;
  if (!task || AddFadeTask(timerList, std::move(task), durationMs) != 0) {
    fadeState_ = kSoundNoFade;
    ApplyStoredLevel();
    return kFadeInNoTask;
  }
  return kFadeInOk;
}

int32_t SoundBase::StartFadeOut(TimerList* timerList, uint32_t durationMs) {
  ScopedLock guard(lock_);
  if (!buffer_ || !timerList) return kFadeOutNoBuffer;
  if (!buffer_->IsPlaying()) return kFadeOutNotPlaying;
  if (fadeState_ == kSoundFadingOut && fadeTask_) return kFadeOutRunning;
  StopFadeTask();
  if (level_ == 0) {
    Pause();
    return kFadeOutPausedSilent;
  }
  std::unique_ptr<SoundFadeTask> task(new (std::nothrow) SoundObjectFadeOutTask(*this, durationMs));
  fadeState_ = kSoundFadingOut;
  if (!task || AddFadeTask(timerList, std::move(task), durationMs) != 0) {
    fadeState_ = kSoundNoFade;
    return kFadeOutNoTask;
  }
  return kFadeOutOk;
}

}  // namespace orrivel
