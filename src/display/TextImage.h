#pragma once
// A line of text drawn once into a Direct3D texture, so that a textured
// quad can show it. The texture follows the device's size rules; text
// larger than the device's largest texture is drawn whole into a surface
// of its own size and shrunk into the texture, and its content size stays
// the text's so that the texel mapping covers the whole texture. After the
// display surfaces were lost it draws its text again.
//
// Device fonts (kind 0): without antialiasing the text goes through the
// surface's device context (in formats with alpha the alpha is inverted
// afterwards, so the untouched background ends transparent); with it, an
// opaque format takes the font's drawing through a memory image and a
// format with alpha the font's coverage drawing (text colour with coverage
// as alpha, shadow or outline included). The font's transparent background
// mode keys the background colour. Outline fonts (kind 1): opaque formats
// key the background colour; formats with alpha keep coverage as alpha.
//
// The font is borrowed and must outlive the image (a restore draws again
// with it). Main thread only.
#include <cstdint>
#include <optional>
#include <string>

#include "display/DdSurface.h"
#include "display/TextureSource.h"

namespace orrivel {

class TextImage : public DdSurface, public TextureSource {
 public:
  TextImage() = default;
  ~TextImage() override;

  // Render's results (Create adds 2).
  enum : int {
    kRenderNoText = 1,        // no text, no font, or a font of another kind
    kRenderNoFormat = 2,      // the device has no texture format for the code
    kRenderTextureBase = 2,   // + the surface creation's code
    kRenderDrawBase = 4,      // + the drawing step's code (5 to 12)
    kRenderShrinkFailed = 15, // the stretching blit into the texture
  };

  // 1 without a drawing object, a Direct3D device or a text; 2 out of
  // memory; otherwise Render's code + 2 with nothing held. The font (null:
  // the default font at each drawing) and the format code are kept.
  int Create(const char* text, Font* font, uint32_t formatCode);
  // Frees the text, forgets the font, drops the texture; drawn size 0.
  void ReleaseText();
  // Draws the kept text into a new texture; 0 or a code above.
  int Render();

  // --- Image and TextureSource ---------------------------------------------------------
  uint8_t GetKind() const override { return kImageKindTextImage; }
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override {
    return DdSurface::SetColorKeyRgb(red, green, blue);
  }
  int SetColorKeyAt(int32_t x, int32_t y) override { return DdSurface::SetColorKeyAt(x, y); }
  uint32_t GetColorKey() const override { return DdSurface::GetColorKey(); }
  // 1 no texture; 2 refused; 0.
  int ClearColorKey() override;
  // 0 without a texture, or when asked to check and nothing was lost;
  // otherwise the text is drawn again: 1 when that fails.
  int Restore(uint8_t checkLost) override;
  platform::SoftSurface* GetSurface() override { return surface_.get(); }
  uint32_t GetPixelFormatCode() const override { return requestedFormat_; }
  int32_t GetContentWidth() const override { return drawnWidth_; }
  int32_t GetContentHeight() const override { return drawnHeight_; }

  const std::optional<std::string>& TextCopy() const { return text_; }

 private:
  int DrawInto(SurfaceImage& target, Font* font, int32_t left, int32_t top);
  int DrawDeviceFont(SurfaceImage& target, Font* font, int32_t left, int32_t top);
  int DrawOutlineFont(SurfaceImage& target, Font* font, int32_t left, int32_t top);
  // The background key after drawing: the font's transparent mode keys its
  // background colour, the opaque mode clears the key. 0, or 8.
  int KeyBackground(Font* font);

  std::optional<std::string> text_;
  // The script's font, kept to draw the text again; one deleted since
  // leaves the default font to draw it.
  WeakLink<Font> font_;

  int32_t drawnWidth_ = 0;
  int32_t drawnHeight_ = 0;
  uint32_t requestedFormat_ = 0;
};

}  // namespace orrivel
