#pragma once
// An image of a display-surface kind (0, a surface image, or 1, a texture
// surface) over a blit surface that the caller owns. The transition library
// reaches such images only through their blit surface, their size, clip
// rectangle and colour key; this is the least image that offers those until
// the display device's own surface images take its place.
#include <cstdint>

#include "platform/SoftSurface.h"
#include "raster/ClippedImage.h"

namespace orrivel {

class BlitSurfaceImage final : public ClippedImage {
 public:
  // The surface must outlive the image. kind is kImageKindSurfaceImage or
  // kImageKindDdSurface.
  explicit BlitSurfaceImage(platform::SoftSurface* surface, uint8_t kind = kImageKindSurfaceImage);

  uint8_t GetKind() const override { return kind_; }
  // The pixels are reached only through the blit surface.
  uint8_t* GetBits() override { return nullptr; }
  uint8_t* GetScanLine(int32_t) override { return nullptr; }
  // The key as a pixel value of the surface's format, set on the surface.
  // 1 when the surface refuses it.
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override;
  // 1 when (x, y) is outside the surface or it cannot be locked.
  int SetColorKeyAt(int32_t x, int32_t y) override;
  int ClearColorKey() override;
  int Restore() override { return surface_->IsLost() ? surface_->Restore() : 0; }
  platform::SoftSurface* GetDisplaySurface() override { return surface_; }

 private:
  int SetSurfaceKey(uint32_t value);

  platform::SoftSurface* surface_;
  uint8_t kind_;
};

}  // namespace orrivel
