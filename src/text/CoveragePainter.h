#pragma once
// Putting 8-bit coverage (glyph maps, text planes) onto the pixels of an
// image: the colour through the coverage on 8- and 32-bit images, as two
// levels or blended, and the coverage united into the alpha bytes of a
// 32-bit image. Every operation clips to the image and reports the part
// that landed.
#include <cstdint>

#include "raster/Image.h"
#include "raster/Rect.h"

namespace orrivel {

struct PaintTarget {
  uint8_t* bits = nullptr;
  int32_t width = 0, height = 0, pitch = 0;
  uint8_t bitsPerPixel = 0;

  // False unless the image is an 8- or 32-bit memory image with pixels.
  static bool From(Image* image, PaintTarget* out);
};

struct CoverageMap {
  const uint8_t* map = nullptr;  // null: nothing to draw
  int32_t width = 0, height = 0, pitch = 0;
};

enum class CoverageMode : uint8_t {
  // Pixels of coverage 128 and more take the colour, others stay.
  kThreshold,
  // Every pixel with any coverage takes the colour.
  kAnyCoverage,
  // Each channel becomes colour x c + pixel x (255 - c), c the coverage.
  kBlend,
};

// The smallest rectangle holding both (an empty one gives way to the other).
void GrowBounds(Rect* bounds, const Rect& more);

// Paints the colour (0x00RRGGBB) through the coverage placed at (x, y). An
// 8-bit image takes the colour's red byte as its index (or blended value).
// Blending keeps 32-bit alpha. Grows bounds by the placed rectangle cut to the
// image; false when it lies wholly outside. The threshold sets a 32-bit
// pixel's whole word (alpha 0), as a plain colour copy does.
bool PaintCoverage(const PaintTarget& target, const CoverageMap& coverage, int32_t x, int32_t y,
                   uint32_t color, CoverageMode mode, Rect* bounds);

// 32-bit images: alpha := 255 - (255 - alpha)(255 - c) / 255 under the
// coverage placed at (x, y); colours stay.
bool UniteCoverageIntoAlpha(const PaintTarget& target, const CoverageMap& coverage, int32_t x,
                            int32_t y, Rect* bounds);
// 32-bit images: alpha := c under the coverage placed at (x, y).
bool CopyCoverageIntoAlpha(const PaintTarget& target, const CoverageMap& coverage, int32_t x,
                           int32_t y, Rect* bounds);

// 32-bit images: the colour channels of the rectangle (cut to the image)
// become the colour; alpha stays.
void FillColorKeepingAlpha(const PaintTarget& target, const Rect& rect, uint32_t color);

}  // namespace orrivel
