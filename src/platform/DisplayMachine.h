#pragma once
// The display hardware as the DirectDraw-style layer sees it: drivers (one per
// display of the window system, the default driver first), each with its
// display modes and its Direct3D-style devices. The machine is a table: the
// real one is built from the back end's monitors, tests install fake ones
// (no hardware, a secondary adapter, mode lists with and without 60 Hz) and
// can make each step fail on cue.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Display.h"
#include "platform/SoftSurface.h"

namespace orrivel::platform {

// A 16-byte identifier of a driver or a device; all zero names the default
// driver.
struct Guid {
  std::array<uint8_t, 16> bytes{};
  bool IsNull() const;
  friend bool operator==(const Guid&, const Guid&) = default;
};
Guid MakeGuid(uint32_t a, uint16_t b, uint16_t c, uint64_t d);

// Identifiers of the four device kinds the layer offers.
extern const Guid kDeviceTnlHal;     // transform-and-lighting hardware
extern const Guid kDeviceHal;        // hardware rasterisation
extern const Guid kDeviceSoftware;   // software rasteriser
extern const Guid kDeviceReference;  // reference rasteriser

// Driver capability bits.
inline constexpr uint32_t kDriverCapsNoHardware = 0x04000000;
inline constexpr uint32_t kDriverCaps2CanRenderWindowed = 0x00080000;

// Render bit depth flags of a device (also used for z-buffer depths).
inline constexpr uint32_t kDepthFlag8 = 0x800;
inline constexpr uint32_t kDepthFlag16 = 0x400;
inline constexpr uint32_t kDepthFlag24 = 0x200;
inline constexpr uint32_t kDepthFlag32 = 0x100;
uint32_t DepthFlagForBits(uint32_t bits);

// Device capability bits the engine reads.
inline constexpr uint32_t kDevCapsDrawPrimTlVertex = 0x00000400;
inline constexpr uint32_t kDevCapsHwRasterization = 0x00080000;
inline constexpr uint32_t kShadeCapsAlphaGouraudBlend = 0x00004000;
inline constexpr uint32_t kCmpCapsNever = 0x01;
inline constexpr uint32_t kCmpCapsAll = 0xFF;
inline constexpr uint32_t kCmpCapsAlways = 0x80;
inline constexpr uint32_t kRasterCapsZBufferLessHsr = 0x00008000;
inline constexpr uint32_t kTextureCapsPow2 = 0x00000002;
inline constexpr uint32_t kTextureCapsSquareOnly = 0x00000020;
inline constexpr uint32_t kTextureCapsNonPow2Conditional = 0x00000100;

// What a device reports of itself: the facts of its description that the
// engine reads, and the formats it offers for textures and z-buffers.
struct DeviceCaps {
  uint32_t devCaps = kDevCapsDrawPrimTlVertex;
  uint32_t shadeCaps = kShadeCapsAlphaGouraudBlend;
  uint32_t alphaCmpCaps = kCmpCapsAll;
  uint32_t rasterCaps = 0;
  uint16_t maxTextureBlendStages = 8;
  uint32_t textureCaps = 0;
  uint32_t textureOpCaps = 0xFFFFFFFF;
  uint32_t srcBlendCaps = 0x1FFF;
  uint32_t destBlendCaps = 0x1FFF;
  uint32_t minTextureWidth = 1;
  uint32_t minTextureHeight = 1;
  uint32_t maxTextureWidth = 2048;
  uint32_t maxTextureHeight = 2048;
  uint32_t renderDepths = kDepthFlag16 | kDepthFlag32;
  std::vector<SurfacePixelFormat> textureFormats;
  std::vector<uint32_t> zBufferDepths;  // bit counts, in offer order
};

struct MachineDevice {
  Guid id;
  std::string name;
  bool hardware = false;
  DeviceCaps caps;
  // Creating the device on a surface fails (a test hook).
  bool failCreate = false;
  // The device cannot be given a viewport (a test hook).
  bool failViewport = false;
};

struct MachineDriver {
  Guid id;  // all zero for the default driver
  std::string description;
  std::string name;
  uint32_t monitor = 0;  // 0 for the driver of the primary display
  uint32_t caps = 0;     // kDriverCapsNoHardware ...
  uint32_t caps2 = kDriverCaps2CanRenderWindowed;
  uint32_t totalVideoMemory = 64u << 20;
  uint32_t freeVideoMemory = 48u << 20;
  uint64_t driverVersion = 0x0006000E000A0001ull;
  DisplayMode desktop{1024, 768, 32, 60};  // the mode the display shows when none is set
  std::vector<DisplayMode> modes;
  std::vector<MachineDevice> devices;
  // Test hooks: the DirectDraw object cannot be made or initialised for
  // this driver; the exclusive level is refused; display modes fail unless
  // the exclusive level is held.
  bool failCreate = false;
  bool failInitialize = false;
  bool refuseExclusive = false;
  bool modesNeedExclusive = false;
  // Surfaces beyond this many fail to be created (-1: no limit).
  int surfaceBudget = -1;
};

struct DisplayMachine {
  // Absent on a machine where the drawing library cannot be loaded at all.
  bool libraryPresent = true;
  std::vector<MachineDriver> drivers;
};

// The machine that the display layer enumerates. Unless a test installed
// one, it is built from the current back end on first use.
const DisplayMachine& CurrentDisplayMachine();
// Installs a machine (copied); nullptr goes back to the back end's.
void SetDisplayMachine(const DisplayMachine* machine);
// Looks a driver up by identifier (null or all zero: the default driver).
const MachineDriver* FindMachineDriver(const Guid* id);

// The software device set every machine offers: hardware, transform and
// lighting hardware (when `tnl`), the software and the reference rasteriser.
std::vector<MachineDevice> StandardDevices(bool tnl);
// A mode list of the common sizes at 16 and 32 bits, each at 60 Hz when
// `with60Hz`, else at 75 Hz, plus the desktop mode given.
std::vector<DisplayMode> StandardModes(const DisplayMode& desktop, bool with60Hz);
// One driver per monitor of the back end: the default driver drives the
// primary display, every other monitor gets a driver of its own. Each
// driver's modes are its monitor's offered ones (by monitor position),
// else the standard table.
DisplayMachine BuildMachineFromMonitors(const std::vector<MonitorDesc>& monitors, const DisplayMode& desktop,
                                        const std::vector<std::vector<DisplayMode>>& offered = {});

// Fake machines for tests.
DisplayMachine FakeSingleDisplayMachine(bool with60Hz);
DisplayMachine FakeNoHardwareMachine();
DisplayMachine FakeSecondaryAdapterMachine();

class ScopedDisplayMachine {
 public:
  explicit ScopedDisplayMachine(const DisplayMachine& machine) { SetDisplayMachine(&machine); }
  ~ScopedDisplayMachine() { SetDisplayMachine(nullptr); }
  ScopedDisplayMachine(const ScopedDisplayMachine&) = delete;
  ScopedDisplayMachine& operator=(const ScopedDisplayMachine&) = delete;
};

}  // namespace orrivel::platform
