// The sound device: creation steps and their failures, the guard buffer,
// and the device list.
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/ComThread.h"
#include "base/SoundDeviceList.h"
#include "platform/AudioDevices.h"
#include "platform/audio/VirtualAudioDevice.h"
#include "sound/SoundDevice.h"

namespace orrivel {
namespace {

using platform::AudioFailPoint;
using platform::VirtualAudioDevice;

class SoundDeviceTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SoundDevice::SetDeviceFactory(nullptr);
    SetComLibraryCallsForTest(nullptr);
  }
  // Devices come from a factory that injects the given failures; the last
  // one made is kept in `made`.
  void UseVirtualDevices(std::vector<AudioFailPoint> failures) {
    SoundDevice::SetDeviceFactory([this, failures] {
      auto device = std::make_unique<VirtualAudioDevice>();
      for (AudioFailPoint point : failures) device->InjectFailure(point, true);
      made = device.get();
      return device;
    });
  }

  VirtualAudioDevice* made = nullptr;
};

struct CreateCase {
  const char* what;
  bool comFails;
  bool noDevice;
  std::vector<AudioFailPoint> failures;
  int32_t result;
  int32_t level;
};

TEST_F(SoundDeviceTest, CreateAnswersTheStepThatFailed) {
  const CreateCase cases[] = {
      {"all steps succeed", false, false, {}, kSoundDeviceOk, platform::kCooperativePriority},
      {"COM not ready", true, false, {}, kSoundDeviceNoCom, platform::kCooperativeNone},
      {"no device", false, true, {}, kSoundDeviceNoDevice, platform::kCooperativeNone},
      {"initialise fails", false, false, {AudioFailPoint::Initialize}, kSoundDeviceInitializeFailed,
       platform::kCooperativeNone},
      {"priority refused", false, false, {AudioFailPoint::PriorityLevel}, kSoundDeviceOk,
       platform::kCooperativeNormal},
      {"no level", false, false, {AudioFailPoint::PriorityLevel, AudioFailPoint::NormalLevel},
       kSoundDeviceNoCooperativeLevel, platform::kCooperativeNone},
      {"no guard buffer", false, false, {AudioFailPoint::CreateBuffer}, kSoundDeviceNoGuardBuffer,
       platform::kCooperativeNone},
  };
  static bool failInit = false;
  static const ComLibraryCalls failingCom{[] { return !failInit; }, [] {}};
  SetComLibraryCallsForTest(&failingCom);
  for (const CreateCase& c : cases) {
    SCOPED_TRACE(c.what);
    failInit = c.comFails;
    if (c.noDevice) {
      SoundDevice::SetDeviceFactory([] { return nullptr; });
    } else {
      UseVirtualDevices(c.failures);
    }
    int window = 0;
    SoundDevice sound;
    EXPECT_EQ(sound.Create(&window, false, false, nullptr), c.result);
    EXPECT_EQ(sound.CooperativeLevel(), c.level);
    EXPECT_EQ(sound.Device() != nullptr, c.result == kSoundDeviceOk);
    EXPECT_EQ(sound.GuardBuffer() != nullptr, c.result == kSoundDeviceOk);
    EXPECT_EQ(sound.Window(), c.result == kSoundDeviceOk ? static_cast<void*>(&window) : nullptr);
  }
  failInit = false;
}

TEST_F(SoundDeviceTest, GuardBufferIs800BytesOfEightBitSilence) {
  UseVirtualDevices({});
  SoundDevice sound;
  ASSERT_EQ(sound.Create(nullptr, true, true, nullptr), kSoundDeviceOk);
  auto guard = sound.GuardBuffer();
  ASSERT_TRUE(guard);
  EXPECT_EQ(guard->Size(), 800u);
  EXPECT_EQ(guard->Format(), platform::WaveFormat::Pcm(8000, 1, 8));
  EXPECT_EQ(guard->Format().avgBytesPerSec, 8000u);
  EXPECT_EQ(guard->Format().blockAlign, 1u);
  EXPECT_EQ(guard->Flags(), platform::kBufferGetCurrentPosition2 | platform::kBufferSoftware);
  EXPECT_EQ(sound.ExtraBufferFlags(), 0x8008u);
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_EQ(guard->Lock(0, 0, &p1, &n1, &p2, &n2, platform::kLockEntireBuffer), platform::kAudioOk);
  ASSERT_EQ(n1, 800u);
  for (uint32_t i = 0; i < n1; ++i) ASSERT_EQ(static_cast<uint8_t*>(p1)[i], 0x80) << i;
  guard->Unlock(p1, n1, p2, n2);
  // Silence played is silence heard.
  made->StartCapture();
  guard->Play(0);
  made->AdvanceMs(110);  // 100 ms of silence, then its end
  EXPECT_FALSE(guard->IsPlaying());
  for (int16_t sample : made->Capture()) ASSERT_EQ(sample, 0);
}

TEST_F(SoundDeviceTest, PlayGuardSilenceStartsTheGuardOnlyForAPlayingBuffer) {
  UseVirtualDevices({});
  SoundDevice sound;
  EXPECT_EQ(sound.PlayGuardSilence(nullptr), 1);  // no guard yet
  ASSERT_EQ(sound.Create(nullptr, false, false, nullptr), kSoundDeviceOk);
  int32_t result;
  auto buffer = sound.Device()->CreateBuffer(platform::WaveFormat::Pcm(44100, 2, 16), 0, 4000, &result);
  ASSERT_TRUE(buffer);
  EXPECT_EQ(sound.PlayGuardSilence(nullptr), 1);
  EXPECT_EQ(sound.PlayGuardSilence(buffer.get()), 0);
  EXPECT_FALSE(sound.GuardBuffer()->IsPlaying());
  buffer->Play(platform::kPlayLooping);
  EXPECT_EQ(sound.PlayGuardSilence(buffer.get()), 0);
  EXPECT_TRUE(sound.GuardBuffer()->IsPlaying());
  EXPECT_EQ(sound.GuardBuffer()->GetStatus() & platform::kStatusLooping, 0u);
  sound.Release();
  EXPECT_EQ(sound.PlayGuardSilence(buffer.get()), 1);
}

TEST_F(SoundDeviceTest, GuardBufferCanBeStartedFromSeveralThreadsWhileTheMixerRuns) {
  UseVirtualDevices({});
  SoundDevice sound;
  ASSERT_EQ(sound.Create(nullptr, false, false, nullptr), kSoundDeviceOk);
  int32_t result;
  auto buffer = sound.Device()->CreateBuffer(platform::WaveFormat::Pcm(44100, 2, 16), 0, 4000, &result);
  buffer->Play(platform::kPlayLooping);
  std::atomic<bool> done{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&] {
      while (!done) EXPECT_EQ(sound.PlayGuardSilence(buffer.get()), 0);
    });
  }
  for (int i = 0; i < 200; ++i) made->Advance(64);
  done = true;
  for (auto& thread : threads) thread.join();
}

TEST_F(SoundDeviceTest, ThreadPriorityReadsInRange) {
  SoundDevice sound;
  EXPECT_EQ(sound.ThreadPriority(), 2);
  sound.SetThreadPriority(4);
  EXPECT_EQ(sound.ThreadPriority(), 4);
  sound.SetThreadPriority(9);  // a hand-edited settings file
  EXPECT_EQ(sound.ThreadPriority(), 2);
}

TEST_F(SoundDeviceTest, DeviceListNamesTheDefaultOutputFirstWithoutIdentifier) {
  platform::SetHeadlessAudioDevices({{"Built-in Audio", "pulseaudio"}});
  EXPECT_EQ(EnumSoundDevices(), 0);
  ASSERT_EQ(SoundDevices().size(), 2u);
  EXPECT_FALSE(SoundDevices()[0].hasIdentifier);
  EXPECT_EQ(SoundDevices()[0].description, kDefaultSoundDeviceName);
  EXPECT_TRUE(SoundDevices()[1].hasIdentifier);
  platform::SetHeadlessAudioDevices({});
  EXPECT_EQ(EnumSoundDevices(), -1);
  EXPECT_TRUE(SoundDevices().empty());
  platform::SetHeadlessAudioDevices({{"Built-in Audio", "pulseaudio"}});
  {
    SoundDevice sound;
    EnumSoundDevices();
  }  // the device frees the list with itself
  EXPECT_TRUE(SoundDevices().empty());
  platform::SetHeadlessAudioDevices({});
}

TEST_F(SoundDeviceTest, HeadlessRunsGetTheVirtualDevice) {
  std::string why;
  auto device = platform::CreateAudioDevice(&why);
  ASSERT_TRUE(device);
  EXPECT_TRUE(device->IsVirtual());
}

}  // namespace
}  // namespace orrivel
