#include "platform/sdl/SdlApi.h"

#include "platform/AudioDevices.h"

namespace orrivel::platform {

std::vector<AudioDeviceDesc> ListSdlAudioOutputDevices() {
  std::vector<AudioDeviceDesc> devices;
  if (!sdl::Load()) return devices;
  // The audio system may not be running yet at start-up; start it for the
  // look-up only, leaving it as it was found.
  const bool wasRunning = sdl::Api().WasInit(SDL_INIT_AUDIO) != 0;
  if (!wasRunning && sdl::Api().InitSubSystem(SDL_INIT_AUDIO) != 0) return devices;
  const char* driver = sdl::Api().GetCurrentAudioDriver();
  const int count = sdl::Api().GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    const char* name = sdl::Api().GetAudioDeviceName(i, 0);
    if (!name) continue;
    devices.push_back(AudioDeviceDesc{name, driver ? driver : ""});
  }
  if (!wasRunning) sdl::Api().QuitSubSystem(SDL_INIT_AUDIO);
  return devices;
}

}  // namespace orrivel::platform
