#include "base/Cp932.h"

#include <cstring>

namespace orrivel::cp932 {
namespace {

template <bool Upper>
void Fold(char* text, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const uint8_t b = uint8_t(text[i]);
    if (IsLeadByte(b)) {
      if (i + 1 < length && text[i + 1] != '\0') ++i;  // keep the trail byte
      continue;
    }
    if (Upper && b >= 'a' && b <= 'z') text[i] = char(b - 32);
    if (!Upper && b >= 'A' && b <= 'Z') text[i] = char(b + 32);
  }
}

}  // namespace

void ToUpperAscii(char* text) {
  if (text) Fold<true>(text, std::strlen(text));
}
void ToLowerAscii(char* text) {
  if (text) Fold<false>(text, std::strlen(text));
}
void ToUpperAscii(char* text, size_t length) {
  if (text) Fold<true>(text, length);
}
void ToLowerAscii(char* text, size_t length) {
  if (text) Fold<false>(text, length);
}

std::string ToUpper(std::string_view text) {
  std::string s(text);
  Fold<true>(s.data(), s.size());
  return s;
}

std::string ToLower(std::string_view text) {
  std::string s(text);
  Fold<false>(s.data(), s.size());
  return s;
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::string ua = ToUpper(a);
  const std::string ub = ToUpper(b);
  return ua.compare(ub) < 0 ? -1 : (ua == ub ? 0 : 1);
}

}  // namespace orrivel::cp932
