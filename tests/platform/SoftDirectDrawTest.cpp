// The DirectDraw-style object over a machine table, and the machine built
// from the window system's monitors.
#include <gtest/gtest.h>

#include "platform/SoftDirectDraw.h"

namespace orrivel::platform {
namespace {

TEST(SoftDirectDrawTest, MachineFromMonitorsHasOneDriverPerDisplay) {
  const DisplayMode desktop{1920, 1080, 32, 60};
  EXPECT_EQ(BuildMachineFromMonitors({}, desktop).drivers.size(), 1u);
  MonitorDesc a, b;
  a.bounds = {0, 0, 1920, 1080};
  a.depth = 32;
  a.refresh = 60;
  a.deviceName = "DP-1";
  a.isPrimary = true;
  b.bounds = {1920, 0, 3200, 1024};
  b.depth = 32;
  b.refresh = 75;
  b.deviceName = "HDMI-1";
  const DisplayMachine m = BuildMachineFromMonitors({a, b}, desktop);
  ASSERT_EQ(m.drivers.size(), 3u);
  EXPECT_TRUE(m.drivers[0].id.IsNull());
  EXPECT_EQ(m.drivers[0].monitor, 0u);
  EXPECT_EQ(m.drivers[2].monitor, 2u);
  EXPECT_EQ(m.drivers[2].name, "HDMI-1");
  EXPECT_FALSE(m.drivers[1].id == m.drivers[2].id);
  // The second display runs at 75 Hz: none of its modes is a 60 Hz one,
  // and its own size is among them.
  bool has60 = false, hasOwn = false;
  for (const DisplayMode& mode : m.drivers[2].modes) {
    has60 |= mode.refresh == 60;
    hasOwn |= mode.width == 1280 && mode.height == 1024;
  }
  EXPECT_FALSE(has60);
  EXPECT_TRUE(hasOwn);
}

TEST(SoftDirectDrawTest, SurfacesLevelsAndDevices) {
  DisplayMachine m = FakeSingleDisplayMachine(true);
  m.drivers[0].surfaceBudget = 3;
  ScopedDisplayMachine machine(m);
  SoftDirectDraw dd;
  std::unique_ptr<SoftSurface> s;
  SurfaceRequest primary;
  primary.caps = kSurfacePrimary;
  EXPECT_EQ(dd.CreateSurface(primary, &s), kDdNotInitialized);
  ASSERT_EQ(dd.Initialize(nullptr, false), kDdOk);
  // The primary takes the display's size and depth.
  ASSERT_EQ(dd.CreateSurface(primary, &s), kDdOk);
  EXPECT_EQ(s->Width(), 1280);
  // A flipping primary needs the exclusive level.
  SurfaceRequest flipping = primary;
  flipping.caps |= kSurfaceFlip;
  flipping.backBufferCount = 2;
  EXPECT_EQ(dd.CreateSurface(flipping, &s), kDdRefused);
  EXPECT_EQ(dd.SetCooperativeLevel(1, kCoopExclusive), kDdRefused);  // exclusive is full screen
  ASSERT_EQ(dd.SetCooperativeLevel(1, kCoopExclusive | kCoopFullscreen), kDdOk);
  ASSERT_EQ(dd.SetDisplayMode(640, 480, 16, 60), kDdOk);
  ASSERT_EQ(dd.CreateSurface(flipping, &s), kDdOk);
  EXPECT_EQ(s->Width(), 640);
  EXPECT_EQ(s->BackBufferCount(), 2);
  SurfacePixelFormat f;
  s->GetPixelFormat(&f);
  EXPECT_EQ(f, DescribeSurfaceFormat(SurfaceFormat::R5G6B5));
  EXPECT_EQ(dd.SetDisplayMode(640, 480, 24, 0), kDdUnsupported);
  // A z-buffer needs a z-buffer format; the budget runs out after three.
  SurfaceRequest z;
  z.caps = kSurfaceZBuffer;
  z.width = z.height = 4;
  EXPECT_EQ(dd.CreateSurface(z, &s), kDdInvalid);
  std::vector<SurfacePixelFormat> formats;
  ASSERT_EQ(dd.EnumZBufferFormats(kDeviceHal, &formats), kDdOk);
  ASSERT_FALSE(formats.empty());
  z.hasFormat = true;
  z.format = formats[0];
  ASSERT_EQ(dd.CreateSurface(z, &s), kDdOk);
  EXPECT_EQ(dd.CreateSurface(z, &s), kDdOutOfVideoMemory);
  // Devices render into 16- and 32-bit surfaces only.
  SoftSurface indexed, rgb;
  indexed.Create(4, 4, SurfaceFormat::Indexed8);
  rgb.Create(4, 4, SurfaceFormat::X8R8G8B8);
  std::unique_ptr<SoftRenderDevice> device;
  EXPECT_EQ(dd.CreateDevice(kDeviceHal, &indexed, &device), kDdUnsupported);
  EXPECT_EQ(dd.CreateDevice(MakeGuid(9, 9, 9, 9), &rgb, &device), kDdUnsupported);
  EXPECT_EQ(dd.CreateDevice(kDeviceHal, &rgb, &device), kDdOk);
  EXPECT_NE(device, nullptr);
  // Emulation keeps only the software devices.
  ASSERT_EQ(dd.Initialize(nullptr, true), kDdOk);
  for (const MachineDevice& d : dd.EnumDevices()) EXPECT_FALSE(d.hardware);
}

}  // namespace
}  // namespace orrivel::platform
