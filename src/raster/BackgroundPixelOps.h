#pragma once
// The process-wide pixel operations of the background actions: blending two
// pictures into a third, drawing a picture through an affine map, and
// drawing a rectangle of a picture stretched onto another, each with a blend
// mode and an opacity. The actions reach them through CurrentBackgroundPixelOps
// so that a test or a faster back end can stand in for the built-in ones.
//
// Every operation works on 32-bit images only and returns 0 when done (or
// when nothing is visible), 1 when an image is missing or has no pixels, 2
// for another depth or an operation the build cannot do, 3 when the
// pixel-operation library refused.
#include <cstdint>

#include "raster/Rect.h"

namespace orrivel {

class Surface;

// Maps a source point (x, y) to (xx·x + xy·y + tx, yx·x + yy·y + ty) on the
// destination; source pixel centres sit at half-pixel positions.
struct AffineMap {
  double xx = 1, xy = 0, tx = 0;
  double yx = 0, yy = 1, ty = 0;
};

class BackgroundPixelOps {
 public:
  // Flags of the affine and stretch blends.
  static constexpr uint32_t kFiltered = 1;  // interpolate between texels
  // Blend modes: 0 draws the picture at the opacity (255 copies), 1 blends
  // it by its own alpha times the opacity.
  static constexpr uint8_t kBlendOpacity = 0;
  static constexpr uint8_t kBlendAlpha = 1;

  virtual ~BackgroundPixelOps() = default;

  // Over rect (null: all of dest) cut to the three images: each colour
  // channel becomes a + (b − a) × level ÷ 255, rounded; the alpha is a's.
  // Level 0 gives a, 255 gives b.
  virtual int BlendTwoSources(Surface* dest, Surface* a, Surface* b, uint8_t level, const Rect* rect);
  // The whole source drawn through the map, cut to dest.
  virtual int AffineBlend(Surface* dest, Surface* source, const AffineMap& map, uint32_t flags, uint8_t blendMode,
                          uint8_t opacity);
  // The source rectangle stretched onto the destination rectangle (which may
  // reach past dest), cut to dest.
  virtual int StretchBlend(Surface* dest, Surface* source, const Rect& destRect, const Rect& sourceRect,
                           uint32_t flags, uint8_t blendMode, uint8_t opacity);
};

// The operations in use: the built-in ones unless a stand-in is set.
BackgroundPixelOps& CurrentBackgroundPixelOps();
// Sets a stand-in (null: the built-in ones again); returns the previous one.
BackgroundPixelOps* SetBackgroundPixelOps(BackgroundPixelOps* ops);

// The row kernel of BlendTwoSources and its packed twin: width pixels.
void BlendTwoRows32(uint32_t* dest, const uint32_t* a, const uint32_t* b, int32_t width, uint32_t level);
void BlendTwoRows32Packed(uint32_t* dest, const uint32_t* a, const uint32_t* b, int32_t width, uint32_t level);

}  // namespace orrivel
