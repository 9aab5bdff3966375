#pragma once
// Pitch and byte count of a memory image, worked out in 64 bits so that
// sizes read from files can never wrap into a short allocation.
#include <cstdint>

namespace orrivel {

struct ImageSize {
  uint64_t pitch = 0;       // bytes per row, rounded up to 4
  uint64_t pixelBytes = 0;  // pitch * height
  bool fits = false;        // every byte offset fits a signed 32-bit value
};

// Rows hold (bits / 8) bytes per pixel. extra is the slack the caller adds
// to the allocation; it counts toward the limit.
inline ImageSize ComputeImageSize(int32_t width, int32_t height, uint32_t bitsPerPixel,
                                  uint64_t extra) {
  ImageSize s;
  if (width < 1 || height < 1) return s;
  s.pitch = (uint64_t(bitsPerPixel / 8) * uint64_t(width) + 3) & ~uint64_t(3);
  s.pixelBytes = s.pitch * uint64_t(height);
  s.fits = s.pitch <= 0x7FFFFFFFu && s.pixelBytes + extra <= 0x7FFFFFFFu;
  return s;
}

}  // namespace orrivel
