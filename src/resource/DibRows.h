#pragma once
// Rows of a device-independent bitmap read as a top-down picture, and their
// conversion into a caller's 32-bit or 8-bit buffer. The picture decoders use
// these to fill buffers that callers give through `allocate`.
#include <cstdint>

namespace orrivel {

struct DibRows {
  const std::uint8_t* bits = nullptr;  // the first stored row
  std::uint64_t stride = 0;            // bytes between stored rows
  std::uint32_t width = 0;
  std::uint32_t height = 0;            // rows, always positive
  bool bottomUp = true;                // stored rows run bottom-up
  std::uint16_t bitCount = 0;          // 1, 4, 8, 16 (X1R5G5B5), 24 or 32
  const std::uint8_t* colors = nullptr;  // colour table, 4 bytes an entry
  std::uint32_t colorCount = 0;

  // Stored row of top-down picture row y.
  const std::uint8_t* Row(std::uint32_t y) const {
    return bits + (bottomUp ? std::uint64_t(height - 1 - y) : std::uint64_t(y)) * stride;
  }
  // Colour-table index of pixel x of a row of 1, 4 or 8 bits.
  std::uint32_t IndexAt(const std::uint8_t* row, std::uint32_t x) const;
};

// 32-bit words: 32-bit sources are copied word for word, alpha included;
// indexed sources give the colour-table entry as stored (an index past the
// table gives 0); 16- and 24-bit sources give 0x00RRGGBB. False for a depth
// it does not know.
bool DibRowsTo32(const DibRows& rows, std::uint8_t* destination, std::uint64_t pitch);
// 8-bit: the index for indexed sources, luma for 16 bits and more.
bool DibRowsTo8(const DibRows& rows, std::uint8_t* destination, std::uint64_t pitch);

}  // namespace orrivel
