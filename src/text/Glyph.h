#pragma once
// One rendered character (or picture): an 8-bit coverage map, 0 empty to 255
// full, with where it lies relative to the pen and how far the pen moves.
#include <cstdint>
#include <memory>

namespace orrivel {

struct Glyph {
  int32_t originX = 0;   // left of the map relative to the pen
  int32_t originY = 0;   // top of the map relative to the pen (the line's top)
  int32_t advanceX = 0;  // pen step, turned with the font's angle
  int32_t advanceY = 0;
  int32_t pitch = 0;     // bytes a map row, a multiple of 4
  int32_t width = 0;     // 0 with height for a blank character
  int32_t height = 0;
  std::unique_ptr<uint8_t[]> map;  // null for a blank character
  int32_t shareCount = 0;          // further owners; 0 = one owner

  bool IsBlank() const { return !map; }
  const uint8_t* Row(int32_t y) const { return map.get() + int64_t(y) * pitch; }
};

// Lets go of a glyph: one owner less, or frees it when it had only one.
void ReleaseGlyph(Glyph* glyph);

// Bytes of a coverage row holding width pixels.
constexpr int32_t CoveragePitch(int32_t width) { return (width + 3) & ~3; }
// Bytes of a one-bit row holding width pixels.
constexpr int32_t BitPitch(int32_t width) { return ((width + 7) / 8 + 3) & ~3; }

}  // namespace orrivel
