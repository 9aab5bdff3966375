#include "platform/SoftSurface.h"

#include <cstring>
#include <new>

namespace orrivel::platform {

SurfacePixelFormat DescribeSurfaceFormat(SurfaceFormat format) {
  switch (format) {
    case SurfaceFormat::Indexed8:
      return {kPixelFlagRgb | kPixelFlagPaletteIndexed8, 8, 0, 0, 0, 0};
    case SurfaceFormat::X1R5G5B5:
      return {kPixelFlagRgb, 16, 0x7C00, 0x03E0, 0x001F, 0};
    case SurfaceFormat::R5G6B5:
      return {kPixelFlagRgb, 16, 0xF800, 0x07E0, 0x001F, 0};
    case SurfaceFormat::R8G8B8:
      return {kPixelFlagRgb, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0};
    case SurfaceFormat::X8R8G8B8:
      return {kPixelFlagRgb, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0};
    case SurfaceFormat::A1R5G5B5:
      return {kPixelFlagRgb | kPixelFlagAlphaPixels, 16, 0x7C00, 0x03E0, 0x001F, 0x8000};
    case SurfaceFormat::A4R4G4B4:
      return {kPixelFlagRgb | kPixelFlagAlphaPixels, 16, 0x0F00, 0x00F0, 0x000F, 0xF000};
    case SurfaceFormat::A8R8G8B8:
      return {kPixelFlagRgb | kPixelFlagAlphaPixels, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000u};
  }
  return {};
}

int SoftSurface::Create(int32_t width, int32_t height, const SurfacePixelFormat& format) {
  Release();
  const uint32_t bits = format.bitCount;
  if (width < 1 || height < 1 || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
    return kSurfaceInvalidParams;
  }
  const uint64_t pitch = (uint64_t(bits / 8) * uint64_t(width) + 3) & ~uint64_t(3);
  const uint64_t size = pitch * uint64_t(height);
  // Far beyond any screen; keeps every offset inside 32-bit signed arithmetic.
  if (pitch > 0x7FFFFFFF || size > 0x7FFFFFFF) return kSurfaceOutOfMemory;
  try {
    pixels_.assign(size_t(size), 0);
  } catch (const std::bad_alloc&) {
    pixels_.clear();
    return kSurfaceOutOfMemory;
  }
  width_ = width;
  height_ = height;
  pitch_ = int32_t(pitch);
  format_ = format;
  if (bits == 8) {
    for (uint32_t i = 0; i < 256; ++i) palette_[i] = i * 0x010101u;
  }
  lost_ = false;
  locked_ = false;
  return kSurfaceOk;
}

int SoftSurface::Create(int32_t width, int32_t height, SurfaceFormat format) {
  return Create(width, height, DescribeSurfaceFormat(format));
}

void SoftSurface::Release() {
  std::vector<uint8_t>().swap(pixels_);
  width_ = height_ = pitch_ = 0;
  format_ = {};
  locked_ = false;
}

int SoftSurface::GetPixelFormat(SurfacePixelFormat* out) const {
  if (out == nullptr) return kSurfaceInvalidParams;
  if (pixels_.empty()) return kSurfaceNoPixels;
  *out = format_;
  return kSurfaceOk;
}

bool SoftSurface::RectInside(const Rect& r) const {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width_ &&
         r.bottom <= height_;
}

int SoftSurface::Lock(const Rect* rect, SurfaceLock* out) {
  if (out == nullptr) return kSurfaceInvalidParams;
  if (pixels_.empty()) return kSurfaceNoPixels;
  if (lost_) return kSurfaceLost;
  if (locked_) return kSurfaceAlreadyLocked;
  const Rect whole{0, 0, width_, height_};
  const Rect r = rect ? *rect : whole;
  if (!RectInside(r)) return kSurfaceInvalidParams;
  locked_ = true;
  out->bits = pixels_.data() + size_t(r.top) * size_t(pitch_) + size_t(r.left) * (format_.bitCount / 8);
  out->pitch = pitch_;
  out->width = width_;
  out->height = height_;
  out->format = format_;
  return kSurfaceOk;
}

int SoftSurface::Unlock() {
  if (!locked_) return kSurfaceNotLocked;
  locked_ = false;
  return kSurfaceOk;
}

int SoftSurface::ColorFill(const Rect* rect, uint32_t value) {
  if (pixels_.empty()) return kSurfaceNoPixels;
  if (lost_) return kSurfaceLost;
  if (!colorFillSupported_) return kSurfaceNoColorFill;
  if (locked_) return kSurfaceAlreadyLocked;
  const Rect whole{0, 0, width_, height_};
  const Rect r = rect ? *rect : whole;
  if (!RectInside(r)) return kSurfaceInvalidParams;
  const uint32_t bytes = format_.bitCount / 8;
  uint8_t pixel[4];
  for (uint32_t i = 0; i < 4; ++i) pixel[i] = uint8_t(value >> (8 * i));
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint8_t* p = pixels_.data() + size_t(y) * size_t(pitch_) + size_t(r.left) * bytes;
    for (int32_t x = r.left; x < r.right; ++x, p += bytes) std::memcpy(p, pixel, bytes);
  }
  return kSurfaceOk;
}

int SoftSurface::Restore() {
  if (pixels_.empty()) return kSurfaceNoPixels;
  lost_ = false;
  return kSurfaceOk;
}

}  // namespace orrivel::platform
