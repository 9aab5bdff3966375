#include "sound/SoundManager.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "base/Cp932.h"
#include "base/ScopedLock.h"
#include "base/TimerList.h"

namespace orrivel {
namespace {

std::atomic<SoundManager*> g_soundManager{nullptr};

int32_t ClampLevel(int32_t level) { return std::clamp(level, 0, SoundManager::kFullLevel); }

bool NameTooLong(const char* name) { return std::strlen(name) > SoundManager::kMaxNameBytes; }

bool Playing(SoundBase& sound) { return sound.IsPlaying(nullptr, nullptr); }

}  // namespace

SoundManager* GetSoundManager() { return g_soundManager.load(std::memory_order_acquire); }
SoundManager* SetSoundManager(SoundManager* manager) { return g_soundManager.exchange(manager); }

SoundManager::SoundManager() = default;

SoundManager::~SoundManager() {
  FinishMusicTasks();
  FreeChannels();
}

void SoundManager::FinishMusicTasks() {
  if (!timerList_) return;
  for (int32_t type : kMusicTaskTypes) timerList_->StopType(type);
}

// ---------------------------------------------------------------- levels

void SoundManager::SetMasterLevel(int32_t level, bool onlyPersistent) {
  masterLevel = ClampLevel(level);
  // Ending the ducking first puts the music level back, so the master
  // applies to the level the player chose, not to the lowered one.
  CancelDucking();
  SetMusicVolume(-1, musicLevel, true);
  for (size_t i = 0; i < channels_.size(); ++i) {
    const SoundChannel& channel = *channels_[i];
    if (onlyPersistent && !((channel.kind & 1) && (channel.playState == 2 || channel.current == &channel.stream)))
      continue;
    SetChannelVolume(int32_t(i), -1, -1);
  }
}

void SoundManager::SetVoiceLevel(int32_t level) {
  voiceLevel = ClampLevel(level);
  for (size_t i = 0; i < channels_.size(); ++i) {
    if (channels_[i]->kind & 4) SetChannelVolume(int32_t(i), -1, -1);
  }
}

void SoundManager::SetEnableMask(uint8_t on, bool keepOneShots) {
  if (on == globalOn) return;
  globalOn = on;
  SetMusicEnabled(musicOn, true);
  SetKindEnabled(kind1On, 1, keepOneShots, true);
  SetKindEnabled(kind2On, 2, keepOneShots, true);
  SetKindEnabled(kind4On, 4, keepOneShots, true);
}

int32_t SoundManager::SetMusicEnabled(uint8_t on, bool force) {
  if (on == musicOn && !force) return 0;
  ScopedLock hold(lock_);
  musicOn = on;
  if (!(on && globalOn)) {
    // Names and settings stay, so that switching on again restarts the piece.
    for (MusicStream& stream : music_) {
      if (Playing(stream.sound)) stream.sound.Stop();
    }
    return 0;
  }
  MusicStream& stream = ActiveMusic();
  if (Playing(stream.sound) || stream.pauseCount != 0 || !stream.file) return 0;
  const int32_t opened =
      OpenActiveMusic(stream.file->c_str(), stream.intro && !stream.intro->empty() ? stream.intro->c_str() : nullptr);
  // A reduced open (no notifications, volume only) still plays, as it does
  // for PlayMusic.
  if (opened <= 0) StartActiveMusic();
  return opened;
}

void SoundManager::SetKindEnabled(uint8_t on, uint8_t kindMask, bool keepOneShots, bool force) {
  bool changed = false;
  for (uint8_t bit : {uint8_t(1), uint8_t(2), uint8_t(4)}) {
    if (!(kindMask & bit)) continue;
    uint8_t& stored = bit == 1 ? kind1On : bit == 2 ? kind2On : kind4On;
    if (stored != on) changed = true;
    stored = on;
  }
  if (!changed && !force) return;
  if (kindMask == 0) return;
  ScopedLock hold(lock_);
  const bool effective = on && globalOn;
  for (size_t i = 0; i < channels_.size(); ++i) {
    SoundChannel& channel = *channels_[i];
    if (!(channel.kind & kindMask)) continue;
    if (channel.playState == 2 && channel.current) {
      if (effective) {
        channel.current->PlayLooping();
      } else {
        channel.current->Stop();
      }
    } else if (!effective && !keepOneShots) {
      StopChannel(int32_t(i));
    }
  }
}

void SoundManager::ApplyChannelLevels(int32_t level, bool onlyPersistent, uint8_t kindMask) {
  for (size_t i = 0; i < channels_.size(); ++i) {
    const SoundChannel& channel = *channels_[i];
    if (!(channel.kind & kindMask)) continue;
    if (onlyPersistent && channel.playState != 2 && !channel.streamName) continue;
    SetChannelVolume(int32_t(i), -1, level);
  }
}

// ----------------------------------------------------------------- music

bool SoundManager::IsPlayingPiece(MusicStream& stream, const char* file, const char* intro) {
  if (!file || !stream.file || cp932::CompareNoCase(*stream.file, file) != 0) return false;
  // An empty intro is no intro, as PlayMusic takes it.
  if (intro && *intro && !(stream.intro && *stream.intro == intro)) return false;
  return Playing(stream.sound);
}

int32_t SoundManager::OpenActiveMusic(const char* file, const char* intro) {
  if (!file) return 1;
  StreamSound& sound = ActiveMusic().sound;
  return intro && *intro ? sound.Open(intro, file) : sound.Open(file, nullptr);
}

int32_t SoundManager::StartActiveMusic() {
  MusicStream& stream = ActiveMusic();
  stream.sound.SetPan(musicPan);
  SetMusicVolume(-1, -1, false);
  return stream.loop ? stream.sound.PlayLooping() : stream.sound.Play();
}

void SoundManager::CloseActiveMusic() {
  ScopedLock hold(lock_);
  MusicStream& stream = ActiveMusic();
  stream.sound.Close();
  stream.file.reset();
  stream.intro.reset();
  stream.pauseCount = 0;
}

int32_t SoundManager::PlayMusic(const char* file, const char* intro, bool looping) {
  FinishMusicTasks();
  ScopedLock hold(lock_);
  // A length byte holds the name's length + 1 in the saved state.
  if (!file || NameTooLong(file) || (intro && NameTooLong(intro))) return 1;
  MusicStream& stream = ActiveMusic();
  stream.pauseCount = 0;
  if (IsPlayingPiece(stream, file, intro)) return -1;
  const bool canPlay = musicOn && globalOn;
  // Copies first: the names may be the stored ones.
  std::string fileCopy(file);
  std::optional<std::string> introCopy;
  if (intro && *intro) introCopy.emplace(intro);
  stream.file.reset();
  stream.intro.reset();
  if (canPlay) {
    const int32_t opened = OpenActiveMusic(fileCopy.c_str(), introCopy ? introCopy->c_str() : nullptr);
    if (opened > 0) return opened;
  }
  stream.intro = std::move(introCopy);
  stream.file = std::move(fileCopy);
  stream.loop = looping ? 1 : 0;
  if (!canPlay) return -2;
  StartActiveMusic();
  return 0;
}

void SoundManager::StopMusic() {
  FinishMusicTasks();
  CloseActiveMusic();
}

void SoundManager::PauseMusic() {
  MusicStream& stream = ActiveMusic();
  ++stream.pauseCount;
  stream.sound.Pause();
}

void SoundManager::ResumeMusic() {
  MusicStream& stream = ActiveMusic();
  // A resume without a pause must not leave a count that keeps the music
  // from ever being switched on again.
  if (stream.pauseCount > 0) --stream.pauseCount;
  stream.sound.Resume();
}

void SoundManager::SetMusicVolume(int32_t volume, int32_t level, bool cancelDucking) {
  MusicStream& stream = ActiveMusic();
  if (volume >= 0) stream.volume = std::min(volume, kFullVolume);
  if (level >= 0) {
    if (cancelDucking) CancelDucking();
    musicLevel = std::min(level, kFullLevel);
  }
  stream.sound.SetVolume(MusicAttenuationLevel());
}

int32_t SoundManager::MusicAttenuationLevel() const {
  const MusicStream& stream = music_[active_];
  return (stream.volume * musicLevel) / 100 * masterLevel >> 8;
}

void SoundManager::SetMusicPan(int32_t pan) {
  musicPan = pan;
  ActiveMusic().sound.SetPan(pan);
}

bool SoundManager::IsMusicActive() { return Playing(music_[0].sound) || Playing(music_[1].sound); }

// -------------------------------------------------------------- channels

int32_t SoundManager::SetChannelCount(int32_t count) {
  if (count == ChannelCount()) return 0;
  if (count <= 0) return 1;
  if (count > kMaxChannels) return 2;
  if (!channels_.empty()) CancelDucking();
  try {
    std::vector<std::unique_ptr<SoundChannel>> resized;
    resized.reserve(size_t(count));
    const size_t kept = std::min(size_t(count), channels_.size());
    for (size_t i = 0; i < size_t(count); ++i) {
      resized.push_back(i < kept ? std::move(channels_[i]) : std::make_unique<SoundChannel>());
    }
    for (size_t i = kept; i < channels_.size(); ++i) {
      if (channels_[i]) DestroyChannel(*channels_[i]);
    }
    channels_ = std::move(resized);
  } catch (const std::bad_alloc&) {
    FreeChannels();
    return 2;
  }
  return 0;
}

void SoundManager::DestroyChannel(SoundChannel& channel) {
  StopChannelFadeTask(channel);
  channel.current = nullptr;
  channel.streamName.reset();
  channel.buffer.Close();
  channel.stream.Close();
}

void SoundManager::FreeChannels() {
  CancelDucking();
  for (auto& channel : channels_) {
    if (channel) DestroyChannel(*channel);
  }
  channels_.clear();
}

int32_t SoundManager::ChannelAttenuationLevel(const SoundChannel& channel) const {
  int32_t level = (channel.level * channel.volume) / 100 * masterLevel >> 8;
  if (channel.kind == 4) level = level * voiceLevel >> 8;
  return level;
}

int32_t SoundManager::SetChannelVolume(int32_t ch, int32_t volume, int32_t level) {
  if (!ValidChannel(ch)) return 1;
  SoundChannel& channel = *channels_[size_t(ch)];
  if (volume >= 0) channel.volume = std::min(volume, kFullVolume);
  if (level >= 0) channel.level = std::min(level, kFullLevel);
  const int32_t attenuationLevel = ChannelAttenuationLevel(channel);
  channel.stream.SetVolume(attenuationLevel);
  channel.buffer.SetVolume(attenuationLevel);
  return 0;
}

int32_t SoundManager::SetChannelPan(int32_t ch, int32_t pan) {
  if (!ValidChannel(ch)) return 1;
  SoundChannel& channel = *channels_[size_t(ch)];
  channel.pan = pan;
  if (channel.current) channel.current->SetPan(pan);
  return 0;
}

int32_t SoundManager::SetChannelKind(int32_t ch, uint8_t kind) {
  if (!ValidChannel(ch)) return 1;
  if (!(kind & 7)) return 2;
  channels_[size_t(ch)]->kind = kind;
  return 0;
}

int32_t SoundManager::LoadChannel(int32_t ch, const char* fileName, int32_t bufferMode, bool asStream) {
  if (!ValidChannel(ch) || !fileName || NameTooLong(fileName)) return 1;
  UnloadChannel(ch);
  SoundChannel& channel = *channels_[size_t(ch)];
  int32_t level = defaultLevel;
  if (channel.kind == 2 && defaultLevelKind2 >= 0) {
    level = defaultLevelKind2;
  } else if (channel.kind == 4 && defaultLevelKind4 >= 0) {
    level = defaultLevelKind4;
  }
  channel.volume = kFullVolume;
  channel.level = ClampLevel(level);
  const int32_t attenuationLevel = ChannelAttenuationLevel(channel);
  if (asStream) {
    channel.stream.SetVolume(attenuationLevel);
    if (channel.stream.Open(fileName, nullptr) > 0) return 2;
    channel.streamName.emplace(fileName);
    channel.current = &channel.stream;
  } else {
    channel.buffer.SetVolume(attenuationLevel);
    if (channel.buffer.Open(fileName, bufferMode) > 0) return 2;
    channel.current = &channel.buffer;
  }
  channel.current->SetPan(channel.pan);
  return 0;
}

int32_t SoundManager::UnloadChannel(int32_t ch) {
  if (!ValidChannel(ch)) return 1;
  SoundChannel& channel = *channels_[size_t(ch)];
  if (channel.current) channel.current->Close();
  channel.current = nullptr;
  channel.streamName.reset();
  StopChannelFadeTask(channel);
  channel.playState = 0;
  return 0;
}

void SoundManager::StopChannelFadeTask(SoundChannel& channel) {
  const uint32_t handle = channel.fadeTask;
  channel.fadeTask = 0;
  if (timerList_ && handle) timerList_->Stop(handle);
}

uint8_t SoundManager::KindSwitch(uint8_t kind, bool loop) const {
  switch (kind) {
    case 1: return kind1On;
    case 2: return kind2On;
    case 4: return kind4On;
    // A mixed kind has no switch of its own: only looping sounds start.
    default: return loop ? 1 : 0;
  }
}

int32_t SoundManager::PlayChannel(int32_t ch, bool loop) {
  if (!ValidChannel(ch)) return 1;
  SoundChannel& channel = *channels_[size_t(ch)];
  StopChannelFadeTask(channel);
  ScopedLock hold(lock_);
  channel.playState = 0;
  const bool on = KindSwitch(channel.kind, loop) && globalOn;
  if (on && channel.current) {
    const int32_t started = loop ? channel.current->PlayLooping() : channel.current->Play();
    if (started != 0) return started + 1;
  }
  // Recorded even while the kind is off: a looping channel then starts when
  // its kind is switched on again.
  channel.playState = loop ? 2 : 1;
  return on ? 0 : -1;
}

int32_t SoundManager::StopChannel(int32_t ch) {
  if (!ValidChannel(ch)) return 1;
  SoundChannel& channel = *channels_[size_t(ch)];
  StopChannelFadeTask(channel);
  if (channel.current) channel.current->Stop();
  channel.playState = 0;
  return 0;
}

bool SoundManager::IsChannelPlaying(int32_t ch) {
  if (!ValidChannel(ch)) return false;
  SoundChannel& channel = *channels_[size_t(ch)];
  return channel.current && Playing(*channel.current);
}

SoundChannel* SoundManager::GetChannel(int32_t ch) { return ValidChannel(ch) ? channels_[size_t(ch)].get() : nullptr; }

bool SoundManager::IsChannelFading(int32_t ch) { return ValidChannel(ch) && channels_[size_t(ch)]->fading != 0; }

void SoundManager::SetChannelFading(int32_t ch, uint8_t mark) {
  if (ValidChannel(ch)) channels_[size_t(ch)]->fading = mark;
}

// --------------------------------------------------------------- ducking

void SoundManager::CancelDucking() {
  if (!duckingTask_) {
    duckingList_ = nullptr;
    return;
  }
  TimerList* list = duckingList_;
  duckingList_ = nullptr;
  if (list) list->StopType(kDuckingTaskType);
}

double SoundManager::DuckingFactorFromSetting(uint8_t value) { return value == 50 ? -1.0 : value * 0.01; }

}  // namespace orrivel
