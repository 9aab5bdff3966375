#pragma once
// The game's mixer: two music streams (one active, the other for the
// cross-fade), the numbered channels that hold one loose-file sound each,
// the master, music and voice levels, the switches of music and of the
// channel kinds, the music ducking under voices, voices played by cue name,
// and the state block that save data embeds.
//
// Main thread only. The manager lock guards music and channel start and
// stop; each sound takes its own lock inside its operations, never the
// other way round.
//
// Start-up: construct it, give it the engine's timer list (SetTimerList) and
// the script host's voice table (SetVoiceTable), set the switches and levels
// from the player's settings, then publish it with SetSoundManager. The
// manager must go before the timer list that its tasks run on.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/CriticalSection.h"
#include "sound/BufferSound.h"
#include "sound/StreamSound.h"

namespace orrivel {

class TimedTask;
class TimerList;
class VoiceTable;
class MusicDuckingTask;

// One of the two music records.
struct MusicStream {
  StreamSound sound{nullptr};
  std::optional<std::string> file;   // plays, and repeats when looping
  std::optional<std::string> intro;  // played once before it
  int32_t volume = 100;              // 0..100
  int32_t pauseCount = 0;
  uint8_t loop = 0;
};

// One numbered channel.
struct SoundChannel {
  SoundBase* current = nullptr;  // stream or buffer below, or null
  StreamSound stream{nullptr};
  std::optional<std::string> streamName;  // only while the stream is loaded
  BufferSound buffer{nullptr};
  int32_t volume = 100;  // 0..100
  int32_t level = 256;   // 0..256
  int32_t pan = 0;
  uint8_t playState = 0;  // 0 stopped, 1 played once, 2 looping
  uint8_t fading = 0;     // set by the channel fade tasks
  uint8_t kind = 1;       // 1 effects, 2 second effect group, 4 voices
  uint32_t fadeTask = 0;  // timer-list handle of the fade task, 0 when none
};

enum MusicFadeState : uint8_t {
  kMusicNoFade = 0,
  kMusicVolumeRamp = 1,
  kMusicFadingIn = 2,
  kMusicFadingOut = 3,
  kMusicCrossFading = 4,
};

class SoundManager {
 public:
  static constexpr int32_t kFullLevel = 256;
  static constexpr int32_t kFullVolume = 100;
  // A stored name's length byte holds length + 1.
  static constexpr size_t kMaxNameBytes = 254;
  // Paths of voice files, terminating zero included.
  static constexpr size_t kMaxPathBytes = 260;
  // Type ids of the music tasks that the music operations finish.
  static constexpr int32_t kMusicTaskTypes[] = {10000, 10001, 10002};
  static constexpr int32_t kDuckingTaskType = 10003;

  SoundManager();
  // Finishes the music tasks and destroys every channel.
  virtual ~SoundManager();
  SoundManager(const SoundManager&) = delete;
  SoundManager& operator=(const SoundManager&) = delete;

  void SetTimerList(TimerList* list) { timerList_ = list; }
  TimerList* GetTimerList() const { return timerList_; }
  void SetVoiceTable(VoiceTable* table) { voices_ = table; }
  // The settings' lip-sync switch: voices of animated speakers keep their
  // amplitude envelope.
  void SetLipSync(bool on) { lipSync_ = on; }

  // Levels and switches.
  void SetMasterLevel(int32_t level, bool onlyPersistent);
  void SetVoiceLevel(int32_t level);
  void SetEnableMask(uint8_t on, bool keepOneShots);
  int32_t SetMusicEnabled(uint8_t on, bool force);
  void SetKindEnabled(uint8_t on, uint8_t kindMask, bool keepOneShots, bool force);
  void ApplyChannelLevels(int32_t level, bool onlyPersistent, uint8_t kindMask);

  // Music.
  int32_t PlayMusic(const char* file, const char* intro, bool looping);
  void StopMusic();
  void PauseMusic();
  void ResumeMusic();
  void SetMusicVolume(int32_t volume, int32_t level, bool cancelDucking);
  void SetMusicPan(int32_t pan);
  void SwapMusicStreams() { active_ ^= 1; }
  bool IsMusicActive();
  MusicStream& ActiveMusic() { return music_[active_]; }
  MusicStream& OtherMusic() { return music_[active_ ^ 1]; }
  int32_t ActiveMusicIndex() const { return active_; }
  // True when the stream plays file (letter case aside) and intro is null
  // or the stored intro.
  static bool IsPlayingPiece(MusicStream& stream, const char* file, const char* intro);
  // Opens the active stream from its stored names (intro first). The open's
  // code; 1 when no name is stored.
  int32_t OpenActiveMusic(const char* file, const char* intro);
  // Closes the active stream and forgets its names, leaving the tasks be.
  void CloseActiveMusic();
  // Starts the active stream after its loop flag, with the music pan.
  int32_t StartActiveMusic();
  int32_t MusicAttenuationLevel() const;

  // Channels. A count above kMaxChannels is refused as an allocation that
  // failed (2), keeping the channels there are: each channel holds a
  // buffer and a stream sound, and a script's 2^31 of them would take the
  // machine's memory.
  static constexpr int32_t kMaxChannels = 4096;
  int32_t SetChannelCount(int32_t count);
  void FreeChannels();
  int32_t ChannelCount() const { return int32_t(channels_.size()); }
  int32_t SetChannelVolume(int32_t ch, int32_t volume, int32_t level);
  int32_t SetChannelPan(int32_t ch, int32_t pan);
  int32_t SetChannelKind(int32_t ch, uint8_t kind);
  int32_t LoadChannel(int32_t ch, const char* fileName, int32_t bufferMode, bool asStream);
  int32_t UnloadChannel(int32_t ch);
  int32_t PlayChannel(int32_t ch, bool loop);
  int32_t StopChannel(int32_t ch);
  bool IsChannelPlaying(int32_t ch);
  SoundChannel* GetChannel(int32_t ch);
  bool IsChannelFading(int32_t ch);
  void SetChannelFading(int32_t ch, uint8_t mark);
  int32_t ChannelAttenuationLevel(const SoundChannel& channel) const;
  // Stops the channel's fade task by its handle.
  void StopChannelFadeTask(SoundChannel& channel);

  // Lowers the music while the channel plays (factor below 1.0; negative
  // halves). The task, owned by the list, or null when it did not start.
  MusicDuckingTask* StartMusicDucking(TimerList* list, int32_t channel, double factor);
  // The factor a settings byte stands for: 50 halves, v else v / 100.
  static double DuckingFactorFromSetting(uint8_t value);
  bool IsDucking() const { return duckingTask_ != nullptr; }
  // Ends a running ducking task, which puts the music level back.
  void CancelDucking();

  // Voices: loads the cue's voice file on the channel. A speaker position,
  // a cue or character index, or -1 (no cues: loaded), -2 switched off,
  // -3 unknown cue, -4 the load failed, -5 no voice table.
  int32_t PlayVoice(int32_t channel, const char* cueName, int32_t speakerCount, const int32_t* speakerIds);

  // Save state. LoadState checks the whole block before it changes
  // anything: 1 for a null or damaged block, else 0.
  virtual size_t GetStateSize();
  virtual int32_t SaveState(uint8_t** cursor);
  virtual int32_t LoadState(const uint8_t* data, size_t size, size_t* consumed = nullptr);

  // Fields the settings, the natives and the tasks read and set directly.
  int32_t masterLevel = kFullLevel;
  int32_t voiceLevel = kFullLevel;
  int32_t musicLevel = kFullLevel;
  int32_t musicPan = 0;
  int32_t defaultLevel = kFullLevel;
  int32_t defaultLevelKind2 = -1;
  int32_t defaultLevelKind4 = -1;
  uint8_t globalOn = 1;
  uint8_t musicOn = 1;
  uint8_t kind1On = 1;
  uint8_t kind2On = 1;
  uint8_t kind4On = 1;
  uint8_t musicFadeState = kMusicNoFade;

  CriticalSection& Lock() { return lock_; }

 private:
  friend class MusicDuckingTask;

  bool ValidChannel(int32_t ch) const { return ch >= 0 && size_t(ch) < channels_.size(); }
  uint8_t KindSwitch(uint8_t kind, bool loop) const;
  void FinishMusicTasks();
  void DestroyChannel(SoundChannel& channel);
  int32_t LoadVoiceFile(int32_t channel, const std::string& path, int32_t mode);

  MusicStream music_[2];
  int32_t active_ = 0;
  std::vector<std::unique_ptr<SoundChannel>> channels_;
  TimerList* timerList_ = nullptr;
  TimerList* duckingList_ = nullptr;
  TimedTask* duckingTask_ = nullptr;  // cleared by the task when it goes
  VoiceTable* voices_ = nullptr;
  bool lipSync_ = false;
  CriticalSection lock_;
};

// The process-wide sound manager (null until start-up sets it).
SoundManager* GetSoundManager();
// Returns the previous one.
SoundManager* SetSoundManager(SoundManager* manager);

}  // namespace orrivel
