// Pictures into surfaces: the loader callbacks, loading a picture as a new
// surface (through the image cache when it holds the picture), and drawing a
// picture into an existing surface.
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "raster/Surface.h"
#include "resource/DecodedPicture.h"
#include "resource/ElgDecoder.h"
#include "resource/FileObject.h"
#include "resource/ImageLoaderManager.h"

namespace orrivel {

namespace {

ImageLoaderManager* g_loaderManager = nullptr;

constexpr size_t kPaletteBytes = 1024;

// The context of a direct ELG decode into the surface's own rows.
struct DirectTarget {
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  uint8_t* palette = nullptr;
};

uint8_t* HandOutRows(int32_t, int32_t, int32_t, bool, int32_t* pitch, uint8_t** palette,
                     void* user) {
  auto* target = static_cast<DirectTarget*>(user);
  *pitch = target->pitch;
  if (palette != nullptr) *palette = target->palette;
  return target->bits;
}

}  // namespace

ImageLoaderManager* Surface::SetLoaderManager(ImageLoaderManager* manager) {
  ImageLoaderManager* old = g_loaderManager;
  g_loaderManager = manager;
  return old;
}

ImageLoaderManager* Surface::LoaderManager() { return g_loaderManager; }

int Surface::DecodeWithLoader(const char* name, int32_t mode, int32_t option) {
  if (GetBits() == nullptr) return -4;
  ImageLoaderManager* manager = g_loaderManager;
  if (manager == nullptr || name == nullptr) return 1;
  return manager->SavePicture(name, mode, GetBits(), width_, height_, GetBitsPerPixel(), pitch_,
                              reinterpret_cast<const uint8_t*>(GetPalette()), option, nullptr,
                              nullptr);
}

uint8_t* Surface::AllocForLoader(int32_t width, int32_t height, int32_t bitCount, bool hasAlpha,
                                 int32_t* pitch, uint8_t** palette, void* context) {
  auto* ctx = static_cast<SurfaceLoaderContext*>(context);
  if (ctx == nullptr || ctx->surface == nullptr || pitch == nullptr) return nullptr;
  Surface* s = ctx->surface;
  if (bitCount != 8 && bitCount != 32) return nullptr;
  if (s->Create(width, height, uint8_t(bitCount), ctx->flags) != 0) return nullptr;
  s->hasAlpha_ = hasAlpha ? 1 : 0;
  if (palette != nullptr) {
    ctx->palette.reset(new (std::nothrow) uint8_t[kPaletteBytes]);
    if (!ctx->palette) return nullptr;
    std::memset(ctx->palette.get(), 0, kPaletteBytes);
    *palette = ctx->palette.get();
  }
  *pitch = s->GetPitch();
  return s->GetBits();
}

void Surface::FreeForLoader(void* context) {
  auto* ctx = static_cast<SurfaceLoaderContext*>(context);
  if (ctx == nullptr) return;
  if (ctx->surface != nullptr) ctx->surface->FreeBuffers();
  ctx->palette.reset();
}

bool Surface::SetAttachedData(const uint8_t* data, uint64_t size) {
  attachedData_.reset();
  attachedSize_ = 0;
  if (data == nullptr || size == 0) return true;
  attachedData_.reset(new (std::nothrow) uint8_t[size_t(size)]);
  if (!attachedData_) return false;
  std::memcpy(attachedData_.get(), data, size_t(size));
  attachedSize_ = size;
  return true;
}

int Surface::LoadImage(const char* name, const uint8_t* data, uint64_t size, uint8_t flags) {
  return LoadImageAs(name, data, size, flags, false);
}

int Surface::LoadImageIndexed(const char* name, const uint8_t* data, uint64_t size,
                              uint8_t flags) {
  return LoadImageAs(name, data, size, flags, true);
}

int Surface::LoadImageAs(const char* name, const uint8_t* data, uint64_t size, uint8_t flags,
                         bool indexed) {
  ImageLoaderManager* manager = g_loaderManager;
  if (manager == nullptr) return 1;
  SurfaceLoaderContext ctx;
  ctx.surface = this;
  ctx.flags = flags;
  PictureBlock extra;
  int32_t code;
  if (name == nullptr) {
    code = manager->LoadIntoFromMemory(data, size, AllocForLoader, FreeForLoader, &ctx, indexed,
                                       nullptr, nullptr, nullptr, &userValue1_, &userValue2_,
                                       &extra);
  } else {
    if (manager->Cache().Enabled()) {
      std::string key;
      if (!ImageLoaderManager::ResolveCacheName(name, &key)) return 4;
      PictureHolder cached{manager->FindCachedImage(key)};
      if (cached.picture != nullptr) return FillFromCached(*cached.picture, flags, indexed);
    }
    code = manager->LoadInto(name, AllocForLoader, FreeForLoader, &ctx, indexed, nullptr, nullptr,
                             &userValue1_, &userValue2_, &extra);
  }
  if (code != 0) return code;
  if (GetBits() == nullptr) return kGllOutOfMemory;
  if (ctx.palette && GetBitsPerPixel() == 8) {
    DibImage::SetPalette(reinterpret_cast<const uint32_t*>(ctx.palette.get()), 256, 256, 0);
  }
  SetAttachedData(extra.Data(), extra.Size());
  MarkAllDirty();
  return 0;
}

int Surface::FillFromCached(const DecodedPicture& picture, uint8_t flags, bool indexed) {
  const PictureDib dib(picture);
  if (!dib.IsSound()) return 10;
  if (Create(dib.Width(), dib.Rows(), indexed ? 8 : 32, flags) != 0) return 6;
  if (indexed) {
    uint32_t table[256] = {};
    std::memcpy(table, dib.colors, size_t(dib.source.colorCount) * 4);
    if (DibImage::SetPalette(table, 256, int32_t(dib.source.colorCount), 0) != 0) return 6;
  } else if (dib.header.bitCount == 32) {
    hasAlpha_ = 1;
  }
  if (!ConvertWholeDibForCaller(GetBits(), pitch_, dib.source, indexed)) return 9;
  userValue1_ = picture.GetOffsetX();
  userValue2_ = picture.GetOffsetY();
  PictureBlock extra = const_cast<DecodedPicture&>(picture).DetachExtraData(false);
  if (!SetAttachedData(extra.Data(), extra.Size())) return 10;
  MarkAllDirty();
  return 0;
}

// --- drawing a picture into the surface ---------------------------------------------------------

int Surface::LoadByName(const char* name, const uint8_t* data, uint64_t size, int32_t x, int32_t y,
                        bool keepPalette) {
  if (GetBits() == nullptr) return 1;
  ImageLoaderManager* manager = g_loaderManager;
  if (manager == nullptr) return 3;
  if (name == nullptr && data == nullptr) return 2;
  FileObject file;
  if (name != nullptr) {
    if (manager->Cache().Enabled()) {
      std::string key;
      if (!ImageLoaderManager::ResolveCacheName(name, &key)) return 2;
      PictureHolder cached{manager->FindCachedImage(key)};
      if (cached.picture != nullptr) return DrawPicture(*cached.picture, x, y, keepPalette);
    }
    if (file.Open(name) != 0 || file.GetData() == nullptr) return 2;
    data = static_cast<const uint8_t*>(file.GetData());
    size = file.GetSize();
  }
  if (x == 0 && y == 0) {
    bool handled = false;
    const int code = DrawElgDirect(data, size, keepPalette, &handled);
    if (handled) return code;
  }
  PictureDecoder* decoder = nullptr;
  if (name != nullptr) decoder = manager->FindDecoderByExtension(name, false);
  PictureHolder decoded{manager->DecodeToPicture(data, size, decoder)};
  if (decoded.picture == nullptr && decoder != nullptr) {
    decoded.picture = manager->DecodeToPicture(data, size, nullptr);
  }
  if (decoded.picture == nullptr) return 3;
  if (name != nullptr) {
    std::string key;
    if (ImageLoaderManager::ResolveCacheName(name, &key)) manager->CacheImage(decoded.picture, key);
  }
  return DrawPicture(*decoded.picture, x, y, keepPalette);
}

// An ELG block that starts at the surface's top-left corner, as wide as the
// surface and not higher, is decoded straight into the rows. The header is
// read by the ELG decoder itself, so every header variant is understood and
// a damaged file is refused before a row is written.
int Surface::DrawElgDirect(const uint8_t* data, uint64_t size, bool keepPalette, bool* handled) {
  *handled = false;
  if (data == nullptr || size < 3 || std::memcmp(data, "ELG", 3) != 0) return 0;
  ElgDecoder::Header header;
  if (ElgDecoder::ParseHeader(data, size, &header) != kGllOk) {
    *handled = true;
    return 3;
  }
  if (int64_t(header.width) != width_ || int64_t(header.height) > height_) return 0;
  *handled = true;
  const bool to32 = GetBitsPerPixel() == 32;
  if (!to32 && GetBitsPerPixel() != 8) return 3;
  if (header.depth != 8 && header.depth != 24 && header.depth != 32) return 3;
  uint8_t scratch[kPaletteBytes] = {};
  DirectTarget target{GetBits(), pitch_, scratch};
  ElgDecoder decoder;
  if (decoder.DecodeInto(data, size, HandOutRows, &target, !to32, nullptr, nullptr) != kGllOk) {
    return 3;
  }
  if (!to32 && header.depth == 8 && keepPalette) {
    if (DibImage::SetPalette(reinterpret_cast<const uint32_t*>(scratch), 256, 256, 0) != 0) {
      return 4;
    }
    savedPalette_.reset();
  }
  MarkDirty(Rect{0, 0, int32_t(header.width), int32_t(header.height)});
  return 0;
}

int Surface::DrawPicture(const DecodedPicture& picture, int32_t x, int32_t y, bool keepPalette) {
  const PictureDib dib(picture);
  if (!dib.IsSound()) return 5;
  const Rect whole{0, 0, dib.Width(), dib.Rows()};
  if (ClipBlit(nullptr, x, y, &whole, nullptr, nullptr, nullptr) != 0) return -1;
  const bool to32 = GetBitsPerPixel() == 32;
  if (!to32 && GetBitsPerPixel() != 8) return 5;
  if (!to32 && keepPalette && dib.header.bitCount <= 8) {
    uint32_t table[256] = {};
    std::memcpy(table, dib.colors, size_t(dib.source.colorCount) * 4);
    if (DibImage::SetPalette(table, 256, 256, 0) != 0) return 3;
    savedPalette_.reset();
  }
  // The visible part straight into the surface's rows.
  if (!ConvertDibForCaller(GetBits(), blitDest_, pitch_, dib.source, Point{blitSource_.left, blitSource_.top},
                           !to32)) {
    return 4;
  }
  MarkDirty(blitDest_);
  return 0;
}

}  // namespace orrivel
