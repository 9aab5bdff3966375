#pragma once
// Writer of ELG pictures. Every plane is compressed with the whole command
// set of the format: literals, fills, back copies at every distance range
// and, in colour planes, copies from rows above; the encoder chooses at each
// position the command that saves the most bytes.
#include <array>
#include <cstdint>
#include <vector>

namespace orrivel::tools {

// The three header layouts: depth in byte 3; variant 1 with an offset;
// variant 2 with an offset and extra chunks.
enum class ElgHeaderVariant { kDepthOnly, kOffset, kChunked };

// Command forms, one per range of command bytes.
enum class ElgCommand : int {
  kByteLiteral,       // 0x00-0x1F
  kByteLongLiteral,   // 0x20-0x3F
  kByteFill,          // 0x40-0x5F
  kByteLongFill,      // 0x60-0x7F
  kByteCopyShort,     // 0x80-0x8F
  kByteCopyLong,      // 0x90-0x9F
  kByteCopy3,         // 0xA0-0xAF
  kByteCopy4,         // 0xB0-0xBF
  kByteCopy1,         // 0xC0-0xDF
  kByteCopy2,         // 0xE0-0xFE
  kPixelLiteral,      // 0x00-0x1F
  kPixelLongLiteral,  // 0x20-0x3F
  kPixelFill,         // 0x40-0x5F
  kPixelLongFill,     // 0x60-0x7F
  kPixelCopyShort,    // 0x80-0x8F
  kPixelCopyLong,     // 0x90-0x9F
  kPixelCopyFar,      // 0xA0-0xAF
  kPixelCopy1Near,    // 0xB0-0xB7
  kPixelCopy1,        // 0xB8-0xBF
  kPixelAboveFar,     // 0xC0-0xC3
  kPixelAboveFarLeft,   // 0xC4-0xC7
  kPixelAboveFarRight,  // 0xC8-0xCB
  kPixelCopy1Far,     // 0xCC-0xCF
  kPixelAbove,        // 0xD0-0xDF
  kPixelAboveLeft,    // 0xE0-0xEF
  kPixelAboveRight,   // 0xF0-0xFE
  kCount,
};

struct ElgEncodeStats {
  std::array<std::uint64_t, std::size_t(ElgCommand::kCount)> uses{};
  std::uint64_t Uses(ElgCommand c) const { return uses[std::size_t(c)]; }
};

struct ElgChunk {
  std::uint8_t type = 1;  // non-zero
  std::vector<std::uint8_t> data;
};

struct ElgImage {
  std::uint32_t depth = 32;  // 8, 24 or 32
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::int16_t offsetX = 0;
  std::int16_t offsetY = 0;
  // Top-down rows without padding: 8 bits indices, 24 bits blue, green, red,
  // 32 bits blue, green, red, alpha.
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t> palette;  // 8 bits: 1024 bytes (blue, green, red, reserved)
  std::vector<ElgChunk> chunks;       // written by the chunked variant only
};

// The whole file.
std::vector<std::uint8_t> EncodeElg(const ElgImage& image, ElgHeaderVariant variant,
                                    ElgEncodeStats* stats = nullptr);
// One byte-form stream of `count` items, with its end byte.
std::vector<std::uint8_t> EncodeElgBytePlane(const std::uint8_t* items, std::size_t count,
                                             ElgEncodeStats* stats = nullptr);
// One pixel-form stream of the first three bytes of each item; items are
// `stride` bytes apart (3 or 4), rows of `width` items.
std::vector<std::uint8_t> EncodeElgPixelPlane(const std::uint8_t* pixels, std::uint32_t width,
                                              std::uint32_t height, std::uint32_t stride,
                                              ElgEncodeStats* stats = nullptr);

}  // namespace orrivel::tools
