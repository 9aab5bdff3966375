#pragma once
// A device context over the engine's memory images: text output with a
// selected face, rectangle fills and bit-block copies, with the meaning the
// engine's device-drawn text expects. Text is drawn without antialiasing
// (one-bit glyphs); an 8-bit image takes the palette index nearest the
// colour; on a 32-bit image every pixel written gets alpha 0, as device
// drawing leaves it.
#include <cstddef>
#include <cstdint>

#include "platform/Rect.h"
#include "platform/font/FontFace.h"

namespace orrivel::platform {

// Pixels in memory, rows top-down.
struct PixelTarget {
  uint8_t* bits = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;
  uint8_t bitsPerPixel = 32;  // 8 or 32
  // 256 entries 0x00RRGGBB for 8 bits; null reads as the grey ramp.
  const uint32_t* palette = nullptr;
};

// The palette index nearest a colour (0x00RRGGBB); the grey level nearest
// it without a palette.
uint8_t NearestPaletteIndex(const uint32_t* palette, uint32_t color);

class DeviceContext {
 public:
  DeviceContext() = default;
  virtual ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  void SelectTarget(const PixelTarget& target) { target_ = target; }
  const PixelTarget& Target() const { return target_; }
  // The face text is drawn and measured with (not owned).
  void SelectFont(FontFace* face) { face_ = face; }
  FontFace* SelectedFont() const { return face_; }
  void SetTextColor(uint32_t color) { textColor_ = color & 0xFFFFFF; }
  uint32_t TextColor() const { return textColor_; }
  // Opaque text first fills its extent with the background colour.
  void SetBackgroundOpaque(bool opaque) { opaque_ = opaque; }
  bool BackgroundOpaque() const { return opaque_; }
  void SetBackgroundColor(uint32_t color) { backgroundColor_ = color & 0xFFFFFF; }

  // Draws character codes (a byte, or lead x 256 + trail) with (x, y) the
  // top-left of the first character cell, the line turned with the face's
  // escapement. False without a face or pixels.
  virtual bool TextOut(int32_t x, int32_t y, const uint16_t* codes, size_t count);
  // The advances summed, and the face's cell height; unturned.
  TextExtent GetTextExtent(const uint16_t* codes, size_t count) const;
  // Fills the rectangle (cut to the pixels) with a colour. False when
  // nothing was filled.
  bool FillRect(const Rect& rect, uint32_t color);
  // Copies width x height pixels from (sx, sy) of the source to (x, y),
  // both cut to their images. Same depths copy; an 8-bit source onto 32
  // bits goes through its palette (alpha 0). False when nothing was copied
  // or the depths cannot meet (32 onto 8).
  bool BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, const PixelTarget& source, int32_t sx,
              int32_t sy);

 private:
  void PutPixel(int32_t x, int32_t y, uint32_t value);
  uint32_t PixelValue(uint32_t color) const;

  PixelTarget target_;
  FontFace* face_ = nullptr;
  uint32_t textColor_ = 0;
  uint32_t backgroundColor_ = 0xFFFFFF;
  bool opaque_ = false;
};

}  // namespace orrivel::platform
