#pragma once
// The fades a sound runs on its own: each step sets the level that the time
// since the first step calls for, under the sound's lock. A fade-in ends at
// the level the sound had when the fade began; a fade-out ends by pausing
// the sound and giving it back its former level.
#include <cstdint>

#include "base/TimedTask.h"

namespace orrivel {

class SoundBase;

class SoundFadeTask : public TimedTask {
 public:
  static constexpr int32_t kTypeId = 0;

  SoundFadeTask(SoundBase& sound, uint32_t durationMs) : sound_(sound), durationMs_(durationMs) {}
  int32_t GetTypeId() const override { return kTypeId; }
  // A fade stopped before its first step has recorded nothing, and leaves
  // the level as it is.
  void Stop() override { Finish(); }

 protected:
  // Sets the recorded level back when it differs (before the first step:
  // the stored level to the buffer), and ends the sound's fade.
  void Finish();
  // First step: records the start and the sound's level.
  void RecordStart(uint32_t now);
  // trunc(elapsed * recorded / duration), from the unsigned 32-bit product.
  int32_t Progress(uint32_t now) const;
  bool BufferPlaying() const;
  int32_t StoredLevel() const;
  void SetLevel(int32_t level);
  void PauseSound();
  uint8_t FadeState() const;

  SoundBase& sound_;
  const uint32_t durationMs_;
  uint32_t start_ = 0;
  int32_t recorded_ = 0;
  bool started_ = false;
};

class SoundObjectFadeInTask final : public SoundFadeTask {
 public:
  using SoundFadeTask::SoundFadeTask;
  int32_t Step(uint32_t now) override;
};

class SoundObjectFadeOutTask final : public SoundFadeTask {
 public:
  using SoundFadeTask::SoundFadeTask;
  int32_t Step(uint32_t now) override;

 private:
  // Silent, paused, and back at the former level.
  int32_t EndPaused();
};

}  // namespace orrivel
