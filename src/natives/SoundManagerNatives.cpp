#include <memory>
#include <string>
#include <vector>

#include "base/TimedTask.h"
#include "natives/AppNativePort.h"
#include "natives/EngineServices.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptSounds.h"
#include "natives/SoundNativeFamilies.h"
#include "script/ScriptAddressSpace.h"
#include "sound/MusicDuckingTask.h"
#include "sound/SoundManager.h"
#include "sound/SoundTask.h"

namespace orrivel {

namespace {

enum : uint32_t {
  kSetSoundOption = 649,
  kGetSoundOption,
  kApplyChannelLevels,
  kSetMusicVolume,
  kSetMusicPan,
  kPlayMusic,
  kStopMusic,
  kPauseMusic,
  kResumeMusic,
  kFadeMusicVolume,
  kFadeInMusic,
  kFadeOutMusic,
  kCrossFadeMusic,
  kIsMusicActive,
  kGetMusicFadeState,
  kGetMusicStream,
  kSetChannelCount,
  kSetChannelVolume,
  kSetChannelPan,
  kSetChannelKind,
  kLoadChannel,
  kLoadChannelStream,
  kUnloadChannel,
  kPlayChannel,
  kStopChannel,
  kFadeChannelVolume,
  kFadeInChannel,
  kFadeOutChannel,
  kIsChannelPlaying,
  kIsChannelFading,
  kGetChannelSound,
  kPlayVoice,
  kDuckMusicForChannel,
};
static_assert(kDuckMusicForChannel == 681);

// Application settings byte of the player's music ducking under voices
// (the frame's voices read it too); its value 50 stands for halving.
constexpr size_t kDuckingSettingByte = 109;
// The first channel kind (effects): the one whose switch stops and restarts
// its channels.
constexpr uint8_t kKind1 = 1;
// The first speaker id of native 680.
constexpr uint32_t kFirstSpeakerCell = 3;

constexpr uint32_t Code(int32_t value) { return uint32_t(value); }

// What the natives answer when no sound manager runs.
constexpr uint32_t kNoManager = Code(-1);

struct ManagerCalls {
  GameScriptHost& host;
  std::shared_ptr<ScriptSounds> sounds;

  TimerList* Timers(SoundManager& manager) const {
    if (TimerList* list = host.SystemTimers()) return list;
    return manager.GetTimerList();
  }
};

// Binds a native that needs the sound manager.
template <class Op>
void BindOnManager(NativeBinder& binder, uint32_t number, Op op, uint32_t withoutManager = kNoManager) {
  binder.Bind(number, [op, withoutManager](NativeArgs& args) -> uint32_t {
    SoundManager* manager = GetSoundManager();
    if (manager == nullptr) return withoutManager;
    return op(*manager, args);
  });
}

// The text at the address in cell i, or none for address 0.
struct OptionalText {
  bool given = false;
  std::string text;
  const char* Get() const { return given ? text.c_str() : nullptr; }
};
OptionalText TextAt(NativeArgs& args, uint32_t i) {
  OptionalText out;
  if (args.Cell(i) == 0) return out;
  out.given = true;
  out.text = args.String(i);
  return out;
}


// Each command reads only the cells it uses.
void SetOption(SoundManager& manager, NativeArgs& args) {
  const uint32_t command = args.Cell(0);
  const uint32_t sub = args.Cell(1);
  if (args.Failed()) return;
  auto value = [&args] { return args.Int(2); };
  switch (command) {
    case 0: manager.SetMusicEnabled(sub != 0, false); break;
    case 1: {
      const uint8_t mask = uint8_t(value());
      const bool keepOneShots = args.Flag(3), force = args.Flag(4);
      if (!args.Failed()) manager.SetKindEnabled(sub != 0, mask, keepOneShots, force);
      break;
    }
    case 2: {
      // Only the first kind switches channels; the others are stored for
      // the next loads and plays.
      const bool on = value() != 0;
      if (args.Failed()) break;
      if (sub == 0) manager.SetKindEnabled(on, kKind1, true, false);
      else if (sub == 1) manager.kind2On = on;
      else if (sub == 2) manager.kind4On = on;
      break;
    }
    case 3: {
      const int32_t level = value();
      if (args.Failed()) break;
      if (sub == 0) manager.defaultLevel = level;
      else if (sub == 1) manager.defaultLevelKind2 = level;
      else if (sub == 2) manager.defaultLevelKind4 = level;
      break;
    }
    case 4: {
      const int32_t level = value();
      if (args.Failed()) break;
      if (sub == 2) {
        manager.SetVoiceLevel(level);
        break;
      }
      const bool flag = args.Flag(3);
      if (args.Failed()) break;
      if (sub == 0) manager.SetEnableMask(level != 0, flag);
      else if (sub == 1) manager.SetMasterLevel(level, flag);
      break;
    }
    default: break;
  }
}

uint32_t GetOption(SoundManager& manager, NativeArgs& args) {
  const uint32_t command = args.Cell(0);
  const uint32_t sub = args.Cell(1);
  if (args.Failed()) return 0;
  switch (command) {
    case 0: return manager.musicOn;
    case 1: return manager.kind1On;
    case 2:
      if (sub == 0) return manager.kind1On;
      if (sub == 1) return manager.kind2On;
      if (sub == 2) return manager.kind4On;
      return 0;
    case 3:
      if (sub == 0) return Code(manager.defaultLevel);
      if (sub == 1) return Code(manager.defaultLevelKind2);
      if (sub == 2) return Code(manager.defaultLevelKind4);
      return 0;
    case 4:
      if (sub == 0) return manager.globalOn;
      if (sub == 1) return Code(manager.masterLevel);
      if (sub == 2) return Code(manager.voiceLevel);
      return 0;
    default: return 0;
  }
}

// The music a script names: cell `file`, then the loop cell (65535: no
// intro, looped) and the intro cell.
struct MusicPiece {
  OptionalText file;
  OptionalText intro;
  bool loop = true;
  bool marked = false;  // the loop cell held the absent marker
};
MusicPiece PieceAt(NativeArgs& args, uint32_t fileCell, uint32_t loopCell, uint32_t introCell) {
  MusicPiece piece;
  piece.file = TextAt(args, fileCell);
  piece.marked = !args.Given(loopCell);
  if (!piece.marked) {
    piece.loop = args.Flag(loopCell);
    piece.intro = TextAt(args, introCell);
  }
  return piece;
}

uint32_t CrossFadeMusic(const ManagerCalls& calls, SoundManager& manager, NativeArgs& args) {
  const uint32_t fadeOut = args.Cell(0);
  const MusicPiece piece = PieceAt(args, 1, 2, 3);
  const bool fadeInGiven = !piece.marked && args.Given(4);
  const uint32_t fadeIn = fadeInGiven ? args.Cell(4) : fadeOut;
  const int32_t volume = fadeInGiven ? args.Int(5) : -1;
  if (args.Failed()) return 0;
  return Code(StartOwnedTask(std::make_unique<MusicCrossFadeTask>(fadeOut, fadeIn), calls.Timers(manager), &manager,
                             piece.file.Get(), piece.intro.Get(), piece.loop, volume));
}

uint32_t PlayVoice(SoundManager& manager, NativeArgs& args) {
  const int32_t channel = args.Int(0);
  const OptionalText cue = TextAt(args, 1);
  const int32_t count = std::max(args.Int(2), 0);
  if (args.Failed()) return 0;
  // The ids follow the count inline; ids that would lie past the block the
  // arguments are in (or past the arena) fail the call before any is read.
  std::vector<int32_t> ids;
  if (count > 0) {
    const uint64_t needed = 4 * (uint64_t(kFirstSpeakerCell) + uint64_t(count));
    const uint64_t live = args.Space().LiveBytesAt(args.Block());
    if (live != 0 && needed > live) args.Fail();
    else args.Cell(kFirstSpeakerCell + uint32_t(count) - 1);
    if (args.Failed()) return 0;
    ids.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) ids.push_back(args.Int(kFirstSpeakerCell + uint32_t(i)));
  }
  return Code(manager.PlayVoice(channel, cue.Get(), count, ids.empty() ? nullptr : ids.data()));
}

void BindOptionsAndMusic(NativeBinder& binder, const std::shared_ptr<ManagerCalls>& calls) {
  BindOnManager(binder, kSetSoundOption, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    SetOption(m, args);
    return 0;
  }, 0);
  BindOnManager(binder, kGetSoundOption, GetOption, 0);
  BindOnManager(binder, kApplyChannelLevels, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const uint8_t mask = args.Byte(0);
    const bool flag = args.Flag(1);
    const int32_t level = args.Int(2);
    if (!args.Failed()) m.ApplyChannelLevels(level, flag, mask);
    return 0;
  }, 0);
  BindOnManager(binder, kSetMusicVolume, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t volume = args.Int(0), level = args.Int(1);
    if (!args.Failed()) m.SetMusicVolume(volume, level, true);
    return 0;
  }, 0);
  BindOnManager(binder, kSetMusicPan, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t pan = args.Int(0);
    if (!args.Failed()) m.SetMusicPan(pan);
    return 0;
  }, 0);
  BindOnManager(binder, kPlayMusic, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const MusicPiece piece = PieceAt(args, 0, 1, 2);
    if (args.Failed()) return 1;
    return Code(m.PlayMusic(piece.file.Get(), piece.intro.Get(), piece.loop));
  });
  BindOnManager(binder, kStopMusic, [](SoundManager& m, NativeArgs&) -> uint32_t {
    m.StopMusic();
    return 0;
  }, 0);
  BindOnManager(binder, kPauseMusic, [](SoundManager& m, NativeArgs&) -> uint32_t {
    m.PauseMusic();
    return 0;
  });
  BindOnManager(binder, kResumeMusic, [](SoundManager& m, NativeArgs&) -> uint32_t {
    m.ResumeMusic();
    return 0;
  });
  BindOnManager(binder, kFadeMusicVolume, [calls](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t target = args.Int(0);
    const uint32_t duration = args.Cell(1);
    if (args.Failed()) return 1;
    return Code(StartOwnedTask(std::make_unique<MusicVolumeTask>(target, duration), calls->Timers(m), &m,
                               &m.ActiveMusic()));
  });
  BindOnManager(binder, kFadeInMusic, [calls](SoundManager& m, NativeArgs& args) -> uint32_t {
    const uint32_t duration = args.Cell(0);
    const MusicPiece piece = PieceAt(args, 1, 2, 3);
    if (args.Failed()) return 1;
    return Code(StartOwnedTask(std::make_unique<MusicFadeInTask>(duration), calls->Timers(m), &m, &m.ActiveMusic(),
                               piece.file.Get(), piece.intro.Get(), piece.loop));
  });
  BindOnManager(binder, kFadeOutMusic, [calls](SoundManager& m, NativeArgs& args) -> uint32_t {
    const uint32_t duration = args.Cell(0);
    if (args.Failed()) return 1;
    return Code(StartOwnedTask(std::make_unique<MusicFadeOutTask>(duration), calls->Timers(m), &m, &m.ActiveMusic()));
  });
  BindOnManager(binder, kCrossFadeMusic,
                [calls](SoundManager& m, NativeArgs& args) { return CrossFadeMusic(*calls, m, args); });
  BindOnManager(binder, kIsMusicActive, [](SoundManager& m, NativeArgs&) -> uint32_t { return m.IsMusicActive(); },
                0);
  BindOnManager(binder, kGetMusicFadeState, [](SoundManager& m, NativeArgs&) -> uint32_t {
    return m.musicFadeState;
  }, 0);
  BindOnManager(binder, kGetMusicStream, [calls](SoundManager& m, NativeArgs&) -> uint32_t {
    return calls->sounds->AddManaged(&m.ActiveMusic().sound, ScriptSounds::kMusic);
  }, 0);
}

void BindChannels(NativeBinder& binder, const std::shared_ptr<ManagerCalls>& calls) {
  BindOnManager(binder, kSetChannelCount, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t count = args.Int(0);
    return args.Failed() ? 1 : Code(m.SetChannelCount(count));
  });
  BindOnManager(binder, kSetChannelVolume, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0), volume = args.Int(1), level = args.Int(2);
    return args.Failed() ? 1 : Code(m.SetChannelVolume(ch, volume, level));
  });
  BindOnManager(binder, kSetChannelPan, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0), pan = args.Int(1);
    return args.Failed() ? 1 : Code(m.SetChannelPan(ch, pan));
  });
  BindOnManager(binder, kSetChannelKind, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0);
    const uint8_t kind = args.Byte(1);
    return args.Failed() ? 1 : Code(m.SetChannelKind(ch, kind));
  });
  auto load = [](SoundManager& m, NativeArgs& args, bool asStream) -> uint32_t {
    const int32_t ch = args.Int(0);
    const OptionalText file = TextAt(args, 1);
    return args.Failed() ? 1 : Code(m.LoadChannel(ch, file.Get(), kKeepNoSamples, asStream));
  };
  BindOnManager(binder, kLoadChannel, [load](SoundManager& m, NativeArgs& args) { return load(m, args, false); });
  BindOnManager(binder, kLoadChannelStream,
                [load](SoundManager& m, NativeArgs& args) { return load(m, args, true); });
  BindOnManager(binder, kUnloadChannel, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0);
    if (!args.Failed()) m.UnloadChannel(ch);
    return 0;
  }, 0);
  BindOnManager(binder, kPlayChannel, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0);
    const bool loop = args.Flag(1);
    return args.Failed() ? 1 : Code(m.PlayChannel(ch, loop));
  });
  BindOnManager(binder, kStopChannel, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0);
    return args.Failed() ? 1 : Code(m.StopChannel(ch));
  });
  BindOnManager(binder, kFadeChannelVolume, [calls](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0), target = args.Int(1);
    const uint32_t duration = args.Cell(2);
    if (!args.Failed()) StartOwnedTask(std::make_unique<ChannelVolumeTask>(target, duration), calls->Timers(m), &m, ch);
    return 0;
  }, 0);
  BindOnManager(binder, kFadeInChannel, [calls](SoundManager& m, NativeArgs& args) -> uint32_t {
    const uint32_t duration = args.Cell(0);
    const int32_t ch = args.Int(1);
    const OptionalText file = TextAt(args, 2);
    const bool loop = args.Flag(3), asStream = args.Flag(4);
    if (args.Failed()) return 1;
    return Code(StartOwnedTask(std::make_unique<ChannelFadeInTask>(duration), calls->Timers(m), &m, file.Get(), ch,
                               loop, asStream));
  });
  BindOnManager(binder, kFadeOutChannel, [calls](SoundManager& m, NativeArgs& args) -> uint32_t {
    const uint32_t duration = args.Cell(0);
    const int32_t ch = args.Int(1);
    if (args.Failed()) return 1;
    return Code(StartOwnedTask(std::make_unique<ChannelFadeOutTask>(duration), calls->Timers(m), &m, ch));
  });
  BindOnManager(binder, kIsChannelPlaying, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0);
    return !args.Failed() && m.IsChannelPlaying(ch) ? 1 : 0;
  }, 0);
  BindOnManager(binder, kIsChannelFading, [](SoundManager& m, NativeArgs& args) -> uint32_t {
    const SoundChannel* channel = m.GetChannel(args.Int(0));
    return channel && !args.Failed() ? channel->fading : 0;
  }, 0);
  BindOnManager(binder, kGetChannelSound, [calls](SoundManager& m, NativeArgs& args) -> uint32_t {
    SoundChannel* channel = m.GetChannel(args.Int(0));
    if (channel == nullptr || args.Failed()) return 0;
    SoundBase* sound = channel->current == &channel->stream ? static_cast<SoundBase*>(&channel->stream)
                                                            : static_cast<SoundBase*>(&channel->buffer);
    return calls->sounds->AddManaged(sound, ScriptSounds::kChannel);
  }, 0);
  BindOnManager(binder, kPlayVoice, PlayVoice, Code(-5));
  BindOnManager(binder, kDuckMusicForChannel, [calls](SoundManager& m, NativeArgs& args) -> uint32_t {
    const int32_t ch = args.Int(0);
    const OptionalText level = TextAt(args, 1);
    if (args.Failed()) return 0;
    MusicDuckingTask* task =
        StartChannelDucking(&m, calls->Timers(m), ch, level.Get(), AppPort().appConfig[kDuckingSettingByte]);
    return task ? task->Handle() : 0;
  }, 0);
}

}  // namespace

// Natives 649 to 681: the game's sound manager, its music, channels and
// voices, with their fades on the system timer list.
void BindSoundManagerNatives(NativeBinder& binder, const std::shared_ptr<ScriptSounds>& sounds) {
  auto calls = std::make_shared<ManagerCalls>(ManagerCalls{binder.Host(), sounds});
  BindOptionsAndMusic(binder, calls);
  BindChannels(binder, calls);
}

}  // namespace orrivel
