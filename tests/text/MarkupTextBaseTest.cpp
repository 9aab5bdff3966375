#include "text/MarkupTextBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/ByteWriter.h"
#include "script/ScriptAddressSpace.h"
#include "script/SobCursor.h"

namespace orrivel {
namespace {

using namespace std::string_literals;

// "kind" or "kind:bytes" for a character, one per token up to the end.
std::vector<std::string> Tokens(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (int guard = 0; guard < 64; ++guard) {
    const MarkupToken token = MarkupTextBase::ScanToken(text.data(), text.size(), pos);
    std::string entry = std::to_string(token.kind);
    if (token.kind == kTokenCharacter) entry += ":" + text.substr(token.character, token.characterLength);
    out.push_back(entry);
    if (token.kind == kTokenEnd || token.kind == kTokenBad) break;
    pos = token.end;
  }
  return out;
}

// "[" NUL, four bytes, the 16-bit length counted from the "[", filler.
std::string Block(uint16_t length) {
  std::string block = "[\0abcd"s;
  block += char(length & 0xFF);
  block += char(length >> 8);
  block += std::string(length > 8 ? length - 8 : 0, 'z');
  return block;
}

TEST(MarkupTokenizerTest, TokenTable) {
  struct Case {
    std::string text;
    std::vector<std::string> tokens;
  };
  const std::string block = Block(10);
  const Case cases[] = {
      {"ab", {"0:a", "0:b", "5"}},
      {"<<x", {"0:<", "0:x", "5"}},
      {"<\"\">", {"-1"}},
      {"<\"hi\">\\x", {"6", "0:x", "5"}},
      {"<\"hi\"x", {"-1"}},
      {"<\"hi", {"-1"}},
      {"<wait 10>\\", {"7", "5"}},
      {"<wait", {"-1"}},
      {"$&a", {"2", "0:a", "5"}},
      {"ab$", {"0:a", "0:b", "3", "5"}},
      {"$ab", {"1", "0:a", "0:b", "5"}},
      {"&", {"4", "5"}},
      {"[x[", {"0:x", "0:[", "5"}},
      // Trail bytes 0x5B "[" and 0x5C "\" stay inside their characters.
      {"\x81\x5B[\x81\x5B", {"0:\x81\x5B", "0:\x81\x5B", "5"}},
      {"\x83\x5C<a>\\\x95\x5C", {"0:\x83\x5C", "7", "0:\x95\x5C", "5"}},
      {"<\"\x81\x5B\x83\x5C\">", {"6", "5"}},
      {"<a\x83\x5C>b", {"7", "0:b", "5"}},
      {"\x83", {"0:\x83", "5"}},
      {"@@@12x@1234567890", {"0:@@", "0:@12", "0:x", "0:@1234567", "0:8", "0:9", "0:0", "5"}},
      {"a" + block + "\\b", {"0:a", "8", "0:b", "5"}},
      // A block whose length runs past the text, or does not cover its
      // own header, is damaged.
      {"a" + Block(10).substr(0, 9), {"0:a", "-1"}},
      {"a" + Block(7) + "zzzz", {"0:a", "-1"}},
      {"a[\0ab"s, {"0:a", "-1"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.text), c.tokens) << c.text;
}

TEST(MarkupTokenizerTest, TagAndQuotedRecords) {
  const std::string text = "<font size=3><\"\x83\x5C\x81\x5B\">";
  MarkupTag tag;
  std::string quoted;
  MarkupToken token = MarkupTextBase::ScanToken(text.data(), text.size(), 0, &quoted, &tag);
  ASSERT_EQ(token.kind, kTokenTag);
  EXPECT_EQ(tag.name, "font");
  EXPECT_EQ(tag.arguments, "size=3");
  token = MarkupTextBase::ScanToken(text.data(), text.size(), token.end, &quoted, &tag);
  ASSERT_EQ(token.kind, kTokenQuoted);
  EXPECT_EQ(quoted, "\x83\x5C\x81\x5B");
}

// Counts the read marks the tokenizer sets.
class CountingText : public MarkupTextBase {
 public:
  using MarkupTextBase::MarkupTextBase;
  bool IsPageRead(uint8_t, uint16_t) override { return marked > 0 && keepMarks; }
  void MarkPageRead(uint8_t markByte, uint16_t markNumber) override {
    ++marked;
    lastByte = markByte;
    lastNumber = markNumber;
  }
  void ResetCursor() override { ++resets; }
  int marked = 0;
  bool keepMarks = false;
  uint8_t lastByte = 0;
  uint16_t lastNumber = 0;
  int resets = 0;
};

int Set(MarkupTextBase& text, const std::string& record) {
  return text.SetText(reinterpret_cast<const uint8_t*>(record.data()), record.size());
}

TEST(MarkupTokenizerTest, StopsMarkThePageReadOnce) {
  CountingText text;
  EXPECT_EQ(text.NextToken(), kTokenBad);  // no text yet
  ASSERT_EQ(Set(text, "a$&b"), 0);
  text.SetReadMark(1, 77);
  EXPECT_EQ(text.NextToken(), kTokenCharacter);
  EXPECT_EQ(text.marked, 0);
  EXPECT_EQ(text.NextNonCharacterToken(), kTokenStop);
  EXPECT_EQ(text.marked, 1);
  EXPECT_EQ(text.lastByte, 1);
  EXPECT_EQ(text.lastNumber, 77);
  EXPECT_EQ(text.NextNonCharacterToken(), kTokenEnd);
  EXPECT_EQ(text.marked, 1);
  EXPECT_EQ(text.NextToken(), kTokenEnd);  // the end does not move
  EXPECT_EQ(text.NextTokenFrom(1), kTokenStop);
  EXPECT_EQ(text.ReadCursor(), 3u);

  ASSERT_EQ(Set(text, "<bad"), 0);
  EXPECT_EQ(text.NextToken(), kTokenBad);
  EXPECT_EQ(text.ReadCursor(), 0u);  // a malformed tag leaves the cursor
}

// Script memory with strings at known addresses.
struct Arena {
  ScriptAddressSpace space{1u << 20};
  uint32_t String(const std::string& text) {
    const uint32_t address = space.Allocate(text.size() + 1);
    EXPECT_TRUE(space.WriteBytes(address, text.c_str(), text.size() + 1));
    return address;
  }
  uint32_t Cell(uint32_t value) {
    const uint32_t address = space.Allocate(4);
    EXPECT_TRUE(space.Write32(address, value));
    return address;
  }
};

std::string Insert(uint8_t flag, uint32_t address) {
  std::string out = "%";
  out += char(flag);
  for (int i = 0; i < 4; ++i) out += char(address >> (8 * i));
  return out;
}

TEST(MarkupTextRecordTest, NameBodyAndInsertionsThroughScriptAddresses) {
  Arena arena;
  const uint32_t hero = arena.String("\x83\x5C\x83\x89");
  const uint32_t place = arena.String("town");
  const uint32_t cell = arena.Cell(place);
  MarkupTextBase text(&arena.space);
  const std::string record = "#Mr " + Insert(0, hero) + "$&" + "In " + Insert(1, cell) + Block(9) + "!<w>\\x";
  ASSERT_EQ(Set(text, record), 0);
  EXPECT_EQ(text.Name(), "Mr \x83\x5C\x83\x89");
  EXPECT_EQ(text.Body(), "In town" + Block(9) + "!<w>\\x");
  EXPECT_EQ(text.TextMode(), '#');

  // "[[" is an escaped "[": the block after it is still read whole.
  ASSERT_EQ(Set(text, "[[" + Block(10) + "x"), 0);
  EXPECT_EQ(text.Body(), "[[" + Block(10) + "x");
  EXPECT_EQ(text.NextToken(), kTokenCharacter);
  EXPECT_EQ(text.NextToken(), kTokenBlock);
  EXPECT_EQ(text.NextToken(), kTokenCharacter);
  EXPECT_EQ(text.NextToken(), kTokenEnd);

  // Without a name part the whole record is the body; it stops at its NUL.
  ASSERT_EQ(Set(text, "plain\0tail"s), 0);
  EXPECT_EQ(text.Name(), "");
  EXPECT_EQ(text.Body(), "plain");
}

TEST(MarkupTextRecordTest, BadAddressesAndDamagedRecordsAreRefused) {
  Arena arena;
  const uint32_t live = arena.String("ok");
  const uint32_t freed = arena.String("gone");
  const uint32_t cellToFreed = arena.Cell(freed);
  arena.space.Free(freed);  // nothing is allocated after: the block stays free
  MarkupTextBase text(&arena.space);
  ASSERT_EQ(Set(text, "before"), 0);
  const std::string refused[] = {
      Insert(0, freed),                        // stale: its block was freed
      Insert(1, cellToFreed),                  // a cell naming a stale string
      Insert(0, 0xFFFFFF00u),                  // outside the arena
      Insert(0, 16),                           // inside the guard
      Insert(1, live + 14),                    // a cell that runs out of its block
      "ab" + Insert(0, live).substr(0, 4),     // the value is cut short
      "ab" + Block(30).substr(0, 20),          // the block runs past the record
      "ab" + Block(5) + "zzzzzzzz",            // the block does not cover its header
  };
  for (const std::string& record : refused) {
    EXPECT_EQ(Set(text, record), MarkupTextBase::kRecordRefused) << record.size();
    EXPECT_EQ(text.Body(), "before");
  }
  MarkupTextBase detached;  // no script memory: insertions cannot resolve
  EXPECT_EQ(Set(detached, Insert(0, live)), MarkupTextBase::kRecordRefused);
  EXPECT_EQ(detached.SetText(nullptr, 4), MarkupTextBase::kRecordRefused);
  detached.textEnabled = false;
  EXPECT_EQ(Set(detached, "x"), -1);
}

TEST(MarkupTextRecordTest, ComponentsSplitOnBackslashesOutsidePairs) {
  MarkupTextBase text;
  EXPECT_EQ(text.GetComponent(0, nullptr, 0), 0u);
  ASSERT_EQ(Set(text, "ab\\\x83\x5C\x63\\" + Block(10) + "e[\\f"), 0);
  char buffer[32];
  struct Case {
    int32_t n;
    std::string part;
  };
  const Case cases[] = {{1, "ab"}, {2, "\x83\x5C\x63"}, {3, Block(10) + "e[\\f"}};
  for (const Case& c : cases) {
    EXPECT_EQ(text.GetComponent(c.n, nullptr, 0), c.part.size() + 1) << c.n;
    ASSERT_EQ(text.GetComponent(c.n, buffer, sizeof buffer), c.part.size() + 1);
    EXPECT_EQ(std::string(buffer, c.part.size()), c.part);
  }
  EXPECT_EQ(text.GetComponent(4, buffer, sizeof buffer), 0u);
  EXPECT_EQ(text.GetComponent(-1, buffer, sizeof buffer), 0u);
  EXPECT_EQ(text.GetComponent(0, nullptr, 0), text.Body().size() + 1);
  // A short buffer gets a cut, terminated copy; the length is the whole.
  EXPECT_EQ(text.GetComponent(2, buffer, 2), 4u);
  EXPECT_STREQ(buffer, "\x83");
}

// Item record: flag mode, flag base (u16), limit, count, then per item a
// record length, an insertion byte and the NUL-terminated text.
std::string ItemRecord(uint8_t mode, uint16_t base, uint8_t limit, const std::vector<std::string>& texts,
                       const std::vector<bool>& insertions = {}) {
  std::string out;
  out += char(mode);
  out += char(base & 0xFF);
  out += char(base >> 8);
  out += char(limit);
  out += char(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    out += char(texts[i].size() + 3);
    out += char(i < insertions.size() && insertions[i] ? 1 : 0);
    out += texts[i];
    out += '\0';
  }
  return out;
}

int SetItems(MarkupTextBase& text, const std::string& record) {
  return text.SetItems(reinterpret_cast<const uint8_t*>(record.data()), record.size());
}

TEST(MarkupTextItemsTest, AddItemLimits) {
  MarkupTextBase text;
  EXPECT_EQ(text.AddItem(nullptr), 1);
  EXPECT_EQ(text.AddItem(std::string(253, 'x').c_str()), 3);
  EXPECT_EQ(text.AddItem(std::string(252, 'x').c_str()), 0);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(text.AddItem("item"), 0);
  EXPECT_EQ(text.AddItem("ninth"), 2);
  EXPECT_EQ(text.ItemCount(), 8);
  text.acceptingItems = false;
  EXPECT_EQ(text.AddItem("x"), -1);
  EXPECT_EQ(SetItems(text, ItemRecord(0, 0, 2, {"a"})), -1);

  char buffer[8];
  EXPECT_EQ(text.CopyItem(1, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "item");
  EXPECT_EQ(text.CopyItem(0, buffer, sizeof buffer), 3);
  EXPECT_EQ(text.CopyItem(8, buffer, sizeof buffer), 1);
  EXPECT_EQ(text.CopyItem(-1, buffer, sizeof buffer), 1);
  EXPECT_EQ(text.GetItem(8), nullptr);
  ASSERT_EQ(text.SetItemCapacity(2), 0);
  EXPECT_EQ(text.ItemCount(), 0);
  EXPECT_EQ(text.ItemFlagMode(), MarkupTextBase::kNoItemFlags);
}

TEST(MarkupTextItemsTest, ItemRecordsWithInsertions) {
  Arena arena;
  const uint32_t name = arena.String("Ann");
  MarkupTextBase text(&arena.space);
  const std::string record = ItemRecord(1, 0x1234, 3, {"Go", "Ask " + Insert(0, name), "Stay"}, {false, true});
  ASSERT_EQ(SetItems(text, record), 0);
  EXPECT_EQ(text.ItemCount(), 3);
  EXPECT_STREQ(text.GetItem(0), "Go");
  EXPECT_STREQ(text.GetItem(1), "Ask Ann");
  EXPECT_STREQ(text.GetItem(2), "Stay");
  EXPECT_EQ(text.ItemFlagMode(), 1);
  EXPECT_EQ(text.ItemFlagBase(), 0x1234);
  EXPECT_EQ(text.ItemLimit(), 3);

  // The count is clamped to the capacity.
  ASSERT_EQ(text.SetItemCapacity(2), 0);
  ASSERT_EQ(SetItems(text, record), 0);
  EXPECT_EQ(text.ItemCount(), 2);
}

TEST(MarkupTextItemsTest, DamagedOrOverlongItemRecordsAreRefused) {
  Arena arena;
  const uint32_t longText = arena.String(std::string(250, 'y'));
  MarkupTextBase text(&arena.space);
  ASSERT_EQ(SetItems(text, ItemRecord(0, 0, 4, {"kept"})), 0);
  std::string pastEnd = ItemRecord(0, 0, 4, {"abc"});
  pastEnd[5] = char(40);  // record length past the end
  std::string noNul = ItemRecord(0, 0, 4, {"abc"});
  noNul.back() = 'd';
  std::string tooShort = ItemRecord(0, 0, 4, {"abc"});
  tooShort[5] = char(2);
  const std::string refused[] = {
      pastEnd, noNul, tooShort, "\0\0\0"s,
      // The resolved text would need a record longer than one byte counts.
      ItemRecord(0, 0, 4, {"abcd" + Insert(0, longText)}, {true}),
      ItemRecord(0, 0, 4, {Insert(0, 12)}, {true}),
  };
  for (const std::string& record : refused) {
    EXPECT_EQ(SetItems(text, record), MarkupTextBase::kRecordRefused);
    ASSERT_EQ(text.ItemCount(), 1);
    EXPECT_STREQ(text.GetItem(0), "kept");
  }
  // 248 characters resolved still fit: 248 + 4 = 252.
  ASSERT_EQ(SetItems(text, ItemRecord(0, 0, 4, {"ab" + Insert(0, longText)}, {true})), 0);
  EXPECT_EQ(std::strlen(text.GetItem(0)), 252u);
}

std::string Page(MarkupTextBase& text) { return text.Body(); }

TEST(MarkupTextHistoryTest, RingKeepsTheNewestPagesAndRecallsWithinBounds) {
  CountingText text;
  EXPECT_EQ(text.RecallFirst(), -1);
  ASSERT_EQ(text.SetHistoryCapacity(3), 0);
  ASSERT_EQ(Set(text, "p0"), 0);
  EXPECT_EQ(text.HistoryCount(), 0);  // history off: nothing stored
  text.historyEnabled = true;
  for (const char* page : {"p1", "p2", "p3", "p4"}) ASSERT_EQ(Set(text, page), 0);
  EXPECT_EQ(text.HistoryCount(), 3);
  EXPECT_EQ(text.RecallPosition(), 2);

  EXPECT_EQ(text.RecallNext(), -1);  // already at the newest
  EXPECT_EQ(text.RecallFirst(), 0);
  EXPECT_EQ(Page(text), "p2");  // p1 was the oldest and was dropped
  EXPECT_EQ(text.resets, 1);
  const uint64_t serial = text.PageSerial();
  EXPECT_EQ(text.RecallPrevious(), -1);
  EXPECT_EQ(Page(text), "p2");
  EXPECT_EQ(text.PageSerial(), serial);
  EXPECT_EQ(text.RecallPosition(), 0);
  EXPECT_EQ(text.RecallNext(), 0);
  EXPECT_EQ(Page(text), "p3");
  EXPECT_EQ(text.RecallLast(), 0);
  EXPECT_EQ(Page(text), "p4");
  EXPECT_EQ(text.RecallAt(-5), 0);
  EXPECT_EQ(Page(text), "p2");
  EXPECT_EQ(text.RecallAt(99), 0);
  EXPECT_EQ(Page(text), "p4");
  EXPECT_EQ(text.RecallRelative(-10), 0);
  EXPECT_EQ(Page(text), "p2");
  EXPECT_EQ(text.RecallRelative(1), 0);
  EXPECT_EQ(Page(text), "p3");
  EXPECT_EQ(text.RecallHistory(3), 1);

  ASSERT_EQ(text.SetHistoryCapacity(2), 0);
  EXPECT_EQ(text.HistoryCount(), 0);
  EXPECT_EQ(text.RecallRelative(0), -1);
}

TEST(MarkupTextHistoryTest, ItemsAreStoredWithTheirPageAndBlockLaterChanges) {
  Arena arena;
  const uint32_t name = arena.String("Bo");
  MarkupTextBase text(&arena.space);
  text.historyEnabled = true;
  ASSERT_EQ(text.SetHistoryCapacity(4), 0);
  ASSERT_EQ(Set(text, "question"), 0);
  ASSERT_EQ(SetItems(text, ItemRecord(0, 9, 2, {"Yes " + Insert(0, name), "No"}, {true})), 0);
  EXPECT_EQ(SetItems(text, ItemRecord(0, 0, 2, {"again"})), -2);
  EXPECT_EQ(text.AddItem("more"), -2);
  ASSERT_EQ(Set(text, "next"), 0);
  text.ClearItems();
  EXPECT_EQ(text.StoreItemsInHistory(), 0);
  EXPECT_EQ(text.StoreItemsInHistory(), 1);

  ASSERT_EQ(text.RecallFirst(), 0);
  EXPECT_EQ(Page(text), "question");
  ASSERT_EQ(text.ItemCount(), 2);
  EXPECT_STREQ(text.GetItem(0), "Yes Bo");
  EXPECT_STREQ(text.GetItem(1), "No");
  EXPECT_EQ(text.ItemFlagBase(), 9);
  ASSERT_EQ(text.RecallNext(), 0);
  EXPECT_EQ(text.ItemCount(), 0);
  EXPECT_EQ(text.ItemFlagMode(), MarkupTextBase::kNoItemFlags);

  text.historyEnabled = false;
  EXPECT_EQ(text.StoreItemsInHistory(), -1);
  EXPECT_EQ(text.PushHistory(), -1);
}

TEST(MarkupTextHistoryTest, SavedStateRoundTripsAndDamageIsRefused) {
  MarkupTextBase text;
  text.historyEnabled = true;
  ASSERT_EQ(text.SetHistoryCapacity(3), 0);
  for (const char* page : {"one", "two", "three", "four"}) ASSERT_EQ(Set(text, page), 0);
  ASSERT_EQ(text.AddItem("pick"), 0);
  ASSERT_EQ(text.StoreItemsInHistory(), 0);
  ASSERT_EQ(text.RecallAt(1), 0);
  std::vector<uint8_t> state(text.GetStateSize());
  ByteWriter writer(state.data(), state.size());
  ASSERT_EQ(text.SaveState(writer), 0);
  EXPECT_EQ(writer.Position(), state.size());

  MarkupTextBase restored;
  ASSERT_EQ(restored.SetHistoryCapacity(2), 0);  // smaller: keeps the newest two
  SobCursor cursor(state.data(), state.size());
  ASSERT_EQ(restored.LoadState(cursor), 0);
  EXPECT_EQ(restored.HistoryCount(), 2);
  EXPECT_EQ(restored.RecallPosition(), 0);
  ASSERT_EQ(restored.RecallLast(), 0);
  EXPECT_EQ(Page(restored), "four");
  ASSERT_EQ(restored.ItemCount(), 1);
  EXPECT_STREQ(restored.GetItem(0), "pick");
  ASSERT_EQ(restored.RecallFirst(), 0);
  EXPECT_EQ(Page(restored), "three");

  for (size_t cut = 0; cut < state.size(); cut += 3) {
    SobCursor shortCursor(state.data(), cut);
    EXPECT_EQ(restored.LoadState(shortCursor), 1) << cut;
  }
  std::vector<uint8_t> badItems = state;
  // The first entry's item count claims an item its empty list lacks.
  badItems[4 + 9] = 1;
  SobCursor badCursor(badItems.data(), badItems.size());
  EXPECT_EQ(restored.LoadState(badCursor), 1);
  EXPECT_EQ(restored.HistoryCount(), 0);
}

TEST(ScriptAddressSpaceLiveTest, LiveBytesFollowTheBlocks) {
  ScriptAddressSpace space(1u << 20);
  const uint32_t a = space.Allocate(20);  // rounded to 32
  const uint32_t b = space.Allocate(16);
  EXPECT_EQ(space.LiveBytesAt(a), 32u);
  EXPECT_EQ(space.LiveBytesAt(a + 31), 1u);
  EXPECT_EQ(space.LiveBytesAt(b), 16u);
  EXPECT_EQ(space.LiveBytesAt(b + 16), 0u);
  EXPECT_EQ(space.LiveBytesAt(8), 0u);
  space.Free(a);
  EXPECT_EQ(space.LiveBytesAt(a + 4), 0u);
  ASSERT_TRUE(space.WriteBytes(b, "0123456789abcdef", 16));
  std::string out;
  EXPECT_FALSE(space.ReadLiveString(b, out));  // no NUL inside its block
}

}  // namespace
}  // namespace orrivel
