#include "elg/BmpWriter.h"

#include <algorithm>

namespace orrivel::tools {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Shared by both run-length forms; `nibbles` packs two pixels a byte.
std::vector<std::uint8_t> EncodeRle(const std::uint8_t* px, std::uint32_t width,
                                    std::uint32_t height, bool nibbles) {
  std::vector<std::uint8_t> out;
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = px + std::size_t(y) * width;
    std::uint32_t x = 0;
    while (x < width) {
      std::uint32_t run = 1;
      while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
      if (run >= 2 || width - x < 3) {
        const std::uint32_t n = std::min<std::uint32_t>(run, width - x);
        out.push_back(std::uint8_t(n));
        out.push_back(nibbles ? std::uint8_t(row[x] << 4 | (row[x] & 0x0F)) : row[x]);
        x += n;
        continue;
      }
      // A literal group: up to the next run of two, at least 3 pixels.
      std::uint32_t n = 1;
      while (x + n < width && n < 255 && !(x + n + 1 < width && row[x + n] == row[x + n + 1])) ++n;
      if (n < 3) n = std::min<std::uint32_t>(3, width - x);
      out.push_back(0);
      out.push_back(std::uint8_t(n));
      std::size_t bytes = 0;
      if (nibbles) {
        for (std::uint32_t i = 0; i < n; i += 2, ++bytes) {
          const std::uint8_t hi = row[x + i] & 0x0F;
          const std::uint8_t lo = i + 1 < n ? row[x + i + 1] & 0x0F : 0;
          out.push_back(std::uint8_t(hi << 4 | lo));
        }
      } else {
        out.insert(out.end(), row + x, row + x + n);
        bytes = n;
      }
      if (bytes % 2) out.push_back(0);
      x += n;
    }
    if (y + 1 < height) {
      out.push_back(0);
      out.push_back(0);
    }
  }
  out.push_back(0);
  out.push_back(1);
  return out;
}

}  // namespace

std::vector<std::uint8_t> WriteBmpFile(const BmpFile& f) {
  const std::uint32_t tables =
      std::uint32_t(f.colors.size()) + (f.writeMasks ? 12 : 0);
  const std::uint32_t offBits = 54 + tables + f.gap;
  std::vector<std::uint8_t> out;
  Put16(out, 0x4D42);
  Put32(out, offBits + std::uint32_t(f.data.size()));
  Put32(out, 0);
  Put32(out, offBits);
  Put32(out, 40);
  Put32(out, std::uint32_t(f.width));
  Put32(out, std::uint32_t(f.height));
  Put16(out, 1);
  Put16(out, f.bitCount);
  Put32(out, f.compression);
  Put32(out, std::uint32_t(f.data.size()));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, f.colorsUsed);
  Put32(out, 0);
  if (f.writeMasks) {
    for (std::uint32_t m : f.masks) Put32(out, m);
  }
  out.insert(out.end(), f.colors.begin(), f.colors.end());
  out.insert(out.end(), f.gap, 0xEE);
  out.insert(out.end(), f.data.begin(), f.data.end());
  return out;
}

std::vector<std::uint8_t> EncodeRle8(const std::uint8_t* indices, std::uint32_t width,
                                     std::uint32_t height) {
  return EncodeRle(indices, width, height, false);
}

std::vector<std::uint8_t> EncodeRle4(const std::uint8_t* indices, std::uint32_t width,
                                     std::uint32_t height) {
  return EncodeRle(indices, width, height, true);
}

}  // namespace orrivel::tools
