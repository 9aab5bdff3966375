#pragma once
// The bottom layer of the screen device: the machine's drivers with their
// display modes and Direct3D devices, the DirectDraw-style object of one
// driver, the cooperative level and the display mode. D3DDevice and the
// screen device derive from it. Clipper holds one window clipper.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DisplayMachine.h"
#include "platform/Messages.h"
#include "platform/SoftDirectDraw.h"

namespace orrivel {

// Depth mask bits of the display device: one per depth.
inline constexpr uint8_t kDepthMask8 = 8;
inline constexpr uint8_t kDepthMask16 = 4;
inline constexpr uint8_t kDepthMask24 = 2;
inline constexpr uint8_t kDepthMask32 = 1;
// The bit of a depth (0 for other depths).
uint8_t DepthMaskBit(uint32_t bits);
// A monitor record keeps its depths as render-depth flags (32 bits at bit
// 8, 24 at 9, 16 at 10, 8 at 11); the display device's mask is the same set
// moved down by 8. Copying one into the other must go through this.
uint8_t DepthMaskFromMonitorMask(uint32_t monitorMask);

// One Direct3D device of a listed driver.
struct DriverDeviceEntry {
  platform::Guid id;
  platform::DeviceCaps desc;
  std::string name;
  uint8_t hardware = 0;
};

// One driver of the process-wide list.
struct DriverRecord {
  platform::Guid id;  // all zero for the default driver
  std::string description;
  std::string name;
  uint32_t monitor = 0;
  uint32_t hardwareCaps = 0;
  uint32_t emulationCaps = 0;
  uint8_t windowed = 0;  // can render in a window and drives the primary display
  std::vector<platform::DisplayMode> modes;
  std::vector<DriverDeviceEntry> devices;
};

// What the driver-and-device choice answers.
struct DriverChoice {
  platform::Guid driver;
  platform::Guid device;
  uint32_t renderDepths = 0;
  uint8_t deviceClass = 0;  // 2 transform-and-lighting hardware, 1 hardware, 0 software
  uint8_t windowed = 1;
};

class DisplayDevice {
 public:
  DisplayDevice();
  DisplayDevice(const DisplayDevice&) = delete;
  DisplayDevice& operator=(const DisplayDevice&) = delete;
  virtual ~DisplayDevice();

  // Rebuilds the process-wide driver list. Option bit values: emulation
  // lists every driver in software emulation, modeList also lists each
  // driver's display modes. 1 when the drawing library is missing; 0 when a
  // driver was listed, else -1.
  static int EnumerateDrivers(uint8_t emulation, uint8_t modeList);
  static const std::vector<DriverRecord>& Drivers();
  static void FreeDrivers();
  // Picks the best device of the listed drivers: transform-and-lighting
  // hardware, hardware, software, reference. False when none.
  static bool ChooseDriverAndDevice(bool secondaryAdapter, DriverChoice* out);
  // The process-wide facts: the sticky need-exclusive flag and the primary
  // monitor's driver; reset for tests.
  static bool NeedsExclusive();
  static void ResetProcessState();
  static platform::Guid PrimaryDriverId();
  static void SetPrimaryDriverId(const platform::Guid& id);

  // Chooses driver and device, creates and initialises the DirectDraw-style
  // object. 1 component library not started, 2 nothing could be chosen, 3
  // the object cannot be made, 4 it cannot be initialised; 0 done.
  int Create(uint8_t emulation, uint8_t direct3d, const platform::Guid* driver,
             const platform::Guid* device, uint32_t renderDepths, uint8_t windowed,
             int32_t modeWidth, int32_t modeHeight, uint8_t modeListOption, uint8_t keepIdentifiers,
             uint8_t secondaryAdapter);
  // 1 no object or a mode of that depth already set; 2 the depth mask
  // lacks the depth; 3 the exclusive level was refused; 4 the mode failed
  // under the exclusive level; kDisplayRefusedMode the display itself has
  // no mode as large or refused it (no level would change that); 0 done.
  static constexpr int kDisplayRefusedMode = 5;
  int SetDisplayMode(platform::WindowId window, int32_t width, int32_t height, uint32_t depth,
                     bool want60);
  // 1 no object; 2 when require is set and the driver cannot render in a
  // window; else the normal level is in force and any mode undone; 0.
  int RestoreWindowMode(bool require);
  void Release();
  // Free video memory: remembered, or read again when refresh is set.
  uint32_t GetVideoMemory(bool refresh);

  // The depth mask and 60 Hz fact of the selected monitor. The monitor's
  // mask comes in the record's encoding and is converted here.
  void SetMonitorModes(uint32_t monitorMask, uint8_t has60Hz);

  platform::SoftDirectDraw* DirectDraw() const { return ddraw_.get(); }
  uint8_t DeviceClass() const { return deviceClass_; }
  uint8_t Windowed() const { return windowed_; }
  uint8_t UsesDirect3D() const { return direct3d_; }
  uint8_t DepthMask() const { return depthMask_; }
  uint8_t Has60Hz() const { return has60Hz_; }
  uint32_t DriverCaps() const { return driverCaps_; }
  uint8_t DisplayModeState() const { return displayModeState_; }
  uint8_t ExclusiveState() const { return exclusiveState_; }
  uint8_t DisplayDepth() const { return displayDepth_; }
  void SetDisplayDepth(uint8_t depth) { displayDepth_ = depth; }
  uint32_t Refresh() const { return refresh_; }
  uint32_t RenderDepths() const { return renderDepths_; }
  const platform::Guid* DriverId() const { return hasDriverId_ ? &driverId_ : nullptr; }
  const platform::Guid* DeviceId() const { return hasDeviceId_ ? &deviceId_ : nullptr; }
  const std::string& DriverDescription() const { return description_; }
  const std::string& DriverFileName() const { return driverName_; }
  uint64_t DriverVersion() const { return driverVersion_; }

 protected:
  uint8_t comInitialised_ = 0;
  std::unique_ptr<platform::SoftDirectDraw> ddraw_;
  platform::Guid driverId_;
  platform::Guid deviceId_;
  bool hasDriverId_ = false;
  bool hasDeviceId_ = false;
  uint32_t renderDepths_ = 0;
  uint8_t deviceClass_ = 0;
  uint8_t windowed_ = 0;
  uint8_t direct3d_ = 0;
  uint8_t depthMask_ = 0;
  uint8_t has60Hz_ = 0;
  std::string description_;
  std::string driverName_;
  uint64_t driverVersion_ = 0;
  uint32_t driverCaps_ = 0;
  uint32_t totalVideoMemory_ = 0;
  uint32_t freeVideoMemory_ = 0;
  uint8_t displayModeState_ = 0;
  uint8_t displayDepth_ = 0;
  uint32_t refresh_ = 0;
  uint8_t exclusiveState_ = 0;

 private:
  void TakeChoice(const DriverChoice& choice);
};

// One window clipper of a surface.
class Clipper {
 public:
  virtual ~Clipper() { Release(); }
  // 1 a null argument; 0 done. An earlier clipper is released first.
  int Attach(platform::SoftDirectDraw* ddraw, platform::SoftSurface* surface, platform::WindowId window);
  void Release();
  bool IsAttached() const { return surface_ != nullptr; }
  platform::WindowId Window() const { return window_; }

 private:
  platform::SoftSurface* surface_ = nullptr;
  platform::WindowId window_ = platform::kNoWindow;
};

}  // namespace orrivel
