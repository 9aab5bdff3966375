#include "text/CoveragePainter.h"

#include <algorithm>

#include "raster/BlendTables.h"
#include "raster/CompositeKernels32.h"
#include "raster/DibImage.h"
#include "raster/Kernels32.h"
#include "raster/MaskKernels.h"

namespace orrivel {
namespace {

// The placed map cut to the target; empty when nothing lands.
Rect Placed(const PaintTarget& t, const CoverageMap& c, int32_t x, int32_t y) {
  const int64_t right = int64_t(x) + c.width, bottom = int64_t(y) + c.height;
  return Rect{std::max(x, 0), std::max(y, 0), int32_t(std::min<int64_t>(right, t.width)),
              int32_t(std::min<int64_t>(bottom, t.height))};
}

template <typename Pixel>
void ForCovered(const PaintTarget& t, const CoverageMap& c, int32_t x, int32_t y, const Rect& r, Pixel pixel) {
  for (int32_t py = r.top; py < r.bottom; ++py) {
    const uint8_t* m = c.map + int64_t(py - y) * c.pitch + (r.left - x);
    uint8_t* row = t.bits + int64_t(py) * t.pitch;
    for (int32_t px = r.left; px < r.right; ++px, ++m) {
      if (*m != 0) pixel(row, px, *m);
    }
  }
}

uint8_t Mix(uint8_t color, uint8_t pixel, uint8_t coverage) {
  return uint8_t(std::min(255, ProductTable[color][coverage] + ProductTable[pixel][255 - coverage]));
}

}  // namespace

bool PaintTarget::From(Image* image, PaintTarget* out) {
  auto* dib = dynamic_cast<DibImage*>(image);
  if (!dib || !dib->GetBits()) return false;
  const uint8_t bpp = dib->GetBitsPerPixel();
  if (bpp != 8 && bpp != 32) return false;
  *out = PaintTarget{dib->GetBits(), dib->GetWidth(), dib->GetHeight(), dib->GetPitch(), bpp};
  return true;
}

void GrowBounds(Rect* bounds, const Rect& more) {
  if (more.IsEmpty()) return;
  if (bounds->IsEmpty()) {
    *bounds = more;
    return;
  }
  *bounds = Rect{std::min(bounds->left, more.left), std::min(bounds->top, more.top),
                 std::max(bounds->right, more.right), std::max(bounds->bottom, more.bottom)};
}

bool PaintCoverage(const PaintTarget& t, const CoverageMap& c, int32_t x, int32_t y, uint32_t color,
                   CoverageMode mode, Rect* bounds) {
  if (!c.map || c.width <= 0 || c.height <= 0) return false;
  // The blends read the process's tables: through unbuilt ones every
  // glyph body would come out black.
  EnsureBlendTables();
  const Rect r = Placed(t, c, x, y);
  if (r.IsEmpty()) return false;
  const uint8_t red = uint8_t(color >> 16), green = uint8_t(color >> 8), blue = uint8_t(color);
  if (t.bitsPerPixel == 32 && mode == CoverageMode::kBlend) {
    // The glyph blend every 32-bit text path shares.
    BlendMaskedColorAtMmx(x, y, red, green, blue, t.bits, t.width, t.height, t.pitch, c.map, c.width, c.height,
                          c.pitch);
  } else if (t.bitsPerPixel == 32 && mode == CoverageMode::kAnyCoverage) {
    BlendMaskedColorAt(x, y, red, green, blue, t.bits, t.width, t.height, t.pitch, c.map, c.width, c.height,
                       c.pitch);
  } else if (t.bitsPerPixel == 32) {
    ForCovered(t, c, x, y, r, [color](uint8_t* row, int32_t px, uint8_t m) {
      if (m >= 128) reinterpret_cast<uint32_t*>(row)[px] = color & 0x00FFFFFFu;  // the whole word
    });
  } else if (mode == CoverageMode::kBlend) {
    ForCovered(t, c, x, y, r, [red](uint8_t* row, int32_t px, uint8_t m) { row[px] = Mix(red, row[px], m); });
  } else {
    const uint8_t least = mode == CoverageMode::kThreshold ? 128 : 1;
    ForCovered(t, c, x, y, r, [red, least](uint8_t* row, int32_t px, uint8_t m) {
      if (m >= least) row[px] = red;
    });
  }
  if (bounds) GrowBounds(bounds, r);
  return true;
}

namespace {

// Runs a plane-to-alpha kernel over the placed coverage cut to the target.
template <typename Kernel>
bool CoverageIntoAlpha(const PaintTarget& t, const CoverageMap& c, int32_t x, int32_t y, Rect* bounds,
                       Kernel kernel) {
  if (t.bitsPerPixel != 32 || !c.map || c.width <= 0 || c.height <= 0) return false;
  EnsureBlendTables();
  const Rect r = Placed(t, c, x, y);
  if (r.IsEmpty()) return false;
  kernel(t.bits + int64_t(r.top) * t.pitch + int64_t(r.left) * 4,
         c.map + int64_t(r.top - y) * c.pitch + (r.left - x), t.pitch - r.Width() * 4, c.pitch - r.Width(),
         r.Width(), r.Height());
  if (bounds) GrowBounds(bounds, r);
  return true;
}

}  // namespace

bool UniteCoverageIntoAlpha(const PaintTarget& t, const CoverageMap& c, int32_t x, int32_t y, Rect* bounds) {
  return CoverageIntoAlpha(t, c, x, y, bounds, CombineAlphaWithPlane);
}

bool CopyCoverageIntoAlpha(const PaintTarget& t, const CoverageMap& c, int32_t x, int32_t y, Rect* bounds) {
  return CoverageIntoAlpha(t, c, x, y, bounds, CopyPlaneToAlpha);
}

void FillColorKeepingAlpha(const PaintTarget& t, const Rect& rect, uint32_t color) {
  if (t.bitsPerPixel != 32) return;
  const Rect r{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, t.width),
               std::min(rect.bottom, t.height)};
  if (r.IsEmpty()) return;
  FillColorKeepAlpha32(t.bits + int64_t(r.top) * t.pitch + int64_t(r.left) * 4, t.pitch - r.Width() * 4,
                       r.Width(), r.Height(), color & 0x00FFFFFFu);
}

}  // namespace orrivel
