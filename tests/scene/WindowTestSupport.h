#pragma once
// A font of fixed cells for the window's layout tests: a one-byte character
// is half the height wide, a two-byte character or a picture glyph ("@" and
// digits) a full square; each is drawn as a solid block and every text the
// window hands it is recorded with its pen. At the vertical angle the text
// runs down the screen and the blocks lie left of the pen, as real vertical
// text does.
#include <cstdint>
#include <string>
#include <vector>

#include "raster/Surface.h"
#include "text/Font.h"
#include "text/TextWalker.h"

namespace orrivel::test {

class CellFont : public Font {
 public:
  struct Draw {
    std::string text;
    int32_t x, y;
    int32_t angle;
  };

  explicit CellFont(int32_t height = 16) { logFont_.height = -height; }
  int GetKind() const override { return kFontKindDevice; }
  void ReleaseGdiObjects() override {}
  int SetFont(int32_t, int32_t, int32_t, const char*) override { return 0; }
  int CreateGdiFont() override { return 0; }
  int SetFaceName(const char* face) override {
    if (failFaces) return 1;
    CopyFaceName(face);
    return 0;
  }
  int SetHeight(int32_t h) override {
    logFont_.height = h < 0 ? h : -h;
    return 0;
  }
  int SetBoldItalic(int32_t, int32_t italic) override {
    logFont_.italic = uint8_t(italic);
    return 0;
  }
  int SetAngle(int32_t tenths) override {
    logFont_.escapement = logFont_.orientation = tenths;
    angles.push_back(tenths);
    return 0;
  }
  void SetAntialias(uint8_t) override {}
  int32_t Length(const char* text) const {
    int32_t length = 0;
    size_t pos = 0;
    TextUnit unit;
    while (NextTextUnit(text, &pos, &unit))
      if (unit.kind != TextUnit::kLineEnd) length += unit.kind == TextUnit::kCharacter && unit.code <= 0xFF ? H() / 2 : H();
    return length;
  }
  int MeasureText(const char* text, Size* size, int32_t* left, int32_t* top, bool, int32_t*) override {
    if (size) *size = Size{Length(text), H()};
    if (left) *left = 0;
    if (top) *top = 0;
    return 1;
  }
  int DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) override {
    auto* s = static_cast<Surface*>(image);
    const int32_t length = Length(text);
    const bool down = logFont_.escapement == 2700;
    // Blocks one pixel short of their cell, so neighbours stay apart.
    const Rect box = down ? Rect{x - H(), y, x, y + length} : Rect{x, y, x + length, y + H()};
    if (length > 0) s->FillRgbBox(box.left, box.top, box.Width() - (down ? 0 : 1), box.Height() - (down ? 1 : 0), textRed,
                                  textGreen, textBlue);
    draws.push_back({text, x, y, logFont_.escapement});
    if (bounds) *bounds = length > 0 ? box : Rect{x, y, x, y};
    if (end) *end = down ? Point{x, y + length} : Point{x + length, y};
    return 0;
  }
  int DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* b, Point* e) override {
    return DrawText(image, x, y, text, b, e);
  }
  int32_t H() const { return PixelHeight(); }

  std::vector<Draw> draws;
  std::vector<int32_t> angles;
  bool failFaces = false;
};

}  // namespace orrivel::test
