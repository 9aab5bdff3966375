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

namespace orrivel {

// Results of CreateGdiFont.
inline constexpr int kFontCompanionFailed = 1;
inline constexpr int kFontMainFailed = 2;
// SetFaceName with no face.
inline constexpr int kFontNoFace = 3;

class OutlineFont : public Font {
 public:
  static constexpr int32_t kDefaultEdgeStrength = 1024;  // 256 stands for 1.0
  static constexpr int32_t kDefaultEdgeWidth = 2;
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
  // Draws onto a 32-bit image in the text colour or the gradient, with
  // shadow or outline; 1 when the font was never made or the image is not a
  // 32-bit image with pixels. Bounds get the drawn area cut to the image,
  // end the pen after the last character.
  int DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) override;
  int DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) override;

  // 0, or the ramp's error with the gradient switched off.
  int SetGradient(int32_t enable, uint32_t top, uint32_t bottom, int32_t rebuild);
  void SetEdge(int32_t strength, int32_t width);

  // One character as a glyph: code is a byte or lead x 256 + trail. With the
  // cache on the cache owns the result; with capacity 0 the caller lets go
  // of it with ReleaseUncachedGlyph. Null when the platform cannot make the
  // glyph (the character is skipped without advancing) or for a picture
  // number while no picture set is attached.
  Glyph* RenderGlyph(uint16_t code, int32_t height, bool edge, bool bold, bool italic, bool picture);
  // Releases a glyph RenderGlyph returned when the cache is off.
  void ReleaseUncachedGlyph(Glyph* glyph);

  // Turned steps shared by measuring and drawing, all in the glyphs' sense.
  // One line down: abs(height) + line spacing.
  Point LineStep() const;
  // An offset given for upright text, turned (the shadow offset is drawn
  // turned, so a shadow stays inside the turned measure at every angle).
  Point TurnOffset(int32_t dx, int32_t dy) const;
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
  int32_t CharacterAdvance(uint16_t code, bool bold) const;
  Glyph* RasteriseGlyph(uint16_t code, int32_t height, bool edge, bool bold);
  // Blends a glyph at the pen through the gradient ramp, the entry of each
  // pixel by GradientEntry; grows bounds by the pixels drawn.
  void BlendGradientGlyph(uint8_t* bits, int32_t width, int32_t height, int32_t pitch, const Glyph& glyph,
                          Point pen, Rect* bounds) const;

  GlyphCache cache_;
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
