#pragma once
// The 40-byte device-independent bitmap information header as it lies in
// files and in picture header blocks, read and written field by field in
// little-endian order. Decoded pictures keep it at the start of their header
// block, followed by the colour table for indexed depths.
#include <cstdint>

namespace orrivel {

struct BitmapInfoHeader {
  static constexpr std::uint32_t kSize = 40;
  static constexpr std::uint32_t kCompressionRgb = 0;
  static constexpr std::uint32_t kCompressionRle8 = 1;
  static constexpr std::uint32_t kCompressionRle4 = 2;
  static constexpr std::uint32_t kCompressionBitFields = 3;

  std::uint32_t size = kSize;
  std::int32_t width = 0;
  std::int32_t height = 0;  // positive: rows bottom-up; negative: top-down
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = kCompressionRgb;
  std::uint32_t imageSize = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
  std::uint32_t colorsUsed = 0;
  std::uint32_t colorsImportant = 0;

  // `bytes` holds at least kSize bytes.
  static BitmapInfoHeader Read(const std::uint8_t* bytes);
  void Write(std::uint8_t* bytes) const;
};

}  // namespace orrivel
