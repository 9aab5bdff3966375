#include "transition/BlitSurfaceImage.h"

#include "platform/PixelLayout.h"

namespace orrivel {

BlitSurfaceImage::BlitSurfaceImage(platform::SoftSurface* surface, uint8_t kind)
    : surface_(surface), kind_(kind) {
  width_ = surface->Width();
  height_ = surface->Height();
  pitch_ = surface->Pitch();
  clipRect_ = Rect{0, 0, width_, height_};
}

int BlitSurfaceImage::SetSurfaceKey(uint32_t value) {
  const platform::ColorKey key{value, value};
  if (surface_->SetColorKey(&key) != platform::kSurfaceOk) {
    ClearColorKey();
    return 1;
  }
  colorKey_ = value;
  return 0;
}

int BlitSurfaceImage::SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) {
  platform::SurfacePixelFormat format;
  if (surface_->GetPixelFormat(&format) != platform::kSurfaceOk) return 1;
  const platform::PixelLayout layout(format, surface_->Palette());
  return SetSurfaceKey(layout.Pack(0xFF000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | blue));
}

int BlitSurfaceImage::SetColorKeyAt(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 1;
  platform::SurfaceLock lock;
  if (surface_->Lock(nullptr, &lock) != platform::kSurfaceOk) return 1;
  const platform::PixelLayout layout(lock.format, surface_->Palette());
  const uint32_t value =
      layout.Load(lock.bits + size_t(y) * size_t(lock.pitch) + size_t(x) * layout.BytesPerPixel());
  surface_->Unlock();
  return SetSurfaceKey(value);
}

int BlitSurfaceImage::ClearColorKey() {
  surface_->SetColorKey(nullptr);
  colorKey_ = kNoColorKey;
  return 0;
}

}  // namespace orrivel
