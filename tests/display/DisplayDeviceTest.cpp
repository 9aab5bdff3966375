// Driver enumeration, the driver-and-device choice, the cooperative level
// and display modes of the DirectDraw-style display device, on fake machines.
#include <gtest/gtest.h>

#include "display/DisplayDevice.h"
#include "platform/DisplayMachine.h"

namespace orrivel {
namespace {

using namespace platform;

class DisplayDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { DisplayDevice::ResetProcessState(); }
  void TearDown() override {
    DisplayDevice::ResetProcessState();
    SetDisplayMachine(nullptr);
  }
};

// The single display with only the devices whose identifiers are given.
DisplayMachine MachineWith(std::initializer_list<Guid> keep) {
  DisplayMachine m = FakeSingleDisplayMachine(true);
  std::erase_if(m.drivers[0].devices, [&](const MachineDevice& d) {
    return std::find(keep.begin(), keep.end(), d.id) == keep.end();
  });
  return m;
}

TEST_F(DisplayDeviceTest, ChoiceOrdersTnlThenHardwareThenSoftwareThenReference) {
  struct Case {
    DisplayMachine machine;
    Guid device;
    uint8_t deviceClass;
  };
  const Case cases[] = {
      {FakeSingleDisplayMachine(true), kDeviceTnlHal, 2},
      {MachineWith({kDeviceHal, kDeviceSoftware, kDeviceReference}), kDeviceHal, 1},
      {MachineWith({kDeviceReference, kDeviceSoftware}), kDeviceSoftware, 0},
      {MachineWith({kDeviceReference}), kDeviceReference, 0},
      {FakeNoHardwareMachine(), kDeviceSoftware, 0},
  };
  for (const Case& c : cases) {
    ScopedDisplayMachine machine(c.machine);
    ASSERT_EQ(DisplayDevice::EnumerateDrivers(0, 0), 0);
    DriverChoice choice;
    ASSERT_TRUE(DisplayDevice::ChooseDriverAndDevice(false, &choice));
    EXPECT_EQ(choice.device, c.device);
    EXPECT_EQ(choice.deviceClass, c.deviceClass);
    EXPECT_EQ(choice.windowed, 1);
    // Create with Direct3D chooses the same and records it.
    DisplayDevice device;
    ASSERT_EQ(device.Create(0, 1, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 0);
    ASSERT_NE(device.DeviceId(), nullptr);
    EXPECT_EQ(*device.DeviceId(), c.device);
    EXPECT_EQ(device.DeviceClass(), c.deviceClass);
    EXPECT_TRUE(DisplayDevice::Drivers().empty());  // freed again with keep-identifiers
  }
  ScopedDisplayMachine none(MachineWith({}));
  DisplayDevice device;
  EXPECT_EQ(device.Create(0, 1, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 2);
}

TEST_F(DisplayDeviceTest, SecondaryAdapterIsPreferredOnlyWhenAskedFor) {
  ScopedDisplayMachine machine(FakeSecondaryAdapterMachine());
  ASSERT_EQ(DisplayDevice::EnumerateDrivers(0, 1), 0);
  ASSERT_EQ(DisplayDevice::Drivers().size(), 2u);
  EXPECT_EQ(DisplayDevice::Drivers()[0].windowed, 1);
  EXPECT_EQ(DisplayDevice::Drivers()[1].windowed, 0);
  EXPECT_FALSE(DisplayDevice::Drivers()[1].modes.empty());
  DriverChoice choice;
  ASSERT_TRUE(DisplayDevice::ChooseDriverAndDevice(true, &choice));
  EXPECT_EQ(choice.driver, DisplayDevice::Drivers()[1].id);
  EXPECT_EQ(choice.device, kDeviceHal);
  EXPECT_EQ(choice.deviceClass, 1);
  EXPECT_EQ(choice.windowed, 0);
  ASSERT_TRUE(DisplayDevice::ChooseDriverAndDevice(false, &choice));
  EXPECT_TRUE(choice.driver.IsNull());
  EXPECT_EQ(choice.device, kDeviceSoftware);
  EXPECT_EQ(choice.windowed, 1);
  // The device of the add-on cannot draw in a window.
  DisplayDevice device;
  ASSERT_EQ(device.Create(0, 1, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 1), 0);
  EXPECT_EQ(device.Windowed(), 0);
  EXPECT_EQ(device.DriverDescription(), "Add-on 3D Accelerator");
  EXPECT_EQ(device.RestoreWindowMode(true), 2);
  EXPECT_EQ(device.RestoreWindowMode(false), 0);
}

TEST_F(DisplayDeviceTest, EnumerationSkipsBrokenDriversAndReportsAMissingLibrary) {
  DisplayMachine m = FakeSecondaryAdapterMachine();
  m.drivers[1].failCreate = true;
  {
    ScopedDisplayMachine machine(m);
    EXPECT_EQ(DisplayDevice::EnumerateDrivers(0, 0), 0);
    EXPECT_EQ(DisplayDevice::Drivers().size(), 1u);
    EXPECT_TRUE(DisplayDevice::Drivers()[0].modes.empty());  // modes only when asked for
  }
  m.drivers[0].failInitialize = true;
  {
    ScopedDisplayMachine machine(m);
    EXPECT_EQ(DisplayDevice::EnumerateDrivers(0, 0), -1);
  }
  m.libraryPresent = false;
  {
    ScopedDisplayMachine machine(m);
    EXPECT_EQ(DisplayDevice::EnumerateDrivers(0, 0), 1);
    DisplayDevice device;
    EXPECT_EQ(device.Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 3);
  }
  // Emulation lists only software devices.
  ScopedDisplayMachine machine(FakeSingleDisplayMachine(true));
  ASSERT_EQ(DisplayDevice::EnumerateDrivers(1, 0), 0);
  for (const DriverDeviceEntry& d : DisplayDevice::Drivers()[0].devices) EXPECT_EQ(d.hardware, 0);
}

TEST_F(DisplayDeviceTest, CreateReadsModesCapsAndIdentity) {
  ScopedDisplayMachine machine(FakeNoHardwareMachine());
  DisplayDevice device;
  ASSERT_EQ(device.Create(0, 1, nullptr, nullptr, 0, 0, 800, 600, 0, 0, 0), 0);
  EXPECT_NE(device.DriverCaps() & kDriverCapsNoHardware, 0u);
  // 800 x 600 at 16 and 32 bits, cut to what the device renders.
  EXPECT_EQ(device.DepthMask(), kDepthMask16 | kDepthMask32);
  EXPECT_EQ(device.Has60Hz(), 1);
  EXPECT_EQ(device.DriverDescription(), "Primary Display Driver");
  EXPECT_EQ(device.GetVideoMemory(true), 0u);
  EXPECT_NE(device.DriverVersion(), 0u);
  device.Release();
  EXPECT_EQ(device.DirectDraw(), nullptr);
  EXPECT_EQ(device.GetVideoMemory(true), 0u);
  EXPECT_EQ(device.SetDisplayMode(kNoWindow, 800, 600, 32, false), 1);
}

TEST_F(DisplayDeviceTest, MonitorMaskIsConvertedSoThatAFullScreenModeCanBeSet) {
  // The monitor record keeps 32 bits at bit 8 and 16 bits at bit 10.
  EXPECT_EQ(DepthMaskFromMonitorMask(kDepthFlag32), kDepthMask32);
  EXPECT_EQ(DepthMaskFromMonitorMask(kDepthFlag8 | kDepthFlag16 | kDepthFlag24 | kDepthFlag32), 0x0F);
  ScopedDisplayMachine machine(FakeSingleDisplayMachine(true));
  DisplayDevice device;
  ASSERT_EQ(device.Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 0);
  device.SetMonitorModes(kDepthFlag32 | kDepthFlag16, 1);
  EXPECT_EQ(device.SetDisplayMode(1, 800, 600, 24, true), 2);
  EXPECT_EQ(device.SetDisplayMode(1, 800, 600, 32, true), 0);
  EXPECT_EQ(device.DisplayModeState(), 1);
  EXPECT_EQ(device.DisplayDepth(), 32);
  EXPECT_EQ(device.DirectDraw()->CurrentMode().width, 800);
  EXPECT_EQ(device.SetDisplayMode(1, 800, 600, 32, true), 1);  // already set
  EXPECT_EQ(device.RestoreWindowMode(false), 0);
  EXPECT_FALSE(device.DirectDraw()->DisplayModeSet());
  EXPECT_EQ(device.DisplayModeState(), 2);
}

TEST_F(DisplayDeviceTest, SixtyHertzIsPreferredWhenOfferedAndWanted) {
  struct Case {
    bool machine60;
    uint8_t monitor60;
    bool want60;
    uint32_t refresh;
  };
  const Case cases[] = {{true, 1, true, 60}, {true, 1, false, 0}, {true, 0, true, 0}, {false, 0, true, 0}};
  for (const Case& c : cases) {
    ScopedDisplayMachine machine(FakeSingleDisplayMachine(c.machine60));
    DisplayDevice device;
    ASSERT_EQ(device.Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 0);
    device.SetMonitorModes(kDepthFlag32, c.monitor60);
    ASSERT_EQ(device.SetDisplayMode(1, 1024, 768, 32, c.want60), 0);
    EXPECT_EQ(device.Refresh(), c.refresh);
    EXPECT_EQ(device.DirectDraw()->CurrentMode().refresh, c.refresh);
  }
}

TEST_F(DisplayDeviceTest, NeedForTheExclusiveLevelIsLearnedOnceAndKept) {
  DisplayMachine m = FakeSingleDisplayMachine(true);
  m.drivers[0].modesNeedExclusive = true;
  ScopedDisplayMachine machine(m);
  {
    DisplayDevice device;
    ASSERT_EQ(device.Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 0);
    device.SetMonitorModes(kDepthFlag32, 1);
    EXPECT_FALSE(DisplayDevice::NeedsExclusive());
    EXPECT_EQ(device.SetDisplayMode(1, 800, 600, 32, true), 0);
    EXPECT_TRUE(DisplayDevice::NeedsExclusive());
    EXPECT_EQ(device.ExclusiveState(), 1);
    EXPECT_NE(device.DirectDraw()->CooperativeLevel() & kCoopExclusive, 0u);
    // Under the exclusive level a mode that does not exist fails with 4.
    device.RestoreWindowMode(false);
    EXPECT_EQ(device.SetDisplayMode(1, 801, 600, 32, true), 4);
  }
  // A later device takes the exclusive level first, even where no mode
  // needs it, and a refusal is reported.
  DisplayMachine refusing = FakeSingleDisplayMachine(true);
  refusing.drivers[0].refuseExclusive = true;
  ScopedDisplayMachine second(refusing);
  DisplayDevice device;
  ASSERT_EQ(device.Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 0);
  device.SetMonitorModes(kDepthFlag32, 1);
  EXPECT_EQ(device.SetDisplayMode(1, 800, 600, 32, true), 3);
}

TEST_F(DisplayDeviceTest, AVanishedDriverIsChosenAgain) {
  ScopedDisplayMachine machine(FakeSingleDisplayMachine(true));
  const Guid gone = MakeGuid(1, 2, 3, 4);
  DisplayDevice device;
  ASSERT_EQ(device.Create(0, 1, &gone, &kDeviceHal, kDepthFlag32, 1, 0, 0, 0, 1, 0), 0);
  EXPECT_EQ(device.DriverId(), nullptr);  // the default driver
  EXPECT_EQ(*device.DeviceId(), kDeviceTnlHal);
  // Without Direct3D there is nothing to choose from.
  EXPECT_EQ(device.Create(0, 0, &gone, nullptr, 0, 0, 0, 0, 0, 1, 0), 4);
}

TEST_F(DisplayDeviceTest, ClipperNeedsAllItsParts) {
  ScopedDisplayMachine machine(FakeSingleDisplayMachine(true));
  SoftDirectDraw ddraw;
  ASSERT_EQ(ddraw.Initialize(nullptr, false), kDdOk);
  SoftSurface surface;
  Clipper clipper;
  EXPECT_EQ(clipper.Attach(nullptr, &surface, 1), 1);
  EXPECT_EQ(clipper.Attach(&ddraw, &surface, kNoWindow), 1);
  EXPECT_EQ(clipper.Attach(&ddraw, &surface, 5), 0);
  EXPECT_TRUE(clipper.IsAttached());
  clipper.Release();
  EXPECT_FALSE(clipper.IsAttached());
}

}  // namespace
}  // namespace orrivel
