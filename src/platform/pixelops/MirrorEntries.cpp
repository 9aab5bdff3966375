// Mirrors in place, left to right or upside down, of 32- and 8-bit images,
// over the whole image or a rectangle of it.

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/pixelops/Entries.h"

namespace pixelops {

using orrivel::PixelOpImage;
using orrivel::Rect;

namespace {

bool Usable(const PixelOpImage* image, int32_t bitsPerPixel) {
  return image != nullptr && image->bits != nullptr && image->bitsPerPixel == bitsPerPixel &&
         image->width > 0 && image->height > 0 &&
         int64_t{image->pitch} >= int64_t{image->width} * (bitsPerPixel / 8);
}

// The rectangle cut to the image (null: all of it); empty when they miss.
Rect Area(const PixelOpImage* image, const Rect* rect) {
  const Rect whole{0, 0, image->width, image->height};
  if (rect == nullptr) return whole;
  return Rect{std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, whole.right),
              std::min(rect->bottom, whole.bottom)};
}

template <typename T>
int32_t MirrorRows(const PixelOpImage* image, const Rect* rect) {
  if (!Usable(image, int32_t(sizeof(T) * 8))) return 0;
  const Rect area = Area(image, rect);
  ChangedRect() = {};
  if (area.IsEmpty()) return 1;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    T* row = reinterpret_cast<T*>(image->bits + int64_t{y} * image->pitch);
    std::reverse(row + area.left, row + area.right);
  }
  ChangedRect() = area;
  return 1;
}

int32_t FlipRows(const PixelOpImage* image, int32_t bitsPerPixel, const Rect* rect) {
  if (!Usable(image, bitsPerPixel)) return 0;
  const Rect area = Area(image, rect);
  ChangedRect() = {};
  if (area.IsEmpty()) return 1;
  const size_t bytesPerPixel = size_t(bitsPerPixel / 8);
  const size_t rowBytes = size_t(area.right - area.left) * bytesPerPixel;
  const size_t skip = size_t(area.left) * bytesPerPixel;
  std::vector<uint8_t> scratch(rowBytes);
  for (int32_t top = area.top, bottom = area.bottom - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = image->bits + int64_t{top} * image->pitch + skip;
    uint8_t* b = image->bits + int64_t{bottom} * image->pitch + skip;
    std::memcpy(scratch.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, scratch.data(), rowBytes);
  }
  ChangedRect() = area;
  return 1;
}

}  // namespace

int32_t MirrorLeftRight32(const PixelOpImage* target, int32_t, const Rect* rect) {
  return MirrorRows<uint32_t>(target, rect);
}
int32_t MirrorLeftRight8(const PixelOpImage* target, int32_t, const Rect* rect) {
  return MirrorRows<uint8_t>(target, rect);
}
int32_t MirrorUpsideDown32(const PixelOpImage* target, int32_t, const Rect* rect) { return FlipRows(target, 32, rect); }
int32_t MirrorUpsideDown8(const PixelOpImage* target, int32_t, const Rect* rect) { return FlipRows(target, 8, rect); }

}  // namespace pixelops
