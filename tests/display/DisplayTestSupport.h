#pragma once
// A Direct3D device on a fake machine with a back surface to draw into, and
// golden-picture comparison for what the rasteriser draws.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/D3DDevice.h"
#include "platform/DisplayMachine.h"
#include "platform/SoftSurface.h"

namespace orrivel::testing {

class DeviceRig {
 public:
  explicit DeviceRig(const platform::DisplayMachine& machine) : machine_(machine) {
    DisplayDevice::ResetProcessState();
  }
  ~DeviceRig() { DisplayDevice::ResetProcessState(); }

  // Creates the DirectDraw-style object (Direct3D chosen from the list), a
  // back surface of the size and format, and the device on it; the device
  // creation code.
  int Init(int32_t width, int32_t height, platform::SurfaceFormat format, int option = 0);

  D3DDevice device;
  std::unique_ptr<platform::SoftSurface> back;

 private:
  platform::ScopedDisplayMachine machine_;
};

// Compares the RGB of a surface with tests/display/golden/<name>.png. With
// ORRIVEL_UPDATE_GOLDEN set, or when the file is missing, writes the file
// instead (a missing file also fails).
::testing::AssertionResult MatchesGolden(const std::string& name, platform::SoftSurface& surface);

// The colour of one pixel as 0xAARRGGBB.
uint32_t ReadArgb(platform::SoftSurface& surface, int32_t x, int32_t y);

}  // namespace orrivel::testing
