// SDL's sound output, opened on SDL's silent "dummy" driver: the device
// opens the default output, reports what it mixes, opens it again at a new
// primary format, and closes with itself.
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/audio/AudioDevice.h"

namespace orrivel::platform {
namespace {

TEST(SdlAudioDeviceTest, OpensTheDefaultOutputAndClosesItWithItself) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::string why;
  auto device = CreateSdlAudioDevice(&why);
  if (!device) GTEST_SKIP() << "SDL audio unavailable: " << why;
  EXPECT_FALSE(device->IsVirtual());
  ASSERT_EQ(device->Initialize(nullptr), kAudioOk);
  const WaveFormat output = device->PrimaryFormat();
  EXPECT_EQ(output.channels, 2u);
  EXPECT_EQ(output.bitsPerSample, 16u);
  // A primary format opens the output again at its rate and channel count
  // (16-bit, whatever the format's width); a refused format changes nothing.
  EXPECT_EQ(device->SetPrimaryFormat(WaveFormat::Pcm(22050, 1, 8)), kAudioOk);
  EXPECT_EQ(device->PrimaryFormat(), WaveFormat::Pcm(22050, 1, 16));
  EXPECT_EQ(device->SetPrimaryFormat(WaveFormat::Pcm(44100, 2, 24)), kAudioBadFormat);
  EXPECT_EQ(device->SetPrimaryFormat(WaveFormat::Pcm(output.samplesPerSec, 2, 16)), kAudioOk);
  EXPECT_EQ(device->PrimaryFormat(), output);
  int32_t result;
  auto buffer = device->CreateBuffer(WaveFormat::Pcm(44100, 2, 16), 0, 4000, &result);
  ASSERT_TRUE(buffer);
  EXPECT_EQ(buffer->Play(kPlayLooping), kAudioOk);
  device.reset();  // closes while the callback may be mixing the buffer
  EXPECT_TRUE(buffer->IsPlaying());
}

}  // namespace
}  // namespace orrivel::platform
