#pragma once
// Shift-JIS (code page 932) byte rules shared by every scanner of engine text.
// A lead byte and its trail byte always travel together; trail bytes include
// '@', '[', '\\' and ASCII letters, so byte-wise case folding would corrupt
// names. Only letters of single-byte characters are folded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orrivel::cp932 {

constexpr bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsLeadByte(char c) { return IsLeadByte(uint8_t(c)); }

// Bytes of the character at text[i]: 2 for a lead byte followed by a
// non-NUL byte inside the text, else 1.
constexpr size_t CharLength(std::string_view text, size_t i) {
  return (IsLeadByte(text[i]) && i + 1 < text.size() && text[i + 1] != '\0') ? 2 : 1;
}

// In-place folds over a NUL-terminated buffer or a bounded one.
void ToUpperAscii(char* text);
void ToLowerAscii(char* text);
void ToUpperAscii(char* text, size_t length);
void ToLowerAscii(char* text, size_t length);

std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// Case-insensitive comparison with the same folding (ASCII letters of
// single-byte characters only). Returns <0, 0 or >0 like strcmp.
int CompareNoCase(std::string_view a, std::string_view b);

}  // namespace orrivel::cp932
