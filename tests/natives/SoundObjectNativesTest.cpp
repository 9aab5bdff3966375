// Natives 593 to 628 (and 436): the sound output, the decoders and the
// loose sounds, driven from scripts on the virtual output.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "natives/NativeCatalog.h"
#include "natives/NativeHarness.h"
#include "natives/SoundNativesRig.h"
#include "sound/BufferSound.h"
#include "sound/ExportSoundAsWave.h"
#include "sound/SoundSystem.h"

namespace orrivel {
namespace {

using testing::Arg;
using testing::NativeHarness;
using namespace testing::samples;

constexpr uint32_t kSilent = uint32_t(-10000);

class SoundNativesTest : public testing::SoundNativesRig {
 protected:
  void SetUp() override {
    SoundNativesRig::SetUp();
    WriteMono16("SE.TPC", std::vector<int16_t>(Frames(500), 3000));
  }
  SoundBase* Loose(uint32_t handle) { return Host().Handles().Get<SoundBase>(handle, HandleFamily::Sound); }
};

// Every native once from a script: with a null sound each gives its own
// null answer, and the list-wide ones answer 0.
TEST_F(SoundNativesTest, EveryNativeAnswersThroughAScript) {
  ExpectScriptRows({
      {"NativeSetSoundDecoderEnable", {Arg::Int(1)}, 0},
      {"NativeLoadSoundDecoder", {Arg::Text("NONE.SLL")}, kSllLoadNoLibrary},
      {"NativeLoadSoundDecoders", {Arg::Text("NOFOLDER")}, 0},
      {"NativeUnloadSoundDecoder", {Arg::Int(12345)}, 0},
      {"NativeSoundDecoderAssist", {Arg::Int(999), Arg::Int(1)}, -2},
      {"NativeDeleteAllSounds", {}, 0},
      {"NativeCreateBufferSound", {Arg::Text("MISSING.TPC"), Arg::Int(0)}, 0},
      {"NativeDuplicateSound", {Arg::Int(0)}, 0},
      {"NativeCreateStreamSound", {Arg::Text("MISSING.TPC")}, 0},
      {"NativeCreateStreamSoundPair", {Arg::Text("MISSING.TPC"), Arg::Text("MISSING.TPC")}, 0},
      {"NativeDeleteSound", {Arg::OutInt(0)}, 1},
      {"NativePlaySound", {Arg::Int(0)}, -1},
      {"NativePlaySoundLooped", {Arg::Int(0)}, -1},
      {"NativePauseSound", {Arg::Int(0)}, -1},
      {"NativeResumeSound", {Arg::Int(0)}, -1},
      {"NativeStopSound", {Arg::Int(0)}, -1},
      {"NativeFadeInSound", {Arg::Int(0), Arg::Int(100), Arg::Int(0)}, -2},
      {"NativeFadeOutSound", {Arg::Int(0), Arg::Int(100)}, -2},
      {"NativePauseAllSounds", {}, 0},
      {"NativeResumeAllSounds", {}, 0},
      {"NativeStopAllSounds", {}, 0},
      {"NativeSetSoundPosition", {Arg::Int(0), Arg::Int(10)}, -1},
      {"NativeGetSoundFormat", {Arg::Int(0), Arg::OutInt(), Arg::OutInt(), Arg::OutInt()}, -1},
      {"NativeGetSoundLength", {Arg::Int(0)}, 0},
      {"NativeGetSoundPosition", {Arg::Int(0)}, 0},
      {"NativeGetSoundStatus", {Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
      {"g436", {Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeSetSoundVolume", {Arg::Int(0), Arg::Int(100)}, -2},
      {"NativeSetSoundPan", {Arg::Int(0), Arg::Int(100)}, -1},
      {"NativeSetSoundFrequency", {Arg::Int(0), Arg::Int(22050)}, -1},
      {"NativeSetSoundLevels", {Arg::Int(0), Arg::Int(1), Arg::Int(2), Arg::Int(3)}, -1},
      {"NativeGetSoundLevels", {Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0)}, -1},
      {"NativeGetSoundValue", {Arg::Int(0)}, 0},
      {"NativeGetSoundSample", {Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeGetSoundAmplitude", {Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeExportSoundAsWave", {Arg::Text("MISSING.TPC"), Arg::Text("OUT.WAV")}, kExportNoDecoder},
      {"NativeInitSoundDevice", {Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
  });
  EXPECT_EQ(system.SoundCount(), 0u);
}

TEST_F(SoundNativesTest, InitialisingTheDeviceWritesTheResultIntoTheFirstCell) {
  EXPECT_EQ(Call(593, {0, 11, 8}), 0u);
  EXPECT_EQ(calls->LastCell(0), 0u);
  EXPECT_EQ(system.PrimaryFormat().channels, 2);
  EXPECT_EQ(system.PrimaryFormat().samplesPerSec, 44100u);
  EXPECT_EQ(system.PrimaryFormat().bitsPerSample, 16);
  // A format of the script's own: channel count from the low byte.
  EXPECT_EQ(Call(593, {0x101, 22, 0x10008}), 0u);
  EXPECT_EQ(system.PrimaryFormat().channels, 1);
  EXPECT_EQ(system.PrimaryFormat().samplesPerSec, 22050u);
  EXPECT_EQ(system.PrimaryFormat().bitsPerSample, 8);

  // A failure warns once, when the player asked for the warning.
  std::vector<std::string> shown;
  app.showError = [&shown](const std::string& text) { shown.push_back(text); };
  app.boot[6] = 1;
  SoundDevice::SetDeviceFactory([] {
    auto made = std::make_unique<platform::VirtualAudioDevice>();
    made->InjectFailure(platform::AudioFailPoint::Initialize, true);
    return made;
  });
  for (int i = 0; i < 2; ++i) {
    SoundSystem broken;
    port.soundSystem = &broken;
    EXPECT_EQ(Call(593, {0, 0, 0}), uint32_t(kSoundDeviceInitializeFailed));
    EXPECT_EQ(calls->LastCell(0), uint32_t(kSoundDeviceInitializeFailed));
  }
  port.soundSystem = &system;
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_EQ(app.boot[6], 0);
}

TEST_F(SoundNativesTest, LooseSoundsPlayAtTheirVolumeAndGoByHandle) {
  const uint32_t sound = Call(600, {Text("SE.TPC"), 1});
  ASSERT_NE(sound, 0u);
  ASSERT_NE(Loose(sound), nullptr);
  EXPECT_EQ(Call(605, {sound}), 0u);
  EXPECT_EQ(Call(619, {sound, 0, 0}), 1u);
  EXPECT_EQ(Call(436, {sound, 0, 0}), 1u);
  EXPECT_TRUE(AllEqual(Slice(Left(Hear(20)), 0, 100), 3000));
  // Above full counts as full; 0 and below are silence.
  struct Case {
    int32_t volume;
    uint32_t attenuation;
  };
  for (const Case c : {Case{300, 0}, Case{256, 0}, Case{128, uint32_t(SoundBase::LevelToAttenuation(128))},
                       Case{0, kSilent}, Case{-5, kSilent}}) {
    SCOPED_TRACE(c.volume);
    EXPECT_EQ(Call(620, {sound, uint32_t(c.volume)}), 0u);
    EXPECT_EQ(uint32_t(BufferAttenuation(*Loose(sound))), c.attenuation);
  }
  // Queries: the format into three outputs, the kept samples, the length.
  const uint32_t channels = calls->Word(0), rate = calls->Word(0), bits = calls->Word(0);
  EXPECT_EQ(Call(616, {sound, channels, rate, bits}), 0u);
  EXPECT_EQ(calls->Load(channels), 1u);
  EXPECT_EQ(calls->Load(rate), 44100u);
  EXPECT_EQ(calls->Load(bits), 16u);
  EXPECT_EQ(Call(617, {sound}), 500u);
  EXPECT_EQ(Call(625, {sound}), Frames(500) * 2);
  EXPECT_EQ(Call(626, {sound, 2}), 3000u);
  EXPECT_EQ(Call(626, {sound, 1u << 30}), 0u);
  const auto& kept = static_cast<const BufferSound&>(*Loose(sound));
  EXPECT_EQ(Call(627, {sound, 2, 0}), kept.GetAmplitudeAt(2, 0));
  EXPECT_EQ(Call(627, {sound, 2, 10}), kept.GetAmplitudeAt(2, 10));

  // A duplicate is a sound of its own; deleting clears the script's cell.
  const uint32_t twin = Call(601, {sound});
  ASSERT_NE(twin, 0u);
  EXPECT_NE(twin, sound);
  EXPECT_EQ(system.SoundCount(), 2u);
  const uint32_t cell = calls->Word(twin);
  EXPECT_EQ(Call(604, {cell}), 0u);
  EXPECT_EQ(calls->Load(cell), 0u);
  EXPECT_EQ(system.SoundCount(), 1u);
  // The deleted sound's handle names nothing any more.
  EXPECT_EQ(Call(605, {twin}), uint32_t(-1));
  EXPECT_EQ(Call(617, {twin}), 0u);
  // A cell whose sound the system does not list keeps its value.
  const uint32_t stranger = calls->Word(twin);
  EXPECT_EQ(Call(604, {stranger}), 2u);
  EXPECT_EQ(calls->Load(stranger), twin);
  // Deleting every sound leaves no handle behind.
  EXPECT_EQ(Call(599, {}), 0u);
  EXPECT_EQ(system.SoundCount(), 0u);
  EXPECT_EQ(Call(605, {sound}), uint32_t(-1));
}

TEST_F(SoundNativesTest, StreamSoundsAreNotDuplicatedAndGiveNoSamples) {
  WriteMono16("LOOP.TPC", std::vector<int16_t>(Frames(300), 1200));
  const uint32_t stream = Call(603, {Text("SE.TPC"), Text("LOOP.TPC")});
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(system.SoundCount(), 1u);
  EXPECT_EQ(Call(601, {stream}), 2u);
  EXPECT_EQ(system.SoundCount(), 1u);
  EXPECT_EQ(Call(626, {stream, 0}), 0u);
  EXPECT_EQ(Call(627, {stream, 0, 10}), 0u);
  EXPECT_EQ(Call(606, {stream}), 0u);
  EXPECT_EQ(Call(619, {stream, 0, 0}), 1u);
  EXPECT_EQ(Call(609, {stream}), 0u);
  EXPECT_EQ(Call(619, {stream, 0, 0}), 0u);
}

TEST_F(SoundNativesTest, FadesRunOnTheSystemTimerList) {
  const uint32_t sound = Call(600, {Text("SE.TPC"), 0});
  ASSERT_NE(sound, 0u);
  EXPECT_EQ(Call(610, {sound, 200, 0}), 0u);
  EXPECT_EQ(list.Size(), 1u);
  Run(300);
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(BufferAttenuation(*Loose(sound)), 0);
  EXPECT_EQ(Call(611, {sound, 100}), 0u);
  Run(200);
  EXPECT_EQ(Call(619, {sound, 0, 0}), 0u);
}

TEST_F(SoundNativesTest, ExportedWaveReadsBack) {
  std::vector<int16_t> samples(Frames(50));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(i * 13 - 4000);
  WriteMono16("RAMP.TPC", samples);
  ASSERT_EQ(Call(628, {Text("RAMP.TPC"), Text("RAMP.WAV")}), 0u);
  std::ifstream in(folder_.HostPath("RAMP.WAV"), std::ios::binary);
  const std::vector<uint8_t> wave((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(wave.size(), kExportHeaderBytes + samples.size() * 2);
  EXPECT_EQ(std::memcmp(wave.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(wave.data() + 8, "WAVE", 4), 0);
  EXPECT_EQ(std::memcmp(wave.data() + kExportHeaderBytes, samples.data(), samples.size() * 2), 0);
}

// A codec whose second assist adds the first cell to the second.
class AssistCodec final : public SoundCodec {
 public:
  SoundDecoder* CreateDecoder(const std::shared_ptr<FileObject>&, int32_t*) override { return nullptr; }
  int32_t Assist2(void* argument) override {
    auto* cells = static_cast<uint32_t*>(argument);
    cells[1] += cells[0];
    return 7;
  }
};

TEST_F(SoundNativesTest, DecoderAssistWorksOnACopyOfTheCells) {
  manager.RegisterBuiltIn(new AssistCodec, "AST\0", "Assist", 77, nullptr, nullptr, nullptr);
  EXPECT_EQ(Call(598, {77, 5, 30}), 7u);
  EXPECT_EQ(calls->LastCell(1), 5u);
  EXPECT_EQ(calls->LastCell(2), 35u);
  // Decoders without the operation, and unknown kinds.
  EXPECT_EQ(Call(598, {40, 1}), uint32_t(-2));
  EXPECT_EQ(Call(598, {12345}), uint32_t(-2));
  EXPECT_EQ(Call(597, {77}), 0u);
  EXPECT_EQ(Call(598, {77, 5, 30}), uint32_t(-2));
}

TEST_F(SoundNativesTest, DecoderSwitchFollowsTheScriptOrThePlayer) {
  Call(594, {1});
  EXPECT_TRUE(manager.LoadWhole());
  Call(594, {0});
  EXPECT_FALSE(manager.LoadWhole());
  app.user[22] = 1;
  Call(594, {2});
  EXPECT_TRUE(manager.LoadWhole());
}

}  // namespace
}  // namespace orrivel
