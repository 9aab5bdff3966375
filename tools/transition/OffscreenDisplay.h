#pragma once
// A display device on a software machine, made the surface images' device
// for its lifetime, so that programs and tests without a screen can make
// display-surface images (kind 0 surface images, kind 1 texture surfaces)
// of any surface format. One at a time per process.
#include <cstdint>
#include <memory>
#include <optional>

#include "display/DisplayScreenDevice.h"
#include "display/SurfaceImage.h"
#include "platform/DisplayMachine.h"
#include "platform/SoftSurface.h"

namespace orrivel::tools {

class OffscreenDisplay {
 public:
  OffscreenDisplay();
  ~OffscreenDisplay();
  OffscreenDisplay(const OffscreenDisplay&) = delete;
  OffscreenDisplay& operator=(const OffscreenDisplay&) = delete;

  // False when the device could not be made.
  bool Ready() const { return ready_; }
  // A blank image of the size and format: kind 0 (a surface image) or kind
  // 1 (a texture surface). Null when it cannot be made.
  std::unique_ptr<SurfaceImage> MakeImage(int32_t width, int32_t height, platform::SurfaceFormat format,
                                          uint8_t kind = kImageKindSurfaceImage);

 private:
  platform::DisplayMachine machine_;
  std::optional<platform::ScopedDisplayMachine> scoped_;
  std::unique_ptr<DisplayScreenDevice> device_;
  bool ready_ = false;
};

}  // namespace orrivel::tools
