#include "sound/SoundFadeTask.h"

#include "base/ScopedLock.h"
#include "sound/SoundBase.h"

namespace orrivel {

void SoundFadeTask::Finish() {
  ScopedLock guard(sound_.lock_);
  if (started_ && sound_.level_ != recorded_) {
    sound_.SetVolume(recorded_);
  } else if (!started_) {
    // A fade-in starts its buffer silent; a fade stopped before its first
    // step gives the buffer the level the sound still has.
    sound_.ApplyStoredLevel();
  }
  sound_.fadeState_ = kSoundNoFade;
}

void SoundFadeTask::RecordStart(uint32_t now) {
  if (started_) return;
  started_ = true;
  start_ = now;
  recorded_ = sound_.level_;
}

int32_t SoundFadeTask::Progress(uint32_t now) const {
  const uint32_t product = (now - start_) * uint32_t(recorded_);
  return int32_t(double(product) / double(durationMs_));
}

bool SoundFadeTask::BufferPlaying() const { return sound_.buffer_ && sound_.buffer_->IsPlaying(); }
int32_t SoundFadeTask::StoredLevel() const { return sound_.level_; }
void SoundFadeTask::SetLevel(int32_t level) { sound_.SetVolume(level); }
void SoundFadeTask::PauseSound() { sound_.Pause(); }
uint8_t SoundFadeTask::FadeState() const { return sound_.fadeState_; }

int32_t SoundObjectFadeInTask::Step(uint32_t now) {
  ScopedLock guard(sound_.Lock());
  if (FadeState() != kSoundFadingIn) return 1;
  if (!BufferPlaying()) {
    Finish();
    return 1;
  }
  RecordStart(now);
  // A fade of no length is done at its first step.
  if (durationMs_ == 0) {
    SetLevel(recorded_);
    Finish();
    return 1;
  }
  const int32_t level = Progress(now);
  if (level != StoredLevel()) {
    if (level >= recorded_) {
      Finish();
      return 1;
    }
    SetLevel(level);
  }
  return 0;
}

int32_t SoundObjectFadeOutTask::EndPaused() {
  SetLevel(0);
  PauseSound();
  Finish();
  return 1;
}

int32_t SoundObjectFadeOutTask::Step(uint32_t now) {
  ScopedLock guard(sound_.Lock());
  if (FadeState() != kSoundFadingOut) return 1;
  if (!BufferPlaying()) return EndPaused();
  RecordStart(now);
  // A fade of no length is done at its first step.
  const int32_t level = durationMs_ == 0 ? 0 : recorded_ - Progress(now);
  if (level != StoredLevel()) {
    if (level <= 0) return EndPaused();
    SetLevel(level);
  }
  return 0;
}

}  // namespace orrivel
