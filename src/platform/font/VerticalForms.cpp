#include "platform/font/VerticalForms.h"

#include <algorithm>
#include <iterator>

namespace orrivel::platform {
namespace {

// Lines and brackets that run along the column: their vertical forms are
// the horizontal glyphs turned with the text.
constexpr char32_t kTurned[] = {
    0x2010, 0x2015, 0x2025, 0x2026, 0x3008, 0x3009, 0x300A, 0x300B, 0x300C, 0x300D, 0x300E, 0x300F,
    0x3010, 0x3011, 0x3013, 0x3014, 0x3015, 0x301C, 0x30FC, 0xFF08, 0xFF09, 0xFF0D, 0xFF1C, 0xFF1D,
    0xFF1E, 0xFF3B, 0xFF3D, 0xFF3F, 0xFF5B, 0xFF5C, 0xFF5D, 0xFF5E, 0xFFE3,
};

// Commas and full stops sit in the upper right quarter of a vertical cell.
constexpr char32_t kPunctuation[] = {0x3001, 0x3002, 0xFF0C, 0xFF0E};

// Small kana lean to the upper right.
constexpr char32_t kSmallKana[] = {
    0x3041, 0x3043, 0x3045, 0x3047, 0x3049, 0x3063, 0x3083, 0x3085, 0x3087, 0x308E, 0x3095, 0x3096,
    0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30C3, 0x30E3, 0x30E5, 0x30E7, 0x30EE, 0x30F5, 0x30F6,
};

bool Contains(const char32_t* begin, const char32_t* end, char32_t c) {
  return std::binary_search(begin, end, c);
}

}  // namespace

VerticalPlacement VerticalPlacementOf(char32_t c, bool wide) {
  if (!wide || Contains(std::begin(kTurned), std::end(kTurned), c)) return {VerticalForm::kSideways, 0, 0};
  if (Contains(std::begin(kPunctuation), std::end(kPunctuation), c)) return {VerticalForm::kShifted, 38, 38};
  if (Contains(std::begin(kSmallKana), std::end(kSmallKana), c)) return {VerticalForm::kShifted, 6, 6};
  return {VerticalForm::kUpright, 0, 0};
}

}  // namespace orrivel::platform
