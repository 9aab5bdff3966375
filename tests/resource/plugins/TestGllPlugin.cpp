// An image-loader plug-in for the image loader manager tests. Its pictures
// are "TPIC", a width byte, a height byte and the 32-bit rows top-down; it
// decodes them into a bottom-up 32-bit bitmap.
#include <cstring>

#include "resource/BitmapInfoHeader.h"
#include "resource/plugin/GllEntryPoints.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace orrivel;

class TinyPictureDecoder final : public PictureDecoder {
 public:
  bool IsSupported(const std::uint8_t* data, std::uint64_t size, const char*) override {
    return size >= 6 && std::memcmp(data, "TPIC", 4) == 0;
  }
  std::int32_t Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info, PictureBlock* pixels,
                      PictureProgressFn, void*) override {
    if (!IsSupported(data, size, nullptr)) return kGllNotThisFormat;
    const std::uint32_t width = data[4];
    const std::uint32_t height = data[5];
    const std::uint64_t pitch = width * 4;
    if (width == 0 || height == 0 || size < 6 + pitch * height) return kGllMissingData;
    BitmapInfoHeader header;
    header.width = std::int32_t(width);
    header.height = std::int32_t(height);
    header.bitCount = 32;
    if (!info_.Allocate(BitmapInfoHeader::kSize, true) || !pixels_.Allocate(pitch * height, false)) {
      return kGllOutOfMemory;
    }
    header.Write(info_.Data());
    for (std::uint32_t y = 0; y < height; ++y) {
      std::memcpy(pixels_.Data() + (height - 1 - y) * pitch, data + 6 + y * pitch, pitch);
    }
    totalBytes_ = info_.Size() + pixels_.Size();
    pitch_ = std::uint32_t(pitch);
    SetOffset(3, -4);
    HandOver(info, pixels);
    return kGllOk;
  }
};

}  // namespace

EXPORT std::int32_t GetGllType() { return 30; }
EXPORT const char* GetGllTypeString() { return "Tiny pictures"; }
EXPORT const char* GetGllSupportExt() { return "TPC\0"; }
EXPORT void GllAssistFunc() {}
#ifndef TEST_NO_ASSIST2
EXPORT void GllAssistFunc2() {}
#endif
EXPORT PictureDecoder* GetGllLoadObject() { return new TinyPictureDecoder(); }
