#include "base/SoundDeviceList.h"

namespace orrivel {

std::vector<SoundDeviceRecord>& SoundDevices() {
  static std::vector<SoundDeviceRecord> devices;
  return devices;
}

void EnumSoundDevices() {}

void FreeSoundDeviceList() { SoundDevices().clear(); }

}  // namespace orrivel
