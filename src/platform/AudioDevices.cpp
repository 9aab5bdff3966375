#include "platform/AudioDevices.h"

#include <mutex>

#include "platform/Backend.h"

namespace orrivel::platform {
namespace {

std::mutex g_mutex;

std::vector<AudioDeviceDesc>& HeadlessDevices() {
  static std::vector<AudioDeviceDesc> devices;
  return devices;
}

}  // namespace

std::vector<AudioDeviceDesc> ListAudioOutputDevices() {
  if (CurrentBackend().IsHeadless()) {
    std::lock_guard lock(g_mutex);
    return HeadlessDevices();
  }
  return ListSdlAudioOutputDevices();
}

void SetHeadlessAudioDevices(std::vector<AudioDeviceDesc> devices) {
  std::lock_guard lock(g_mutex);
  HeadlessDevices() = std::move(devices);
}

}  // namespace orrivel::platform
