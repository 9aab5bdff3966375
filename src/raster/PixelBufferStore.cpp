// Creating and freeing a PixelBuffer's pixels, in a file of their own: the
// movie library compiles its own copy of exactly these two operations and
// applies them to the program's images.
#include <cstdlib>

#include "raster/ImageSize.h"
#include "raster/PixelBuffer.h"

namespace orrivel {

int PixelBufferCreate(PixelBuffer& image, int32_t width, int32_t height, uint8_t bitsPerPixel) {
  PixelBufferFree(image);
  if (width < 1 || height < 1 || bitsPerPixel < 8) return 1;
  const ImageSize size = ComputeImageSize(width, height, bitsPerPixel, 0);
  if (!size.fits) return 2;
  image.pixels_ = static_cast<uint8_t*>(std::calloc(size_t(size.pixelBytes), 1));
  if (image.pixels_ == nullptr) return 2;
  image.size_ = uint32_t(size.pixelBytes);
  image.bitsPerPixel_ = bitsPerPixel;
  image.width_ = width;
  image.height_ = height;
  image.pitch_ = int32_t(size.pitch);
  image.GetBounds(&image.clipRect_);
  return 0;
}

void PixelBufferFree(PixelBuffer& image) {
  std::free(image.pixels_);
  image.pixels_ = nullptr;
  image.colorKey_ = kNoColorKey;
  image.width_ = 0;
  image.size_ = 0;
}

}  // namespace orrivel
