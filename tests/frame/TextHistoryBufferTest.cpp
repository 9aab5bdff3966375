#include "frame/TextHistoryBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/ByteWriter.h"

namespace orrivel {
namespace {

int32_t AddText(TextHistoryBuffer& history, const std::string& text, const char* name = "", const char* voice = "",
                uint8_t group = 0) {
  return history.AddEntry(reinterpret_cast<const uint8_t*>(text.data()), uint32_t(text.size()), 30, name, voice,
                          group);
}

std::vector<uint32_t> Serials(const TextHistoryBuffer& history) {
  std::vector<uint32_t> serials;
  for (int32_t i = 0; i < history.Count(); ++i) serials.push_back(history.GetEntry(i)->serial);
  return serials;
}

std::vector<uint8_t> SaveAll(const TextHistoryBuffer& history, uint32_t first, uint32_t last) {
  std::vector<uint8_t> bytes(size_t(history.GetSaveSize(first, last)));
  ByteWriter writer(bytes.data(), bytes.size());
  EXPECT_EQ(history.Save(&writer, first, last), 0);
  EXPECT_EQ(writer.Position(), bytes.size());
  return bytes;
}

SceneSlotSource Slot(const char* name, uint32_t order, int32_t spriteId = 1) {
  SceneSlotSource slot;
  slot.spriteId = spriteId;
  slot.order = order;
  slot.baseX = 100;
  slot.baseY = 20;
  slot.sprite.name = name;
  slot.sprite.x = 640;
  slot.sprite.y = 720;
  slot.sprite.alpha = 200;
  slot.sprite.zoom = 1.5f;
  slot.sprite.angle = 30;
  return slot;
}

// One of each kind: a named voiced page, a choice of three with one
// disabled, and a scene with sprites in all three groups.
void FillMixed(TextHistoryBuffer& history) {
  ASSERT_EQ(AddText(history, "first page", "Aki", "V0001", 3), 0);
  ASSERT_EQ(history.BeginChoices(3), 0);
  ASSERT_EQ(history.AddChoice("go left", true), 0);
  ASSERT_EQ(history.AddChoice("go right", false), 0);
  ASSERT_EQ(history.AddChoice("stay", true), 0);
  uint32_t serial = 0;
  ASSERT_EQ(history.EndChoices(&serial), 0);
  ASSERT_EQ(history.SetChoiceTaken(serial, 2), 0);
  SceneLayerSource layer;
  layer.name = "BG/ROOM";
  layer.state.colour = 0xFF102030;
  layer.state.colourMode = 2;
  layer.state.cinemaBars = 1;
  layer.state.rotationScale = 0.75f;
  const std::vector<SceneSlotSource> characters = {Slot("CH_A", 20000), Slot("CH_B", 20100), Slot("", 20200),
                                                   Slot("CH_GONE", 20300, -1)};
  const std::vector<SceneSlotSource> second = {Slot("BACK", 10000)};
  const std::vector<SceneSlotSource> third = {Slot("FRONT", 30000)};
  ASSERT_EQ(history.AddSceneEntry(&layer, characters, second, third), 0);
  ASSERT_EQ(AddText(history, "no name"), 0);
}

TEST(TextHistoryBufferTest, RingKeepsTheNewestEntriesInOrder) {
  TextHistoryBuffer history;
  EXPECT_EQ(AddText(history, "x"), 2);  // history off
  EXPECT_EQ(history.BeginChoices(1), 2);
  SceneLayerSource layer;
  EXPECT_EQ(history.AddSceneEntry(&layer, {}, {}, {}), 2);
  EXPECT_EQ(history.AddEntry(nullptr, 0, 0, "", "", 0), 1);
  EXPECT_EQ(history.AddSceneEntry(nullptr, {}, {}, {}), 1);
  EXPECT_EQ(history.GetEntry(0), nullptr);

  history.SetCapacity(3);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(AddText(history, "page " + std::to_string(i)), 0);
  EXPECT_EQ(Serials(history), (std::vector<uint32_t>{2, 3, 4}));
  EXPECT_EQ(history.GetEntry(0)->serial, 2u);
  EXPECT_EQ(history.GetEntry(-1), nullptr);
  EXPECT_EQ(history.GetEntry(3), nullptr);

  TextHistoryBuffer five;
  five.SetCapacity(5);
  for (int i = 0; i < 7; ++i) ASSERT_EQ(AddText(five, "p"), 0);  // full and wrapped
  five.SetCapacity(2);
  EXPECT_EQ(Serials(five), (std::vector<uint32_t>{5, 6}));
  ASSERT_EQ(AddText(five, "p"), 0);
  EXPECT_EQ(Serials(five), (std::vector<uint32_t>{6, 7}));
  five.SetCapacity(4);  // growing keeps all
  EXPECT_EQ(Serials(five), (std::vector<uint32_t>{6, 7}));

  five.Clear();
  EXPECT_EQ(five.Count(), 0);
  EXPECT_EQ(five.Capacity(), 4);
  ASSERT_EQ(AddText(five, "p"), 0);
  EXPECT_EQ(five.GetEntry(0)->serial, 8u);  // the serial counter stays
  five.SetCapacity(0);
  EXPECT_EQ(five.Count(), 0);
  EXPECT_EQ(AddText(five, "p"), 2);
}

TEST(TextHistoryBufferTest, ChoiceEntriesOpenFillAndClose) {
  TextHistoryBuffer history;
  history.SetCapacity(4);
  uint32_t serial = 99;
  EXPECT_EQ(history.AddChoice("a", true), 2);
  EXPECT_EQ(history.EndChoices(&serial), 1);
  EXPECT_EQ(history.BeginChoices(0), 1);
  ASSERT_EQ(history.BeginChoices(2), 0);
  EXPECT_EQ(history.BeginChoices(2), 3);
  EXPECT_EQ(history.EndChoices(&serial), 1);  // nothing added: stays open
  EXPECT_TRUE(history.ChoiceOpen());
  EXPECT_EQ(history.AddChoice(nullptr, true), 1);
  EXPECT_EQ(history.AddChoice("a", true), 0);
  EXPECT_EQ(history.AddChoice("b", false), 0);
  EXPECT_EQ(history.AddChoice("c", true), 3);
  EXPECT_EQ(history.EndChoices(&serial), 0);
  EXPECT_EQ(serial, 0u);
  EXPECT_FALSE(history.ChoiceOpen());
  const HistoryChoiceRecord* record = history.GetEntry(0)->Choices();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->selected, -1);
  ASSERT_EQ(record->choices.size(), 2u);
  EXPECT_FALSE(record->choices[1].enabled);
  EXPECT_EQ(history.SetChoiceTaken(serial, 1), 0);
  EXPECT_EQ(record->selected, 1);
}

// The player takes a choice after the ring changed under the closed entry.
TEST(TextHistoryBufferTest, TakenChoiceReachesItsEntryOnlyWhileItIsKept) {
  struct Case {
    const char* what;
    int32_t newCapacity;
    int32_t pagesAfter;
    bool kept;
  };
  const Case cases[] = {
      {"ring unchanged", 4, 0, true},
      {"grown ring moves the entry", 8, 0, true},
      {"shrunk ring keeps it as newest", 1, 0, true},
      {"shrunk ring then a page drops it", 1, 1, false},
      {"history switched off", 0, 0, false},
      {"pages push it out", 4, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextHistoryBuffer history;
    history.SetCapacity(4);
    ASSERT_EQ(AddText(history, "before"), 0);
    ASSERT_EQ(AddText(history, "before"), 0);
    ASSERT_EQ(history.BeginChoices(1), 0);
    ASSERT_EQ(history.AddChoice("only", true), 0);
    uint32_t serial = 0;
    ASSERT_EQ(history.EndChoices(&serial), 0);
    history.SetCapacity(c.newCapacity);
    for (int i = 0; i < c.pagesAfter; ++i) AddText(history, "after");
    EXPECT_EQ(history.SetChoiceTaken(serial, 0), c.kept ? 0 : 1);
    const TextHistoryEntry* entry = history.FindSerial(serial);
    ASSERT_EQ(entry != nullptr, c.kept);
    if (entry) {
      EXPECT_EQ(entry->Choices()->selected, 0);
    }
    for (int32_t i = 0; i < history.Count(); ++i)
      if (const auto* other = history.GetEntry(i)->Choices(); other && history.GetEntry(i)->serial != serial)
        ADD_FAILURE() << "another choice entry";
  }
  // A capacity change while the entry is still open closes it.
  TextHistoryBuffer open;
  open.SetCapacity(3);
  ASSERT_EQ(open.BeginChoices(2), 0);
  ASSERT_EQ(open.AddChoice("a", true), 0);
  open.SetCapacity(5);
  EXPECT_FALSE(open.ChoiceOpen());
  EXPECT_EQ(open.AddChoice("b", true), 2);
  // And so does the ring dropping it.
  TextHistoryBuffer tiny;
  tiny.SetCapacity(1);
  ASSERT_EQ(tiny.BeginChoices(2), 0);
  ASSERT_EQ(AddText(tiny, "page"), 0);
  EXPECT_EQ(tiny.AddChoice("a", true), 2);
  EXPECT_EQ(tiny.BeginChoices(1), 0);
}

TEST(TextHistoryBufferTest, SceneEntryKeepsVisibleSpritesFrontGroupFirst) {
  TextHistoryBuffer history;
  history.SetCapacity(2);
  SceneLayerSource layer;
  layer.name = "BG01";
  std::vector<SceneSlotSource> characters;
  for (uint32_t i = 0; i < 7; ++i) characters.push_back(Slot(("C" + std::to_string(i)).c_str(), 20000 + 100 * i));
  const std::vector<SceneSlotSource> second = {Slot("S0", 10000), Slot("S1", 10100), Slot("S2", 10200),
                                               Slot("S3", 10300)};
  const std::vector<SceneSlotSource> third = {Slot("T0", 30000), Slot("T1", 30100, -1)};
  ASSERT_EQ(history.AddSceneEntry(&layer, characters, second, third), 0);
  const HistorySceneRecord* scene = history.GetEntry(0)->Scene();
  ASSERT_NE(scene, nullptr);
  std::vector<std::string> names;
  for (const auto& item : scene->items) names.push_back(item.name);
  EXPECT_EQ(names, (std::vector<std::string>{"T0", "C6", "C5", "C4", "C3", "C2", "S3", "S2", "S1"}));
  EXPECT_EQ(scene->items[0].x, 540);  // slot position less its base
  EXPECT_EQ(scene->items[0].y, 700);
  EXPECT_EQ(scene->items[0].alpha, 200);
}

TEST(TextHistoryBufferTest, SaveSizeMatchesWrittenBytesAndRoundTrips) {
  TextHistoryBuffer history;
  history.SetCapacity(8);
  FillMixed(history);
  // Each length byte counts the string's zero.
  const uint64_t text = 4 + 6 + 10 + 12;
  const uint64_t choices = 9 + (7 + 3) + (8 + 3) + (4 + 3);
  const uint64_t scene = 8 + 47 + (5 + 38) + (4 + 38) + (4 + 38) + (4 + 38);
  const uint64_t plain = 0 + 0 + 7 + 12;
  EXPECT_EQ(history.GetSaveSize(0, 3), 4 + text + choices + scene + plain);
  EXPECT_EQ(history.GetSaveSize(1, 2), 4 + choices + scene);
  EXPECT_EQ(history.GetSaveSize(9, 20), 4u);

  // A page stored with no text bytes (a page of commands only) comes back.
  ASSERT_EQ(AddText(history, "", "Mio"), 0);
  EXPECT_EQ(history.GetSaveSize(4, 4), 4 + 4 + 0 + 12u);

  const std::vector<uint8_t> bytes = SaveAll(history, history.OldestSerial(), history.NewestSerial());
  TextHistoryBuffer restored;
  restored.SetCapacity(8);
  ByteCursor reader(bytes.data(), bytes.size());
  ASSERT_EQ(restored.Load(&reader, true), 0);
  EXPECT_EQ(reader.Remaining(), 0u);
  ASSERT_EQ(restored.Count(), 5);
  EXPECT_EQ(Serials(restored), (std::vector<uint32_t>{0, 1, 2, 3, 4}));
  const HistoryTextRecord* page = restored.GetEntry(0)->Text();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->name, "Aki");
  EXPECT_EQ(page->voice, "V0001");
  EXPECT_EQ(std::string(page->text.begin(), page->text.end()), "first page");
  EXPECT_EQ(page->lineHeight, 30);
  EXPECT_EQ(page->group, 3);
  const HistoryChoiceRecord* choice = restored.GetEntry(1)->Choices();
  ASSERT_NE(choice, nullptr);
  EXPECT_EQ(choice->selected, 2);
  ASSERT_EQ(choice->choices.size(), 3u);
  EXPECT_EQ(choice->choices[1].text, "go right");
  EXPECT_FALSE(choice->choices[1].enabled);
  const HistorySceneRecord* scene2 = restored.GetEntry(2)->Scene();
  ASSERT_NE(scene2, nullptr);
  EXPECT_EQ(scene2->background, "BG/ROOM");
  EXPECT_EQ(scene2->state.colour, 0xFF102030u);
  EXPECT_EQ(scene2->state.colourMode, 2);
  EXPECT_EQ(scene2->state.rotationScale, 0.75f);
  ASSERT_EQ(scene2->items.size(), 4u);
  EXPECT_EQ(scene2->items[0].name, "FRONT");
  EXPECT_EQ(scene2->items[1].name, "CH_B");
  EXPECT_EQ(scene2->items[1].zoom, 1.5f);
  EXPECT_EQ(scene2->items[3].name, "BACK");
  EXPECT_EQ(restored.GetEntry(3)->Text()->name, "");
  const HistoryTextRecord* empty = restored.GetEntry(4)->Text();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->name, "Mio");
  EXPECT_TRUE(empty->text.empty());
  // The restored block saves to the same bytes.
  EXPECT_EQ(SaveAll(restored, 0, 4), bytes);
}

TEST(TextHistoryBufferTest, SerialRangeSavesTheLastEntriesAndLoadCanReadPast) {
  TextHistoryBuffer history;
  history.SetCapacity(5);
  for (int i = 0; i < 7; ++i) ASSERT_EQ(AddText(history, "page" + std::to_string(i)), 0);
  std::vector<uint8_t> bytes = SaveAll(history, 4, 6);
  uint32_t count = 0;
  std::memcpy(&count, bytes.data(), 4);
  EXPECT_EQ(count, 3u);
  bytes.push_back(0xAB);  // what follows the block in a save

  ByteCursor reader(bytes.data(), bytes.size());
  EXPECT_EQ(history.Load(&reader, false), 0);
  EXPECT_EQ(history.Count(), 0);
  EXPECT_EQ(reader.Remaining(), 1u);
  EXPECT_EQ(history.Load(nullptr, true), 1);

  // A never-taken choice goes out as -1; without a ring nothing is saved.
  TextHistoryBuffer choices;
  choices.SetCapacity(2);
  ASSERT_EQ(choices.BeginChoices(1), 0);
  ASSERT_EQ(choices.AddChoice("x", true), 0);
  ASSERT_EQ(choices.EndChoices(nullptr), 0);
  const std::vector<uint8_t> saved = SaveAll(choices, 0, 0);
  ASSERT_EQ(saved.size(), 4u + 9 + 4);
  EXPECT_EQ(saved[4], 1);
  EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 9, saved.begin() + 13), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  TextHistoryBuffer none;
  EXPECT_EQ(none.GetSaveSize(0, 100), 0u);
  uint8_t room[8];
  ByteWriter writer(room, sizeof room);
  EXPECT_EQ(none.Save(&writer, 0, 100), 1);
  EXPECT_EQ(choices.Save(nullptr, 0, 0), 1);
  ByteWriter small(room, 6);
  EXPECT_EQ(choices.Save(&small, 0, 0), 2);
}

// Long names and choice texts are cut where a character ends, so the
// saved length byte never wraps.
TEST(TextHistoryBufferTest, LongStringsAreCutOnACharacterBoundary) {
  std::string name(253, 'n');
  name += "\x82\xA0";  // a two-byte character across the 254-byte limit
  name += std::string(45, 'z');
  std::string choice(252, 'c');
  choice += "\x93\xFA";
  TextHistoryBuffer history;
  history.SetCapacity(4);
  ASSERT_EQ(AddText(history, "t", name.c_str(), name.c_str()), 0);
  ASSERT_EQ(history.BeginChoices(1), 0);
  ASSERT_EQ(history.AddChoice(choice.c_str(), true), 0);
  ASSERT_EQ(history.EndChoices(nullptr), 0);
  EXPECT_EQ(history.GetEntry(0)->Text()->name, std::string(253, 'n'));
  EXPECT_EQ(history.GetEntry(1)->Choices()->choices[0].text, std::string(252, 'c'));

  const std::vector<uint8_t> bytes = SaveAll(history, 0, 1);
  EXPECT_EQ(bytes[5], 254);  // 253 bytes and the zero
  TextHistoryBuffer restored;
  restored.SetCapacity(4);
  ByteCursor reader(bytes.data(), bytes.size());
  ASSERT_EQ(restored.Load(&reader, true), 0);
  EXPECT_EQ(restored.GetEntry(0)->Text()->voice, std::string(253, 'n'));
  EXPECT_EQ(restored.GetEntry(1)->Choices()->choices[0].text, std::string(252, 'c'));
  EXPECT_EQ(CutHistoryString(nullptr, 4), "");
  EXPECT_EQ(CutHistoryString("ab\x82\xA0", 3), "ab");
}

std::vector<uint8_t> Block(std::initializer_list<uint8_t> bytes) { return bytes; }

// A scene entry with no background that claims five items and holds the
// start of one.
std::vector<uint8_t> SceneWithItems() {
  std::vector<uint8_t> block = {1, 0, 0, 0, 2, 0};
  block.resize(block.size() + 44, 0);
  block.insert(block.end(), {5, 2, 'a', 0});
  return block;
}

TEST(TextHistoryBufferTest, DamagedBlocksAreRefusedWithoutReadingOutside) {
  struct Case {
    const char* what;
    std::vector<uint8_t> block;
  };
  const Case cases[] = {
      {"unknown kind", Block({1, 0, 0, 0, 7})},
      {"count past the data", Block({2, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'x', 4, 0, 0, 0, 0})},
      {"name past the data", Block({1, 0, 0, 0, 0, 9, 'a', 'b'})},
      {"text length past the data", Block({1, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 'a', 'b'})},
      {"text without its height", Block({1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'a', 1})},
      {"choice count past the data", Block({1, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 3, 1, 'a', 0})},
      {"choice text past the data", Block({1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 40, 1, 'a'})},
      {"empty choice string", Block({1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0})},
      {"scene items past the data", SceneWithItems()},
      {"truncated count", Block({1, 0})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextHistoryBuffer history;
    history.SetCapacity(4);
    ASSERT_EQ(AddText(history, "kept before"), 0);
    // Exactly the block's bytes on the heap, so a read past them trips ASan.
    std::vector<uint8_t> exact(c.block);
    ByteCursor reader(exact.data(), exact.size());
    EXPECT_EQ(history.Load(&reader, true), TextHistoryBuffer::kDamaged);
    EXPECT_EQ(history.Count(), 0);
  }
  // A valid first entry followed by a damaged one still refuses the block.
  TextHistoryBuffer good;
  good.SetCapacity(4);
  ASSERT_EQ(AddText(good, "ok"), 0);
  std::vector<uint8_t> bytes = SaveAll(good, 0, 0);
  bytes[0] = 2;
  bytes.push_back(9);
  TextHistoryBuffer restored;
  restored.SetCapacity(4);
  ByteCursor reader(bytes.data(), bytes.size());
  EXPECT_EQ(restored.Load(&reader, true), TextHistoryBuffer::kDamaged);
  EXPECT_EQ(restored.Count(), 0);
}

}  // namespace
}  // namespace orrivel
