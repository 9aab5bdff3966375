#include "transition/OffscreenDisplay.h"

#include "display/DdSurface.h"

namespace orrivel::tools {

OffscreenDisplay::OffscreenDisplay() : machine_(platform::FakeSingleDisplayMachine(true)) {
  scoped_.emplace(machine_);
  DisplayDevice::ResetProcessState();
  device_ = std::make_unique<DisplayScreenDevice>();
  ready_ = device_->Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0) == 0;
  if (ready_) SurfaceImage::SetScreenDevice(device_.get());
}

OffscreenDisplay::~OffscreenDisplay() {
  if (SurfaceImage::ScreenDevice() == device_.get()) SurfaceImage::SetScreenDevice(nullptr);
  device_.reset();
  scoped_.reset();
  DisplayDevice::ResetProcessState();
}

std::unique_ptr<SurfaceImage> OffscreenDisplay::MakeImage(int32_t width, int32_t height,
                                                          platform::SurfaceFormat format, uint8_t kind) {
  if (!ready_) return nullptr;
  const platform::SurfacePixelFormat described = platform::DescribeSurfaceFormat(format);
  if (kind == kImageKindDdSurface) {
    auto texture = std::make_unique<DdSurface>();
    if (texture->Create(width, height, 0, &described) != 0) return nullptr;
    return texture;
  }
  auto image = std::make_unique<SurfaceImage>();
  if (image->CreateBlank(width, height, 1, 0, &described) != 0) return nullptr;
  return image;
}

}  // namespace orrivel::tools
