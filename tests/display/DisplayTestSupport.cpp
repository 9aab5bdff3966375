#include "display/DisplayTestSupport.h"

#include <cstdlib>
#include <filesystem>

#include "elg/PngFile.h"
#include "platform/PixelLayout.h"
#include "TestBuildDirs.h"

namespace orrivel::testing {

int DeviceRig::Init(int32_t width, int32_t height, platform::SurfaceFormat format, int option) {
  if (device.Create(0, 1, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0) != 0) return 100;
  platform::SurfaceRequest request;
  request.caps = platform::kSurfaceOffscreen | platform::kSurface3dDevice;
  request.width = width;
  request.height = height;
  request.hasFormat = true;
  request.format = platform::DescribeSurfaceFormat(format);
  if (device.DirectDraw()->CreateSurface(request, &back) != platform::kDdOk) return 101;
  const Rect rect{0, 0, width, height};
  return device.CreateDevice(back.get(), &rect, option);
}

uint32_t ReadArgb(platform::SoftSurface& surface, int32_t x, int32_t y) {
  platform::SurfaceLock lock;
  if (surface.Lock(nullptr, &lock) != platform::kSurfaceOk) return 0;
  const platform::PixelLayout layout(lock.format, surface.Palette());
  const uint32_t v = layout.ReadArgb(lock.bits + size_t(y) * lock.pitch + size_t(x) * layout.BytesPerPixel());
  surface.Unlock();
  return v;
}

::testing::AssertionResult MatchesGolden(const std::string& name, platform::SoftSurface& surface) {
  const std::string path = std::string(ORRIVEL_SOURCE_DIR) + "/tests/display/golden/" + name + ".png";
  tools::PngPicture picture;
  picture.width = uint32_t(surface.Width());
  picture.height = uint32_t(surface.Height());
  for (int32_t y = 0; y < surface.Height(); ++y) {
    for (int32_t x = 0; x < surface.Width(); ++x) {
      const uint32_t c = ReadArgb(surface, x, y);
      picture.pixels.insert(picture.pixels.end(),
                            {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), uint8_t(255)});
    }
  }
  std::string error;
  const bool update = std::getenv("ORRIVEL_UPDATE_GOLDEN") != nullptr;
  if (update || !std::filesystem::exists(path)) {
    if (!tools::WritePng(path, picture, &error)) return ::testing::AssertionFailure() << error;
    if (update) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "wrote missing golden " << path;
  }
  tools::PngPicture golden;
  if (!tools::ReadPng(path, &golden, &error)) return ::testing::AssertionFailure() << error;
  if (golden.width != picture.width || golden.height != picture.height) {
    return ::testing::AssertionFailure() << "size differs from " << path;
  }
  for (size_t i = 0; i < picture.pixels.size(); i += 4) {
    for (size_t c = 0; c < 3; ++c) {
      if (golden.pixels[i + c] != picture.pixels[i + c]) {
        const size_t pixel = i / 4;
        return ::testing::AssertionFailure() << "pixel (" << pixel % picture.width << ", "
                                             << pixel / picture.width << ") differs from " << path;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace orrivel::testing
