#pragma once
// The device-drawn font (kind 0): whole lines drawn by the platform's text
// output into a device context, either straight onto a surface's pixels or
// through a temporary 8-bit plane whose levels are then put onto an image
// as coverage. "@" has no meaning to it.
#include <cstdint>
#include <memory>
#include <vector>

#include "text/Font.h"

namespace orrivel {

namespace platform {
class DeviceContext;
}

// GdiFont results.
inline constexpr int kGdiFontNotMade = 1;     // CreateGdiFont: the face cannot be made
inline constexpr int kGdiNoFace = 2;          // SetFaceName: no face
inline constexpr int kGdiNoPlane = 2;         // DrawText: the temporary plane cannot be made
inline constexpr int kGdiPlaneFailed = 3;     // DrawText: drawing into the plane failed

// Antialiased text is drawn at four times the size and each 4 x 4 block is
// summed: 16 samples of grey 15 reach 240 at most. The sum is scaled by
// 255 / 240 so fully covered pixels are fully opaque, as the outline
// font's are.
inline constexpr int kGdiOversample = 4;
inline constexpr int kGdiSampleGrey = 15;
inline constexpr int kGdiBlockFull = kGdiOversample * kGdiOversample * kGdiSampleGrey;  // 240

class GdiFont : public Font {
 public:
  GdiFont();
  ~GdiFont() override;

  int GetKind() const override { return kFontKindDevice; }
  void ReleaseGdiObjects() override;
  int SetFont(int32_t height, int32_t bold, int32_t italic, const char* face) override;
  // 0; kGdiFontNotMade (the font is then released).
  int CreateGdiFont() override;
  int SetFaceName(const char* face) override;
  int SetHeight(int32_t height) override;
  int SetBoldItalic(int32_t bold, int32_t italic) override;
  int SetAngle(int32_t tenths) override;
  void SetAntialias(uint8_t level) override { antialias = level; }
  // Lines split at LF and measured whole; italic adds abs(height) / 3; an
  // outline adds 2 with offsets -1.
  int MeasureText(const char* text, Size* size, int32_t* left, int32_t* top, bool withEffect,
                  int32_t* characters) override;
  // Onto an 8- or 32-bit image through a temporary plane: 0; 1 font not
  // made, null text or no pixels; kGdiNoPlane; kGdiPlaneFailed.
  int DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) override;
  // The alpha-mask twin onto 32-bit images (1 for other images).
  int DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds,
                      Point* end) override;

  // Draws straight into a context, line by line: background, the effect in
  // the effect colour (one text output for a shadow, eight for an outline),
  // then the text. 0; 1 font not made or null text.
  int DrawToDc(platform::DeviceContext* dc, int32_t x, int32_t y, const char* text);

 private:
  struct Plane;
  // The text's coverage (scaled to 0..255) in a plane covering the turned
  // measure; with outline, the outline's coverage too. Result as DrawText.
  int MakePlanes(const char* text, Plane* plane);
  std::vector<std::vector<uint16_t>> SplitLines(const char* text) const;

  std::unique_ptr<platform::DeviceContext> dc_;
};

}  // namespace orrivel
