#include "text/GdiFont.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/font/DeviceContext.h"
#include "raster/DibImage.h"
#include "text/CoveragePainter.h"
#include "text/GlyphFilters.h"
#include "text/TextWalker.h"

namespace orrivel {
namespace {

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

// The antialiased outline of the plane: the weighted outline of one pixel's
// radius at twice the strength.
constexpr int32_t kPlaneOutlineStrength = 512;
constexpr int32_t kPlaneOutlineRadius = 1;
constexpr int32_t kPlaneOutlineWeight = 6553;
// Planes past this many bytes are refused rather than attempted.
constexpr int64_t kPlaneByteLimit = int64_t(1) << 28;

}  // namespace

struct GdiFont::Plane {
  Point at;  // the plane's top-left relative to the pen
  int32_t width = 0, height = 0, pitch = 0;
  std::vector<uint8_t> text;  // coverage 0..255
  Glyph outline;              // with its origin relative to the plane; blank without an outline
  Point end;                  // the pen after the last character, relative to the pen

  CoverageMap TextMap() const { return CoverageMap{text.data(), width, height, pitch}; }
  CoverageMap OutlineMap() const {
    return CoverageMap{outline.map.get(), outline.width, outline.height, outline.pitch};
  }
};

GdiFont::GdiFont() = default;
GdiFont::~GdiFont() { ReleaseGdiObjects(); }

void GdiFont::ReleaseGdiObjects() {
  dc_.reset();
  face_.reset();
}

int GdiFont::CreateGdiFont() {
  auto face = OpenFace(logFont_.weight);
  if (!face) {
    ReleaseGdiObjects();
    return kGdiFontNotMade;
  }
  if (!dc_) dc_ = std::make_unique<platform::DeviceContext>();
  dc_->SelectFont(face.get());
  face_ = std::move(face);
  return 0;
}

int GdiFont::SetFont(int32_t height, int32_t bold, int32_t italic, const char* face) {
  if (!FontHeightFits(height)) return kGdiFontNotMade;
  if (face) CopyFaceName(face);
  logFont_.height = -std::abs(height);
  logFont_.italic = italic ? 1 : 0;
  logFont_.weight = bold ? 700 : 400;
  return CreateGdiFont();
}

int GdiFont::SetFaceName(const char* face) {
  if (!face) return kGdiNoFace;
  if (std::strcmp(face, logFont_.faceName) == 0) return 0;
  CopyFaceName(face);
  return CreateGdiFont();
}

int GdiFont::SetHeight(int32_t height) {
  if (!FontHeightFits(height)) return kGdiFontNotMade;
  const int32_t stored = -std::abs(height);
  if (stored == logFont_.height) return 0;
  logFont_.height = stored;
  return CreateGdiFont();
}

int GdiFont::SetBoldItalic(int32_t bold, int32_t italic) {
  logFont_.weight = bold ? 700 : 400;
  logFont_.italic = italic ? 1 : 0;
  return CreateGdiFont();
}

int GdiFont::SetAngle(int32_t tenths) {
  if (tenths == logFont_.orientation) return 0;
  logFont_.orientation = tenths;
  logFont_.escapement = tenths;
  return CreateGdiFont();
}

std::vector<std::vector<uint16_t>> GdiFont::SplitLines(const char* text) const {
  std::vector<std::vector<uint16_t>> lines(1);
  size_t pos = 0;
  TextUnit unit;
  while (NextTextUnit(text, &pos, &unit, AtSign::kPlain)) {
    if (unit.kind == TextUnit::kLineEnd) lines.emplace_back();
    else lines.back().push_back(uint16_t(unit.code));
  }
  return lines;
}

int GdiFont::MeasureText(const char* text, Size* size, int32_t* left, int32_t* top, bool withEffect,
                         int32_t* characters) {
  if (!text || !face_ || !dc_) return 0;
  dc_->SelectFont(face_.get());
  const auto lines = SplitLines(text);
  int32_t width = 0, height = 0, count = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const platform::TextExtent extent = dc_->GetTextExtent(lines[i].data(), lines[i].size());
    width = std::max(width, extent.width);
    height += extent.height + (i + 1 < lines.size() ? lineSpacing : 0);
    count += int32_t(lines[i].size());
  }
  if (logFont_.italic) width += PixelHeight() / 3;
  int32_t offsetX = 0, offsetY = 0;
  if (withEffect) AddEffectToMeasure(1, &width, &height, &offsetX, &offsetY);
  if (size) *size = Size{width, height};
  if (left) *left = offsetX;
  if (top) *top = offsetY;
  if (characters) *characters = count;
  return int(lines.size());
}

int GdiFont::DrawToDc(platform::DeviceContext* dc, int32_t x, int32_t y, const char* text) {
  if (!face_ || !text || !dc) return 1;
  dc->SelectFont(face_.get());
  const Point step = LineStep();
  const Point shadow = TurnOffset(shadowX, shadowY);
  const uint32_t textColour = Rgb(textRed, textGreen, textBlue);
  const uint32_t effectColour = Rgb(effectRed, effectGreen, effectBlue);
  const uint32_t background = Rgb(backgroundRed, backgroundGreen, backgroundBlue);
  const bool rotated = logFont_.escapement != 0;
  dc->SetBackgroundColor(background);
  Point pen{x, y};
  for (const auto& line : SplitLines(text)) {
    const uint16_t* codes = line.data();
    const size_t count = line.size();
    dc->SetBackgroundOpaque(false);
    if (backgroundMode == 0 && effectMode != kEffectNone && !rotated) {
      // The effect must not paint over the text's own background, so the
      // background is filled once beneath everything.
      const platform::TextExtent extent = dc->GetTextExtent(codes, count);
      Rect r{pen.x, pen.y, pen.x + extent.width, pen.y + extent.height};
      if (effectMode == kEffectShadow) {
        (shadowX < 0 ? r.left : r.right) += shadowX;
        (shadowY < 0 ? r.top : r.bottom) += shadowY;
      } else {
        r = Rect{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
      }
      if (logFont_.italic) r.right += PixelHeight() / 3;
      dc->FillRect(r, background);
    } else if (backgroundMode == 0 && effectMode == kEffectNone) {
      dc->SetBackgroundOpaque(true);
    }
    if (effectMode == kEffectShadow) {
      dc->SetTextColor(effectColour);
      dc->TextOut(pen.x + shadow.x, pen.y + shadow.y, codes, count);
    } else if (effectMode == kEffectOutline) {
      dc->SetTextColor(effectColour);
      for (int32_t dx = -1; dx <= 1; ++dx) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
          if (dx != 0 || dy != 0) dc->TextOut(pen.x + dx, pen.y + dy, codes, count);
        }
      }
    }
    dc->SetTextColor(textColour);
    dc->TextOut(pen.x, pen.y, codes, count);
    pen = Point{pen.x + step.x, pen.y + step.y};
  }
  return 0;
}

int GdiFont::MakePlanes(const char* text, Plane* plane) {
  Size size;
  int32_t left = 0, top = 0;
  MeasureText(text, &size, &left, &top, true, nullptr);
  Rect box;
  GetRotatedBounds(&box, left, top, size.width, size.height);
  plane->at = Point{box.left, box.top};
  plane->width = box.Width();
  plane->height = box.Height();
  plane->pitch = CoveragePitch(plane->width);
  const auto lines = SplitLines(text);
  const platform::TextExtent last = dc_->GetTextExtent(lines.back().data(), lines.back().size());
  const Point step = LineStep(), along = TurnOffset(last.width, 0);
  plane->end = Point{step.x * int32_t(lines.size() - 1) + along.x, step.y * int32_t(lines.size() - 1) + along.y};
  if (plane->width <= 0 || plane->height <= 0) return 0;

  // The temporary font draws at the sampling size, in white at level 0 and
  // in grey 15 (summed over 4 x 4 blocks) otherwise.
  const int32_t scale = antialias ? kGdiOversample : 1;
  const int64_t scaledWidth = int64_t(plane->width) * scale, scaledHeight = int64_t(plane->height) * scale;
  const int64_t scaledPitch = (scaledWidth + 3) & ~int64_t(3);
  if (scaledPitch * scaledHeight > kPlaneByteLimit) return kGdiNoPlane;
  GdiFont sampler;
  sampler.logFont_ = logFont_;
  sampler.logFont_.height = logFont_.height * scale;
  sampler.logFont_.width = logFont_.width * scale;
  sampler.lineSpacing = lineSpacing * scale;
  const uint8_t ink = antialias ? kGdiSampleGrey : 255;
  sampler.textRed = sampler.textGreen = sampler.textBlue = ink;
  sampler.effectRed = sampler.effectGreen = sampler.effectBlue = ink;
  if (sampler.CreateGdiFont() != 0) return kGdiPlaneFailed;

  std::vector<uint8_t> samples;
  try {
    samples.assign(size_t(scaledPitch * scaledHeight), 0);
    plane->text.assign(size_t(plane->pitch) * size_t(plane->height), 0);
  } catch (const std::bad_alloc&) {
    return kGdiNoPlane;
  }
  platform::DeviceContext dc;
  dc.SelectTarget(platform::MemoryDc(samples.data(), int32_t(scaledWidth), int32_t(scaledHeight),
                                     int32_t(scaledPitch), 8, nullptr));
  const int32_t penX = -box.left * scale, penY = -box.top * scale;
  if (sampler.DrawToDc(&dc, penX, penY, text) != 0) return kGdiPlaneFailed;

  if (antialias) {
    for (int32_t y = 0; y < plane->height; ++y) {
      for (int32_t x = 0; x < plane->width; ++x) {
        int32_t sum = 0;
        for (int32_t r = 0; r < kGdiOversample; ++r) {
          const uint8_t* row = samples.data() + (int64_t(y) * kGdiOversample + r) * scaledPitch + x * kGdiOversample;
          for (int32_t c = 0; c < kGdiOversample; ++c) sum += row[c];
        }
        plane->text[size_t(y) * plane->pitch + x] = uint8_t(std::min(255, (sum * 255 + kGdiBlockFull / 2) / kGdiBlockFull));
      }
    }
  } else {
    plane->text = samples;
  }
  if (effectMode != kEffectOutline) return 0;
  if (antialias) {
    plane->outline.width = plane->width;
    plane->outline.height = plane->height;
    plane->outline.pitch = plane->pitch;
    plane->outline.map = std::make_unique<uint8_t[]>(plane->text.size());
    std::memcpy(plane->outline.map.get(), plane->text.data(), plane->text.size());
    WeightedOutline(&plane->outline, kPlaneOutlineStrength, kPlaneOutlineRadius, kPlaneOutlineWeight);
  } else {
    // Level 0: the white outline pass, the eight neighbours and the text.
    std::fill(samples.begin(), samples.end(), 0);
    sampler.effectMode = kEffectOutline;
    if (sampler.DrawToDc(&dc, penX, penY, text) != 0) return kGdiPlaneFailed;
    plane->outline.width = plane->width;
    plane->outline.height = plane->height;
    plane->outline.pitch = plane->pitch;
    plane->outline.map = std::make_unique<uint8_t[]>(samples.size());
    std::memcpy(plane->outline.map.get(), samples.data(), samples.size());
  }
  return 0;
}

int GdiFont::DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) {
  PaintTarget target;
  if (!face_ || !dc_ || !text || !PaintTarget::From(image, &target)) return 1;
  Plane plane;
  if (const int result = MakePlanes(text, &plane); result != 0) return result;
  const int32_t ox = x + plane.at.x, oy = y + plane.at.y;
  Rect drawn{x, y, x, y};
  if (backgroundMode == 0 && plane.width > 0) {
    Rect filled;
    const Rect box{ox, oy, ox + plane.width, oy + plane.height};
    if (static_cast<DibImage*>(image)->FillRgb(backgroundRed, backgroundGreen, backgroundBlue, &box, &filled)) {
      GrowBounds(&drawn, filled);
    }
  }
  const CoverageMode mode = antialias ? CoverageMode::kBlend : CoverageMode::kAnyCoverage;
  const uint32_t effectColour = Rgb(effectRed, effectGreen, effectBlue);
  if (!plane.text.empty()) {
    if (effectMode == kEffectShadow) {
      const Point shadow = TurnOffset(shadowX, shadowY);
      PaintCoverage(target, plane.TextMap(), ox + shadow.x, oy + shadow.y, effectColour, mode, &drawn);
    } else if (effectMode == kEffectOutline) {
      PaintCoverage(target, plane.OutlineMap(), ox + plane.outline.originX, oy + plane.outline.originY,
                    effectColour, mode, &drawn);
    }
    PaintCoverage(target, plane.TextMap(), ox, oy, Rgb(textRed, textGreen, textBlue), mode, &drawn);
  }
  if (bounds) *bounds = drawn;
  if (end) *end = Point{x + plane.end.x, y + plane.end.y};
  return 0;
}

int GdiFont::DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds,
                             Point* end) {
  PaintTarget target;
  if (!face_ || !dc_ || !text || !PaintTarget::From(image, &target) || target.bitsPerPixel != 32) return 1;
  Plane plane;
  if (const int result = MakePlanes(text, &plane); result != 0) return result;
  const int32_t ox = x + plane.at.x, oy = y + plane.at.y;
  Rect drawn{x, y, x, y};
  if (!plane.text.empty()) {
    const uint32_t textColour = Rgb(textRed, textGreen, textBlue);
    const uint32_t effectColour = Rgb(effectRed, effectGreen, effectBlue);
    const CoverageMode mode = antialias ? CoverageMode::kBlend : CoverageMode::kAnyCoverage;
    const Rect box{ox, oy, ox + plane.width, oy + plane.height};
    const CoverageMap map = plane.TextMap();
    // Colours first: the fill, the effect over it, the text over both.
    FillColorKeepingAlpha(target, box, effectMode == kEffectOutline ? effectColour : textColour);
    const Point shadow = TurnOffset(shadowX, shadowY);
    if (effectMode == kEffectShadow) PaintCoverage(target, map, ox + shadow.x, oy + shadow.y, effectColour, mode, nullptr);
    if (effectMode != kEffectNone) PaintCoverage(target, map, ox, oy, textColour, mode, nullptr);
    // Then the alpha: the text's coverage with its effect's.
    CopyCoverageIntoAlpha(target, map, ox, oy, &drawn);
    if (effectMode == kEffectShadow) UniteCoverageIntoAlpha(target, map, ox + shadow.x, oy + shadow.y, &drawn);
    if (effectMode == kEffectOutline) {
      UniteCoverageIntoAlpha(target, plane.OutlineMap(), ox + plane.outline.originX, oy + plane.outline.originY,
                             &drawn);
    }
  }
  if (bounds) *bounds = drawn;
  if (end) *end = Point{x + plane.end.x, y + plane.end.y};
  return 0;
}

}  // namespace orrivel
