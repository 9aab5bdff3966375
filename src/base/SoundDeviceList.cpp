#include "base/SoundDeviceList.h"

#include "platform/AudioDevices.h"
#include "platform/TextCodec.h"

namespace orrivel {

std::vector<SoundDeviceRecord>& SoundDevices() {
  static std::vector<SoundDeviceRecord> devices;
  return devices;
}

int32_t EnumSoundDevices() {
  std::vector<SoundDeviceRecord>& devices = SoundDevices();
  devices.clear();
  const std::vector<platform::AudioDeviceDesc> outputs = platform::ListAudioOutputDevices();
  if (outputs.empty()) return -1;
  devices.push_back(SoundDeviceRecord{false, kDefaultSoundDeviceName, ""});
  for (const platform::AudioDeviceDesc& d : outputs) {
    SoundDeviceRecord record;
    record.hasIdentifier = true;
    record.description = platform::Utf8ToCp932Lossy(d.name);
    record.driverModule = platform::Utf8ToCp932Lossy(d.driver);
    devices.push_back(std::move(record));
  }
  return 0;
}

void FreeSoundDeviceList() { SoundDevices().clear(); }

}  // namespace orrivel
