#include "raster/PixelBuffer.h"

#include <cstdlib>
#include <cstring>

#include "raster/ImageSize.h"

namespace orrivel {

PixelBuffer::~PixelBuffer() { PixelBufferFree(*this); }

uint8_t* PixelBuffer::GetScanLine(int32_t y) {
  if (pixels_ == nullptr || uint32_t(y) >= uint32_t(height_)) return nullptr;
  return pixels_ + size_t(pitch_) * size_t(y);
}

int PixelBuffer::SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) {
  switch (bitsPerPixel_) {
    case 8:
      colorKey_ = red;
      break;
    case 16:
      colorKey_ = uint32_t(red & 0xF8) << 8 | uint32_t(green & 0xFC) << 3 | uint32_t(blue >> 3);
      break;
    case 32:
      colorKey_ = uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
      break;
    default:
      break;
  }
  return colorKey_ == kNoColorKey ? 1 : 0;
}

int PixelBuffer::SetColorKeyAt(int32_t x, int32_t y) {
  colorKey_ = PixelBufferGetPixel(*this, x, y);
  return colorKey_ == kNoColorKey ? 1 : 0;
}

int PixelBuffer::ClearColorKey() {
  colorKey_ = kNoColorKey;
  return 0;
}

int PixelBuffer::Resize(int32_t width, int32_t height) {
  if (pixels_ == nullptr || width < 1 || height < 1) return 1;
  if (width == width_ && height == height_) return 0;
  const ImageSize size = ComputeImageSize(width, height, bitsPerPixel_, 0);
  if (size.fits && size.pixelBytes <= size_) {
    height_ = height;
    pitch_ = int32_t(size.pitch);
    width_ = width;
    GetBounds(&clipRect_);
    return 0;
  }
  return PixelBufferCreate(*this, width, height, bitsPerPixel_);
}

uint32_t PixelBufferGetPixel(const PixelBuffer& image, int32_t x, int32_t y) {
  if (image.pixels_ == nullptr || x < 0 || y < 0 || x >= image.width_ || y >= image.height_) {
    return kNoColorKey;
  }
  const uint8_t* row = image.pixels_ + size_t(image.pitch_) * size_t(y);
  switch (image.bitsPerPixel_) {
    case 8:
      return row[x];
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + size_t(x) * 2, 2);
      return v;
    }
    case 32: {
      uint32_t v;
      std::memcpy(&v, row + size_t(x) * 4, 4);
      return v;
    }
    default:
      return kNoColorKey;
  }
}

}  // namespace orrivel
