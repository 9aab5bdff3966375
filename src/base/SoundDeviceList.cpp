#include "base/SoundDeviceList.h"

#include "platform/AudioDevices.h"
#include "platform/TextCodec.h"

namespace orrivel {

std::vector<SoundDeviceRecord>& SoundDevices() {
  static std::vector<SoundDeviceRecord> devices;
  return devices;
}

void EnumSoundDevices() {
  std::vector<SoundDeviceRecord>& devices = SoundDevices();
  devices.clear();
  for (const platform::AudioDeviceDesc& d : platform::ListAudioOutputDevices()) {
    SoundDeviceRecord record;
    record.hasIdentifier = true;
    record.description = platform::Utf8ToCp932Lossy(d.name);
    record.driverModule = platform::Utf8ToCp932Lossy(d.driver);
    devices.push_back(std::move(record));
  }
}

void FreeSoundDeviceList() { SoundDevices().clear(); }

}  // namespace orrivel
