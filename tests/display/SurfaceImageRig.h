#pragma once
// A screen device on a fake machine whose desktop shows a chosen depth,
// made the surface images' device, with a game folder, an archive manager
// and an image loader manager with the built-in decoders; and the picture
// fixtures the surface-image tests load.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "../resource/TempFolder.h"
#include "display/Direct3DBackSurface.h"
#include "display/DisplayScreenDevice.h"
#include "display/SurfaceImage.h"
#include "platform/DisplayMachine.h"
#include "raster/Surface.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel::testing {

class SurfaceImageRig : public GameFolderTest {
 protected:
  void SetUp() override {
    GameFolderTest::SetUp();
    loader_.RegisterBuiltInDecoders();
    loader_.SetCacheLimit(0);
    oldLoader_ = Surface::SetLoaderManager(&loader_);
  }
  void TearDown() override {
    SurfaceImage::SetScreenDevice(nullptr);
    device_.reset();
    back_.reset();
    scoped_.reset();
    DisplayDevice::ResetProcessState();
    Surface::SetLoaderManager(oldLoader_);
    GameFolderTest::TearDown();
  }

  // A display device whose current depth is bits; budget limits the
  // surfaces it can make (-1: no limit).
  // adjust, when given, changes the fake machine before it is installed.
  void Boot(uint32_t bits, int budget = -1,
            const std::function<void(platform::DisplayMachine&)>& adjust = {}) {
    SurfaceImage::SetScreenDevice(nullptr);
    device_.reset();
    back_.reset();
    scoped_.reset();
    machine_ = platform::FakeSingleDisplayMachine(true);
    machine_.drivers[0].desktop.depth = bits;
    machine_.drivers[0].surfaceBudget = budget;
    if (adjust) adjust(machine_);
    scoped_.emplace(machine_);
    DisplayDevice::ResetProcessState();
    device_ = std::make_unique<DisplayScreenDevice>();
    ASSERT_EQ(device_->Create(0, direct3d_ ? 1 : 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0), 0);
    SurfaceImage::SetScreenDevice(device_.get());
    if (direct3d_) AttachDirect3D();
  }

  // A Direct3D device on a back surface of its own, as a screen mode makes.
  void AttachDirect3D() { AttachDirect3DBackSurface(*device_, &back_); }

  // Boot gives the screen device a Direct3D device on its back surface.
  bool direct3d_ = false;
  platform::DisplayMachine machine_;
  std::optional<platform::ScopedDisplayMachine> scoped_;
  std::unique_ptr<DisplayScreenDevice> device_;
  std::unique_ptr<platform::SoftSurface> back_;
  ImageLoaderManager loader_;
  ImageLoaderManager* oldLoader_ = nullptr;
};

// The colour of fixture pixel (x, y): distinct in every channel.
uint32_t FixtureColor(int32_t x, int32_t y);
// An ELG picture of those colours at 32 or 24 bits (8 bits: a palette of
// them), with the display offset (3, -4) when withOffset.
std::vector<uint8_t> FixtureElg(uint32_t depth, uint16_t width, uint16_t height, bool withOffset);
// A 24-bit bottom-up bitmap file of those colours.
std::vector<uint8_t> FixtureBmp(int32_t width, int32_t height);

// The colour of a surface pixel as 0x00RRGGBB.
uint32_t SurfaceRgb(platform::SoftSurface* surface, int32_t x, int32_t y);

}  // namespace orrivel::testing
