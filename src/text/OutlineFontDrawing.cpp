// Drawing text with the outline font.
#include "text/OutlineFont.h"

namespace orrivel {

int OutlineFont::DrawText(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) {
  (void)image; (void)x; (void)y; (void)text; (void)bounds; (void)end;
  return 1;
}

int OutlineFont::DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* bounds, Point* end) {
  (void)image; (void)x; (void)y; (void)text; (void)bounds; (void)end;
  return 1;
}

}  // namespace orrivel
