#include "display/SurfacePixelOps.h"

#include <algorithm>
#include <cstring>

#include "raster/KernelFlags.h"
#include "raster/PixelFilters.h"
#include "raster/PixelFormat.h"

namespace orrivel {

namespace {

int Blit(platform::SoftSurface* destination, platform::SoftSurface* source, const Size* size,
         int32_t x, int32_t y, const Rect* sourceRect, const Rect* clip, int32_t colorKey) {
  if (destination == nullptr || source == nullptr || sourceRect == nullptr || clip == nullptr) return 1;
  Rect src = *sourceRect;
  Rect dst;
  if (MapClipRectScaled(x, y, &src, &dst, clip, size) != 0) return 0;
  const uint32_t flags = platform::kBltWait | (colorKey != -1 ? platform::kBltKeySrc : 0u);
  return destination->Blt(&dst, source, &src, flags) == platform::kSurfaceOk ? 0 : 2;
}

// The area of an effect: the rectangle, or its intersection with the clip
// rectangle, which the caller gets back. False when nothing is left.
bool EffectArea(const Rect& rect, Rect* clip, Rect* area) {
  if (clip == nullptr) {
    *area = rect;
    return !rect.IsEmpty();
  }
  if (!IntersectRects(area, rect, *clip)) return false;
  *clip = *area;
  return true;
}

int PixelBytes(uint32_t code) {
  switch (code) {
    case kPixelFormatX1R5G5B5:
    case kPixelFormatR5G6B5:
    case kPixelFormatA1R5G5B5:
    case kPixelFormatA4R4G4B4:
      return 2;
    case kPixelFormatR8G8B8:
      return 3;
    case kPixelFormatX8R8G8B8:
    case kPixelFormatA8R8G8B8:
      return 4;
    default:
      return 0;
  }
}

uint16_t NegateMask16(uint32_t code, uint8_t mode) {
  switch (code) {
    case kPixelFormatX1R5G5B5:
      return 0x7FFF;
    case kPixelFormatR5G6B5:
      return 0xFFFF;
    case kPixelFormatA1R5G5B5:
      return mode == 1 ? 0xFFFF : mode == 2 ? 0x8000 : 0x7FFF;
    default:  // A4R4G4B4
      return mode == 1 ? 0xFFFF : mode == 2 ? 0xF000 : 0x0FFF;
  }
}

}  // namespace

int BltFastClipped(platform::SoftSurface* destination, platform::SoftSurface* source, int32_t x,
                   int32_t y, const Rect* sourceRect, const Rect* clip, int32_t colorKey) {
  return Blit(destination, source, nullptr, x, y, sourceRect, clip, colorKey);
}

int BltClipped(platform::SoftSurface* destination, platform::SoftSurface* source, const Size* size,
               int32_t x, int32_t y, const Rect* sourceRect, const Rect* clip, int32_t colorKey) {
  return Blit(destination, source, size, x, y, sourceRect, clip, colorKey);
}

int NegateSurfaceRect(uint8_t mode, uint32_t formatCode, void* bits, int32_t pitch, const Rect* rect,
                      Rect* clip) {
  if (bits == nullptr || rect == nullptr) return 1;
  if (formatCode <= kPixelFormatX8R8G8B8 && mode != 0) return 1;
  Rect area;
  if (!EffectArea(*rect, clip, &area)) return -1;
  const int bytes = PixelBytes(formatCode);
  if (bytes == 0) return 2;
  uint8_t* first = static_cast<uint8_t*>(bits) + size_t(area.top) * pitch + size_t(area.left) * bytes;
  const int32_t w = area.Width(), h = area.Height();
  if (bytes == 4) {
    const int skip = pitch - 4 * w;
    (MmxFlag() ? &Invert32Mmx : &Invert32)(first, skip, w, h, mode);
    return 0;
  }
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* p = first + size_t(y) * pitch;
    if (bytes == 3) {
      for (int32_t i = 0; i < w * 3; ++i) p[i] = uint8_t(~p[i]);
      continue;
    }
    const uint16_t mask = NegateMask16(formatCode, mode);
    for (int32_t x = 0; x < w; ++x, p += 2) {
      uint16_t v;
      std::memcpy(&v, p, 2);
      v ^= mask;
      std::memcpy(p, &v, 2);
    }
  }
  return 0;
}

namespace {

// The width of the first block (or height of the first band) for a side of
// length len under one alignment.
int32_t FirstBlock(int32_t len, int32_t n, bool fromFar, bool centred) {
  int32_t first = n;
  if (centred) first = n < len ? ((len - n) / 2) % n : n;
  else if (fromFar) first = len % n;
  return first == 0 ? n : first;
}

}  // namespace

int MosaicSurfaceRect(uint32_t formatCode, void* bits, int32_t pitch, const Rect* rect, Rect* clip,
                      int32_t n, uint32_t alignMode) {
  if (bits == nullptr || rect == nullptr) return 1;
  Rect area = *rect;
  if (clip != nullptr && !EffectArea(*rect, clip, &area)) return -1;
  const int32_t w = area.Width(), h = area.Height();
  if (w < 3 || h < 3 || n < 2) return 0;
  const int bytes = PixelBytes(formatCode);
  if (bytes == 0) return 2;
  const uint8_t mode = uint8_t(alignMode);
  const bool centred = mode < 1 || mode > 4;
  const int32_t c0 = FirstBlock(w, n, mode == 2 || mode == 4, centred);
  const int32_t r0 = FirstBlock(h, n, mode == 3 || mode == 4, centred);
  uint8_t* base = static_cast<uint8_t*>(bits) + size_t(area.top) * pitch + size_t(area.left) * bytes;
  for (int32_t top = 0, band = r0; top < h; top += band, band = n) {
    const int32_t rows = std::min(band, h - top);
    for (int32_t left = 0, block = c0; left < w; left += block, block = n) {
      const int32_t cols = std::min(block, w - left);
      uint8_t value[4];
      std::memcpy(value, base + size_t(top) * pitch + size_t(left) * bytes, size_t(bytes));
      for (int32_t y = 0; y < rows; ++y) {
        uint8_t* p = base + size_t(top + y) * pitch + size_t(left) * bytes;
        for (int32_t x = 0; x < cols; ++x, p += bytes) std::memcpy(p, value, size_t(bytes));
      }
    }
  }
  return 0;
}

}  // namespace orrivel
