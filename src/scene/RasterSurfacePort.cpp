#include "scene/RasterSurfacePort.h"

#include <new>
#include <string>

namespace orrivel {

int32_t RasterSurfacePort::LoadImageFromMemory(const uint8_t* data, uint64_t size, bool indexed) {
  return indexed ? surface_->LoadImageIndexed(nullptr, data, size, 0)
                 : surface_->LoadImage(nullptr, data, size, 0);
}

int32_t RasterSurfacePort::LoadImage(std::string_view fileName, bool indexed) {
  // The loaders take a terminated name; a view need not be one.
  const std::string name(fileName);
  return indexed ? surface_->LoadImageIndexed(name.c_str(), nullptr, 0, 0)
                 : surface_->LoadImage(name.c_str(), nullptr, 0, 0);
}

std::unique_ptr<SurfacePort> RasterSurfaceFactory::CreateSurface() {
  std::unique_ptr<Surface> surface(new (std::nothrow) Surface());
  if (!surface) return nullptr;
  return std::unique_ptr<SurfacePort>(new (std::nothrow) RasterSurfacePort(std::move(surface)));
}

std::unique_ptr<SurfacePort> RasterSurfaceFactory::CreateSurface(int32_t width, int32_t height,
                                                                 int32_t bitCount) {
  if (bitCount != 8 && bitCount != 32) return nullptr;
  std::unique_ptr<Surface> surface(new (std::nothrow) Surface());
  if (!surface || surface->Create(width, height, uint8_t(bitCount), 0) != 0) return nullptr;
  return std::unique_ptr<SurfacePort>(new (std::nothrow) RasterSurfacePort(std::move(surface)));
}

}  // namespace orrivel
