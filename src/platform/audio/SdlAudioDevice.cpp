// SDL2's sound output: the default output (or a named one) opened for
// 16-bit stereo at 44.1 kHz until the primary format asks for another rate
// or channel count, mixed in SDL's callback thread.
#include "platform/sdl/SdlApi.h"

#include <string>

#include "platform/audio/AudioDevice.h"

namespace orrivel::platform {
namespace {

class SdlAudioDevice final : public AudioDevice {
 public:
  ~SdlAudioDevice() override {
    Close();
    sdl::Api().QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool IsVirtual() const override { return false; }

  int32_t Initialize(const char* deviceName) override {
    if (device_ != 0) return kAudioOk;
    named_ = deviceName != nullptr;
    name_ = deviceName ? deviceName : "";
    return Open(44100, 2);
  }

  // The output is opened again at the format's rate and channel count (the
  // mixer always writes 16-bit samples); when that fails, the old format
  // comes back.
  int32_t SetPrimaryFormat(const WaveFormat& format) override {
    if (!format.IsPlayablePcm()) return kAudioBadFormat;
    if (device_ == 0) return AudioDevice::SetPrimaryFormat(format);
    const WaveFormat current = PrimaryFormat();
    if (current.samplesPerSec == format.samplesPerSec && current.channels == format.channels) return kAudioOk;
    Close();
    if (Open(format.samplesPerSec, format.channels) == kAudioOk) return kAudioOk;
    Open(current.samplesPerSec, current.channels);
    return kAudioFailed;
  }

 private:
  static void Callback(void* user, Uint8* stream, int length) {
    auto* self = static_cast<SdlAudioDevice*>(user);
    const WaveFormat output = self->PrimaryFormat();
    const uint32_t frames = uint32_t(length) / output.blockAlign;
    self->Mixer().Mix(reinterpret_cast<int16_t*>(stream), frames, output, nullptr);
  }

  int32_t Open(uint32_t rate, uint16_t channels) {
    SDL_AudioSpec want{};
    want.freq = int(rate);
    want.format = AUDIO_S16SYS;
    want.channels = uint8_t(channels);
    want.samples = 1024;
    want.callback = &SdlAudioDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = sdl::Api().OpenAudioDevice(named_ ? name_.c_str() : nullptr, 0, &want, &have,
                                  SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device_ == 0) return kAudioFailed;
    {
      std::lock_guard guard(formatLock_);
      primary_ = WaveFormat::Pcm(uint32_t(have.freq), channels, 16);
    }
    sdl::Api().PauseAudioDevice(device_, 0);
    return kAudioOk;
  }

  void Close() {
    if (device_ != 0) sdl::Api().CloseAudioDevice(device_);
    device_ = 0;
  }

  SDL_AudioDeviceID device_ = 0;
  bool named_ = false;
  std::string name_;
};

}  // namespace

std::unique_ptr<AudioDevice> CreateSdlAudioDevice(std::string* why) {
  if (!sdl::Load(why)) return nullptr;
  if (sdl::Api().InitSubSystem(SDL_INIT_AUDIO) != 0) {
    if (why) *why = sdl::Api().GetError();
    return nullptr;
  }
  if (sdl::Api().GetNumAudioDevices(0) == 0) {
    if (why) *why = "no sound output";
    sdl::Api().QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  return std::make_unique<SdlAudioDevice>();
}

}  // namespace orrivel::platform
