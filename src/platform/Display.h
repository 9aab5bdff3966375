#pragma once
// Facts about the screens and the machine that start-up checks: the desktop
// mode, the monitors, and what kind of drive the program runs from.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Rect.h"

namespace orrivel::platform {


struct DisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  uint8_t depth = 0;     // bits per pixel
  uint16_t refresh = 0;  // Hz, 0 when unknown
};

struct MonitorDesc {
  Rect bounds;
  Rect workArea;
  uint8_t depth = 0;
  uint16_t refresh = 0;
  std::string deviceName;    // UTF-8
  std::string description;   // UTF-8
  bool isPrimary = false;
};

// One display adapter output as the system names it. Monitors refer to it by
// deviceName; several outputs may share one description.
struct DisplayDeviceDesc {
  std::string deviceName;   // UTF-8
  std::string description;  // UTF-8
  bool attachedToDesktop = true;
  bool isPrimary = false;
  bool modesPruned = false;
};

enum class DriveKind { Unknown, Fixed, Removable, Network, CdRom, RamDisk };

// Window frame sizes that turn a client size into an outer size. A back end
// whose window manager draws the frame outside our rectangle reports zeros.
struct FrameMetrics {
  int32_t captionHeight = 0;
  int32_t dialogFrameX = 0;
  int32_t dialogFrameY = 0;
  int32_t menuHeight = 0;
};

// System settings that a run may switch off and must give back at exit.
enum class PowerSetting { ScreenSaver, LowPower, PowerOff };

}  // namespace orrivel::platform
