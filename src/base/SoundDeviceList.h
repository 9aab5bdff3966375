#pragma once
// The process-wide list of sound output devices, built at start-up only for
// the report. The list is empty until the sound subsystem fills it.
#include <string>
#include <vector>

namespace orrivel {

struct SoundDeviceRecord {
  bool hasIdentifier = false;
  std::string description;  // CP932
  std::string driverModule;  // CP932
};

std::vector<SoundDeviceRecord>& SoundDevices();
void EnumSoundDevices();
void FreeSoundDeviceList();

}  // namespace orrivel
