#pragma once
// A game folder with a virtual sound output, a decoder manager holding the
// test codec and the Ogg codec, and a hand-driven clock: what every sound
// test needs to open files, play them and hear the result sample by sample.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPcmCodec.h"
#include "platform/Clock.h"
#include "platform/audio/MixSource.h"
#include "platform/audio/VirtualAudioDevice.h"
#include "resource/TempFolder.h"
#include "sound/SllManager.h"
#include "sound/SoundDevice.h"
#include "sound/VorbisCodec.h"

namespace orrivel::testing {

class SoundTestRig : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    SoundDevice::SetDeviceFactory([] { return std::make_unique<platform::VirtualAudioDevice>(); });
    ASSERT_EQ(device.Create(nullptr, false, false, nullptr), kSoundDeviceOk);
    SetSoundDevice(&device);
    pcm = new TestPcmCodec();
    manager.RegisterBuiltIn(pcm, "TPC\0", "Test", 40, nullptr, nullptr, nullptr);
    ASSERT_TRUE(VorbisCodec::Register(manager, VorbisCodec::DefaultLibraryPath()));
    oldManager_ = SetSllManager(&manager);
  }
  void TearDown() override {
    SetSllManager(oldManager_);
    SetSoundDevice(nullptr);
    SoundDevice::SetDeviceFactory(nullptr);
    GameFolderTest::TearDown();
  }

  platform::VirtualAudioDevice& Output() { return static_cast<platform::VirtualAudioDevice&>(*device.Device()); }

  // 16-bit mono samples at 44100 Hz (the output's rate: one frame a frame).
  void WriteMono16(const std::string& name, const std::vector<int16_t>& samples, uint32_t rate = 44100) {
    std::vector<uint8_t> bytes(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) {
      bytes[2 * i] = uint8_t(samples[i]);
      bytes[2 * i + 1] = uint8_t(uint16_t(samples[i]) >> 8);
    }
    folder_.Write(name, MakeTestPcm(rate, 1, 16, bytes));
  }

  // The output of the next `ms` milliseconds, interleaved stereo.
  std::vector<int16_t> Hear(uint32_t ms) {
    Output().StartCapture();
    Output().AdvanceMs(ms);
    Output().StopCapture();
    return Output().Capture();
  }

  // What a constant sample sounds like at an attenuation.
  static int16_t Heard(int16_t sample, int32_t attenuation) {
    return int16_t(platform::ScaleSample(sample, platform::AttenuationToGain(attenuation)));
  }
  static bool AllEqual(const std::vector<int16_t>& samples, int16_t value) {
    return !samples.empty() &&
           std::all_of(samples.begin(), samples.end(), [value](int16_t s) { return s == value; });
  }

  platform::ManualClock clock{1000};
  platform::ScopedClock scopedClock{clock};
  SoundDevice device;
  SllManager manager;
  TestPcmCodec* pcm = nullptr;

 private:
  SllManager* oldManager_ = nullptr;
};

}  // namespace orrivel::testing
