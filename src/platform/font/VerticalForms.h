#pragma once
// How a character of an "@" (vertical) face stands in a column. The IPA
// fonts carry their vertical forms only as layout substitutions, which
// FreeType alone does not apply, so the common ones come from this table.
#include <cstdint>

namespace orrivel::platform {

enum class VerticalForm : uint8_t {
  kSideways,  // turned with the column, as horizontal text lies (one-byte characters, dashes, brackets)
  kUpright,   // stands upright in its cell
  kShifted,   // upright, moved towards the cell's upper right (small kana, commas and full stops)
};

struct VerticalPlacement {
  VerticalForm form = VerticalForm::kUpright;
  // For kShifted: the move in 64ths of the em, right and up.
  int32_t shiftRight = 0;
  int32_t shiftUp = 0;
};

// The placement of a character; wide is true for a two-byte CP932 character.
VerticalPlacement VerticalPlacementOf(char32_t character, bool wide);

}  // namespace orrivel::platform
