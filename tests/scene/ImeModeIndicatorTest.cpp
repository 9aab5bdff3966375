// The input-method mode label: the label table, redrawing only on a change
// (or a forced one), the size for four full-width characters, and where
// the sprite stands with and without right alignment.
#include "scene/ImeModeIndicator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TextEntryTestSupport.h"

namespace orrivel {
namespace {

using Labels = std::vector<std::string>;

Labels AsStrings(const std::vector<const char*>& labels) { return Labels(labels.begin(), labels.end()); }

TEST(ImeModeLabelsTest, TheLabelTable) {
  using namespace ime_mode;
  struct Case {
    bool open;
    uint32_t conversion, sentence;
    Labels labels;
  };
  const Case cases[] = {
      {false, kNative | kFullShape | kRoman, kPhrasePredict, {"英数"}},
      {true, kNoConversion | kNative | kFullShape, 0, {"英数"}},
      {true, kNative | kFullShape | kRoman, kPhrasePredict, {"Ｒ", "全", "ひ", "連"}},
      {true, kNative | kKatakana | kFullShape, kPluralClause, {"全", "カ", "複"}},
      {true, 0, kSingleConvert, {"半", "英", "単"}},
      {true, kNative, kAutomatic, {"半", "ひ", "自"}},
      {true, kFullShape, kPhrasePredict | kPluralClause | kAutomatic, {"全", "英", "連"}},
      {true, kNative | kFullShape, kPluralClause | kSingleConvert, {"全", "ひ", "複"}},
      {true, kAssumedConversion, kAssumedSentence, {"全", "ひ"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.open << " " << c.conversion << " " << c.sentence);
    EXPECT_EQ(AsStrings(ImeModeLabels(c.open, c.conversion, c.sentence)), c.labels);
  }
}

class ImeModeIndicatorTest : public test::TextEntryFixture {};

TEST_F(ImeModeIndicatorTest, DrawsWhatTheInputMethodSaysOnlyWhenItChanges) {
  ImeModeIndicator indicator;
  ASSERT_EQ(hook.Ime().SetOpen(false), 0);
  fakeIme.conversion = ime_mode::kNative | ime_mode::kFullShape | ime_mode::kRoman;
  fakeIme.sentence = ime_mode::kPhrasePredict;
  ASSERT_EQ(indicator.Create(&list, &hook.Ime(), &font, 100, 50, false, 7), 0);
  // Four full-width cells of the font's height (no outline on this font).
  EXPECT_EQ(indicator.GetWidth(), 40);
  EXPECT_EQ(indicator.GetHeight(), 10);
  EXPECT_FALSE(indicator.Sprite().IsVisible());
  EXPECT_EQ(AsStrings(indicator.ShownLabels()), (Labels{"英数"}));
  EXPECT_EQ(font.texts, (Labels{test::Sjis("英数")}));

  font.texts.clear();
  indicator.Draw();  // nothing changed
  EXPECT_TRUE(font.texts.empty());

  ASSERT_EQ(hook.Ime().SetOpen(true), 0);
  indicator.Draw();
  EXPECT_EQ(AsStrings(indicator.ShownLabels()), (Labels{"Ｒ", "全", "ひ", "連"}));
  EXPECT_EQ(font.texts, (Labels{test::Sjis("Ｒ"), test::Sjis("全"), test::Sjis("ひ"), test::Sjis("連")}));
  // Labels follow one another: each block starts where the previous ended.
  Surface& s = indicator.OwnSurface();
  for (int x : {0, 12, 24, 36}) EXPECT_EQ(test::Pixel32(s, x, 0) & 0xFFFFFF, 0xFFFFFFu) << x;
  EXPECT_EQ(test::Pixel32(s, 11, 0), 0u);

  font.texts.clear();
  fakeIme.sentence = 0;
  indicator.Draw();
  EXPECT_EQ(AsStrings(indicator.ShownLabels()), (Labels{"Ｒ", "全", "ひ"}));

  // New colours force a drawing; the font's own colours come back after.
  font.texts.clear();
  font.textRed = 1;
  indicator.SetColours(0x123456, -1);
  EXPECT_EQ(indicator.Colour(), 0x123456u);
  EXPECT_EQ(indicator.OutlineColour(), 0u);
  indicator.Draw();
  EXPECT_EQ(font.texts.size(), 3u);
  EXPECT_EQ(test::Pixel32(s, 0, 0) & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(font.textRed, 1);

  // Shown and hidden only when told.
  indicator.SetVisible(true);
  EXPECT_TRUE(indicator.Sprite().IsVisible());
  indicator.Release();
  EXPECT_EQ(indicator.GetWidth(), 0);
  indicator.Draw();  // no context: nothing
}

TEST_F(ImeModeIndicatorTest, ItStandsWhereItIsPut) {
  ImeModeIndicator indicator;
  EXPECT_EQ(indicator.Create(nullptr, &hook.Ime(), &font, 0, 0, false, 0), 1);
  EXPECT_EQ(indicator.Create(&list, nullptr, &font, 0, 0, false, 0), 1);
  EXPECT_EQ(indicator.Create(&list, &hook.Ime(), nullptr, 0, 0, false, 0), 1);

  ASSERT_EQ(indicator.Create(&list, &hook.Ime(), &font, 100, 50, true, 7), 0);
  EXPECT_EQ(indicator.Sprite().GetX(), 60);  // the right edge at x
  EXPECT_EQ(indicator.Sprite().GetY(), 50);
  indicator.SetPosition(200, 10);
  EXPECT_EQ(indicator.Sprite().GetX(), 160);
  fakeIme.conversion = ime_mode::kNative;
  indicator.Draw();  // a redraw keeps the right edge
  EXPECT_EQ(indicator.Sprite().GetX(), 160);
  indicator.SetRightAligned(false);
  indicator.Draw();
  EXPECT_EQ(indicator.Sprite().GetX(), 160);  // moved only by SetPosition
  indicator.SetPosition(200, 10);
  EXPECT_EQ(indicator.Sprite().GetX(), 200);
}

}  // namespace
}  // namespace orrivel
