#pragma once
// A raster Surface seen through the small surface interface of the layout
// and animation readers. The surface is either the port's own (made by
// RasterSurfaceFactory for the animations) or borrowed from the draw-object
// manager that lists it (the layouts' pictures).
#include <cstdint>
#include <memory>
#include <string_view>

#include "raster/Surface.h"
#include "resource/SurfacePort.h"

namespace orrivel {

class RasterSurfacePort final : public SurfacePort {
 public:
  // Borrows a surface that outlives the port.
  explicit RasterSurfacePort(Surface* surface) : surface_(surface) {}
  // Owns the surface.
  explicit RasterSurfacePort(std::unique_ptr<Surface> surface)
      : owned_(std::move(surface)), surface_(owned_.get()) {}

  Surface* Raster() const { return surface_; }

  int32_t GetWidth() const override { return surface_->GetWidth(); }
  int32_t GetHeight() const override { return surface_->GetHeight(); }
  int32_t GetBitCount() const override { return surface_->GetBitsPerPixel(); }
  int32_t LoadImageFromMemory(const uint8_t* data, uint64_t size, bool indexed) override;
  int32_t LoadImage(std::string_view fileName, bool indexed) override;
  void FreeImage() override { surface_->FreeBuffers(); }
  void SetAlphaFlag(bool hasAlpha) override { surface_->SetHasAlpha(hasAlpha); }
  int SetColorKeyAt(int32_t x, int32_t y) override { return surface_->SetColorKeyAt(x, y); }
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override {
    return surface_->SetColorKeyRgb(red, green, blue);
  }
  uint32_t GetColorKey() const override { return surface_->GetColorKey(); }
  int32_t GetUserValue1() const override { return surface_->GetUserValue1(); }
  int32_t GetUserValue2() const override { return surface_->GetUserValue2(); }

 private:
  std::unique_ptr<Surface> owned_;
  Surface* surface_;
};

// Makes the animations' own surfaces as raster surfaces.
class RasterSurfaceFactory final : public SurfaceFactoryPort {
 public:
  std::unique_ptr<SurfacePort> CreateSurface() override;
  std::unique_ptr<SurfacePort> CreateSurface(int32_t width, int32_t height, int32_t bitCount) override;
};

}  // namespace orrivel
