// Measuring text with the outline font.
#include <algorithm>

#include "text/OutlineFont.h"
#include "text/TextWalker.h"

namespace orrivel {

int OutlineFont::MeasureText(const char* text, Size* size, int32_t* left, int32_t* top, bool withEffect,
                             int32_t* characters) {
  if (!text || !face_) return 0;
  const int32_t pixels = PixelHeight();
  const bool bold = logFont_.weight >= 700;
  int32_t width = 0, height = 0, lines = 1, count = 0, line = 0;
  size_t pos = 0;
  TextUnit unit;
  while (NextTextUnit(text, &pos, &unit)) {
    if (unit.kind == TextUnit::kLineEnd) {
      width = std::max(width, line);
      line = 0;
      height += pixels + lineSpacing;
      ++lines;
      continue;
    }
    // A picture glyph measures its cell width (nothing while no set is attached).
    if (unit.kind == TextUnit::kCharacter) line += CharacterAdvance(uint16_t(unit.code), bold);
    else if (pictures_) line += pictures_->CellWidth();
    ++count;
  }
  width = std::max(width, line);
  height += pixels;
  if (logFont_.italic) width += pixels / 3;
  int32_t offsetX = 0, offsetY = 0;
  if (withEffect) AddEffectToMeasure(edgeWidth_, &width, &height, &offsetX, &offsetY);
  if (size) *size = Size{width, height};
  if (left) *left = offsetX;
  if (top) *top = offsetY;
  if (characters) *characters = count;
  return lines;
}

}  // namespace orrivel
