#pragma once
// Stream decoders of ELG picture planes.
//
// Each takes the first byte of a stream and the end of the data it may read,
// writes exactly the items of its plane, and returns the address after the
// stream's end byte 0xFF. It returns nullptr, having written only inside its
// plane, when the stream runs past `end`, describes fewer or more items than
// the plane holds, or copies from an item not yet written (a distance before
// the first item, a row above the first row, a column outside the picture).
//
// Byte-form streams carry palettes, indices and alpha; pixel-form streams
// carry 3-byte pixels (blue, green, red) and may copy from rows above.
// "Bottom-up" destinations put picture row 0 at destination + (height - 1) *
// pitch; "top-down" ones at destination. Back and row-above copies read what
// the same decoder wrote (luma bytes for the luma decoders, 4-byte pixels for
// the 32-bit ones), so every destination form gives the same picture.
#include <cstdint>

namespace orrivel {

// Byte form into `count` consecutive bytes (a palette, or unpadded indices).
const std::uint8_t* ElgUnpack8(const std::uint8_t* stream, const std::uint8_t* end,
                               std::uint8_t* destination, std::uint64_t count);
// Byte form into bottom-up rows of `pitch` bytes.
const std::uint8_t* ElgUnpack8Rows(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint8_t* destination, std::uint32_t width,
                                   std::uint32_t height, std::uint64_t pitch);
// Byte form into top-down rows of `pitch` bytes.
const std::uint8_t* ElgUnpack8Strided(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint8_t* destination, std::uint32_t width,
                                      std::uint32_t height, std::uint64_t pitch);
// Pixel form into bottom-up rows of 3-byte pixels.
const std::uint8_t* ElgUnpack24Rows(const std::uint8_t* stream, const std::uint8_t* end,
                                    std::uint8_t* destination, std::uint32_t width,
                                    std::uint32_t height, std::uint64_t pitch);
// Pixel form into bottom-up rows of 4-byte pixels, pitch width * 4. The fourth
// byte is written 0; the alpha stream fills it afterwards.
const std::uint8_t* ElgUnpack32Rows(const std::uint8_t* stream, const std::uint8_t* end,
                                    std::uint8_t* destination, std::uint32_t width,
                                    std::uint32_t height);
// Byte form into the fourth byte of each 4-byte pixel, bottom-up rows of
// width * 4 bytes.
const std::uint8_t* ElgUnpackAlphaBottomUp(const std::uint8_t* stream, const std::uint8_t* end,
                                           std::uint8_t* destination, std::uint32_t width,
                                           std::uint32_t height);
// Pixel form into top-down rows of 4-byte pixels 0x00RRGGBB.
const std::uint8_t* ElgUnpackRgb32(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint8_t* destination, std::uint32_t width,
                                   std::uint32_t height, std::uint64_t pitch);
// Byte form into the fourth byte of each 4-byte pixel, top-down rows.
const std::uint8_t* ElgUnpackAlpha(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint8_t* destination, std::uint32_t width,
                                   std::uint32_t height, std::uint64_t pitch);
// Byte form of indices into top-down rows of 4-byte pixels: the palette
// entry's blue, green and red (palette of 256 entries of 4 bytes) with
// `alpha` in the top byte.
const std::uint8_t* ElgUnpackIndexed32(const std::uint8_t* stream, const std::uint8_t* end,
                                       std::uint8_t* destination, std::uint32_t width,
                                       std::uint32_t height, std::uint64_t pitch,
                                       const std::uint8_t* palette, std::uint8_t alpha);
// Pixel form into consecutive luma bytes, (77 R + 150 G + 29 B) >> 8.
const std::uint8_t* ElgUnpackGray(const std::uint8_t* stream, const std::uint8_t* end,
                                  std::uint8_t* destination, std::uint32_t width,
                                  std::uint32_t height);
// As ElgUnpackGray, into top-down rows of `pitch` bytes.
const std::uint8_t* ElgUnpackStrided(const std::uint8_t* stream, const std::uint8_t* end,
                                     std::uint8_t* destination, std::uint32_t width,
                                     std::uint32_t height, std::uint64_t pitch);

// Luma of one pixel as the ELG decoders compute it.
constexpr std::uint8_t ElgLuma(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  return std::uint8_t((77u * red + 150u * green + 29u * blue) >> 8);
}

}  // namespace orrivel
