#include "resource/SusieName.h"

#include "base/Cp932.h"

namespace orrivel {
namespace {

bool InRange(std::uint8_t c, std::uint8_t low, std::uint8_t high) { return c >= low && c <= high; }

// The two codings of the Roman numerals one to ten: 0x87 0x54-0x5D is the
// same character as 0xFA 0x4A-0x53.
bool IsNecRomanNumeral(std::uint8_t lead, std::uint8_t trail) { return lead == 0x87 && InRange(trail, 0x54, 0x5D); }

// One character of a name as the comparison sees it: a single byte (ASCII
// letters folded to small) or a lead and trail pair with its foldings.
struct FoldedChar {
  std::uint16_t key;
  std::size_t length;
};

FoldedChar FoldForCompare(std::string_view text, std::size_t i) {
  const auto c = std::uint8_t(text[i]);
  if (cp932::IsLeadByte(c) && i + 1 < text.size()) {
    std::uint8_t lead = c;
    auto trail = std::uint8_t(text[i + 1]);
    if (IsNecRomanNumeral(lead, trail)) {
      lead = 0xFA;
      trail = std::uint8_t(trail - 10);
    } else if (lead == 0x82 && InRange(trail, 0x60, 0x79)) {
      trail = std::uint8_t(trail + 0x21);  // full-width capitals as small letters
    } else if (lead == 0xFA && InRange(trail, 0x40, 0x49)) {
      trail = std::uint8_t(trail + 10);  // small Roman numerals as capitals
    }
    return {std::uint16_t(lead << 8 | trail), 2};
  }
  const std::uint8_t folded = InRange(c, 'A', 'Z') ? std::uint8_t(c + 0x20) : c;
  return {folded, 1};
}

}  // namespace

std::uint32_t SusieNameHash(std::string_view name) {
  std::uint32_t h = 0;
  const auto add = [&h](std::uint8_t c) {
    h = (h + c) * 1025u;
    h ^= h >> 6;
  };
  for (std::size_t i = 0; i < name.size();) {
    const auto c = std::uint8_t(name[i]);
    if (cp932::IsLeadByte(c) && i + 1 < name.size()) {
      const auto trail = std::uint8_t(name[i + 1]);
      if (IsNecRomanNumeral(c, trail)) {
        add(0xFA);
        add(std::uint8_t(trail - 10));
      } else {
        add(c);
        if (InRange(trail, 0x60, 0x79)) {
          add(std::uint8_t(trail + 0x21));
        } else if (InRange(trail, 0x40, 0x49)) {
          add(std::uint8_t(trail + 10));
        } else {
          add(trail);
        }
      }
      i += 2;
      continue;
    }
    add(InRange(c, 'A', 'Z') ? std::uint8_t(c + 0x20) : c);
    ++i;
  }
  h *= 9u;
  h ^= h >> 11;
  h *= 32769u;
  return h == 0 ? 0xFFFFFFFFu : h;
}

bool SusieNamesEqual(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    const FoldedChar x = FoldForCompare(a, i);
    const FoldedChar y = FoldForCompare(b, j);
    if (x.key != y.key) return false;
    i += x.length;
    j += y.length;
  }
  return i == a.size() && j == b.size();
}

std::vector<std::string> SusieFilterToExtensions(std::string_view filter) {
  std::vector<std::string> extensions;
  std::string current;
  const auto finish = [&] {
    if (!current.empty()) extensions.push_back(std::move(current));
    current.clear();
  };
  for (std::size_t i = 0; i < filter.size() && filter[i] != '\0';) {
    const char c = filter[i];
    if (cp932::IsLeadByte(c)) {
      if (i + 1 >= filter.size() || filter[i + 1] == '\0') break;  // a lead byte without its trail
      current.append(filter.substr(i, 2));
      i += 2;
      continue;
    }
    if (c == ';') {
      finish();
    } else if (c != '*' && c != '.') {
      current.push_back(c >= 'a' && c <= 'z' ? char(c - 0x20) : c);
    }
    ++i;
  }
  finish();
  return extensions;
}

}  // namespace orrivel
