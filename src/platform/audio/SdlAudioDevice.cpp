// SDL2's sound output: the default output (or a named one) opened for
// 16-bit stereo at 44.1 kHz, mixed in SDL's callback thread.
#include <SDL.h>

#include "platform/audio/AudioDevice.h"

namespace orrivel::platform {
namespace {

class SdlAudioDevice final : public AudioDevice {
 public:
  ~SdlAudioDevice() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool IsVirtual() const override { return false; }

  int32_t Initialize(const char* deviceName) override {
    if (device_ != 0) return kAudioOk;
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &SdlAudioDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = SDL_OpenAudioDevice(deviceName, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return kAudioFailed;
    {
      std::lock_guard guard(formatLock_);
      primary_ = WaveFormat::Pcm(uint32_t(have.freq), 2, 16);
    }
    SDL_PauseAudioDevice(device_, 0);
    return kAudioOk;
  }

  // The output keeps the format it was opened with.
  int32_t SetPrimaryFormat(const WaveFormat& format) override {
    return format.IsPlayablePcm() ? kAudioOk : kAudioBadFormat;
  }

 private:
  static void Callback(void* user, Uint8* stream, int length) {
    auto* self = static_cast<SdlAudioDevice*>(user);
    const WaveFormat output = self->PrimaryFormat();
    const uint32_t frames = uint32_t(length) / output.blockAlign;
    self->Mixer().Mix(reinterpret_cast<int16_t*>(stream), frames, output, nullptr);
  }

  SDL_AudioDeviceID device_ = 0;
};

}  // namespace

std::unique_ptr<AudioDevice> CreateSdlAudioDevice(std::string* why) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    if (why) *why = SDL_GetError();
    return nullptr;
  }
  if (SDL_GetNumAudioDevices(0) == 0) {
    if (why) *why = "no sound output";
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::make_unique<SdlAudioDevice>();
}

}  // namespace orrivel::platform
