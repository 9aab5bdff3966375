#include "resource/SusieName.h"

#include <gtest/gtest.h>

#include "resource/NameHashTable.h"

namespace orrivel {
namespace {

// Full-width capitals A and B, and the same letters small.
const std::string kWideAB = "\x82\x60\x82\x61";
const std::string kWideSmallAB = "\x82\x81\x82\x82";
// Roman numeral one: small (0xFA 0x40), capital (0xFA 0x4A) and the other
// coding of the capital (0x87 0x54).
const std::string kSmallOne = "\xFA\x40";
const std::string kCapitalOne = "\xFA\x4A";
const std::string kOtherCapitalOne = "\x87\x54";

struct NamePair {
  std::string a;
  std::string b;
  bool equal;
};

TEST(SusieNameTest, ComparisonFoldsLettersAndNumeralsAndHashFollowsIt) {
  const NamePair cases[] = {
      {"Dir\\File.TXT", "dir\\file.txt", true},
      {kWideAB + ".txt", kWideSmallAB + ".TXT", true},
      {kSmallOne, kCapitalOne, true},
      {kOtherCapitalOne, kCapitalOne, true},
      {kOtherCapitalOne, kSmallOne, true},
      {"\x87\x5D", "\xFA\x53", true},  // ten, both codings
      {"file", "file2", false},
      {"file", "fild", false},
      // Trail bytes that look like ASCII letters are not folded: katakana
      // 0x83 0x41 and 0x83 0x61 are different characters.
      {"\x83\x41", "\x83\x61", false},
      // Full-width folding belongs to lead byte 0x82 only.
      {"\x83\x60", "\x83\x81", false},
      {"\x87\x53", "\xFA\x49", false},  // just below the numeral range
      {"\x82\x60", "A", false},
  };
  for (const NamePair& c : cases) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(SusieNamesEqual(c.a, c.b), c.equal);
    EXPECT_EQ(SusieNamesEqual(c.b, c.a), c.equal);
    if (c.equal) {
      EXPECT_EQ(SusieNameHash(c.a), SusieNameHash(c.b));
    }
  }
}

TEST(SusieNameTest, HashMatchesItsDefinitionOnKnownValues) {
  // h = 0; per byte h = (h + c) * 1025, h ^= h >> 6; then h *= 9,
  // h ^= h >> 11, h *= 32769, computed here by hand for "a".
  std::uint32_t h = (0u + 'a') * 1025u;
  h ^= h >> 6;
  h *= 9u;
  h ^= h >> 11;
  h *= 32769u;
  EXPECT_EQ(SusieNameHash("a"), h);
  EXPECT_EQ(SusieNameHash("A"), h);
  // The empty name hashes to 0, which is given as 0xFFFFFFFF.
  EXPECT_EQ(SusieNameHash(""), 0xFFFFFFFFu);
  EXPECT_NE(SusieNameHash("ab"), SusieNameHash("ba"));
}

TEST(SusieNameTest, FilterBecomesAnExtensionList) {
  struct FilterCase {
    std::string filter;
    std::vector<std::string> extensions;
  };
  const FilterCase cases[] = {
      {"*.pic;*.abc", {"PIC", "ABC"}},
      {"*.Pi2", {"PI2"}},
      {";;*.a;;", {"A"}},
      {"", {}},
      {std::string("*.x\0*.y", 7), {"X"}},  // ends at the first NUL
      // A two-byte character stays whole, even with a trail byte that looks
      // like a small letter, a dot or a semicolon.
      {"*.\x83\x61z;*.b", {"\x83\x61Z", "B"}},
      {"*.\x81\x2E", {"\x81\x2E"}},
      {"*.a\x81", {"A"}},  // a lead byte without its trail is dropped
  };
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(c.filter);
    EXPECT_EQ(SusieFilterToExtensions(c.filter), c.extensions);
  }
}

TEST(NameHashTableTest, FindsEverySpellingAndKeepsTheFirstOfEqualNames) {
  NameHashTable table;
  ArchiveEntryRecord first;
  first.index = 0;
  ArchiveEntryRecord second;
  second.index = 1;
  EXPECT_TRUE(table.Insert("sub\\" + kWideAB + ".TXT", first));
  EXPECT_FALSE(table.Insert("SUB\\" + kWideSmallAB + ".txt", second));
  // Enough names to put several in one bucket.
  for (std::uint32_t i = 0; i < 200; ++i) {
    ArchiveEntryRecord record;
    record.index = i + 2;
    ASSERT_TRUE(table.Insert("file" + std::to_string(i), record));
  }
  EXPECT_EQ(table.Count(), 201u);
  const NameHashTable::Entry* found = table.Find("Sub\\" + kWideSmallAB + ".txt");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->value.index, 0u);
  EXPECT_EQ(found->name, "sub\\" + kWideAB + ".TXT");
  for (std::uint32_t i = 0; i < 200; ++i) {
    const NameHashTable::Entry* entry = table.Find("FILE" + std::to_string(i));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->value.index, i + 2);
  }
  EXPECT_EQ(table.Find("file200"), nullptr);
  EXPECT_EQ(table.Entries()[1].name, "file0");  // insertion order
}

}  // namespace
}  // namespace orrivel
