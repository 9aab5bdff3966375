#pragma once
// An image of 8, 16 or 32 bits per pixel in one block of memory, with a lock
// of its own: the frame store that a movie decoder thread writes while the
// main thread reads. The movie library is built from this same definition,
// so the field order below is shared with it.
#include <cstdint>

#include "base/CriticalSection.h"
#include "raster/ClippedImage.h"

namespace orrivel {

class PixelBuffer : public ClippedImage {
 public:
  PixelBuffer() = default;
  // Frees the pixels, then the lock goes.
  ~PixelBuffer() override;

  uint8_t GetKind() const override { return kImageKindPixelBuffer; }
  uint8_t* GetBits() override { return pixels_; }
  uint8_t* GetScanLine(int32_t y) override;
  // 8 bits: red as an index; 16 bits: R5G6B5; 32 bits: 0x00RRGGBB. Other
  // depths leave the key as it was.
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override;
  int SetColorKeyAt(int32_t x, int32_t y) override;
  int ClearColorKey() override;
  int Restore(uint8_t) override { return 0; }

  // Keeps the block when the new size fits in it (old bytes stay where they
  // are); otherwise allocates anew and loses pixels and key.
  virtual int Resize(int32_t width, int32_t height);

  uint8_t GetBitsPerPixel() const { return bitsPerPixel_; }
  uint32_t GetSize() const { return size_; }
  // Held by whoever reads or writes the pixels; no operation here takes it.
  CriticalSection& Lock() { return lock_; }

 private:
  friend int PixelBufferCreate(PixelBuffer& image, int32_t width, int32_t height,
                               uint8_t bitsPerPixel);
  friend void PixelBufferFree(PixelBuffer& image);
  friend uint32_t PixelBufferGetPixel(const PixelBuffer& image, int32_t x, int32_t y);

  uint8_t* pixels_ = nullptr;
  uint8_t bitsPerPixel_ = 0;
  uint32_t size_ = 0;
  CriticalSection lock_;
};

// Frees first, then allocates pitch * height bytes, cleared to zero.
// 0 done; 1 a size below 1 or fewer than 8 bits; 2 no memory or too large.
int PixelBufferCreate(PixelBuffer& image, int32_t width, int32_t height, uint8_t bitsPerPixel);
// Releases the pixels; key none, width 0, size 0.
void PixelBufferFree(PixelBuffer& image);
// The byte, word or 32-bit word at x, y; kNoColorKey (-1) outside, without
// pixels or at another depth. A 32-bit pixel 0xFFFFFFFF reads the same as a
// point outside, so it can never become a colour key.
uint32_t PixelBufferGetPixel(const PixelBuffer& image, int32_t x, int32_t y);

}  // namespace orrivel
