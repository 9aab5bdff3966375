// Music and channel volume over time on a hand-stepped timer list: ducking
// under a voice, fades, the cross-fade, and the channel fades, read off the
// levels the output carries.
#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "SoundManagerRig.h"
#include "sound/MusicDuckingTask.h"
#include "sound/SoundTask.h"

namespace orrivel {
namespace {

using testing::kDc;
using namespace testing::samples;

constexpr int32_t kVoice = 6;
constexpr int16_t kVoiceDc = 3000;

class SoundTaskTest : public testing::SoundManagerRig {
 protected:
  void SetUp() override {
    SoundManagerRig::SetUp();
    ASSERT_EQ(sound.SetChannelCount(8), 0);
    ASSERT_EQ(sound.SetChannelKind(kVoice, 4), 0);
    WriteDc("BGM.TPC", 2000);
    WriteDc("NEXT.TPC", 2000, 4000);
    WriteDc("VOICE.TPC", 1000, kVoiceDc);
    WriteDc("SE.TPC", 3000);
  }
  void PlayVoice() {
    ASSERT_EQ(sound.LoadChannel(kVoice, "VOICE.TPC", kKeepNoSamples, false), 0);
    ASSERT_EQ(sound.PlayChannel(kVoice, false), 0);
  }
  // Music level after each step of ms, with the music's buffer checked to
  // carry it.
  std::vector<int32_t> MusicLevels(uint32_t ms, uint32_t stepMs = 50) {
    std::vector<int32_t> levels;
    for (uint32_t done = 0; done < ms; done += stepMs) {
      Run(stepMs, stepMs);
      levels.push_back(sound.musicLevel);
      EXPECT_EQ(BufferAttenuation(sound.ActiveMusic().sound),
                SoundBase::LevelToAttenuation(sound.MusicAttenuationLevel()));
    }
    return levels;
  }
  // Starts a task the way its callers do: kept by the list on 0.
  template <typename Task, typename... Args>
  int32_t Start(std::unique_ptr<Task> task, Args... args) {
    const int32_t result = task->Start(args...);
    if (result == 0) task.release();
    return result;
  }
};

TEST_F(SoundTaskTest, DuckingLowersHoldsAndRestoresTheMusic) {
  ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
  PlayVoice();
  ASSERT_NE(sound.StartMusicDucking(&list, kVoice, 0.5), nullptr);
  EXPECT_TRUE(sound.IsDucking());
  // First step records the start; then 500 ms down to 128.
  const auto lowering = MusicLevels(550);
  EXPECT_EQ(lowering[5], 256 - 128 * 250 / 500);
  EXPECT_EQ(lowering.back(), 128);
  // Both heard together while the voice plays.
  const auto heard = Hear(10);
  EXPECT_EQ(heard[0], AtLevel(128) + AtLevel(256, kVoiceDc));
  // Held while the voice plays (to 1000 ms) and a second after it.
  const auto held = MusicLevels(1450);
  for (int32_t level : held) EXPECT_EQ(level, 128);
  EXPECT_FALSE(sound.IsChannelPlaying(kVoice));
  EXPECT_TRUE(testing::SoundTestRig::AllEqual(Hear(10), AtLevel(128)));
  // Then back to 256 over a second.
  const auto restoring = MusicLevels(1200);
  EXPECT_EQ(restoring[0], 128);
  EXPECT_EQ(restoring.back(), 256);
  EXPECT_NE(std::find(restoring.begin(), restoring.end(), 192), restoring.end());
  EXPECT_TRUE(std::is_sorted(restoring.begin(), restoring.end()));
  EXPECT_FALSE(sound.IsDucking());
  EXPECT_EQ(list.Size(), 0u);
}

TEST_F(SoundTaskTest, DuckingRefusalsAndFactors) {
  EXPECT_EQ(sound.StartMusicDucking(&list, kVoice, 0.5), nullptr);  // no voice
  PlayVoice();
  EXPECT_EQ(sound.StartMusicDucking(&list, kVoice, 0.5), nullptr);  // no music
  ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
  EXPECT_EQ(sound.StartMusicDucking(&list, kVoice, 1.0), nullptr);
  EXPECT_EQ(sound.StartMusicDucking(nullptr, kVoice, 0.5), nullptr);
  EXPECT_EQ(SoundManager::DuckingFactorFromSetting(50), -1.0);
  EXPECT_DOUBLE_EQ(SoundManager::DuckingFactorFromSetting(30), 0.3);
  sound.SetMusicVolume(-1, 200, true);
  MusicDuckingTask* halving = sound.StartMusicDucking(&list, kVoice, -1.0);
  ASSERT_NE(halving, nullptr);
  EXPECT_EQ(halving->DuckedLevel(), 100);
  EXPECT_EQ(halving->BaseLevel(), 200);
  // Taken over halfway down by a lighter ducking: the level, already below
  // the new ducked one, stays where it is.
  MusicLevels(300);
  const int32_t halfway = sound.musicLevel;
  ASSERT_LT(halfway, 180);
  MusicDuckingTask* light = sound.StartMusicDucking(&list, kVoice, 0.9);
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(light->BaseLevel(), 200);
  EXPECT_EQ(light->DuckedLevel(), 180);
  for (int32_t level : MusicLevels(600)) EXPECT_EQ(level, halfway);
}

TEST_F(SoundTaskTest, ASecondRequestWhileWaitingRestoresOnceToTheFirstBase) {
  ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
  PlayVoice();
  ASSERT_NE(sound.StartMusicDucking(&list, kVoice, 0.5), nullptr);
  MusicLevels(600);
  ASSERT_EQ(sound.musicLevel, 128);
  MusicDuckingTask* second = sound.StartMusicDucking(&list, kVoice, 0.5);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->BaseLevel(), 256);
  EXPECT_EQ(second->GetStage(), MusicDuckingTask::kWaiting);
  EXPECT_EQ(sound.musicLevel, 128);  // the first task's end restored nothing
  Run(50);
  EXPECT_EQ(list.Size(), 1u);
  const auto levels = MusicLevels(3000);
  EXPECT_EQ(levels.back(), 256);
  EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end()));
}

TEST_F(SoundTaskTest, ANewLevelOrMasterDuringDuckingEndsItFromTheBaseLevel) {
  const struct {
    const char* what;
    bool master;
    int32_t level;
    int32_t attenuationLevel;
  } cases[] = {
      {"music level", false, 200, 200},
      {"master level", true, 256, 128},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
    sound.SetMasterLevel(256, false);
    sound.SetMusicVolume(-1, 256, true);
    PlayVoice();
    ASSERT_NE(sound.StartMusicDucking(&list, kVoice, 0.5), nullptr);
    MusicLevels(600);
    ASSERT_EQ(sound.musicLevel, 128);
    if (c.master) {
      sound.SetMasterLevel(128, false);
    } else {
      sound.SetMusicVolume(-1, c.level, true);
    }
    EXPECT_FALSE(sound.IsDucking());
    EXPECT_EQ(sound.musicLevel, c.level);
    for (int32_t level : MusicLevels(3000)) EXPECT_EQ(level, c.level);
    EXPECT_EQ(sound.MusicAttenuationLevel(), c.attenuationLevel);
    sound.StopMusic();
  }
}

TEST_F(SoundTaskTest, FadeOutHalvesAtHalfTimeThenStopsWithTheVolumeBack) {
  ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
  sound.SetMusicVolume(80, -1, true);
  MusicStream* stream = &sound.ActiveMusic();
  ASSERT_EQ(Start(std::make_unique<MusicFadeOutTask>(2000), &list, &sound, stream), 0);
  EXPECT_EQ(sound.musicFadeState, kMusicFadingOut);
  Run(50);  // the first step records the start
  Run(1000);
  EXPECT_EQ(stream->volume, 40);
  EXPECT_TRUE(testing::SoundTestRig::AllEqual(Hear(10), AtLevel(40 * 256 / 100)));
  Run(1050);
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_EQ(stream->volume, 80);
  EXPECT_FALSE(stream->file);
  EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
  EXPECT_EQ(list.Size(), 0u);
  // Nothing to fade: the music is stopped and -1.
  EXPECT_EQ(Start(std::make_unique<MusicFadeOutTask>(2000), &list, &sound, stream), -1);
}

TEST_F(SoundTaskTest, FadeInRampsToTheFormerVolumeAndRefusesThePlayingPiece) {
  sound.SetMusicVolume(60, -1, true);
  MusicStream* stream = &sound.ActiveMusic();
  ASSERT_EQ(Start(std::make_unique<MusicFadeInTask>(1000), &list, &sound, stream, "BGM.TPC", nullptr, true), 0);
  EXPECT_EQ(sound.musicFadeState, kMusicFadingIn);
  EXPECT_EQ(stream->volume, 0);
  Run(50);
  Run(500);
  EXPECT_EQ(stream->volume, 30);
  EXPECT_EQ(Start(std::make_unique<MusicFadeInTask>(1000), &list, &sound, stream, "bgm.tpc", nullptr, true), -1);
  // The refusal finished the running fade at its target, and left it.
  EXPECT_EQ(stream->volume, 60);
  EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
  sound.StopMusic();
  sound.SetMusicEnabled(0, false);
  EXPECT_EQ(Start(std::make_unique<MusicFadeInTask>(1000), &list, &sound, stream, "BGM.TPC", nullptr, true), -2);
  EXPECT_EQ(stream->volume, 60);
}

TEST_F(SoundTaskTest, VolumeRampsEndAtTheirTargetAndZeroLengthEndsAtOnce) {
  ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
  MusicStream* stream = &sound.ActiveMusic();
  ASSERT_EQ(Start(std::make_unique<MusicVolumeTask>(-20, 1000), &list, &sound, stream), 0);
  Run(50);
  Run(250);
  EXPECT_EQ(stream->volume, 75);
  Run(800);
  EXPECT_EQ(stream->volume, 0);
  ASSERT_EQ(Start(std::make_unique<MusicVolumeTask>(30, 0), &list, &sound, stream), 0);
  Run(50);
  EXPECT_EQ(stream->volume, 30);
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(Start(std::make_unique<MusicVolumeTask>(30, 0), nullptr, &sound, stream), 1);
}

TEST_F(SoundTaskTest, CrossFadeCarriesBothStreamsThenTheNewOne) {
  const struct {
    uint32_t overlap;
    int32_t volume;
    int32_t newAtEnd;
  } cases[] = {{1000, -1, 80}, {400, 50, 50}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.overlap);
    ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
    sound.SetMusicVolume(80, -1, true);
    const int32_t oldIndex = sound.ActiveMusicIndex();
    ASSERT_EQ(Start(std::make_unique<MusicCrossFadeTask>(1000, c.overlap), &list, &sound, "NEXT.TPC", nullptr, true,
                    c.volume),
              0);
    EXPECT_EQ(sound.musicFadeState, kMusicCrossFading);
    EXPECT_EQ(sound.ActiveMusicIndex(), oldIndex);
    Run(50);
    Run(650);
    // Old at 80 - 80 * 650 / 1000; the new one started at 1000 - overlap.
    MusicStream& oldStream = sound.ActiveMusic();
    MusicStream& newStream = sound.OtherMusic();
    EXPECT_EQ(oldStream.volume, 28);
    const int32_t target = c.volume < 0 ? 80 : c.volume;
    const int32_t newVolume = target * int32_t(650 - (1000 - c.overlap)) / 1000;
    EXPECT_EQ(newStream.volume, newVolume);
    const auto heard = Hear(10);
    EXPECT_EQ(heard[0], AtLevel(28 * 256 / 100) + AtLevel(newVolume * 256 / 100, 4000));
    Run(1000 - c.overlap + 400);
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_NE(sound.ActiveMusicIndex(), oldIndex);
    EXPECT_EQ(sound.ActiveMusic().file, "NEXT.TPC");
    EXPECT_EQ(sound.ActiveMusic().volume, c.newAtEnd);
    EXPECT_FALSE(sound.OtherMusic().sound.IsPlaying(nullptr, nullptr));
    EXPECT_EQ(sound.OtherMusic().volume, 80);
    EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
    EXPECT_TRUE(testing::SoundTestRig::AllEqual(Hear(10), AtLevel(c.newAtEnd * 256 / 100, 4000)));
    sound.StopMusic();
    sound.SetMusicVolume(80, -1, true);
  }
}

TEST_F(SoundTaskTest, ACrossFadeFromSilenceStillStartsTheNewPiece) {
  ASSERT_EQ(Start(std::make_unique<MusicCrossFadeTask>(1000, 200), &list, &sound, "NEXT.TPC", nullptr, true, 60), 0);
  Run(100);
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(sound.ActiveMusic().file, "NEXT.TPC");
  EXPECT_EQ(sound.ActiveMusic().volume, 60);
  EXPECT_TRUE(sound.IsMusicActive());
  EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
}

TEST_F(SoundTaskTest, ChannelFadesRampTheVolumeAndKeepTheMark) {
  ASSERT_EQ(Start(std::make_unique<ChannelFadeInTask>(1000), &list, &sound, "SE.TPC", 0, true, false), 0);
  EXPECT_EQ(sound.GetChannel(0)->fading, 2);
  EXPECT_TRUE(sound.IsChannelFading(0));
  Run(50);
  Run(500);
  EXPECT_EQ(sound.GetChannel(0)->volume, 50);
  EXPECT_TRUE(testing::SoundTestRig::AllEqual(Hear(10), AtLevel(128)));
  Run(550);
  EXPECT_EQ(sound.GetChannel(0)->volume, 100);
  EXPECT_FALSE(sound.IsChannelFading(0));
  EXPECT_EQ(sound.GetChannel(0)->fadeTask, 0u);

  ASSERT_EQ(Start(std::make_unique<ChannelVolumeTask>(20, 400), &list, &sound, 0), 0);
  EXPECT_EQ(sound.GetChannel(0)->fading, 1);
  // A fade-out replaces the running ramp, which ends at its target.
  ASSERT_EQ(Start(std::make_unique<ChannelFadeOutTask>(1000), &list, &sound, 0), 0);
  EXPECT_EQ(sound.GetChannel(0)->volume, 20);
  EXPECT_EQ(sound.GetChannel(0)->fading, 3);
  Run(50);
  Run(500);
  EXPECT_EQ(sound.GetChannel(0)->volume, 10);
  Run(550);
  EXPECT_FALSE(sound.IsChannelPlaying(0));
  EXPECT_EQ(sound.GetChannel(0)->volume, 20);
  EXPECT_EQ(sound.GetChannel(0)->playState, 0);
  EXPECT_FALSE(sound.IsChannelFading(0));
  EXPECT_EQ(list.Size(), 0u);

  EXPECT_EQ(Start(std::make_unique<ChannelFadeOutTask>(1000), &list, &sound, 0), -1);
  EXPECT_EQ(Start(std::make_unique<ChannelFadeOutTask>(1000), &list, &sound, 1), 2);
  EXPECT_EQ(Start(std::make_unique<ChannelFadeInTask>(1000), &list, &sound, nullptr, 1, false, false), 3);
  EXPECT_EQ(Start(std::make_unique<ChannelFadeInTask>(1000), &list, &sound, "NONE.TPC", 1, false, false), 2);
  EXPECT_EQ(Start(std::make_unique<ChannelVolumeTask>(50, 100), &list, &sound, 9), 2);
}

TEST_F(SoundTaskTest, AChannelFadeInOnASwitchedOffKindPutsTheVolumeBack) {
  ASSERT_EQ(sound.LoadChannel(0, "SE.TPC", kKeepNoSamples, false), 0);
  ASSERT_EQ(sound.SetChannelVolume(0, 70, -1), 0);
  sound.SetKindEnabled(0, 1, false, false);
  EXPECT_EQ(Start(std::make_unique<ChannelFadeInTask>(1000), &list, &sound, nullptr, 0, false, false), -1);
  EXPECT_EQ(sound.GetChannel(0)->volume, 70);
  EXPECT_FALSE(sound.IsChannelFading(0));
  EXPECT_EQ(list.Size(), 0u);
}

TEST_F(SoundTaskTest, StoppingMusicOrChannelsEndsTheirTasks) {
  ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
  ASSERT_EQ(Start(std::make_unique<MusicVolumeTask>(10, 1000), &list, &sound, &sound.ActiveMusic()), 0);
  ASSERT_EQ(sound.LoadChannel(0, "SE.TPC", kKeepNoSamples, false), 0);
  ASSERT_EQ(sound.PlayChannel(0, true), 0);
  ASSERT_EQ(Start(std::make_unique<ChannelVolumeTask>(10, 1000), &list, &sound, 0), 0);
  Run(100);
  sound.StopMusic();
  EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
  ASSERT_EQ(sound.SetChannelCount(2), 0);
  sound.UnloadChannel(0);
  EXPECT_FALSE(sound.IsChannelFading(0));
  EXPECT_EQ(sound.GetChannel(0)->volume, 10);
  Run(50);
  EXPECT_EQ(list.Size(), 0u);
}

}  // namespace
}  // namespace orrivel
