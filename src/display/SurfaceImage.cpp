#include "display/SurfaceImage.h"

#include <cstring>
#include <new>
#include <vector>

#include "display/DisplayScreenDevice.h"
#include "raster/DibImage.h"
#include "raster/PixelFormat.h"
#include "raster/PixelBuffer.h"
#include "raster/PixelFormatConversion.h"
#include "raster/Surface.h"
#include "resource/DecodedPicture.h"
#include "resource/ElgDecoder.h"
#include "resource/FileObject.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel {

namespace {

DisplayScreenDevice* g_screenDevice = nullptr;

constexpr uint32_t kNone = kNoColorKey;

uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

// One colour component moved into a channel of bits width at shift.
uint32_t PlaceChannel(uint8_t value, uint8_t bits, uint8_t shift) {
  if (bits == 0 || shift >= 32) return 0;
  const uint32_t scaled = bits >= 8 ? uint32_t(value) << (bits - 8) : uint32_t(value) >> (8 - bits);
  return scaled << shift;
}

// Releases a lock on every path out of a scope.
class SurfaceLockGuard {
 public:
  explicit SurfaceLockGuard(platform::SoftSurface* surface) : surface_(surface) {}
  SurfaceLockGuard(const SurfaceLockGuard&) = delete;
  SurfaceLockGuard& operator=(const SurfaceLockGuard&) = delete;
  ~SurfaceLockGuard() {
    if (locked_) surface_->Unlock();
  }
  bool Lock() {
    locked_ = surface_->Lock(nullptr, &lock_) == platform::kSurfaceOk;
    return locked_;
  }
  const platform::SurfaceLock& Get() const { return lock_; }

 private:
  platform::SoftSurface* surface_;
  platform::SurfaceLock lock_;
  bool locked_ = false;
};

// Where a direct ELG decode writes: the locked surface, which must hold
// the picture's rows at 32 bits.
struct ElgTarget {
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
};

uint8_t* HandOutLockedRows(int32_t width, int32_t height, int32_t bitCount, bool, int32_t* pitch,
                           uint8_t** palette, void* user) {
  auto* target = static_cast<ElgTarget*>(user);
  if (bitCount != 32 || width > target->width || height > target->height) return nullptr;
  if (palette != nullptr) return nullptr;
  *pitch = target->pitch;
  return target->bits;
}

// The whole picture as top-down 0xAARRGGBB rows; empty when it does not convert.
std::vector<uint32_t> PictureAsArgb(const PictureDib& dib) {
  std::vector<uint32_t> rows;
  const size_t count = size_t(dib.Width()) * size_t(dib.Rows());
  rows.resize(count);
  const Rect whole{0, 0, dib.Width(), dib.Rows()};
  if (!ConvertDibToArgb(rows.data(), whole, dib.Width() * 4, dib.source, Point{0, 0})) rows.clear();
  return rows;
}

// The 32-bit layouts take the words as they are: the screen's common case
// runs at memory speed. Without alpha the top byte is cleared.
void CopyRows32(bool clearAlpha, uint8_t* bits, const Rect& d, int32_t pitch, const uint8_t* from,
                int32_t fromPitch) {
  const size_t width = size_t(d.Width());
  for (int32_t y = 0; y < d.Height(); ++y) {
    auto* out = reinterpret_cast<uint32_t*>(bits + ptrdiff_t(d.top + y) * pitch) + d.left;
    const auto* in = reinterpret_cast<const uint32_t*>(from + ptrdiff_t(y) * fromPitch);
    if (!clearAlpha) {
      std::memcpy(out, in, width * 4);
      continue;
    }
    for (size_t x = 0; x < width; ++x) out[x] = in[x] & 0x00FFFFFFu;
  }
}

}  // namespace

SurfaceImage::SurfaceImage(DisplayScreenDevice* device) {
  if (device != nullptr) g_screenDevice = device;
  Release();
}

SurfaceImage::~SurfaceImage() { SurfaceImage::Release(); }

DisplayScreenDevice* SurfaceImage::ScreenDevice() { return g_screenDevice; }

void SurfaceImage::SetScreenDevice(DisplayScreenDevice* device) { g_screenDevice = device; }

// --- surface ---------------------------------------------------------------------------

void SurfaceImage::DropSurface() {
  surface_.reset();
  colorKey_ = kNone;
  keyX_ = -1;
  surfaceKey_ = kNone;
}

void SurfaceImage::Release() {
  DropSurface();
  fileName_.reset();
  formatCode_ = 0;
  fillColor_ = kNone;
}

int SurfaceImage::MakeSurface(const platform::SurfaceRequest& request,
                              std::unique_ptr<platform::SoftSurface>* out) {
  DisplayDevice* device = g_screenDevice;
  if (device == nullptr || device->DirectDraw() == nullptr) return platform::kDdNotInitialized;
  return device->DirectDraw()->CreateSurface(request, out);
}

int32_t SurfaceImage::AllocatedWidth(int32_t width) {
  DisplayDevice* device = g_screenDevice;
  if (device == nullptr || device->DirectDraw() == nullptr) return width;
  const bool depth24 = device->DirectDraw()->CurrentMode().depth == 24;
  return depth24 && (width & 1) != 0 ? width + 1 : width;
}

int SurfaceImage::CreateBlank(int32_t width, int32_t height, uint8_t systemMemory, uint8_t texture,
                              const platform::SurfacePixelFormat* format) {
  Release();
  DisplayDevice* device = g_screenDevice;
  if (device == nullptr || width < 1 || height < 1 || (texture && format == nullptr)) return 1;
  if (device->DirectDraw() == nullptr) return 2;
  platform::SurfaceRequest request;
  request.caps = texture ? platform::kSurfaceTexture : platform::kSurfaceOffscreen;
  request.width = texture ? width : AllocatedWidth(width);
  request.height = height;
  if (format != nullptr) {
    request.hasFormat = true;
    request.format = *format;
  }
  // A texture is managed by the device on hardware devices; on a software
  // device it lives in system memory.
  if (systemMemory || (texture && device->DeviceClass() == 0)) {
    request.caps |= platform::kSurfaceSystemMemory;
  }
  if (MakeSurface(request, &surface_) != platform::kDdOk) {
    surface_.reset();
    return 3;
  }
  platform::SurfacePixelFormat described;
  if (surface_->GetPixelFormat(&described) != platform::kSurfaceOk) {
    Release();
    return 4;
  }
  width_ = width;
  height_ = height;
  pitch_ = surface_->Pitch();
  videoMemory_ = (request.caps & platform::kSurfaceSystemMemory) == 0 ? 1 : 0;
  formatCode_ = ClassifyPixelFormat(described);
  systemMemory_ = systemMemory;
  // A plain surface never shows its alpha, so it is recorded as its colour layout.
  if (!texture && formatCode_ == kPixelFormatA1R5G5B5) formatCode_ = kPixelFormatX1R5G5B5;
  if (!texture && formatCode_ == kPixelFormatA8R8G8B8) formatCode_ = kPixelFormatX8R8G8B8;
  clipRect_ = Rect{0, 0, width, height};
  return 0;
}

// --- pictures ----------------------------------------------------------------------------

int SurfaceImage::OpenPictureSource(const char* name, const uint8_t* data, uint64_t size,
                                    PictureSource* out) {
  ImageLoaderManager* manager = Surface::LoaderManager();
  if (name == nullptr && data == nullptr) return 1;
  if (name == nullptr) {
    out->data = data;
    out->size = size;
    return 0;
  }
  out->path = name;
  out->named = true;
  if (manager != nullptr && manager->Cache().Enabled()) {
    if (!ImageLoaderManager::ResolveCacheName(name, &out->path)) return 1;
    out->cached.picture = manager->FindCachedImage(out->path);
    if (out->cached.picture != nullptr) return 0;
  }
  if (out->file.Open(out->path) != 0 || out->file.GetData() == nullptr) return 1;
  out->data = static_cast<const uint8_t*>(out->file.GetData());
  out->size = out->file.GetSize();
  return 0;
}

bool SurfaceImage::ReadElgHeader(const uint8_t* data, uint64_t size, ElgDecoder::Header* header) {
  // The header is checked against the bytes that are there before
  // anything is trusted or allocated for it.
  if (ElgDecoder::ParseHeader(data, size, header) != kGllOk) return false;
  return header->width != 0 && header->height != 0 && header->width <= 0xFFFF &&
         header->height <= 0xFFFF && ElgDecoder::StreamsCanHold(data, size, *header);
}

bool SurfaceImage::IsElg(const uint8_t* data, uint64_t size) {
  return data != nullptr && size >= 3 && std::memcmp(data, "ELG", 3) == 0;
}

int SurfaceImage::LoadFile(const char* name, const uint8_t* data, uint64_t size,
                           uint8_t systemMemory) {
  if (Surface::LoaderManager() == nullptr) return 2;
  PictureSource source;
  if (OpenPictureSource(name, data, size, &source) != 0) return 1;
  return LoadBytes(source.named ? &source.path : nullptr, source.data, source.size, systemMemory,
                   source.cached.picture);
}

int SurfaceImage::LoadBytes(const std::string* name, const uint8_t* data, uint64_t size,
                            uint8_t systemMemory, DecodedPicture* cached) {
  ImageLoaderManager* manager = Surface::LoaderManager();
  const bool elg = cached == nullptr && IsElg(data, size);
  PictureHolder decoded;
  const DecodedPicture* picture = cached;
  int32_t width = 0;
  int32_t height = 0;
  if (elg) {
    ElgDecoder::Header header;
    if (!ReadElgHeader(data, size, &header)) return 2;
    SetUserValue1(header.offsetX);
    SetUserValue2(header.offsetY);
    width = int32_t(header.width);
    height = int32_t(header.height);
  } else if (picture == nullptr) {
    PictureDecoder* decoder = name != nullptr ? manager->FindDecoderByExtension(*name, false) : nullptr;
    decoded.picture = manager->DecodeToPicture(data, size, decoder);
    if (decoded.picture == nullptr && decoder != nullptr) {
      decoded.picture = manager->DecodeToPicture(data, size, nullptr);
    }
    if (decoded.picture == nullptr) return 2;
    if (name != nullptr) manager->CacheImage(decoded.picture, *name);
    picture = decoded.picture;
  }
  if (picture != nullptr) {
    const PictureDib dib(*picture);
    if (!dib.IsSound()) return 2;
    width = dib.Width();
    height = dib.Rows();
  }
  if (CreateBlank(width, height, systemMemory, 0, nullptr) != 0) {
    Release();
    return 3;
  }
  int code = 0;
  if (elg && formatCode_ == kPixelFormatX8R8G8B8 && pitch_ == width * 4) {
    code = DecodeElgDirect(data, size);
  } else if (elg) {
    decoded.picture =
        manager->DecodeToPicture(data, size, manager->FindDecoderByType(ImageLoaderManager::kElgType));
    if (decoded.picture == nullptr) {
      code = 2;
    } else {
      if (name != nullptr) manager->CacheImage(decoded.picture, *name);
      picture = decoded.picture;
    }
  }
  if (code == 0 && picture != nullptr) code = PutPicture(*picture);
  if (code != 0) {
    Release();
    return code;
  }
  if (name != nullptr) fileName_ = *name;
  if (picture != nullptr) {
    SetUserValue1(picture->GetOffsetX());
    SetUserValue2(picture->GetOffsetY());
  }
  return 0;
}

int SurfaceImage::DecodeElgDirect(const uint8_t* data, uint64_t size) {
  SurfaceLockGuard lock(surface_.get());
  if (!lock.Lock()) return 4;
  ElgTarget target{lock.Get().bits, lock.Get().pitch, lock.Get().width, lock.Get().height};
  ElgDecoder decoder;
  if (decoder.DecodeInto(data, size, HandOutLockedRows, &target, false, nullptr, nullptr) != kGllOk) {
    return 2;
  }
  return 0;
}

int SurfaceImage::PutPicture(const DecodedPicture& picture) {
  if (formatCode_ >= kPixelFormatX1R5G5B5) {
    const int r = UploadImage(picture);
    return r == 0 ? 0 : r + 3;
  }
  return PutPictureThroughDc(picture);
}

int SurfaceImage::UploadImage(const DecodedPicture& picture) {
  if (!surface_) return 1;
  SurfaceLockGuard lock(surface_.get());
  if (!lock.Lock()) return 1;
  const PictureDib dib(picture);
  if (!dib.IsSound()) return 2;
  const platform::SurfaceLock& l = lock.Get();
  if (dib.Width() > l.width || dib.Rows() > l.height) return 2;
  const Rect area{0, 0, dib.Width(), dib.Rows()};
  switch (formatCode_) {
    case kPixelFormatX8R8G8B8:
      return ConvertDibTo32(l.bits, area, l.pitch, dib.source, Point{0, 0}) ? 0 : 2;
    case kPixelFormatA8R8G8B8:
      return ConvertDibToArgb(l.bits, area, l.pitch, dib.source, Point{0, 0}) ? 0 : 2;
    case kPixelFormatX1R5G5B5:
    case kPixelFormatR5G6B5:
    case kPixelFormatR8G8B8:
    case kPixelFormatA1R5G5B5:
    case kPixelFormatA4R4G4B4: {
      const std::vector<uint32_t> rows = PictureAsArgb(dib);
      if (rows.empty()) return 2;
      return ExpandIndexedToSurfaceAlt(formatCode_, l.bits, 0, 0, l.pitch, rows.data(),
                                       dib.Width() * 4, dib.Width(), dib.Rows())
                 ? 0
                 : 2;
    }
    default:
      return 2;
  }
}

// Other layouts (8-bit indexed) go through the surface's device context,
// which maps each colour onto the surface's palette.
int SurfaceImage::PutPictureThroughDc(const DecodedPicture& picture) {
  const PictureDib dib(picture);
  const std::vector<uint32_t> rows = dib.IsSound() ? PictureAsArgb(dib) : std::vector<uint32_t>{};
  platform::SurfaceDc dc;
  if (surface_->GetDC(&dc) != platform::kSurfaceOk) return 4;
  platform::SurfaceDc from;
  from.bits = reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(rows.data()));
  from.pitch = dib.Width() * 4;
  from.width = rows.empty() ? 0 : dib.Width();
  from.height = rows.empty() ? 0 : dib.Rows();
  from.format = platform::DescribeSurfaceFormat(platform::SurfaceFormat::X8R8G8B8);
  const bool written =
      !rows.empty() && platform::DcBitBlt(dc, 0, 0, from.width, from.height, from, 0, 0);
  surface_->ReleaseDC(dc);
  if (!written) return 5;
  ClearUnusedBits();
  return 0;
}

int SurfaceImage::ClearUnusedBits() {
  if (!surface_) return 1;
  SurfaceLockGuard lock(surface_.get());
  if (!lock.Lock()) return 2;
  const platform::SurfaceLock& l = lock.Get();
  const uint32_t depth = l.format.bitCount;
  if (depth < 16) return 0;
  const uint32_t all = depth >= 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
  const uint32_t used = l.format.redMask | l.format.greenMask | l.format.blueMask;
  if (used == all) return 0;
  if (depth != 16 && depth != 32) return 3;
  for (int32_t y = 0; y < l.height; ++y) {
    uint8_t* row = l.bits + ptrdiff_t(y) * l.pitch;
    for (int32_t x = 0; x < l.width; ++x) {
      if (depth == 16) {
        uint16_t v;
        std::memcpy(&v, row + x * 2, 2);
        v = uint16_t(v & used);
        std::memcpy(row + x * 2, &v, 2);
      } else {
        uint32_t v;
        std::memcpy(&v, row + x * 4, 4);
        v &= used;
        std::memcpy(row + x * 4, &v, 4);
      }
    }
  }
  return 0;
}

int SurfaceImage::Fill(uint8_t red, uint8_t green, uint8_t blue) {
  if (!surface_) return 1;
  if (BlitConvertFormat(surface_.get(), nullptr, red, green, blue, nullptr, 0xFF) != 0) return 2;
  // The surface no longer shows the picture: a restore makes it blank in this colour.
  fileName_.reset();
  fillColor_ = Rgb(red, green, blue);
  return 0;
}

int32_t SurfaceImage::ReadPixel(int32_t x, int32_t y) {
  if (!surface_ || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return -1;
  SurfaceLockGuard lock(surface_.get());
  if (!lock.Lock()) return -1;
  const platform::SurfaceLock& l = lock.Get();
  if (x >= l.width || y >= l.height) return -1;
  const uint32_t bytes = l.format.bitCount / 8;
  const uint8_t* p = l.bits + ptrdiff_t(y) * l.pitch + ptrdiff_t(x) * bytes;
  const uint32_t colourBits = l.format.redMask | l.format.greenMask | l.format.blueMask;
  switch (l.format.bitCount) {
    case 8:
      return p[0];
    case 16: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return int32_t(v & colourBits);
    }
    case 24:
      // The three bytes alone: nothing beyond the row's end is read.
      return int32_t((uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16) & colourBits);
    case 32: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return int32_t(v & colourBits);
    }
    default:
      return -1;
  }
}

// --- colour keys ------------------------------------------------------------------------

bool SurfaceImage::ApplySurfaceKey(uint32_t value) {
  const platform::ColorKey key{value, value};
  return surface_ && surface_->SetColorKey(&key) == platform::kSurfaceOk;
}

int SurfaceImage::SetColorKeyAt(int32_t x, int32_t y) {
  const int32_t value = ReadPixel(x, y);
  if (value == -1) return 1;
  colorKey_ = kNone;
  keyX_ = -1;
  surfaceKey_ = kNone;
  if (!ApplySurfaceKey(uint32_t(value))) return 2;
  surfaceKey_ = uint32_t(value);
  keyX_ = x;
  keyY_ = y;
  return 0;
}

int SurfaceImage::SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) {
  if (!surface_) return 1;
  colorKey_ = kNone;
  keyX_ = -1;
  surfaceKey_ = kNone;
  PixelFormatInfo info;
  if (GetSurfacePixelFormat(surface_.get(), &info, nullptr) == kPixelFormatUnreadable) return 2;
  const uint32_t key = info.bitCount <= 8 ? red
                                          : PlaceChannel(red, info.redBits, info.redShift) |
                                                PlaceChannel(green, info.greenBits, info.greenShift) |
                                                PlaceChannel(blue, info.blueBits, info.blueShift);
  if (!ApplySurfaceKey(key)) return 3;
  surfaceKey_ = key;
  colorKey_ = Rgb(red, green, blue);
  return 0;
}

int SurfaceImage::ClearColorKey() {
  if (!surface_) return 1;
  if (surface_->SetColorKey(nullptr) != platform::kSurfaceOk) return 2;
  colorKey_ = kNone;
  keyX_ = -1;
  surfaceKey_ = kNone;
  return 0;
}

// --- restore -------------------------------------------------------------------------------

int SurfaceImage::Restore(uint8_t checkLost) {
  if (!surface_) return 0;
  if (checkLost && !surface_->IsLost()) return 0;
  const uint32_t rgbKey = colorKey_;
  const int32_t keyX = keyX_;
  const int32_t keyY = keyY_;
  const uint32_t fill = fillColor_;
  if (fileName_) {
    const std::string name = *fileName_;
    if (LoadFile(name.c_str(), nullptr, 0, systemMemory_) != 0) return 1;
  } else {
    if (CreateBlank(width_, height_, systemMemory_, 0, nullptr) != 0) return 3;
    if (fill != kNone) {
      if (BlitConvertFormat(surface_.get(), nullptr, uint8_t(fill >> 16), uint8_t(fill >> 8),
                            uint8_t(fill), nullptr, 0xFF) != 0) {
        return 4;
      }
      fillColor_ = fill;
    }
  }
  return RestoreKey(rgbKey, keyX, keyY);
}

int SurfaceImage::RestoreKey(uint32_t rgbKey, int32_t keyX, int32_t keyY) {
  if (rgbKey != kNone) {
    if (SurfaceImage::SetColorKeyRgb(uint8_t(rgbKey >> 16), uint8_t(rgbKey >> 8), uint8_t(rgbKey)) != 0) {
      return 5;
    }
  } else if (keyX >= 0) {
    if (SetColorKeyAt(keyX, keyY) != 0) return 6;
  }
  return 0;
}

// --- copies of memory images ---------------------------------------------------------------

int SurfaceImage::CopyToImage(Image* source, int32_t x, int32_t y, const Rect* sourceRect,
                              const platform::SurfaceLock* locked) {
  if (!surface_) return 1;
  return CopyToImageAlt(surface_.get(), formatCode_, &clipRect_, source, x, y, sourceRect, locked);
}

int SurfaceImage::CopyToImageAlt(platform::SoftSurface* destination, uint32_t formatCode,
                                 const Rect* clip, Image* source, int32_t x, int32_t y,
                                 const Rect* sourceRect, const platform::SurfaceLock* locked) {
  if (destination == nullptr || !destination->HasPixels() || source == nullptr ||
      source->GetBits() == nullptr) {
    return 1;
  }
  Rect s;
  if (sourceRect != nullptr) {
    s = *sourceRect;
    if (!source->ClipToClipRect(&s)) return 0;
  } else {
    source->GetClipRect(&s);
  }
  if (s.IsEmpty()) return 0;
  // The destination is cut by the clip rectangle and, whatever the caller
  // gave, by the surface itself.
  const Rect placed{x, y, ClampedEdge(x, s.Width()), ClampedEdge(y, s.Height())};
  Rect d = placed;
  const Rect bounds{0, 0, destination->Width(), destination->Height()};
  if (clip != nullptr && !IntersectRectInPlace(&d, clip)) return 0;
  if (!IntersectRectInPlace(&d, &bounds) || d.IsEmpty()) return 0;
  s.left += d.left - placed.left;
  s.top += d.top - placed.top;
  auto* dib = dynamic_cast<DibImage*>(source);
  auto* buffer = dynamic_cast<PixelBuffer*>(source);
  const uint8_t depth = dib != nullptr      ? dib->GetBitsPerPixel()
                        : buffer != nullptr ? buffer->GetBitsPerPixel()
                                            : 0;
  if (depth != 8 && depth != 32) return 3;
  // An 8-bit source without a palette reads as the grey ramp.
  uint32_t greys[256];
  const uint32_t* palette = greys;
  if (depth == 8 && dib != nullptr) {
    if (dib->GetPalette() == nullptr && dib->SetPalette(nullptr, 0, 256, 0) != 0) return 2;
    palette = dib->GetPalette();
  } else if (depth == 8) {
    for (uint32_t i = 0; i < 256; ++i) greys[i] = i * 0x010101u;
  }
  SurfaceLockGuard ownLock(destination);
  platform::SurfaceLock target;
  if (locked != nullptr) {
    target = *locked;
  } else {
    if (!ownLock.Lock()) return 2;
    target = ownLock.Get();
  }
  const uint8_t* from = source->GetScanLine(s.top) + ptrdiff_t(s.left) * (depth / 8);
  if (depth == 32 && (formatCode == kPixelFormatX8R8G8B8 || formatCode == kPixelFormatA8R8G8B8)) {
    CopyRows32(formatCode == kPixelFormatX8R8G8B8, target.bits, d, target.pitch, from,
               source->GetPitch());
    return 0;
  }
  const bool copied =
      depth == 32
          ? ExpandIndexedToSurfaceAlt(formatCode, target.bits, d.left, d.top, target.pitch,
                                      reinterpret_cast<const uint32_t*>(from), source->GetPitch(),
                                      d.Width(), d.Height())
          : ExpandIndexedToSurface(formatCode, target.bits, d.left, d.top, target.pitch, from,
                                   source->GetPitch(), d.Width(), d.Height(), palette);
  return copied ? 0 : 3;
}

}  // namespace orrivel
