#pragma once
// The process-wide list of sound output devices, built at start-up only for
// the report and by the information dialog's text when it is still empty.
#include <string>
#include <vector>

namespace orrivel {

struct SoundDeviceRecord {
  bool hasIdentifier = false;
  std::string description;  // CP932
  std::string driverModule;  // CP932
};

std::vector<SoundDeviceRecord>& SoundDevices();
// Lists the machine's sound output devices into the list (replacing what
// it held).
void EnumSoundDevices();
void FreeSoundDeviceList();

}  // namespace orrivel
