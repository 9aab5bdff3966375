#include "scene/DecodedCanvasObjectA.h"

#include "display/DisplayScreenDevice.h"
#include "display/DrawObjectManager.h"
#include "raster/Surface.h"
#include "scene/CanvasSurfaceImage.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

DecodedCanvasObjectA::~DecodedCanvasObjectA() { Release(); }

void DecodedCanvasObjectA::Release() { video_.Release(); }

int DecodedCanvasObjectA::CreateSurface(int32_t width, int32_t height) {
  DisplayScreenDevice* device = SurfaceImage::ScreenDevice();
  if (device == nullptr || device->DirectDraw() == nullptr) return kLoadNoDevice;
  return video_.CreateBlank(width, height, 0, 0, nullptr) == 0 ? 0 : kLoadNoSurface;
}

int DecodedCanvasObjectA::Load(int32_t width, int32_t height, uint8_t depth, uint8_t mode) {
  DisplayScreenDevice* device = SurfaceImage::ScreenDevice();
  if (device == nullptr || device->DirectDraw() == nullptr) return kLoadNoDevice;
  Release();
  Reset();
  if (const int r = CreateSurface(width, height); r != 0) return r;
  if (const int r = Setup(width, height, depth, ComposedSurfaceFlags(true), mode > 2 ? 1 : mode); r != 0) {
    Release();
    return r + 2;
  }
  video_.GetDisplaySurface()->ColorFill(nullptr, 0);
  return 0;
}

int DecodedCanvasObjectA::Update(uint8_t dirtyOnly) {
  return UpdateComposedCopy(*this, video_.GetDisplaySurface(), video_.FormatCode(), dirtyOnly);
}

int DecodedCanvasObjectA::Resize(uint8_t depth) {
  if (RecreateComposedSurface(*this, depth, true) == 0) return 0;
  Release();
  Reset();
  return 2;
}

int DecodedCanvasObjectA::SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) {
  return video_.SetColorKeyRgb(red, green, blue);
}

int DecodedCanvasObjectA::SetColorKeyAt(int32_t x, int32_t y) {
  uint32_t rgb = 0;
  if (!ComposedColorAt(*CanvasDrawObject::GetSurface(), x, y, &rgb)) return 1;
  video_.ClearColorKey();
  return SetColorKeyRgb(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
}

int DecodedCanvasObjectA::Restore(uint8_t checkLost) {
  platform::SoftSurface* surface = video_.GetDisplaySurface();
  if (surface == nullptr) return 0;
  if (checkLost != 0 && !surface->IsLost()) return 0;
  const uint32_t key = video_.RgbColorKey();
  Surface* composed = CanvasDrawObject::GetSurface();
  if (CreateSurface(composed->GetWidth(), composed->GetHeight()) != 0) return 1;
  // The picture as it was composed: no sprite is drawn again.
  if (CopyComposedWhole(*this, video_.GetDisplaySurface(), video_.FormatCode()) != 0) return 2;
  if (key != kNoColorKey &&
      video_.SetColorKeyRgb(uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key)) != 0) {
    return 3;
  }
  return 0;
}

int CreateDecodedCanvasObjectA(DrawObjectManager& manager, uint32_t* out, int32_t width,
                               int32_t height, uint8_t depth, uint8_t mode) {
  return manager.CreateImage<DecodedCanvasObjectA>(
      out, 4, [&](DecodedCanvasObjectA& image) { return image.Load(width, height, depth, mode); });
}

}  // namespace orrivel
