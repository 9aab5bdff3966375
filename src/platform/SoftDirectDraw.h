#pragma once
// The DirectDraw-style object of one driver of the display machine: the
// cooperative level, the display mode, capabilities and identification,
// surface creation, and the Direct3D-style devices of that driver.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DisplayMachine.h"
#include "platform/Messages.h"
#include "platform/RenderDevice.h"
#include "platform/SoftSurface.h"

namespace orrivel::platform {

enum DirectDrawResult : int32_t {
  kDdOk = 0,
  kDdInvalid = 1,
  kDdUnsupported = 2,      // no such mode, format or device
  kDdRefused = 3,          // cooperative level refused, or the mode needs the exclusive level
  kDdNotInitialized = 4,
  kDdOutOfVideoMemory = 5,
  kDdNoDriver = 6,
  kDdDisplayRefused = 7,   // the display itself offers no such mode or refused it
};

// Cooperative levels.
inline constexpr uint32_t kCoopFullscreen = 0x1;
inline constexpr uint32_t kCoopNormal = 0x8;
inline constexpr uint32_t kCoopExclusive = 0x10;

// Surface capabilities of a request.
inline constexpr uint32_t kSurfacePrimary = 0x200;
inline constexpr uint32_t kSurfaceOffscreen = 0x40;
inline constexpr uint32_t kSurfaceTexture = 0x1000;
inline constexpr uint32_t kSurface3dDevice = 0x2000;
inline constexpr uint32_t kSurfaceSystemMemory = 0x800;
inline constexpr uint32_t kSurfaceZBuffer = 0x20000;
inline constexpr uint32_t kSurfaceFlip = 0x10;

// The pixel-format flag of a z-buffer format.
inline constexpr uint32_t kPixelFlagZBuffer = 0x400;

struct SurfaceRequest {
  uint32_t caps = kSurfaceOffscreen;
  int32_t width = 0;   // ignored for the primary: the display's size
  int32_t height = 0;
  bool hasFormat = false;  // without one, the display's format
  SurfacePixelFormat format;
  int backBufferCount = 0;  // a flipping primary: 1 or 2
};

class SoftDirectDraw {
 public:
  SoftDirectDraw() = default;
  ~SoftDirectDraw();
  SoftDirectDraw(const SoftDirectDraw&) = delete;
  SoftDirectDraw& operator=(const SoftDirectDraw&) = delete;

  // Binds the object to a driver (null or all zero: the default driver), or
  // to the default driver's software emulation.
  int Initialize(const Guid* driver, bool emulationOnly);
  const MachineDriver* Driver() const { return initialized_ ? &driver_ : nullptr; }

  int SetCooperativeLevel(WindowId window, uint32_t flags);
  uint32_t CooperativeLevel() const { return level_; }
  // The window that a display mode is set for (the full-screen window).
  void SetModeWindow(WindowId window) { modeWindow_ = window; }
  // A mode of the driver's list. Where the display's mode can really be
  // changed (platform/DisplayModeSwitch.h) the display is switched too, to
  // that mode or the nearest larger one; kDdDisplayRefused when it cannot.
  int SetDisplayMode(int32_t width, int32_t height, uint32_t bits, uint32_t refresh);
  int RestoreDisplayMode();
  bool DisplayModeSet() const { return modeSet_; }
  // The mode in force: the display's real one while a mode is switched,
  // else the one set, else the driver's desktop mode.
  DisplayMode CurrentMode() const;
  std::vector<DisplayMode> EnumDisplayModes() const;

  int GetCaps(uint32_t* caps, uint32_t* totalVideoMemory, uint32_t* freeVideoMemory) const;
  int GetDeviceIdentifier(std::string* description, std::string* name, uint64_t* version) const;

  int CreateSurface(const SurfaceRequest& request, std::unique_ptr<SoftSurface>* out);

  // Direct3D: the devices of the driver, device creation on a surface, and
  // the z-buffer formats of a device.
  std::vector<MachineDevice> EnumDevices() const;
  int CreateDevice(const Guid& device, SoftSurface* target, std::unique_ptr<SoftRenderDevice>* out);
  int EnumZBufferFormats(const Guid& device, std::vector<SurfacePixelFormat>* out) const;

 private:
  const MachineDevice* FindDevice(const Guid& id) const;

  bool initialized_ = false;
  MachineDriver driver_;
  uint32_t level_ = 0;
  bool modeSet_ = false;
  bool displaySwitched_ = false;  // this object switched the real display
  WindowId modeWindow_ = kNoWindow;
  DisplayMode mode_;
  int surfacesMade_ = 0;
};

// The layout of a display depth: 8-bit indexed, R5G6B5, 24-bit, X8R8G8B8.
SurfacePixelFormat FormatForDepth(uint32_t bits);

}  // namespace orrivel::platform
