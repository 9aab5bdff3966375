// Mirrors in place, left to right or upside down, of 32- and 8-bit images.

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/pixelops/Entries.h"

namespace pixelops {

using orrivel::PixelOpImage;

namespace {

bool Usable(const PixelOpImage* image, int32_t bitsPerPixel) {
  return image != nullptr && image->bits != nullptr && image->bitsPerPixel == bitsPerPixel &&
         image->width > 0 && image->height > 0 &&
         int64_t{image->pitch} >= int64_t{image->width} * (bitsPerPixel / 8);
}

template <typename T>
int32_t MirrorRows(const PixelOpImage* image) {
  if (!Usable(image, int32_t(sizeof(T) * 8))) return 0;
  for (int32_t y = 0; y < image->height; ++y) {
    T* row = reinterpret_cast<T*>(image->bits + int64_t{y} * image->pitch);
    std::reverse(row, row + image->width);
  }
  ChangedRect() = {0, 0, image->width, image->height};
  return 1;
}

int32_t FlipRows(const PixelOpImage* image, int32_t bitsPerPixel) {
  if (!Usable(image, bitsPerPixel)) return 0;
  const size_t rowBytes = size_t(image->width) * size_t(bitsPerPixel / 8);
  std::vector<uint8_t> scratch(rowBytes);
  for (int32_t top = 0, bottom = image->height - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = image->bits + int64_t{top} * image->pitch;
    uint8_t* b = image->bits + int64_t{bottom} * image->pitch;
    std::memcpy(scratch.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, scratch.data(), rowBytes);
  }
  ChangedRect() = {0, 0, image->width, image->height};
  return 1;
}

}  // namespace

int32_t MirrorLeftRight32(const PixelOpImage* target, int32_t) { return MirrorRows<uint32_t>(target); }
int32_t MirrorLeftRight8(const PixelOpImage* target, int32_t) { return MirrorRows<uint8_t>(target); }
int32_t MirrorUpsideDown32(const PixelOpImage* target, int32_t) { return FlipRows(target, 32); }
int32_t MirrorUpsideDown8(const PixelOpImage* target, int32_t) { return FlipRows(target, 8); }

}  // namespace pixelops
