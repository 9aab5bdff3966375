#include "display/TextImage.h"

#include <new>

#include "display/DisplayScreenDevice.h"
#include "display/SurfacePixelOps.h"
#include "raster/DibImage.h"
#include "raster/MemoryDc.h"
#include "raster/PixelFormat.h"
#include "text/Font.h"

namespace orrivel {

namespace {

bool HasAlpha(uint32_t formatCode) {
  return formatCode == kPixelFormatA1R5G5B5 || formatCode == kPixelFormatA4R4G4B4 ||
         formatCode == kPixelFormatA8R8G8B8;
}

// A 32-bit memory image of the size, every byte 0 (transparent black): a
// new image starts that way.
bool MakeClearImage(DibImage* image, int32_t width, int32_t height) {
  return image->Create(width, height, 32, true) == 0;
}

// Copies a 32-bit memory image into the target's device context: 3 no
// context, 4 not released.
int BlitThroughDc(SurfaceImage& target, DibImage* image) {
  platform::SoftSurface* surface = target.GetDisplaySurface();
  platform::SurfaceDc dc;
  if (surface->GetDC(&dc) != platform::kSurfaceOk) return 3;
  platform::DcBitBlt(dc, 0, 0, image->GetWidth(), image->GetHeight(), MemoryDcOf(image), 0, 0);
  return surface->ReleaseDC(dc) == platform::kSurfaceOk ? 0 : 4;
}

// Converts a 32-bit memory image into the locked target: 6 no lock, 7 not unlocked.
int ConvertInto(SurfaceImage& target, DibImage* image) {
  platform::SoftSurface* surface = target.GetDisplaySurface();
  platform::SurfaceLock lock;
  if (surface->Lock(nullptr, &lock) != platform::kSurfaceOk) return 6;
  SurfaceImage::CopyToImageAlt(surface, target.FormatCode(), nullptr, image, 0, 0, nullptr, &lock);
  return surface->Unlock() == platform::kSurfaceOk ? 0 : 7;
}

// The font's background settings, put back when the drawing is done.
class BackgroundScope {
 public:
  BackgroundScope(Font* font, uint8_t mode)
      : font_(font), mode_(font->backgroundMode) {
    font_->SetBackground(mode, font->backgroundRed, font->backgroundGreen, font->backgroundBlue);
  }
  BackgroundScope(const BackgroundScope&) = delete;
  BackgroundScope& operator=(const BackgroundScope&) = delete;
  ~BackgroundScope() {
    font_->SetBackground(mode_, font_->backgroundRed, font_->backgroundGreen, font_->backgroundBlue);
  }

 private:
  Font* font_;
  uint8_t mode_;
};

}  // namespace

TextImage::~TextImage() { ReleaseText(); }

void TextImage::ReleaseText() {
  text_.reset();
  font_ = nullptr;
  DdSurface::Release();
  drawnWidth_ = 0;
  drawnHeight_ = 0;
}

int TextImage::ClearColorKey() {
  if (!surface_) return 1;
  return DdSurface::ClearColorKey();
}

int TextImage::Create(const char* text, Font* font, uint32_t formatCode) {
  DisplayScreenDevice* device = ScreenDevice();
  if (device == nullptr || device->DirectDraw() == nullptr || !device->HasDevice() || text == nullptr) {
    return 1;
  }
  ReleaseText();
  try {
    text_.emplace(text);
  } catch (const std::bad_alloc&) {
    return 2;
  }
  if (font != nullptr) font_ = font;
  requestedFormat_ = formatCode;
  const int r = Render();
  if (r != 0) {
    ReleaseText();
    return r + 2;
  }
  return 0;
}

int TextImage::Render() {
  Font* font = font_ ? font_.Get() : DefaultFont();
  if (!text_ || font == nullptr) return kRenderNoText;
  if (font->GetKind() != kFontKindDevice && font->GetKind() != kFontKindOutline) return kRenderNoText;
  DisplayScreenDevice* device = ScreenDevice();
  const platform::SurfacePixelFormat* format =
      device != nullptr ? device->GetTextureFormat(requestedFormat_) : nullptr;
  if (format == nullptr) return kRenderNoFormat;
  Size size;
  int32_t left = 0;
  int32_t top = 0;
  font->MeasureText(text_->c_str(), &size, &left, &top, true, nullptr);
  // Either kind: the box the text covers once turned by the font's angle.
  Rect bounds;
  font->GetRotatedBounds(&bounds, left, top, size.width, size.height);
  size = Size{bounds.Width(), bounds.Height()};
  left = bounds.left;
  top = bounds.top;
  const TextureSize texture = TextureSizeFor(*device, size.width, size.height);
  if (const int r = DdSurface::Create(texture.width, texture.height, 1, format); r != 0) {
    return kRenderTextureBase + r;
  }
  if (!texture.shrunk) {
    if (const int r = DrawInto(*this, font, left, top); r != 0) return kRenderDrawBase + r;
  } else {
    // Drawn whole at its own size, then shrunk into the texture.
    DdSurface full;
    if (const int r = full.Create(size.width, size.height, 0, format); r != 0) {
      return kRenderTextureBase + r;
    }
    if (const int r = DrawInto(full, font, left, top); r != 0) return kRenderDrawBase + r;
    const Rect from{0, 0, size.width, size.height};
    if (surface_->Blt(nullptr, full.GetDisplaySurface(), &from, platform::kBltWait) != platform::kSurfaceOk) {
      return kRenderShrinkFailed;
    }
  }
  if (font->GetKind() == kFontKindDevice) {
    if (const int r = KeyBackground(font); r != 0) return kRenderDrawBase + r;
  }
  drawnWidth_ = size.width;
  drawnHeight_ = size.height;
  return 0;
}

int TextImage::DrawInto(SurfaceImage& target, Font* font, int32_t left, int32_t top) {
  return font->GetKind() == kFontKindDevice ? DrawDeviceFont(target, font, left, top)
                                            : DrawOutlineFont(target, font, left, top);
}

int TextImage::DrawDeviceFont(SurfaceImage& target, Font* font, int32_t left, int32_t top) {
  platform::SoftSurface* surface = target.GetDisplaySurface();
  const bool alpha = HasAlpha(requestedFormat_);
  const int32_t width = target.GetWidth();
  const int32_t height = target.GetHeight();
  const DeviceTextDrawer drawer = DeviceDrawerFor(font);
  if (font->antialias == 0 && drawer != nullptr) {
    if (BlitConvertFormat(surface, nullptr, font->backgroundRed, font->backgroundGreen,
                          font->backgroundBlue, nullptr, alpha ? 0xFF : 0) != 0) {
      return 5;
    }
    platform::SurfaceDc dc;
    if (surface->GetDC(&dc) != platform::kSurfaceOk) return 3;
    {
      // The background is already there: the text alone goes on.
      BackgroundScope transparent(font, 1);
      drawer(font, dc, -left, -top, text_->c_str());
    }
    if (surface->ReleaseDC(dc) != platform::kSurfaceOk) return 4;
    if (!alpha) return 0;
    // Device drawing clears the alpha of what it writes: inverted, the
    // background becomes transparent and the text opaque.
    platform::SurfaceLock lock;
    if (surface->Lock(nullptr, &lock) != platform::kSurfaceOk) return 6;
    const Rect whole{0, 0, width, height};
    NegateSurfaceRect(2, target.FormatCode(), lock.bits, lock.pitch, &whole, nullptr);
    return surface->Unlock() == platform::kSurfaceOk ? 0 : 7;
  }
  DibImage memory;
  if (!MakeClearImage(&memory, width, height)) return alpha ? 1 : 2;
  if (!alpha) {
    memory.FillRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue, nullptr, nullptr);
    {
      BackgroundScope opaque(font, 0);
      font->DrawText(&memory, -left, -top, text_->c_str(), nullptr, nullptr);
    }
    return BlitThroughDc(target, &memory);
  }
  // Coverage as alpha, with the font's shadow or outline in its effect colour.
  font->DrawTextClipped(&memory, -left, -top, text_->c_str(), nullptr, nullptr);
  return ConvertInto(target, &memory);
}

int TextImage::DrawOutlineFont(SurfaceImage& target, Font* font, int32_t left, int32_t top) {
  DibImage memory;
  if (!MakeClearImage(&memory, target.GetWidth(), target.GetHeight())) return 2;
  if (HasAlpha(requestedFormat_)) {
    // Cleared whatever the effect: only the text, its shadow or its outline
    // leave any alpha.
    font->DrawTextClipped(&memory, -left, -top, text_->c_str(), nullptr, nullptr);
    return ConvertInto(target, &memory);
  }
  memory.FillRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue, nullptr, nullptr);
  font->DrawText(&memory, -left, -top, text_->c_str(), nullptr, nullptr);
  if (const int r = BlitThroughDc(target, &memory); r != 0) return r;
  return SetColorKeyRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue) != 0 ? 8 : 0;
}

int TextImage::KeyBackground(Font* font) {
  if (font->backgroundMode == 1) {
    return SetColorKeyRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue) != 0 ? 8 : 0;
  }
  if (font->backgroundMode == 0 && ClearColorKey() != 0) return 8;
  return 0;
}

int TextImage::Restore(uint8_t checkLost) {
  if (!surface_) return 0;
  if (checkLost != 0 && !surface_->IsLost()) return 0;
  return Render() == 0 ? 0 : 1;
}

}  // namespace orrivel
