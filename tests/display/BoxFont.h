#pragma once
// A font for tests that measures every text as a fixed box (offset 1, 0)
// and draws it as a 4x4 block of the text colour two pixels in from the
// drawing position, counting its draws and destructions.
#include <cstdint>

#include "raster/DibImage.h"
#include "text/Font.h"

namespace orrivel::testing {

class BoxFont : public Font {
 public:
  BoxFont(int kind, int32_t width, int32_t height, int* destroyed = nullptr)
      : kind_(kind), width_(width), height_(height), destroyed_(destroyed) {}
  ~BoxFont() override {
    if (destroyed_ != nullptr) ++*destroyed_;
  }
  int GetKind() const override { return kind_; }
  void ReleaseGdiObjects() override {}
  int SetFont(int32_t, int32_t, int32_t, const char*) override { return 0; }
  int CreateGdiFont() override { return 0; }
  int SetFaceName(const char*) override { return 0; }
  int SetHeight(int32_t) override { return 0; }
  int SetBoldItalic(int32_t, int32_t) override { return 0; }
  int SetAngle(int32_t) override { return 0; }
  void SetAntialias(uint8_t level) override { antialias = level; }
  int MeasureText(const char* text, Size* size, int32_t* left, int32_t* top, bool, int32_t*) override {
    if (text == nullptr) return 0;
    if (size != nullptr) *size = Size{width_, height_};
    if (left != nullptr) *left = 1;
    if (top != nullptr) *top = 0;
    return 1;
  }
  int DrawText(Image* image, int32_t x, int32_t y, const char*, Rect*, Point*) override {
    ++draws;
    seenBackgroundMode = backgroundMode;
    auto* dib = dynamic_cast<DibImage*>(image);
    if (failDraw || dib == nullptr) return 1;
    const Rect block{x + 2, y + 2, x + 6, y + 6};
    dib->FillRgb(textRed, textGreen, textBlue, &block, nullptr);
    return 0;
  }
  int DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds,
                      Point* end) override {
    return DrawText(image, x, y, text, bounds, end);
  }

  int draws = 0;
  bool failDraw = false;
  uint8_t seenBackgroundMode = 255;

 private:
  int kind_;
  int32_t width_;
  int32_t height_;
  int* destroyed_;
};

}  // namespace orrivel::testing
