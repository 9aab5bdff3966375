#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/TextCodec.h"
#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptSounds.h"
#include "natives/SoundNativeFamilies.h"
#include "natives/SystemNativePort.h"
#include "natives/WindowCommandRecords.h"
#include "script/ScriptAddressSpace.h"
#include "sound/BufferSound.h"
#include "sound/ExportSoundAsWave.h"
#include "sound/SllManager.h"
#include "sound/SoundManager.h"
#include "sound/SoundSystem.h"

namespace orrivel {

namespace {

enum : uint32_t {
  kInitSoundDevice = 593,
  kSetDecoderEnable,
  kLoadDecoder,
  kLoadDecoders,
  kUnloadDecoder,
  kDecoderAssist,
  kDeleteAllSounds,
  kCreateBufferSound,
  kDuplicateSound,
  kCreateStreamSound,
  kCreateStreamSoundPair,
  kDeleteSound,
  kPlaySound,
  kPlaySoundLooped,
  kPauseSound,
  kResumeSound,
  kStopSound,
  kFadeInSound,
  kFadeOutSound,
  kPauseAllSounds,
  kResumeAllSounds,
  kStopAllSounds,
  kSetSoundPosition,
  kGetSoundFormat,
  kGetSoundLength,
  kGetSoundPosition,
  kGetSoundStatus,
  kSetSoundVolume,
  kSetSoundPan,
  kSetSoundFrequency,
  kSetSoundLevels,
  kGetSoundLevels,
  kGetSoundValue,
  kGetSoundSample,
  kGetSoundAmplitude,
  kExportSoundAsWave,
};
static_assert(kExportSoundAsWave == 628);

// The output the scripts start with when they name no format.
constexpr uint16_t kDefaultChannels = 2;
constexpr uint32_t kDefaultRateCode = 44;
constexpr uint16_t kDefaultBits = 16;
// Cells after the decoder kind that an assist callback may read and write.
constexpr uint32_t kAssistCells = 16;

constexpr char kNoDirectSound[] =
    "サウンドカードが正常に接続されていないか\n対応していないため、DirectSoundを利用できません。\n"
    "サウンドを再生できません。";

constexpr uint32_t Code(int32_t value) { return uint32_t(value); }

// The sound natives' view of the host: the sounds its scripts hold and
// where those sounds live.
class SoundCalls {
 public:
  SoundCalls(GameScriptHost& host, std::shared_ptr<ScriptSounds> sounds) : host_(host), sounds_(std::move(sounds)) {}

  // The sound named by cell i, or null (0, stale, or no longer its owner's).
  SoundBase* Sound(NativeArgs& args, uint32_t i) {
    const uint32_t handle = args.Cell(i);
    if (handle == 0 || args.Failed()) return nullptr;
    return sounds_->Find(handle, SystemSounds(), GetSoundManager());
  }
  ScriptSounds& Sounds() { return *sounds_; }
  TimerList* Timers() {
    if (TimerList* list = host_.SystemTimers()) return list;
    SoundManager* manager = GetSoundManager();
    return manager ? manager->GetTimerList() : nullptr;
  }
  // Keeps a loose sound the system just made; the script's handle or 0.
  uint32_t Keep(SoundSystem& system, uint32_t systemHandle) {
    return systemHandle ? sounds_->AddLoose(system.GetSound(systemHandle), systemHandle) : 0;
  }

 private:
  GameScriptHost& host_;
  std::shared_ptr<ScriptSounds> sounds_;
};

// Binds a native that needs a sound in cell 0: nullResult for none.
template <class Op>
void BindOnSound(NativeBinder& binder, const std::shared_ptr<SoundCalls>& calls, uint32_t number, int32_t nullResult,
                 Op op) {
  binder.Bind(number, [calls, nullResult, op](NativeArgs& args) -> uint32_t {
    SoundBase* sound = calls->Sound(args, 0);
    if (sound == nullptr) return Code(nullResult);
    return op(*sound, args);
  });
}

uint32_t InitSoundDevice(NativeArgs& args) {
  const uint32_t first = args.Cell(0);
  uint16_t channels = kDefaultChannels;
  uint32_t rateCode = kDefaultRateCode;
  uint16_t bits = kDefaultBits;
  if (first != 0) {
    channels = uint8_t(first);
    rateCode = args.Cell(1);
    bits = args.Word16(2);
  }
  if (args.Failed()) return 0;
  // The device is remade by the main window (whichever thread runs the
  // scripts); a host without a game window remakes it in place.
  SoundRestartCommandRecord restart;
  restart.result = int32_t(first);
  restart.rateCode = rateCode;
  restart.bitsPerSample = bits;
  int32_t result = 0;
  if (SendWindowCommand(kCommandRestartSound, &restart)) {
    result = restart.result;
  } else {
    SoundSystem* system = SystemSounds();
    result = system ? system->Initialize(system->Window(), false, false, nullptr, channels, rateCode, bits)
                    : int32_t(kSoundDeviceNoDevice);
  }
  args.Space().Write32(args.Block(), uint32_t(result));
  AppNativePort& app = AppPort();
  // The warning is shown once: the player's switch turns itself off.
  constexpr size_t kWarnByte = 6;
  if (result >= 1 && app.boot[kWarnByte] != 0) {
    if (app.showError) app.showError(platform::Utf8ToCp932Lossy(kNoDirectSound));
    app.boot[kWarnByte] = 0;
  }
  return Code(result);
}

uint32_t DecoderAssist(NativeArgs& args) {
  const uint32_t kind = args.Cell(0);
  SllManager* decoders = GetSllManager();
  SoundCodec* codec = decoders ? decoders->FindCodecByType(kind) : nullptr;
  if (args.Failed() || codec == nullptr) return Code(kSllAssistNotOffered);
  // The callback works on a copy of the cells that lie in the arena; what
  // it writes goes back through the same checks.
  std::array<uint32_t, kAssistCells> cells{};
  uint32_t readable = 0;
  ScriptAddressSpace& space = args.Space();
  while (readable < kAssistCells && space.Read32(args.Block() + 4 * (readable + 1), cells[readable])) ++readable;
  const int32_t result = codec->Assist2(cells.data());
  for (uint32_t i = 0; i < readable; ++i) space.Write32(args.Block() + 4 * (i + 1), cells[i]);
  return Code(result);
}

uint32_t DeleteSound(SoundCalls& calls, NativeArgs& args) {
  const uint32_t address = args.Cell(0);
  if (address == 0 || args.Failed()) return 1;
  const uint32_t handle = args.Load(address);
  if (args.Failed()) return 1;
  if (handle == 0) return 1;
  SoundSystem* system = SystemSounds();
  const uint32_t systemHandle = calls.Sounds().SystemHandle(handle);
  // Not a loose sound of the scripts: the system does not list it.
  if (system == nullptr || systemHandle == 0) return 2;
  const int32_t code = system->DeleteSound(systemHandle);
  if (code == 0) {
    calls.Sounds().Forget(handle);
    args.Store(address, 0);
  }
  return Code(code);
}

void BindDeviceAndDecoders(NativeBinder& binder) {
  binder.Bind(kInitSoundDevice, InitSoundDevice);
  binder.Bind(kSetDecoderEnable, [](NativeArgs& args) -> uint32_t {
    const uint32_t value = args.Cell(0);
    SllManager* decoders = GetSllManager();
    if (args.Failed() || decoders == nullptr) return 0;
    // User byte 22 is the player's own choice of decoding from memory.
    constexpr size_t kLoadWholeByte = 22;
    decoders->SetLoadWhole(value <= 1 ? value != 0 : AppPort().user[kLoadWholeByte] != 0);
    return 0;
  });
  GameScriptHost& host = binder.Host();
  // Libraries load only from the game's own folders.
  binder.Bind(kLoadDecoder, [&host](NativeArgs& args) -> uint32_t {
    const std::string name = args.String(0);
    SllManager* decoders = GetSllManager();
    if (args.Failed() || decoders == nullptr || !host.FileRoots().ResolveLibrary(name)) return Code(kSllLoadFailed);
    return Code(decoders->LoadOne(name));
  });
  binder.Bind(kLoadDecoders, [&host](NativeArgs& args) -> uint32_t {
    const std::string folder = args.String(0);
    SllManager* decoders = GetSllManager();
    if (args.Failed() || decoders == nullptr || !host.FileRoots().Allows(folder)) return Code(-1);
    return Code(decoders->LoadPlugins(folder));
  });
  binder.Bind(kUnloadDecoder, [](NativeArgs& args) -> uint32_t {
    const int32_t type = args.Int(0);
    SllManager* decoders = GetSllManager();
    if (args.Failed() || decoders == nullptr) return 0;
    if (type == -1) decoders->UnloadAll();
    else decoders->Unload(uint32_t(type));
    return 0;
  });
  binder.Bind(kDecoderAssist, DecoderAssist);
  binder.Bind(kExportSoundAsWave, [&host = binder.Host()](NativeArgs& args) -> uint32_t {
    const std::string source = args.String(0);
    const std::string destination = args.String(1);
    if (args.Failed()) return Code(kExportBadArgument);
    if (!host.FileRoots().Allows(source)) return Code(kExportBadArgument);
    const std::optional<std::string> written = host.FileRoots().ResolveForWriting(destination);
    if (!written) return Code(kExportWriteFailed);
    return Code(ExportSoundAsWave(source.c_str(), written->c_str()));
  });
}

void BindCreation(NativeBinder& binder, const std::shared_ptr<SoundCalls>& calls) {
  binder.Bind(kDeleteAllSounds, [calls](NativeArgs&) -> uint32_t {
    if (SoundSystem* system = SystemSounds()) system->DeleteAllSounds();
    calls->Sounds().ForgetLoose();
    return 0;
  });
  binder.Bind(kCreateBufferSound, [calls](NativeArgs& args) -> uint32_t {
    const std::string name = args.String(0);
    const int32_t mode = args.Int(1);
    SoundSystem* system = SystemSounds();
    if (args.Failed() || system == nullptr) return 0;
    uint32_t made = 0;
    system->CreateBufferSound(&made, name.c_str(), mode);
    return calls->Keep(*system, made);
  });
  binder.Bind(kDuplicateSound, [calls](NativeArgs& args) -> uint32_t {
    SoundBase* source = calls->Sound(args, 0);
    SoundSystem* system = SystemSounds();
    if (source == nullptr || system == nullptr) return 0;
    if (source->IsStream()) return 2;
    uint32_t made = 0;
    system->CreateDuplicateSound(&made, calls->Sounds().SystemHandle(args.Cell(0)));
    return calls->Keep(*system, made);
  });
  auto createStream = [calls](NativeArgs& args, bool pair) -> uint32_t {
    const std::string first = args.String(0);
    const std::string second = pair ? args.String(1) : std::string();
    SoundSystem* system = SystemSounds();
    if (args.Failed() || system == nullptr) return 0;
    uint32_t made = 0;
    system->CreateStreamSound(&made, first.c_str(), pair ? second.c_str() : nullptr);
    return calls->Keep(*system, made);
  };
  binder.Bind(kCreateStreamSound, [createStream](NativeArgs& args) { return createStream(args, false); });
  binder.Bind(kCreateStreamSoundPair, [createStream](NativeArgs& args) { return createStream(args, true); });
  binder.Bind(kDeleteSound, [calls](NativeArgs& args) { return DeleteSound(*calls, args); });
}

void BindPlayback(NativeBinder& binder, const std::shared_ptr<SoundCalls>& calls) {
  BindOnSound(binder, calls, kPlaySound, -1, [](SoundBase& s, NativeArgs&) { return Code(s.Play()); });
  BindOnSound(binder, calls, kPlaySoundLooped, -1, [](SoundBase& s, NativeArgs&) { return Code(s.PlayLooping()); });
  BindOnSound(binder, calls, kPauseSound, -1, [](SoundBase& s, NativeArgs&) { return Code(s.Pause()); });
  BindOnSound(binder, calls, kResumeSound, -1, [](SoundBase& s, NativeArgs&) { return Code(s.Resume()); });
  BindOnSound(binder, calls, kStopSound, -1, [](SoundBase& s, NativeArgs&) { return Code(s.Stop()); });
  BindOnSound(binder, calls, kFadeInSound, -2, [calls](SoundBase& s, NativeArgs& args) {
    const uint32_t duration = args.Cell(1);
    const bool loop = args.Flag(2);
    return args.Failed() ? 0 : Code(s.StartFadeIn(calls->Timers(), duration, loop));
  });
  BindOnSound(binder, calls, kFadeOutSound, -2, [calls](SoundBase& s, NativeArgs& args) {
    const uint32_t duration = args.Cell(1);
    return args.Failed() ? 0 : Code(s.StartFadeOut(calls->Timers(), duration));
  });
  binder.Bind(kPauseAllSounds, [](NativeArgs&) -> uint32_t {
    if (SoundSystem* system = SystemSounds()) system->PauseAllSounds();
    return 0;
  });
  binder.Bind(kResumeAllSounds, [](NativeArgs&) -> uint32_t {
    if (SoundSystem* system = SystemSounds()) system->ResumeAllSounds();
    return 0;
  });
  binder.Bind(kStopAllSounds, [](NativeArgs&) -> uint32_t {
    if (SoundSystem* system = SystemSounds()) system->StopAllSounds();
    return 0;
  });
  BindOnSound(binder, calls, kSetSoundPosition, -1, [](SoundBase& s, NativeArgs& args) {
    const uint32_t ms = args.Cell(1);
    return args.Failed() ? 0 : Code(s.SeekMs(ms));
  });
}

void BindQueries(NativeBinder& binder, const std::shared_ptr<SoundCalls>& calls) {
  BindOnSound(binder, calls, kGetSoundFormat, -1, [](SoundBase& s, NativeArgs& args) {
    uint16_t channels = 0, bits = 0;
    uint32_t rate = 0;
    const int32_t code = s.GetFormat(&channels, &rate, &bits);
    if (code == 0) {
      args.SetOptionalInt(1, channels);
      args.SetOptionalInt(2, rate);
      args.SetOptionalInt(3, bits);
    }
    return Code(code);
  });
  BindOnSound(binder, calls, kGetSoundLength, 0, [](SoundBase& s, NativeArgs&) { return s.GetLengthMs(); });
  BindOnSound(binder, calls, kGetSoundPosition, 0, [](SoundBase& s, NativeArgs&) { return s.GetPositionMs(); });
  BindOnSound(binder, calls, kGetSoundStatus, 0, [](SoundBase& s, NativeArgs& args) -> uint32_t {
    uint32_t play = 0, write = 0;
    const bool playing = s.IsPlaying(&play, &write);
    args.SetOptionalInt(1, play);
    args.SetOptionalInt(2, write);
    return playing ? 1 : 0;
  });
  BindOnSound(binder, calls, kGetSoundLevels, -1, [](SoundBase& s, NativeArgs& args) {
    int32_t level = 0, pan = 0;
    uint32_t frequency = 0;
    const int32_t code = s.GetPanAndFrequency(&level, &pan, &frequency);
    args.SetOptionalInt(1, uint32_t(level));
    if (code == 0) {
      args.SetOptionalInt(2, uint32_t(pan));
      args.SetOptionalInt(3, frequency);
    }
    return Code(code);
  });
  BindOnSound(binder, calls, kGetSoundValue, 0, [](SoundBase& s, NativeArgs&) { return s.GetTotalBytes(); });
  BindOnSound(binder, calls, kGetSoundSample, 0, [](SoundBase& s, NativeArgs& args) -> uint32_t {
    const uint32_t offset = args.Cell(1);
    if (s.IsStream() || args.Failed()) return 0;
    return Code(static_cast<BufferSound&>(s).GetSampleAt(offset));
  });
  BindOnSound(binder, calls, kGetSoundAmplitude, 0, [](SoundBase& s, NativeArgs& args) -> uint32_t {
    const uint32_t offset = args.Cell(1);
    const uint32_t scale = args.Cell(2);
    if (s.IsStream() || args.Failed()) return 0;
    return static_cast<BufferSound&>(s).GetAmplitudeAt(offset, scale);
  });
}

void BindLevels(NativeBinder& binder, const std::shared_ptr<SoundCalls>& calls) {
  BindOnSound(binder, calls, kSetSoundVolume, -2, [](SoundBase& s, NativeArgs& args) {
    // 0 and below are silence, above full counts as full: the level never
    // reaches the logarithm outside 1..256.
    const int32_t level = std::clamp(args.Int(1), 0, SoundBase::kFullLevel);
    return args.Failed() ? 0 : Code(s.SetVolume(level));
  });
  BindOnSound(binder, calls, kSetSoundPan, -1, [](SoundBase& s, NativeArgs& args) {
    const int32_t pan = args.Int(1);
    return args.Failed() ? 0 : Code(s.SetPan(pan));
  });
  BindOnSound(binder, calls, kSetSoundFrequency, -1, [](SoundBase& s, NativeArgs& args) {
    const uint32_t hz = args.Cell(1);
    return args.Failed() ? 0 : Code(s.SetFrequency(hz));
  });
  BindOnSound(binder, calls, kSetSoundLevels, -1, [](SoundBase& s, NativeArgs& args) {
    const int32_t level = args.Int(1), pan = args.Int(2), frequency = args.Int(3);
    return args.Failed() ? 0 : Code(s.AdjustPan(level, pan, frequency));
  });
}

}  // namespace

// Natives 593 to 628 (619 again at 436): the sound output, the decoders
// and the loose sounds scripts make, play and query.
void BindSoundObjectNatives(NativeBinder& binder, const std::shared_ptr<ScriptSounds>& sounds) {
  auto calls = std::make_shared<SoundCalls>(binder.Host(), sounds);
  BindDeviceAndDecoders(binder);
  BindCreation(binder, calls);
  BindPlayback(binder, calls);
  BindQueries(binder, calls);
  BindLevels(binder, calls);
}

void BindSoundNatives(NativeBinder& binder) {
  auto sounds = std::make_shared<ScriptSounds>(binder.Host().Handles());
  BindSoundObjectNatives(binder, sounds);
  BindSoundManagerNatives(binder, sounds);
}

}  // namespace orrivel
