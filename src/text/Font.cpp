#include "text/Font.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/MathTables.h"
#include "platform/font/FontFace.h"

namespace orrivel {

Font::Font() = default;
Font::~Font() = default;

std::unique_ptr<platform::FontFace> Font::OpenFace(int32_t weight) const {
  platform::FontRequest request;
  request.height = logFont_.height;
  request.width = logFont_.width;
  request.escapement = logFont_.escapement;
  request.weight = weight;
  request.italic = logFont_.italic != 0;
  request.face = logFont_.faceName;
  return platform::FontFace::Open(request);
}

void Font::CopyFaceName(const char* face) {
  std::memset(logFont_.faceName, 0, sizeof logFont_.faceName);
  if (face) std::strncpy(logFont_.faceName, face, sizeof logFont_.faceName - 1);
}

void Font::SetUnderlineStrikeOut(uint8_t underline, uint8_t strikeOut) {
  logFont_.underline = underline;
  logFont_.strikeOut = strikeOut;
  CreateGdiFont();
}

void Font::SetQuality(uint8_t quality) {
  logFont_.quality = quality;
  CreateGdiFont();
}

void Font::SetBackground(uint8_t mode, uint8_t red, uint8_t green, uint8_t blue) {
  backgroundMode = mode;
  backgroundRed = red;
  backgroundGreen = green;
  backgroundBlue = blue;
}

void Font::AddEffectToMeasure(int32_t outlineWidth, int32_t* width, int32_t* height, int32_t* left,
                              int32_t* top) const {
  if (effectMode == kEffectShadow) {
    *width += std::abs(shadowX);
    *height += std::abs(shadowY);
    if (shadowX < 0) *left = shadowX;
    if (shadowY < 0) *top = shadowY;
  } else if (effectMode == kEffectOutline) {
    *width += 2 * outlineWidth;
    *height += 2 * outlineWidth;
    *left = *top = -outlineWidth;
  }
}

Point Font::LineStep() const {
  const int32_t step = PixelHeight() + lineSpacing;
  return TurnOffset(0, step);
}

Point Font::TurnOffset(int32_t dx, int32_t dy) const {
  const MathTables* tables = GetMathTables();
  if (!tables || logFont_.escapement == 0) return {dx, dy};
  const int32_t k = EscapementIndex(logFont_.escapement);
  const int64_t c = tables->Cos(k), s = tables->Sin(k);
  return {int32_t((c * dx + s * dy) >> 16), int32_t((c * dy - s * dx) >> 16)};
}

Rect* Font::GetRotatedBounds(Rect* out, int32_t x, int32_t y, int32_t width, int32_t height) const {
  const MathTables* tables = GetMathTables();
  if (!tables || logFont_.escapement == 0) {
    *out = Rect{x, y, x + width, y + height};
    return out;
  }
  // The sense the glyphs are drawn in: a step along the text goes to
  // (c, -s), a step down the text to (s, c), anticlockwise on screen.
  const int32_t k = EscapementIndex(logFont_.escapement);
  const int64_t c = tables->Cos(k), s = tables->Sin(k);
  const int32_t x0 = int32_t((c * x + s * y) >> 16);
  const int32_t y0 = int32_t((c * y - s * x) >> 16);
  const int32_t xs[4] = {0, int32_t((c * width) >> 16), int32_t((s * height) >> 16),
                         int32_t((c * width + s * height) >> 16)};
  const int32_t ys[4] = {0, int32_t((-s * width) >> 16), int32_t((c * height) >> 16),
                         int32_t((c * height - s * width) >> 16)};
  *out = Rect{x0 + *std::min_element(xs, xs + 4), y0 + *std::min_element(ys, ys + 4),
              x0 + *std::max_element(xs, xs + 4), y0 + *std::max_element(ys, ys + 4)};
  return out;
}

}  // namespace orrivel
