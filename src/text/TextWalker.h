#pragma once
// The walk over engine text every text operation shares: a lead byte and
// its trail byte make one character (trail bytes include '@', '[' and
// '\\'), LF ends a line, "@@" is one "@", and "@" with up to 7 digits is a
// picture glyph numbered by their value (no digits: 0). A lead byte at the
// end of the text is half a character and ends the walk.
#include <cstddef>
#include <cstdint>

namespace orrivel {

struct TextUnit {
  enum Kind : uint8_t { kCharacter, kLineEnd, kPicture };
  Kind kind = kCharacter;
  uint32_t code = 0;  // the byte, lead x 256 + trail, or the picture number
};

inline constexpr int kPictureDigits = 7;

// How "@" reads: picture glyphs for the engine's own fonts; a plain
// character for device-drawn text, which has no picture glyphs.
enum class AtSign : uint8_t { kPictures, kPlain };

// Reads the unit at text[*pos] and moves *pos past it; false at the end.
// A picture number takes at most maxDigits digits (the window's layout
// reads six); the rest is left for the next unit.
bool NextTextUnit(const char* text, size_t* pos, TextUnit* unit, AtSign at = AtSign::kPictures,
                  int maxDigits = kPictureDigits);

// The number of characters the walk finds (LF excepted): a two-byte
// character, "@@" and a picture number each count one; 0 for null text.
int32_t CountTextCharacters(const char* text);

}  // namespace orrivel
