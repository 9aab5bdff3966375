#pragma once
// Pixel format codes, the mask description every converter reads, and the
// two functions that work them out of a surface and fill one colour into it.
#include <cstdint>

#include "platform/SoftSurface.h"
#include "raster/Rect.h"

namespace orrivel {

// One bit each; compared with equality, never combined.
enum PixelFormatCode : uint32_t {
  kPixelFormatUnreadable = 0,
  kPixelFormatOther = 1,
  kPixelFormatIndexed8 = 2,
  kPixelFormatX1R5G5B5 = 4,
  kPixelFormatR5G6B5 = 8,
  kPixelFormatR8G8B8 = 16,
  kPixelFormatX8R8G8B8 = 32,
  kPixelFormatA1R5G5B5 = 64,
  kPixelFormatA4R4G4B4 = 128,
  kPixelFormatA8R8G8B8 = 256,
};

struct PixelFormatInfo {
  uint8_t bitCount = 0;
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  uint32_t alphaMask = 0;
  // Set bits of each mask.
  uint8_t redBits = 0;
  uint8_t greenBits = 0;
  uint8_t blueBits = 0;
  uint8_t alphaBits = 0;
  // Zero bits below each mask's lowest set bit; 32 for an empty mask.
  uint8_t redShift = 32;
  uint8_t greenShift = 32;
  uint8_t blueShift = 32;
  uint8_t alphaShift = 32;
};

// Classifies a format by bit count and masks.
PixelFormatCode ClassifyPixelFormat(const platform::SurfacePixelFormat& format);

// Fills info (when given) from a format: masks, their bit counts and shifts.
void DescribePixelFormat(const platform::SurfacePixelFormat& format, PixelFormatInfo* info);

// Classifies format when given, otherwise the surface's own format. Returns
// kPixelFormatUnreadable when both are null or the surface cannot tell. info,
// when given, is filled whatever the code.
PixelFormatCode GetSurfacePixelFormat(platform::SoftSurface* surface, PixelFormatInfo* info,
                                      const platform::SurfacePixelFormat* format);

// Fills rect (null: the whole surface) with one colour given as 8-bit
// components. Returns 0 on success, 1 when the surface is null or its format
// cannot be read, 2 when the surface cannot be locked.
int BlitConvertFormat(platform::SoftSurface* surface, const PixelFormatInfo* info, uint8_t red,
                      uint8_t green, uint8_t blue, const Rect* rect, uint8_t alpha);

}  // namespace orrivel
