#include "text/TextWalker.h"

#include "base/Cp932.h"

namespace orrivel {

bool NextTextUnit(const char* text, size_t* pos, TextUnit* unit, AtSign at, int maxDigits) {
  if (!text) return false;
  const size_t i = *pos;
  const uint8_t b = uint8_t(text[i]);
  if (b == 0) return false;
  if (cp932::IsLeadByte(b)) {
    if (text[i + 1] == '\0') return false;
    *unit = {TextUnit::kCharacter, uint32_t(b) << 8 | uint8_t(text[i + 1])};
    *pos = i + 2;
    return true;
  }
  if (b == '\n') {
    *unit = {TextUnit::kLineEnd, '\n'};
    *pos = i + 1;
    return true;
  }
  if (b == '@' && at == AtSign::kPictures) {
    if (text[i + 1] == '@') {
      *unit = {TextUnit::kCharacter, '@'};
      *pos = i + 2;
      return true;
    }
    size_t j = i + 1;
    uint32_t number = 0;
    for (int digits = 0; digits < maxDigits && text[j] >= '0' && text[j] <= '9'; ++digits, ++j) {
      number = number * 10 + uint32_t(text[j] - '0');
    }
    *unit = {TextUnit::kPicture, number};
    *pos = j;
    return true;
  }
  *unit = {TextUnit::kCharacter, b};
  *pos = i + 1;
  return true;
}

int32_t CountTextCharacters(const char* text) {
  int32_t count = 0;
  size_t pos = 0;
  TextUnit unit;
  while (NextTextUnit(text, &pos, &unit)) {
    if (unit.kind != TextUnit::kLineEnd) ++count;
  }
  return count;
}

}  // namespace orrivel
