// The mixer: music and channels under the master, kind and voice levels and
// switches, heard through the virtual output; the saved state block and its
// damaged forms; voices by cue name.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SoundManagerRig.h"

namespace orrivel {
namespace {

using testing::kDc;
using namespace testing::samples;

class SoundManagerTest : public testing::SoundManagerRig {};

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(SoundManagerTest, ChannelLevelsFollowMasterVolumeKindAndVoiceLevel) {
  WriteDc("DC.TPC");
  ASSERT_EQ(sound.SetChannelCount(2), 0);
  ASSERT_EQ(sound.LoadChannel(0, "DC.TPC", kKeepNoSamples, false), 0);
  ASSERT_EQ(sound.PlayChannel(0, true), 0);
  const struct {
    int32_t master, level, volume, voice;
    uint8_t kind;
    int32_t expected;
  } cases[] = {
      {256, 256, 100, 256, 1, 256}, {128, 256, 50, 256, 1, 64}, {128, 256, 50, 128, 4, 32},
      {128, 256, 50, 128, 5, 64},   {300, 400, 150, 256, 2, 256}, {256, 200, 33, 64, 4, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    sound.voiceLevel = c.voice;
    ASSERT_EQ(sound.SetChannelKind(0, c.kind), 0);
    ASSERT_EQ(sound.SetChannelVolume(0, c.volume, c.level), 0);
    sound.SetMasterLevel(c.master, false);
    EXPECT_EQ(sound.ChannelAttenuationLevel(*sound.GetChannel(0)), c.expected);
    EXPECT_TRUE(AllEqual(Hear(10), Heard(kDc, SoundBase::LevelToAttenuation(c.expected))));
  }
  EXPECT_EQ(sound.SetChannelKind(0, 8), 2);
  EXPECT_EQ(sound.SetChannelVolume(2, 50, 50), 1);
  EXPECT_EQ(sound.LoadChannel(-1, "DC.TPC", 0, false), 1);
  EXPECT_EQ(sound.LoadChannel(1, "NONE.TPC", 0, false), 2);
  EXPECT_EQ(sound.LoadChannel(1, std::string(255, 'A').c_str(), 0, false), 1);
}

TEST_F(SoundManagerTest, TheSamePieceInOtherLettersKeepsPlaying) {
  const auto ramp = Ramp(Frames(3000), 5);
  WriteMono16("BGM01.TPC", ramp);
  ASSERT_EQ(sound.PlayMusic("BGM01.TPC", nullptr, true), 0);
  const auto before = Left(Hear(400));
  EXPECT_EQ(sound.PlayMusic("bgm01.tpc", nullptr, true), -1);
  const auto after = Left(Hear(400));
  EXPECT_EQ(FirstDifference(Concat({before, after}), Slice(ramp, 0, before.size() + after.size())), "same");
  EXPECT_EQ(sound.PlayMusic(nullptr, nullptr, true), 1);
  EXPECT_EQ(sound.PlayMusic(std::string(255, 'B').c_str(), nullptr, true), 1);
  EXPECT_EQ(sound.PlayMusic("MISSING.TPC", nullptr, true), kStreamOpenNoFirst);
  EXPECT_FALSE(sound.IsMusicActive());
}

TEST_F(SoundManagerTest, MusicSwitchedOffWaitsAndStartsFromTheBeginning) {
  const auto ramp = Ramp(Frames(3000), 9);
  WriteMono16("BGM.TPC", ramp);
  sound.SetMusicEnabled(0, false);
  EXPECT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), -2);
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_TRUE(AllEqual(Hear(100), 0));
  EXPECT_EQ(sound.SetMusicEnabled(1, false), 0);
  EXPECT_TRUE(sound.IsMusicActive());
  const auto heard = Left(Hear(300));
  EXPECT_EQ(FirstDifference(heard, Slice(ramp, 0, heard.size())), "same");
  // Off again stops it; the global switch does the same for every kind.
  EXPECT_EQ(sound.SetMusicEnabled(0, false), 0);
  EXPECT_FALSE(sound.IsMusicActive());
  sound.SetMusicEnabled(1, false);
  sound.SetEnableMask(0, false);
  EXPECT_FALSE(sound.IsMusicActive());
  sound.SetEnableMask(1, false);
  EXPECT_TRUE(sound.IsMusicActive());
}

TEST_F(SoundManagerTest, PausedMusicWaitsForItsResumeWhateverTheSwitches) {
  WriteDc("BGM.TPC", 2000);
  ASSERT_EQ(sound.PlayMusic("BGM.TPC", nullptr, true), 0);
  Hear(100);
  sound.PauseMusic();
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_TRUE(AllEqual(Hear(50), 0));
  sound.SetMusicEnabled(0, false);
  EXPECT_EQ(sound.SetMusicEnabled(1, false), 0);
  EXPECT_FALSE(sound.IsMusicActive());
  sound.ResumeMusic();
  EXPECT_TRUE(sound.IsMusicActive());
  EXPECT_TRUE(AllEqual(Hear(50), kDc));
  sound.ResumeMusic();  // one too many
  EXPECT_EQ(sound.ActiveMusic().pauseCount, 0);
}

TEST_F(SoundManagerTest, KindSwitchesStopOneShotsAndPauseLoopsUntilOnAgain) {
  WriteDc("DC.TPC");
  ASSERT_EQ(sound.SetChannelCount(3), 0);
  for (int32_t ch = 0; ch < 3; ++ch) ASSERT_EQ(sound.LoadChannel(ch, "DC.TPC", 0, false), 0);
  ASSERT_EQ(sound.SetChannelKind(2, 2), 0);
  const struct {
    bool keepOneShots;
    bool oneShotAfterOff;
  } cases[] = {{false, false}, {true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keepOneShots);
    ASSERT_EQ(sound.PlayChannel(0, true), 0);
    ASSERT_EQ(sound.PlayChannel(1, false), 0);
    ASSERT_EQ(sound.PlayChannel(2, false), 0);
    sound.SetKindEnabled(0, 1, c.keepOneShots, false);
    EXPECT_FALSE(sound.IsChannelPlaying(0));
    EXPECT_EQ(sound.GetChannel(0)->playState, 2);
    EXPECT_EQ(sound.IsChannelPlaying(1), c.oneShotAfterOff);
    EXPECT_TRUE(sound.IsChannelPlaying(2));  // another kind
    // A switched-off kind refuses to play but keeps the request.
    EXPECT_EQ(sound.PlayChannel(1, true), -1);
    EXPECT_EQ(sound.GetChannel(1)->playState, 2);
    sound.SetKindEnabled(1, 1, c.keepOneShots, false);
    EXPECT_TRUE(sound.IsChannelPlaying(0));
    EXPECT_TRUE(sound.IsChannelPlaying(1));  // its looping request
    sound.StopChannel(0);
    sound.StopChannel(1);
  }
  // A one-shot stopped while off stays silent when the kind comes back.
  ASSERT_EQ(sound.PlayChannel(0, false), 0);
  sound.SetKindEnabled(0, 1, false, false);
  sound.SetKindEnabled(1, 1, false, false);
  EXPECT_FALSE(sound.IsChannelPlaying(0));
}

TEST_F(SoundManagerTest, ResizingKeepsTheFirstChannelsPlaying) {
  WriteDc("DC.TPC");
  ASSERT_EQ(sound.SetChannelCount(8), 0);
  for (int32_t ch = 0; ch < 8; ++ch) {
    ASSERT_EQ(sound.LoadChannel(ch, "DC.TPC", 0, false), 0);
    ASSERT_EQ(sound.PlayChannel(ch, true), 0);
  }
  SoundChannel* third = sound.GetChannel(3);
  EXPECT_EQ(sound.SetChannelCount(0), 1);
  EXPECT_EQ(sound.SetChannelCount(-3), 1);
  EXPECT_EQ(sound.ChannelCount(), 8);
  EXPECT_EQ(sound.SetChannelCount(8), 0);
  EXPECT_EQ(sound.SetChannelCount(4), 0);
  EXPECT_EQ(sound.ChannelCount(), 4);
  EXPECT_EQ(sound.GetChannel(3), third);
  for (int32_t ch = 0; ch < 4; ++ch) EXPECT_TRUE(sound.IsChannelPlaying(ch));
  EXPECT_EQ(sound.GetChannel(4), nullptr);
  EXPECT_EQ(sound.PlayChannel(4, true), 1);
  EXPECT_EQ(sound.SetChannelCount(6), 0);
  EXPECT_EQ(sound.GetChannel(5)->current, nullptr);
  EXPECT_EQ(sound.GetChannel(5)->volume, 100);
}

// ------------------------------------------------------------ save state

TEST_F(SoundManagerTest, TheEmptyStateIsFifteenBytesAndLeavesNoChannels) {
  SoundManager fresh;
  EXPECT_EQ(fresh.GetStateSize(), 15u);
  const auto block = Save(fresh);
  ASSERT_EQ(block.size(), 15u);
  WriteDc("DC.TPC");
  ASSERT_EQ(sound.SetChannelCount(4), 0);
  ASSERT_EQ(sound.LoadChannel(0, "DC.TPC", 0, false), 0);
  ASSERT_EQ(sound.PlayChannel(0, true), 0);
  size_t used = 0;
  EXPECT_EQ(sound.LoadState(block.data(), block.size(), &used), 0);
  EXPECT_EQ(used, 15u);
  EXPECT_EQ(sound.ChannelCount(), 0);
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_EQ(sound.LoadState(nullptr, 0), 1);
  uint8_t** none = nullptr;
  EXPECT_EQ(sound.SaveState(none), 1);
}

TEST_F(SoundManagerTest, StateRoundTripRestoresMusicAndLoopingChannels) {
  WriteMono16("INTRO.TPC", Ramp(Frames(300), 1));
  WriteMono16("LOOP.TPC", Ramp(Frames(800), 2));
  WriteDc("DC.TPC");
  WriteDc("ONCE.TPC");
  sound.SetMusicPan(-300);
  sound.SetMusicVolume(70, -1, true);
  ASSERT_EQ(sound.PlayMusic("LOOP.TPC", "INTRO.TPC", true), 0);
  ASSERT_EQ(sound.SetChannelCount(3), 0);
  ASSERT_EQ(sound.LoadChannel(0, "DC.TPC", kKeepNoSamples, true), 0);
  ASSERT_EQ(sound.SetChannelVolume(0, 40, -1), 0);
  ASSERT_EQ(sound.SetChannelPan(0, 500), 0);
  ASSERT_EQ(sound.PlayChannel(0, true), 0);
  ASSERT_EQ(sound.SetChannelKind(1, 2), 0);
  ASSERT_EQ(sound.LoadChannel(1, "ONCE.TPC", kKeepNoSamples, false), 0);
  ASSERT_EQ(sound.PlayChannel(1, false), 0);
  // A buffer sound keeps the path it resolved its name to.
  const std::string oncePath = sound.GetChannel(1)->buffer.FileName();
  EXPECT_TRUE(EndsWith(oncePath, "\\ONCE.TPC"));
  const auto block = Save(sound);
  EXPECT_EQ(block.size(), 15u + 9 + 10 + 3 * 11 + (6 + 3) + (oncePath.size() + 3));

  SoundManager restored;
  restored.SetTimerList(&list);
  ASSERT_EQ(restored.SetChannelCount(1), 0);
  ASSERT_EQ(restored.SetChannelKind(0, 4), 0);
  sound.StopMusic();
  sound.FreeChannels();
  ASSERT_EQ(restored.LoadState(block.data(), block.size()), 0);
  EXPECT_EQ(restored.ActiveMusicIndex(), 1);
  const MusicStream& music = restored.ActiveMusic();
  EXPECT_EQ(music.file, "LOOP.TPC");
  EXPECT_EQ(music.intro, "INTRO.TPC");
  EXPECT_EQ(music.volume, 70);
  EXPECT_EQ(music.loop, 1);
  EXPECT_EQ(restored.musicPan, -300);
  EXPECT_TRUE(restored.IsMusicActive());
  ASSERT_EQ(restored.ChannelCount(), 3);
  // The looping stream plays again at full volume; the one-shot is loaded
  // and silent.
  const SoundChannel& looping = *restored.GetChannel(0);
  EXPECT_EQ(looping.streamName, "DC.TPC");
  EXPECT_EQ(looping.volume, 100);
  EXPECT_EQ(looping.pan, 500);
  EXPECT_EQ(looping.playState, 2);
  EXPECT_EQ(looping.kind, 1);
  EXPECT_TRUE(restored.IsChannelPlaying(0));
  const SoundChannel& once = *restored.GetChannel(1);
  EXPECT_EQ(once.buffer.FileName(), oncePath);
  EXPECT_EQ(once.kind, 2);
  EXPECT_FALSE(restored.IsChannelPlaying(1));
  EXPECT_EQ(restored.GetChannel(2)->current, nullptr);
  EXPECT_EQ(Save(restored).size(), block.size());
  restored.StopMusic();
  restored.SwapMusicStreams();
  restored.StopMusic();
}

TEST_F(SoundManagerTest, ASixteenBitRawChannelComesBackWithItsEnvelope) {
  WriteDc("VOICE.TPC");
  ASSERT_EQ(sound.SetChannelCount(1), 0);
  ASSERT_EQ(sound.LoadChannel(0, "VOICE.TPC", kKeepSamples, false), 0);
  EXPECT_EQ(sound.GetChannel(0)->buffer.GetSampleAt(64), kDc);
  EXPECT_EQ(sound.GetChannel(0)->buffer.AmplitudePeak(), 0);
  const std::string path = sound.GetChannel(0)->buffer.FileName();
  const auto block = Save(sound);
  // source 2, name, then the kept width of 16-bit samples.
  const size_t modeAt = 15 + 2 + path.size() + 1;
  ASSERT_GT(block.size(), modeAt);
  EXPECT_EQ(block[modeAt], 2);
  ASSERT_EQ(sound.LoadState(block.data(), block.size()), 0);
  const BufferSound& buffer = sound.GetChannel(0)->buffer;
  EXPECT_EQ(buffer.FileName(), path);
  // The envelope of a constant sample peaks at a quarter of it.
  EXPECT_EQ(buffer.AmplitudePeak(), kDc >> 2);
}

TEST_F(SoundManagerTest, DamagedStatesAreRefusedWithNothingChanged) {
  WriteDc("DC.TPC");
  ASSERT_EQ(sound.SetChannelCount(2), 0);
  ASSERT_EQ(sound.LoadChannel(0, "DC.TPC", 0, false), 0);
  ASSERT_EQ(sound.PlayChannel(0, true), 0);
  ASSERT_EQ(sound.PlayMusic("DC.TPC", nullptr, true), 0);
  const auto good = Save(sound);

  auto with = [&good](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> block = good;
    std::copy(bytes.begin(), bytes.end(), block.begin() + std::ptrdiff_t(at));
    return block;
  };
  const size_t countAt = 4 + 1 + 7 + 1 + 4 + 1;
  const struct {
    const char* what;
    std::vector<uint8_t> block;
  } cases[] = {
      {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 1)},
      {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
      {"name past the end", with(4, {250})},
      {"name without its zero", with(4 + 1 + 6, {'X'})},
      {"zero inside the name", with(4 + 1 + 2, {0})},
      {"absurd channel count", with(countAt, {0xFF, 0xFF, 0xFF, 0x7F})},
      {"negative channel count", with(countAt, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"channel name past the end", with(countAt + 4 + 1, {200})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(sound.LoadState(c.block.data(), c.block.size()), 1);
    EXPECT_EQ(sound.ChannelCount(), 2);
    EXPECT_TRUE(sound.IsChannelPlaying(0));
    EXPECT_TRUE(sound.IsMusicActive());
    EXPECT_EQ(sound.ActiveMusicIndex(), 0);
  }
  EXPECT_EQ(Save(sound), good);
}

// ---------------------------------------------------------------- voices

class VoiceTest : public testing::SoundManagerRig {
 protected:
  void SetUp() override {
    SoundManagerRig::SetUp();
    // Two characters; the second switched off by the player.
    const auto bytes = VoiceTableBytes("TPC", {{"HERO", {"H", "HX"}}, {"ALLY", {"A"}}});
    ASSERT_EQ(table.Read(bytes.data(), bytes.size()), VoiceTable::kOk);
    table.Entries()[0].level = 128;
    table.Entries()[1].enabled = 0;
    for (auto& entry : table.Entries()) entry.unheard = 1;
    sound.SetVoiceTable(&table);
    ASSERT_EQ(sound.SetChannelCount(8), 0);
    ASSERT_EQ(sound.SetChannelKind(6, 4), 0);
    WriteDc("VOICE/H001.TPC");
    WriteDc("VOICE/A001.TPC");
  }
  VoiceTable table;
};

TEST_F(VoiceTest, CuesAreFoundCheckedAndLoaded) {
  SoundManager without;
  EXPECT_EQ(without.PlayVoice(6, "H001", 0, nullptr), -5);
  EXPECT_EQ(sound.PlayVoice(6, nullptr, 0, nullptr), -3);
  EXPECT_EQ(sound.PlayVoice(6, "Z001", 0, nullptr), -3);
  // Queries name the cue or the character and touch no channel.
  EXPECT_EQ(sound.PlayVoice(-1, "A001", 0, nullptr), 2);
  EXPECT_EQ(sound.PlayVoice(-2, "A001", 0, nullptr), 1);
  EXPECT_EQ(table.Entries()[1].unheard, 1);
  // A switched-off character: nothing loaded, but heard all the same.
  EXPECT_EQ(sound.PlayVoice(6, "A001", 0, nullptr), -2);
  EXPECT_EQ(table.Entries()[1].unheard, 0);
  EXPECT_EQ(sound.GetChannel(6)->current, nullptr);
  // Loaded at the character's level, not started.
  EXPECT_EQ(sound.PlayVoice(6, "H001", 0, nullptr), 0);
  EXPECT_EQ(table.Entries()[0].unheard, 0);
  EXPECT_TRUE(EndsWith(sound.GetChannel(6)->buffer.FileName(), "\\VOICE\\H001.TPC"));
  EXPECT_EQ(sound.GetChannel(6)->level, 128);
  EXPECT_FALSE(sound.IsChannelPlaying(6));
  EXPECT_EQ(sound.PlayVoice(6, "H404", 0, nullptr), -4);
  EXPECT_EQ(sound.PlayVoice(6, ("H" + std::string(300, '1')).c_str(), 0, nullptr), -4);
  sound.kind4On = 0;
  EXPECT_EQ(sound.PlayVoice(6, "H001", 0, nullptr), -2);
}

TEST_F(VoiceTest, SpeakersGetTheEnvelopeWhenLipSyncIsOn) {
  const int32_t speakers[] = {7, 0, 3};
  const struct {
    bool lipSync;
    int32_t count;
    int32_t result;
    uint16_t peak;
  } cases[] = {
      {true, 3, 1, kDc >> 2}, {false, 3, 1, 0}, {true, 1, -1, 0}, {true, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    sound.SetLipSync(c.lipSync);
    EXPECT_EQ(sound.PlayVoice(6, "H001", c.count, speakers), c.result);
    EXPECT_EQ(sound.GetChannel(6)->buffer.AmplitudePeak(), c.peak);
  }
}

TEST_F(VoiceTest, WithoutCuesTheVoiceIsAnOggFileWhateverTheExtension) {
  const auto bytes = VoiceTableBytes("TPC", {{"HERO", {}}});
  ASSERT_EQ(table.Read(bytes.data(), bytes.size()), VoiceTable::kOk);
  WriteDc("VOICE/X01.OGG");
  EXPECT_EQ(sound.PlayVoice(6, "X01", 0, nullptr), -1);
  EXPECT_TRUE(EndsWith(sound.GetChannel(6)->buffer.FileName(), "\\VOICE\\X01.OGG"));
  EXPECT_FALSE(sound.IsChannelPlaying(6));
  EXPECT_EQ(sound.PlayVoice(6, "X02", 0, nullptr), -4);
  sound.globalOn = 0;
  EXPECT_EQ(sound.PlayVoice(6, "X01", 0, nullptr), -2);
}

}  // namespace
}  // namespace orrivel
