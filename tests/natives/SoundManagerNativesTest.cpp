// Natives 649 to 681: the sound manager's switches, music, channels, voices
// and ducking, driven from scripts on the virtual output.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/TimerList.h"
#include "natives/NativeHarness.h"
#include "natives/SoundNativesRig.h"
#include "script/VoiceTable.h"
#include "sound/MusicDuckingTask.h"
#include "sound/SoundSystem.h"

namespace orrivel {
namespace {

using testing::Arg;
using testing::NativeHarness;
using namespace testing::samples;

constexpr uint32_t kMarker = 65535;

class SoundManagerNativesTest : public testing::SoundNativesRig {
 protected:
  void SetUp() override {
    SoundNativesRig::SetUp();
    WriteDc("A.TPC", 1000, 1000);
    WriteDc("B.TPC", 1000, 2000);
    WriteDc("C.TPC", 1000, 3000);
  }
  MusicDuckingTask* Ducking(uint32_t handle) {
    for (TimedTask* task : list.Tasks())
      if (task && task->Handle() == handle) return dynamic_cast<MusicDuckingTask*>(task);
    return nullptr;
  }
};

TEST_F(SoundManagerNativesTest, EveryNativeAnswersThroughAScript) {
  ExpectScriptRows({
      {"NativeSetChannelCount", {Arg::Int(4)}, 0},
      {"NativeSetSoundOption", {Arg::Int(3), Arg::Int(1), Arg::Int(200), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeGetSoundOption", {Arg::Int(3), Arg::Int(1)}, 200},
      {"NativeGetSoundOption", {Arg::Int(4), Arg::Int(3)}, 0},
      {"NativeGetSoundOption", {Arg::Int(9), Arg::Int(0)}, 0},
      {"NativeApplyChannelLevels", {Arg::Int(1), Arg::Int(0), Arg::Int(128)}, 0},
      {"NativeSetMusicVolume", {Arg::Int(80), Arg::Int(-1)}, 0},
      {"NativeSetMusicPan", {Arg::Int(0)}, 0},
      {"NativePlayMusic", {Arg::Text("A.TPC"), Arg::Absent(), Arg::Int(0)}, 0},
      {"NativeIsMusicActive", {}, 1},
      {"NativeGetMusicFadeState", {}, 0},
      {"NativePauseMusic", {}, 0},
      {"NativeResumeMusic", {}, 0},
      {"NativeFadeMusicVolume", {Arg::Int(50), Arg::Int(100)}, 0},
      {"NativeFadeOutMusic", {Arg::Int(100)}, 0},
      {"NativeStopMusic", {}, 0},
      {"NativeFadeOutMusic", {Arg::Int(100)}, -1},
      {"NativeFadeInMusic", {Arg::Int(100), Arg::Text("C.TPC"), Arg::Int(1), Arg::Int(0)}, 0},
      {"NativeCrossFadeMusic", {Arg::Int(100), Arg::Text("B.TPC"), Arg::Absent(), Arg::Int(0), Arg::Int(0),
                                Arg::Int(0)}, 0},
      {"NativeGetMusicStream", {}, kAnyHandle},
      {"NativeSetChannelVolume", {Arg::Int(1), Arg::Int(50), Arg::Int(-1)}, 0},
      {"NativeSetChannelPan", {Arg::Int(1), Arg::Int(100)}, 0},
      {"NativeSetChannelKind", {Arg::Int(1), Arg::Int(0)}, 2},
      {"NativeLoadChannel", {Arg::Int(1), Arg::Text("A.TPC")}, 0},
      {"NativePlayChannel", {Arg::Int(1), Arg::Int(1)}, 0},
      {"NativeIsChannelPlaying", {Arg::Int(1)}, 1},
      {"NativeIsChannelPlaying", {Arg::Int(40)}, 0},
      {"NativeFadeChannelVolume", {Arg::Int(1), Arg::Int(10), Arg::Int(100)}, 0},
      {"NativeIsChannelFading", {Arg::Int(1)}, 1},
      {"NativeFadeOutChannel", {Arg::Int(100), Arg::Int(1)}, 0},
      {"NativeStopChannel", {Arg::Int(1)}, 0},
      {"NativeLoadChannelStream", {Arg::Int(2), Arg::Text("B.TPC")}, 0},
      {"NativeGetChannelSound", {Arg::Int(40)}, 0},
      {"NativeUnloadChannel", {Arg::Int(2)}, 0},
      {"NativeFadeInChannel", {Arg::Int(100), Arg::Int(3), Arg::Text("C.TPC"), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativePlayVoice", {Arg::Int(-1), Arg::Text("H001"), Arg::Int(0)}, -5},
      {"NativeDuckMusicForChannel", {Arg::Int(3), Arg::Int(0)}, kAnyHandle},
  });
}

TEST_F(SoundManagerNativesTest, PlayMusicWithTheMarkerLoopsTheFileAlone) {
  EXPECT_EQ(Call(654, {Text("B.TPC"), kMarker, Text("A.TPC")}), 0u);
  MusicStream& music = sound.ActiveMusic();
  EXPECT_EQ(music.file, "B.TPC");
  EXPECT_FALSE(music.intro.has_value());
  EXPECT_EQ(music.loop, 1);
  // The same piece again is already playing.
  EXPECT_EQ(Call(654, {Text("B.TPC"), kMarker, 0}), uint32_t(-1));
  // With a loop cell the intro comes first, and the loop follows the cell.
  EXPECT_EQ(Call(654, {Text("C.TPC"), 0, Text("A.TPC")}), 0u);
  EXPECT_EQ(sound.ActiveMusic().intro, "A.TPC");
  EXPECT_EQ(sound.ActiveMusic().loop, 0);
}

TEST_F(SoundManagerNativesTest, CrossFadeWithTheMarkerUsesOneDurationAndKeepsTheVolume) {
  sound.SetMusicVolume(60, -1, false);
  ASSERT_EQ(Call(654, {Text("A.TPC"), kMarker, 0}), 0u);
  EXPECT_EQ(Call(661, {300, Text("B.TPC"), kMarker, 0xDEAD, 50, 10}), 0u);
  EXPECT_EQ(sound.musicFadeState, kMusicCrossFading);
  // Half-way both pieces sound; at the end only the new one, at the volume
  // the old one had.
  Run(150);
  EXPECT_GT(sound.OtherMusic().volume, 0);
  Run(200);
  EXPECT_EQ(sound.ActiveMusic().file, "B.TPC");
  EXPECT_EQ(sound.ActiveMusic().volume, 60);
  EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
  // Given durations and a target volume.
  EXPECT_EQ(Call(661, {100, Text("C.TPC"), 1, 0, 100, 30}), 0u);
  Run(250);
  EXPECT_EQ(sound.ActiveMusic().file, "C.TPC");
  EXPECT_EQ(sound.ActiveMusic().volume, 30);
  // The same piece is refused and the task goes.
  EXPECT_EQ(Call(661, {100, Text("C.TPC"), kMarker}), uint32_t(-1));
  EXPECT_EQ(list.Size(), 0u);
}

TEST_F(SoundManagerNativesTest, OptionsSetAndReadTheManagersSwitches) {
  ASSERT_EQ(Call(665, {3}), 0u);
  ASSERT_EQ(sound.SetChannelKind(2, 2), 0);
  ASSERT_EQ(sound.LoadChannel(2, "A.TPC", kKeepNoSamples, false), 0);
  ASSERT_EQ(sound.PlayChannel(2, true), 0);
  // The second kind's switch is only stored: the channel plays on.
  Call(649, {2, 1, 0});
  EXPECT_EQ(sound.kind2On, 0);
  EXPECT_EQ(Call(650, {2, 1}), 0u);
  EXPECT_TRUE(sound.IsChannelPlaying(2));
  Call(649, {2, 2, 0});
  EXPECT_EQ(sound.kind4On, 0);
  EXPECT_EQ(sound.kind1On, 1);
  // The first kind's switch stops and restarts its looping channels.
  ASSERT_EQ(sound.LoadChannel(0, "B.TPC", kKeepNoSamples, false), 0);
  ASSERT_EQ(sound.PlayChannel(0, true), 0);
  Call(649, {2, 0, 0});
  EXPECT_EQ(Call(650, {2, 0}), 0u);
  EXPECT_FALSE(sound.IsChannelPlaying(0));
  Call(649, {2, 0, 1});
  EXPECT_TRUE(sound.IsChannelPlaying(0));
  // Levels and the master switches.
  Call(649, {4, 1, 100, 0});
  EXPECT_EQ(Call(650, {4, 1}), 100u);
  Call(649, {4, 2, 77});
  EXPECT_EQ(Call(650, {4, 2}), 77u);
  Call(649, {0, 0});
  EXPECT_EQ(Call(650, {0, 0}), 0u);
  EXPECT_EQ(Call(650, {4, 3}), 0u);
  EXPECT_EQ(Call(649, {9, 1, 1}), 0u);
}

TEST_F(SoundManagerNativesTest, ChannelsAndTheirSoundsByHandle) {
  ASSERT_EQ(Call(665, {2}), 0u);
  // New channels: volume 100, level 256, the first kind.
  ASSERT_EQ(Call(665, {4}), 0u);
  for (int32_t ch = 2; ch < 4; ++ch) {
    const SoundChannel* channel = sound.GetChannel(ch);
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->volume, 100);
    EXPECT_EQ(channel->level, 256);
    EXPECT_EQ(channel->kind, 1);
  }
  ASSERT_EQ(Call(669, {3, Text("C.TPC")}), 0u);
  const uint32_t handle = Call(679, {3});
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(Call(679, {3}), handle);
  // The loose-sound natives drive the channel's sound.
  EXPECT_EQ(Call(605, {handle}), 0u);
  EXPECT_EQ(Call(619, {handle, 0, 0}), 1u);
  EXPECT_TRUE(AllEqual(Slice(Left(Hear(20)), 0, 100), 3000));
  EXPECT_EQ(Call(609, {handle}), 0u);
  // The music stream too.
  ASSERT_EQ(Call(654, {Text("A.TPC"), kMarker, 0}), 0u);
  const uint32_t music = Call(664, {});
  EXPECT_EQ(Call(619, {music, 0, 0}), 1u);
  // More channels than a machine's memory holds are refused as a failed
  // allocation, and the channels stay.
  for (const uint32_t count : {uint32_t(SoundManager::kMaxChannels + 1), 0x7FFFFFFFu}) {
    EXPECT_EQ(Call(665, {count}), 2u) << count;
    EXPECT_EQ(sound.ChannelCount(), 4) << count;
  }
  EXPECT_EQ(Call(605, {handle}), 0u);
  // A channel that goes takes its handle with it.
  ASSERT_EQ(Call(665, {2}), 0u);
  EXPECT_EQ(Call(605, {handle}), uint32_t(-1));
  EXPECT_EQ(Call(604, {calls->Word(music)}), 2u);
}

class VoiceNativesTest : public SoundManagerNativesTest {
 protected:
  void SetUp() override {
    SoundManagerNativesTest::SetUp();
    const auto bytes = VoiceTableBytes("TPC", {{"HERO", {"H"}}, {"ALLY", {"A"}}});
    ASSERT_EQ(table.Read(bytes.data(), bytes.size()), VoiceTable::kOk);
    sound.SetVoiceTable(&table);
    ASSERT_EQ(sound.SetChannelCount(8), 0);
    ASSERT_EQ(sound.SetChannelKind(6, 4), 0);
    WriteDc("VOICE/A001.TPC");
  }
  VoiceTable table;
};

TEST_F(VoiceNativesTest, VoicesReadTheirSpeakerIdsThroughTheArena) {
  // Only the look-up: the cue's index, nothing loaded.
  EXPECT_EQ(Call(680, {uint32_t(-1), Text("A001"), 0}), 1u);
  EXPECT_EQ(sound.GetChannel(6)->current, nullptr);
  // With ids: the position of the cue's speaker among them.
  EXPECT_EQ(Call(680, {6, Text("A001"), 3, 0, 5, 1}), 2u);
  EXPECT_NE(sound.GetChannel(6)->current, nullptr);
  EXPECT_EQ(Call(680, {6, Text("A001"), 1, 0}), uint32_t(-1));
  // A negative count counts as none.
  EXPECT_EQ(Call(680, {6, Text("A001"), uint32_t(-4)}), 1u);
  // Ids past the arena end the step instead of being read.
  bool failed = false;
  Call(680, {6, Text("A001"), 0x40000000u}, &failed);
  EXPECT_TRUE(failed);
  // So do ids past the block the arguments are in (a whole 32 bytes here).
  Call(680, {6, Text("A001"), 5, 0, 1}, &failed);
  EXPECT_FALSE(failed);
  Call(680, {6, Text("A001"), 6, 0, 1}, &failed);
  EXPECT_TRUE(failed);
}

TEST_F(SoundManagerNativesTest, DuckingTakesTheScriptsLevelOrThePlayersSetting) {
  ASSERT_EQ(Call(665, {8}), 0u);
  ASSERT_EQ(Call(654, {Text("A.TPC"), kMarker, 0}), 0u);
  ASSERT_EQ(Call(669, {6, Text("C.TPC")}), 0u);
  ASSERT_EQ(Call(672, {6, 1}), 0u);
  struct Case {
    uint8_t setting;
    const char* level;
    int32_t ducked;
  };
  const int32_t base = sound.musicLevel;
  // The setting is the player's ducking under voices (byte 109); byte 50 is
  // a character of the font face name, which has nothing to say here.
  app.appConfig[50] = 0x83;
  for (const Case c : {Case{30, "0.25", base / 4}, Case{30, nullptr, base * 30 / 100}, Case{50, nullptr, base / 2}}) {
    SCOPED_TRACE(c.setting);
    app.appConfig[109] = c.setting;
    const uint32_t handle = Call(681, {6, c.level ? Text(c.level) : 0});
    ASSERT_NE(handle, 0u);
    MusicDuckingTask* task = Ducking(handle);
    ASSERT_NE(task, nullptr);
    Run(50);
    EXPECT_EQ(task->DuckedLevel(), c.ducked);
    sound.CancelDucking();
    Run(50);
  }
  // Not while the channel is silent.
  ASSERT_EQ(Call(673, {6}), 0u);
  EXPECT_EQ(Call(681, {6, 0}), 0u);
}

}  // namespace
}  // namespace orrivel
