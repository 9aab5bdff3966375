#pragma once
// The player's message colours and fonts for objects the scripts made
// themselves (a text-adventure frame applies them to its own windows): a
// window's background, a text list's background and shadow, a font's
// colour gradient.
#include <cstdint>
#include <span>

namespace orrivel {

class Font;
class TextListControl;
class WindowControl;

struct MessageColours {
  // Application settings bytes (the scripts' group 2 indices 6-8, the
  // shadow switch and the gradient switch).
  static constexpr size_t kShadow = 68;
  static constexpr size_t kGradient = 69;
  static constexpr size_t kFrameMode = 73;
  static constexpr size_t kAlpha = 74;
  static constexpr size_t kColour = 76;
  // The gradient a switched-on message font shows, top to bottom.
  static constexpr uint32_t kGradientTop = 0xFFEB00;
  static constexpr uint32_t kGradientBottom = 0xFF4646;
  static constexpr int32_t kShadowDistance = 2;

  explicit MessageColours(std::span<const uint8_t> settings);

  // The background mode, colour and alpha of the settings.
  void ApplyTo(WindowControl& window) const;
  // The same background, and the shadow switch to the list's font.
  void ApplyTo(TextListControl& list) const;
  // The gradient switch; fonts that draw no gradient are left alone.
  void ApplyGradient(Font& font) const;

  uint8_t frameMode = 0;
  uint8_t alpha = 0;
  uint32_t colour = 0;
  bool shadow = false;
  bool gradient = false;
};

}  // namespace orrivel
