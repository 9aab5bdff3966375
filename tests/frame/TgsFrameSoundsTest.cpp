// The frame's sound commands, run from compiled modules in a frame whose
// pump moves the test clock, the virtual output and the sound timer list
// on by 16 ms a frame: the effect channels taken in turn, the loops a save
// keeps, the fades and the waits on sounds and music, the voices, and the
// music by number, and the click of the history screen's closing.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../scene/PictureFolder.h"
#include "../scene/SceneTestSupport.h"
#include "FramePictures.h"
#include "TgsFrameTestSupport.h"
#include "frame/MessageWindowState.h"
#include "sound/BgmTrack.h"
#include "sound/SoundManagerRig.h"

namespace orrivel {
namespace {

constexpr size_t kSettingAlwaysSkip = 3;
constexpr size_t kSettingSoundOn = 82;
constexpr size_t kSettingEffectsOn = 84;
constexpr size_t kSettingVoicesOn = 86;
constexpr size_t kSettingStopVoiceAtPageEnd = 108;
constexpr size_t kSettingDuckMusic = 109;
constexpr size_t kSettingPanVoices = 110;
constexpr uint32_t kFrameMs = 16;

class FrameSoundsTest : public testing::SoundManagerRig {
 public:
  using SoundManagerRig::list;
  using SoundManagerRig::sound;

  void SetUp() override {
    SoundManagerRig::SetUp();
    previousManager_ = SetSoundManager(&sound);
    SetCurrentBgmNumber(0);
    ASSERT_EQ(sound.SetChannelCount(16), 0);
    ASSERT_EQ(sound.SetChannelKind(6, 4), 0);
    settings[kSettingSoundOn] = settings[kSettingEffectsOn] = settings[kSettingVoicesOn] = 1;
    for (const char* name : {"S1.TPC", "S2.TPC", "S3.TPC", "S4.TPC", "S5.TPC"}) WriteDc(name, 200);
    WriteDc("LONG.TPC", 5000);
    WriteDc("BGM/BGM03.OGG", 200);
    WriteDc("BGM/BGM07A.OGG", 300);
    WriteDc("BGM/BGM07B.OGG", 400);
    fixture = std::make_unique<FrameFixture>();
    fixture->RemakeFrame([this](TgsFrameEnvironment& environment) {
      environment.settings = std::span<uint8_t>(settings);
      environment.systemTimers = [this] { return &list; };
      environment.log = [this](const std::string& line) { logs.push_back(line); };
    });
    fixture->onPump = [this] { Run(kFrameMs, kFrameMs); };
  }
  void TearDown() override {
    fixture.reset();
    SetCurrentBgmNumber(0);
    SetSoundManager(previousManager_);
    SoundManagerRig::TearDown();
  }

  TgsFrame& Frame() { return *fixture->frame; }
  // Plays module text to its end (0) and counts the frames it pumped.
  int32_t Play(const std::string& text) {
    fixture->AddStory("module T\n" + text + "\n");
    fixture->pumps = 0;
    Frame().Unload();
    return fixture->Play("T");
  }
  bool Loaded(int32_t channel) { return sound.GetChannel(channel)->current != nullptr; }
  std::string Loop(size_t effect) { return Frame().Records().loopSounds[effect].name; }
  uint8_t Flag(int32_t channel) { return Frame().LoopFlags()[size_t(channel)]; }

  std::array<uint8_t, 196> settings{};
  std::unique_ptr<FrameFixture> fixture;
  std::vector<std::string> logs;

 private:
  SoundManager* previousManager_ = nullptr;
};

// One rig for each case of a table.
struct SoundRig final : FrameSoundsTest {
  void TestBody() override {}
};

// A row of module text, a change made before it is read, and what it left.
struct SoundRow {
  const char* name;
  const char* text;
  std::function<void(FrameSoundsTest&)> before;
  std::function<void(FrameSoundsTest&)> check;
};

TEST(FrameSounds, EffectChannelsLoopsFadesAndWaits) {
  using T = FrameSoundsTest;
  const SoundRow rows[] = {
      {"negative channels take 8, 9, 10, 11, then 8 again",
       R"([se "S1.TPC" -1 0 1][se "S2.TPC" -1 0 1][se "S3.TPC" -1 0 1][se "S4.TPC" -1 0 1][se "S5.TPC" -1 0 1])", {},
       [](T& t) {
         EXPECT_EQ(t.Loop(0), "S5.TPC");
         EXPECT_EQ(t.Loop(1), "S2.TPC");
         EXPECT_EQ(t.Loop(3), "S4.TPC");
         EXPECT_EQ(t.Frame().Records().soundChannel, 1);
         for (int32_t channel = 8; channel < 12; ++channel) EXPECT_TRUE(t.sound.IsChannelPlaying(channel));
         EXPECT_TRUE(t.Flag(8) && t.Flag(11));
       }},
      {"a counter restored out of range still lands on an effect channel", R"([se "S1.TPC" -1 0 1])",
       [](T& t) { t.Frame().Records().soundChannel = 6; },
       [](T& t) {
         EXPECT_EQ(t.Loop(2), "S1.TPC");
         EXPECT_EQ(t.Frame().Records().soundChannel, 3);
       }},
      {"channel 4 plays on 12 and keeps no flag or record", R"([se "S1.TPC" 4 0 1])", {},
       [](T& t) {
         EXPECT_EQ(t.sound.GetChannel(12)->playState, 2);
         EXPECT_TRUE(t.sound.IsChannelPlaying(12));
         for (int32_t channel = 0; channel < 12; ++channel) EXPECT_EQ(t.Flag(channel), 0);
         for (size_t effect = 0; effect < 4; ++effect) EXPECT_EQ(t.Loop(effect), "");
       }},
      {"a sound played once keeps no record", R"([se "S1.TPC" 1 1 0])", {},
       [](T& t) {
         EXPECT_TRUE(t.sound.IsChannelPlaying(9));
         EXPECT_EQ(t.sound.GetChannel(9)->current, &t.sound.GetChannel(9)->stream);
         EXPECT_EQ(t.Flag(9), 0);
         EXPECT_EQ(t.Loop(1), "");
       }},
      {"a failed load keeps the records but the turn is taken", R"([se "S1.TPC" -1 0 1][se "NONE.TPC" -1 0 1])", {},
       [](T& t) {
         EXPECT_EQ(t.Loop(0), "S1.TPC");
         EXPECT_EQ(t.Loop(1), "");
         EXPECT_EQ(t.Frame().Records().soundChannel, 2);
       }},
      {"with sound off a loop is only remembered", R"([se "S1.TPC" 2 0 1][se "S2.TPC" 3 0 0])",
       [](T& t) { t.settings[kSettingSoundOn] = 0; },
       [](T& t) {
         EXPECT_EQ(t.Loop(2), "S1.TPC");
         EXPECT_EQ(t.Flag(10), 1);
         EXPECT_FALSE(t.Loaded(10));
         EXPECT_FALSE(t.Loaded(11));
         EXPECT_EQ(t.Loop(3), "");
       }},
      {"stopping one channel forgets its loop", R"([se "S1.TPC" 0 0 1][se "S2.TPC" 1 0 1][se_stop 0])", {},
       [](T& t) {
         EXPECT_FALSE(t.sound.IsChannelPlaying(8));
         EXPECT_EQ(t.Loop(0), "");
         EXPECT_EQ(t.Loop(1), "S2.TPC");
       }},
      {"a negative channel of the other commands is the manager's own",
       R"([se_fade_in "S1.TPC" 300 -9 0][se_stop -3])", {},
       [](T& t) {
         EXPECT_TRUE(t.sound.IsChannelPlaying(9));
         EXPECT_EQ(t.Loop(1), "S1.TPC");
         EXPECT_EQ(t.Frame().Records().soundChannel, 0);
       }},
      {"stopping all unloads 8 to 11 and starts the turns again",
       R"([se "S1.TPC" -1 0 1][se "S2.TPC" -1 0 0][se "S3.TPC" 4 0 0][se_stop_all])", {},
       [](T& t) {
         for (int32_t channel = 8; channel < 12; ++channel) EXPECT_FALSE(t.Loaded(channel));
         EXPECT_TRUE(t.sound.IsChannelPlaying(12));
         EXPECT_EQ(t.Loop(0), "");
         EXPECT_EQ(t.Flag(8), 0);
         EXPECT_EQ(t.Frame().Records().soundChannel, 0);
       }},
      {"waiting on a loop stops it at once", R"([se "S1.TPC" 0 0 1][wait_se 0 0 0])", {},
       [](T& t) {
         EXPECT_EQ(t.fixture->pumps, 0);
         EXPECT_FALSE(t.sound.IsChannelPlaying(8));
         EXPECT_EQ(t.Loop(0), "");
       }},
      {"waiting on a sound played once lasts until it ends", R"([se "S1.TPC" 0 0 0][wait_se 0 0 0])", {},
       [](T& t) {
         EXPECT_GE(t.fixture->pumps, 12);
         EXPECT_LE(t.fixture->pumps, 14);
         EXPECT_FALSE(t.sound.IsChannelPlaying(8));
       }},
      {"skip mode cuts the wait short and stops the sound", R"([se "LONG.TPC" 0 0 0][wait_se 0 1 0])",
       [](T& t) { t.Frame().SetSkipByKey(true); },
       [](T& t) {
         EXPECT_EQ(t.fixture->pumps, 0);
         EXPECT_FALSE(t.sound.IsChannelPlaying(8));
         EXPECT_EQ(t.Frame().WaitChainCount(), 1u);
       }},
      {"the extra skip needs settings byte 3", R"([se "LONG.TPC" 0 0 0][wait_se 0 1 1])",
       [](T& t) { t.settings[kSettingAlwaysSkip] = 1; },
       [](T& t) {
         EXPECT_EQ(t.fixture->pumps, 0);
         EXPECT_FALSE(t.sound.IsChannelPlaying(8));
       }},
      {"an unskippable wait ignores skip mode", R"([se "S1.TPC" 0 0 0][wait_se 0 0 1])",
       [](T& t) {
         t.Frame().SetSkipByKey(true);
         t.settings[kSettingAlwaysSkip] = 1;
       },
       [](T& t) { EXPECT_GE(t.fixture->pumps, 12); }},
      {"a fade in of 0 ms lasts 1000 ms and is remembered as a loop",
       R"([se_fade_in "S1.TPC" 0 1 0][wait_se_fade 1 0 0 0])", {},
       [](T& t) {
         EXPECT_GE(t.fixture->pumps, 62);
         EXPECT_LE(t.fixture->pumps, 64);
         EXPECT_TRUE(t.sound.IsChannelPlaying(9));
         EXPECT_EQ(t.sound.GetChannel(9)->playState, 2);
         EXPECT_EQ(t.Loop(1), "S1.TPC");
       }},
      {"a fade in that cannot load changes nothing", R"([se_fade_in "NONE.TPC" 300 1 0][wait_se_fade 1 0 0 0])", {},
       [](T& t) {
         EXPECT_EQ(t.fixture->pumps, 0);
         EXPECT_EQ(t.Flag(9), 0);
         EXPECT_EQ(t.Loop(1), "");
       }},
      {"a fade out forgets the loop and stops the channel at its end",
       R"([se "LONG.TPC" 0 0 1][se_fade_out 320 0][wait_se_fade 0 0 0 0])", {},
       [](T& t) {
         EXPECT_GE(t.fixture->pumps, 20);
         EXPECT_LE(t.fixture->pumps, 22);
         EXPECT_FALSE(t.sound.IsChannelPlaying(8));
         EXPECT_EQ(t.Loop(0), "");
       }},
      {"a skipped fade wait stops the channel when asked",
       R"([se "LONG.TPC" 0 0 1][se_fade_out 5000 0][wait_se_fade 0 1 1 0])",
       [](T& t) { t.Frame().SetSkipBySetting(true); },
       [](T& t) {
         EXPECT_EQ(t.fixture->pumps, 0);
         EXPECT_FALSE(t.sound.IsChannelPlaying(8));
       }},
      {"a wait passed at once in a chain stops its channel",
       R"([se "LONG.TPC" 0 0 1][se "LONG.TPC" 1 0 0][wait_se 1 1 0][wait_se 0 1 0])",
       [](T& t) { t.Frame().SetSkipByKey(true); },
       [](T& t) {
         EXPECT_FALSE(t.sound.IsChannelPlaying(8));
         EXPECT_EQ(t.Loop(0), "");
         EXPECT_EQ(t.Frame().WaitChainCount(), 2u);
       }},
  };
  for (const SoundRow& row : rows) {
    SCOPED_TRACE(row.name);
    SoundRig rig;
    rig.SetUp();
    if (row.before) row.before(rig);
    EXPECT_EQ(rig.Play(row.text), 0);
    row.check(rig);
    rig.TearDown();
  }
}

TEST(FrameSounds, WaitsEndWhenTheProgramCloses) {
  for (const char* text : {R"([se "LONG.TPC" 0 0 0][wait_se 0 0 0])",
                           R"([se "LONG.TPC" 0 0 1][se_fade_out 3000 0][wait_se_fade 0 0 0 0])",
                           R"([bgm 3 3000 1][wait_bgm 0])", R"([bgm 7 0 0][wait_bgm_end 0])"}) {
    SCOPED_TRACE(text);
    SoundRig rig;
    rig.SetUp();
    rig.fixture->pumpsBeforeClose = 5;
    EXPECT_EQ(rig.Play(text), -1);
    EXPECT_EQ(rig.fixture->pumps, 6);
    rig.TearDown();
  }
}

// The history screen closed by the pointer's second button clicks on the
// frame's click channel.
TEST_F(FrameSoundsTest, ClosingTheHistoryScreenClicks) {
  constexpr size_t kSettingHistoryLength = 29, kSettingNoFades = 189;
  constexpr int32_t kClickChannel = 3;
  // The windows' drawing needs the pixel operations of the scene tests.
  struct SceneRig final : test::SceneTest {
    void TestBody() override {}
    using SceneTest::SetUp;
    using SceneTest::TearDown;
  } scene;
  ASSERT_NO_FATAL_FAILURE(scene.SetUp());
  struct SceneDown {
    SceneRig& scene;
    ~SceneDown() { scene.TearDown(); }
  } sceneDown{scene};
  InputControlHost controls;
  settings[kSettingHistoryLength] = 3;
  settings[kSettingNoFades] = 1;
  fixture->RemakeFrame([&](TgsFrameEnvironment& environment) {
    environment.settings = std::span<uint8_t>(settings);
    environment.systemTimers = [this] { return &list; };
    environment.controls = &controls;
  });
  ASSERT_EQ(Frame().SetupMessageWindow(nullptr), 0);
  ASSERT_EQ(Frame().BeginRun(false), 0);
  const std::string page = "page";
  ASSERT_EQ(Frame().RecordPageInHistory({reinterpret_cast<const uint8_t*>(page.data()), page.size()}, "", "", 0), 0);
  ASSERT_EQ(sound.LoadChannel(kClickChannel, "S1.TPC", 0, false), 0);
  // The screen's pictures, in a folder of their own from here on: the
  // screen opens only with them.
  test::PictureFolder pictures;
  test::WriteHistoryPictures(pictures);
  int frames = 0;
  fixture->onPump = [&] {
    Run(kFrameMs, kFrameMs);
    controls.pointer.pressed.clear();
    if (++frames == 3) controls.pointer.pressed = {1};
  };
  EXPECT_FALSE(sound.IsChannelPlaying(kClickChannel));
  EXPECT_EQ(Frame().ShowTextHistory(), 0);
  EXPECT_TRUE(sound.IsChannelPlaying(kClickChannel));
  EXPECT_EQ(Frame().EndRun(), 0);
}

TEST_F(FrameSoundsTest, MusicByNumberAndItsWaits) {
  // The number is kept and plays through the game's music player: the
  // intro of 7, then its loop.
  EXPECT_EQ(Play("[bgm 7 0 1]"), 0);
  EXPECT_EQ(Frame().Records().musicNumber, 7);
  EXPECT_EQ(CurrentBgmNumber(), 7);
  EXPECT_EQ(sound.ActiveMusic().intro, "BGM\\BGM07A.OGG");
  EXPECT_EQ(sound.ActiveMusic().file, "BGM\\BGM07B.OGG");
  // Looping music is not waited for: it stops at once and the number goes.
  EXPECT_EQ(Play("[wait_bgm_end 0]"), 0);
  EXPECT_EQ(fixture->pumps, 0);
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_EQ(Frame().Records().musicNumber, 0);
  EXPECT_EQ(CurrentBgmNumber(), 0);

  // A fade in is waited for to its end.
  EXPECT_EQ(Play("[bgm 3 320 1][wait_bgm 0]"), 0);
  EXPECT_GE(fixture->pumps, 20);
  EXPECT_LE(fixture->pumps, 22);
  EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
  EXPECT_TRUE(sound.IsMusicActive());

  // A fade out cut short by skip mode leaves no music playing.
  Frame().SetSkipByKey(true);
  EXPECT_EQ(Play("[bgm 0 3000 0][wait_bgm 1]"), 0);
  EXPECT_EQ(fixture->pumps, 0);
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_EQ(Frame().WaitChainCount(), 1u);

  // Passed at once in a chain, a cross-fade ends on the new music.
  Frame().SetSkipByKey(false);
  EXPECT_EQ(Play("[bgm 3 0 1]"), 0);
  Frame().SetSkipByKey(true);
  EXPECT_EQ(Play("[bgm 7 3000 1][se \"LONG.TPC\" 0 0 0][wait_se 0 1 0][wait_bgm 1]"), 0);
  EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
  EXPECT_EQ(sound.ActiveMusic().file, "BGM\\BGM07B.OGG");
  EXPECT_TRUE(sound.IsMusicActive());

  // Passed at once in a chain, the wait for the end stops the music and
  // forgets its number.
  Frame().SetSkipByKey(false);
  settings[kSettingAlwaysSkip] = 1;
  EXPECT_EQ(Play("[bgm 3 0 0][se \"LONG.TPC\" 0 0 0][wait_se 0 1 1][wait_bgm_end 1]"), 0);
  EXPECT_EQ(fixture->pumps, 0);
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_EQ(Frame().Records().musicNumber, 0);
  EXPECT_EQ(CurrentBgmNumber(), 0);
  settings[kSettingAlwaysSkip] = 0;

  // Music played once is waited for to its end (the stream notices it
  // within its buffer's time), then the number goes.
  Frame().SetSkipByKey(false);
  EXPECT_EQ(Play("[bgm 3 0 0][wait_bgm_end 0]"), 0);
  EXPECT_GE(fixture->pumps, 12);
  EXPECT_LE(fixture->pumps, 70);
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_EQ(CurrentBgmNumber(), 0);
  EXPECT_EQ(Frame().Records().musicNumber, 0);
}

class FrameVoicesTest : public FrameSoundsTest {
 public:
  void SetUp() override {
    FrameSoundsTest::SetUp();
    const auto bytes = VoiceTableBytes("TPC", {{"HERO", {"H"}}, {"ALLY", {"A"}}});
    ASSERT_EQ(table.Read(bytes.data(), bytes.size()), VoiceTable::kOk);
    sound.SetVoiceTable(&table);
    WriteDc("VOICE/H001.TPC", 500);
  }
  void TearDown() override {
    sound.SetVoiceTable(nullptr);
    FrameSoundsTest::TearDown();
  }
  VoiceTable table;
};

TEST_F(FrameVoicesTest, VoiceCuesAndTheirFailures) {
  const struct {
    const char* cue;
    size_t offSetting;  // 0: all on
    int32_t result;
  } cases[] = {
      {"H001", 0, 0},
      {"Z001", 0, 2},  // not in the voice table
      {"H404", 0, 3},  // in the table, but no file
      {"H001", kSettingVoicesOn, 1},
      {"H001", kSettingSoundOn, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cue);
    sound.StopChannel(6);
    settings[kSettingSoundOn] = settings[kSettingVoicesOn] = 1;
    if (c.offSetting) settings[c.offSetting] = 0;
    EXPECT_EQ(Frame().PlayVoice(c.cue), c.result);
    EXPECT_EQ(sound.IsChannelPlaying(6), c.result == 0);
  }
  // The voice command plays the cue on channel 6.
  sound.StopChannel(6);
  settings[kSettingSoundOn] = 1;
  EXPECT_EQ(Play("[voice \"H001\" 0]"), 0);
  EXPECT_TRUE(sound.IsChannelPlaying(6));
  EXPECT_EQ(Play("[wait_se -6 0 0]"), 0);
  EXPECT_GE(fixture->pumps, 30);
  EXPECT_FALSE(sound.IsChannelPlaying(6));
}

TEST_F(FrameVoicesTest, PageVoicesPanTowardsTheSpeakerAndDuckTheMusic) {
  const struct {
    int32_t x;
    int32_t pan;
  } pans[] = {{0, -5000}, {320, -2500}, {639, -8}, {640, 0}, {960, 2500}, {1279, 4992}, {1280, 5000}, {-40, -5000}};
  for (const auto& c : pans) EXPECT_EQ(TgsFrame::VoicePanForX(c.x), c.pan) << c.x;

  settings[kSettingPanVoices] = 1;
  const int32_t ids[] = {7, 0, 3};
  const int32_t xs[] = {100, 960, 200};
  EXPECT_EQ(Frame().PlaySpeakerVoice("H001", ids, xs), 1);
  EXPECT_EQ(sound.GetChannel(6)->pan, 2500);
  EXPECT_TRUE(sound.IsChannelPlaying(6));
  EXPECT_TRUE(Frame().VoicePlaying());
  EXPECT_FALSE(sound.IsDucking());
  // A speaker not among those shown speaks from the middle.
  EXPECT_EQ(Frame().PlaySpeakerVoice("H001", std::span(ids, 1), std::span(xs, 1)), -1);
  EXPECT_EQ(sound.GetChannel(6)->pan, 0);
  // With music playing and settings byte 109 the music ducks under it.
  ASSERT_EQ(sound.PlayMusic("BGM\\BGM03.OGG", nullptr, true), 0);
  settings[kSettingDuckMusic] = 50;
  EXPECT_EQ(Frame().PlaySpeakerVoice("H001", ids, xs), 1);
  EXPECT_TRUE(sound.IsDucking());
  // An unknown cue plays nothing and says so; with voices off nothing is
  // tried (and nothing said).
  sound.StopChannel(6);
  logs.clear();
  EXPECT_EQ(Frame().PlaySpeakerVoice("Z001", ids, xs), -3);
  settings[kSettingVoicesOn] = 0;
  EXPECT_EQ(Frame().PlaySpeakerVoice("H001", ids, xs), -2);
  EXPECT_FALSE(sound.IsChannelPlaying(6));
  EXPECT_EQ(logs, std::vector<std::string>{"page voice Z001 is not in the voice table"});

  // The page's end stops the voice only with settings byte 108.
  settings[kSettingVoicesOn] = 1;
  EXPECT_EQ(Frame().PlaySpeakerVoice("H001", ids, xs), 1);
  Frame().StopPageVoice(true);
  EXPECT_TRUE(sound.IsChannelPlaying(6));
  EXPECT_FALSE(Frame().VoicePlaying());
  settings[kSettingStopVoiceAtPageEnd] = 1;
  EXPECT_EQ(Frame().PlaySpeakerVoice("H001", ids, xs), 1);
  Frame().StopPageVoice(false);
  EXPECT_TRUE(sound.IsChannelPlaying(6));
  EXPECT_EQ(Frame().PlaySpeakerVoice("H001", ids, xs), 1);
  Frame().StopPageVoice(true);
  EXPECT_FALSE(sound.IsChannelPlaying(6));
}

// With settings byte 112 a voiced page is heard with the message window
// put away: it leaves once the voice has ended and word 32 has passed.
TEST_F(FrameVoicesTest, AVoicePacedPageHidesTheWindowAndWaitsForTheVoice) {
  constexpr size_t kSettingVoicePaced = 112, kSettingAutoBase = 32;
  settings[kSettingVoicePaced] = 1;
  settings[kSettingAutoBase] = 160;  // ms
  Frame().WindowState().ShowMessageWindow(true, false);
  bool shownMeanwhile = true;
  int voiceEndedAt = -1;
  fixture->onPump = [&] {
    Run(kFrameMs, kFrameMs);
    if (fixture->pumps == 3) shownMeanwhile = Frame().WindowState().Record().visible;
    if (voiceEndedAt < 0 && !sound.IsChannelPlaying(6)) voiceEndedAt = fixture->pumps;
  };
  EXPECT_EQ(Play("[name \"Aki\" \"H001\"]Hello.[page]"), 0);
  EXPECT_FALSE(shownMeanwhile);
  // The 500 ms voice, then 160 ms more.
  ASSERT_GE(voiceEndedAt, 30);
  EXPECT_GE(fixture->pumps - voiceEndedAt, 10);
  EXPECT_LE(fixture->pumps - voiceEndedAt, 13);
  EXPECT_EQ(Frame().VoicePacing(), 0);
  // The next page shows the window again.
  settings[kSettingVoicePaced] = 0;
  Frame().SetSkipByKey(true);
  EXPECT_EQ(Play("Next.[page]"), 0);
  EXPECT_TRUE(Frame().WindowState().Record().visible);
}

// A voice of the history plays again from the middle, whatever pan the
// page's speaker left, and ducks the music as the page voice did.
TEST_F(FrameVoicesTest, HistoryVoicesReplayCentredAndDuckTheMusic) {
  settings[kSettingPanVoices] = 1;
  const int32_t ids[] = {0};
  const int32_t xs[] = {1280};
  ASSERT_EQ(Frame().PlaySpeakerVoice("H001", ids, xs), 0);
  ASSERT_EQ(sound.GetChannel(6)->pan, 5000);
  sound.StopChannel(6);
  EXPECT_EQ(Frame().ReplayHistoryVoice("H001"), 0);
  EXPECT_TRUE(sound.IsChannelPlaying(6));
  EXPECT_EQ(sound.GetChannel(6)->pan, 0);
  EXPECT_FALSE(sound.IsDucking());  // no music
  ASSERT_EQ(sound.PlayMusic("BGM\\BGM03.OGG", nullptr, true), 0);
  EXPECT_EQ(Frame().ReplayHistoryVoice("H001"), 0);
  EXPECT_FALSE(sound.IsDucking());  // byte 109 not set
  settings[kSettingDuckMusic] = 50;
  EXPECT_EQ(Frame().ReplayHistoryVoice("H001"), 0);
  EXPECT_TRUE(sound.IsDucking());
  // A cue that does not play leaves the channel quiet and the log says
  // why; voices off play nothing, as the player asked.
  sound.StopChannel(6);
  logs.clear();
  EXPECT_EQ(Frame().ReplayHistoryVoice("H404"), 3);
  EXPECT_EQ(Frame().ReplayHistoryVoice("Z001"), 2);
  settings[kSettingVoicesOn] = 0;
  EXPECT_EQ(Frame().ReplayHistoryVoice("H001"), 1);
  EXPECT_FALSE(sound.IsChannelPlaying(6));
  EXPECT_EQ(logs, (std::vector<std::string>{"history: voice H404 could not be played",
                                             "history: voice Z001 is not in the voice table"}));
}

TEST_F(FrameSoundsTest, RememberedLoopsPlayAgainAndARunForgetsThem) {
  settings[kSettingSoundOn] = 0;
  EXPECT_EQ(Play(R"([se "S1.TPC" 1 1 1][se "S2.TPC" 3 0 1])"), 0);
  EXPECT_FALSE(Loaded(9));
  settings[kSettingSoundOn] = 1;
  EXPECT_EQ(Frame().ReplayLoopSounds(), 0);
  EXPECT_EQ(sound.GetChannel(9)->playState, 2);
  EXPECT_EQ(sound.GetChannel(9)->current, &sound.GetChannel(9)->stream);
  EXPECT_EQ(sound.GetChannel(11)->playState, 2);
  EXPECT_EQ(Loop(1), "S1.TPC");
  EXPECT_EQ(Frame().Records().loopSounds[1].loadMode, 1);
  Frame().ForgetLoopSounds();
  EXPECT_EQ(Loop(1), "");
  EXPECT_EQ(Flag(11), 0);
}


TEST_F(FrameSoundsTest, TheSavedMusicPlaysAgainAfterALoad) {
  Frame().Records().musicNumber = 7;  // as a load leaves it
  Frame().ReplayMusic(false);
  EXPECT_EQ(CurrentBgmNumber(), 7);
  EXPECT_EQ(sound.ActiveMusic().file, "BGM\\BGM07B.OGG");
  // A game saved without music is silent once loaded.
  Frame().Records().musicNumber = 0;
  Frame().ReplayMusic(false);
  EXPECT_EQ(CurrentBgmNumber(), 0);
  EXPECT_FALSE(sound.IsMusicActive());
}

}  // namespace
}  // namespace orrivel
