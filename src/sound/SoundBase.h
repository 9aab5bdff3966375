#pragma once
// A sound over one sound buffer: its level, pan and frequency, the nested
// pause, and its own fades run as timed tasks. BufferSound decodes a whole
// file into its buffer; the stream sound refills a ring.
//
// Each sound has its own recursive lock: the fade operations and the fade
// tasks hold it, and the tasks call Pause and SetVolume under it.
#include <cstdint>
#include <memory>

#include "base/CriticalSection.h"
#include "base/WeakLink.h"
#include "platform/audio/SoundBuffer.h"

namespace orrivel {

class SoundFadeTask;
class TimedTask;
class TimerList;

enum SoundFadeState : uint8_t {
  kSoundNoFade = 0,
  kSoundFadingIn = 1,
  kSoundFadingOut = 2,
};

enum FadeInCode : int32_t {
  kFadeInOk = 0,
  kFadeInSilent = -1,  // started at level 0: nothing to fade
  kFadeInNoBuffer = 1,
  kFadeInRunning = 2,
  kFadeInResumeFailed = 3,
  kFadeInPlayFailed = 4,
  kFadeInNoTask = 5,
};

enum FadeOutCode : int32_t {
  kFadeOutOk = 0,
  kFadeOutPausedSilent = -1,  // level 0: paused at once
  kFadeOutNoBuffer = 1,
  kFadeOutNotPlaying = 2,
  kFadeOutRunning = 3,
  kFadeOutNoTask = 4,
};

// A script may delete a sound while a task still works with it: holders
// that did not make it keep a WeakLink.
class SoundBase : public LinkTarget {
 public:
  static constexpr int32_t kFullLevel = 256;
  // Pan, volume and frequency control: what a sound asks its buffer for
  // first, before it settles for volume control alone.
  static constexpr uint32_t kFullControl =
      platform::kBufferCtrlPan | platform::kBufferCtrlVolume | platform::kBufferCtrlFrequency;
  // The fade tasks step at least this far apart.
  static constexpr uint32_t kMinFadePeriodMs = 20;

  SoundBase() = default;
  // Stops the fade task and lets the buffer go.
  virtual ~SoundBase();
  SoundBase(const SoundBase&) = delete;
  SoundBase& operator=(const SoundBase&) = delete;

  virtual std::shared_ptr<platform::SoundBuffer> GetBuffer() const { return buffer_; }
  virtual int32_t GetLevel() const { return level_; }
  virtual bool IsStream() const = 0;
  virtual int32_t Close() = 0;
  virtual int32_t Play() = 0;
  virtual int32_t PlayLooping() = 0;
  virtual int32_t Pause() = 0;
  virtual int32_t Resume() = 0;
  virtual int32_t Stop() = 0;
  // PCM bytes of the whole sound.
  virtual uint32_t GetTotalBytes() = 0;
  virtual uint32_t GetLengthMs() = 0;
  virtual int32_t SeekMs(uint32_t ms) = 0;
  virtual uint32_t GetPositionMs() = 0;
  virtual bool IsPlaying(uint32_t* outPlayCursor, uint32_t* outWriteCursor) = 0;
  // Stores the level (0..256) in every case. -1 without a buffer, 1 when
  // the buffer refuses the attenuation, else 0.
  virtual int32_t SetVolume(int32_t level);
  // 1 without a buffer, 2 when the buffer refuses, else 0.
  virtual int32_t SetPan(int32_t pan);
  virtual int32_t SetFrequency(uint32_t hz);
  // Moves level, pan and frequency by the non-zero deltas (pan clamped to
  // -10000..10000, frequency to 100..100000). 1 without a buffer; 2, 3 or
  // 4 when the level, pan or frequency step fails.
  virtual int32_t AdjustPan(int32_t levelDelta, int32_t panDelta, int32_t frequencyDelta);
  // The stored level whenever asked; 1 without a buffer, 2 pan or 3
  // frequency unreadable.
  virtual int32_t GetPanAndFrequency(int32_t* outLevel, int32_t* outPan, uint32_t* outFrequency);
  // 1 without a buffer.
  virtual int32_t GetFormat(uint16_t* outChannels, uint32_t* outSamplesPerSecond, uint16_t* outBitsPerSample);

  // Starts (or resumes) the sound silent and raises it to its level over
  // durationMs. A FadeInCode.
  int32_t StartFadeIn(TimerList* timerList, uint32_t durationMs, bool loop);
  // Lowers the playing sound to silence over durationMs, then pauses it at
  // its former level. A FadeOutCode.
  int32_t StartFadeOut(TimerList* timerList, uint32_t durationMs);

  // The attenuation in hundredths of a decibel for a level:
  // trunc(log10(level / 256) * 2000), -10000 for 0 and below.
  static int32_t LevelToAttenuation(int32_t level);
  // The byte that fills silence: 0x80 for 8-bit samples, 0 otherwise.
  static uint8_t SilenceByte(uint16_t bitsPerSample) { return bitsPerSample == 8 ? 0x80 : 0; }

  uint8_t GetFadeState() const { return fadeState_; }
  int32_t GetPauseCount() const { return pauseCount_; }
  bool HasFadeTask() const { return fadeTask_ != nullptr; }
  CriticalSection& Lock() { return lock_; }

 protected:
  // A buffer from the process-wide sound device; null without one or when
  // the device refuses. Virtual so that a test can make the step fail.
  virtual std::shared_ptr<platform::SoundBuffer> CreateBuffer(const platform::WaveFormat& format, uint32_t flags,
                                                              uint32_t bytes);
  // Stops the running fade task, if any (it restores what it recorded).
  void StopFadeTask();
  // Sets the buffer's attenuation from the stored level.
  void ApplyStoredLevel();

  std::shared_ptr<platform::SoundBuffer> buffer_;
  int32_t level_ = kFullLevel;
  int32_t pauseCount_ = 0;
  CriticalSection lock_;
  uint8_t fadeState_ = kSoundNoFade;

 private:
  friend class SoundFadeTask;

  int32_t AddFadeTask(TimerList* timerList, std::unique_ptr<SoundFadeTask> task, uint32_t durationMs);

  TimerList* fadeList_ = nullptr;
  // Written null by the task when it goes (the timer list owns it).
  TimedTask* fadeTask_ = nullptr;
};

}  // namespace orrivel
