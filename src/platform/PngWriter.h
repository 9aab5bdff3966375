#pragma once
// Writes 32-bit pictures as PNG files (stored, uncompressed deflate blocks:
// no compression library is needed). The file is written to a temporary
// name beside the target and renamed over it, so a failed write leaves an
// older file intact.
#include <cstdint>
#include <string>
#include <vector>

namespace orrivel::platform {

// The PNG bytes of a picture given as rows of 0x00RRGGBB words (top row
// first, `width` words a row); written as 8-bit RGB.
std::vector<uint8_t> EncodePngRgb(const uint32_t* pixels, uint32_t width, uint32_t height);
// Writes to a host path (a test's or a player's screenshot, never game
// data). False when the file cannot be written.
bool WritePngRgb(const std::string& path, const uint32_t* pixels, uint32_t width, uint32_t height);

}  // namespace orrivel::platform
