// The one walk over engine text: pairs stay whole (their trail bytes include
// '@', '[' and '\\'), "@@" is one "@", "@" takes up to 7 digits, a lead byte
// at the end ends the walk.
#include "text/TextWalker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orrivel {
namespace {

std::vector<TextUnit> Walk(const char* text, AtSign at = AtSign::kPictures) {
  std::vector<TextUnit> units;
  size_t pos = 0;
  TextUnit unit;
  while (NextTextUnit(text, &pos, &unit, at)) units.push_back(unit);
  return units;
}

std::string Describe(const std::vector<TextUnit>& units) {
  std::string out;
  for (const TextUnit& u : units) {
    if (!out.empty()) out += ' ';
    out += u.kind == TextUnit::kLineEnd ? "LF" : u.kind == TextUnit::kPicture ? "P" + std::to_string(u.code)
                                                                              : "C" + std::to_string(u.code);
  }
  return out;
}

TEST(TextWalkerTest, ConventionsTable) {
  const struct {
    const char* text;
    const char* units;
  } cases[] = {
      {"a@@b", "C97 C64 C98"},
      {"a@12b", "C97 P12 C98"},
      {"@", "P0"},
      {"@x", "P0 C120"},
      {"@12345678", "P1234567 C56"},  // the eighth digit is a character again
      {"@0000001", "P1"},
      {"a\nb", "C97 LF C98"},
      {"\x83\x40", "C33600"},         // "ァ": the trail byte is '@'
      {"\x81\x5B" "a", "C33115 C97"}, // "ー": the trail byte is '['
      {"\x83\x5C\x95\x5C", "C33628 C38236"},  // "ソ表": trail '\\'
      {"ab\x82", "C97 C98"},         // a lead byte at the end is half a character
      {"\x82", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(Walk(c.text)), c.units) << c.text;
  EXPECT_TRUE(Walk(nullptr).empty());
}

TEST(TextWalkerTest, PlainAtSignsAndCounting) {
  EXPECT_EQ(Describe(Walk("a@@1\n\x83\x40", AtSign::kPlain)), "C97 C64 C64 C49 LF C33600");
  EXPECT_EQ(CountTextCharacters("a@@b@12\n\x83\x40"), 5);
  EXPECT_EQ(CountTextCharacters(""), 0);
  EXPECT_EQ(CountTextCharacters(nullptr), 0);
  EXPECT_EQ(CountTextCharacters("ab\x82"), 2);
}

}  // namespace
}  // namespace orrivel
