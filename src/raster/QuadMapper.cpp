#include "raster/QuadMapper.h"

#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/QuadMapLoop.h"
#include "raster/Surface.h"

namespace orrivel {

int MapQuadTexture(Image* dest, Surface* source, const Point destPoints[4],
                   const Point sourcePoints[4], const Rect& clip, uint8_t spanFlag) {
  return quad_map::MapQuad(dest, source, destPoints, sourcePoints, clip, spanFlag,
                           [](uint32_t* d, uint32_t t) { *d = t; });
}

int MapQuadTextureKeyed(Image* dest, Surface* source, const Point destPoints[4],
                        const Point sourcePoints[4], const Rect& clip, uint8_t spanFlag,
                        uint32_t key) {
  return quad_map::MapQuad(dest, source, destPoints, sourcePoints, clip, spanFlag,
                           [key](uint32_t* d, uint32_t t) {
                             if (t != key) *d = t;
                           });
}

int MapQuadTextureB(Image* dest, Surface* source, const Point destPoints[4],
                    const Point sourcePoints[4], const Rect& clip, uint8_t spanFlag,
                    const uint8_t* levelMap) {
  return quad_map::MapQuad(
      dest, source, destPoints, sourcePoints, clip, spanFlag,
      [levelMap](uint32_t* d, uint32_t t) {
        const int32_t m = OpacityMultiplierTable[levelMap[t >> 24]].blue;
        uint32_t out = *d & 0xFF000000u;
        for (int shift = 0; shift <= 16; shift += 8) {
          const int32_t dc = int32_t((*d >> shift) & 0xFF);
          const int32_t tc = int32_t((t >> shift) & 0xFF);
          out |= uint32_t((dc + (((tc - dc) * m) >> 8)) & 0xFF) << shift;
        }
        *d = out;
      });
}

void QuadCornersOf(const Rect& rect, Point out[4]) {
  out[0] = {rect.left, rect.top};
  out[1] = {rect.right - 1, rect.top};
  out[2] = {rect.left, rect.bottom - 1};
  out[3] = {rect.right - 1, rect.bottom - 1};
}

namespace {

// Pixels and depths of both sides: 0 usable, 1 no pixels, 2 not 32 bits.
int CheckPair(Surface* dest, Surface* source) {
  if (dest == nullptr || dest->GetBits() == nullptr || source == nullptr ||
      source->GetBits() == nullptr)
    return 1;
  if (dest->GetBitsPerPixel() != 32 || source->GetBitsPerPixel() != 32) return 2;
  return 0;
}

// The bounding box of the destination points, clipped, marked dirty.
void MarkQuadBox(Surface* dest, const Point destPoints[4], const Rect& clip) {
  Rect box{destPoints[0].x, destPoints[0].y, destPoints[0].x, destPoints[0].y};
  for (int i = 1; i < 4; ++i) {
    box.left = std::min(box.left, destPoints[i].x);
    box.top = std::min(box.top, destPoints[i].y);
    box.right = std::max(box.right, destPoints[i].x);
    box.bottom = std::max(box.bottom, destPoints[i].y);
  }
  // The mapper draws only inside the clip cut to the destination, so the
  // damage never leaves the surface either.
  const Rect bounds{0, 0, dest->GetWidth(), dest->GetHeight()};
  if (IntersectRects(&box, box, clip) && IntersectRects(&box, box, bounds)) dest->MarkDirty(box);
}

const Rect& ClipOf(Surface* dest, const Rect* destClip) {
  return destClip != nullptr ? *destClip : *dest->GetClipRectPtr();
}

}  // namespace

int SurfaceMapQuadTexture(Surface* dest, Surface* source, const Point destPoints[4],
                          const Point sourcePoints[4], const Rect* destClip, uint8_t spanFlag) {
  if (const int code = CheckPair(dest, source); code != 0) return code;
  const Rect& clip = ClipOf(dest, destClip);
  const uint32_t key = source->GetColorKey();
  if (key != kNoColorKey)
    MapQuadTextureKeyed(dest, source, destPoints, sourcePoints, clip, spanFlag, key);
  else
    MapQuadTexture(dest, source, destPoints, sourcePoints, clip, spanFlag);
  MarkQuadBox(dest, destPoints, clip);
  return 0;
}

int SurfaceMapQuad(Surface* dest, Surface* source, const Point destPoints[4],
                   const Rect* sourceRect, const Rect* destClip, bool flagged) {
  if (const int code = CheckPair(dest, source); code != 0) return code;
  Point corners[4];
  QuadCornersOf(sourceRect != nullptr ? *sourceRect : *source->GetClipRectPtr(), corners);
  return SurfaceMapQuadTexture(dest, source, destPoints, corners, destClip, flagged ? 1 : 0);
}

int SurfaceMapQuadTextureAlt(Surface* dest, Surface* source, const Point destPoints[4],
                             const Point sourcePoints[4], uint8_t opacity, const Rect* destClip,
                             uint8_t spanFlag) {
  if (const int code = CheckPair(dest, source); code != 0) return code;
  const Rect& clip = ClipOf(dest, destClip);
  const uint8_t* map = ProductTable[opacity];
  if (MmxFlag())
    MapQuadTextureBMmx(dest, source, destPoints, sourcePoints, clip, spanFlag, map);
  else
    MapQuadTextureB(dest, source, destPoints, sourcePoints, clip, spanFlag, map);
  MarkQuadBox(dest, destPoints, clip);
  return 0;
}

int Surface::MapQuad(Surface* source, const Point destPoints[4], const Rect* sourceRect,
                     const Rect* destClip) {
  return SurfaceMapQuad(this, source, destPoints, sourceRect, destClip, false);
}

int Surface::MapQuadFlagged(Surface* source, const Point destPoints[4], const Rect* sourceRect,
                            const Rect* destClip) {
  return SurfaceMapQuad(this, source, destPoints, sourceRect, destClip, true);
}

int Surface::MapQuadTexture(Surface* source, const Point destPoints[4],
                            const Point sourcePoints[4], const Rect* destClip, uint8_t spanFlag) {
  return SurfaceMapQuadTexture(this, source, destPoints, sourcePoints, destClip, spanFlag);
}

int Surface::MapQuadTextureAlt(Surface* source, const Point destPoints[4],
                               const Point sourcePoints[4], uint8_t opacity, const Rect* destClip,
                               uint8_t spanFlag) {
  return SurfaceMapQuadTextureAlt(this, source, destPoints, sourcePoints, opacity, destClip,
                                  spanFlag);
}

}  // namespace orrivel
