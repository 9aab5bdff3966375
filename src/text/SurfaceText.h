#pragma once
// Text onto surfaces with either kind of font: each operation records the
// changed area in the surface's dirty region and marks it changed. A null
// font means the process-wide default font.
#include <cstdint>

#include "raster/Surface.h"
#include "text/Font.h"

namespace orrivel {

// The font every caller that passes none draws with (not owned; null until
// the application sets one). Returns the previous one.
Font* SetDefaultFont(Font* font);
Font* DefaultFont();

// CreateSurfaceFromText results.
inline constexpr int kTextEmpty = 1;
inline constexpr int kTextNoFont = 2;
inline constexpr int kTextNoSurface = 3;
inline constexpr int kTextDrawFailed = 4;
inline constexpr int kTextFontKindUnknown = 5;

// Creates the 32-bit surface exactly as large as the text (turned with an
// outline font) and draws it. 0; kTextEmpty null or empty text; kTextNoFont;
// kTextNoSurface; kTextDrawFailed (the buffers are freed again);
// kTextFontKindUnknown.
int CreateSurfaceFromText(Surface* surface, const char* text, Font* font, uint8_t flags);
// The outline font's road into a surface made for the text, the box's
// top-left at (left, top) from the pen. 0; 5 when drawing fails.
int DrawTextOutlinePath(Surface* surface, const char* text, Font* font, int32_t left, int32_t top);
// The device font's road. 0; 4 or 5 when drawing fails.
int DrawTextGdiPath(Surface* surface, const char* text, Font* font, int32_t width, int32_t height, int32_t x,
                    int32_t y);

// Outline fonts only. 0; 1 no pixels or empty text; 2 no font or not an
// outline font; a drawing error e gives e + 2.
int DrawSurfaceText(Surface* surface, int32_t x, int32_t y, const char* text, Font* font);
// Device fonts only, straight into the surface's own context. 0; 1 no
// context or empty text; 2 no font or not a device font; 3 drawing failed;
// 4 the text measured no lines.
int DrawSurfaceGdiText(Surface* surface, int32_t x, int32_t y, const char* text, Font* font);
// Any font through its DrawText. 0; 1 no pixels or empty text; 2 no font;
// a drawing error e gives e + 2.
int DrawSurfaceFontText(Surface* surface, int32_t x, int32_t y, const char* text, Font* font);

}  // namespace orrivel
