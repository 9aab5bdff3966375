// Drawing text with the outline font onto 32-bit images: the text colour
// through each glyph's coverage, with shadow and outline.
#include <algorithm>

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

int OutlineFont::DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) {
  auto* dib = dynamic_cast<DibImage*>(image);
  if (!face_ || !dib || !dib->GetBits() || dib->GetBitsPerPixel() != 32) return 1;
  const Target target{dib->GetBits(), dib->GetWidth(), dib->GetHeight(), dib->GetPitch()};
  const int32_t height = PixelHeight();
  const bool bold = logFont_.weight >= 700, italic = logFont_.italic != 0, twoLevel = antialias == 0;
  const Point shadow = TurnOffset(shadowX, shadowY);
  const Point step = LineStep();
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
    BlendGlyph(target, *glyph, gx, gy, textRed, textGreen, textBlue, twoLevel, &drawn);
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
