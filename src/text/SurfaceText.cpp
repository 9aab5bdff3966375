#include "text/SurfaceText.h"

#include <algorithm>

#include "platform/font/DeviceContext.h"
#include "text/GdiFont.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

Font* gDefaultFont = nullptr;

bool Empty(const char* text) { return !text || text[0] == '\0'; }

Rect CutTo(const Surface& surface, const Rect& r) {
  return Rect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, surface.GetWidth()),
              std::min(r.bottom, surface.GetHeight())};
}

// The region ignores an empty rectangle; the changed flag is set anyway.
void Record(Surface* surface, const Rect& drawn) { surface->MarkDirty(CutTo(*surface, drawn)); }

platform::SurfaceDc TargetOf(Surface* surface) {
  return platform::MemoryDc(surface->GetBits(), surface->GetWidth(), surface->GetHeight(), surface->GetPitch(),
                            surface->GetBitsPerPixel(), surface->GetPalette());
}

}  // namespace

Font* SetDefaultFont(Font* font) {
  Font* previous = gDefaultFont;
  gDefaultFont = font;
  return previous;
}

Font* DefaultFont() { return gDefaultFont; }

int CreateSurfaceFromText(Surface* surface, const char* text, Font* font, uint8_t flags) {
  if (Empty(text)) return kTextEmpty;
  if (!font) font = gDefaultFont;
  if (!font) return kTextNoFont;
  const int kind = font->GetKind();
  if (kind != kFontKindOutline && kind != kFontKindDevice) return kTextFontKindUnknown;
  Size size;
  int32_t left = 0, top = 0;
  font->MeasureText(text, &size, &left, &top, true, nullptr);
  // The turned box of either kind: the text drawn at minus its top-left
  // fills the surface. (A device font turned a quarter or half turn draws
  // away from its pen, so the unturned measure would hold none of it.)
  Rect box;
  font->GetRotatedBounds(&box, left, top, size.width, size.height);
  if (surface->Create(std::max(box.Width(), 1), std::max(box.Height(), 1), 32, flags) != 0) return kTextNoSurface;
  const int result = kind == kFontKindOutline
                         ? DrawTextOutlinePath(surface, text, font, box.left, box.top)
                         : DrawTextGdiPath(surface, text, font, box.Width(), box.Height(), box.left, box.top);
  if (result != 0) {
    surface->FreeBuffers();
    return kTextDrawFailed;
  }
  return 0;
}

int DrawTextOutlinePath(Surface* surface, const char* text, Font* font, int32_t left, int32_t top) {
  if (font->antialias) {
    if (font->effectMode == kEffectNone) surface->FillRect(0, nullptr);
    if (font->DrawTextClipped(surface, -left, -top, text, nullptr, nullptr) != 0) return 5;
    surface->SetHasAlpha(true);
    surface->MarkAllDirty();
    return 0;
  }
  surface->FillRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue, nullptr);
  if (DrawSurfaceFontText(surface, -left, -top, text, font) != 0) return 5;
  surface->SetColorKeyRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue);
  return 0;
}

int DrawTextGdiPath(Surface* surface, const char* text, Font* font, int32_t width, int32_t height, int32_t x,
                    int32_t y) {
  (void)width;
  (void)height;
  if (font->antialias) {
    surface->MarkAllDirty();
    if (font->DrawTextClipped(surface, -x, -y, text, nullptr, nullptr) != 0) return 5;
    surface->SetHasAlpha(true);
    return 0;
  }
  const uint8_t mode = font->backgroundMode;
  surface->FillRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue, nullptr);
  font->backgroundMode = 1;
  int result = 0;
  if (surface->IsSection()) {
    if (DrawSurfaceGdiText(surface, -x, -y, text, font) != 0) result = 4;
  } else if (DrawSurfaceFontText(surface, -x, -y, text, font) != 0) {
    result = 5;
  }
  font->backgroundMode = mode;
  if (mode == 1) surface->SetColorKeyRgb(font->backgroundRed, font->backgroundGreen, font->backgroundBlue);
  return result;
}

int DrawSurfaceText(Surface* surface, int32_t x, int32_t y, const char* text, Font* font) {
  if (!surface->GetBits() || Empty(text)) return 1;
  if (!font) font = gDefaultFont;
  auto* outline = dynamic_cast<OutlineFont*>(font);
  if (!outline) return 2;
  Rect drawn;
  if (const int e = outline->DrawTextToSurface(surface, x, y, text, &drawn, nullptr); e != 0) return e + 2;
  Record(surface, drawn);
  return 0;
}

int DrawSurfaceGdiText(Surface* surface, int32_t x, int32_t y, const char* text, Font* font) {
  if (!surface->GetBits() || !surface->IsSection() || Empty(text)) return 1;
  if (!font) font = gDefaultFont;
  auto* device = dynamic_cast<GdiFont*>(font);
  if (!device) return 2;
  platform::DeviceContext dc;
  dc.SelectTarget(TargetOf(surface));
  if (device->DrawToDc(&dc, x, y, text) != 0) return 3;
  Size size;
  int32_t left = 0, top = 0;
  if (device->MeasureText(text, &size, &left, &top, true, nullptr) == 0) return 4;
  Rect box;
  device->GetRotatedBounds(&box, left, top, size.width, size.height);
  Record(surface, Rect{box.left + x, box.top + y, box.right + x, box.bottom + y});
  return 0;
}

int DrawSurfaceFontText(Surface* surface, int32_t x, int32_t y, const char* text, Font* font) {
  if (!surface->GetBits() || Empty(text)) return 1;
  if (!font) font = gDefaultFont;
  if (!font) return 2;
  Rect drawn;
  if (const int e = font->DrawText(surface, x, y, text, &drawn, nullptr); e != 0) return e + 2;
  Record(surface, drawn);
  return 0;
}

}  // namespace orrivel
