#pragma once
// Small pictures cut from one 8-bit image strip that text shows inline with
// "@" and a number. They are glyphs like rendered characters (the pixel
// values serve as coverage), so blending, shadow, outline and gradient
// apply to them the same way. A font owns at most one set.
#include <cstdint>
#include <memory>
#include <vector>

#include "text/Glyph.h"

namespace orrivel {

class Surface;

// Which arrays a load fills.
inline constexpr int32_t kPictureFirstArray = 1;   // used for antialiased text
inline constexpr int32_t kPictureSecondArray = 2;  // used at antialias level 0

// Load results.
inline constexpr int kPictureNoImage = 1;      // the strip cannot be loaded
inline constexpr int kPictureStripShort = 2;   // the cells run past the strip
inline constexpr int kPictureNoMemory = 3;

class PictureGlyphSet {
 public:
  PictureGlyphSet();
  ~PictureGlyphSet();
  PictureGlyphSet(const PictureGlyphSet&) = delete;
  PictureGlyphSet& operator=(const PictureGlyphSet&) = delete;

  // Loads the strip by name as an 8-bit picture and cuts it (see Cut).
  int Load(const char* name, int32_t count, int32_t cellWidth, int32_t cellHeight, int32_t which);
  // Cuts count cells of cellWidth x cellHeight from an 8-bit strip, left to
  // right and row by row (a cell that would pass the strip's right edge
  // starts the next row), into the arrays `which` names; the second array
  // starts on a fresh row after the first. 0; kPictureStripShort when the
  // cells run past the bottom or a cell is larger than the strip (nothing
  // is kept then); kPictureNoImage without 8-bit pixels.
  int Cut(Surface& strip, int32_t count, int32_t cellWidth, int32_t cellHeight, int32_t which);

  // Picture `number`, or null when it is not below the count. The second
  // array serves antialias level 0 when it was loaded, the first every
  // other level (and level 0 without a second array). With edge, the
  // outline version, made once with the edge settings.
  Glyph* GetGlyph(uint32_t number, uint8_t antialias, bool edge);

  // Places every picture for text at an angle (tenths of a degree): origin
  // (0, 0) and advance (width, 0) upright; origin (-width, 0) and advance
  // (0, height) at 2700; other angles advance along the turned line.
  void SetAngle(int32_t tenths);
  // Stores the edge settings and drops the outline versions.
  void SetEdge(int32_t strength, int32_t width, int32_t weight);
  void Release();

  int32_t Count() const { return count_; }
  int32_t CellWidth() const { return cellWidth_; }
  int32_t CellHeight() const { return cellHeight_; }
  int32_t Angle() const { return angle_; }

 private:
  struct Array {
    std::vector<std::unique_ptr<Glyph>> glyphs;
    std::vector<std::unique_ptr<Glyph>> edges;  // made on demand
  };
  void Place(Glyph* glyph) const;
  void DropEdges();

  Array first_, second_;
  int32_t count_ = 0;
  int32_t cellWidth_ = 0;
  int32_t cellHeight_ = 0;
  int32_t angle_ = 0;
  int32_t edgeStrength_;
  int32_t edgeWidth_;
  int32_t edgeWeight_;
};

}  // namespace orrivel
