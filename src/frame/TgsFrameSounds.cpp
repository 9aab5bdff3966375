// The frame's sounds: effects on the four effect channels 8 to 11 (taken
// in turn when a script leaves the channel to the frame), the loop flags
// and the records of looping effects that a save carries, the fades, the
// waits on sounds and music, the voices on channel 6, and the music by
// number through the game's background-music player.
#include <algorithm>
#include <limits>
#include <memory>

#include "base/TimerList.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "sound/BgmTrack.h"
#include "sound/SoundManager.h"
#include "sound/SoundTask.h"

namespace orrivel {

namespace {

constexpr size_t kSettingAlwaysSkip = 3;
constexpr size_t kSettingSoundOn = 82;
constexpr size_t kSettingEffectsOn = 84;
constexpr size_t kSettingVoicesOn = 86;
constexpr size_t kSettingStopVoiceAtPageEnd = 108;
constexpr size_t kSettingDuckMusic = 109;
constexpr size_t kSettingPanVoices = 110;
constexpr uint32_t kDefaultFadeMs = 1000;
// The voice manager's answers below -1.
constexpr int32_t kVoiceSwitchedOff = -2;
constexpr int32_t kVoiceCueUnknown = -3;
constexpr int32_t kVoiceLoadFailed = -4;
constexpr int32_t kVoiceNoManager = -5;
// The frame's own answers for a voice.
constexpr int32_t kVoiceOffResult = 1;
constexpr int32_t kVoiceNotInTable = 2;
constexpr int32_t kVoiceFailed = 3;
// The screen's width, over which voices pan from left to right.
constexpr int32_t kPanWidth = 1280;
constexpr int32_t kPanFull = 5000;
constexpr uint32_t kMaskClick = MessageWindowState::kSkipClick;
constexpr uint32_t kMaskKey = MessageWindowState::kSkipKey;

uint32_t FadeMs(int32_t ms) { return ms <= 0 ? kDefaultFadeMs : uint32_t(ms); }

// The game's system timer list, where fades run; the manager's own
// without one.
TimerList* SoundTimers(const TgsFrame& frame, SoundManager& sounds) {
  const auto& timers = frame.Environment().systemTimers;
  TimerList* list = timers ? timers() : nullptr;
  return list ? list : sounds.GetTimerList();
}

// The skip input of the waits on sounds: the extra skip with settings
// byte 3, the skip key, a click (where clicks end waits) or skip mode.
bool SoundWaitSkipped(TgsFrame& frame, bool extraSkip) {
  return (extraSkip && frame.Setting(kSettingAlwaysSkip)) || frame.SkipKeyHeld() ||
         frame.WindowState().ShouldSkip(kMaskClick) || frame.SkipByKey() || frame.SkipBySetting();
}

// The skip input of the waits on music: skip mode, a click or the skip key.
bool MusicWaitSkipped(TgsFrame& frame) {
  return frame.SkipByKey() || frame.SkipBySetting() || frame.WindowState().ShouldSkip(kMaskClick | kMaskKey);
}

// Sets or clears the loop flag of a manager channel; an effect channel's
// record follows it, so the records hold a name exactly while it loops.
void MarkLoop(std::array<uint8_t, TgsFrame::kLoopFlagChannels>& flags, TgsFrameRecords& records,
              int32_t channel, bool loop, const std::string& name, int32_t loadMode) {
  if (channel < 0 || uint32_t(channel) >= flags.size()) return;
  flags[size_t(channel)] = loop ? 1 : 0;
  const int32_t effect = channel - TgsFrame::kFirstEffectChannel;
  if (effect < 0 || uint32_t(effect) >= TgsFrame::kEffectChannels) return;
  TgsLoopSound& record = records.loopSounds[size_t(effect)];
  if (!loop) {
    record = TgsLoopSound{};
    return;
  }
  record.name = name;
  record.loadMode = uint8_t(loadMode);
}

}  // namespace

// --- channels and their loop flags -------------------------------------------------------------

int32_t TgsFrame::ManagerChannel(int32_t scriptChannel) {
  const int64_t channel = scriptChannel < 0 ? -int64_t(scriptChannel) : int64_t(scriptChannel) + kFirstEffectChannel;
  return channel > std::numeric_limits<int32_t>::max() ? -1 : int32_t(channel);
}

int32_t TgsFrame::AllocateEffectChannel(const char* name, int32_t channel, int32_t loadMode) {
  int32_t managerChannel;
  if (channel < 0) {
    // A counter restored from a damaged save still lands on an effect channel.
    const uint32_t next = uint32_t(records_.soundChannel) % kEffectChannels;
    managerChannel = kFirstEffectChannel + int32_t(next);
    records_.soundChannel = int32_t((next + 1) % kEffectChannels);
  } else {
    managerChannel = ManagerChannel(channel);
  }
  if (name == nullptr) return managerChannel;
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr || managerChannel < 0) return -1;
  return sounds->LoadChannel(managerChannel, name, 0, loadMode == 1) == 0 ? managerChannel : -1;
}

int32_t TgsFrame::PlaySound(const std::string& name, int32_t channel, int32_t loadMode, bool loop) {
  const bool on = Setting(kSettingSoundOn) && Setting(kSettingEffectsOn);
  int32_t managerChannel;
  if (on) {
    managerChannel = AllocateEffectChannel(name.c_str(), channel, loadMode);
    if (managerChannel < 0) return 1;
    GetSoundManager()->PlayChannel(managerChannel, loop);
  } else {
    managerChannel = AllocateEffectChannel(nullptr, channel, loadMode);
    // A sound played once is simply not heard; a loop is remembered, so
    // that a game loaded with sound on starts it.
    if (!loop) return 0;
  }
  MarkLoop(loopFlags_, records_, managerChannel, loop, name, loadMode);
  return 0;
}

int32_t TgsFrame::StopSound(int32_t channel) {
  const int32_t managerChannel = ManagerChannel(channel);
  MarkLoop(loopFlags_, records_, managerChannel, false, {}, 0);
  if (SoundManager* sounds = GetSoundManager()) sounds->StopChannel(managerChannel);
  return 0;
}

int32_t TgsFrame::StopAllSounds() {
  SoundManager* sounds = GetSoundManager();
  for (uint32_t i = 0; i < kEffectChannels; ++i) {
    const int32_t channel = kFirstEffectChannel + int32_t(i);
    if (sounds) sounds->UnloadChannel(channel);
    MarkLoop(loopFlags_, records_, channel, false, {}, 0);
  }
  records_.soundChannel = 0;
  return 0;
}

int32_t TgsFrame::FadeInSound(const std::string& name, uint32_t ms, int32_t channel, int32_t loadMode) {
  const int32_t managerChannel = ManagerChannel(channel);
  SoundManager* sounds = GetSoundManager();
  if (Setting(kSettingSoundOn) && Setting(kSettingEffectsOn)) {
    if (sounds == nullptr) return 1;
    const int32_t code = StartOwnedTask(std::make_unique<ChannelFadeInTask>(ms == 0 ? kDefaultFadeMs : ms),
                                        SoundTimers(*this, *sounds), sounds, name.c_str(), managerChannel, true,
                                        loadMode == 1);
    if (code != 0) return 1;
  }
  MarkLoop(loopFlags_, records_, managerChannel, true, name, loadMode);
  return 0;
}

int32_t TgsFrame::FadeOutSound(uint32_t ms, int32_t channel) {
  const int32_t managerChannel = ManagerChannel(channel);
  MarkLoop(loopFlags_, records_, managerChannel, false, {}, 0);
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr) return 1;
  // A channel that was not playing is stopped and counts as faded.
  const int32_t code = StartOwnedTask(std::make_unique<ChannelFadeOutTask>(ms == 0 ? kDefaultFadeMs : ms),
                                      SoundTimers(*this, *sounds), sounds, managerChannel);
  return code > 0 ? 1 : 0;
}

int32_t TgsFrame::ReplayLoopSounds() {
  int32_t failed = 0;
  const auto records = records_.loopSounds;
  for (uint32_t i = 0; i < kEffectChannels; ++i) {
    if (records[i].name.empty()) continue;
    if (PlaySound(records[i].name, int32_t(i), records[i].loadMode, true) != 0) ++failed;
  }
  return failed;
}

void TgsFrame::ReplayMusic(bool fadeIn) {
  // A saved game's music plays looping, as the scripts' music always does;
  // a game saved without music stops what plays now.
  if (SoundManager* sounds = GetSoundManager())
    PlayBgmTrack(*sounds, SoundTimers(*this, *sounds), records_.musicNumber, fadeIn ? kDefaultFadeMs : 0, true);
}

void TgsFrame::ForgetLoopSounds() {
  loopFlags_.fill(0);
  for (TgsLoopSound& record : records_.loopSounds) record = TgsLoopSound{};
}

// --- waits -------------------------------------------------------------------------------------

namespace {

// Pumps frames while `busy` holds: 0 when it no longer does, 1 when
// `skipped` says the player skipped (after `onSkip`), -1 when closing.
template <typename Busy, typename Skipped, typename OnSkip>
int32_t PumpWhile(TgsFrame& frame, Busy busy, Skipped skipped, OnSkip onSkip) {
  while (busy()) {
    if (skipped()) {
      onSkip();
      return 1;
    }
    if (!frame.PumpOneFrame()) return -1;
  }
  return 0;
}

}  // namespace

int32_t TgsFrame::WaitSoundFade(int32_t channel, bool skippable, bool stopOnSkip, bool extraSkip) {
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr) return 0;
  const int32_t managerChannel = ManagerChannel(channel);
  return PumpWhile(
      *this, [&] { return sounds->IsChannelFading(managerChannel); },
      [&] { return skippable && SoundWaitSkipped(*this, extraSkip); },
      [&] {
        if (stopOnSkip) sounds->StopChannel(managerChannel);
      });
}

int32_t TgsFrame::WaitSoundEnd(int32_t channel, bool skippable, bool extraSkip) {
  SoundManager* sounds = GetSoundManager();
  const int32_t managerChannel = ManagerChannel(channel);
  // A loop never ends by itself: it is stopped instead of waited for.
  if (managerChannel >= 0 && uint32_t(managerChannel) < kLoopFlagChannels && loopFlags_[size_t(managerChannel)]) {
    StopSound(channel);
    return 2;
  }
  if (sounds == nullptr) return 0;
  return PumpWhile(
      *this, [&] { return sounds->IsChannelPlaying(managerChannel); },
      [&] { return skippable && SoundWaitSkipped(*this, extraSkip); },
      [&] { sounds->StopChannel(managerChannel); });
}

int32_t TgsFrame::WaitMusicChange(bool skippable) {
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr) return 0;
  return PumpWhile(
      *this, [&] { return sounds->musicFadeState != kMusicNoFade; },
      [&] { return skippable && MusicWaitSkipped(*this); },
      [&] {
        // A fade out that is cut short leaves nothing playing.
        if (CurrentBgmNumber() == 0) sounds->StopMusic();
      });
}

// --- voices ------------------------------------------------------------------------------------

int32_t TgsFrame::PlayVoice(const std::string& cue) {
  if (!Setting(kSettingSoundOn) || !Setting(kSettingVoicesOn)) return kVoiceOffResult;
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr) return kVoiceFailed;
  const int32_t result = sounds->PlayVoice(kVoiceChannel, cue.c_str(), 0, nullptr);
  if (result < -1) return result == kVoiceCueUnknown ? kVoiceNotInTable : kVoiceFailed;
  sounds->PlayChannel(kVoiceChannel, false);
  loopFlags_[kVoiceChannel] = 0;
  return 0;
}

int32_t TgsFrame::VoicePanForX(int32_t x) {
  if (x <= 0) return -kPanFull;
  if (x < kPanWidth / 2) return int32_t(int64_t(x) * kPanFull / (kPanWidth / 2) - kPanFull);
  if (x < kPanWidth) return int32_t((5 * int64_t(x) - 3200) * 1000 / (kPanWidth / 2));
  return kPanFull;
}

int32_t TgsFrame::PlaySpeakerVoice(const std::string& cue, std::span<const int32_t> speakerIds,
                                   std::span<const int32_t> speakerX) {
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr) return kVoiceNoManager;
  if (!Setting(kSettingVoicesOn)) return kVoiceSwitchedOff;
  if (cue.empty()) return kVoiceCueUnknown;
  const int32_t speaker =
      sounds->PlayVoice(kVoiceChannel, cue.c_str(), int32_t(speakerIds.size()), speakerIds.data());
  // A page whose voice is missing goes on silent; the line says why.
  if (speaker == kVoiceCueUnknown) Log("page voice " + cue + " is not in the voice table");
  else if (speaker == kVoiceLoadFailed) Log("page voice " + cue + " could not be played");
  if (speaker < -1) return speaker;
  int32_t pan = 0;
  if (Setting(kSettingPanVoices) && speaker >= 0 && size_t(speaker) < speakerX.size())
    pan = VoicePanForX(speakerX[size_t(speaker)]);
  sounds->SetChannelPan(kVoiceChannel, pan);
  sounds->PlayChannel(kVoiceChannel, false);
  loopFlags_[kVoiceChannel] = 0;
  voicePlaying_ = true;
  DuckMusicUnderVoice(*sounds);
  return speaker;
}

void TgsFrame::DuckMusicUnderVoice(SoundManager& sounds) {
  if (Setting(kSettingDuckMusic) && sounds.IsMusicActive())
    sounds.StartMusicDucking(SoundTimers(*this, sounds), kVoiceChannel,
                             SoundManager::DuckingFactorFromSetting(Setting(kSettingDuckMusic)));
}

int32_t TgsFrame::ReplayHistoryVoice(const std::string& cue) {
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr) return kVoiceFailed;
  // The page's speaker may have panned the channel; a replay speaks from
  // the middle.
  sounds->SetChannelPan(kVoiceChannel, 0);
  const int32_t result = PlayVoice(cue);
  if (result == 0) DuckMusicUnderVoice(*sounds);
  // A voice the player asked for and does not hear is worth a line (one
  // switched off in the settings is the player's own choice).
  if (result == kVoiceNotInTable) Log("history: voice " + cue + " is not in the voice table");
  else if (result == kVoiceFailed) Log("history: voice " + cue + " could not be played");
  return result;
}

void TgsFrame::StopPageVoice(bool pageEnd) {
  if (!voicePlaying_) return;
  if (pageEnd && Setting(kSettingStopVoiceAtPageEnd))
    if (SoundManager* sounds = GetSoundManager()) sounds->StopChannel(kVoiceChannel);
  voicePlaying_ = false;
}

// --- the rows ----------------------------------------------------------------------------------

int32_t TgsFrame::PlayMusic(const TgsOperationCall& call) {
  const int32_t number = call.Int(0);
  records_.musicNumber = number;
  if (SoundManager* sounds = GetSoundManager())
    PlayBgmTrack(*sounds, SoundTimers(*this, *sounds), number, uint32_t(std::max(call.Int(1), 0)), call.Int(2) != 0);
  return 0;
}

int32_t TgsFrame::WaitMusicChange(const TgsOperationCall& call) { return WaitMusicChange(call.Int(0) != 0); }

int32_t TgsFrame::StopMusic(const TgsOperationCall&) {
  // A wait passed at once ends the change where it was going: the fades
  // finish, and music that was fading out stops.
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr) return 0;
  if (TimerList* list = SoundTimers(*this, *sounds))
    for (const int32_t type : SoundManager::kMusicTaskTypes) list->StopType(type);
  if (CurrentBgmNumber() == 0) sounds->StopMusic();
  return 0;
}

int32_t TgsFrame::WaitMusicEnd(const TgsOperationCall& call) {
  SoundManager* sounds = GetSoundManager();
  if (sounds == nullptr) return 0;
  const bool skippable = call.Int(0) != 0;
  // Looping music never ends by itself: it is stopped instead of waited for.
  int32_t result = 2;
  if (!sounds->IsMusicActive() || !sounds->ActiveMusic().loop) {
    result = PumpWhile(
        *this, [&] { return sounds->IsMusicActive(); }, [&] { return skippable && MusicWaitSkipped(*this); }, [] {});
    if (result < 0) return result;
  }
  EndMusic(call);
  return result;
}

int32_t TgsFrame::EndMusic(const TgsOperationCall&) {
  if (SoundManager* sounds = GetSoundManager()) PlayBgmTrack(*sounds, SoundTimers(*this, *sounds), 0, 0, true);
  records_.musicNumber = 0;
  return 0;
}

int32_t TgsFrame::PlaySound(const TgsOperationCall& call) {
  return PlaySound(call.Text(0), call.Int(1), call.Int(2), call.Int(3) != 0);
}

int32_t TgsFrame::FadeInSound(const TgsOperationCall& call) {
  return FadeInSound(call.Text(0), FadeMs(call.Int(1)), call.Int(2), call.Int(3));
}

int32_t TgsFrame::FadeOutSound(const TgsOperationCall& call) { return FadeOutSound(FadeMs(call.Int(0)), call.Int(1)); }

int32_t TgsFrame::StopSound(const TgsOperationCall& call) { return StopSound(call.Int(0)); }

int32_t TgsFrame::StopAllSounds(const TgsOperationCall&) { return StopAllSounds(); }

int32_t TgsFrame::WaitSoundFade(const TgsOperationCall& call) {
  return WaitSoundFade(call.Int(0), call.Int(1) != 0, call.Int(2) != 0, call.Int(3) != 0);
}

int32_t TgsFrame::WaitSoundEnd(const TgsOperationCall& call) {
  return WaitSoundEnd(call.Int(0), call.Int(1) != 0, call.Int(2) != 0);
}

// A wait passed at once: the channel stops, and a loop on it is no longer
// one a save should start again.
int32_t TgsFrame::StopChannel(const TgsOperationCall& call) { return StopSound(call.Int(0)); }

int32_t TgsFrame::PlayPageVoice(const TgsOperationCall& call) {
  // The flag tells whether the voice of the page being shown ends with
  // the page (settings byte 108) before this one takes the channel.
  StopPageVoice(call.Int(1) != 0);
  return PlayVoice(call.Text(0));
}

}  // namespace orrivel
