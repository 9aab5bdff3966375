#include "display/MediaImage.h"

#include <algorithm>
#include <cstring>

#include "display/DisplayScreenDevice.h"
#include "raster/PixelFormat.h"
#include "raster/Surface.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel {

MediaImage::~MediaImage() { MediaImage::Release(); }

void MediaImage::Release() {
  SurfaceImage::Release();
  name_.reset();
  contentWidth_ = 0;
  contentHeight_ = 0;
}

int MediaImage::Load(uint32_t formatCode, const char* name, const uint8_t* data, uint64_t size,
                     uint8_t createFlags) {
  Release();
  DisplayScreenDevice* device = ScreenDevice();
  if (device == nullptr || !device->HasDevice()) return kLoadNoDevice;
  const platform::SurfacePixelFormat* format = device->GetTextureFormat(formatCode);
  if (format == nullptr) return kLoadNoTextureFormat;
  if (Surface::LoaderManager() == nullptr) return kLoadUndecodable;
  PictureSource source;
  if (OpenPictureSource(name, data, size, &source) != 0) return kLoadNoSource;
  const int code = LoadSource(*device, *format, source, createFlags);
  if (code != 0) {
    Release();
    return code;
  }
  requestedFormat_ = formatCode;
  createFlags_ = createFlags;
  if (source.named) name_ = source.path;
  return 0;
}

int MediaImage::LoadSource(const D3DDevice& device, const platform::SurfacePixelFormat& format,
                           const PictureSource& source, uint8_t createFlags) {
  ImageLoaderManager* manager = Surface::LoaderManager();
  const bool elg = source.cached.picture == nullptr && IsElg(source.data, source.size);
  PictureHolder decoded;
  const DecodedPicture* picture = source.cached.picture;
  int32_t width = 0;
  int32_t height = 0;
  ElgDecoder::Header header;
  if (elg) {
    if (!ReadElgHeader(source.data, source.size, &header)) return kLoadUndecodable;
    width = int32_t(header.width);
    height = int32_t(header.height);
  } else if (picture == nullptr) {
    PictureDecoder* decoder =
        source.named ? manager->FindDecoderByExtension(source.path, false) : nullptr;
    decoded.picture = manager->DecodeToPicture(source.data, source.size, decoder);
    if (decoded.picture == nullptr && decoder != nullptr) {
      decoded.picture = manager->DecodeToPicture(source.data, source.size, nullptr);
    }
    if (decoded.picture == nullptr) return kLoadUndecodable;
    if (source.named) manager->CacheImage(decoded.picture, source.path);
    picture = decoded.picture;
  }
  if (picture != nullptr) {
    const PictureDib dib(*picture);
    if (!dib.IsSound()) return kLoadUndecodable;
    width = dib.Width();
    height = dib.Rows();
  }
  const TextureSize size = TextureSizeFor(device, width, height);
  if (CreateBlank(size.width, size.height, createFlags, 1, &format) != 0) return kLoadNoTexture;
  const bool wideFormat = formatCode_ == kPixelFormatX8R8G8B8 || formatCode_ == kPixelFormatA8R8G8B8;
  if (elg && !size.shrunk && wideFormat && pitch_ == size.width * 4) {
    const int r = DecodeElgDirect(source.data, source.size);
    if (r != 0) return r == 4 ? kLoadLockFailed : kLoadUndecodable;
    // Pictures without an alpha plane are opaque in a texture that has one.
    if (formatCode_ == kPixelFormatA8R8G8B8 && header.depth != 32) MakeAlphaOpaque();
    SetUserValue1(header.offsetX);
    SetUserValue2(header.offsetY);
  } else {
    if (elg) {
      decoded.picture = manager->DecodeToPicture(
          source.data, source.size, manager->FindDecoderByType(ImageLoaderManager::kElgType));
      if (decoded.picture == nullptr) return kLoadUndecodable;
      if (source.named) manager->CacheImage(decoded.picture, source.path);
      picture = decoded.picture;
    }
    const int r = UploadDecoded(*picture, size, format);
    if (r != 0) return r;
    SetUserValue1(picture->GetOffsetX());
    SetUserValue2(picture->GetOffsetY());
  }
  contentWidth_ = width;
  contentHeight_ = height;
  return 0;
}

int MediaImage::UploadDecoded(const DecodedPicture& picture, const TextureSize& size,
                              const platform::SurfacePixelFormat& format) {
  if (!size.shrunk) return UploadImage(picture) == 0 ? 0 : kLoadUploadFailed;
  // A picture beyond the device's limit goes whole into a surface of the
  // texture's format and is then shrunk into the texture.
  const PictureDib dib(picture);
  SurfaceImage full;
  if (full.CreateBlank(dib.Width(), dib.Rows(), 1, 0, &format) != 0) return kLoadNoFullSizeSurface;
  if (full.UploadImage(picture) != 0) return kLoadUploadFailed;
  const Rect target{0, 0, std::min(dib.Width(), size.width), std::min(dib.Rows(), size.height)};
  if (surface_->Blt(&target, full.GetDisplaySurface(), nullptr, platform::kBltWait) !=
      platform::kSurfaceOk) {
    return kLoadShrinkFailed;
  }
  return 0;
}

void MediaImage::MakeAlphaOpaque() {
  platform::SurfaceLock lock;
  if (surface_->Lock(nullptr, &lock) != platform::kSurfaceOk) return;
  for (int32_t y = 0; y < lock.height; ++y) {
    auto* row = lock.bits + ptrdiff_t(y) * lock.pitch;
    for (int32_t x = 0; x < lock.width; ++x) row[x * 4 + 3] = 0xFF;
  }
  surface_->Unlock();
}

int MediaImage::Restore(uint8_t checkLost) {
  if (!surface_) return 0;
  if (checkLost != 0 && !surface_->IsLost()) return 0;
  const uint32_t rgbKey = RgbColorKey();
  const int32_t keyX = keyX_;
  const int32_t keyY = keyY_;
  if (!name_) {
    // Nothing to load it from: it holds no texture from now on, so its
    // draw objects skip it instead of showing lost memory.
    Release();
    return 1;
  }
  // Load frees the kept name first.
  const std::string name = *name_;
  if (Load(requestedFormat_, name.c_str(), nullptr, 0, createFlags_) != 0) return 1;
  return RestoreKey(rgbKey, keyX, keyY);
}

}  // namespace orrivel
