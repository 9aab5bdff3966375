#include "sound/SoundTask.h"

#include <algorithm>
#include <cstring>

#include "base/ScopedLock.h"
#include "base/TimerList.h"
#include "sound/SoundManager.h"

namespace orrivel {
namespace {

int32_t ClampVolume(int32_t volume) { return std::clamp(volume, 0, SoundManager::kFullVolume); }

bool StreamPlaying(MusicStream& stream) { return stream.sound.IsPlaying(nullptr, nullptr); }

}  // namespace

// ------------------------------------------------------------------ base

void SoundTask::Finish() {
  if (runState_ == kFinished) return;
  runState_ = kFinished;
  OnFinish();
}

uint32_t SoundTask::Elapsed(uint32_t now) {
  if (runState_ == kNotRun) {
    start_ = now;
    runState_ = kRunning;
  }
  return now - start_;
}

int32_t SoundTask::Ramp(int32_t from, int32_t to, uint32_t elapsed, uint32_t duration) {
  // Only called with elapsed < duration, so duration is never 0 here.
  return int32_t(from + (int64_t(to) - from) * int64_t(elapsed) / int64_t(duration));
}

void MusicTask::FinishMusicFades(TimerList& list) {
  list.StopType(kMusicVolumeType);
  list.StopType(kMusicCrossFadeType);
}

void MusicTask::SetVolume(int32_t volume) { manager_->SetMusicVolume(volume, -1, true); }

bool MusicTask::Add(TimerList& list, uint8_t fadeState) {
  if (list.Add(this, 0, 0, 0) != 0) return false;
  manager_->musicFadeState = fadeState;
  return true;
}

int32_t MusicTask::RampStep(uint32_t now, MusicStream& stream, uint32_t duration, int32_t from, int32_t to) {
  const uint32_t elapsed = Elapsed(now);
  if (!StreamPlaying(stream) || elapsed >= duration) return End();
  SetVolume(Ramp(from, to, elapsed, duration));
  return 0;
}

void MusicTask::ClearFadeState() { manager_->musicFadeState = kMusicNoFade; }

// ------------------------------------------------------------ music ramp

MusicVolumeTask::MusicVolumeTask(int32_t target, uint32_t durationMs)
    : target_(ClampVolume(target)), duration_(durationMs) {}

int32_t MusicVolumeTask::Start(TimerList* list, SoundManager* manager, MusicStream* stream) {
  if (!list || !manager || !stream) return 1;
  FinishMusicFades(*list);
  manager_ = manager;
  stream_ = stream;
  from_ = stream->volume;
  return Add(*list, kMusicVolumeRamp) ? 0 : 2;
}

int32_t MusicVolumeTask::Step(uint32_t now) { return RampStep(now, *stream_, duration_, from_, target_); }

void MusicVolumeTask::OnFinish() {
  if (!manager_) return;
  SetVolume(target_);
  ClearFadeState();
}

// --------------------------------------------------------- music fade-in

int32_t MusicFadeInTask::Start(TimerList* list, SoundManager* manager, MusicStream* stream, const char* file,
                               const char* intro, bool looping) {
  if (!list || !manager || !stream) return 1;
  FinishMusicFades(*list);
  if (SoundManager::IsPlayingPiece(*stream, file, intro)) return -1;
  manager_ = manager;
  stream_ = stream;
  target_ = stream->volume;
  SetVolume(0);
  const int32_t played = manager->PlayMusic(file, intro, looping);
  if (played != 0) {
    SetVolume(target_);
    manager_ = nullptr;
    return played > 0 ? 2 : played;
  }
  if (!Add(*list, kMusicFadingIn)) {
    SetVolume(target_);
    manager_ = nullptr;
    return 3;
  }
  return 0;
}

int32_t MusicFadeInTask::Step(uint32_t now) { return RampStep(now, *stream_, duration_, 0, target_); }

void MusicFadeInTask::OnFinish() {
  if (!manager_) return;
  SetVolume(target_);
  ClearFadeState();
}

// -------------------------------------------------------- music fade-out

int32_t MusicFadeOutTask::Start(TimerList* list, SoundManager* manager, MusicStream* stream) {
  if (!list || !manager || !stream) return 1;
  FinishMusicFades(*list);
  if (!StreamPlaying(*stream)) {
    manager->StopMusic();
    return -1;
  }
  manager_ = manager;
  stream_ = stream;
  from_ = stream->volume;
  if (!Add(*list, kMusicFadingOut)) {
    manager_ = nullptr;
    return 2;
  }
  return 0;
}

int32_t MusicFadeOutTask::Step(uint32_t now) { return RampStep(now, *stream_, duration_, from_, 0); }

void MusicFadeOutTask::OnFinish() {
  if (!manager_) return;
  manager_->StopMusic();
  SetVolume(from_);
  ClearFadeState();
}

// ------------------------------------------------------ music cross-fade

MusicCrossFadeTask::MusicCrossFadeTask(uint32_t durationMs, uint32_t overlapMs)
    : duration_(durationMs),
      delay_(durationMs - std::min(durationMs, overlapMs)),
      total_(delay_ + durationMs) {}

int32_t MusicCrossFadeTask::Start(TimerList* list, SoundManager* manager, const char* file, const char* intro,
                                  bool looping, int32_t volume) {
  if (!list || !manager || !file) return 1;
  FinishMusicFades(*list);
  ScopedLock hold(manager->Lock());
  if (SoundManager::IsPlayingPiece(manager->ActiveMusic(), file, intro)) return -1;
  if (std::strlen(file) > SoundManager::kMaxNameBytes || (intro && std::strlen(intro) > SoundManager::kMaxNameBytes))
    return 1;
  manager_ = manager;
  old_ = &manager->ActiveMusic();
  oldVolume_ = old_->volume;
  newVolume_ = volume >= 0 ? std::min(volume, SoundManager::kFullVolume) : oldVolume_;

  manager->SwapMusicStreams();
  new_ = &manager->ActiveMusic();
  SetVolume(0);
  new_->pauseCount = 0;
  new_->file.reset();
  new_->intro.reset();
  const bool musicOn = manager->musicOn && manager->globalOn;
  if (musicOn && manager->OpenActiveMusic(file, intro) > 0) {
    manager->SwapMusicStreams();
    manager_ = nullptr;
    return 2;
  }
  new_->file.emplace(file);
  if (intro && *intro) new_->intro.emplace(intro);
  new_->loop = looping ? 1 : 0;
  new_->sound.SetPan(manager->musicPan);
  if (!musicOn) {
    // The new piece waits, active, for music to be switched on.
    SetVolume(newVolume_);
    manager_ = nullptr;
    return -2;
  }
  SetVolume(0);
  // The old stream stays active while the task runs.
  manager->SwapMusicStreams();
  if (!Add(*list, kMusicCrossFading)) {
    manager_ = nullptr;
    return 3;
  }
  return 0;
}

void MusicCrossFadeTask::SetStreamVolume(MusicStream& stream, int32_t volume) {
  // The manager acts on the active stream: make this one active around
  // the change.
  const bool swap = &manager_->ActiveMusic() != &stream;
  if (swap) manager_->SwapMusicStreams();
  SetVolume(volume);
  if (swap) manager_->SwapMusicStreams();
}

void MusicCrossFadeTask::StartNewStream() {
  manager_->SwapMusicStreams();
  manager_->StartActiveMusic();
  manager_->SwapMusicStreams();
  started_ = true;
}

void MusicCrossFadeTask::EndOldStream() {
  // Closed without finishing the music tasks (this one among them), so that
  // the new piece completes its ramp when the overlap is short; the new
  // stream becomes the active one from here on.
  if (&manager_->ActiveMusic() != old_) manager_->SwapMusicStreams();
  manager_->CloseActiveMusic();
  old_->volume = oldVolume_;
  manager_->SwapMusicStreams();
  oldFading_ = false;
}

int32_t MusicCrossFadeTask::Step(uint32_t now) {
  const uint32_t elapsed = Elapsed(now);
  if (!started_ && elapsed >= delay_) StartNewStream();
  if (started_ && elapsed - delay_ < duration_) SetStreamVolume(*new_, Ramp(0, newVolume_, elapsed - delay_, duration_));
  MusicStream& watched = started_ ? *new_ : *old_;
  if (!StreamPlaying(watched) || elapsed >= total_) return End();
  if (oldFading_) {
    if (elapsed < duration_) {
      SetStreamVolume(*old_, Ramp(oldVolume_, 0, elapsed, duration_));
    } else {
      EndOldStream();
    }
  }
  return 0;
}

void MusicCrossFadeTask::OnFinish() {
  if (!manager_) return;
  // Ended before the new piece was due (the old one had stopped, or the
  // task was stopped): the new piece still starts, at its target volume.
  if (!started_ && manager_->musicOn && manager_->globalOn) StartNewStream();
  if (oldFading_) EndOldStream();
  if (&manager_->ActiveMusic() != new_) manager_->SwapMusicStreams();
  SetVolume(newVolume_);
  ClearFadeState();
}

// --------------------------------------------------------- channel tasks

bool ChannelTask::HasSound(SoundManager& manager, int32_t channel) {
  const SoundChannel* record = manager.GetChannel(channel);
  return record && record->current;
}

bool ChannelTask::Add(TimerList& list, SoundManager& manager, int32_t channel, uint8_t mark) {
  if (list.Add(this, 0, 0, 0) != 0) return false;
  manager_ = &manager;
  channel_ = channel;
  SoundChannel* record = manager.GetChannel(channel);
  record->fadeTask = Handle();
  record->fading = mark;
  return true;
}

void ChannelTask::Release() {
  SoundChannel* record = manager_->GetChannel(channel_);
  if (!record) return;
  record->fading = 0;
  if (record->fadeTask == Handle()) record->fadeTask = 0;
}

void ChannelTask::SetVolume(int32_t volume) { manager_->SetChannelVolume(channel_, volume, -1); }

int32_t ChannelTask::RampStep(uint32_t now, int32_t from, int32_t to) {
  const uint32_t elapsed = Elapsed(now);
  if (elapsed >= duration_ || !manager_->IsChannelPlaying(channel_)) return End();
  SetVolume(Ramp(from, to, elapsed, duration_));
  return 0;
}

ChannelVolumeTask::ChannelVolumeTask(int32_t target, uint32_t durationMs)
    : ChannelTask(durationMs), target_(ClampVolume(target)) {}

int32_t ChannelVolumeTask::Start(TimerList* list, SoundManager* manager, int32_t channel) {
  if (!list || !manager) return 1;
  if (!HasSound(*manager, channel)) return 2;
  SoundChannel& record = *manager->GetChannel(channel);
  manager->StopChannelFadeTask(record);
  from_ = record.volume;
  return Add(*list, *manager, channel, 1) ? 0 : 3;
}

int32_t ChannelVolumeTask::Step(uint32_t now) { return RampStep(now, from_, target_); }

void ChannelVolumeTask::OnFinish() {
  if (!manager_) return;
  SetVolume(target_);
  Release();
}

int32_t ChannelFadeInTask::Start(TimerList* list, SoundManager* manager, const char* fileName, int32_t channel,
                                 bool loop, bool asStream) {
  if (!list || !manager) return 1;
  if (fileName && manager->LoadChannel(channel, fileName, kKeepNoSamples, asStream) != 0) return 2;
  if (!HasSound(*manager, channel)) return 3;
  SoundChannel& record = *manager->GetChannel(channel);
  manager->StopChannelFadeTask(record);
  target_ = record.volume;
  manager->SetChannelVolume(channel, 0, -1);
  const int32_t played = manager->PlayChannel(channel, loop);
  if (played != 0) {
    manager->SetChannelVolume(channel, target_, -1);
    return played > 0 ? 4 : played;
  }
  if (!Add(*list, *manager, channel, 2)) {
    manager->SetChannelVolume(channel, target_, -1);
    return 5;
  }
  return 0;
}

int32_t ChannelFadeInTask::Step(uint32_t now) { return RampStep(now, 0, target_); }

void ChannelFadeInTask::OnFinish() {
  if (!manager_) return;
  SetVolume(target_);
  Release();
}

int32_t ChannelFadeOutTask::Start(TimerList* list, SoundManager* manager, int32_t channel) {
  if (!list || !manager) return 1;
  if (!HasSound(*manager, channel)) return 2;
  if (!manager->IsChannelPlaying(channel)) {
    manager->StopChannel(channel);
    return -1;
  }
  SoundChannel& record = *manager->GetChannel(channel);
  manager->StopChannelFadeTask(record);
  from_ = record.volume;
  return Add(*list, *manager, channel, 3) ? 0 : 3;
}

int32_t ChannelFadeOutTask::Step(uint32_t now) { return RampStep(now, from_, 0); }

void ChannelFadeOutTask::OnFinish() {
  if (!manager_) return;
  // Released first: StopChannel stops the fade task by its handle, which
  // is this one.
  Release();
  manager_->StopChannel(channel_);
  SetVolume(from_);
}

}  // namespace orrivel
