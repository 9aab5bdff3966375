#pragma once
// A font whose glyphs are solid blocks of 6 x 10 pixels per byte: text
// placement and colours show without any real typeface. It draws the text
// colour (and a shadow in the effect colour) and records where it drew and
// what. Turned by 2700 tenths of a degree it draws its blocks downwards from
// the pen, to the pen's left, the way a turned font covers the box
// GetRotatedBounds gives.
#include <cstdint>
#include <string>
#include <vector>

#include "raster/Surface.h"
#include "text/Font.h"

namespace orrivel::test {

class BlockFont : public Font {
 public:
  static constexpr int32_t kCharWidth = 6, kCharHeight = 10;
  explicit BlockFont(int32_t height = kCharHeight) { logFont_.height = -height; }
  int GetKind() const override { return kFontKindOutline; }
  void ReleaseGdiObjects() override {}
  int SetFont(int32_t, int32_t, int32_t, const char*) override { return 0; }
  int CreateGdiFont() override { return 0; }
  int SetFaceName(const char* face) override {
    faces.push_back(face != nullptr ? face : "(null)");
    return 0;
  }
  int SetHeight(int32_t) override { return 0; }
  int SetBoldItalic(int32_t, int32_t) override { return 0; }
  int SetAngle(int32_t tenths) override {
    logFont_.escapement = logFont_.orientation = tenths;
    return 0;
  }
  void SetAntialias(uint8_t) override {}
  int MeasureText(const char* text, Size* size, int32_t* left, int32_t* top, bool, int32_t*) override {
    if (size) *size = Size{int32_t(std::string(text).size()) * kCharWidth, kCharHeight};
    if (left) *left = 0;
    if (top) *top = 0;
    return 1;
  }
  int DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect*, Point*) override {
    auto* s = static_cast<Surface*>(image);
    const int32_t w = int32_t(std::string(text).size()) * kCharWidth - 2;
    if (logFont_.escapement == 2700) {
      s->FillRgbBox(x - kCharHeight, y, kCharHeight, w, textRed, textGreen, textBlue);
    } else {
      if (effectMode == kEffectShadow)
        s->FillRgbBox(x + shadowX, y + shadowY, w, kCharHeight, effectRed, effectGreen, effectBlue);
      s->FillRgbBox(x, y, w, kCharHeight, textRed, textGreen, textBlue);
    }
    draws.push_back(std::to_string(x) + "," + std::to_string(y));
    texts.push_back(text);
    return 0;
  }
  int DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* b, Point* e) override {
    return DrawText(image, x, y, text, b, e);
  }
  std::vector<std::string> draws;
  std::vector<std::string> texts;  // as drawn, CP932
  std::vector<std::string> faces;
};

}  // namespace orrivel::test
