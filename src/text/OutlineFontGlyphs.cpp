// The glyph rasteriser: the platform's glyph bitmap finished by the
// engine's own passes, looked up in and added to the glyph cache.
#include <cstdlib>
#include <string>

#include "base/MathTables.h"
#include "platform/font/FontFace.h"
#include "text/FontSettings.h"
#include "text/GlyphFilters.h"
#include "text/GlyphKey.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

std::string CharacterBytes(uint16_t code) {
  if (code > 0xFF) return std::string{char(code >> 8), char(code & 0xFF)};
  return std::string(1, char(code));
}

platform::GlyphFormat FormatOf(uint8_t antialias) {
  switch (antialias) {
    case 0: return platform::GlyphFormat::kBitmap;
    case 1: return platform::GlyphFormat::kGray4;
    default: return platform::GlyphFormat::kGray8;
  }
}

}  // namespace

int32_t OutlineFont::CharacterAdvance(uint16_t code, bool bold) const {
  const std::string bytes = CharacterBytes(code);
  if (bold && companion_) {
    const int32_t w = companion_->MeasureText(bytes).width;
    return w + w / 50 + 1;
  }
  return face_->MeasureText(bytes).width;
}

Glyph* OutlineFont::RenderGlyph(uint16_t code, int32_t height, bool edge, bool bold, bool italic, bool picture) {
  if (picture) return PictureGlyph(code, edge);
  if (!face_) return nullptr;
  const uint32_t pixels = uint32_t(std::abs(height));
  const uint32_t key = MakeGlyphKey(code, pixels, edge, bold, italic);
  const uint8_t bucket = GlyphBucket(code, pixels, edge, bold, italic);
  if (cache_.Capacity() != 0) {
    if (Glyph* hit = cache_.Find(key, bucket)) return hit;
  }
  Glyph* glyph = RasteriseGlyph(code, height, edge, bold);
  if (!glyph || cache_.Capacity() == 0) return glyph;
  return cache_.Insert(key, bucket, glyph);
}

void OutlineFont::ReleaseUncachedGlyph(Glyph* glyph) {
  if (cache_.Capacity() == 0) ReleaseGlyph(glyph);
}

Glyph* OutlineFont::RasteriseGlyph(uint16_t code, int32_t height, bool edge, bool bold) {
  // A smeared bold glyph starts from the normal weight (the companion face)
  // so it is not emboldened twice; native bold asks the bold face itself.
  platform::GlyphFormat format = FormatOf(antialias);
  int scale = 1, shift = 0;
  bool oversampled = false;
  platform::GlyphMetrics metrics;
  // Measured first: the size query and the fetch below then share one
  // rendering in the platform face.
  const int32_t w = CharacterAdvance(code, bold);
  auto sourceFor = [&](bool smear) { return smear && companion_ ? companion_.get() : face_.get(); };
  platform::FontFace* source = sourceFor(bold && !NativeBold());
  uint32_t size = source->GetGlyph(code, format, scale, &metrics, nullptr, 0);
  if (size == platform::kGlyphError && format != platform::GlyphFormat::kBitmap) {
    format = platform::GlyphFormat::kBitmap;
    scale = antialias == 1 ? 4 : 8;
    shift = antialias == 1 ? 2 : 3;
    oversampled = true;
    source = sourceFor(bold);
    size = source->GetGlyph(code, format, scale, &metrics, nullptr, 0);
  }
  if (size == platform::kGlyphError) return nullptr;

  auto glyph = std::make_unique<Glyph>();
  const MathTables* tables = GetMathTables();
  const int32_t o = logFont_.orientation;
  if (o == 0 || !tables) {
    glyph->advanceX = w;
  } else if (o == 2700) {
    glyph->advanceY = w;
  } else {
    const int32_t k = EscapementIndex(o);
    glyph->advanceX = int32_t((int64_t(tables->Cos(k)) * w) >> 16);
    glyph->advanceY = int32_t(-(int64_t(tables->Sin(k)) * w) >> 16);
  }
  glyph->originX = (metrics.originX >> shift) + baselineX_;
  glyph->originY = baselineY_ - (metrics.originY >> shift);
  if (size == 0 || metrics.blackBoxY == 0) return glyph.release();

  glyph->width = int32_t(metrics.blackBoxX);
  glyph->height = int32_t(metrics.blackBoxY);
  glyph->pitch = format == platform::GlyphFormat::kBitmap ? BitPitch(glyph->width) : CoveragePitch(glyph->width);
  glyph->map = std::make_unique<uint8_t[]>(size);
  if (source->GetGlyph(code, format, scale, &metrics, glyph->map.get(), size) != size) return nullptr;

  if (bold && (oversampled || !NativeBold())) {
    const int32_t n = BoldSmearWidth(std::abs(height) << shift);
    if (format == platform::GlyphFormat::kBitmap) SmearBitMap(glyph.get(), n);
    else SmearCoverageMap(glyph.get(), n);
  }
  if (antialias == 0) {
    ExpandBitMap(glyph.get());
  } else {
    if (oversampled) ReduceOversampled(glyph.get(), 1 << shift);
    ScaleCoverage(glyph.get(), antialias == 1 ? 16 : 4);
  }
  if (edge) {
    if (antialias == 0) DilateTwoLevel(glyph.get(), edgeWidth_);
    else WeightedOutline(glyph.get(), edgeStrength_, edgeWidth_, edgeWeight_);
  }
  return glyph.release();
}

}  // namespace orrivel
