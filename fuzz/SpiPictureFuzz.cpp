// What a picture plug-in hands back, taken as hostile: the input is the
// bitmap header block (its length in the first two bytes) and then the
// pixel block, returned by a plug-in stand-in. The image loader manager
// decodes through it into caller buffers of 32 and 8 bits and into a shared
// picture.
#include <cstdint>
#include <cstring>
#include <vector>

#include "resource/DecodedPicture.h"
#include "resource/ImageLoaderManager.h"
#include "resource/SpiPicturePlugin.h"

namespace {

using namespace orrivel;

const uint8_t* g_info = nullptr;
size_t g_infoSize = 0;
const uint8_t* g_bits = nullptr;
size_t g_bitsSize = 0;

SusieHandle BlockOf(const uint8_t* data, size_t size) {
  SusieHandle block = SusieAllocBlock(size);
  if (block && size) std::memcpy(SusieBlockData(block), data, size);
  return block;
}

int32_t IsSupported(const char*, const void*) { return 1; }

int32_t GetPicture(const void*, int64_t, uint32_t, SusieHandle* info, SusieHandle* bits, SusieProgressFunc progress,
                   intptr_t context) {
  if (progress) progress(0, 1, context);
  *info = BlockOf(g_info, g_infoSize);
  *bits = BlockOf(g_bits, g_bitsSize);
  return 0;
}

struct Buffer {
  std::vector<uint8_t> pixels;
  uint8_t palette[1024] = {};

  static uint8_t* Allocate(int32_t w, int32_t h, int32_t bits, bool, int32_t* pitch, uint8_t** pal, void* user) {
    auto* b = static_cast<Buffer*>(user);
    if (w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) > (1u << 20)) return nullptr;
    *pitch = w * (bits / 8);
    if (pal) *pal = b->palette;
    b->pixels.assign(size_t(*pitch) * size_t(h), 0);
    return b->pixels.data();
  }
};

ImageLoaderManager& Manager() {
  static ImageLoaderManager* manager = [] {
    auto* made = new ImageLoaderManager();
    made->SetCacheLimit(0);
    SpiPicturePlugin::Entries entries;
    entries.isSupported = &IsSupported;
    entries.getPicture = &GetPicture;
    made->RegisterDecoder(new SpiPicturePlugin(nullptr, entries, "fuzz", {"PIC"}), {"PIC"}, "fuzz",
                          kSpiPictureType, nullptr, nullptr, nullptr);
    return made;
  }();
  return *manager;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 65536) return 0;
  const size_t infoSize = std::min<size_t>(size - 2, data[0] | (size_t(data[1]) << 8));
  g_info = data + 2;
  g_infoSize = infoSize;
  g_bits = data + 2 + infoSize;
  g_bitsSize = size - 2 - infoSize;
  ImageLoaderManager& manager = Manager();
  static const uint8_t file[4] = {'F', 'U', 'Z', 'Z'};
  for (const bool as8bit : {false, true}) {
    Buffer buffer;
    manager.LoadIntoFromMemory(file, sizeof file, &Buffer::Allocate, nullptr, &buffer, as8bit, nullptr, nullptr,
                               "X.PIC", nullptr, nullptr, nullptr);
  }
  if (PictureDecoder* decoder = manager.FindDecoderForData(file, sizeof file, "X.PIC")) {
    if (DecodedPicture* picture = manager.DecodeToPicture(file, sizeof file, decoder)) {
      picture->Palette();
      picture->PaletteEntries();
      DecodedPicture::Release(picture);
    }
  }
  return 0;
}
