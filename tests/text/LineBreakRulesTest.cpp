// The line-breaking tables: byte-exact CP932 as iconv's "CP932" makes them
// from their characters, and the no-break rule between the character last
// drawn and the next one.
#include "text/LineBreakRules.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/TextCodec.h"

namespace orrivel {
namespace {

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932(utf8).value(); }

uint16_t Code(const char* utf8) {
  const std::string s = Cp932(utf8);
  return s.size() == 2 ? uint16_t(uint8_t(s[0]) << 8 | uint8_t(s[1])) : uint8_t(s[0]);
}

TEST(LineBreakRulesTest, TablesAreTheirCharactersInCp932) {
  const char* const characters[kBreakTableCount] = {
      "%),:;]}｡｣ﾞﾟ",
      "。，、．：；゛゜ヽヾゝゞ々’”）〕］｝〉》」』】°′″℃￠％‰",
      "!.?､･ｧｨｩｪｫｬｭｮｯｰ",
      "・？！ーぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ",
      "\\$([{｢",
      "‘“（〔［｛〈《「『【￥＄￡",
  };
  for (int i = 0; i < kBreakTableCount; ++i)
    EXPECT_EQ(std::string(LineBreakTables()[i]), Cp932(characters[i])) << "table " << i;
  // The half-width opening table starts with the backslash byte itself.
  EXPECT_EQ(uint8_t(LineBreakTables()[kBreakHalfOpening][0]), 0x5C);
}

TEST(LineBreakRulesTest, NoBreakRule) {
  struct Case {
    const char* prev;  // "" none
    const char* next;
    bool noBreak;
  };
  const Case cases[] = {
      {"あ", "」", true},   // closing
      {"あ", "。", true},   {"あ", "ッ", true},  // small katakana, lead 0x83 trail 0x62
      {"あ", "ァ", true},   // trail byte '@'
      {"あ", "ー", true},   // trail byte '['
      {"「", "あ", true},   // opening before
      {"（", "ソ", true},   // trail byte '\\' after an opening
      {"あ", "あ", false},  {"」", "あ", false},  // a closing mark may end a line
      {"", "あ", false},    {"ソ", "あ", false},  // 0x83 0x5C is not the one-byte 0x5C
      {"a", ")", true},     {"a", "｡", true},    {"a", "ｧ", true},  {"(", "a", true},
      {"\\", "a", true},    {"｢", "a", true},    {"a", "a", false}, {"", "a", false},
      {"表", "a", false},   // lead 0x95 trail 0x5C: not an opening
      {"(", "あ", false},   {"「", "a", false},  // widths are not mixed
  };
  for (const Case& c : cases) {
    const uint16_t prev = c.prev[0] ? Code(c.prev) : 0;
    const uint16_t next = Code(c.next);
    const bool answer = next > 0xFF ? IsNoBreakDouble(prev, next) : IsNoBreakSingle(prev, uint8_t(next));
    EXPECT_EQ(answer, c.noBreak) << c.prev << " / " << c.next;
  }
}

}  // namespace
}  // namespace orrivel
