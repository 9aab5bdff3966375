#include "text/OutlineFont.h"

#include <algorithm>

#include <cstdlib>
#include <cstring>

#include "base/MathTables.h"
#include "platform/font/FontFace.h"
#include "text/FontSettings.h"
#include "text/GlyphFilters.h"

namespace orrivel {

OutlineFont::OutlineFont() : cache_(GlyphCacheCapacityWord() & 0xFFFF) { RampBufferInit(&gradient_); }

OutlineFont::~OutlineFont() {
  ReleaseGdiObjects();
  RampBufferFree(&gradient_);
  cache_.Clear();
}

void OutlineFont::FlushCache() {
  if (cache_.Capacity() != 0) cache_.Clear();
}

void OutlineFont::ReleaseGdiObjects() {
  companion_.reset();
  face_.reset();
}

int OutlineFont::CreateGdiFont() {
  if (logFont_.weight == 700) {
    companion_ = OpenFace(400);
    if (!companion_) {
      ReleaseGdiObjects();
      return kFontCompanionFailed;
    }
  } else {
    companion_.reset();
  }
  face_ = OpenFace(logFont_.weight);
  if (!face_) {
    ReleaseGdiObjects();
    return kFontMainFailed;
  }
  const platform::TextMetrics& metrics = face_->Metrics();
  ascent_ = metrics.ascent;
  platform::OutlineMetrics outline;
  if (metrics.internalLeading > 0 && face_->GetOutlineMetrics(&outline)) ascent_ = outline.ascent;

  const MathTables* tables = GetMathTables();
  const int32_t k = EscapementIndex(logFont_.orientation);
  if (k == 0 || !tables) {
    baselineX_ = 0;
    baselineY_ = ascent_;
  } else {
    baselineX_ = int32_t(-(int64_t(tables->Cos(k + 128)) * ascent_) >> 16);
    baselineY_ = int32_t((int64_t(tables->Cos(k)) * ascent_) >> 16);
  }
  return 0;
}

int OutlineFont::SetFont(int32_t height, int32_t bold, int32_t italic, const char* face) {
  if (!FontHeightFits(height)) return kFontMainFailed;
  if (face) {
    FlushCache();
    CopyFaceName(face);
  }
  const int32_t stored = -std::abs(height);
  const bool heightChanged = stored != logFont_.height;
  logFont_.height = stored;
  if (heightChanged && gradientEnabled_) SetGradient(1, gradientTop_, gradientBottom_, 1);
  logFont_.italic = italic ? 1 : 0;
  logFont_.weight = bold ? 700 : 400;
  return CreateGdiFont();
}

int OutlineFont::SetFaceName(const char* face) {
  if (!face) return kFontNoFace;
  if (std::strcmp(face, logFont_.faceName) == 0) return 0;
  FlushCache();
  CopyFaceName(face);
  return CreateGdiFont();
}

int OutlineFont::SetHeight(int32_t height) {
  if (!FontHeightFits(height)) return kFontMainFailed;
  const int32_t stored = -std::abs(height);
  if (stored == logFont_.height) return 0;
  logFont_.height = stored;
  if (gradientEnabled_) SetGradient(1, gradientTop_, gradientBottom_, 1);
  return CreateGdiFont();
}

int OutlineFont::SetBoldItalic(int32_t bold, int32_t italic) {
  const int32_t weight = bold ? 700 : 400;
  const uint8_t slant = italic ? 1 : 0;
  if (weight == logFont_.weight && slant == logFont_.italic) return 0;
  logFont_.weight = weight;
  logFont_.italic = slant;
  return CreateGdiFont();
}

int OutlineFont::SetAngle(int32_t tenths) {
  if (tenths == logFont_.orientation) return 0;
  FlushCache();
  logFont_.orientation = tenths;
  logFont_.escapement = tenths;
  if (pictures_) pictures_->SetAngle(tenths);
  return CreateGdiFont();
}

void OutlineFont::SetAntialias(uint8_t level) {
  if (level == antialias) return;
  FlushCache();
  antialias = level;
}

int OutlineFont::SetGradient(int32_t enable, uint32_t top, uint32_t bottom, int32_t rebuild) {
  if (enable) {
    gradientTop_ = top;
    gradientBottom_ = bottom;
  }
  const uint32_t rows = uint32_t(PixelHeight());
  const bool current = gradient_.values && gradient_.count == rows && gradient_.from == gradientTop_ &&
                       gradient_.to == gradientBottom_ && gradient_.bits == 32;
  if (rebuild && !current) {
    const int result = RampBufferBuild(&gradient_, rows, gradientTop_, gradientBottom_, 32);
    if (result != 0) {
      gradientEnabled_ = 0;
      return result;
    }
  }
  gradientEnabled_ = enable ? 1 : 0;
  return 0;
}

void OutlineFont::SetEdge(int32_t strength, int32_t width) {
  // The edge's radius is held to what a glyph's outline can take: every
  // pixel of every edged glyph visits each offset within it, so a script's
  // huge width would hang the drawing (and overflow the distances).
  width = std::clamp(width, -kMaxEdgeWidth, kMaxEdgeWidth);
  if (strength == edgeStrength_ && width == edgeWidth_) return;
  FlushCache();
  edgeStrength_ = strength;
  edgeWidth_ = width;
  edgeWeight_ = EdgeWeight(width);
  if (pictures_) pictures_->SetEdge(edgeStrength_, edgeWidth_, edgeWeight_);
}

PictureGlyphSet& OutlineFont::PictureSet() {
  if (!pictures_) {
    pictures_ = std::make_unique<PictureGlyphSet>();
    pictures_->SetAngle(logFont_.orientation);
    pictures_->SetEdge(edgeStrength_, edgeWidth_, edgeWeight_);
  }
  return *pictures_;
}

int OutlineFont::LoadPictureGlyphs(const char* name, int32_t count, int32_t cellWidth, int32_t cellHeight,
                                   int32_t which) {
  return PictureSet().Load(name, count, cellWidth, cellHeight, which);
}

int OutlineFont::LoadPictureGlyphs(Surface& strip, int32_t count, int32_t cellWidth, int32_t cellHeight,
                                   int32_t which) {
  return PictureSet().Cut(strip, count, cellWidth, cellHeight, which);
}

Glyph* OutlineFont::PictureGlyph(uint32_t number, bool edge) {
  return pictures_ ? pictures_->GetGlyph(number, antialias, edge) : nullptr;
}

int OutlineFont::GradientDirection() const {
  if (logFont_.orientation == 0) return 0;
  if (logFont_.orientation == 2700) return 1;
  return -1;
}

int32_t OutlineFont::GradientEntry(int32_t dx, int32_t dy) const {
  // At 2700 the line's top edge is the pen's column and the text hangs to
  // its left, so the distance grows leftwards.
  return GradientDirection() == 1 ? -1 - dx : dy;
}

}  // namespace orrivel
