#pragma once
// The glyph cache key and its bucket. The key holds the character code (or
// picture number) in bits 0-15, the pixel height in bits 16-28, italic in
// bit 29, bold in bit 30 and the outline (edge) version in bit 31. Thirteen
// height bits keep every height a face can be opened at apart; the bucket
// hashes only the height's two low bytes.
#include <cstdint>

namespace orrivel {

inline constexpr uint32_t kGlyphKeyHeightMask = 0x1FFF;

constexpr uint32_t MakeGlyphKey(uint16_t code, uint32_t pixelHeight, bool edge, bool bold, bool italic) {
  return uint32_t(code) | (pixelHeight & kGlyphKeyHeightMask) << 16 | uint32_t(italic) << 29 |
         uint32_t(bold) << 30 | uint32_t(edge) << 31;
}

constexpr uint8_t GlyphBucket(uint16_t code, uint32_t pixelHeight, bool edge, bool bold, bool italic) {
  return uint8_t((((uint32_t(bold) * 8) ^ uint32_t(italic)) * 16) ^ uint32_t(edge) ^ (code >> 8) ^
                 (code & 0xFF) ^ ((pixelHeight >> 8) & 0xFF) ^ (pixelHeight & 0xFF));
}

}  // namespace orrivel
