#include "game/MessageColours.h"

#include "scene/TextListControl.h"
#include "scene/WindowControl.h"
#include "text/Font.h"
#include "text/OutlineFont.h"

namespace orrivel {

namespace {

uint8_t ByteAt(std::span<const uint8_t> block, size_t at) { return at < block.size() ? block[at] : 0; }

uint32_t U32At(std::span<const uint8_t> block, size_t at) {
  if (at + 4 > block.size()) return 0;
  return uint32_t(block[at]) | uint32_t(block[at + 1]) << 8 | uint32_t(block[at + 2]) << 16 |
         uint32_t(block[at + 3]) << 24;
}

}  // namespace

MessageColours::MessageColours(std::span<const uint8_t> settings)
    : frameMode(ByteAt(settings, kFrameMode)),
      alpha(ByteAt(settings, kAlpha)),
      colour(U32At(settings, kColour)),
      shadow(ByteAt(settings, kShadow) != 0),
      gradient(ByteAt(settings, kGradient) != 0) {}

void MessageColours::ApplyTo(WindowControl& window) const { window.SetBackground(frameMode, colour, alpha); }

void MessageColours::ApplyTo(TextListControl& list) const {
  list.SetBackground(frameMode, colour, alpha);
  if (Font* font = list.GetFont()) font->shadowX = font->shadowY = shadow ? kShadowDistance : 0;
}

void MessageColours::ApplyGradient(Font& font) const {
  if (auto* outline = dynamic_cast<OutlineFont*>(&font))
    outline->SetGradient(gradient ? 1 : 0, kGradientTop, kGradientBottom, 1);
}

}  // namespace orrivel
