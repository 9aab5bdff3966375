#pragma once
// PNG files for the elg program, through libpng's simplified interface.
#include <cstdint>
#include <string>
#include <vector>

namespace orrivel::tools {

struct PngPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool indexed = false;
  bool hasAlpha = false;
  // Top-down rows without padding: indexed, one index a byte; otherwise
  // blue, green, red, alpha.
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t> palette;  // indexed: 256 entries of blue, green, red, 0
};

// False with a message in `error` when the file cannot be read.
bool ReadPng(const std::string& path, PngPicture* picture, std::string* error);
bool WritePng(const std::string& path, const PngPicture& picture, std::string* error);

}  // namespace orrivel::tools
