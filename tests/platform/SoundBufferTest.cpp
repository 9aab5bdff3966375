// The software sound buffers and their mixer, heard through the virtual
// device: every expectation is on captured samples.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/audio/VirtualAudioDevice.h"

namespace orrivel::platform {
namespace {

constexpr uint32_t kAllControls =
    kBufferCtrlVolume | kBufferCtrlPan | kBufferCtrlFrequency | kBufferCtrlPositionNotify;

// A wake target that counts its wakes; no thread waits on it.
class CountingTarget final : public AudioWakeTarget {
 public:
  void Wake() override { ++wakes; }
  bool WaitSettled(uint32_t) override { return true; }
  int wakes = 0;
};

// Distinct, mostly large sample values of both signs.
int16_t RampSample(uint32_t i) { return int16_t(int32_t((i * 7919u) % 60001u) - 30000); }

class SoundBufferTest : public ::testing::Test {
 protected:
  // A mono 16-bit 44.1 kHz buffer holding RampSample(0..frames-1).
  std::shared_ptr<SoundBuffer> MakeRampBuffer(uint32_t frames, uint32_t flags = kAllControls) {
    int32_t result = -1;
    auto buffer = device.CreateBuffer(WaveFormat::Pcm(44100, 1, 16), flags, frames * 2, &result);
    EXPECT_EQ(result, kAudioOk);
    if (!buffer) return buffer;
    void *p1, *p2;
    uint32_t n1, n2;
    EXPECT_EQ(buffer->Lock(0, 0, &p1, &n1, &p2, &n2, kLockEntireBuffer), kAudioOk);
    auto* samples = static_cast<int16_t*>(p1);
    for (uint32_t i = 0; i < frames; ++i) samples[i] = RampSample(i);
    EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), kAudioOk);
    return buffer;
  }
  int16_t Left(size_t frame) const { return device.Capture()[frame * 2]; }
  int16_t Right(size_t frame) const { return device.Capture()[frame * 2 + 1]; }
  size_t CapturedFrames() const { return device.Capture().size() / 2; }

  VirtualAudioDevice device;
};

// What the mixer documents for a level: a 16.16 gain of
// round(65536 * 10^(level/2000)), applied with halves rounded up.
int32_t Expected(int32_t sample, int32_t level) {
  const double gain = level <= -10000 ? 0.0 : std::round(65536.0 * std::pow(10.0, level / 2000.0));
  return int32_t(std::floor(sample * gain / 65536.0 + 0.5));
}

TEST_F(SoundBufferTest, AttenuationScalesEverySampleAsDocumented) {
  for (const int32_t level : {0, -602, -1204, -4816, -10000}) {
    SCOPED_TRACE(level);
    auto buffer = MakeRampBuffer(4410);
    ASSERT_EQ(buffer->SetVolume(level), kAudioOk);
    device.StartCapture();
    buffer->Play(0);
    device.Advance(4410);
    ASSERT_EQ(CapturedFrames(), 4410u);
    for (uint32_t i = 0; i < 4410; ++i) {
      ASSERT_EQ(Left(i), Expected(RampSample(i), level)) << i;
      ASSERT_EQ(Right(i), Left(i)) << i;
    }
    // -602 is half the amplitude, -1204 a quarter.
    if (level == -602) {
      EXPECT_NEAR(Left(3), RampSample(3) / 2.0, 20);
    }
    if (level == -1204) {
      EXPECT_NEAR(Left(3), RampSample(3) / 4.0, 20);
    }
    EXPECT_FALSE(buffer->IsPlaying());
  }
}

TEST_F(SoundBufferTest, FullPanSilencesTheOtherSide) {
  for (const int32_t pan : {kPanLeft, kPanRight}) {
    auto buffer = MakeRampBuffer(1000);
    ASSERT_EQ(buffer->SetPan(pan), kAudioOk);
    device.StartCapture();
    buffer->Play(0);
    device.Advance(1000);
    for (uint32_t i = 0; i < 1000; ++i) {
      ASSERT_EQ(pan == kPanLeft ? Left(i) : Right(i), RampSample(i));
      ASSERT_EQ(pan == kPanLeft ? Right(i) : Left(i), 0);
    }
  }
}

TEST_F(SoundBufferTest, DoubledFrequencyHalvesTheDuration) {
  auto buffer = MakeRampBuffer(4410);
  ASSERT_EQ(buffer->SetFrequency(88200), kAudioOk);
  device.StartCapture();
  buffer->Play(0);
  device.Advance(2205);
  EXPECT_FALSE(buffer->IsPlaying());
  for (uint32_t i = 0; i < 2205; ++i) ASSERT_EQ(Left(i), RampSample(2 * i)) << i;
  uint32_t hz = 0;
  ASSERT_EQ(buffer->SetFrequency(kFrequencyOriginal), kAudioOk);
  ASSERT_EQ(buffer->GetFrequency(&hz), kAudioOk);
  EXPECT_EQ(hz, 44100u);
}

TEST_F(SoundBufferTest, LoopingBufferWrapsWithoutAGap) {
  auto buffer = MakeRampBuffer(1000);
  device.StartCapture();
  buffer->Play(kPlayLooping);
  device.Advance(3500);
  EXPECT_TRUE(buffer->IsPlaying());
  EXPECT_EQ(buffer->GetStatus(), kStatusPlaying | kStatusLooping);
  for (uint32_t i = 0; i < 3500; ++i) ASSERT_EQ(Left(i), RampSample(i % 1000)) << i;
}

TEST_F(SoundBufferTest, OnceBufferStopsAtItsEndAndFollowsWithSilence) {
  auto buffer = MakeRampBuffer(300);
  CountingTarget stopped;
  ASSERT_EQ(buffer->SetNotificationPositions({{kNotifyAtStop, &stopped}}), kAudioOk);
  device.StartCapture();
  buffer->Play(0);
  device.Advance(1000);
  EXPECT_FALSE(buffer->IsPlaying());
  EXPECT_EQ(stopped.wakes, 1);
  EXPECT_EQ(Left(299), RampSample(299));
  for (uint32_t i = 300; i < 1000; ++i) ASSERT_EQ(Left(i), 0);
}

TEST_F(SoundBufferTest, NotificationFiresOncePerCrossingAndOnceAtStop) {
  auto buffer = MakeRampBuffer(1000);  // 2000 bytes
  CountingTarget quarter, threeQuarters, stopped;
  ASSERT_EQ(buffer->SetNotificationPositions(
                {{500, &quarter}, {1500, &threeQuarters}, {kNotifyAtStop, &stopped}}),
            kAudioOk);
  buffer->Play(kPlayLooping);
  // Frame by frame: each frame's step is its own span.
  for (int i = 0; i < 1000; ++i) device.Advance(1);
  EXPECT_EQ(quarter.wakes, 1);
  EXPECT_EQ(threeQuarters.wakes, 1);
  device.Advance(2000);  // two more laps in quanta
  EXPECT_EQ(quarter.wakes, 3);
  EXPECT_EQ(threeQuarters.wakes, 3);
  EXPECT_EQ(stopped.wakes, 0);
  buffer->Stop();
  buffer->Stop();  // already stopped: no second stop
  EXPECT_EQ(stopped.wakes, 1);
  EXPECT_EQ(quarter.wakes, 3);
  // Notifications are fixed while playing and need the notification flag.
  buffer->Play(0);
  EXPECT_EQ(buffer->SetNotificationPositions({}), kAudioFailed);
  auto plain = MakeRampBuffer(100, 0);
  EXPECT_EQ(plain->SetNotificationPositions({{0, &quarter}}), kAudioNoControl);
  EXPECT_EQ(plain->SetVolume(-100), kAudioNoControl);
}

TEST_F(SoundBufferTest, LockAtTheRingsEndGivesTwoRegions) {
  int32_t result;
  auto buffer = device.CreateBuffer(WaveFormat::Pcm(44100, 1, 16), 0, 1000, &result);
  ASSERT_TRUE(buffer);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_EQ(buffer->Lock(800, 400, &p1, &n1, &p2, &n2, 0), kAudioOk);
  EXPECT_EQ(n1, 200u);
  EXPECT_EQ(n2, 200u);
  ASSERT_NE(p2, nullptr);
  const uint8_t* base = static_cast<uint8_t*>(p2);
  EXPECT_EQ(static_cast<uint8_t*>(p1) - base, 800);
  // A second lock before the unlock is refused rather than deadlocking.
  void* q1;
  uint32_t m1;
  EXPECT_EQ(buffer->Lock(0, 2, &q1, &m1, nullptr, nullptr, 0), kAudioInvalidParam);
  std::vector<int16_t> values(200);
  for (int i = 0; i < 200; ++i) values[i] = int16_t(1000 + i);
  std::memcpy(p1, values.data(), 200);
  std::memcpy(p2, values.data() + 100, 200);
  ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), kAudioOk);
  EXPECT_EQ(buffer->Unlock(p1, n1, p2, n2), kAudioInvalidParam);

  device.StartCapture();
  ASSERT_EQ(buffer->SetCurrentPosition(800), kAudioOk);
  buffer->Play(kPlayLooping);
  device.Advance(200);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(Left(i), 1000 + i);

  // From the write cursor: a fixed mix-ahead past the play cursor.
  uint32_t play, write;
  ASSERT_EQ(buffer->GetCurrentPosition(&play, &write), kAudioOk);
  const uint32_t ahead = 44100 * 2 * kMixAheadMs / 1000;
  EXPECT_EQ(write, (play + ahead) % 1000);
  ASSERT_EQ(buffer->Lock(0, 100, &p1, &n1, &p2, &n2, kLockFromWriteCursor), kAudioOk);
  EXPECT_EQ(static_cast<uint8_t*>(p1) - base, write);
  buffer->Unlock(p1, n1, p2, n2);
  // Out of range.
  EXPECT_EQ(buffer->Lock(1000, 2, &p1, &n1, &p2, &n2, 0), kAudioInvalidParam);
  EXPECT_EQ(buffer->Lock(0, 1001, &p1, &n1, &p2, &n2, 0), kAudioInvalidParam);
  EXPECT_EQ(buffer->SetCurrentPosition(1000), kAudioInvalidParam);
}

TEST_F(SoundBufferTest, DuplicateSharesSamplesButKeepsItsOwnCursorAndControls) {
  auto original = MakeRampBuffer(1000);
  ASSERT_EQ(original->SetVolume(-602), kAudioOk);
  int32_t result;
  auto copy = device.DuplicateBuffer(*original, &result);
  ASSERT_TRUE(copy);
  int32_t level = 0;
  ASSERT_EQ(copy->GetVolume(&level), kAudioOk);
  EXPECT_EQ(level, -602);
  ASSERT_EQ(copy->SetVolume(0), kAudioOk);
  ASSERT_EQ(copy->SetPan(kPanRight), kAudioOk);
  device.StartCapture();
  copy->Play(0);
  device.Advance(1000);
  uint32_t play = 1;
  original->GetCurrentPosition(&play, nullptr);
  EXPECT_EQ(play, 0u);
  EXPECT_FALSE(original->IsPlaying());
  for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(Right(i), RampSample(i));
  EXPECT_EQ(original->GetVolume(&level), kAudioOk);
  EXPECT_EQ(level, -602);
}

TEST_F(SoundBufferTest, LostBufferRefusesLockAndPlayUntilRestored) {
  auto buffer = MakeRampBuffer(100);
  buffer->Play(kPlayLooping);
  buffer->RaiseLost();
  EXPECT_EQ(buffer->GetStatus(), kStatusLost);
  void *p1, *p2;
  uint32_t n1, n2;
  EXPECT_EQ(buffer->Lock(0, 2, &p1, &n1, &p2, &n2, 0), kAudioBufferLost);
  EXPECT_EQ(buffer->Play(0), kAudioBufferLost);
  ASSERT_EQ(buffer->Restore(), kAudioOk);
  EXPECT_EQ(buffer->Play(0), kAudioOk);
}

TEST_F(SoundBufferTest, BadFormatsSizesAndControlValuesAreRefused) {
  int32_t result = 0;
  EXPECT_FALSE(device.CreateBuffer(WaveFormat::Pcm(44100, 3, 16), 0, 600, &result));
  EXPECT_EQ(result, kAudioBadFormat);
  EXPECT_FALSE(device.CreateBuffer(WaveFormat::Pcm(44100, 2, 16), 0, 1001, &result));
  EXPECT_EQ(result, kAudioInvalidParam);
  EXPECT_FALSE(device.CreateBuffer(WaveFormat::Pcm(44100, 2, 16), kBufferPrimary, 1000, &result));
  auto buffer = MakeRampBuffer(10);
  EXPECT_EQ(buffer->SetVolume(1), kAudioInvalidParam);
  EXPECT_EQ(buffer->SetVolume(-10001), kAudioInvalidParam);
  EXPECT_EQ(buffer->SetPan(10001), kAudioInvalidParam);
  EXPECT_EQ(buffer->SetFrequency(99), kAudioInvalidParam);
  EXPECT_EQ(buffer->SetFrequency(100001), kAudioInvalidParam);
}

TEST_F(SoundBufferTest, EightBitStereoSourceAndClippingSum) {
  int32_t result;
  auto buffer = device.CreateBuffer(WaveFormat::Pcm(44100, 2, 8), 0, 4, &result);
  ASSERT_TRUE(buffer);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_EQ(buffer->Lock(0, 4, &p1, &n1, &p2, &n2, 0), kAudioOk);
  const uint8_t bytes[4] = {0xFF, 0x00, 0x80, 0x81};
  std::memcpy(p1, bytes, 4);
  buffer->Unlock(p1, n1, p2, n2);
  auto loud = device.CreateBuffer(WaveFormat::Pcm(44100, 2, 8), 0, 4, &result);
  loud->Lock(0, 4, &p1, &n1, &p2, &n2, 0);
  std::memcpy(p1, bytes, 4);
  loud->Unlock(p1, n1, p2, n2);
  device.StartCapture();
  buffer->Play(0);
  device.Advance(2);
  EXPECT_EQ(Left(0), 127 * 256);
  EXPECT_EQ(Right(0), -32768);
  EXPECT_EQ(Left(1), 0);
  EXPECT_EQ(Right(1), 256);
  device.StartCapture();
  buffer->Play(0);
  loud->Play(0);
  device.Advance(1);
  EXPECT_EQ(Left(0), 32767);   // 2 x 32512 clipped
  EXPECT_EQ(Right(0), -32768);
}

TEST_F(SoundBufferTest, PcmStreamPlaysWhatIsQueuedThenSilence) {
  int32_t result;
  auto stream = device.OpenPcmStream(WaveFormat::Pcm(22050, 1, 16), 1000, &result);
  ASSERT_TRUE(stream);
  std::vector<int16_t> pcm(600);
  for (int i = 0; i < 600; ++i) pcm[i] = RampSample(i);
  EXPECT_EQ(stream->Write(pcm.data(), 1200), 1000u);  // the queue's room
  EXPECT_EQ(stream->FreeBytes(), 0u);
  ASSERT_EQ(stream->SetVolume(-602), kAudioOk);
  device.StartCapture();
  device.Advance(1200);  // 22.05 kHz into 44.1 kHz: each frame twice
  EXPECT_EQ(stream->PlayedFrames(), 500u);
  for (uint32_t i = 0; i < 1000; ++i) ASSERT_EQ(Left(i), Expected(RampSample(i / 2), -602)) << i;
  for (uint32_t i = 1000; i < 1200; ++i) ASSERT_EQ(Left(i), 0);
  EXPECT_EQ(stream->Write(pcm.data(), 3), 2u);  // whole blocks only
  stream->SetPaused(true);
  device.Advance(10);
  EXPECT_EQ(stream->QueuedBytes(), 2u);
}

TEST_F(SoundBufferTest, PrimaryFormatSetsTheRateAndChannelsOfTheMix) {
  EXPECT_EQ(device.SetPrimaryFormat(WaveFormat::Pcm(44100, 3, 16)), kAudioBadFormat);
  ASSERT_EQ(device.SetPrimaryFormat(WaveFormat::Pcm(22050, 1, 8)), kAudioOk);
  EXPECT_EQ(device.PrimaryFormat(), WaveFormat::Pcm(22050, 1, 16));  // the mix is always 16-bit
  auto buffer = MakeRampBuffer(1000);  // 44.1 kHz: every second frame is heard
  device.StartCapture();
  buffer->Play(0);
  device.Advance(500);
  EXPECT_FALSE(buffer->IsPlaying());
  ASSERT_EQ(device.Capture().size(), 500u);
  for (uint32_t i = 0; i < 500; ++i) ASSERT_EQ(device.Capture()[i], RampSample(2 * i));
}

TEST_F(SoundBufferTest, CaptureIsWrittenAsAWaveFile) {
  auto buffer = MakeRampBuffer(441);
  device.StartCapture();
  buffer->Play(0);
  device.AdvanceMs(20);
  const std::string path = (std::filesystem::temp_directory_path() / "orrivel-capture-test.wav").string();
  ASSERT_TRUE(device.WriteCaptureWave(path));
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  ASSERT_EQ(file.size(), kWaveHeaderBytes + 882 * 4);
  EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(file.data() + 38, "data", 4), 0);
  const WaveFormat format = WaveFormat::ReadRecord(file.data() + 20);
  EXPECT_EQ(format.samplesPerSec, 44100u);
  EXPECT_EQ(format.channels, 2u);
  int16_t first;
  std::memcpy(&first, file.data() + kWaveHeaderBytes, 2);
  EXPECT_EQ(first, RampSample(0));
  EXPECT_EQ(device.FramesMixed(), 882u);
}

// A running program's virtual output keeps time with the process clock:
// each call mixes what the clock says has played since the last one, the
// fraction of a frame carried on, so a sound played once ends when its
// length has passed; a long stall mixes at most the longest kept span.
TEST_F(SoundBufferTest, KeepingTimeWithTheClockPlaysWhatTheClockSays) {
  ManualClock clock(5000);
  ScopedClock scoped(clock);
  auto buffer = MakeRampBuffer(4410);  // 100 ms
  device.StartCapture();
  buffer->Play(0);
  device.KeepTimeWithClock();  // starts the count
  EXPECT_EQ(device.FramesMixed(), 0u);
  for (int ms = 1; ms <= 30; ++ms) {
    clock.Advance(1);
    device.KeepTimeWithClock();
    ASSERT_EQ(device.FramesMixed(), uint64_t(ms) * 441 / 10) << ms;  // 44.1 frames a millisecond
  }
  EXPECT_TRUE(buffer->IsPlaying());
  clock.Advance(69);
  device.KeepTimeWithClock();
  EXPECT_TRUE(buffer->IsPlaying());  // 99 ms have played
  clock.Advance(1);
  device.KeepTimeWithClock();
  EXPECT_FALSE(buffer->IsPlaying());
  for (uint32_t i = 0; i < 4410; ++i) ASSERT_EQ(Left(i), RampSample(i)) << i;
  const uint64_t before = device.FramesMixed();
  clock.Advance(60000);
  device.KeepTimeWithClock();
  EXPECT_EQ(device.FramesMixed() - before, uint64_t(VirtualAudioDevice::kMaxKeptSpanMs) * 441 / 10);
}

}  // namespace
}  // namespace orrivel::platform
