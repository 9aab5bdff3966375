#pragma once
// A device context over the engine's memory images: text output with a
// selected face, rectangle fills and bit-block copies, with the meaning the
// engine's device-drawn text expects. Text is drawn without antialiasing
// (one-bit glyphs). Colours are written through the target's pixel layout:
// an 8-bit image takes the palette index nearest the colour, a 32-bit
// image (X8R8G8B8) gets alpha 0 in every pixel written, as device drawing
// leaves it.
#include <cstddef>
#include <cstdint>

#include "platform/Rect.h"
#include "platform/SoftSurface.h"
#include "platform/font/FontFace.h"

namespace orrivel::platform {

// A context over plain memory pixels: 8-bit indexed (palette of 256
// entries 0x00RRGGBB; null reads as the grey ramp) or 32-bit 0x00RRGGBB.
SurfaceDc MemoryDc(uint8_t* bits, int32_t width, int32_t height, int32_t pitch, uint8_t bitsPerPixel,
                   const uint32_t* palette);

class DeviceContext {
 public:
  DeviceContext() = default;
  virtual ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  void SelectTarget(const SurfaceDc& target) { target_ = target; }
  const SurfaceDc& Target() const { return target_; }
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
  // cut to both and converted between their formats (DcBitBlt). False
  // when either holds no pixels.
  bool BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, const SurfaceDc& source, int32_t sx,
              int32_t sy);

 private:
  SurfaceDc target_;
  FontFace* face_ = nullptr;
  uint32_t textColor_ = 0;
  uint32_t backgroundColor_ = 0xFFFFFF;
  bool opaque_ = false;
};

}  // namespace orrivel::platform
