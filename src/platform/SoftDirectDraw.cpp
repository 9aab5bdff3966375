#include "platform/SoftDirectDraw.h"

#include <algorithm>

#include "platform/DisplayModeSwitch.h"

namespace orrivel::platform {

SurfacePixelFormat FormatForDepth(uint32_t bits) {
  switch (bits) {
    case 8:
      return DescribeSurfaceFormat(SurfaceFormat::Indexed8);
    case 16:
      return DescribeSurfaceFormat(SurfaceFormat::R5G6B5);
    case 24:
      return DescribeSurfaceFormat(SurfaceFormat::R8G8B8);
    default:
      return DescribeSurfaceFormat(SurfaceFormat::X8R8G8B8);
  }
}

SoftDirectDraw::~SoftDirectDraw() { RestoreDisplayMode(); }

int SoftDirectDraw::Initialize(const Guid* driver, bool emulationOnly) {
  RestoreDisplayMode();
  const DisplayMachine& machine = CurrentDisplayMachine();
  if (!machine.libraryPresent) return kDdNoDriver;
  const MachineDriver* found = FindMachineDriver(emulationOnly ? nullptr : driver);
  if (found == nullptr) return kDdNoDriver;
  if (found->failInitialize) return kDdUnsupported;
  driver_ = *found;
  if (emulationOnly) {
    // Emulation: the driver without hardware, devices limited to software.
    driver_.caps |= kDriverCapsNoHardware;
    std::erase_if(driver_.devices, [](const MachineDevice& d) { return d.hardware; });
  }
  initialized_ = true;
  level_ = 0;
  modeSet_ = false;
  surfacesMade_ = 0;
  return kDdOk;
}

int SoftDirectDraw::SetCooperativeLevel(WindowId /*window*/, uint32_t flags) {
  if (!initialized_) return kDdNotInitialized;
  const bool exclusive = (flags & kCoopExclusive) != 0;
  if (exclusive && ((flags & kCoopFullscreen) == 0 || driver_.refuseExclusive)) return kDdRefused;
  if (!exclusive && (flags & kCoopNormal) == 0) return kDdInvalid;
  level_ = flags;
  return kDdOk;
}

int SoftDirectDraw::SetDisplayMode(int32_t width, int32_t height, uint32_t bits, uint32_t refresh) {
  if (!initialized_) return kDdNotInitialized;
  if (driver_.modesNeedExclusive && (level_ & kCoopExclusive) == 0) return kDdRefused;
  const auto it = std::find_if(driver_.modes.begin(), driver_.modes.end(), [&](const DisplayMode& m) {
    return m.width == width && m.height == height && m.depth == bits &&
           (refresh == 0 || m.refresh == refresh);
  });
  if (it == driver_.modes.end()) return kDdUnsupported;
  if (DisplayModeSwitch* display = CurrentDisplayModeSwitch()) {
    displaySwitched_ = false;
    if (!display->SwitchTo(modeWindow_, width, height, uint8_t(bits))) return kDdDisplayRefused;
    displaySwitched_ = true;
  }
  mode_ = *it;
  if (refresh == 0) mode_.refresh = 0;
  modeSet_ = true;
  return kDdOk;
}

int SoftDirectDraw::RestoreDisplayMode() {
  if (displaySwitched_) {
    displaySwitched_ = false;
    if (DisplayModeSwitch* display = CurrentDisplayModeSwitch()) display->Restore();
  }
  if (!initialized_) return kDdNotInitialized;
  modeSet_ = false;
  return kDdOk;
}

DisplayMode SoftDirectDraw::CurrentMode() const {
  if (const DisplayModeSwitch* display = CurrentDisplayModeSwitch(); display && display->ModeInForce()) {
    return *display->ModeInForce();
  }
  return modeSet_ ? mode_ : driver_.desktop;
}

std::vector<DisplayMode> SoftDirectDraw::EnumDisplayModes() const {
  return initialized_ ? driver_.modes : std::vector<DisplayMode>{};
}

int SoftDirectDraw::GetCaps(uint32_t* caps, uint32_t* totalVideoMemory, uint32_t* freeVideoMemory) const {
  if (!initialized_) return kDdNotInitialized;
  if (caps) *caps = driver_.caps;
  if (totalVideoMemory) *totalVideoMemory = driver_.totalVideoMemory;
  if (freeVideoMemory) *freeVideoMemory = driver_.freeVideoMemory;
  return kDdOk;
}

int SoftDirectDraw::GetDeviceIdentifier(std::string* description, std::string* name,
                                        uint64_t* version) const {
  if (!initialized_) return kDdNotInitialized;
  if (description) *description = driver_.description;
  if (name) *name = driver_.name;
  if (version) *version = driver_.driverVersion;
  return kDdOk;
}

int SoftDirectDraw::CreateSurface(const SurfaceRequest& request, std::unique_ptr<SoftSurface>* out) {
  if (out == nullptr) return kDdInvalid;
  out->reset();
  if (!initialized_) return kDdNotInitialized;
  if (driver_.surfaceBudget >= 0 && surfacesMade_ >= driver_.surfaceBudget) return kDdOutOfVideoMemory;
  const DisplayMode mode = CurrentMode();
  const bool primary = (request.caps & kSurfacePrimary) != 0;
  const int32_t width = primary ? mode.width : request.width;
  const int32_t height = primary ? mode.height : request.height;
  SurfacePixelFormat format = request.hasFormat ? request.format : FormatForDepth(mode.depth);
  if (request.caps & kSurfaceZBuffer) {
    if (!request.hasFormat || (format.flags & kPixelFlagZBuffer) == 0) return kDdInvalid;
  }
  auto surface = std::make_unique<SoftSurface>();
  int r;
  if (primary && request.backBufferCount > 0) {
    if ((request.caps & kSurfaceFlip) == 0 || (level_ & kCoopExclusive) == 0) return kDdRefused;
    r = surface->CreateFlipChain(width, height, format, request.backBufferCount);
  } else {
    r = surface->Create(width, height, format);
  }
  if (r == kSurfaceOutOfMemory) return kDdOutOfVideoMemory;
  if (r != kSurfaceOk) return kDdInvalid;
  ++surfacesMade_;
  *out = std::move(surface);
  return kDdOk;
}

std::vector<MachineDevice> SoftDirectDraw::EnumDevices() const {
  return initialized_ ? driver_.devices : std::vector<MachineDevice>{};
}

const MachineDevice* SoftDirectDraw::FindDevice(const Guid& id) const {
  for (const MachineDevice& d : driver_.devices) {
    if (d.id == id) return &d;
  }
  return nullptr;
}

int SoftDirectDraw::CreateDevice(const Guid& device, SoftSurface* target,
                                 std::unique_ptr<SoftRenderDevice>* out) {
  if (out == nullptr || target == nullptr) return kDdInvalid;
  out->reset();
  if (!initialized_) return kDdNotInitialized;
  const MachineDevice* d = FindDevice(device);
  if (d == nullptr) return kDdUnsupported;
  if (d->failCreate) return kDdUnsupported;
  SurfacePixelFormat f;
  if (target->GetPixelFormat(&f) != kSurfaceOk || f.bitCount < 16) return kDdUnsupported;
  *out = std::make_unique<SoftRenderDevice>(*d, target);
  return kDdOk;
}

int SoftDirectDraw::EnumZBufferFormats(const Guid& device, std::vector<SurfacePixelFormat>* out) const {
  if (out == nullptr) return kDdInvalid;
  out->clear();
  if (!initialized_) return kDdNotInitialized;
  const MachineDevice* d = FindDevice(device);
  if (d == nullptr) return kDdUnsupported;
  for (uint32_t bits : d->caps.zBufferDepths) out->push_back({kPixelFlagZBuffer, bits, 0, 0, 0, 0});
  return kDdOk;
}

}  // namespace orrivel::platform
