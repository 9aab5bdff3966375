#include "scene/DecodedCanvasObjectB.h"

#include "display/DisplayScreenDevice.h"
#include "display/DrawObjectManager.h"
#include "raster/PixelFormat.h"
#include "raster/Surface.h"
#include "scene/CanvasSurfaceImage.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

// Composed surfaces of textures with alpha never get a device context:
// device drawing would clear their alpha.
bool DcAllowed(uint32_t formatCode) { return formatCode <= kPixelFormatX8R8G8B8; }

}  // namespace

DecodedCanvasObjectB::~DecodedCanvasObjectB() { SurfaceImage::Release(); }

int DecodedCanvasObjectB::CreateTexture(uint32_t formatCode, int32_t width, int32_t height) {
  DisplayScreenDevice* device = ScreenDevice();
  if (device == nullptr || !device->HasDevice()) return kTextureNoDevice;
  const platform::SurfacePixelFormat* format = device->GetTextureFormat(formatCode);
  if (format == nullptr) return kTextureNoFormat;
  const TextureSize size = TextureSizeFor(*device, width, height);
  if (size.shrunk) return kTextureTooLarge;
  if (CreateBlank(size.width, size.height, 0, 1, format) != 0) return kTextureRefused;
  requestedFormat_ = formatCode;
  return 0;
}

int DecodedCanvasObjectB::Load(uint32_t formatCode, int32_t width, int32_t height, uint8_t depth,
                               uint8_t mode) {
  DisplayScreenDevice* device = ScreenDevice();
  if (device == nullptr || !device->HasDevice()) return kLoadNoDevice;
  SurfaceImage::Release();
  Reset();
  if (CreateTexture(formatCode, width, height) != 0) return kLoadNoTexture;
  if (const int r = Setup(width, height, depth, ComposedSurfaceFlags(DcAllowed(formatCode)),
                          mode > 2 ? 1 : mode);
      r != 0) {
    SurfaceImage::Release();
    return r + 2;
  }
  SurfaceImage::surface_->ColorFill(nullptr, 0);
  return 0;
}

int DecodedCanvasObjectB::Update(uint8_t dirtyOnly) {
  return UpdateComposedCopy(*this, SurfaceImage::surface_.get(), formatCode_, dirtyOnly);
}

int DecodedCanvasObjectB::Resize(uint8_t depth) {
  if (RecreateComposedSurface(*this, depth, DcAllowed(requestedFormat_)) == 0) return 0;
  SurfaceImage::Release();
  Reset();
  return 2;
}

int DecodedCanvasObjectB::SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) {
  return SurfaceImage::SetColorKeyRgb(red, green, blue);
}

int DecodedCanvasObjectB::SetColorKeyAt(int32_t x, int32_t y) {
  uint32_t rgb = 0;
  if (!ComposedColorAt(*CanvasDrawObject::GetSurface(), x, y, &rgb)) return 1;
  const int r = SetColorKeyRgb(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
  if (r == 0) {
    keyX_ = x;
    keyY_ = y;
  }
  return r;
}

int DecodedCanvasObjectB::Restore(uint8_t checkLost) {
  if (!SurfaceImage::surface_) return 0;
  if (checkLost != 0 && !SurfaceImage::surface_->IsLost()) return 0;
  const uint32_t key = RgbColorKey();
  const int32_t keyX = keyX_;
  const int32_t keyY = keyY_;
  const int32_t width = width_;
  const int32_t height = height_;
  DisplayScreenDevice* device = ScreenDevice();
  const platform::SurfacePixelFormat* format =
      device != nullptr ? device->GetTextureFormat(requestedFormat_) : nullptr;
  if (format == nullptr || CreateBlank(width, height, 0, 1, format) != 0) return 1;
  // The picture as it was composed: no sprite is drawn again.
  if (CopyComposedWhole(*this, SurfaceImage::surface_.get(), formatCode_) != 0) return 2;
  if (key != kNoColorKey) {
    if (SetColorKeyRgb(uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key)) != 0) return 3;
    keyX_ = keyX;
    keyY_ = keyY;
  } else if (keyX >= 0 && SetColorKeyAt(keyX, keyY) != 0) {
    return 4;
  }
  return 0;
}

int CreateDecodedCanvasObjectB(DrawObjectManager& manager, uint32_t* out, uint32_t formatCode,
                               int32_t width, int32_t height, uint8_t depth, uint8_t mode) {
  return manager.CreateImage<DecodedCanvasObjectB>(out, 4, [&](DecodedCanvasObjectB& image) {
    return image.Load(formatCode, width, height, depth, mode);
  });
}

}  // namespace orrivel
