#pragma once
// A display-surface image that holds one line of text drawn with a font:
// an off-screen surface of the text's size. After the display surfaces were
// lost it draws its text again. It shares the surface image's surface, key
// fields and copies, and differs in how it is made and restored.
//
// Fonts drawn by the platform's device route (kind 0) with antialiasing
// off draw straight into the surface's device context through the device
// text drawer; until one is set, such text goes through a memory image like
// every other font.
#include <cstdint>
#include <optional>
#include <string>

#include "display/SurfaceImage.h"
#include "text/Font.h"

namespace orrivel {

class DibImage;
class Font;

class DdSurface : public SurfaceImage {
 public:
  // Draws text into a device context at (x, y) with the font's colours and
  // its current background settings; 0 when drawn.
  using DeviceTextDrawer = int (*)(Font* font, const platform::SurfaceDc& dc, int32_t x, int32_t y,
                                   const char* text);

  // Non-null arguments become the process-wide default font and device.
  explicit DdSurface(Font* font = nullptr, DisplayScreenDevice* device = nullptr);
  ~DdSurface() override;

  static Font* DefaultFont();
  static void SetDefaultFont(Font* font);
  // Null restores the automatic choice: a GdiFont draws through its own
  // device route, other fonts through a memory image.
  static void SetDeviceTextDrawer(DeviceTextDrawer drawer);
  // The drawer a font's one-bit text takes into a device context: the one
  // a test set, else a device font's own route; null for other fonts.
  static DeviceTextDrawer DeviceDrawerFor(Font* font);

  uint8_t GetKind() const override { return kImageKindDdSurface; }
  // 0 when there is no key; 1 no surface; 2 refused. The colour and the
  // key position stay, so a restore brings the key back.
  int ClearColorKey() override;
  // 0 without a surface or when asked to check and not lost; 1 the text
  // cannot be drawn again; 5 and 6 the key cannot be set again.
  int Restore(uint8_t checkLost) override;
  // Drops the surface and the keys; the text and font stay.
  void Release() override;

  // 1 no drawing object; 2 the surface was refused or cannot be described.
  int Create(int32_t width, int32_t height, uint8_t texture,
             const platform::SurfacePixelFormat* format);
  // 1 no device or no text; 2 no memory; a drawing failure r gives r + 2
  // and leaves nothing held.
  int SetText(const char* text, Font* font);
  // Draws the held text into a new surface. Create's code; 3 no text, no
  // font or a font of another kind; a drawing step's code r gives r + 3;
  // 11 any other failure. Failure releases the image.
  int Upload();

  const std::optional<std::string>& Text() const { return text_; }
  Font* GetFont() const { return font_.Get(); }

 private:
  int DrawDeviceText(Font* font, int32_t width, int32_t height, int32_t x, int32_t y);
  int DrawThroughMemoryImage(Font* font, int32_t width, int32_t height, int32_t x, int32_t y,
                             bool opaqueBackground);
  int DrawOutlineText(Font* font, int32_t width, int32_t height, int32_t x, int32_t y);
  // Copies a memory image into the surface's device context: 3 no context, 4 not released.
  int BlitFromMemory(DibImage* image, int32_t width, int32_t height);
  void ForgetText();

  std::optional<std::string> text_;
  // The script's font, kept to draw the text again; one deleted since
  // leaves the default font to draw it.
  WeakLink<Font> font_;

};

}  // namespace orrivel
