// Stream sounds heard sample by sample through the virtual output, once with
// position notifications and once with the refill thread sleeping on the
// output's clock: a short file once and looping, an intro followed by a
// loop, seeking into the loop, pause and resume; the ring's numbers, the
// open failures, and the main thread working on a sound while its refill
// thread runs.
#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "OggFixture.h"
#include "SampleRuns.h"
#include "SoundTestRig.h"
#include "base/TimerList.h"
#include "sound/StreamSound.h"

namespace orrivel {
namespace {

using namespace testing::samples;

class StreamSoundRig : public testing::SoundTestRig {
 protected:
  void TearDown() override {
    StreamSound::SetUseNotifications(true);
    SoundTestRig::TearDown();
  }
  // Decodes a whole file the way the stream reads it.
  std::vector<int16_t> DecodeAll(const char* name) {
    SoundDecoderPtr decoder(manager.CreateDecoder(name, nullptr, true, nullptr));
    EXPECT_NE(decoder, nullptr);
    if (!decoder) return {};
    std::vector<int16_t> samples(decoder->GetTotalBytes() / 2);
    const uint32_t got = decoder->Read(samples.data(), uint32_t(samples.size() * 2));
    samples.resize(got / 2);
    return samples;
  }
  void WriteOgg(const std::string& name, uint32_t frames, double hz) {
    folder_.Write(name, testing::EncodeOgg(kRate, 2, testing::Sine(kRate, 2, frames, hz, 12000)));
  }
};

// Both ways of waking the refill thread must give the same sound.
class StreamSoundTest : public StreamSoundRig, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    StreamSoundRig::SetUp();
    StreamSound::SetUseNotifications(GetParam());
  }
};

TEST_P(StreamSoundTest, ShortFileOncePlaysThenSilenceAndStopsItself) {
  const auto file = Ramp(Frames(500), 1);
  WriteMono16("SHORT.TPC", file);
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("SHORT.TPC", nullptr), kStreamOpenOk);
  EXPECT_EQ(sound.NotificationsInForce(), GetParam());
  ASSERT_EQ(sound.Play(), 0);
  const auto heard = Left(Hear(2500));
  EXPECT_EQ(FirstDifference(Slice(heard, 0, file.size()), file), "same");
  EXPECT_TRUE(testing::SoundTestRig::AllEqual(Slice(heard, file.size(), heard.size() - file.size()), 0));
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_EQ(sound.GetPositionMs(), 0u);
  // It plays again from the start.
  ASSERT_EQ(sound.Play(), 0);
  EXPECT_EQ(FirstDifference(Slice(Left(Hear(600)), 0, file.size()), file), "same");
}

TEST_P(StreamSoundTest, ShortFileLoopsWithoutGapUntilStop) {
  const auto file = Ramp(Frames(700), 2);
  WriteMono16("LOOP.TPC", file);
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("LOOP.TPC", nullptr), kStreamOpenOk);
  ASSERT_EQ(sound.PlayLooping(), 0);
  const auto heard = Left(Hear(9000));
  EXPECT_EQ(FirstDifference(heard, IntroThenLoop({}, file, heard.size())), "same");
  EXPECT_TRUE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_LT(sound.GetPositionMs(), 700u);
  EXPECT_EQ(sound.Stop(), 0);
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_TRUE(testing::SoundTestRig::AllEqual(Hear(100), 0));
}

TEST_P(StreamSoundTest, OggIntroThenLoopRepeatsTheLoopWithoutGapAndPositionWrapsToTheIntro) {
  WriteOgg("INTRO.OGG", Frames(300), 440);
  WriteOgg("MAIN.OGG", Frames(1000), 330);
  const auto intro = DecodeAll("INTRO.OGG");
  const auto loop = DecodeAll("MAIN.OGG");
  ASSERT_EQ(intro.size(), size_t(Frames(300)) * 2);
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("INTRO.OGG", "MAIN.OGG"), kStreamOpenOk);
  EXPECT_EQ(sound.GetLengthMs(), 1300u);
  ASSERT_EQ(sound.PlayLooping(), 0);
  Output().StartCapture();
  bool reachedLoop = false;
  bool wrapped = false;
  uint32_t last = 0;
  for (int step = 0; step < 70; ++step) {
    Output().AdvanceMs(100);
    const uint32_t position = sound.GetPositionMs();
    EXPECT_LE(position, 1300u);
    if (reachedLoop) {
      EXPECT_GE(position, 300u) << "at step " << step;
    }
    reachedLoop = reachedLoop || position >= 300;
    wrapped = wrapped || position < last;
    last = position;
  }
  EXPECT_TRUE(wrapped);
  const auto heard = Output().Capture();
  EXPECT_EQ(FirstDifference(heard, IntroThenLoop(intro, loop, heard.size())), "same");
}

TEST_P(StreamSoundTest, IntroAndSecondOnceEndTogether) {
  const auto intro = Ramp(Frames(300), 3);
  const auto rest = Ramp(Frames(400), 4);
  WriteMono16("A.TPC", intro);
  WriteMono16("B.TPC", rest);
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("A.TPC", "B.TPC"), kStreamOpenOk);
  ASSERT_EQ(sound.Play(), 0);
  const auto heard = Left(Hear(2000));
  EXPECT_EQ(FirstDifference(Slice(heard, 0, intro.size() + rest.size()), Concat({intro, rest})), "same");
  EXPECT_TRUE(testing::SoundTestRig::AllEqual(Slice(heard, intro.size() + rest.size(), Frames(500)), 0));
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
}

TEST_P(StreamSoundTest, SeekIntoTheSecondFilePlaysOnFromThere) {
  const auto intro = Ramp(Frames(300), 5);
  const auto loop = Ramp(Frames(1000), 6);
  WriteMono16("I.TPC", intro);
  WriteMono16("L.TPC", loop);
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("I.TPC", "L.TPC"), kStreamOpenOk);
  ASSERT_EQ(sound.PlayLooping(), 0);
  Hear(200);
  ASSERT_EQ(sound.SeekMs(800), 0);
  EXPECT_EQ(sound.GetPositionMs(), 800u);
  EXPECT_TRUE(sound.IsPlaying(nullptr, nullptr));
  const auto heard = Left(Hear(5000));
  EXPECT_EQ(FirstDifference(heard, IntroThenLoop(Slice(loop, Frames(500), Frames(500)), loop, heard.size())),
            "same");
  // A stopped sound seeks without starting, and plays from there when asked.
  sound.Stop();
  ASSERT_EQ(sound.SeekMs(100), 0);
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  ASSERT_EQ(sound.PlayLooping(), 0);
  const auto again = Left(Hear(1000));
  EXPECT_EQ(FirstDifference(again, Slice(IntroThenLoop(intro, loop, Frames(2000)), Frames(100), again.size())),
            "same");
}

TEST_P(StreamSoundTest, PauseHoldsThePlaceAndResumeGoesOn) {
  const auto file = Ramp(Frames(1500), 7);
  WriteMono16("P.TPC", file);
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("P.TPC", nullptr), kStreamOpenOk);
  EXPECT_EQ(sound.Pause(), 3);  // not playing
  EXPECT_EQ(sound.Resume(), 2);
  ASSERT_EQ(sound.PlayLooping(), 0);
  const auto before = Left(Hear(1250));
  ASSERT_EQ(sound.Pause(), 0);
  ASSERT_EQ(sound.Pause(), 0);  // nested
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_TRUE(testing::SoundTestRig::AllEqual(Hear(700), 0));
  ASSERT_EQ(sound.Resume(), 0);
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  ASSERT_EQ(sound.Resume(), 0);
  const auto after = Left(Hear(5000));
  const auto all = Concat({before, after});
  EXPECT_EQ(FirstDifference(all, IntroThenLoop({}, file, all.size())), "same");
}

INSTANTIATE_TEST_SUITE_P(Wakes, StreamSoundTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Notified" : "Sleeping"; });

TEST_F(StreamSoundRig, RingPrefillAndNotificationsFollowTheDataRate) {
  WriteOgg("CD.OGG", Frames(200), 440);
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("CD.OGG", nullptr), kStreamOpenOk);
  EXPECT_EQ(sound.RingBytes(), 705600u);
  EXPECT_EQ(sound.PrefillBytes(), 617400u);
  std::vector<uint32_t> offsets;
  for (const auto& n : sound.NotifyPositions()) offsets.push_back(n.offset);
  EXPECT_EQ(offsets, (std::vector<uint32_t>{176400, 352800, 529200, 705599, platform::kNotifyAtStop}));
  EXPECT_EQ(sound.GetBuffer()->Format().extraSize, 0);
}

// Failures a test can inject into the steps of Open.
class InjectedStream final : public StreamSound {
 public:
  enum Fail : uint32_t { kFullControl = 1, kAnyBuffer = 2, kThrow = 4, kNoNotify = 8, kNotifyRefused = 16 };
  explicit InjectedStream(uint32_t fail) : StreamSound(nullptr), fail_(fail) {}

 protected:
  std::shared_ptr<platform::SoundBuffer> CreateBuffer(const platform::WaveFormat& format, uint32_t flags,
                                                      uint32_t bytes) override {
    if (fail_ & kThrow) throw std::runtime_error("out of handles");
    if ((fail_ & kAnyBuffer) || ((fail_ & kFullControl) && (flags & platform::kBufferCtrlPan))) return nullptr;
    return StreamSound::CreateBuffer(format, flags, bytes);
  }
  bool HasNotifyControl(const platform::SoundBuffer& buffer) override {
    return !(fail_ & kNoNotify) && StreamSound::HasNotifyControl(buffer);
  }
  int32_t SetNotifyPositions(platform::SoundBuffer& buffer,
                             const std::vector<platform::PositionNotify>& positions) override {
    return (fail_ & kNotifyRefused) ? platform::kAudioFailed : StreamSound::SetNotifyPositions(buffer, positions);
  }

 private:
  uint32_t fail_;
};

TEST_F(StreamSoundRig, OpenAnswersEachFailureAndReducedResult) {
  WriteMono16("ONE.TPC", Ramp(Frames(300), 8));
  WriteMono16("TWO.TPC", Ramp(Frames(300), 9));
  WriteMono16("SLOW.TPC", Ramp(Frames(300), 9), 22050);
  WriteMono16("EMPTY.TPC", {});
  struct Case {
    const char* name;
    uint32_t fail;
    const char* first;
    const char* second;
    int32_t expected;
  };
  const Case cases[] = {
      {"no name", 0, nullptr, nullptr, kStreamOpenNoDevice},
      {"first missing", 0, "NONE.TPC", nullptr, kStreamOpenNoFirst},
      {"first without samples", 0, "EMPTY.TPC", nullptr, kStreamOpenNoFirst},
      {"second missing", 0, "ONE.TPC", "NONE.TPC", kStreamOpenNoSecond},
      {"second at another rate", 0, "ONE.TPC", "SLOW.TPC", kStreamOpenRateMismatch},
      {"no buffer", InjectedStream::kAnyBuffer, "ONE.TPC", nullptr, kStreamOpenNoBuffer},
      {"thrown", InjectedStream::kThrow, "ONE.TPC", nullptr, kStreamOpenFailed},
      {"volume only", InjectedStream::kFullControl, "ONE.TPC", "TWO.TPC", kStreamOpenVolumeOnly},
      {"no notifications", InjectedStream::kNoNotify, "ONE.TPC", nullptr, kStreamOpenNoNotify},
      {"volume only, no notifications", InjectedStream::kFullControl | InjectedStream::kNoNotify, "ONE.TPC",
       nullptr, kStreamOpenVolumeOnlyNoNotify},
      {"notifications refused", InjectedStream::kNotifyRefused, "ONE.TPC", nullptr, kStreamOpenNotifyRefused},
      {"volume only, refused", InjectedStream::kFullControl | InjectedStream::kNotifyRefused, "ONE.TPC", nullptr,
       kStreamOpenVolumeOnlyRefused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InjectedStream sound(c.fail);
    const int32_t result = sound.Open(c.first, c.second);
    EXPECT_EQ(result, c.expected);
    if (result > 0) {
      EXPECT_EQ(sound.GetBuffer(), nullptr);
      EXPECT_EQ(sound.GetPositionMs(), 0xFFFFFFFFu);
      EXPECT_EQ(sound.Play(), kStreamStartNoBuffer);
      continue;
    }
    // A reduced open still plays, its thread sleeping without notifications.
    EXPECT_EQ(sound.NotificationsInForce(), result == 0 || result == -1);
    ASSERT_EQ(sound.Play(), 0);
    EXPECT_EQ(Slice(Left(Hear(100)), 0, 10), Slice(Ramp(Frames(300), 8), 0, 10));
    EXPECT_TRUE(sound.IsPlaying(nullptr, nullptr));
  }
  SoundDevice* previous = SetSoundDevice(nullptr);
  StreamSound orphan(nullptr);
  EXPECT_EQ(orphan.Open("ONE.TPC", nullptr), kStreamOpenNoDevice);
  SetSoundDevice(previous);
}

// Below 1000 bytes a second the ring holds less than a byte a millisecond:
// the thread still sleeps between refills, and the sound ends by itself.
TEST_F(StreamSoundRig, SlowFormatSleepsAtLeastAMillisecondAndPlays) {
  StreamSound::SetUseNotifications(false);
  std::vector<uint8_t> pcm(800 * 3);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = uint8_t(0x80 + (i % 64));
  folder_.Write("SLOW8.TPC", testing::MakeTestPcm(800, 1, 8, pcm));
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("SLOW8.TPC", nullptr), kStreamOpenOk);
  EXPECT_EQ(sound.RingBytes(), 3200u);
  ASSERT_EQ(sound.Play(), 0);
  Hear(5000);
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_GT(sound.RefillPasses(), 2u);
}

// A fade-out of a stream that ends by itself: the refill thread stops the
// buffer, and the fade finishes at its next step on this thread.
TEST_F(StreamSoundRig, FadeSeesTheNaturalEndAtItsNextStep) {
  WriteMono16("END.TPC", Ramp(Frames(400), 10));
  StreamSound sound(nullptr);
  ASSERT_EQ(sound.Open("END.TPC", nullptr), kStreamOpenOk);
  ASSERT_EQ(sound.Play(), 0);
  TimerList list;
  ASSERT_EQ(sound.StartFadeOut(&list, 60000), kFadeOutOk);
  Hear(2000);
  EXPECT_FALSE(sound.IsPlaying(nullptr, nullptr));
  EXPECT_TRUE(sound.HasFadeTask());
  clock.Advance(100);
  list.Step(clock.TickMs());
  EXPECT_FALSE(sound.HasFadeTask());
  EXPECT_EQ(sound.GetFadeState(), kSoundNoFade);
}

// The main thread plays, seeks, pauses, stops and closes while another
// thread keeps the output running and the refill thread refills.
TEST_F(StreamSoundRig, MainThreadOperationsWhileTheRefillThreadRuns) {
  WriteMono16("X.TPC", Ramp(Frames(600), 11));
  WriteMono16("Y.TPC", Ramp(Frames(900), 12));
  for (bool notify : {true, false}) {
    StreamSound::SetUseNotifications(notify);
    StreamSound sound(nullptr);
    ASSERT_EQ(sound.Open("X.TPC", "Y.TPC"), kStreamOpenOk);
    std::atomic<bool> done{false};
    std::thread output([&] {
      while (!done) Output().Advance(2205);
    });
    for (int round = 0; round < 40; ++round) {
      switch (round % 8) {
        case 0: sound.PlayLooping(); break;
        case 1: sound.SeekMs(uint32_t(round * 37 % 1500)); break;
        case 2: sound.Pause(); break;
        case 3: sound.Resume(); break;
        case 4: sound.SetVolume(round * 5); break;
        case 5: sound.Play(); break;
        case 6: sound.Stop(); break;
        default:
          sound.Close();
          ASSERT_EQ(sound.Open("X.TPC", round % 16 == 7 ? "Y.TPC" : nullptr), kStreamOpenOk);
          break;
      }
      sound.GetPositionMs();
      sound.IsPlaying(nullptr, nullptr);
      std::this_thread::yield();
    }
    sound.Close();
    done = true;
    output.join();
  }
}

}  // namespace
}  // namespace orrivel
