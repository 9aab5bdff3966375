// Decodes the input as a bitmap: bottom-up through Decode and into caller
// buffers of 32 and 8 bits; a decoded picture is then saved again.
#include <cstdint>
#include <vector>

#include "FuzzPictures.h"
#include "resource/BmpDecoder.h"

namespace {

struct Buffer {
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> palette = std::vector<uint8_t>(1024);

  static uint8_t* Allocate(int32_t w, int32_t h, int32_t bits, bool, int32_t* pitch, uint8_t** pal,
                           void* user) {
    auto* b = static_cast<Buffer*>(user);
    *pitch = w * (bits / 8) + 1;
    if (pal) *pal = b->palette.data();
    b->pixels.assign(size_t(*pitch) * size_t(h), 0);
    return b->pixels.data();
  }
};

bool Discard(const uint8_t*, uint64_t, void*) { return true; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orrivel::BmpDecoder decoder;
  orrivel::BmpDecoder::Layout layout;
  // The guard covers every decode below: Decode and both DecodeInto calls.
  if (!orrivel::fuzz::PictureWithinFuzzSize(data, size)) return 0;
  orrivel::BmpDecoder::ReadLayout(data, size, &layout);
  orrivel::PictureBlock info, pixels;
  if (decoder.Decode(data, size, &info, &pixels, nullptr, nullptr) == 0) {
    const orrivel::BitmapInfoHeader h = orrivel::BitmapInfoHeader::Read(info.Data());
    if (h.bitCount >= 8) {
      decoder.Save(0, pixels.Data(), h.width, h.height, h.bitCount, int32_t(layout.pitch), &Discard,
                   nullptr, h.bitCount == 8 && info.Size() >= 40 + 1024 ? info.Data() + 40 : nullptr, nullptr, nullptr);
    }
  }
  Buffer wide, narrow;
  decoder.DecodeInto(data, size, &Buffer::Allocate, &wide, false, nullptr, nullptr);
  decoder.DecodeInto(data, size, &Buffer::Allocate, &narrow, true, nullptr, nullptr);
  return 0;
}
