// Decodes the input as an ELG picture both ways: bottom-up through Decode
// and top-down into a caller buffer (32 and 8 bits, with row padding). When
// both succeed, the 32-bit buffer must match the decoded rows.
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzPictures.h"
#include "resource/BitmapInfoHeader.h"
#include "resource/ElgDecoder.h"

namespace {

struct Buffer {
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> palette = std::vector<uint8_t>(1024);
  int32_t width = 0, height = 0, pitch = 0;

  static uint8_t* Allocate(int32_t w, int32_t h, int32_t bits, bool, int32_t* pitch, uint8_t** pal,
                           void* user) {
    auto* b = static_cast<Buffer*>(user);
    const uint64_t bytes = (uint64_t(w) * (bits / 8) + 3) * uint64_t(h);
    if (bytes > (64u << 20)) return nullptr;
    b->width = w;
    b->height = h;
    b->pitch = w * (bits / 8) + 3;
    *pitch = b->pitch;
    if (pal) *pal = b->palette.data();
    b->pixels.assign(size_t(b->pitch) * size_t(h), 0);
    return b->pixels.data();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The guard covers every decode below.
  if (!orrivel::fuzz::PictureWithinFuzzSize(data, size)) return 0;
  orrivel::ElgDecoder decoder;
  decoder.IsSupported(data, size, nullptr);
  orrivel::PictureBlock info, pixels;
  const int32_t decoded = decoder.Decode(data, size, &info, &pixels, nullptr, nullptr);
  Buffer wide;
  const int32_t into = decoder.DecodeInto(data, size, &Buffer::Allocate, &wide, false, nullptr, nullptr);
  Buffer narrow;
  decoder.DecodeInto(data, size, &Buffer::Allocate, &narrow, true, nullptr, nullptr);
  if (decoded == 0 && into == 0) {
    const orrivel::BitmapInfoHeader h = orrivel::BitmapInfoHeader::Read(info.Data());
    const uint32_t bytesPerPixel = h.bitCount / 8;
    const uint64_t pitch = (uint64_t(h.width) * bytesPerPixel + 3) & ~uint64_t(3);
    for (int32_t y = 0; y < h.height; ++y) {
      const uint8_t* row = pixels.Data() + uint64_t(h.height - 1 - y) * pitch;
      for (int32_t x = 0; x < h.width; ++x) {
        const uint8_t* got = wide.pixels.data() + uint64_t(y) * wide.pitch + uint64_t(x) * 4;
        if (h.bitCount == 8) {
          if (std::memcmp(got, info.Data() + 40 + row[x] * 4, 3) != 0) __builtin_trap();
        } else if (std::memcmp(got, row + uint64_t(x) * bytesPerPixel, bytesPerPixel) != 0) {
          __builtin_trap();
        }
      }
    }
  }
  return 0;
}
