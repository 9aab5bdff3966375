#include "platform/audio/PcmAudioSink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/audio/VirtualAudioDevice.h"

namespace orrivel::platform {
namespace {

constexpr uint32_t kRate = 44100;

// A constant stereo tone of `frames` frames.
std::vector<int16_t> Tone(uint32_t frames, int16_t value = 8000) { return std::vector<int16_t>(size_t(frames) * 2, value); }

class PcmAudioSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sink.Open({kRate, 2}));
    sink.SetVolume(0);
  }
  size_t NonSilentFrames() const {
    size_t n = 0;
    for (size_t i = 0; i + 1 < device.Capture().size(); i += 2) n += device.Capture()[i] != 0;
    return n;
  }

  VirtualAudioDevice device;
  PcmAudioSink sink{device.Mixer(), 100};
};

TEST_F(PcmAudioSinkTest, AWriteLargerThanTheQueueWaitsForTheMixerWhileRunning) {
  sink.SetRunning(true);
  const std::vector<int16_t> tone = Tone(kRate / 2);  // 500 ms into a 100 ms queue
  std::atomic<bool> done{false};
  std::thread writer([&] {
    sink.Write(tone.data(), kRate / 2);
    done = true;
  });
  device.StartCapture();
  // The writer cannot finish before the mixer has taken 400 ms.
  for (int i = 0; i < 1000 && !done; ++i) {
    device.AdvanceMs(10);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  writer.join();
  EXPECT_TRUE(done);
  EXPECT_GE(device.FramesMixed(), uint64_t(kRate) * 4 / 10);
  device.AdvanceMs(200);
  EXPECT_EQ(NonSilentFrames(), size_t(kRate / 2)) << "every frame written was played, once";
  EXPECT_EQ(sink.PlayedMicroseconds(), 500000);
}

TEST_F(PcmAudioSinkTest, PausedWritesAreKeptAndFlushRestartsThePlayedPosition) {
  const std::vector<int16_t> tone = Tone(kRate * 15 / 100);
  sink.Write(tone.data(), kRate * 15 / 100);  // 150 ms, paused: returns at once
  EXPECT_GT(sink.HeldBytes(), 0u) << "the 100 ms queue is full";
  device.AdvanceMs(100);
  EXPECT_EQ(sink.PlayedMicroseconds(), 0) << "nothing plays while paused";
  sink.SetRunning(true);
  device.StartCapture();
  device.AdvanceMs(100);
  // The clock's reader moves the kept rest on, so the end of a movie's
  // sound is not stranded when no further write comes.
  EXPECT_EQ(sink.PlayedMicroseconds(), 100000);
  EXPECT_EQ(sink.HeldBytes(), 0u);
  device.AdvanceMs(100);
  EXPECT_EQ(sink.PlayedMicroseconds(), 150000);
  EXPECT_EQ(NonSilentFrames(), size_t(kRate) * 15 / 100);
  sink.Write(tone.data(), 100);
  sink.Flush();
  EXPECT_EQ(sink.PlayedMicroseconds(), 0);
  device.StartCapture();
  device.AdvanceMs(50);
  EXPECT_EQ(NonSilentFrames(), 0u) << "flushed sound is not played";
}

TEST_F(PcmAudioSinkTest, VolumeAndCloseReachTheMix) {
  sink.SetRunning(true);
  sink.SetVolume(-10000);
  const std::vector<int16_t> tone = Tone(kRate / 20);
  sink.Write(tone.data(), kRate / 20);
  device.StartCapture();
  device.AdvanceMs(50);
  EXPECT_EQ(NonSilentFrames(), 0u);
  EXPECT_EQ(device.Mixer().SourceCount(), 1u);
  sink.Close();
  EXPECT_EQ(device.Mixer().SourceCount(), 0u);
  EXPECT_EQ(sink.PlayedMicroseconds(), -1);
  sink.Write(tone.data(), 10);  // closed: ignored
  EXPECT_FALSE(sink.Open({kRate, 5}));
}


// A movie's sound output can outlive the sound device (a script releases
// it while the movie plays): from then on it neither waits for a mixer
// that no longer pulls nor keeps a clock the pictures would stop on.
TEST(PcmAudioSinkDeviceTest, AfterTheDeviceGoesWritesReturnAndTheClockIsGivenUp) {
  auto device = std::make_unique<VirtualAudioDevice>();
  PcmAudioSink sink(device->Mixer(), 100, device->LifeToken());
  ASSERT_TRUE(sink.Open({kRate, 2}));
  sink.SetRunning(true);
  const std::vector<int16_t> tone = Tone(kRate / 20);
  sink.Write(tone.data(), kRate / 20);
  device->AdvanceMs(50);
  EXPECT_EQ(sink.PlayedMicroseconds(), 50000);
  device.reset();
  EXPECT_EQ(sink.PlayedMicroseconds(), -1);
  const std::vector<int16_t> long_tone = Tone(kRate);  // far more than the queue holds
  const auto started = std::chrono::steady_clock::now();
  sink.Write(long_tone.data(), kRate);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(PcmAudioSink::kStallMs / 2));
  sink.Close();
  EXPECT_FALSE(sink.Open({kRate, 2})) << "no mixer to join";
}

}  // namespace
}  // namespace orrivel::platform
