#pragma once
// Reading and writing one pixel of any surface format as a 0xAARRGGBB word.
// The shifts and widths are worked out once per format so that blits and the
// rasteriser can convert pixel by pixel without looking at the masks again.
#include <cstdint>
#include <cstring>

#include "platform/SoftSurface.h"

namespace orrivel::platform {

class PixelLayout {
 public:
  explicit PixelLayout(const SurfacePixelFormat& format, const uint32_t* palette = nullptr);

  uint32_t BytesPerPixel() const { return bytes_; }
  bool HasAlpha() const { return channels_[3].bits != 0; }

  // The raw pixel word for a colour; an 8-bit layout picks the nearest
  // palette entry.
  uint32_t Pack(uint32_t argb) const;
  // The colour of a raw pixel word; formats without alpha read as opaque.
  uint32_t Unpack(uint32_t raw) const;

  uint32_t Load(const uint8_t* p) const {
    switch (bytes_) {
      case 1:
        return p[0];
      case 2: {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
      }
      case 3:
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
      default: {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
      }
    }
  }
  void Store(uint8_t* p, uint32_t raw) const {
    switch (bytes_) {
      case 1:
        p[0] = uint8_t(raw);
        break;
      case 2: {
        const uint16_t v = uint16_t(raw);
        std::memcpy(p, &v, 2);
        break;
      }
      case 3:
        p[0] = uint8_t(raw);
        p[1] = uint8_t(raw >> 8);
        p[2] = uint8_t(raw >> 16);
        break;
      default:
        std::memcpy(p, &raw, 4);
        break;
    }
  }
  // Whole rows: count pixels between this layout and 0xAARRGGBB words.
  void UnpackRow(uint32_t* argb, const uint8_t* src, int32_t count) const;
  void PackRow(uint8_t* dst, const uint32_t* argb, int32_t count) const;

  uint32_t ReadArgb(const uint8_t* p) const { return Unpack(Load(p)); }
  void WriteArgb(uint8_t* p, uint32_t argb) const { Store(p, Pack(argb)); }

 private:
  struct Channel {
    uint8_t shift = 0;
    uint8_t bits = 0;
  };
  uint32_t NearestPaletteIndex(uint32_t argb) const;

  Channel channels_[4];  // red, green, blue, alpha
  uint32_t bytes_ = 4;
  bool argb32_ = false;  // 0xAARRGGBB or 0x00RRGGBB words: no shifting needed
  const uint32_t* palette_ = nullptr;
};

}  // namespace orrivel::platform
