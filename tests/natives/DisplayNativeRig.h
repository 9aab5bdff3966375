#pragma once
// A screen device on a fake machine, made the current display, with a
// Direct3D device on a back surface of its own, for the natives that make
// and resolve display objects; and a few ways to read what they drew.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include "base/MathTables.h"
#include "base/ScreenDevice.h"
#include "display/Direct3DBackSurface.h"
#include "display/DisplayScreenDevice.h"
#include "display/SurfaceImage.h"
#include "platform/DisplayMachine.h"
#include "raster/Surface.h"

namespace orrivel::testing {

class DisplayNativeRig : public ::testing::Test {
 protected:
  void SetUp() override {
    previousTables_ = SetMathTables(&tables_);
    machine_ = platform::FakeSingleDisplayMachine(true);
    machine_.drivers[0].desktop.depth = 32;
    scoped_.emplace(machine_);
    DisplayDevice::ResetProcessState();
    display_ = std::make_unique<DisplayScreenDevice>();
    ASSERT_EQ(display_->Create(0, 1, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 0);
    SurfaceImage::SetScreenDevice(display_.get());
    SetCurrentScreenDevice(display_.get());
    AttachDirect3DBackSurface(*display_, &back_);
  }
  void TearDown() override {
    if (display_) display_->Registry().Clear();
    SetCurrentScreenDevice(nullptr);
    SurfaceImage::SetScreenDevice(nullptr);
    display_.reset();
    back_.reset();
    scoped_.reset();
    DisplayDevice::ResetProcessState();
    SetMathTables(previousTables_);
  }

  DisplayScreenDevice& Display() { return *display_; }

  // The pixel of a memory picture as 0x00RRGGBB.
  static uint32_t PixelAt(Surface* surface, int32_t x, int32_t y) {
    const uint8_t* row = surface->GetScanLine(y);
    uint32_t value = 0;
    std::memcpy(&value, row + 4 * x, 4);
    return value & 0x00FFFFFFu;
  }

  MathTables tables_;
  MathTables* previousTables_ = nullptr;
  platform::DisplayMachine machine_;
  std::optional<platform::ScopedDisplayMachine> scoped_;
  std::unique_ptr<DisplayScreenDevice> display_;
  std::unique_ptr<platform::SoftSurface> back_;
};

}  // namespace orrivel::testing
