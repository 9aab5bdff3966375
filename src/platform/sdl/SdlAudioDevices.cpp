#include <SDL.h>

#include "platform/AudioDevices.h"

namespace orrivel::platform {

std::vector<AudioDeviceDesc> ListSdlAudioOutputDevices() {
  std::vector<AudioDeviceDesc> devices;
  // The audio system may not be running yet at start-up; start it for the
  // look-up only, leaving it as it was found.
  const bool wasRunning = SDL_WasInit(SDL_INIT_AUDIO) != 0;
  if (!wasRunning && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return devices;
  const char* driver = SDL_GetCurrentAudioDriver();
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 0);
    if (!name) continue;
    devices.push_back(AudioDeviceDesc{name, driver ? driver : ""});
  }
  if (!wasRunning) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return devices;
}

}  // namespace orrivel::platform
