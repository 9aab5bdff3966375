#include "frame/BackgroundTintClass.h"

#include <cctype>

namespace orrivel {

namespace {

struct BackgroundName {
  int64_t number = -1;
  int32_t letter = 0;  // 1 A, 2 B, 3 C
};

std::string_view BaseName(std::string_view name) {
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const size_t dot = name.find('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return name;
}

BackgroundName ParseBackgroundName(std::string_view name) {
  BackgroundName out;
  name = BaseName(name);
  if (name.size() < 4 || std::toupper(uint8_t(name[0])) != 'B' || std::toupper(uint8_t(name[1])) != 'G') return out;
  size_t i = 2;
  int64_t number = 0;
  for (; i < name.size() && std::isdigit(uint8_t(name[i])); ++i) {
    number = number * 10 + (name[i] - '0');
    if (number > INT32_MAX) return out;
  }
  if (i == 2 || i >= name.size()) return out;
  const int letter = std::toupper(uint8_t(name[i]));
  if (letter < 'A' || letter > 'C') return out;
  out.number = number;
  out.letter = letter - 'A' + 1;
  return out;
}

}  // namespace

uint32_t BackgroundTintClass(std::string_view imageName, const std::vector<int32_t>& table) {
  const BackgroundName name = ParseBackgroundName(imageName);
  if (name.letter == 0) return 0;
  const uint32_t tint = name.letter == 1 ? 1 : 2;
  size_t i = 0;
  while (i < table.size() && table[i] != 0 && table[i] != -name.letter) ++i;
  if (i >= table.size() || table[i] == 0) return 0;
  // Inside the letter's section.
  const size_t first = ++i;
  for (; i < table.size() && table[i] > 0; ++i)
    if (table[i] == name.number) return tint;
  const bool anotherSection = i < table.size() && table[i] < 0;
  return (i == first && anotherSection) ? tint : 0;
}

}  // namespace orrivel
