// Drawing text with the outline font: the text colour or the gradient
// through each glyph's coverage, with shadow and outline, onto 8- and
// 32-bit images, and the alpha-mask form.
#include <algorithm>

#include "raster/BlendTables.h"
#include "text/CoveragePainter.h"
#include "text/OutlineFont.h"
#include "text/TextWalker.h"

namespace orrivel {
namespace {

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

CoverageMap MapOf(const Glyph& g) { return CoverageMap{g.map.get(), g.width, g.height, g.pitch}; }

}  // namespace

void OutlineFont::PaintGradientGlyph(const PaintTarget& t, const Glyph& g, Point pen, RampPaint paint,
                                     Rect* bounds) const {
  if (g.IsBlank()) return;
  EnsureBlendTables();
  const uint32_t* ramp = gradient_.Words();
  const int32_t count = int32_t(gradient_.count);
  const int32_t left = pen.x + g.originX, top = pen.y + g.originY;
  Rect placed{t.width, t.height, 0, 0};
  for (int32_t r = 0; r < g.height; ++r) {
    const int32_t y = top + r;
    if (y < 0 || y >= t.height) continue;
    uint32_t* row = reinterpret_cast<uint32_t*>(t.bits + int64_t(y) * t.pitch);
    for (int32_t c = 0; c < g.width; ++c) {
      const int32_t x = left + c;
      uint8_t m = g.Row(r)[c];
      if (x < 0 || x >= t.width || m == 0) continue;
      if (paint == RampPaint::kThreshold && m < 128) continue;
      if (paint != RampPaint::kBlend) m = 255;
      const int32_t entry = GradientEntry(g.originX + c, g.originY + r);
      if (entry < 0 || entry >= count) continue;
      const uint32_t colour = ramp[entry], d = row[x];
      uint32_t out = d & 0xFF000000u;
      for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t channel =
            ProductTable[(colour >> shift) & 0xFF][m] + ProductTable[(d >> shift) & 0xFF][255 - m];
        out |= std::min<uint32_t>(channel, 255) << shift;
      }
      row[x] = out;
      placed = Rect{std::min(placed.left, x), std::min(placed.top, y), std::max(placed.right, x + 1),
                    std::max(placed.bottom, y + 1)};
    }
  }
  if (bounds) GrowBounds(bounds, placed);
}

int OutlineFont::DrawWalk(const PaintTarget& target, int32_t x, int32_t y, const char* text, TextPass pass,
                          Rect* bounds, Point* end) {
  const int32_t height = PixelHeight();
  const bool bold = logFont_.weight >= 700, italic = logFont_.italic != 0;
  const bool mask = pass == TextPass::kAlphaMask;
  // Level 0 glyphs are two-level; the image pass sets what is at least half
  // covered (picture glyphs carry any level), the surface pass anything.
  CoverageMode mode = CoverageMode::kBlend;
  if (antialias == 0) mode = pass == TextPass::kImage ? CoverageMode::kThreshold : CoverageMode::kAnyCoverage;
  const RampPaint rampPaint = mode == CoverageMode::kBlend       ? RampPaint::kBlend
                              : mode == CoverageMode::kThreshold ? RampPaint::kThreshold
                                                                 : RampPaint::kSolid;
  const uint32_t textColour = Rgb(textRed, textGreen, textBlue);
  const uint32_t effectColour = Rgb(effectRed, effectGreen, effectBlue);
  const Point shadow = TurnOffset(shadowX, shadowY);
  const Point step = LineStep();
  // The gradient runs along rows upright and along columns at 2700 on
  // 32-bit pixels; other angles draw in the text colour.
  const bool gradient = gradientEnabled_ && GradientDirection() >= 0 && gradient_.values && gradient_.bits == 32 &&
                        target.bitsPerPixel == 32;
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
    auto render = [&](bool edge) {
      return picture ? PictureGlyph(unit.code, edge) : RenderGlyph(uint16_t(unit.code), height, edge, bold, italic, false);
    };
    auto release = [&](Glyph* g) {
      if (!picture) ReleaseUncachedGlyph(g);
    };
    if (effectMode == kEffectOutline) {
      if (Glyph* edge = render(true)) {
        const int32_t ex = pen.x + edge->originX, ey = pen.y + edge->originY;
        if (mask) UniteCoverageIntoAlpha(target, MapOf(*edge), ex, ey, &drawn);
        else PaintCoverage(target, MapOf(*edge), ex, ey, effectColour, mode, &drawn);
        release(edge);
      }
    }
    Glyph* glyph = render(false);
    if (!glyph) continue;
    const CoverageMap map = MapOf(*glyph);
    const int32_t gx = pen.x + glyph->originX, gy = pen.y + glyph->originY;
    if (effectMode == kEffectShadow) {
      PaintCoverage(target, map, gx + shadow.x, gy + shadow.y, effectColour, mode, &drawn);
      if (mask) UniteCoverageIntoAlpha(target, map, gx + shadow.x, gy + shadow.y, &drawn);
    }
    if (mask && effectMode == kEffectNone && !glyph->IsBlank()) {
      // Nothing was filled beneath: the glyph's own cells take the colour
      // whole, so its soft edges keep their colour and fade by alpha alone.
      FillColorKeepingAlpha(target, Rect{gx, gy, gx + glyph->width, gy + glyph->height}, textColour);
      if (gradient) PaintGradientGlyph(target, *glyph, pen, RampPaint::kSolid, nullptr);
    } else if (gradient) {
      PaintGradientGlyph(target, *glyph, pen, rampPaint, &drawn);
    } else {
      PaintCoverage(target, map, gx, gy, textColour, mode, &drawn);
    }
    if (mask) UniteCoverageIntoAlpha(target, map, gx, gy, &drawn);
    pen = Point{pen.x + glyph->advanceX, pen.y + glyph->advanceY};
    release(glyph);
  }
  if (bounds) *bounds = drawn;
  if (end) *end = pen;
  return 0;
}

int OutlineFont::DrawTextToSurface(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) {
  PaintTarget target;
  if (!face_ || !PaintTarget::From(image, &target) || target.bitsPerPixel != 32) return 1;
  return DrawWalk(target, x, y, text, TextPass::kSurface, bounds, end);
}

int OutlineFont::DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) {
  PaintTarget target;
  if (!face_ || !PaintTarget::From(image, &target)) return 1;
  return DrawWalk(target, x, y, text, TextPass::kImage, bounds, end);
}

int OutlineFont::DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds,
                                 Point* end) {
  PaintTarget target;
  if (!face_ || !PaintTarget::From(image, &target) || target.bitsPerPixel != 32) return 1;
  if (effectMode == kEffectShadow || effectMode == kEffectOutline) {
    // The colour beneath the whole text: the text colour under a shadow
    // (the shadow is painted over it), the effect colour under an outline
    // (the text is painted over it).
    Size size;
    int32_t left = 0, top = 0;
    MeasureText(text, &size, &left, &top, true, nullptr);
    Rect box;
    GetRotatedBounds(&box, left, top, size.width, size.height);
    const Rect moved{box.left + x, box.top + y, box.right + x, box.bottom + y};
    FillColorKeepingAlpha(target, moved,
                          effectMode == kEffectShadow ? Rgb(textRed, textGreen, textBlue)
                                                      : Rgb(effectRed, effectGreen, effectBlue));
  }
  return DrawWalk(target, x, y, text, TextPass::kAlphaMask, bounds, end);
}

}  // namespace orrivel
