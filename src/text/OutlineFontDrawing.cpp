// Drawing text with the outline font onto 32-bit images: the text colour or
// the gradient through each glyph's coverage, with shadow and outline.
#include <algorithm>

#include "raster/BlendTables.h"
#include "raster/DibImage.h"
#include "raster/MaskKernels.h"
#include "text/OutlineFont.h"
#include "text/TextWalker.h"

namespace orrivel {
namespace {

struct Target {
  uint8_t* bits;
  int32_t width, height, pitch;
};

// Blends the glyph's coverage in a colour at (x, y) and grows bounds by the
// part that lands on the target.
void BlendGlyph(const Target& t, const Glyph& g, int32_t x, int32_t y, uint8_t r, uint8_t gr, uint8_t b,
                bool twoLevel, Rect* bounds) {
  if (g.IsBlank()) return;
  const bool drawn = twoLevel ? BlendMaskedColorAt(x, y, r, gr, b, t.bits, t.width, t.height, t.pitch,
                                                   g.map.get(), g.width, g.height, g.pitch)
                              : BlendMaskedColorAtMmx(x, y, r, gr, b, t.bits, t.width, t.height, t.pitch,
                                                      g.map.get(), g.width, g.height, g.pitch);
  if (!drawn) return;
  const Rect placed{std::max(x, 0), std::max(y, 0), std::min(x + g.width, t.width),
                    std::min(y + g.height, t.height)};
  if (bounds->IsEmpty()) {
    *bounds = placed;
  } else {
    *bounds = Rect{std::min(bounds->left, placed.left), std::min(bounds->top, placed.top),
                   std::max(bounds->right, placed.right), std::max(bounds->bottom, placed.bottom)};
  }
}

}  // namespace

void OutlineFont::BlendGradientGlyph(uint8_t* bits, int32_t width, int32_t height, int32_t pitch, const Glyph& g,
                                     Point pen, Rect* bounds) const {
  if (g.IsBlank()) return;
  const uint32_t* ramp = gradient_.Words();
  const int32_t count = int32_t(gradient_.count);
  const int32_t left = pen.x + g.originX, top = pen.y + g.originY;
  Rect placed{width, height, 0, 0};
  for (int32_t r = 0; r < g.height; ++r) {
    const int32_t y = top + r;
    if (y < 0 || y >= height) continue;
    uint32_t* row = reinterpret_cast<uint32_t*>(bits + int64_t(y) * pitch);
    for (int32_t c = 0; c < g.width; ++c) {
      const int32_t x = left + c;
      const uint8_t m = g.Row(r)[c];
      if (x < 0 || x >= width || m == 0) continue;
      const int32_t entry = GradientEntry(g.originX + c, g.originY + r);
      if (entry < 0 || entry >= count) continue;
      const uint32_t colour = ramp[entry], d = row[x];
      uint32_t out = d & 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t channel = ProductTable[(colour >> shift) & 0xFF][m] + ProductTable[(d >> shift) & 0xFF][255 - m];
        out |= std::min<uint32_t>(channel, 255) << shift;
      }
      row[x] = out;
      placed = Rect{std::min(placed.left, x), std::min(placed.top, y), std::max(placed.right, x + 1),
                    std::max(placed.bottom, y + 1)};
    }
  }
  if (placed.IsEmpty()) return;
  *bounds = bounds->IsEmpty() ? placed
                              : Rect{std::min(bounds->left, placed.left), std::min(bounds->top, placed.top),
                                     std::max(bounds->right, placed.right), std::max(bounds->bottom, placed.bottom)};
}

int OutlineFont::DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) {
  auto* dib = dynamic_cast<DibImage*>(image);
  if (!face_ || !dib || !dib->GetBits() || dib->GetBitsPerPixel() != 32) return 1;
  const Target target{dib->GetBits(), dib->GetWidth(), dib->GetHeight(), dib->GetPitch()};
  const int32_t height = PixelHeight();
  const bool bold = logFont_.weight >= 700, italic = logFont_.italic != 0, twoLevel = antialias == 0;
  const Point shadow = TurnOffset(shadowX, shadowY);
  const Point step = LineStep();
  // The gradient runs along rows upright and along columns at 2700; other
  // angles draw in the text colour.
  const bool gradient = gradientEnabled_ && GradientDirection() >= 0 && gradient_.values && gradient_.bits == 32;
  Rect drawn{x, y, x, y};
  Point pen{x, y}, lineStart{x, y};
  size_t pos = 0;
  TextUnit unit;
  while (NextTextUnit(text, &pos, &unit)) {
    if (unit.kind == TextUnit::kLineEnd) {
      lineStart = Point{lineStart.x + step.x, lineStart.y + step.y};
      pen = lineStart;
      continue;
    }
    const bool picture = unit.kind == TextUnit::kPicture;
    const uint16_t code = uint16_t(unit.code);
    if (effectMode == kEffectOutline) {
      if (Glyph* edge = RenderGlyph(code, height, true, bold, italic, picture)) {
        BlendGlyph(target, *edge, pen.x + edge->originX, pen.y + edge->originY, effectRed, effectGreen,
                   effectBlue, twoLevel, &drawn);
        ReleaseUncachedGlyph(edge);
      }
    }
    Glyph* glyph = RenderGlyph(code, height, false, bold, italic, picture);
    if (!glyph) continue;
    const int32_t gx = pen.x + glyph->originX, gy = pen.y + glyph->originY;
    if (effectMode == kEffectShadow) {
      BlendGlyph(target, *glyph, gx + shadow.x, gy + shadow.y, effectRed, effectGreen, effectBlue, twoLevel,
                 &drawn);
    }
    if (gradient) {
      BlendGradientGlyph(target.bits, target.width, target.height, target.pitch, *glyph, pen, &drawn);
    } else {
      BlendGlyph(target, *glyph, gx, gy, textRed, textGreen, textBlue, twoLevel, &drawn);
    }
    pen = Point{pen.x + glyph->advanceX, pen.y + glyph->advanceY};
    ReleaseUncachedGlyph(glyph);
  }
  if (bounds) *bounds = drawn;
  if (end) *end = pen;
  return 0;
}

int OutlineFont::DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds,
                                 Point* end) {
  // The alpha-mask form is not drawn by this font yet: it answers as for an
  // image it cannot draw on.
  (void)image;
  (void)x;
  (void)y;
  (void)text;
  (void)bounds;
  (void)end;
  return 1;
}

}  // namespace orrivel
