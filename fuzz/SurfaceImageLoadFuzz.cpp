// Loads the input as a picture into surface images on displays of 32 bits
// (the direct ELG route) and 16 bits (the decoder route), then reads a pixel
// and restores the surface after a loss. Anything may be refused; nothing
// may be read or written outside what is there.
#include <cstdint>

#include "display/DisplayScreenDevice.h"
#include "display/SurfaceImage.h"
#include "platform/DisplayMachine.h"
#include "raster/Surface.h"
#include "resource/ImageLoaderManager.h"

namespace {

struct Display {
  explicit Display(uint32_t bits) : scoped(Machine(bits)) {
    orrivel::DisplayDevice::ResetProcessState();
    device.Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0);
  }
  static orrivel::platform::DisplayMachine Machine(uint32_t bits) {
    orrivel::platform::DisplayMachine m = orrivel::platform::FakeSingleDisplayMachine(true);
    m.drivers[0].desktop.depth = bits;
    return m;
  }
  orrivel::platform::ScopedDisplayMachine scoped;
  orrivel::DisplayScreenDevice device;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static orrivel::ImageLoaderManager* loader = [] {
    auto* manager = new orrivel::ImageLoaderManager();
    manager->RegisterBuiltInDecoders();
    manager->SetCacheLimit(0);
    return manager;
  }();
  orrivel::Surface::SetLoaderManager(loader);
  for (uint32_t bits : {32u, 16u}) {
    Display display(bits);
    orrivel::SurfaceImage::SetScreenDevice(&display.device);
    orrivel::SurfaceImage image;
    if (image.LoadFile(nullptr, data, size, 0) == 0) {
      image.ReadPixel(image.GetWidth() - 1, image.GetHeight() - 1);
      image.GetDisplaySurface()->SetLost(true);
      image.Restore(1);
    }
    orrivel::SurfaceImage::SetScreenDevice(nullptr);
  }
  orrivel::Surface::SetLoaderManager(nullptr);
  return 0;
}
