#include "raster/RotatedDrawing.h"

#include <algorithm>

#include "base/MathTables.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/QuadMapper.h"
#include "raster/Surface.h"

namespace orrivel {

namespace {

constexpr int kModeCopy = 0;
constexpr int kModeBlend = 2;

struct Placement {
  int64_t cx, cy;       // centre of rotation
  int64_t corners[4][2];  // (x, y), (x + sw, y), (x, y + sh), (x + sw, y + sh)
};

int Check(Surface* dest, Surface* source, uint8_t anchor) {
  if (GetMathTables() == nullptr || dest == nullptr || dest->GetBits() == nullptr ||
      source == nullptr || source->GetBits() == nullptr)
    return 1;
  if (dest->GetBitsPerPixel() != 32 || source->GetBitsPerPixel() != 32) return 2;
  if (anchor > 4) return 3;
  return 0;
}

Placement Place(Surface* source, const Rect* sourceRect, uint8_t anchor, int32_t x, int32_t y,
                int32_t scale) {
  const int64_t w = sourceRect != nullptr ? sourceRect->Width() : source->GetWidth();
  const int64_t h = sourceRect != nullptr ? sourceRect->Height() : source->GetHeight();
  const int64_t sw = (w * scale) >> 16;
  const int64_t sh = (h * scale) >> 16;
  static constexpr int kAnchorX[5] = {0, 2, 0, 2, 1};  // halves of sw
  static constexpr int kAnchorY[5] = {0, 0, 2, 2, 1};
  Placement p;
  p.cx = x + (kAnchorX[anchor] == 1 ? sw >> 1 : kAnchorX[anchor] == 2 ? sw : 0);
  p.cy = y + (kAnchorY[anchor] == 1 ? sh >> 1 : kAnchorY[anchor] == 2 ? sh : 0);
  const int64_t xs[4] = {x, x + sw, x, x + sw};
  const int64_t ys[4] = {y, y, y + sh, y + sh};
  for (int i = 0; i < 4; ++i) {
    p.corners[i][0] = xs[i];
    p.corners[i][1] = ys[i];
  }
  return p;
}

// 16.16 turn of the four corners; 64-bit products so that large pictures
// and scales cannot overflow.
void TurnFixed(const Placement& p, int32_t angle, Point out[4]) {
  const MathTables& tables = *GetMathTables();
  const int32_t t = -angle;
  const int64_t c = tables.CosTable()[uint32_t(t) & 511];
  const int64_t s = tables.CosTable()[(uint32_t(t) - 128) & 511];
  for (int i = 0; i < 4; ++i) {
    const int64_t dx = p.corners[i][0] - p.cx, dy = p.corners[i][1] - p.cy;
    const int64_t px = p.cx + ((dx * c - dy * s) >> 16);
    const int64_t py = p.cy + ((dx * s + dy * c) >> 16);
    out[i] = {int32_t(std::clamp<int64_t>(px, INT32_MIN, INT32_MAX)),
              int32_t(std::clamp<int64_t>(py, INT32_MIN, INT32_MAX))};
  }
}

int DrawThroughLibrary(Surface* dest, Surface* source, const Placement& p, int32_t angle,
                       const Rect* sourceRect, int mode, uint8_t opacity) {
  MathTables& tables = *GetMathTables();
  if (!tables.GetSinCosTable()) return 2;
  const double* table = tables.DoubleCosTable();
  const int32_t t = -angle;
  const double c = table[uint32_t(t) & 511];
  const double s = table[(uint32_t(t) - 128) & 511];
  double turned[3][2];
  for (int i = 0; i < 3; ++i) {
    const double dx = double(p.corners[i][0] - p.cx), dy = double(p.corners[i][1] - p.cy);
    turned[i][0] = double(p.cx) + (dx * c - dy * s);
    turned[i][1] = double(p.cy) + (dx * s + dy * c);
  }
  auto fn = reinterpret_cast<PixelOpTransformDrawFn>(LibraryEntry(kPixelOpTransformDrawImage));
  const PixelOpImage d = ViewForLibrary(dest), src = ViewForLibrary(source);
  if (fn(&d, &src, turned[0][0], turned[0][1], turned[1][0], turned[1][1], turned[2][0],
         turned[2][1], sourceRect, mode, 0, opacity, 0, 0, 0, nullptr) != 0)
    return 2;
  RecordLibraryChange(dest);
  return 0;
}

Rect SourceArea(Surface* source, const Rect* sourceRect) {
  return sourceRect != nullptr ? *sourceRect : *source->GetClipRectPtr();
}

}  // namespace

int DrawRotated(Surface* dest, Surface* source, uint8_t anchor, int32_t x, int32_t y,
                int32_t angle, int32_t scale, const Rect* sourceRect, const Rect* destClip) {
  if (const int code = Check(dest, source, anchor); code != 0) return code;
  const Placement p = Place(source, sourceRect, anchor, x, y, scale);
  if (source->GetColorKey() == kNoColorKey && LibraryEntry(kPixelOpTransformDrawImage) != nullptr)
    return DrawThroughLibrary(dest, source, p, angle, sourceRect, kModeCopy, 255);
  Point corners[4];
  TurnFixed(p, angle, corners);
  const Rect area = SourceArea(source, sourceRect);
  return SurfaceMapQuad(dest, source, corners, &area, destClip);
}

int DrawRotatedAlt(Surface* dest, Surface* source, uint8_t anchor, int32_t x, int32_t y,
                   int32_t angle, int32_t scale, uint8_t opacity, const Rect* sourceRect,
                   const Rect* destClip) {
  if (const int code = Check(dest, source, anchor); code != 0) return code;
  const Placement p = Place(source, sourceRect, anchor, x, y, scale);
  if (LibraryEntry(kPixelOpTransformDrawImage) != nullptr)
    return DrawThroughLibrary(dest, source, p, angle, sourceRect, kModeBlend, opacity);
  Point corners[4], texels[4];
  TurnFixed(p, angle, corners);
  QuadCornersOf(SourceArea(source, sourceRect), texels);
  return SurfaceMapQuadTextureAlt(dest, source, corners, texels, opacity, destClip, 0);
}

int Surface::DrawRotated(Surface* source, uint8_t anchor, int32_t x, int32_t y, int32_t angle,
                         int32_t scale, const Rect* sourceRect, const Rect* destClip) {
  return orrivel::DrawRotated(this, source, anchor, x, y, angle, scale, sourceRect, destClip);
}

int Surface::DrawRotatedAlt(Surface* source, uint8_t anchor, int32_t x, int32_t y, int32_t angle,
                            int32_t scale, uint8_t opacity, const Rect* sourceRect,
                            const Rect* destClip) {
  return orrivel::DrawRotatedAlt(this, source, anchor, x, y, angle, scale, opacity, sourceRect,
                                 destClip);
}

}  // namespace orrivel
