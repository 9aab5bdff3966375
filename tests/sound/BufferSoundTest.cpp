// Buffer sounds: levels, pan and frequency, the nested pause, their own
// fades heard sample by sample, the kept samples and envelope, the open
// failures, and a lost buffer coming back.
#include <cstring>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "OggFixture.h"
#include "SoundTestRig.h"
#include "base/TimerList.h"
#include "sound/BufferSound.h"

namespace orrivel {
namespace {

using platform::kVolumeSilent;

constexpr int16_t kDc = 10000;

class BufferSoundTest : public testing::SoundTestRig {
 protected:
  // One second of a constant sample, at the output's rate.
  void WriteDc(const std::string& name, uint32_t frames = 44100) {
    WriteMono16(name, std::vector<int16_t>(frames, kDc));
  }
  std::vector<int16_t> Block(const std::vector<int16_t>& heard, size_t index, size_t frames) {
    return {heard.begin() + std::ptrdiff_t(index * frames * 2),
            heard.begin() + std::ptrdiff_t((index + 1) * frames * 2)};
  }

  TimerList list;
};

// Failures a test can inject into the steps of Open.
class InjectedBufferSound final : public BufferSound {
 public:
  enum Fail { kNone, kFullControl, kAnyBuffer, kLock, kUnlock, kKeptMemory };
  explicit InjectedBufferSound(Fail fail = kNone) : BufferSound(nullptr), fail_(fail) {}
  void Arm(Fail fail) { fail_ = fail; }

 protected:
  std::shared_ptr<platform::SoundBuffer> CreateBuffer(const platform::WaveFormat& format, uint32_t flags,
                                                      uint32_t bytes) override {
    if (fail_ == kAnyBuffer || (fail_ == kFullControl && (flags & platform::kBufferCtrlPan))) return nullptr;
    return BufferSound::CreateBuffer(format, flags, bytes);
  }
  int32_t LockBuffer(platform::SoundBuffer& buffer, void** region, uint32_t* bytes) override {
    return fail_ == kLock ? platform::kAudioFailed : BufferSound::LockBuffer(buffer, region, bytes);
  }
  int32_t UnlockBuffer(platform::SoundBuffer& buffer, void* region, uint32_t bytes) override {
    const int32_t unlocked = BufferSound::UnlockBuffer(buffer, region, bytes);
    return fail_ == kUnlock ? platform::kAudioFailed : unlocked;
  }
  void AllocateKept(uint32_t bytes) override {
    if (fail_ == kKeptMemory) throw std::bad_alloc();
    BufferSound::AllocateKept(bytes);
  }

 private:
  Fail fail_;
};

// A format whose decoder promises samples and delivers none.
class SilentCodec final : public SoundCodec {
 public:
  class Decoder final : public SoundDecoder {
   public:
    uint32_t GetLengthMs() override { return 100; }
    uint32_t GetTotalBytes() override { return 400; }
    int32_t SeekMs(uint32_t) override { return 0; }
    uint32_t TellMs() override { return 0; }
    bool IsEnd() override { return true; }
    uint32_t Read(void*, uint32_t) override { return 0; }
    const platform::WaveFormat* GetFormat() override { return &format; }
    platform::WaveFormat format = platform::WaveFormat::Pcm(8000, 1, 16);
  };
  SoundDecoder* CreateDecoder(const std::shared_ptr<FileObject>& file, int32_t*) override {
    char head[4] = {};
    if (!file || file->Read(head, 4) != 4 || std::memcmp(head, "NONE", 4) != 0) return nullptr;
    return new Decoder();
  }
};

TEST_F(BufferSoundTest, LevelsBecomeAttenuationsThatTheOutputCarries) {
  WriteDc("dc.tpc");
  BufferSound sound(&device);
  EXPECT_EQ(sound.SetVolume(128), -1);  // no buffer: stored all the same
  EXPECT_EQ(sound.GetLevel(), 128);
  ASSERT_EQ(sound.Open("dc.tpc", kKeepNoSamples), kBufferOpenOk);
  ASSERT_EQ(sound.PlayLooping(), 0);
  const struct {
    int32_t level;
    int32_t stored;
    int32_t attenuation;
  } cases[] = {
      {0, 0, -10000}, {-5, 0, -10000}, {300, 256, 0}, {256, 256, 0},
      {128, 128, -602}, {64, 64, -1204}, {1, 1, -4816},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    EXPECT_EQ(sound.SetVolume(c.level), 0);
    EXPECT_EQ(sound.GetLevel(), c.stored);
    EXPECT_EQ(BufferSound::LevelToAttenuation(c.level), c.attenuation);
    int32_t attenuation = 1;
    sound.GetBuffer()->GetVolume(&attenuation);
    EXPECT_EQ(attenuation, c.attenuation);
    EXPECT_TRUE(AllEqual(Hear(10), Heard(kDc, c.attenuation)));
  }
}

TEST_F(BufferSoundTest, PanAndFrequencyAreClampedAndReadBack) {
  WriteDc("dc.tpc");
  BufferSound closed(&device);
  int32_t level = 0, pan = 0;
  uint32_t hz = 0;
  uint16_t channels = 0, bits = 0;
  EXPECT_EQ(closed.AdjustPan(1, 1, 1), 1);
  EXPECT_EQ(closed.GetPanAndFrequency(&level, &pan, &hz), 1);
  EXPECT_EQ(level, 256);  // the stored level is written even then
  EXPECT_EQ(closed.GetFormat(&channels, &hz, &bits), 1);
  EXPECT_EQ(closed.SetPan(0), 1);
  EXPECT_EQ(closed.SetFrequency(8000), 1);

  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("dc.tpc", kKeepNoSamples), kBufferOpenOk);
  EXPECT_EQ(sound.GetFormat(&channels, &hz, &bits), 0);
  EXPECT_EQ(channels, 1);
  EXPECT_EQ(hz, 44100u);
  EXPECT_EQ(bits, 16);
  const struct {
    int32_t levelDelta, panDelta, hzDelta;
    int32_t level, pan;
    uint32_t hz;
  } steps[] = {
      {-56, 0, 0, 200, 0, 44100},          {0, -25000, 0, 200, -10000, 44100},
      {0, 30000, -50000, 200, 10000, 100}, {0, 0, 2000000, 200, 10000, 100000},
      {-1000, -500, 0, 0, 9500, 100000},   {1000, 0, 0, 256, 9500, 100000},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(sound.AdjustPan(s.levelDelta, s.panDelta, s.hzDelta), 0);
    EXPECT_EQ(sound.GetPanAndFrequency(&level, &pan, &hz), 0);
    EXPECT_EQ(level, s.level);
    EXPECT_EQ(pan, s.pan);
    EXPECT_EQ(hz, s.hz);
  }
  EXPECT_EQ(sound.SetPan(20000), 2);
  EXPECT_EQ(sound.SetFrequency(50), 2);

  // A buffer with volume control only refuses the rest.
  InjectedBufferSound volumeOnly(InjectedBufferSound::kFullControl);
  ASSERT_EQ(volumeOnly.Open("dc.tpc", kKeepNoSamples), kBufferOpenVolumeOnly);
  EXPECT_EQ(volumeOnly.GetPanAndFrequency(&level, &pan, nullptr), 2);
  EXPECT_EQ(volumeOnly.GetPanAndFrequency(&level, nullptr, &hz), 3);
  EXPECT_EQ(volumeOnly.AdjustPan(-6, 0, 0), 0);
  EXPECT_EQ(volumeOnly.AdjustPan(0, 10, 0), 3);
  EXPECT_EQ(volumeOnly.AdjustPan(0, 0, 10), 4);
}

TEST_F(BufferSoundTest, OpenFailuresLeaveTheSoundClosed) {
  WriteDc("dc.tpc", 4410);
  WriteDc("other.tpc", 4410);
  folder_.Write("none.tpc", testing::Bytes("NONEnothing"));
  folder_.Write("junk.tpc", testing::Bytes("junk"));
  manager.RegisterBuiltIn(new SilentCodec(), "SIL\0", "Silent", 41, nullptr, nullptr, nullptr);
  const struct {
    const char* what;
    const char* name;
    InjectedBufferSound::Fail fail;
    int32_t mode;
    bool noDevice;
    int32_t result;
  } cases[] = {
      {"no device", "dc.tpc", InjectedBufferSound::kNone, 0, true, kBufferOpenNoDevice},
      {"no name", nullptr, InjectedBufferSound::kNone, 0, false, kBufferOpenNoDevice},
      {"missing file", "gone.tpc", InjectedBufferSound::kNone, 0, false, kBufferOpenNoFile},
      {"no codec reads it", "junk.tpc", InjectedBufferSound::kNone, 0, false, kBufferOpenNoFile},
      {"no buffer", "dc.tpc", InjectedBufferSound::kAnyBuffer, 0, false, kBufferOpenNoBuffer},
      {"lock fails", "dc.tpc", InjectedBufferSound::kLock, 0, false, kBufferOpenLockFailed},
      {"no samples", "none.tpc", InjectedBufferSound::kNone, 0, false, kBufferOpenNoSamples},
      {"unlock fails", "dc.tpc", InjectedBufferSound::kUnlock, 0, false, kBufferOpenUnlockFailed},
      {"no memory for kept samples", "dc.tpc", InjectedBufferSound::kKeptMemory, 1, false, kBufferOpenFailed},
      {"volume control only", "dc.tpc", InjectedBufferSound::kFullControl, 2, false, kBufferOpenVolumeOnly},
      {"opened", "dc.tpc", InjectedBufferSound::kNone, 2, false, kBufferOpenOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InjectedBufferSound sound;
    ASSERT_EQ(sound.Open("other.tpc", kKeepSamples), kBufferOpenOk);  // something to lose
    sound.Arm(c.fail);
    if (c.noDevice) SetSoundDevice(nullptr);
    EXPECT_EQ(sound.Open(c.name, c.mode), c.result);
    SetSoundDevice(&device);
    if (c.result > 0) {
      // Neither the sound before nor anything half made is kept.
      EXPECT_FALSE(sound.GetBuffer());
      EXPECT_TRUE(sound.FileName().empty());
      EXPECT_EQ(sound.GetTotalBytes(), 0u);
      EXPECT_EQ(sound.KeptSampleWidth(), 0);
    } else {
      EXPECT_TRUE(sound.GetBuffer());
      EXPECT_EQ(sound.GetTotalBytes(), 8820u);
      EXPECT_EQ(sound.KeptSampleWidth(), 2);
      EXPECT_EQ(sound.Play(), 0);
      EXPECT_TRUE(AllEqual(Hear(10), kDc));
    }
  }
}

TEST_F(BufferSoundTest, TheSameFileOpenedTwiceIsDecodedOnce) {
  WriteDc("dc.tpc", 4410);
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("dc.tpc", kKeepNoSamples), kBufferOpenOk);
  const int asked = pcm->asked;
  const auto buffer = sound.GetBuffer();
  EXPECT_EQ(sound.Open("dc.tpc", kKeepEnvelope), kBufferOpenOk);
  EXPECT_EQ(pcm->asked, asked);
  EXPECT_EQ(sound.GetBuffer(), buffer);
  EXPECT_EQ(sound.KeptSampleWidth(), 0);  // nothing changed
}

// 100 samples: three 32-sample blocks of alternating signs (means 100,
// 4000 and 250) and a raw tail.
std::vector<int16_t> EnvelopeSamples() {
  std::vector<int16_t> samples;
  for (int16_t amplitude : {100, 4000, 250}) {
    for (int i = 0; i < 32; ++i) samples.push_back(int16_t(i % 2 ? -amplitude : amplitude));
  }
  for (int16_t tail : {7, -8, 9, -32768}) samples.push_back(tail);
  return samples;
}

TEST_F(BufferSoundTest, TheEnvelopeReplacesWholeBlocksAndScalesAgainstItsPeak) {
  WriteMono16("voice.tpc", EnvelopeSamples());
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("voice.tpc", kKeepEnvelope), kBufferOpenOk);
  EXPECT_EQ(sound.KeptSampleWidth(), 2);
  EXPECT_EQ(sound.AmplitudePeak(), 1000);  // 4000 >> 2
  const struct {
    uint32_t offset;
    int32_t sample;
    uint32_t scale0, scale8;
  } cases[] = {
      {0, 100, 0, 0},         {62, 100, 0, 0},       {64, 4000, 31, 7},  // the loudest block: 7, not 8
      {190, 250, 1, 2},       {192, 7, 0, 0},        {194, -8, 0, 0},
      {198, -32768, 255, 7},  {200, 0, 0, 0},        {5000, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    EXPECT_EQ(sound.GetSampleAt(c.offset), c.sample);
    EXPECT_EQ(sound.GetAmplitudeAt(c.offset, 0), c.scale0);
    EXPECT_EQ(sound.GetAmplitudeAt(c.offset, 8), c.scale8);
  }
  // The buffer plays the samples as decoded, not the envelope.
  ASSERT_EQ(sound.Play(), 0);
  const std::vector<int16_t> heard = Hear(10);
  EXPECT_EQ(heard[2], -100);
  EXPECT_EQ(heard[32 * 2], 4000);  // sample 32 opens the loudest block

  // Mode 1 keeps the raw samples and no peak; mode 0 keeps nothing.
  BufferSound raw(&device), none(&device);
  ASSERT_EQ(raw.Open("voice.tpc", kKeepSamples), kBufferOpenOk);
  EXPECT_EQ(raw.GetSampleAt(2), -100);
  EXPECT_EQ(raw.GetAmplitudeAt(64, 0), 31u);
  EXPECT_EQ(raw.GetAmplitudeAt(64, 8), 0u);
  ASSERT_EQ(none.Open("voice.tpc", kKeepNoSamples), kBufferOpenOk);
  EXPECT_EQ(none.GetSampleAt(0), 0);
  EXPECT_EQ(none.GetAmplitudeAt(64, 0), 0u);
}

TEST_F(BufferSoundTest, EnvelopeBlocksCountSamplesOfAnyWidthAndLayout) {
  // Stereo: 40 frames are 80 samples, two blocks of 16 frames each, with
  // the channels mixed into one mean.
  std::vector<uint8_t> stereo;
  for (int i = 0; i < 80; ++i) {
    const int16_t v = int16_t(i % 2 ? 3000 : -1000);
    stereo.push_back(uint8_t(v));
    stereo.push_back(uint8_t(uint16_t(v) >> 8));
  }
  folder_.Write("stereo.tpc", testing::MakeTestPcm(44100, 2, 16, stereo));
  // 8-bit: 40 samples around 128, one block and a raw tail.
  std::vector<uint8_t> bytes8(40);
  for (size_t i = 0; i < bytes8.size(); ++i) bytes8[i] = uint8_t(i % 2 ? 78 : 178);
  folder_.Write("eight.tpc", testing::MakeTestPcm(22050, 1, 8, bytes8));
  // Shorter than one block: no envelope at all.
  WriteMono16("short.tpc", std::vector<int16_t>(31, 5000));

  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("stereo.tpc", kKeepEnvelope), kBufferOpenOk);
  EXPECT_EQ(sound.AmplitudePeak(), 500);
  EXPECT_EQ(sound.GetSampleAt(0), 2000);
  EXPECT_EQ(sound.GetSampleAt(126), 2000);
  EXPECT_EQ(sound.GetSampleAt(128), -1000);  // the tail of 16 samples
  EXPECT_EQ(sound.GetSampleAt(130), 3000);

  ASSERT_EQ(sound.Open("eight.tpc", kKeepEnvelope), kBufferOpenOk);
  EXPECT_EQ(sound.KeptSampleWidth(), 1);
  EXPECT_EQ(sound.AmplitudePeak(), 12);  // 50 >> 2
  EXPECT_EQ(sound.GetSampleAt(31), 178);  // the mean, around 128
  EXPECT_EQ(sound.GetSampleAt(33), 78);   // the raw tail
  EXPECT_EQ(sound.GetAmplitudeAt(0, 0), 100u);  // doubled
  EXPECT_EQ(sound.GetAmplitudeAt(33, 0), 100u);
  EXPECT_EQ(sound.GetAmplitudeAt(0, 8), 7u);

  ASSERT_EQ(sound.Open("short.tpc", kKeepEnvelope), kBufferOpenOk);
  EXPECT_EQ(sound.AmplitudePeak(), 0);
  EXPECT_EQ(sound.GetSampleAt(0), 5000);
  EXPECT_EQ(sound.GetAmplitudeAt(0, 8), 0u);
}

TEST_F(BufferSoundTest, PausesNestAndResumeWhereTheyStopped) {
  WriteDc("dc.tpc");
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("dc.tpc", kKeepNoSamples), kBufferOpenOk);
  EXPECT_EQ(sound.Pause(), 2);   // never started
  EXPECT_EQ(sound.Resume(), 2);  // not paused
  ASSERT_EQ(sound.Play(), 0);
  Hear(100);
  EXPECT_EQ(sound.Pause(), 0);
  EXPECT_EQ(sound.Pause(), 0);
  EXPECT_EQ(sound.GetPauseCount(), 2);
  EXPECT_TRUE(AllEqual(Hear(10), 0));
  EXPECT_EQ(sound.Resume(), 0);
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_TRUE(AllEqual(Hear(10), 0));
  EXPECT_EQ(sound.Resume(), 0);
  uint32_t play = 0, write = 0;
  EXPECT_TRUE(sound.IsPlaying(&play, &write));
  EXPECT_EQ(play, 4410u * 2);  // where it paused
  EXPECT_GT(write, play);
  EXPECT_TRUE(AllEqual(Hear(10), kDc));
  EXPECT_EQ(sound.Resume(), 2);

  // A sound that played to its end is not playing: nothing to pause.
  Hear(1000);
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_EQ(sound.Pause(), 3);
  EXPECT_EQ(sound.Stop(), 0);
  EXPECT_EQ(sound.PlayMode(), kNotStarted);
}

TEST_F(BufferSoundTest, SeekingAStoppedSoundStartsItThereOnTheNextPlay) {
  WriteDc("dc.tpc");
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("dc.tpc", kKeepNoSamples), kBufferOpenOk);
  EXPECT_EQ(sound.GetLengthMs(), 1000u);
  EXPECT_EQ(sound.SeekMs(1000), 3);
  EXPECT_EQ(sound.SeekMs(500), 0);
  EXPECT_TRUE(sound.StartPending());
  EXPECT_EQ(sound.GetPositionMs(), 500u);
  ASSERT_EQ(sound.Play(), 0);
  EXPECT_FALSE(sound.StartPending());
  Hear(100);
  EXPECT_EQ(sound.GetPositionMs(), 600u);
  // A playing sound moves in place.
  EXPECT_EQ(sound.SeekMs(100), 0);
  EXPECT_FALSE(sound.StartPending());
  EXPECT_TRUE(sound.IsPlaying(nullptr, nullptr));
  // Play again starts from the top.
  ASSERT_EQ(sound.Play(), 0);
  EXPECT_EQ(sound.GetPositionMs(), 0u);
}

TEST_F(BufferSoundTest, AFadeInRaisesTheLevelStepByStep) {
  WriteDc("dc.tpc");
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("dc.tpc", kKeepNoSamples), kBufferOpenOk);
  EXPECT_EQ(sound.StartFadeIn(nullptr, 1000, true), kFadeInNoBuffer);
  ASSERT_EQ(sound.StartFadeIn(&list, 1000, true), kFadeInOk);
  EXPECT_EQ(sound.StartFadeIn(&list, 1000, true), kFadeInRunning);
  EXPECT_EQ(sound.GetLevel(), 256);
  EXPECT_TRUE(AllEqual(Hear(10), 0));  // silent until the first step
  // 1000 ms over 256 levels: a step every 20 ms.
  for (uint32_t k = 0; k <= 52; ++k) {
    SCOPED_TRACE(k);
    const uint32_t now = 2000 + 20 * k;
    clock.SetTick(now);
    list.Step(now);
    const int32_t level = std::min<int32_t>(256, int32_t(20 * k * 256 / 1000));
    EXPECT_TRUE(AllEqual(Hear(20), Heard(kDc, BufferSound::LevelToAttenuation(level))));
  }
  EXPECT_EQ(sound.GetLevel(), 256);
  EXPECT_EQ(sound.GetFadeState(), kSoundNoFade);
  EXPECT_FALSE(sound.HasFadeTask());
}

TEST_F(BufferSoundTest, AFadeOutLowersTheLevelThenPausesAtTheFormerLevel) {
  WriteDc("dc.tpc");
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("dc.tpc", kKeepNoSamples), kBufferOpenOk);
  EXPECT_EQ(sound.StartFadeOut(&list, 500), kFadeOutNotPlaying);
  ASSERT_EQ(sound.PlayLooping(), 0);
  ASSERT_EQ(sound.SetVolume(200), 0);
  ASSERT_EQ(sound.StartFadeOut(&list, 500), kFadeOutOk);
  EXPECT_EQ(sound.StartFadeOut(&list, 500), kFadeOutRunning);
  // 500 ms over 200 levels: a step every 20 ms, 8 levels a step.
  for (uint32_t k = 0; k <= 26; ++k) {
    SCOPED_TRACE(k);
    const uint32_t now = 2000 + 20 * k;
    clock.SetTick(now);
    list.Step(now);
    const int32_t level = 200 - int32_t(20 * k * 200 / 500);
    EXPECT_TRUE(AllEqual(Hear(20), level <= 0 ? 0 : Heard(kDc, BufferSound::LevelToAttenuation(level))));
  }
  EXPECT_EQ(sound.GetLevel(), 200);
  EXPECT_EQ(sound.GetPauseCount(), 1);
  EXPECT_EQ(sound.GetFadeState(), kSoundNoFade);
  EXPECT_EQ(sound.Resume(), 0);
  EXPECT_TRUE(AllEqual(Hear(10), Heard(kDc, BufferSound::LevelToAttenuation(200))));

  // At level 0 there is nothing to fade: paused at once.
  sound.SetVolume(0);
  EXPECT_EQ(sound.StartFadeOut(&list, 500), kFadeOutPausedSilent);
  EXPECT_EQ(sound.GetPauseCount(), 1);
  EXPECT_FALSE(sound.HasFadeTask());
  // A fade-in at level 0 starts it, silent, with no task.
  EXPECT_EQ(sound.StartFadeIn(&list, 500, true), kFadeInSilent);
  EXPECT_TRUE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_FALSE(sound.HasFadeTask());
}

TEST_F(BufferSoundTest, FadesOfNoLengthOrStoppedEarlyKeepTheLevelSound) {
  WriteDc("dc.tpc");
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("dc.tpc", kKeepNoSamples), kBufferOpenOk);
  // No length: complete at the first step.
  ASSERT_EQ(sound.StartFadeIn(&list, 0, true), kFadeInOk);
  list.Step(1000);
  EXPECT_EQ(sound.GetFadeState(), kSoundNoFade);
  EXPECT_TRUE(AllEqual(Hear(10), kDc));
  ASSERT_EQ(sound.StartFadeOut(&list, 0), kFadeOutOk);
  list.Step(1000);
  EXPECT_EQ(sound.GetPauseCount(), 1);
  EXPECT_EQ(sound.GetLevel(), 256);
  EXPECT_TRUE(AllEqual(Hear(10), 0));

  // A fade replaced before its first step changes no level.
  ASSERT_EQ(sound.Resume(), 0);
  sound.SetVolume(100);
  ASSERT_EQ(sound.StartFadeOut(&list, 400), kFadeOutOk);
  ASSERT_EQ(sound.StartFadeIn(&list, 400, true), kFadeInOk);
  EXPECT_EQ(sound.GetLevel(), 100);
  EXPECT_EQ(sound.Stop(), 0);
  EXPECT_EQ(sound.GetLevel(), 100);
  EXPECT_FALSE(sound.HasFadeTask());
  int32_t attenuation = 0;
  sound.GetBuffer()->GetVolume(&attenuation);
  EXPECT_EQ(attenuation, BufferSound::LevelToAttenuation(100));  // not left silent
  list.Step(1000);
  EXPECT_EQ(list.Size(), 0u);

  // A fade cut short by Stop goes back to the level it started from.
  ASSERT_EQ(sound.StartFadeIn(&list, 1000, false), kFadeInOk);
  clock.SetTick(1100);
  list.Step(1100);
  clock.SetTick(1300);
  list.Step(1300);
  EXPECT_LT(sound.GetLevel(), 100);
  EXPECT_EQ(sound.Stop(), 0);
  EXPECT_EQ(sound.GetLevel(), 100);
}

TEST_F(BufferSoundTest, ALostBufferIsDecodedAgainAndPlays) {
  folder_.Write("tone.ogg", testing::EncodeOgg(44100, 2, testing::Sine(44100, 2, 88200, 441, 12000)));
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("tone.ogg", kKeepEnvelope), kBufferOpenOk);
  EXPECT_EQ(sound.GetTotalBytes(), 352800u);
  EXPECT_EQ(sound.GetLengthMs(), 2000u);
  EXPECT_GT(sound.AmplitudePeak(), 0);
  EXPECT_EQ(sound.RestoreBuffer(), 0);  // not lost: nothing to do
  ASSERT_EQ(sound.Play(), 0);
  const std::vector<int16_t> before = Hear(50);

  sound.GetBuffer()->RaiseLost();
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  ASSERT_EQ(sound.Play(), 0);
  EXPECT_FALSE(sound.GetBuffer()->GetStatus() & platform::kStatusLost);
  EXPECT_EQ(sound.Play(), 0);
  EXPECT_EQ(Hear(50), before);  // the same samples from the top

  // A duplicate shares the samples, and comes back by restoring its buffer.
  BufferSound copy(&device);
  EXPECT_EQ(copy.OpenDuplicate(nullptr), 1);
  ASSERT_EQ(copy.OpenDuplicate(&sound), 0);
  EXPECT_EQ(copy.GetTotalBytes(), 352800u);
  EXPECT_TRUE(copy.FileName().empty());
  sound.Stop();
  copy.GetBuffer()->RaiseLost();
  EXPECT_EQ(copy.RestoreBuffer(), 0);
  ASSERT_EQ(copy.Play(), 0);
  EXPECT_EQ(Hear(50), before);
}

}  // namespace
}  // namespace orrivel
