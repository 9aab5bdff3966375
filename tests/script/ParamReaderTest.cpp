#include "script/ParamReader.h"

#include <gtest/gtest.h>

#include <string>

namespace orrivel {
namespace {

TEST(ParamReaderTest, Integers) {
  struct Case {
    const char* text;
    int code;
    int32_t value;
    const char* rest;  // text left at the position afterwards
  };
  const Case cases[] = {
      {"(12, -0x1F)", 0, 12, ", -0x1F)"},
      {"0b101 x", 0, 5, " x"},
      {"0B101", 0, 0, "B101"},  // upper-case prefixes are not prefixes
      {"0xfF", 0, 255, ""},
      {"0x", 0, 0, ""},
      {"-", 0, 0, ""},
      {"4294967297", 0, 1, ""},  // wraps in 32 bits
      {"-2147483648", 0, INT32_MIN, ""},
      {"0b12", 0, 1, "2"},
      {" ,(x", 2, 0, "x"},
      {"", 2, 0, ""},
  };
  for (const Case& c : cases) {
    ParamReader reader(c.text);
    int32_t value = 0;
    EXPECT_EQ(reader.ReadInt(value), c.code) << c.text;
    if (c.code == 0) {
      EXPECT_EQ(value, c.value) << c.text;
    }
    EXPECT_STREQ(reader.Position(), c.rest) << c.text;
  }
  ParamReader pair("(12, -0x1F)");
  int32_t first = 0, second = 0;
  EXPECT_EQ(pair.ReadInt(first), 0);
  EXPECT_EQ(pair.ReadInt(second), 0);
  EXPECT_EQ(first, 12);
  EXPECT_EQ(second, -31);
  EXPECT_EQ(pair.SkipSeparators(), 0);
}

TEST(ParamReaderTest, Reals) {
  struct Case {
    const char* text;
    int code;
    double value;
    const char* rest;
  };
  const std::string longNumber(40, '1');
  const Case cases[] = {
      {"-2.5", 0, -2.5, ""},     {"3.,", 0, 3.0, ","},   {"(0.125)", 0, 0.125, ")"},
      {"-.5", 0, -0.5, ""},      {"7e3", 0, 7.0, "e3"},  {"+1", 2, 0, "+1"},
      {"x", 2, 0, "x"},          {"1234567890.1234567890123456789", 0, 1234567890.1234567890123456789, ""},
      {longNumber.c_str(), 2, 0, longNumber.c_str()},
  };
  for (const Case& c : cases) {
    ParamReader reader(c.text);
    double value = 0;
    EXPECT_EQ(reader.ReadReal(value), c.code) << c.text;
    if (c.code == 0) {
      EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
    EXPECT_STREQ(reader.Position(), c.rest) << c.text;
  }
}

TEST(ParamReaderTest, WordsKeywordsAndQuotedStrings) {
  // "\x82\xa0" is one two-byte character; "\x81\x22" has a trail byte that
  // looks like a quote, "\x95\x5c" one that looks like a backslash.
  struct WordCase {
    const char* text;
    size_t size;
    int code;
    const char* word;
  };
  const WordCase words[] = {
      {"\x82\xa0", 3, 3, ""},          {"\x82\xa0", 4, 0, "\x82\xa0"},
      {"abc def", 5, 0, "abc"},        {"abc def", 4, 3, ""},
      {",abc", 2, 0, ""},              {"", 10, 1, ""},
      {"abc", 0, 1, ""},               {"ab\x81", 10, 0, "ab\x81"},  // a lead byte just before the end
  };
  for (const WordCase& c : words) {
    ParamReader reader(c.text);
    char buffer[16] = "unchanged";
    EXPECT_EQ(reader.ReadWord(buffer, c.size), c.code) << c.text;
    if (c.code == 0) {
      EXPECT_STREQ(buffer, c.word) << c.text;
    }
  }
  // The lead byte just before the end is not paired with the terminating zero.
  const char tailText[] = "ab\x81";
  ParamReader tail(tailText);
  EXPECT_EQ(tail.SkipWord(), 0);
  EXPECT_EQ(tail.Position(), tailText + 3);

  ParamReader keyword("  (one, two");
  EXPECT_FALSE(keyword.MatchKeyword("onex"));
  EXPECT_STREQ(keyword.Position(), "one, two");
  EXPECT_TRUE(keyword.MatchKeyword("on"));
  EXPECT_STREQ(keyword.Position(), "e, two");
  EXPECT_EQ(keyword.SkipWord(), ',');
  EXPECT_EQ(keyword.SkipBlanksCommas(), 't');

  struct QuotedCase {
    const char* text;
    size_t size;
    bool keep;
    int code;
    const char* out;
  };
  const QuotedCase quoted[] = {
      {"\"\x82\xa0\"", 6, true, 0, "\"\x82\xa0\""}, {"\"\x82\xa0\"", 5, true, 3, ""},
      {"\"\x82\xa0\"", 4, false, 0, "\x82\xa0"},    {"\"\x82\xa0\"", 3, false, 3, ""},
      {" (\"a\x81\"b\" x", 16, false, 0, "a\x81\"b"}, {"\"a\x95\x5c\"", 16, false, 0, "a\x95\x5c"},
      {"x\"a\"", 16, false, 2, ""},                  {"\"abc", 16, false, 4, ""},
      {"\"ab\x81", 16, false, 4, ""},                {"\"a\"", 0, false, 1, ""},
  };
  for (const QuotedCase& c : quoted) {
    ParamReader reader(c.text);
    char buffer[16] = "unchanged";
    EXPECT_EQ(reader.ReadQuoted(buffer, c.size, c.keep), c.code) << c.text;
    if (c.code == 0) {
      EXPECT_STREQ(buffer, c.out) << c.text;
    }
  }
  ParamReader after("\"a\"(2)");
  char buffer[8];
  int32_t value = 0;
  ASSERT_EQ(after.ReadQuoted(buffer, sizeof buffer, false), 0);
  EXPECT_EQ(after.ReadInt(value), 0);
  EXPECT_EQ(value, 2);

  // No text at all.
  ParamReader none;
  EXPECT_EQ(none.ReadInt(value), 1);
  double real = 0;
  EXPECT_EQ(none.ReadReal(real), 1);
  EXPECT_EQ(none.ReadWord(buffer, sizeof buffer), 1);
  EXPECT_EQ(none.ReadQuoted(buffer, sizeof buffer, false), 1);
  EXPECT_EQ(none.SkipSeparators(), 0);
  EXPECT_FALSE(none.MatchKeyword("a"));
}

}  // namespace
}  // namespace orrivel
