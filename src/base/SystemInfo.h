#pragma once
// The machine's description: the facts gathered once by the application
// object (system name and version, memory, language, the desktop mode), the
// disk space of a drive, and the Japanese text of the information dialog
// that describes the machine and the engine's current devices.
#include <cstdint>
#include <string>
#include <vector>

#include "base/SystemInfoProvider.h"

namespace orrivel {

// The application's title, version bytes and further information lines
// (CP932), as the version line of the texts shows them.
struct AppInformation {
  std::string title;
  uint8_t major = 1;
  uint8_t minor = 0;
  uint8_t revision = 0;
  std::vector<std::string> lines;
};

// Engine settings and device states the dialog's text reports.
struct InfoTextSettings {
  bool highResolutionTimer = false;
  bool frameSkip = false;
  bool soundActive = false;  // the sound device was opened
};

class SystemInfo {
 public:
  // Gathers the facts from the given provider (or the current one).
  explicit SystemInfo(SystemInfoProvider* provider = nullptr);

  const MachineFacts& Facts() const { return facts_; }
  bool IsNtFamily() const { return facts_.ntFamily; }
  // Width, height and depth of the desktop again (after mode changes).
  void ReadScreen();
  // The desktop's refresh rate (0 when unknown or below 2).
  uint16_t ReadRefreshRate();
  // Free bytes for this user and total bytes of the drive holding the
  // path; false when it cannot be asked.
  static bool GetDiskSpace(const std::string& rootPath, uint64_t* freeBytes, uint64_t* totalBytes);

  // Empties text and fills it with the dialog's description (CP932, CR LF
  // line ends). With measureClock the processor clock is measured (0
  // otherwise). Lists the sound devices first when the list is empty.
  void FillText(std::string& text, bool measureClock, const AppInformation& info,
                const InfoTextSettings& settings = {});

 private:
  SystemInfoProvider& Provider();

  SystemInfoProvider* provider_;
  MachineFacts facts_;
};

// The NT-family flag of the machine, copied by start-up for the code that
// has no SystemInfo at hand.
void SetNtFamilyFlag(bool ntFamily);
bool NtFamilyFlag();

}  // namespace orrivel
