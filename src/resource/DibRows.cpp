#include "resource/DibRows.h"

#include <cstring>

namespace orrivel {
namespace {

void Store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }
std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

bool KnownDepth(std::uint16_t bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

}  // namespace

std::uint32_t DibRows::IndexAt(const std::uint8_t* row, std::uint32_t x) const {
  switch (bitCount) {
    case 1:
      return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4:
      return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    default:
      return row[x];
  }
}

bool DibRowsTo32(const DibRows& rows, std::uint8_t* destination, std::uint64_t pitch) {
  if (!KnownDepth(rows.bitCount)) return false;
  for (std::uint32_t y = 0; y < rows.height; ++y) {
    const std::uint8_t* s = rows.Row(y);
    std::uint8_t* d = destination + std::uint64_t(y) * pitch;
    switch (rows.bitCount) {
      case 32:
        std::memcpy(d, s, std::uint64_t(rows.width) * 4);
        break;
      case 24:
        for (std::uint32_t x = 0; x < rows.width; ++x, s += 3) {
          Store32(d + x * 4ull, s[0] | s[1] << 8 | std::uint32_t(s[2]) << 16);
        }
        break;
      case 16:
        for (std::uint32_t x = 0; x < rows.width; ++x, s += 2) {
          const std::uint32_t p = s[0] | s[1] << 8;
          Store32(d + x * 4ull,
                  ((p >> 10) & 0x1F) << 19 | ((p >> 5) & 0x1F) << 11 | (p & 0x1F) << 3);
        }
        break;
      default:
        for (std::uint32_t x = 0; x < rows.width; ++x) {
          const std::uint32_t i = rows.IndexAt(s, x);
          Store32(d + x * 4ull, i < rows.colorCount ? Load32(rows.colors + i * 4) : 0);
        }
        break;
    }
  }
  return true;
}

bool DibRowsTo8(const DibRows& rows, std::uint8_t* destination, std::uint64_t pitch) {
  if (!KnownDepth(rows.bitCount)) return false;
  for (std::uint32_t y = 0; y < rows.height; ++y) {
    const std::uint8_t* s = rows.Row(y);
    std::uint8_t* d = destination + std::uint64_t(y) * pitch;
    switch (rows.bitCount) {
      case 32:
      case 24: {
        const std::uint32_t step = rows.bitCount / 8;
        for (std::uint32_t x = 0; x < rows.width; ++x, s += step) {
          d[x] = std::uint8_t((77u * s[2] + 150u * s[1] + 29u * s[0]) >> 8);
        }
        break;
      }
      case 16:
        for (std::uint32_t x = 0; x < rows.width; ++x, s += 2) {
          const std::uint32_t p = s[0] | s[1] << 8;
          const std::uint32_t r5 = (p >> 10) & 0x1F, g5 = (p >> 5) & 0x1F, b5 = p & 0x1F;
          d[x] = std::uint8_t(((r5 << 3) * 77 + (g5 << 3) * 150 + b5 * 232) >> 8);
        }
        break;
      default:
        for (std::uint32_t x = 0; x < rows.width; ++x) d[x] = std::uint8_t(rows.IndexAt(s, x));
        break;
    }
  }
  return true;
}

}  // namespace orrivel
