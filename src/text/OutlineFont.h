#pragma once
// The font that rasterises every glyph itself into 8-bit coverage maps and
// keeps them in its glyph cache: configuration (making the platform faces,
// the baseline offset, the gradient and the edge settings), the glyph
// rasteriser, and the turned steps that measuring and drawing share.
#include <cstdint>
#include <memory>

#include "raster/RampBuffer.h"
#include "text/Font.h"
#include "text/GlyphCache.h"
#include "text/PictureGlyphSet.h"

namespace orrivel {

struct PaintTarget;
class Surface;

// Results of CreateGdiFont.
inline constexpr int kFontCompanionFailed = 1;
inline constexpr int kFontMainFailed = 2;
// SetFaceName with no face.
inline constexpr int kFontNoFace = 3;

class OutlineFont : public Font {
 public:
  static constexpr int32_t kDefaultEdgeStrength = 1024;  // 256 stands for 1.0
  static constexpr int32_t kDefaultEdgeWidth = 2;
  // The widest edge either way; a wider one is drawn as wide as this.
  static constexpr int32_t kMaxEdgeWidth = 32;
  static constexpr int32_t kDefaultEdgeWeight = 1872;

  OutlineFont();
  ~OutlineFont() override;

  int GetKind() const override { return kFontKindOutline; }
  void ReleaseGdiObjects() override;
  int SetFont(int32_t height, int32_t bold, int32_t italic, const char* face) override;
  int CreateGdiFont() override;
  int SetFaceName(const char* face) override;
  int SetHeight(int32_t height) override;
  int SetBoldItalic(int32_t bold, int32_t italic) override;
  int SetAngle(int32_t tenths) override;
  void SetAntialias(uint8_t level) override;
  int MeasureText(const char* text, Size* size, int32_t* left, int32_t* top, bool withEffect,
                  int32_t* characters) override;
  // Draws onto an 8- or 32-bit image in the text colour (an 8-bit image
  // takes the red byte as its value) or, on 32 bits, the gradient, with
  // shadow or outline. At antialias level 0 pixels of coverage 128 and more
  // are set, other levels blend. 1 when the font was never made or the
  // image has no 8- or 32-bit pixels. Bounds get the drawn area cut to the
  // image, end the pen after the last character.
  int DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) override;
  // The text as an alpha mask on a 32-bit image: the colour channels under
  // the text take the text colour (the gradient), its shadow or outline the
  // effect colour, and each glyph's coverage (with its shadow or outline)
  // is united into the alpha already there, so overlapping glyphs never
  // erase each other. 1 when the font was never made or the image is not
  // 32-bit.
  int DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) override;
  // The main road of game text onto 32-bit images: like DrawText, but level
  // 0 sets every pixel a glyph covers at all.
  int DrawTextToSurface(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end);

  // Makes the picture-glyph set on first use (at the font's angle and edge
  // settings) and loads the strip into it; the set's result.
  int LoadPictureGlyphs(const char* name, int32_t count, int32_t cellWidth, int32_t cellHeight, int32_t which);
  // The same from a strip already in memory.
  int LoadPictureGlyphs(Surface& strip, int32_t count, int32_t cellWidth, int32_t cellHeight, int32_t which);
  PictureGlyphSet* PictureGlyphs() const { return pictures_.get(); }

  // 0, or the ramp's error with the gradient switched off.
  int SetGradient(int32_t enable, uint32_t top, uint32_t bottom, int32_t rebuild);
  void SetEdge(int32_t strength, int32_t width);

  // One character as a glyph: code is a byte or lead x 256 + trail. With the
  // cache on the cache owns the result; with capacity 0 the caller lets go
  // of it with ReleaseUncachedGlyph. Null when the platform cannot make the
  // glyph (the character is skipped without advancing). A picture number
  // comes from the attached set, which keeps it (null without a set).
  Glyph* RenderGlyph(uint16_t code, int32_t height, bool edge, bool bold, bool italic, bool picture);
  // Releases a glyph RenderGlyph returned when the cache is off.
  void ReleaseUncachedGlyph(Glyph* glyph);

  // Picture `number` of the attached set (null without one or past its count).
  Glyph* PictureGlyph(uint32_t number, bool edge);

  // Gradient direction: 0 rows (angle 0), 1 columns (angle 2700), -1 none.
  int GradientDirection() const;
  // The ramp entry for a pixel at (dx, dy) from the pen: its distance from
  // the line's top edge (the pen's side of the column when vertical). Entries
  // outside 0 .. abs(height) - 1 are not drawn.
  int32_t GradientEntry(int32_t dx, int32_t dy) const;

  GlyphCache& Cache() { return cache_; }
  const RampBuffer& Gradient() const { return gradient_; }
  bool GradientEnabled() const { return gradientEnabled_ != 0; }
  uint32_t GradientTop() const { return gradientTop_; }
  uint32_t GradientBottom() const { return gradientBottom_; }
  int32_t EdgeStrength() const { return edgeStrength_; }
  int32_t EdgeWidth() const { return edgeWidth_; }
  int32_t EdgeWeightValue() const { return edgeWeight_; }
  Point BaselineOffset() const { return {baselineX_, baselineY_}; }
  int32_t Ascent() const { return ascent_; }
  bool HasCompanion() const { return companion_ != nullptr; }
  // The platform faces, for measuring (null until made).
  platform::FontFace* Face() const { return face_.get(); }
  platform::FontFace* CompanionFace() const { return companion_.get(); }

 private:
  void FlushCache();
  // The picture set, made on first use at the font's angle and edge.
  PictureGlyphSet& PictureSet();
  int32_t CharacterAdvance(uint16_t code, bool bold) const;
  Glyph* RasteriseGlyph(uint16_t code, int32_t height, bool edge, bool bold);
  enum class TextPass : uint8_t { kSurface, kImage, kAlphaMask };
  // The one walk every drawing operation takes.
  int DrawWalk(const PaintTarget& target, int32_t x, int32_t y, const char* text, TextPass pass, Rect* bounds,
               Point* end);
  // Paints a glyph at the pen through the gradient ramp, the entry of each
  // pixel by GradientEntry: blended by its coverage, set where the coverage
  // is 128 and more (threshold), or set wherever it covers at all (solid).
  // Grows bounds by the pixels drawn.
  enum class RampPaint : uint8_t { kBlend, kThreshold, kSolid };
  void PaintGradientGlyph(const PaintTarget& target, const Glyph& glyph, Point pen, RampPaint paint,
                          Rect* bounds) const;

  GlyphCache cache_;
  std::unique_ptr<PictureGlyphSet> pictures_;
  uint32_t gradientTop_ = 0xFFFFFF;
  uint32_t gradientBottom_ = 0;
  RampBuffer gradient_;
  uint8_t gradientEnabled_ = 0;
  std::unique_ptr<platform::FontFace> companion_;  // the normal weight of a bold font
  int32_t edgeStrength_ = kDefaultEdgeStrength;
  int32_t edgeWidth_ = kDefaultEdgeWidth;
  int32_t edgeWeight_ = kDefaultEdgeWeight;
  int32_t ascent_ = 0;
  int32_t baselineX_ = 0;
  int32_t baselineY_ = 0;
};

}  // namespace orrivel
