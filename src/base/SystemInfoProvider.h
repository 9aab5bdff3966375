#pragma once
// Where the start-up report and the information dialog's text get their
// facts: the machine, the monitors, the processor and its clock, the input
// and display devices, the drives, the other programs' windows and the
// running processes. The machine's own provider reads them from the
// platform and the running application; tests install a fake one.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/MonitorList.h"
#include "base/ProcessorInfo.h"
#include "platform/Display.h"
#include "platform/FileSystem.h"

namespace orrivel {

// All texts are CP932.
struct MachineFacts {
  std::string osName;     // "Linux"
  std::string osVersion;  // the kernel release
  std::string language;
  uint64_t totalMemory = 0;  // bytes
  uint64_t availableMemory = 0;
  uint64_t pageFileTotal = 0;  // bytes of swap
  uint64_t pageFileAvailable = 0;
  // The graphics-library version as (a << 16 | b) and (c << 16 | d) of its
  // dotted text a.b.c.d; both 0 when there is none.
  uint32_t directXVersion[2] = {0, 0};
  // The system offers what the start-up code asks of the NT family (a
  // refresh rate to read, 64-bit disk sizes, low-level keyboard hooks
  // where the window system has them). Every Linux system does.
  bool ntFamily = true;
  std::string programPath;
  std::string baseFolder;
  std::string systemFolder;  // the folder of the system's own programs
  uint32_t processorCount = 0;
  // The desktop, as the system metrics give it.
  int32_t screenWidth = 0;
  int32_t screenHeight = 0;
  uint8_t screenDepth = 0;
  uint16_t screenRefresh = 0;
};

struct JoystickFacts {
  uint32_t number = 0;
  std::string name;
  uint32_t axes = 0;
  uint32_t buttons = 0;
};

struct InputFacts {
  uint8_t method = 2;  // 0 device input, 1 system calls, 2 window messages
  uint32_t keyboardKeys = 0;
  uint32_t mouseAxes = 0;
  uint32_t mouseButtons = 0;
  std::optional<JoystickFacts> joystick;  // the first joystick
};

// Bits of DisplayFacts::textureFormats, in the order the texts list them.
enum TextureFormatBit : uint8_t {
  kTexture555 = 1 << 0,
  kTexture565 = 1 << 1,
  kTexture1555 = 1 << 2,
  kTexture4444 = 1 << 3,
  kTexture888 = 1 << 4,
  kTextureX888 = 1 << 5,
  kTexture8888 = 1 << 6,
};

struct DisplayFacts {
  bool initialised = false;  // a screen device exists
  bool fullScreen = false;
  std::string monitorName;  // empty when unknown
  int32_t width = 0;
  int32_t height = 0;
  uint8_t depth = 0;
  // 0 drawn by the window system, 1 a back surface, 2 a screen texture.
  uint8_t presentMethod = 0;

  // The surface block (present method 1 or 2).
  std::string driverName;
  std::string driverFile;
  std::array<uint16_t, 4> driverVersion{};
  std::string presentationMode;
  bool halStretch = false;
  bool videoMemoryKnown = false;
  bool videoFreeKnown = false;
  uint64_t videoMemoryTotal = 0;
  uint64_t videoMemoryFree = 0;
  bool primaryInVram = false;
  uint32_t primaryCaps = 0;
  bool secondaryInVram = false;
  uint32_t secondaryCaps = 0;
  uint8_t pixelBits = 0;
  uint16_t pixelType = 0;
  uint8_t redBits = 0, greenBits = 0, blueBits = 0;
  uint32_t redMask = 0, greenMask = 0, blueMask = 0;
  bool vsync = false;
  bool flip = false;

  // The 3D device block.
  bool direct3D = false;
  std::string direct3DMode;
  std::string deviceName;
  uint8_t zBufferBits = 0;
  uint8_t textureFormats = 0;  // TextureFormatBit
  uint32_t maxTextureStages = 0;
  uint32_t minTextureWidth = 0, minTextureHeight = 0;
  uint32_t maxTextureWidth = 0, maxTextureHeight = 0;
  bool alphaBlending = false;
  bool drawPrimitiveVertex = false;
  bool gouraudAlpha = false;
  bool alphaTest = false;
  bool zBufferLessHsr = false;
  uint32_t textureCaps = 0, textureOpCaps = 0, srcBlendCaps = 0, destBlendCaps = 0;
  uint8_t textureLimitation = 0;  // 0 powers of two, 1 none, 2 squares only

  // The screen texture (present method 2).
  int32_t textureWidth = 0;
  int32_t textureHeight = 0;
  uint16_t textureType = 0;
  bool directBlt = false;
};

struct DriveFacts {
  std::string root;  // CP932
  platform::DriveKind kind = platform::DriveKind::Unknown;
  bool spaceKnown = false;
  uint64_t freeMb = 0;
  uint64_t totalMb = 0;
  bool holdsSystemFolder = false;
};

class InputManager;

// The facts of the manager's devices: the method they were made with, the
// keyboard's key count, the mouse's axis and button counts and the first
// joystick (none when no joystick was opened).
InputFacts InputFactsOf(const InputManager& input);

class SystemInfoProvider {
 public:
  virtual ~SystemInfoProvider() = default;
  virtual platform::LocalTime Now() = 0;
  virtual MachineFacts Machine() = 0;
  virtual std::vector<MonitorRecord> Monitors() = 0;
  virtual const ProcessorInfo& Processor() = 0;
  // Truncated MHz; 0 when unknown. May take a moment the first time.
  virtual uint32_t CpuClockMhz() = 0;
  virtual InputFacts Input() = 0;
  virtual DisplayFacts Display() = 0;
  virtual std::vector<DriveFacts> Drives() = 0;
  // Titles of the visible top-level windows without owner; nullopt when
  // they cannot be listed.
  virtual std::optional<std::vector<std::string>> WindowTitles() = 0;
  // Executable names (full paths when asked); nullopt when no snapshot.
  virtual std::optional<std::vector<std::string>> Processes(bool fullPaths) = 0;
};

// The provider in use: the installed one, else the machine's own.
SystemInfoProvider& CurrentSystemInfoProvider();
// Installs a provider (not owned); nullptr returns to the machine's own.
// Returns the previous one.
SystemInfoProvider* SetSystemInfoProvider(SystemInfoProvider* provider);

class ScopedSystemInfoProvider {
 public:
  explicit ScopedSystemInfoProvider(SystemInfoProvider& provider) : previous_(SetSystemInfoProvider(&provider)) {}
  ~ScopedSystemInfoProvider() { SetSystemInfoProvider(previous_); }
  ScopedSystemInfoProvider(const ScopedSystemInfoProvider&) = delete;
  ScopedSystemInfoProvider& operator=(const ScopedSystemInfoProvider&) = delete;

 private:
  SystemInfoProvider* previous_;
};

}  // namespace orrivel
