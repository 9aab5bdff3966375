#include "platform/DisplayMachine.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/Backend.h"
#include "platform/DisplayModeSwitch.h"

namespace orrivel::platform {

bool Guid::IsNull() const {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

Guid MakeGuid(uint32_t a, uint16_t b, uint16_t c, uint64_t d) {
  Guid g;
  for (int i = 0; i < 4; ++i) g.bytes[i] = uint8_t(a >> (8 * i));
  for (int i = 0; i < 2; ++i) g.bytes[4 + i] = uint8_t(b >> (8 * i));
  for (int i = 0; i < 2; ++i) g.bytes[6 + i] = uint8_t(c >> (8 * i));
  for (int i = 0; i < 8; ++i) g.bytes[8 + i] = uint8_t(d >> (56 - 8 * i));
  return g;
}

// Our own identifiers; only their distinctness matters.
const Guid kDeviceTnlHal = MakeGuid(0x4F524931, 0x0001, 0x0D3D, 0x5452414E534C4954ull);
const Guid kDeviceHal = MakeGuid(0x4F524931, 0x0002, 0x0D3D, 0x48415244574152ull);
const Guid kDeviceSoftware = MakeGuid(0x4F524931, 0x0003, 0x0D3D, 0x534F4654574152ull);
const Guid kDeviceReference = MakeGuid(0x4F524931, 0x0004, 0x0D3D, 0x5245464552454eull);

uint32_t DepthFlagForBits(uint32_t bits) {
  switch (bits) {
    case 8:
      return kDepthFlag8;
    case 16:
      return kDepthFlag16;
    case 24:
      return kDepthFlag24;
    case 32:
      return kDepthFlag32;
    default:
      return 0;
  }
}

namespace {

std::mutex& MachineMutex() {
  static std::mutex m;
  return m;
}
std::unique_ptr<DisplayMachine>& InstalledMachine() {
  static std::unique_ptr<DisplayMachine> machine;
  return machine;
}

// Every texture layout the software rasteriser samples.
std::vector<SurfacePixelFormat> AllTextureFormats() {
  return {DescribeSurfaceFormat(SurfaceFormat::X1R5G5B5), DescribeSurfaceFormat(SurfaceFormat::R5G6B5),
          DescribeSurfaceFormat(SurfaceFormat::X8R8G8B8), DescribeSurfaceFormat(SurfaceFormat::A1R5G5B5),
          DescribeSurfaceFormat(SurfaceFormat::A4R4G4B4), DescribeSurfaceFormat(SurfaceFormat::A8R8G8B8)};
}

MachineDevice MakeDevice(const Guid& id, const char* name, bool hardware) {
  MachineDevice d;
  d.id = id;
  d.name = name;
  d.hardware = hardware;
  if (hardware) d.caps.devCaps |= kDevCapsHwRasterization;
  d.caps.textureFormats = AllTextureFormats();
  d.caps.zBufferDepths = {16, 24, 32};
  return d;
}

MachineDriver PrimaryDriver(const DisplayMode& desktop, bool with60Hz) {
  MachineDriver d;
  d.description = "Primary Display Driver";
  d.name = "display";
  d.desktop = desktop;
  d.modes = StandardModes(desktop, with60Hz);
  d.devices = StandardDevices(true);
  return d;
}

}  // namespace

std::vector<MachineDevice> StandardDevices(bool tnl) {
  std::vector<MachineDevice> devices;
  devices.push_back(MakeDevice(kDeviceReference, "Reference Rasterizer", false));
  devices.push_back(MakeDevice(kDeviceSoftware, "Software Rasterizer", false));
  devices.push_back(MakeDevice(kDeviceHal, "Hardware Accelerated Device", true));
  if (tnl) devices.push_back(MakeDevice(kDeviceTnlHal, "Hardware T&L Device", true));
  return devices;
}

namespace {

// The list with the desktop's own mode in it.
std::vector<DisplayMode> WithDesktopMode(std::vector<DisplayMode> modes, const DisplayMode& desktop) {
  const bool listed = std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& m) {
    return m.width == desktop.width && m.height == desktop.height && m.depth == desktop.depth &&
           m.refresh == desktop.refresh;
  });
  if (!listed && desktop.width > 0 && desktop.height > 0 && desktop.depth != 0) modes.push_back(desktop);
  return modes;
}

// The monitor's own modes where its display lists them, else the table.
// The table's sizes that a larger offered mode can show (centred, as the
// mode switch does) stay too, so a game of a common size the display does
// not offer still goes full screen.
std::vector<DisplayMode> ModesOf(const std::vector<std::vector<DisplayMode>>& offered, size_t monitor,
                                 const DisplayMode& desktop, bool with60Hz) {
  if (monitor >= offered.size() || offered[monitor].empty()) return StandardModes(desktop, with60Hz);
  std::vector<DisplayMode> modes = WithDesktopMode(offered[monitor], desktop);
  const auto listed = [&](const DisplayMode& mode) {
    return std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& m) {
      return m.width == mode.width && m.height == mode.height && m.depth == mode.depth;
    });
  };
  for (const DisplayMode& common : StandardModes(desktop, with60Hz)) {
    if (!listed(common) && ChooseFullScreenMode(offered[monitor], common.width, common.height, 0)) {
      modes.push_back(common);
    }
  }
  return modes;
}

size_t PrimaryMonitor(const std::vector<MonitorDesc>& monitors) {
  for (size_t i = 0; i < monitors.size(); ++i) {
    if (monitors[i].isPrimary) return i;
  }
  return 0;
}

}  // namespace

std::vector<DisplayMode> StandardModes(const DisplayMode& desktop, bool with60Hz) {
  static const int32_t kSizes[][2] = {{640, 480},  {800, 600},   {1024, 768}, {1280, 720},
                                      {1280, 800}, {1280, 1024}, {1920, 1080}};
  const uint16_t refresh = with60Hz ? 60 : 75;
  std::vector<DisplayMode> modes;
  for (const auto& s : kSizes) {
    for (uint8_t depth : {uint8_t(16), uint8_t(32)}) modes.push_back({s[0], s[1], depth, refresh});
  }
  return WithDesktopMode(std::move(modes), desktop);
}

DisplayMachine BuildMachineFromMonitors(const std::vector<MonitorDesc>& monitors, const DisplayMode& desktop,
                                        const std::vector<std::vector<DisplayMode>>& offered) {
  DisplayMachine machine;
  const bool with60Hz = desktop.refresh == 60 || desktop.refresh == 0;
  machine.drivers.push_back(PrimaryDriver(desktop, with60Hz));
  machine.drivers.back().modes = ModesOf(offered, PrimaryMonitor(monitors), desktop, with60Hz);
  if (monitors.size() < 2) return machine;
  for (size_t i = 0; i < monitors.size(); ++i) {
    const MonitorDesc& m = monitors[i];
    MachineDriver d;
    d.id = MakeGuid(0x4F524932, uint16_t(i + 1), 0x0DDD, 0x4D4F4E49544F52ull);
    d.description = m.description.empty() ? m.deviceName : m.description;
    d.name = m.deviceName;
    d.monitor = uint32_t(i + 1);  // handles are list positions + 1
    const DisplayMode own{m.bounds.Width(), m.bounds.Height(), m.depth ? m.depth : uint8_t(32), m.refresh};
    d.desktop = own;
    d.modes = ModesOf(offered, i, own, m.refresh == 60 || m.refresh == 0);
    d.devices = StandardDevices(true);
    machine.drivers.push_back(std::move(d));
  }
  return machine;
}

const DisplayMachine& CurrentDisplayMachine() {
  std::lock_guard<std::mutex> lock(MachineMutex());
  auto& installed = InstalledMachine();
  if (!installed) {
    Backend& backend = CurrentBackend();
    std::vector<MonitorDesc> monitors;
    if (!backend.EnumerateMonitors(monitors)) monitors.clear();
    // The display's own lists where it can change modes; the table stands
    // in for the others (the headless back end).
    std::vector<std::vector<DisplayMode>> offered;
    if (DisplayModeSwitch* modeSwitch = CurrentDisplayModeSwitch()) {
      for (size_t i = 0; i < std::max<size_t>(monitors.size(), 1); ++i) offered.push_back(modeSwitch->MonitorModes(i));
    }
    installed = std::make_unique<DisplayMachine>(BuildMachineFromMonitors(monitors, backend.DesktopMode(), offered));
  }
  return *installed;
}

void SetDisplayMachine(const DisplayMachine* machine) {
  std::lock_guard<std::mutex> lock(MachineMutex());
  InstalledMachine() = machine ? std::make_unique<DisplayMachine>(*machine) : nullptr;
}

const MachineDriver* FindMachineDriver(const Guid* id) {
  const DisplayMachine& machine = CurrentDisplayMachine();
  for (const MachineDriver& d : machine.drivers) {
    if (id == nullptr || id->IsNull() ? d.id.IsNull() : d.id == *id) return &d;
  }
  return nullptr;
}

DisplayMachine FakeSingleDisplayMachine(bool with60Hz) {
  DisplayMachine machine;
  machine.drivers.push_back(PrimaryDriver({1280, 800, 32, uint16_t(with60Hz ? 60 : 75)}, with60Hz));
  return machine;
}

DisplayMachine FakeNoHardwareMachine() {
  DisplayMachine machine;
  MachineDriver d = PrimaryDriver({1024, 768, 32, 60}, true);
  d.caps |= kDriverCapsNoHardware;
  d.totalVideoMemory = d.freeVideoMemory = 0;
  d.devices = {MakeDevice(kDeviceReference, "Reference Rasterizer", false),
               MakeDevice(kDeviceSoftware, "Software Rasterizer", false)};
  machine.drivers.push_back(std::move(d));
  return machine;
}

DisplayMachine FakeSecondaryAdapterMachine() {
  DisplayMachine machine;
  // The primary display's adapter has no 3-D hardware of its own.
  MachineDriver primary = PrimaryDriver({1024, 768, 16, 60}, true);
  primary.devices = {MakeDevice(kDeviceReference, "Reference Rasterizer", false),
                     MakeDevice(kDeviceSoftware, "Software Rasterizer", false)};
  machine.drivers.push_back(std::move(primary));
  // A full-screen-only accelerator beside it.
  MachineDriver add;
  add.id = MakeGuid(0x4F524933, 0x0001, 0x0ADD, 0x414444454E44554dull);
  add.description = "Add-on 3D Accelerator";
  add.name = "addon3d";
  add.caps2 = 0;
  add.desktop = {640, 480, 16, 60};
  add.modes = StandardModes(add.desktop, true);
  add.devices = {MakeDevice(kDeviceHal, "Add-on HAL", true)};
  machine.drivers.push_back(std::move(add));
  return machine;
}

}  // namespace orrivel::platform
