#pragma once
// Writer of bitmap files in the forms the engine's own encoder never makes:
// run-length 8- and 4-bit data, bit-field masks, colour tables of any length
// and a gap before the pixel data. Tests and the elg tool build their bitmap
// fixtures with it.
#include <array>
#include <cstdint>
#include <vector>

namespace orrivel::tools {

struct BmpFile {
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: rows stored top-down
  std::uint16_t bitCount = 8;
  std::uint32_t compression = 0;  // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
  std::uint32_t colorsUsed = 0;   // the header's colour count field
  std::vector<std::uint8_t> colors;  // the colour table as stored, 4 bytes an entry
  bool writeMasks = false;
  std::array<std::uint32_t, 3> masks{};  // red, green, blue
  std::uint32_t gap = 0;  // bytes between the tables and the pixel data
  std::vector<std::uint8_t> data;  // pixel rows or run-length data as stored
};

std::vector<std::uint8_t> WriteBmpFile(const BmpFile& file);

// Run-length data for `height` rows of `width` pixels given one index a byte,
// rows in stored order: runs of equal pixels, literal groups, a row end after
// each row but the last, and the end-of-picture mark.
std::vector<std::uint8_t> EncodeRle8(const std::uint8_t* indices, std::uint32_t width,
                                     std::uint32_t height);
std::vector<std::uint8_t> EncodeRle4(const std::uint8_t* indices, std::uint32_t width,
                                     std::uint32_t height);

}  // namespace orrivel::tools
