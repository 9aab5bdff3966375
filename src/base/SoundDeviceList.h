#pragma once
// The process-wide list of sound output devices, built at start-up only for
// the report and by the information dialog's text when it is still empty.
#include <cstdint>
#include <string>
#include <vector>

namespace orrivel {

struct SoundDeviceRecord {
  // False for the default output, which the list names first without an
  // identifier of its own.
  bool hasIdentifier = false;
  std::string description;  // CP932
  std::string driverModule;  // CP932
};

std::vector<SoundDeviceRecord>& SoundDevices();
// The description of the default output's record.
inline constexpr const char* kDefaultSoundDeviceName = "Primary Sound Driver";

// Lists the machine's sound output devices into the list (replacing what
// it held): the default output first, then each device. 0, or -1 (and an
// empty list) when the machine has no sound output.
int32_t EnumSoundDevices();
void FreeSoundDeviceList();

}  // namespace orrivel
