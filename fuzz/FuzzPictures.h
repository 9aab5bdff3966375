#pragma once
// Shared by the picture fuzz targets: a size guard and an image loader
// manager with the built-in decoders. A picture header may claim a large
// size in a few bytes, and every decoder then fills the whole claimed
// buffer; the targets skip such inputs, so that each run stays fast and the
// time goes to the parsers themselves.
#include <cstddef>
#include <cstdint>

#include "resource/BmpDecoder.h"
#include "resource/ElgDecoder.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel::fuzz {

constexpr uint64_t kMaxFuzzPixels = 1u << 16;

// False when the bytes, read as a BMP or ELG header, claim more pixels.
inline bool PictureWithinFuzzSize(const uint8_t* data, size_t size) {
  BmpDecoder::Layout layout;
  if (BmpDecoder::ReadLayout(data, size, &layout) == 0 &&
      uint64_t(layout.width) * layout.height > kMaxFuzzPixels)
    return false;
  ElgDecoder::Header header;
  if (ElgDecoder::ParseHeader(data, size, &header) == 0 &&
      uint64_t(header.width) * header.height > kMaxFuzzPixels)
    return false;
  return true;
}

// One manager for the whole fuzzing run, with the built-in decoders and
// without a cache, so that every input is decoded afresh.
inline ImageLoaderManager& BuiltInLoaderManager() {
  static ImageLoaderManager* manager = [] {
    auto* made = new ImageLoaderManager();
    made->SetCacheLimit(0);
    made->RegisterBuiltInDecoders();
    return made;
  }();
  return *manager;
}

}  // namespace orrivel::fuzz
