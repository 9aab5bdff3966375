#pragma once
// A picture from a file or from memory held in a Direct3D texture, for the
// textured draw objects. The texture follows the device's size rules, so it
// can be larger than the picture (padding) or smaller (the picture is
// shrunk into it); the texture coordinates of TextureSource account for
// both. After the display surfaces were lost a picture from a file is
// loaded again; a picture from memory has nothing to come back from.
//
// Main thread only.
#include <cstdint>
#include <optional>
#include <string>

#include "display/SurfaceImage.h"
#include "display/TextureSource.h"

namespace orrivel {

class MediaImage : public SurfaceImage, public TextureSource {
 public:
  MediaImage() = default;
  ~MediaImage() override;

  // Load's results.
  enum : int {
    kLoadNoDevice = 1,
    kLoadNoTextureFormat = 2,
    kLoadNoSource = 3,
    kLoadUndecodable = 4,
    kLoadNoTexture = 5,
    kLoadLockFailed = 6,
    kLoadNoFullSizeSurface = 7,
    kLoadUploadFailed = 8,
    kLoadShrinkFailed = 9,
  };
  // Loads the picture (a file name, else the memory block) into a new
  // texture of the device's format for formatCode. 0 or one of the codes
  // above; a failure leaves nothing held.
  int Load(uint32_t formatCode, const char* name, const uint8_t* data, uint64_t size,
           uint8_t createFlags);
  // Drops the texture, the name and the content size.
  void Release() override;

  // --- Image and TextureSource ----------------------------------------------------------
  uint8_t GetKind() const override { return kImageKindMediaImage; }
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override {
    return SurfaceImage::SetColorKeyRgb(red, green, blue);
  }
  int SetColorKeyAt(int32_t x, int32_t y) override { return SurfaceImage::SetColorKeyAt(x, y); }
  uint32_t GetColorKey() const override { return SurfaceImage::GetColorKey(); }
  int ClearColorKey() override { return SurfaceImage::ClearColorKey(); }
  // 0 done or nothing lost; 1 the picture cannot be loaded again (always
  // for a picture from memory, which then holds no texture); 5 and 6 the
  // key cannot be set again.
  int Restore(uint8_t checkLost) override;

  platform::SoftSurface* GetSurface() override { return surface_.get(); }
  uint32_t GetPixelFormatCode() const override { return requestedFormat_; }
  int32_t GetContentWidth() const override { return contentWidth_; }
  int32_t GetContentHeight() const override { return contentHeight_; }

  const std::optional<std::string>& SourceName() const { return name_; }

 private:
  int LoadSource(const D3DDevice& device, const platform::SurfacePixelFormat& format,
                 const PictureSource& source, uint8_t createFlags);
  int UploadDecoded(const DecodedPicture& picture, const TextureSize& size,
                    const platform::SurfacePixelFormat& format);
  void MakeAlphaOpaque();

  uint32_t requestedFormat_ = 0;
  uint8_t createFlags_ = 0;
  std::optional<std::string> name_;
  int32_t contentWidth_ = 0;
  int32_t contentHeight_ = 0;
};

}  // namespace orrivel
