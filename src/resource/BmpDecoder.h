#pragma once
// The decoder of Windows bitmap files with the 40-byte information header:
// uncompressed 1- to 32-bit, run-length 8- and 4-bit, and bit-field files
// (which decode to 24 bits). It is the one decoder that can also write.
#include <cstdint>

#include "resource/BitmapInfoHeader.h"
#include "resource/PictureDecoder.h"

namespace orrivel {

class BmpDecoder : public PictureDecoder {
 public:
  // What a file's headers say, checked against its size.
  struct Layout {
    BitmapInfoHeader header;
    std::uint32_t offBits = 0;        // pixel data (and run-length data)
    std::uint32_t width = 0;
    std::uint32_t height = 0;         // |height|
    bool bottomUp = true;
    std::uint32_t colorsInUse = 0;    // colour-table entries below 16 bits
    bool bitFields = false;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    std::uint64_t rowBytes = 0;       // decoded row, without padding
    std::uint64_t pitch = 0;          // decoded row, padded to 4
    std::uint64_t sourcePitch = 0;    // stored row of an uncompressed file
  };

  // Save modes.
  static constexpr std::int32_t kSaveAsIs = 0;       // 8 and 24 bits as they are; 32 as 24
  static constexpr std::int32_t kSave32 = 1;         // 32-bit rows unchanged
  static constexpr std::int32_t kSaveAlphaMask = 2;  // alpha bytes as an 8-bit grey file

  ~BmpDecoder() override;

  bool IsSupported(const std::uint8_t* data, std::uint64_t size, const char* name) override;
  std::int32_t DecodeInto(const std::uint8_t* data, std::uint64_t size,
                          PictureAllocateFn allocate, void* user, bool as8bit,
                          PictureProgressFn progress, void* progressUser) override;
  std::int32_t Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info,
                      PictureBlock* pixels, PictureProgressFn progress,
                      void* progressUser) override;
  std::int32_t Save(std::int32_t mode, const std::uint8_t* pixels, std::int32_t width,
                    std::int32_t height, std::int32_t bitCount, std::int32_t pitch,
                    PictureWriteFn write, void* writeUser, const std::uint8_t* palette,
                    PictureProgressFn progress, void* progressUser) override;
  bool CanSave() const override;

  // 0 or an EGllErrorCode: 1 not a bitmap with a 40-byte header; 3 truncated
  // headers, colour table or pixel data, an unsupported depth, compression or
  // mask; 6 a size no block can hold.
  static std::int32_t ReadLayout(const std::uint8_t* data, std::uint64_t size, Layout* layout);

 private:
  std::int32_t DecodeChecked(const std::uint8_t* data, std::uint64_t size, const Layout& layout);
};

// Run-length expanders into `height` rows of `pitch` bytes in memory order
// (the first row at destination), `width` pixels a row. They never write
// outside the rows nor read past `sourceSize`; false for a run past the row
// or the last row, truncated data or a position jump.
bool ExpandRle8(std::uint8_t* destination, std::uint32_t width, std::uint32_t height,
                std::uint64_t pitch, const std::uint8_t* source, std::uint64_t sourceSize);
bool ExpandRle4(std::uint8_t* destination, std::uint32_t width, std::uint32_t height,
                std::uint64_t pitch, const std::uint8_t* source, std::uint64_t sourceSize);

}  // namespace orrivel
