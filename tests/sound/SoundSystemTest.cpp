// The sound system: the primary format it gives the output, its start-up
// codes, and the loose sounds that scripts make, delete, pause, resume and
// stop by handle.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SoundTestRig.h"
#include "sound/BufferSound.h"
#include "sound/SoundSystem.h"
#include "sound/StreamSound.h"

namespace orrivel {
namespace {

using platform::AudioFailPoint;
using platform::VirtualAudioDevice;

// A buffer sound that logs the calls made on every sound in turn.
class LoggedBufferSound final : public BufferSound {
 public:
  LoggedBufferSound(std::vector<std::string>& log, bool volumeOnly)
      : BufferSound(nullptr), log_(log), volumeOnly_(volumeOnly) {}
  int32_t Pause() override { return Note("pause", BufferSound::Pause()); }
  int32_t Resume() override { return Note("resume", BufferSound::Resume()); }
  int32_t Stop() override { return Note("stop", BufferSound::Stop()); }

 protected:
  std::shared_ptr<platform::SoundBuffer> CreateBuffer(const platform::WaveFormat& format, uint32_t flags,
                                                      uint32_t bytes) override {
    if (volumeOnly_ && (flags & platform::kBufferCtrlPan)) return nullptr;
    return BufferSound::CreateBuffer(format, flags, bytes);
  }

 private:
  int32_t Note(const char* what, int32_t result) {
    if (!FileName().empty()) log_.push_back(std::string(what) + " " + FileName().substr(FileName().size() - 5));
    return result;
  }
  std::vector<std::string>& log_;
  bool volumeOnly_;
};

class TestSoundSystem final : public SoundSystem {
 public:
  std::vector<std::string> log;
  bool failConstruction = false;
  bool volumeOnly = false;
  bool refusePrimary = false;

 protected:
  BufferSound* NewBufferSound() override {
    return failConstruction ? nullptr : new LoggedBufferSound(log, volumeOnly);
  }
  StreamSound* NewStreamSound() override { return failConstruction ? nullptr : SoundSystem::NewStreamSound(); }
  bool CreatePrimaryBuffer() override { return !refusePrimary && SoundSystem::CreatePrimaryBuffer(); }
};

class SoundSystemTest : public testing::SoundTestRig {
 protected:
  void SetUp() override {
    SoundTestRig::SetUp();
    WriteMono16("A.TPC", std::vector<int16_t>(4410, 1000));
    WriteMono16("B.TPC", std::vector<int16_t>(4410, 2000));
  }
  // Publishes the system for the sounds it makes.
  void Publish(SoundSystem& system) {
    ASSERT_EQ(system.Create(nullptr, false, false, nullptr), kSoundDeviceOk);
    SetSoundDevice(&system);
  }
};

TEST_F(SoundSystemTest, InitializeGivesThePrimaryFormatToTheOutput) {
  struct Case {
    uint16_t channels;
    uint32_t rateCode;
    uint16_t bits;
    uint32_t rate;
    uint16_t blockAlign;
    uint32_t bytesPerSecond;
  };
  const Case cases[] = {
      {1, 22, 8, 22050, 1, 22050},   {2, 44, 16, 44100, 4, 176400}, {2, 11, 16, 11025, 4, 44100},
      {1, 8, 16, 8000, 2, 16000},    {2, 32000, 16, 32000, 4, 128000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rateCode);
    SoundSystem system;
    ASSERT_EQ(system.Initialize(nullptr, false, false, nullptr, c.channels, c.rateCode, c.bits), kSoundSystemOk);
    EXPECT_TRUE(system.HasPrimaryBuffer());
    const platform::WaveFormat& format = system.PrimaryFormat();
    EXPECT_EQ(format.samplesPerSec, c.rate);
    EXPECT_EQ(format.blockAlign, c.blockAlign);
    EXPECT_EQ(format.avgBytesPerSec, c.bytesPerSecond);
    EXPECT_EQ(format.extraSize, 0);
    // The virtual output mixes 16-bit samples at that rate and channel count.
    EXPECT_EQ(system.Device()->PrimaryFormat(), platform::WaveFormat::Pcm(c.rate, c.channels, 16));
  }
}

TEST_F(SoundSystemTest, InitializeAnswersEachFailure) {
  {
    TestSoundSystem system;
    system.refusePrimary = true;
    EXPECT_EQ(system.Initialize(nullptr, false, false, nullptr, 2, 44, 16), kSoundSystemNoPrimary);
    EXPECT_FALSE(system.HasPrimaryBuffer());
  }
  {
    SoundSystem system;
    EXPECT_EQ(system.Initialize(nullptr, false, false, nullptr, 2, 44, 24), kSoundSystemFormatRefused);
  }
  // The device is made first when there is none: its failure is the answer,
  // and a device at the normal level keeps its own format.
  SoundDevice::SetDeviceFactory([] {
    auto made = std::make_unique<VirtualAudioDevice>();
    made->InjectFailure(AudioFailPoint::Initialize, true);
    return made;
  });
  {
    SoundSystem system;
    EXPECT_EQ(system.Initialize(nullptr, false, false, nullptr, 2, 44, 16), kSoundDeviceInitializeFailed);
  }
  SoundDevice::SetDeviceFactory([] {
    auto made = std::make_unique<VirtualAudioDevice>();
    made->InjectFailure(AudioFailPoint::PriorityLevel, true);
    return made;
  });
  SoundSystem normal;
  EXPECT_EQ(normal.Initialize(nullptr, false, false, nullptr, 1, 22, 8), kSoundSystemNotPriority);
  EXPECT_EQ(normal.Device()->PrimaryFormat(), platform::WaveFormat::Pcm(44100, 2, 16));
}

TEST_F(SoundSystemTest, LooseSoundsAreMadeKeptAndDeletedByHandle) {
  TestSoundSystem system;
  Publish(system);
  uint32_t buffered = 0, duplicate = 0, stream = 0;
  ASSERT_EQ(system.CreateBufferSound(&buffered, "A.TPC", kKeepNoSamples), 0);
  ASSERT_EQ(system.CreateDuplicateSound(&duplicate, buffered), 0);
  ASSERT_EQ(system.CreateStreamSound(&stream, "A.TPC", "B.TPC"), 0);
  EXPECT_EQ(system.SoundCount(), 3u);
  EXPECT_NE(buffered, 0u);
  EXPECT_NE(duplicate, buffered);
  ASSERT_NE(system.GetSound(stream), nullptr);
  EXPECT_TRUE(system.GetSound(stream)->IsStream());
  EXPECT_EQ(system.GetSound(duplicate)->GetTotalBytes(), 8820u);

  // Failures keep nothing and hand out no handle.
  uint32_t none = 99;
  EXPECT_EQ(system.CreateBufferSound(&none, "MISSING.TPC", kKeepNoSamples), kBufferOpenNoFile);
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(system.CreateDuplicateSound(&none, stream), 1);  // a stream has no samples to share
  EXPECT_EQ(system.CreateStreamSound(&none, "A.TPC", "MISSING.TPC"), kStreamOpenNoSecond);
  system.volumeOnly = true;
  EXPECT_EQ(system.CreateBufferSound(&none, "A.TPC", kKeepNoSamples), kBufferOpenVolumeOnly);
  system.volumeOnly = false;
  system.failConstruction = true;
  EXPECT_EQ(system.CreateBufferSound(&none, "A.TPC", kKeepNoSamples), 8);
  EXPECT_EQ(system.CreateDuplicateSound(&none, buffered), 3);
  EXPECT_EQ(system.CreateStreamSound(&none, "A.TPC", nullptr), 7);
  system.failConstruction = false;
  EXPECT_EQ(system.SoundCount(), 3u);

  // Another system's handle, a stale one and 0 delete nothing.
  SoundSystem other;
  uint32_t foreign = 0;
  ASSERT_EQ(other.CreateBufferSound(&foreign, "B.TPC", kKeepNoSamples), 0);
  EXPECT_EQ(system.DeleteSound(foreign), 2);
  EXPECT_NE(other.GetSound(foreign), nullptr);
  EXPECT_EQ(system.DeleteSound(0), 1);
  EXPECT_EQ(system.DeleteSound(duplicate), 0);
  EXPECT_EQ(system.DeleteSound(duplicate), 2);
  EXPECT_EQ(system.GetSound(duplicate), nullptr);
  uint32_t reused = 0;
  ASSERT_EQ(system.CreateBufferSound(&reused, "B.TPC", kKeepNoSamples), 0);
  EXPECT_NE(reused, duplicate);  // the slot comes back under a new generation
  EXPECT_EQ(system.DeleteSound(duplicate), 2);
  EXPECT_EQ(system.SoundCount(), 3u);
  system.DeleteAllSounds();
  EXPECT_EQ(system.SoundCount(), 0u);
  EXPECT_EQ(system.GetSound(stream), nullptr);
}

TEST_F(SoundSystemTest, PauseResumeAndStopAllGoInListOrder) {
  TestSoundSystem system;
  Publish(system);
  uint32_t first = 0, second = 0, stream = 0;
  ASSERT_EQ(system.CreateBufferSound(&first, "A.TPC", kKeepNoSamples), 0);
  ASSERT_EQ(system.CreateStreamSound(&stream, "A.TPC", nullptr), 0);
  ASSERT_EQ(system.CreateBufferSound(&second, "B.TPC", kKeepNoSamples), 0);
  for (uint32_t handle : {first, stream, second}) ASSERT_EQ(system.GetSound(handle)->PlayLooping(), 0);
  system.PauseAllSounds();
  for (uint32_t handle : {first, stream, second}) EXPECT_FALSE(system.GetSound(handle)->IsPlaying(nullptr, nullptr));
  system.ResumeAllSounds();
  for (uint32_t handle : {first, stream, second}) EXPECT_TRUE(system.GetSound(handle)->IsPlaying(nullptr, nullptr));
  system.StopAllSounds();
  for (uint32_t handle : {first, stream, second}) EXPECT_FALSE(system.GetSound(handle)->IsPlaying(nullptr, nullptr));
  EXPECT_EQ(system.log, (std::vector<std::string>{"pause A.TPC", "pause B.TPC", "resume A.TPC", "resume B.TPC",
                                                  "stop A.TPC", "stop B.TPC"}));
  // Destroying the system takes its sounds with it (ASan checks the rest).
  SetSoundDevice(&device);
}

}  // namespace
}  // namespace orrivel
