// The image loader manager's choice of decoder: the input's first byte
// picks a file name from a few extensions (or none), the rest is the file.
// The choice by extension, then by content, must agree with what decoding
// does, and a decode through the manager never crashes whichever decoder
// is chosen.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzPictures.h"
#include "resource/DecodedPicture.h"
#include "resource/ImageLoaderManager.h"

namespace {

using namespace orrivel;

struct Buffer {
  std::vector<uint8_t> pixels;
  uint8_t palette[1024] = {};
  int released = 0;

  static uint8_t* Allocate(int32_t w, int32_t h, int32_t bits, bool, int32_t* pitch, uint8_t** pal, void* user) {
    auto* b = static_cast<Buffer*>(user);
    if (w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) > fuzz::kMaxFuzzPixels) return nullptr;
    *pitch = w * (bits / 8);
    if (pal) *pal = b->palette;
    b->pixels.assign(size_t(*pitch) * size_t(h), 0);
    return b->pixels.data();
  }
  static void Release(void* user) { ++static_cast<Buffer*>(user)->released; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536) return 0;
  static const char* const kNames[] = {nullptr, "A.BMP", "A.ELG", "A.bmp", "A.PNG", "A", "A.ELG.BMP", "DIR.BMP\\A"};
  const char* name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
  ++data;
  --size;
  if (!fuzz::PictureWithinFuzzSize(data, size)) return 0;
  ImageLoaderManager& manager = fuzz::BuiltInLoaderManager();
  PictureDecoder* byData = manager.FindDecoderForData(data, size, name);
  if (name) manager.FindDecoderByExtension(name, false);
  for (const bool as8bit : {false, true}) {
    Buffer buffer;
    int32_t x = 0, y = 0;
    PictureBlock extra;
    const int32_t code = manager.LoadIntoFromMemory(data, size, &Buffer::Allocate, &Buffer::Release, &buffer, as8bit,
                                                    nullptr, nullptr, name, &x, &y, &extra);
    // Nothing decodes what no decoder takes.
    if (code == 0 && !byData) std::abort();
  }
  if (byData) {
    if (DecodedPicture* picture = manager.DecodeToPicture(data, size, byData)) {
      picture->Palette();
      DecodedPicture::Release(picture);
    }
  }
  return 0;
}
