#pragma once
// Music and channel volume changes over time, stepped by the engine's timer
// list: volume ramps, fade-ins, fade-outs and the music cross-fade. Each
// ramp is linear over the time since the task's first step.
//
// The caller makes a task and calls its Start; on 0 the timer list owns it,
// on any other result the caller still does and deletes it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/TimedTask.h"

namespace orrivel {

class SoundManager;
class TimerList;
struct MusicStream;

class SoundTask : public TimedTask {
 public:
  static constexpr int32_t kMusicVolumeType = 10000;
  static constexpr int32_t kMusicCrossFadeType = 10001;
  static constexpr int32_t kMusicDuckingType = 10003;
  static constexpr int32_t kChannelVolumeType = 10004;

  enum RunState : uint8_t { kNotRun = 0, kRunning = 1, kFinished = 2 };

  // Puts the target into its end state, once.
  void Finish();
  void Stop() override { Finish(); }
  uint8_t GetRunState() const { return runState_; }

 protected:
  virtual void OnFinish() = 0;
  // Milliseconds since the first step (which records its tick).
  uint32_t Elapsed(uint32_t now);
  // Ends the task from its own step.
  int32_t End() {
    Finish();
    return 1;
  }
  // base + (to - base) * elapsed / duration, exact in 64 bits.
  static int32_t Ramp(int32_t from, int32_t to, uint32_t elapsed, uint32_t duration);

  uint8_t runState_ = kNotRun;
  uint32_t start_ = 0;
};

// The music tasks share the manager and their fade state.
class MusicTask : public SoundTask {
 protected:
  // Finishes the music volume and cross-fade tasks on the list.
  static void FinishMusicFades(TimerList& list);
  void SetVolume(int32_t volume);
  // Adds the task and marks the manager's fade state; false when the list
  // refused it.
  bool Add(TimerList& list, uint8_t fadeState);
  void ClearFadeState();
  // One step of a ramp of the music volume; ends when the stream stops
  // playing or the duration is over.
  int32_t RampStep(uint32_t now, MusicStream& stream, uint32_t duration, int32_t from, int32_t to);

  SoundManager* manager_ = nullptr;
};

class MusicVolumeTask final : public MusicTask {
 public:
  MusicVolumeTask(int32_t target, uint32_t durationMs);
  int32_t GetTypeId() const override { return kMusicVolumeType; }
  // 1 for a null argument, 2 when the list refuses the task.
  int32_t Start(TimerList* list, SoundManager* manager, MusicStream* stream);
  int32_t Step(uint32_t now) override;

 private:
  void OnFinish() override;
  MusicStream* stream_ = nullptr;
  int32_t target_;
  uint32_t duration_;
  int32_t from_ = 0;
};

class MusicFadeInTask final : public MusicTask {
 public:
  explicit MusicFadeInTask(uint32_t durationMs) : duration_(durationMs) {}
  int32_t GetTypeId() const override { return kMusicVolumeType; }
  // -1 the piece already plays; 2 PlayMusic failed (or its negative code,
  // the volume put back); 3 the list refused the task.
  int32_t Start(TimerList* list, SoundManager* manager, MusicStream* stream, const char* file, const char* intro,
                bool looping);
  int32_t Step(uint32_t now) override;

 private:
  void OnFinish() override;
  MusicStream* stream_ = nullptr;
  uint32_t duration_;
  int32_t target_ = 0;
};

class MusicFadeOutTask final : public MusicTask {
 public:
  explicit MusicFadeOutTask(uint32_t durationMs) : duration_(durationMs) {}
  int32_t GetTypeId() const override { return kMusicVolumeType; }
  // -1 when nothing played (the music is stopped); 2 the list refused.
  int32_t Start(TimerList* list, SoundManager* manager, MusicStream* stream);
  int32_t Step(uint32_t now) override;

 private:
  // Stops the music and gives its record the volume it faded from, so
  // that the next piece starts there.
  void OnFinish() override;
  MusicStream* stream_ = nullptr;
  uint32_t duration_;
  int32_t from_ = 0;
};

// Fades the playing piece out while a new one, on the other stream, fades
// in; the new one starts once duration - overlap has passed.
class MusicCrossFadeTask final : public MusicTask {
 public:
  MusicCrossFadeTask(uint32_t durationMs, uint32_t overlapMs);
  int32_t GetTypeId() const override { return kMusicCrossFadeType; }
  // -1 the piece already plays; -2 music is off (the new piece waits on the
  // active stream at its volume); 2 the open failed; 3 the list refused.
  int32_t Start(TimerList* list, SoundManager* manager, const char* file, const char* intro, bool looping,
                int32_t volume);
  int32_t Step(uint32_t now) override;

 private:
  void OnFinish() override;
  void SetStreamVolume(MusicStream& stream, int32_t volume);
  void StartNewStream();
  void EndOldStream();

  uint32_t duration_;
  uint32_t delay_;
  uint32_t total_;
  MusicStream* old_ = nullptr;
  MusicStream* new_ = nullptr;
  int32_t oldVolume_ = 0;
  int32_t newVolume_ = 0;
  bool started_ = false;
  bool oldFading_ = true;
};

// The channel tasks keep the channel's fading mark while they run and their
// handle in the channel record.
class ChannelTask : public SoundTask {
 public:
  int32_t GetTypeId() const override { return kChannelVolumeType; }

 protected:
  ChannelTask(uint32_t durationMs) : duration_(durationMs) {}
  // A loaded channel record, or null.
  static bool HasSound(SoundManager& manager, int32_t channel);
  bool Add(TimerList& list, SoundManager& manager, int32_t channel, uint8_t mark);
  // Ends the fade, clearing the mark and the handle.
  void Release();
  void SetVolume(int32_t volume);
  // One step of a ramp of the channel volume; ends when the channel's sound
  // stops playing or the duration is over.
  int32_t RampStep(uint32_t now, int32_t from, int32_t to);

  SoundManager* manager_ = nullptr;
  int32_t channel_ = 0;
  uint32_t duration_;
};

class ChannelVolumeTask final : public ChannelTask {
 public:
  ChannelVolumeTask(int32_t target, uint32_t durationMs);
  // 1 null argument, 2 no sound, 3 the list refused.
  int32_t Start(TimerList* list, SoundManager* manager, int32_t channel);
  int32_t Step(uint32_t now) override;

 private:
  void OnFinish() override;
  int32_t target_;
  int32_t from_ = 0;
};

class ChannelFadeInTask final : public ChannelTask {
 public:
  explicit ChannelFadeInTask(uint32_t durationMs) : ChannelTask(durationMs) {}
  // Loads fileName first when given (2 when that fails). 1 null argument,
  // 3 no sound, 4 the play failed or its negative code (-1 kind off), with
  // the volume put back; 5 the list refused.
  int32_t Start(TimerList* list, SoundManager* manager, const char* fileName, int32_t channel, bool loop,
                bool asStream);
  int32_t Step(uint32_t now) override;

 private:
  void OnFinish() override;
  int32_t target_ = 0;
};

class ChannelFadeOutTask final : public ChannelTask {
 public:
  explicit ChannelFadeOutTask(uint32_t durationMs) : ChannelTask(durationMs) {}
  // 1 null argument, 2 no sound, -1 not playing (stopped), 3 refused.
  int32_t Start(TimerList* list, SoundManager* manager, int32_t channel);
  int32_t Step(uint32_t now) override;

 private:
  void OnFinish() override;
  int32_t from_ = 0;
};

// Starts a task made for the purpose: the list owns it once its Start
// answered 0, otherwise it is deleted here. The start's code.
template <class Task, class... Args>
int32_t StartOwnedTask(std::unique_ptr<Task> task, Args&&... args) {
  const int32_t code = task->Start(std::forward<Args>(args)...);
  if (code == 0) task.release();
  return code;
}

}  // namespace orrivel
