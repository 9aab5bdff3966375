#include "raster/PixelFormat.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace orrivel {

using platform::SurfacePixelFormat;

PixelFormatCode ClassifyPixelFormat(const SurfacePixelFormat& f) {
  const bool rgb555 = f.redMask == 0x7C00 && f.greenMask == 0x03E0 && f.blueMask == 0x001F;
  const bool rgb565 = f.redMask == 0xF800 && f.greenMask == 0x07E0 && f.blueMask == 0x001F;
  const bool rgb444 = f.redMask == 0x0F00 && f.greenMask == 0x00F0 && f.blueMask == 0x000F;
  const bool rgb888 = f.redMask == 0xFF0000 && f.greenMask == 0x00FF00 && f.blueMask == 0x0000FF;
  switch (f.bitCount) {
    case 8:
      return kPixelFormatIndexed8;
    case 16:
      if (f.alphaMask == 0x8000) return rgb555 ? kPixelFormatA1R5G5B5 : kPixelFormatOther;
      if (f.alphaMask == 0xF000) return rgb444 ? kPixelFormatA4R4G4B4 : kPixelFormatOther;
      if (rgb555) return kPixelFormatX1R5G5B5;
      if (rgb565) return kPixelFormatR5G6B5;
      return kPixelFormatOther;
    case 24:
      return rgb888 ? kPixelFormatR8G8B8 : kPixelFormatOther;
    case 32:
      if (!rgb888) return kPixelFormatOther;
      if (f.alphaMask == 0) return kPixelFormatX8R8G8B8;
      if (f.alphaMask == 0xFF000000u) return kPixelFormatA8R8G8B8;
      return kPixelFormatOther;
    default:
      return kPixelFormatOther;
  }
}

namespace {

uint8_t MaskShift(uint32_t mask) { return uint8_t(std::countr_zero(mask)); }  // 32 for 0
uint8_t MaskBits(uint32_t mask) { return uint8_t(std::popcount(mask)); }

}  // namespace

void DescribePixelFormat(const SurfacePixelFormat& f, PixelFormatInfo* info) {
  if (info == nullptr) return;
  info->bitCount = uint8_t(f.bitCount);
  info->redMask = f.redMask;
  info->greenMask = f.greenMask;
  info->blueMask = f.blueMask;
  info->alphaMask = f.alphaMask;
  info->redBits = MaskBits(f.redMask);
  info->greenBits = MaskBits(f.greenMask);
  info->blueBits = MaskBits(f.blueMask);
  info->alphaBits = MaskBits(f.alphaMask);
  info->redShift = MaskShift(f.redMask);
  info->greenShift = MaskShift(f.greenMask);
  info->blueShift = MaskShift(f.blueMask);
  info->alphaShift = MaskShift(f.alphaMask);
}

PixelFormatCode GetSurfacePixelFormat(platform::SoftSurface* surface, PixelFormatInfo* info,
                                      const SurfacePixelFormat* format) {
  SurfacePixelFormat f{};
  bool readable = false;
  if (format != nullptr) {
    f = *format;
    readable = true;
  } else if (surface != nullptr) {
    readable = surface->GetPixelFormat(&f) == platform::kSurfaceOk;
    if (!readable) f = {};
  }
  DescribePixelFormat(f, info);
  return readable ? ClassifyPixelFormat(f) : kPixelFormatUnreadable;
}

namespace {

// One component placed under its mask. A 16-bit format keeps the top bits
// that fit the mask. A component whose mask is empty is dropped, so an alpha
// byte cannot leak into the blue channel of a format without alpha; 8-bit
// formats have no masks and take the palette index passed as red.
uint32_t PlaceComponent(uint8_t value, uint8_t bits, uint8_t shift, uint8_t bitCount) {
  if (bitCount == 8) return value;
  if (shift >= 32) return 0;
  uint32_t v = value;
  if (bitCount == 16) v = bits >= 8 ? v : v >> (8 - bits);
  return v << shift;
}

void WriteFill(const platform::SurfaceLock& lock, const Rect& r, uint32_t value, uint8_t bitCount) {
  for (int32_t y = r.top; y < r.bottom; ++y) {
    uint8_t* row = lock.bits + size_t(y) * size_t(lock.pitch);
    for (int32_t x = r.left; x < r.right; ++x) {
      switch (bitCount) {
        case 8:
          row[x] = uint8_t(value);
          break;
        case 16: {
          const uint16_t v = uint16_t(value);
          std::memcpy(row + size_t(x) * 2, &v, 2);
          break;
        }
        case 24:
          row[size_t(x) * 3] = uint8_t(value);
          row[size_t(x) * 3 + 1] = uint8_t(value >> 8);
          row[size_t(x) * 3 + 2] = uint8_t(value >> 16);
          break;
        case 32:
          std::memcpy(row + size_t(x) * 4, &value, 4);
          break;
        default:
          return;
      }
    }
  }
}

}  // namespace

int BlitConvertFormat(platform::SoftSurface* surface, const PixelFormatInfo* info, uint8_t red,
                      uint8_t green, uint8_t blue, const Rect* rect, uint8_t alpha) {
  if (surface == nullptr) return 1;
  PixelFormatInfo own;
  if (info == nullptr) {
    if (GetSurfacePixelFormat(surface, &own, nullptr) == kPixelFormatUnreadable) return 1;
    info = &own;
  }
  const uint8_t bc = info->bitCount;
  const uint32_t value = PlaceComponent(red, info->redBits, info->redShift, bc) |
                         PlaceComponent(green, info->greenBits, info->greenShift, bc) |
                         PlaceComponent(blue, info->blueBits, info->blueShift, bc) |
                         PlaceComponent(alpha, info->alphaBits, info->alphaShift, bc);
  if (surface->ColorFill(rect, value) == platform::kSurfaceOk) return 0;

  platform::SurfaceLock lock;
  if (surface->Lock(nullptr, &lock) != platform::kSurfaceOk) return 2;
  // The rectangle is cut to the surface: the fill never writes outside it.
  Rect r{0, 0, lock.width, lock.height};
  if (rect != nullptr) {
    const Rect whole = r;
    r = *rect;
    if (!IntersectRectInPlace(&r, &whole)) r = Rect{};
  }
  // Pixels are written at the surface's own depth, whatever description was passed.
  WriteFill(lock, r, value, uint8_t(lock.format.bitCount));
  surface->Unlock();
  return 0;
}

}  // namespace orrivel
