#pragma once
// The machine's sound output devices, listed for the system-information
// report: SDL's output devices with a real display, a list that tests set
// when headless.
#include <string>
#include <vector>

namespace orrivel::platform {

struct AudioDeviceDesc {
  std::string name;    // UTF-8
  std::string driver;  // UTF-8: the sound system that drives it
};

std::vector<AudioDeviceDesc> ListAudioOutputDevices();
// The list a headless run reports (empty until set).
void SetHeadlessAudioDevices(std::vector<AudioDeviceDesc> devices);

// SDL's output devices (sdl/SdlAudioDevices.cpp).
std::vector<AudioDeviceDesc> ListSdlAudioOutputDevices();

}  // namespace orrivel::platform
