#pragma once
// Lends a font to a control for one drawing: sets its text and effect
// colours (0xRRGGBB) and gives the old ones back at the end of the scope.
#include <cstdint>

#include "text/Font.h"

namespace orrivel {

class FontColourScope {
 public:
  FontColourScope(Font& font, uint32_t text, uint32_t effect)
      : font_(font),
        text_{font.textRed, font.textGreen, font.textBlue},
        effect_{font.effectRed, font.effectGreen, font.effectBlue} {
    SetText(text);
    font.effectRed = uint8_t(effect >> 16), font.effectGreen = uint8_t(effect >> 8),
    font.effectBlue = uint8_t(effect);
  }
  ~FontColourScope() {
    font_.textRed = text_[0], font_.textGreen = text_[1], font_.textBlue = text_[2];
    font_.effectRed = effect_[0], font_.effectGreen = effect_[1], font_.effectBlue = effect_[2];
  }
  FontColourScope(const FontColourScope&) = delete;
  FontColourScope& operator=(const FontColourScope&) = delete;

  void SetText(uint32_t rgb) {
    font_.textRed = uint8_t(rgb >> 16), font_.textGreen = uint8_t(rgb >> 8), font_.textBlue = uint8_t(rgb);
  }

 private:
  Font& font_;
  uint8_t text_[3];
  uint8_t effect_[3];
};

}  // namespace orrivel
