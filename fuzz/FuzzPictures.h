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
#include "resource/SurfacePort.h"

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

// A surface that takes any picture bytes without decoding them and
// answers a fixed size, so readers go on past their pictures.
class PlaceholderSurface : public SurfacePort {
 public:
  PlaceholderSurface(int32_t width = 1, int32_t height = 1) : width_(width), height_(height) {}
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int32_t GetBitCount() const override { return 32; }
  int32_t LoadImageFromMemory(const uint8_t*, uint64_t, bool) override { return 0; }
  int32_t LoadImage(std::string_view, bool) override { return 0; }
  void FreeImage() override {}
  void SetAlphaFlag(bool) override {}
  int SetColorKeyAt(int32_t, int32_t) override { return 0; }
  int SetColorKeyRgb(uint8_t, uint8_t, uint8_t) override { return 0; }
  uint32_t GetColorKey() const override { return kNoColorKey; }
  int32_t GetUserValue1() const override { return 0; }
  int32_t GetUserValue2() const override { return 0; }

 private:
  int32_t width_;
  int32_t height_;
};

}  // namespace orrivel::fuzz
