#pragma once
// The engine's abstract font: a logical font record plus colours, an effect
// mode, line spacing and an antialias level, behind the operations every
// kind of font answers. The outline font (kind 1) rasterises and caches its
// own glyphs; the device-drawn font (kind 0) lets the platform draw lines.
#include <cstdint>
#include <memory>

#include "base/WeakLink.h"
#include "raster/Image.h"
#include "raster/Rect.h"

namespace orrivel {

namespace platform {
class FontFace;
}
using platform::Point;

// The logical font as the record stores it.
struct LogFont {
  int32_t height = -16;  // always stored negative: the character height in pixels
  int32_t width = 0;
  int32_t escapement = 0;   // tenths of a degree, anticlockwise on screen
  int32_t orientation = 0;  // set together with the escapement
  int32_t weight = 400;     // 400 normal, 700 bold
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strikeOut = 0;
  uint8_t charSet = 128;  // Shift-JIS
  uint8_t outPrecision = 0;
  uint8_t clipPrecision = 0;
  uint8_t quality = 3;
  uint8_t pitchAndFamily = 0;
  char faceName[32] = {};  // CP932, NUL-terminated
};

// The cosine-table index of an angle in tenths of a degree (toward zero);
// computed wide so any angle a script passes is safe.
constexpr int32_t EscapementIndex(int32_t tenths) { return int32_t(int64_t(tenths) * 512 / 3600); }

enum FontKind : int { kFontKindDevice = 0, kFontKindOutline = 1 };

// The tallest character a font is made at, in pixels either sign: taller
// ones would not fit any picture the engine draws into, so a script's
// height beyond it (INT_MIN included) is refused and the font keeps what
// it had.
inline constexpr int32_t kMaxFontHeight = 4096;
constexpr bool FontHeightFits(int32_t height) { return height >= -kMaxFontHeight && height <= kMaxFontHeight; }

enum FontEffect : uint8_t { kEffectNone = 0, kEffectShadow = 1, kEffectOutline = 2 };

class Font : public LinkTarget {
 public:
  virtual ~Font();

  virtual int GetKind() const = 0;
  virtual void ReleaseGdiObjects() = 0;
  virtual int SetFont(int32_t height, int32_t bold, int32_t italic, const char* face) = 0;
  virtual int CreateGdiFont() = 0;
  virtual int SetFaceName(const char* face) = 0;
  virtual int SetHeight(int32_t height) = 0;
  virtual int SetBoldItalic(int32_t bold, int32_t italic) = 0;
  virtual int SetAngle(int32_t tenths) = 0;
  virtual void SetAntialias(uint8_t level) = 0;
  // The number of lines (0 for null text or a font that was never made);
  // size, offsets and count are written when given.
  virtual int MeasureText(const char* text, Size* size, int32_t* left, int32_t* top, bool withEffect,
                          int32_t* characters) = 0;
  // 0 when drawn; 1 when the font was never made or the image has no pixels.
  virtual int DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) = 0;
  virtual int DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds,
                              Point* end) = 0;

  // Store the bytes and make the font again.
  void SetUnderlineStrikeOut(uint8_t underline, uint8_t strikeOut);
  void SetQuality(uint8_t quality);
  // The background settings of device drawing.
  void SetBackground(uint8_t mode, uint8_t red, uint8_t green, uint8_t blue);
  // The box (x, y, w, h) turned with the escapement the way glyphs are drawn:
  // a box measured for the text at pen (0, 0) becomes the rectangle the
  // turned text covers. Unturned without the cosine table or at angle 0.
  Rect* GetRotatedBounds(Rect* out, int32_t x, int32_t y, int32_t width, int32_t height) const;

  // Turned steps shared by measuring and drawing, all in the glyphs' sense.
  // One line down: abs(height) + line spacing.
  Point LineStep() const;
  // An offset given for upright text, turned (the shadow offset is drawn
  // turned, so a shadow stays inside the turned measure at every angle).
  Point TurnOffset(int32_t dx, int32_t dy) const;

  const LogFont& Logical() const { return logFont_; }
  int32_t PixelHeight() const { return logFont_.height < 0 ? -logFont_.height : logFont_.height; }
  bool HasFont() const { return face_ != nullptr; }

  // Plain fields callers set directly.
  uint8_t antialias = 2;  // 0 one-bit, 1 16 levels, 2 64 levels
  uint8_t textRed = 255, textGreen = 255, textBlue = 255;
  uint8_t effectMode = kEffectNone;
  uint8_t effectRed = 0, effectGreen = 0, effectBlue = 0;
  int32_t shadowX = 0;
  int32_t shadowY = 0;
  int32_t lineSpacing = 0;
  // Device drawing's background: mode 1 transparent, 0 filled with the colour.
  uint8_t backgroundMode = 1;
  uint8_t backgroundRed = 0, backgroundGreen = 255, backgroundBlue = 0;

 protected:
  Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // Grows a measured box by the effect: a shadow by its offset (offsets
  // take its negative parts), an outline of the given width on every side.
  void AddEffectToMeasure(int32_t outlineWidth, int32_t* width, int32_t* height, int32_t* left,
                          int32_t* top) const;
  // The platform face of the record at a weight (null when none can be made).
  std::unique_ptr<platform::FontFace> OpenFace(int32_t weight) const;
  // Stores a face name (truncated to the record's 31 bytes); null empties it.
  void CopyFaceName(const char* face);

  // The font as made (the platform face stands for the font and the memory
  // context it is selected into); null until made.
  std::unique_ptr<platform::FontFace> face_;
  LogFont logFont_;
};

}  // namespace orrivel
