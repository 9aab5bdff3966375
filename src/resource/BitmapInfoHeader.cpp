#include "resource/BitmapInfoHeader.h"

namespace orrivel {
namespace {

std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
std::uint16_t Get16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
void Put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}
void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}

}  // namespace

BitmapInfoHeader BitmapInfoHeader::Read(const std::uint8_t* b) {
  BitmapInfoHeader h;
  h.size = Get32(b);
  h.width = std::int32_t(Get32(b + 4));
  h.height = std::int32_t(Get32(b + 8));
  h.planes = Get16(b + 12);
  h.bitCount = Get16(b + 14);
  h.compression = Get32(b + 16);
  h.imageSize = Get32(b + 20);
  h.xPelsPerMeter = std::int32_t(Get32(b + 24));
  h.yPelsPerMeter = std::int32_t(Get32(b + 28));
  h.colorsUsed = Get32(b + 32);
  h.colorsImportant = Get32(b + 36);
  return h;
}

void BitmapInfoHeader::Write(std::uint8_t* b) const {
  Put32(b, size);
  Put32(b + 4, std::uint32_t(width));
  Put32(b + 8, std::uint32_t(height));
  Put16(b + 12, planes);
  Put16(b + 14, bitCount);
  Put32(b + 16, compression);
  Put32(b + 20, imageSize);
  Put32(b + 24, std::uint32_t(xPelsPerMeter));
  Put32(b + 28, std::uint32_t(yPelsPerMeter));
  Put32(b + 32, colorsUsed);
  Put32(b + 36, colorsImportant);
}

}  // namespace orrivel
