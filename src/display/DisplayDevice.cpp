#include "display/DisplayDevice.h"

#include <mutex>

#include "base/ComThread.h"

namespace orrivel {

using platform::Guid;
using platform::SoftDirectDraw;

uint8_t DepthMaskBit(uint32_t bits) {
  switch (bits) {
    case 8:
      return kDepthMask8;
    case 16:
      return kDepthMask16;
    case 24:
      return kDepthMask24;
    case 32:
      return kDepthMask32;
    default:
      return 0;
  }
}

uint8_t DepthMaskFromMonitorMask(uint32_t monitorMask) { return uint8_t((monitorMask >> 8) & 0x0F); }

namespace {

struct ProcessState {
  std::vector<DriverRecord> drivers;
  bool needsExclusive = false;
  Guid primaryDriver;
};

ProcessState& State() {
  static ProcessState state;
  return state;
}

DriverRecord ListDriver(const platform::MachineDriver& d, bool emulation, bool modeList,
                        bool* usable) {
  DriverRecord record;
  *usable = false;
  if (d.failCreate) return record;
  SoftDirectDraw ddraw;
  if (ddraw.Initialize(d.id.IsNull() ? nullptr : &d.id, emulation) != platform::kDdOk) return record;
  // Emulation initialises the default driver; the record keeps this driver's name.
  record.id = d.id;
  record.description = d.description;
  record.name = d.name;
  record.monitor = d.monitor;
  uint32_t caps = 0;
  ddraw.GetCaps(&caps, nullptr, nullptr);
  record.hardwareCaps = caps;
  record.emulationCaps = caps | platform::kDriverCapsNoHardware;
  record.windowed = (d.caps2 & platform::kDriverCaps2CanRenderWindowed) != 0 && d.monitor == 0 ? 1 : 0;
  if (modeList) record.modes = ddraw.EnumDisplayModes();
  for (const platform::MachineDevice& dev : ddraw.EnumDevices()) {
    record.devices.push_back({dev.id, dev.caps, dev.name,
                              uint8_t((dev.caps.devCaps & platform::kDevCapsHwRasterization) ? 1 : 0)});
  }
  *usable = true;
  return record;
}

}  // namespace

int DisplayDevice::EnumerateDrivers(uint8_t emulation, uint8_t modeList) {
  FreeDrivers();
  const platform::DisplayMachine& machine = platform::CurrentDisplayMachine();
  if (!machine.libraryPresent) return 1;
  for (const platform::MachineDriver& d : machine.drivers) {
    bool usable = false;
    DriverRecord record = ListDriver(d, emulation != 0, modeList != 0, &usable);
    if (usable) State().drivers.push_back(std::move(record));
  }
  return State().drivers.empty() ? -1 : 0;
}

const std::vector<DriverRecord>& DisplayDevice::Drivers() { return State().drivers; }
void DisplayDevice::FreeDrivers() { State().drivers.clear(); }
bool DisplayDevice::NeedsExclusive() { return State().needsExclusive; }
Guid DisplayDevice::PrimaryDriverId() { return State().primaryDriver; }
void DisplayDevice::SetPrimaryDriverId(const Guid& id) { State().primaryDriver = id; }

void DisplayDevice::ResetProcessState() { State() = ProcessState{}; }

bool DisplayDevice::ChooseDriverAndDevice(bool secondaryAdapter, DriverChoice* out) {
  const auto& drivers = State().drivers;
  if (out == nullptr || drivers.empty()) return false;
  struct Candidate {
    const DriverRecord* driver = nullptr;
    const DriverDeviceEntry* device = nullptr;
  };
  Candidate tnl, hal, software, reference;
  uint8_t windowed = 1;
  // An adapter that cannot draw in a window (a full-screen accelerator
  // beside the primary display) offers its hardware devices first.
  if (secondaryAdapter) {
    for (const DriverRecord& d : drivers) {
      if (d.windowed != 0) continue;
      for (const DriverDeviceEntry& dev : d.devices) {
        if (dev.hardware) {
          hal = {&d, &dev};
          windowed = 0;
        }
      }
    }
  }
  for (const DriverRecord& d : drivers) {
    if (d.windowed != 1) continue;
    for (const DriverDeviceEntry& dev : d.devices) {
      if (dev.hardware) {
        if (dev.id == platform::kDeviceTnlHal) {
          tnl = {&d, &dev};
        } else {
          hal = {&d, &dev};
          windowed = 1;
        }
      } else if (dev.id == platform::kDeviceReference) {
        reference = {&d, &dev};
      } else {
        software = {&d, &dev};
      }
    }
  }
  Candidate chosen;
  uint8_t deviceClass = 0;
  if (tnl.device) {
    chosen = tnl;
    deviceClass = 2;
  } else if (hal.device) {
    chosen = hal;
    deviceClass = 1;
  } else if (software.device) {
    chosen = software;
  } else if (reference.device) {
    chosen = reference;
  } else {
    return false;
  }
  out->driver = chosen.driver->id;
  out->device = chosen.device->id;
  out->renderDepths = chosen.device->desc.renderDepths;
  out->deviceClass = deviceClass;
  out->windowed = windowed;
  return true;
}

DisplayDevice::DisplayDevice() { comInitialised_ = ComInitThread() == 0 ? 1 : 0; }

DisplayDevice::~DisplayDevice() {
  Release();
  if (comInitialised_) ComUninitThread();
}

void DisplayDevice::TakeChoice(const DriverChoice& choice) {
  driverId_ = choice.driver;
  hasDriverId_ = !choice.driver.IsNull();
  deviceId_ = choice.device;
  hasDeviceId_ = true;
  renderDepths_ = choice.renderDepths;
  deviceClass_ = choice.deviceClass;
  windowed_ = choice.windowed;
}

int DisplayDevice::Create(uint8_t emulation, uint8_t direct3d, const Guid* driver, const Guid* device,
                          uint32_t renderDepths, uint8_t windowed, int32_t modeWidth,
                          int32_t modeHeight, uint8_t modeListOption, uint8_t keepIdentifiers,
                          uint8_t secondaryAdapter) {
  Release();
  if (!comInitialised_) return 1;
  if (keepIdentifiers) modeListOption = 0;

  bool chosenFromList = false;
  if (direct3d && driver != nullptr && device != nullptr && keepIdentifiers) {
    driverId_ = *driver;
    hasDriverId_ = !driver->IsNull();
    deviceId_ = *device;
    hasDeviceId_ = true;
    renderDepths_ = renderDepths;
    windowed_ = windowed;
    deviceClass_ = *device == platform::kDeviceTnlHal ? 2 : *device == platform::kDeviceHal ? 1 : 0;
  } else if (direct3d) {
    EnumerateDrivers(emulation, modeListOption);
    DriverChoice choice;
    const bool found = ChooseDriverAndDevice(secondaryAdapter != 0, &choice);
    if (keepIdentifiers) FreeDrivers();
    if (!found) return 2;
    TakeChoice(choice);
    chosenFromList = true;
  } else {
    hasDriverId_ = driver != nullptr && !driver->IsNull();
    if (hasDriverId_) driverId_ = *driver;
    hasDeviceId_ = false;
  }

  const platform::MachineDriver* machineDriver = platform::FindMachineDriver(DriverId());
  if (machineDriver != nullptr && machineDriver->failCreate) return 3;
  if (!platform::CurrentDisplayMachine().libraryPresent) return 3;
  auto ddraw = std::make_unique<SoftDirectDraw>();
  if (ddraw->Initialize(emulation ? nullptr : DriverId(), emulation != 0) != platform::kDdOk) {
    if (!direct3d || chosenFromList) return 4;
    // The given driver is gone (an adapter removed since the list was
    // made): choose again from a fresh list.
    EnumerateDrivers(0, 0);
    DriverChoice choice;
    const bool found = ChooseDriverAndDevice(false, &choice);
    if (!found) return 2;
    TakeChoice(choice);
    if (ddraw->Initialize(DriverId(), false) != platform::kDdOk) return 4;
  }
  ddraw_ = std::move(ddraw);
  direct3d_ = direct3d;

  if (modeWidth != 0) {
    depthMask_ = 0;
    has60Hz_ = 0;
    for (const platform::DisplayMode& m : ddraw_->EnumDisplayModes()) {
      if (m.width != modeWidth || m.height != modeHeight) continue;
      if (m.refresh == 60) has60Hz_ = 1;
      depthMask_ |= DepthMaskBit(m.depth);
    }
    if (direct3d) depthMask_ &= uint8_t(renderDepths_ >> 8);
  }
  ddraw_->GetCaps(&driverCaps_, &totalVideoMemory_, &freeVideoMemory_);
  ddraw_->GetDeviceIdentifier(&description_, &driverName_, &driverVersion_);
  return 0;
}

int DisplayDevice::SetDisplayMode(platform::WindowId window, int32_t width, int32_t height,
                                  uint32_t depth, bool want60) {
  if (!ddraw_) return 1;
  if (displayModeState_ == 1 && displayDepth_ == depth) return 1;
  if ((depthMask_ & DepthMaskBit(depth)) == 0) return 2;
  for (;;) {
    if (State().needsExclusive && exclusiveState_ != 1) {
      if (ddraw_->SetCooperativeLevel(window, platform::kCoopExclusive | platform::kCoopFullscreen) !=
          platform::kDdOk) {
        return 3;
      }
      exclusiveState_ = 1;
    } else if (exclusiveState_ == 0) {
      ddraw_->SetCooperativeLevel(platform::kNoWindow, platform::kCoopNormal);
      exclusiveState_ = 2;
    }
    bool done = false;
    ddraw_->SetModeWindow(window);
    if (want60 && has60Hz_ && ddraw_->SetDisplayMode(width, height, depth, 60) == platform::kDdOk) {
      refresh_ = 60;
      done = true;
    }
    if (!done) {
      const int plain = ddraw_->SetDisplayMode(width, height, depth, 0);
      if (plain == platform::kDdDisplayRefused) return kDisplayRefusedMode;
      if (plain == platform::kDdOk) {
        refresh_ = 0;
        done = true;
      }
    }
    if (done) {
      displayModeState_ = 1;
      displayDepth_ = uint8_t(depth);
      return 0;
    }
    if (exclusiveState_ == 1) return 4;
    State().needsExclusive = true;
  }
}

int DisplayDevice::RestoreWindowMode(bool require) {
  if (!ddraw_) return 1;
  if (require && windowed_ == 0) return 2;
  if (exclusiveState_ != 2) {
    ddraw_->SetCooperativeLevel(platform::kNoWindow, platform::kCoopNormal);
    exclusiveState_ = 2;
  }
  if (displayModeState_ == 1) ddraw_->RestoreDisplayMode();
  displayModeState_ = 2;
  refresh_ = 0;
  return 0;
}

void DisplayDevice::Release() {
  if (ddraw_) RestoreWindowMode(false);
  ddraw_.reset();
  exclusiveState_ = 0;
}

uint32_t DisplayDevice::GetVideoMemory(bool refresh) {
  if (!refresh) return freeVideoMemory_;
  if (!ddraw_) return 0;
  ddraw_->GetCaps(nullptr, &totalVideoMemory_, &freeVideoMemory_);
  return freeVideoMemory_;
}

void DisplayDevice::SetMonitorModes(uint32_t monitorMask, uint8_t has60Hz) {
  depthMask_ = DepthMaskFromMonitorMask(monitorMask);
  has60Hz_ = has60Hz;
}

int Clipper::Attach(platform::SoftDirectDraw* ddraw, platform::SoftSurface* surface,
                    platform::WindowId window) {
  Release();
  if (ddraw == nullptr || surface == nullptr || window == platform::kNoWindow) return 1;
  surface_ = surface;
  window_ = window;
  return 0;
}

void Clipper::Release() {
  surface_ = nullptr;
  window_ = platform::kNoWindow;
}

}  // namespace orrivel
