// Reads the input as an LAG animation whose pictures are decoded by the
// engine's ELG and bitmap decoders into memory, then asks for every
// sequence's bounds.
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzPictures.h"
#include "resource/BmpDecoder.h"
#include "resource/ElgDecoder.h"
#include "resource/LagAnimation.h"

namespace {

using namespace orrivel;

class DecodedSurface : public SurfacePort {
 public:
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int32_t GetBitCount() const override { return 32; }
  int32_t LoadImageFromMemory(const uint8_t* data, uint64_t size, bool indexed) override {
    if (!fuzz::PictureWithinFuzzSize(data, size_t(size))) return 2;
    ElgDecoder elg;
    BmpDecoder bmp;
    PictureDecoder* decoder = elg.IsSupported(data, size, nullptr)   ? static_cast<PictureDecoder*>(&elg)
                              : bmp.IsSupported(data, size, nullptr) ? static_cast<PictureDecoder*>(&bmp)
                                                                     : nullptr;
    if (!decoder) return 2;
    return decoder->DecodeInto(data, size, &Allocate, this, indexed, nullptr, nullptr);
  }
  int32_t LoadImage(std::string_view, bool) override { return 2; }
  void FreeImage() override { pixels_.clear(); }
  void SetAlphaFlag(bool) override {}
  int SetColorKeyAt(int32_t x, int32_t y) override { return x < width_ && y < height_ ? 0 : 1; }
  int SetColorKeyRgb(uint8_t, uint8_t, uint8_t) override { return 0; }
  uint32_t GetColorKey() const override { return kNoColorKey; }
  int32_t GetUserValue1() const override { return 0; }
  int32_t GetUserValue2() const override { return 0; }

 private:
  static uint8_t* Allocate(int32_t width, int32_t height, int32_t bitCount, bool, int32_t* pitch,
                           uint8_t** palette, void* user) {
    auto* self = static_cast<DecodedSurface*>(user);
    // Small pictures only: a fuzzed header may ask for gigabytes.
    if (width <= 0 || height <= 0 || uint64_t(width) * uint64_t(height) > (1u << 20)) return nullptr;
    self->width_ = width;
    self->height_ = height;
    *pitch = width * (bitCount / 8);
    self->pixels_.assign(size_t(*pitch) * size_t(height), 0);
    if (palette) *palette = self->palette_;
    return self->pixels_.data();
  }

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint8_t> pixels_;
  uint8_t palette_[1024] = {};
};

class DecodedFactory : public SurfaceFactoryPort {
 public:
  std::unique_ptr<SurfacePort> CreateSurface() override { return std::make_unique<DecodedSurface>(); }
  std::unique_ptr<SurfacePort> CreateSurface(int32_t, int32_t, int32_t) override { return nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedFactory factory;
  LagAnimation lag(&factory);
  if (lag.LoadFromMemory(data, size, size % 2 == 0) != kLagOk) return 0;
  for (int32_t s = -1; s <= int32_t(lag.SequenceCount()); ++s) {
    lag.GetSequenceStart(s);
    lag.GetSequenceEnd(s);
  }
  return 0;
}
