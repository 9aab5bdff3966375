#include "frame/TextHistoryPage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orrivel {
namespace {

constexpr int32_t kPitch = 30;

void Page(TextHistoryBuffer& history, int32_t height, const char* name, const char* voice, uint8_t group) {
  const std::string text = "text";
  ASSERT_EQ(history.AddEntry(reinterpret_cast<const uint8_t*>(text.data()), uint32_t(text.size()), height, name,
                             voice, group),
            0);
}

void Scene(TextHistoryBuffer& history, const char* background) {
  SceneLayerSource layer;
  layer.name = background;
  ASSERT_EQ(history.AddSceneEntry(&layer, {}, {}, {}), 0);
}

void Choices(TextHistoryBuffer& history, int32_t taken) {
  ASSERT_EQ(history.BeginChoices(3), 0);
  ASSERT_EQ(history.AddChoice("a", true), 0);
  ASSERT_EQ(history.AddChoice("b", false), 0);
  ASSERT_EQ(history.AddChoice("c", true), 0);
  uint32_t serial = 0;
  ASSERT_EQ(history.EndChoices(&serial), 0);
  if (taken >= 0) history.SetChoiceTaken(serial, taken);
}

TextHistoryPageMetrics Metrics() {
  TextHistoryPageMetrics metrics;
  metrics.pitch = kPitch;
  return metrics;
}

std::vector<TextHistoryDrawItem::Kind> Kinds(const TextHistoryPagePlan& plan) {
  std::vector<TextHistoryDrawItem::Kind> kinds;
  for (const auto& item : plan.items) kinds.push_back(item.kind);
  return kinds;
}

TEST(TextHistoryPageTest, EmptyHistoryHasOnlyTheMargin) {
  TextHistoryBuffer history;
  history.SetCapacity(4);
  TextHistoryPage page(history, Metrics());
  EXPECT_EQ(page.ScrollRange(), TextHistoryPage::kRangeMargin);
  EXPECT_EQ(page.EndPosition(), 0);
  const TextHistoryPagePlan plan = page.Plan(0);
  EXPECT_TRUE(plan.items.empty());
  EXPECT_TRUE(plan.lines.empty());
}

// Voiced blocks get a line control with the first voice of the block and
// the scene recorded after it; unvoiced blocks get none.
TEST(TextHistoryPageTest, BlocksNamesChoicesAndLineControls) {
  TextHistoryBuffer history;
  history.SetCapacity(16);
  Page(history, 50, "Aki", "", 7);     // 0: block A opens, no voice yet
  Page(history, 40, "", "V_A2", 7);    // 1: block A's voice
  Scene(history, "BG_A");              // 2: scene of block A
  Page(history, 40, "", "V_A3", 7);    // 3: still block A (second voice ignored)
  Page(history, 60, "Ren", "", 0);     // 4: own block, no voice
  Choices(history, 2);                 // 5
  Page(history, 20, "", "V_C", 0);     // 6: voiced, scene found further on
  Page(history, 20, "", "", 0);        // 7
  Scene(history, "BG_C");              // 8
  TextHistoryPage page(history, Metrics());

  const int32_t heights = (30 + 50) + 40 + 40 + (30 + 60) + 3 * kPitch + 20 + 20;
  EXPECT_EQ(page.ScrollRange(), 10 + heights + 7 * 12);
  EXPECT_EQ(page.EndPosition(), 0);

  const TextHistoryPagePlan plan = page.Plan(0);
  using K = TextHistoryDrawItem::Kind;
  EXPECT_EQ(Kinds(plan), (std::vector<K>{K::kName, K::kText, K::kText, K::kText, K::kSeparator, K::kName, K::kText,
                                         K::kSeparator, K::kChoice, K::kChoice, K::kChoice, K::kSeparator, K::kText,
                                         K::kSeparator, K::kText}));
  EXPECT_EQ(plan.items[0].y, 0);
  EXPECT_EQ(plan.items[1].y, kPitch);
  EXPECT_EQ(plan.items[2].y, 80 + 12);
  const int32_t blockAEnd = 80 + 12 + 40 + 12 + 40;
  EXPECT_EQ(plan.items[4].y, blockAEnd + 5);
  const TextHistoryDrawItem* choice = &plan.items[8];
  EXPECT_EQ(choice[0].colour, TextHistoryPage::kChoiceColour);
  EXPECT_EQ(choice[1].colour, TextHistoryPage::kDisabledColour);
  EXPECT_EQ(choice[2].colour, TextHistoryPage::kTakenColour);
  EXPECT_EQ(choice[1].y - choice[0].y, kPitch);

  ASSERT_EQ(plan.lines.size(), 2u);
  EXPECT_EQ(plan.lines[0].top, 0);
  EXPECT_EQ(plan.lines[0].height, blockAEnd);
  EXPECT_EQ(plan.lines[0].voice, "V_A2");
  EXPECT_EQ(plan.lines[0].sceneEntry, 2);
  EXPECT_EQ(plan.lines[1].voice, "V_C");
  EXPECT_EQ(plan.lines[1].height, 20);
  EXPECT_EQ(plan.lines[1].sceneEntry, 8);
  EXPECT_EQ(TextHistoryPage::NameLine("Aki"), "\x81\x79" "Aki" "\x81\x7A");

  // A choice never taken shows only white and grey.
  TextHistoryBuffer untaken;
  untaken.SetCapacity(2);
  Choices(untaken, -1);
  for (const auto& item : TextHistoryPage(untaken, Metrics()).Plan(0).items)
    EXPECT_NE(item.colour, TextHistoryPage::kTakenColour);
}

// A long history: nothing starts below the visible height, at most 16 line
// controls, and a scrolled position skips the entries above it.
TEST(TextHistoryPageTest, ListStaysInsideTheVisibleArea) {
  TextHistoryBuffer history;
  history.SetCapacity(256);
  for (int i = 0; i < 40; ++i) Page(history, 25, "", "V", 0);
  Page(history, 5000, "Long", "V_END", 0);  // far taller than the list
  TextHistoryPage page(history, Metrics());
  EXPECT_EQ(page.EndPosition(), page.ScrollRange() - 636);

  for (int32_t position : {0, 100, 37 * 5, page.EndPosition() - 2000, page.EndPosition()}) {
    SCOPED_TRACE(position);
    const TextHistoryPagePlan plan = page.Plan(position);
    ASSERT_FALSE(plan.items.empty());
    EXPECT_LE(plan.lines.size(), 16u);
    for (const auto& item : plan.items) {
      EXPECT_LT(item.y, 636);
      EXPECT_GT(item.y + (item.kind == TextHistoryDrawItem::kText ? 5000 : kPitch), 0);
    }
    for (const auto& line : plan.lines) {
      EXPECT_GE(line.top, 0);
      EXPECT_LE(line.top + line.height, 636);
      EXPECT_GT(line.height, 0);
    }
  }
  // 16 voiced blocks of 25 + 12 fill 592 pixels: the 17th gets no control.
  EXPECT_EQ(page.Plan(0).lines.size(), 16u);
  // Scrolled by one entry and a bit: the first drawn text starts above 0.
  const TextHistoryPagePlan scrolled = page.Plan(37 + 10);
  EXPECT_EQ(scrolled.items[0].entry, 1);
  EXPECT_EQ(scrolled.items[0].y, -10);
  EXPECT_EQ(scrolled.lines[0].top, 0);
  EXPECT_EQ(scrolled.lines[0].height, 15);
  // At the end: the tall entry's name and text, and its control clipped.
  const TextHistoryPagePlan end = page.Plan(page.EndPosition());
  EXPECT_EQ(end.items.back().entry, 40);
  EXPECT_EQ(end.lines.back().voice, "V_END");
  EXPECT_EQ(end.lines.back().top + end.lines.back().height, 636 - TextHistoryPage::kRangeMargin - 12);
  const TextHistoryPagePlan middle = page.Plan(page.EndPosition() - 2000);
  EXPECT_EQ(middle.lines.back().top, 0);
  EXPECT_EQ(middle.lines.back().height, 636);
}

}  // namespace
}  // namespace orrivel
