#include "scene/CanvasSurfaceImage.h"

#include "display/SurfaceImage.h"
#include "raster/Surface.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

bool g_dibSections = false;

}  // namespace

void SetCanvasDibSections(bool on) { g_dibSections = on; }
bool CanvasDibSections() { return g_dibSections; }

uint8_t ComposedSurfaceFlags(bool withDc) {
  return uint8_t(Surface::kWithRegion | (withDc && g_dibSections ? Surface::kWithDeviceContext : 0));
}

int RecreateComposedSurface(CanvasDrawObject& canvas, uint8_t depth, bool withDc) {
  Surface* surface = canvas.GetSurface();
  if (surface->Create(surface->GetWidth(), surface->GetHeight(), depth, ComposedSurfaceFlags(withDc)) != 0) {
    return 2;
  }
  if (canvas.GetCanvas() != nullptr) canvas.GetCanvas()->SetTarget(surface, 1);
  // The new surface records its own changes unless the canvas tracks them.
  canvas.SetPrepared(canvas.IsPrepared());
  return 0;
}

int UpdateComposedCopy(CanvasDrawObject& canvas, platform::SoftSurface* target, uint32_t formatCode,
                       uint8_t dirtyOnly) {
  if (target == nullptr) return 1;
  return canvas.Present(nullptr, nullptr, target, formatCode, dirtyOnly);
}

int CopyComposedWhole(CanvasDrawObject& canvas, platform::SoftSurface* target, uint32_t formatCode) {
  if (target == nullptr) return 1;
  const int r = SurfaceImage::CopyToImageAlt(target, formatCode, nullptr, canvas.GetSurface(), 0, 0,
                                             nullptr, nullptr);
  return r == 3 ? 1 : r;
}

bool ComposedColorAt(Surface& surface, int32_t x, int32_t y, uint32_t* rgb) {
  if (x < 0 || y < 0 || x >= surface.GetWidth() || y >= surface.GetHeight()) return false;
  const uint8_t* row = surface.GetScanLine(y);
  if (row == nullptr) return false;
  if (surface.GetBitsPerPixel() == 8) {
    const uint32_t* palette = surface.GetPalette();
    *rgb = palette != nullptr ? palette[row[x]] & 0x00FFFFFFu : uint32_t(row[x]) * 0x010101u;
    return true;
  }
  *rgb = reinterpret_cast<const uint32_t*>(row)[x] & 0x00FFFFFFu;
  return true;
}

}  // namespace orrivel
