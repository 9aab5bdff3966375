// The message window's two-pass layout with a font of fixed cells: line
// boxes for wrapping and hanging, the hanging indent, the ideographic space,
// "@" glyphs, ruby with and without a mark, vertical writing, auto-size and
// anchored placement, page commands that stop the measuring pass, and the
// codes of the window's small operations.
#include "frame/MessageTextWindow.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../scene/SceneTestSupport.h"
#include "../scene/WindowTestSupport.h"
#include "MessagePageSupport.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

std::string Sjis(const char* utf8) { return platform::Utf8ToCp932(utf8).value(); }
std::string Repeat(const char* utf8, int n) { return test::RepeatSjis(utf8, n); }
std::string Command(uint32_t opcode) { return test::PageCommand(opcode); }

std::vector<std::vector<int32_t>> Boxes(const MessageTextWindow& window, int32_t lines) {
  std::vector<std::vector<int32_t>> out;
  for (int32_t i = 0; i < lines; ++i) {
    const LineBox& b = window.LineBoxes()[size_t(i)];
    out.push_back({b.left, b.top, b.right, b.bottom, b.hasRuby});
  }
  return out;
}

class MessageWindowLayoutTest : public test::SceneTest {
 protected:
  // 200 x 100 with margins of 10: cells of 16, the wrap limit at 158 and
  // the right margin at 190.
  void SetUp() override {
    test::SceneTest::SetUp();
    ASSERT_EQ(window.Create(&list, 1, 200, 100, 0, 0, &font, &ruby, 0), 0);
    window.SetMargins(10, 10, 10, 10, true);
    window.SetHangCount(2);
    window.SetCommandRunner([this](const uint8_t* record, size_t, size_t& taken) {
      uint32_t words[2];
      std::memcpy(words, record, sizeof words);
      taken = words[0];
      if (words[1] == 1) window.BeginRuby();
      if (words[1] == 2) rubyResults.push_back(window.DrawRuby(rubyText.c_str(), nullptr));
      return words[1] == 3 ? 1 : 0;
    });
  }
  int32_t Measure(const std::string& text, bool drop = false) {
    return window.MeasurePage(text.data(), text.size(), nullptr, true, drop);
  }

  test::CellFont font{16};
  test::CellFont ruby{8};
  SpriteList list;
  MessageTextWindow window;
  std::string rubyText;
  std::vector<int32_t> rubyResults;
};

TEST_F(MessageWindowLayoutTest, WrapsAndHangsIntoLineBoxes) {
  struct Case {
    std::string text;
    std::vector<std::vector<int32_t>> boxes;
  };
  const Case cases[] = {
      // An ordinary character past the wrap limit starts a line.
      {Repeat("あ", 11), {{10, 10, 170, 26, 0}, {10, 26, 26, 42, 0}}},
      // A closing mark hangs while it fits inside the margin...
      {Repeat("あ", 10) + Sjis("」"), {{10, 10, 186, 26, 0}}},
      // ...and breaks when it does not.
      {Repeat("あ", 10) + Sjis("」」"), {{10, 10, 186, 26, 0}, {10, 26, 26, 42, 0}}},
      // A line end starts a line; an empty last line gets the line height.
      {Sjis("あ") + "\n", {{10, 10, 26, 26, 0}, {10, 26, 10, 42, 0}}},
      // "@@" is one "@" (half a cell), "@" and digits one picture (a cell).
      {"a@@b@12c", {{10, 10, 58, 26, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const int32_t lines = Measure(c.text);
    ASSERT_EQ(lines, int32_t(c.boxes.size()));
    EXPECT_EQ(Boxes(window, lines), c.boxes);
  }
  Measure("a@@b@12c");
  EXPECT_EQ(window.CharacterCount(), 5);
}

TEST_F(MessageWindowLayoutTest, AnOpeningQuoteIndentsTheRestOfItsPageOnly) {
  window.SetIndentChars(Sjis("「").c_str());
  ASSERT_EQ(Measure(Sjis("「") + Repeat("あ", 11)), 2);
  EXPECT_EQ(window.LineBoxes()[1].left, 26);  // under the character after the mark
  EXPECT_EQ(window.HangingIndent(), 0);
  ASSERT_EQ(Measure(Repeat("あ", 12)), 2);
  EXPECT_EQ(window.LineBoxes()[1].left, 10);
  // A mark further in opens nothing.
  ASSERT_EQ(Measure(Sjis("あ「") + Repeat("あ", 10)), 2);
  EXPECT_EQ(window.LineBoxes()[1].left, 10);
}

TEST_F(MessageWindowLayoutTest, IdeographicSpacesDropOrCount) {
  const std::string text = Sjis("あ　あ");
  ASSERT_EQ(Measure(text, true), 1);
  EXPECT_EQ(window.LineBoxes()[0].right, 42);
  EXPECT_EQ(window.CharacterCount(), 2);
  ASSERT_EQ(Measure(text, false), 1);
  EXPECT_EQ(window.LineBoxes()[0].right, 58);
  EXPECT_EQ(window.CharacterCount(), 3);
}

TEST_F(MessageWindowLayoutTest, EmptyPagesStopsAndBadEndings) {
  Rect rect{1, 2, 3, 4};
  EXPECT_EQ(window.MeasurePage(nullptr, &rect, true, false), -1);
  EXPECT_EQ(window.MeasurePage("", &rect, true, false), 0);
  const std::string onlyCommand = Command(7);
  EXPECT_EQ(window.MeasurePage(onlyCommand.data(), onlyCommand.size(), &rect, true, false), 0);
  EXPECT_EQ(rect.left, 1);
  EXPECT_EQ(rect.bottom, 4);
  // A command that asks to stop while measuring.
  const std::string stopping = Sjis("あ") + Command(3) + Sjis("あ");
  EXPECT_EQ(window.MeasurePage(stopping.data(), stopping.size(), &rect, true, false), -2);
  EXPECT_EQ(window.DrawPage(stopping.data(), stopping.size(), 0, 0, true, false), 2);
  // Without running commands they are stepped over by their length.
  EXPECT_EQ(window.MeasurePage(stopping.data(), stopping.size(), &rect, false, false), 1);
  EXPECT_EQ(rect.right, 42);
  // A lone lead byte at the end is not read past.
  const std::string lone = Sjis("あ") + "\x82";
  EXPECT_EQ(window.MeasurePage(lone.data(), lone.size(), &rect, true, false), 1);
  EXPECT_EQ(window.CharacterCount(), 1);
  // A command whose length runs past the page ends it.
  std::string damaged = Sjis("あ") + Command(7) + Sjis("あ");
  damaged[4] = char(0x70);
  EXPECT_EQ(window.MeasurePage(damaged.data(), damaged.size(), &rect, false, false), 1);
  EXPECT_EQ(window.CharacterCount(), 1);
}

TEST_F(MessageWindowLayoutTest, RubyGrowsItsLineAndSpreadsOverItsBase) {
  window.SetGaps(0, 0, 2);  // the ruby band: 2 + 8
  const std::string marked = Sjis("い") + Command(1) + Sjis("漢字") + Command(2) + Sjis("う");
  rubyText = Sjis("かな");
  // With the fixed line pitch the box keeps its height.
  ASSERT_EQ(Measure(marked), 1);
  EXPECT_EQ(Boxes(window, 1), (std::vector<std::vector<int32_t>>{{10, 10, 74, 26, 1}}));
  window.SetFixedLinePitch(false);
  ASSERT_EQ(Measure(marked), 1);
  EXPECT_EQ(Boxes(window, 1), (std::vector<std::vector<int32_t>>{{10, 10, 74, 36, 1}}));

  // Drawn: the base sits below the band; two ruby characters share the
  // 16 spare pixels of the 32-pixel base in three gaps of 5 (1 left over).
  font.draws.clear();
  ruby.draws.clear();
  rubyResults.clear();
  ASSERT_EQ(window.DrawPage(marked.data(), marked.size(), 0, 0, true, false), 0);
  EXPECT_EQ(rubyResults, (std::vector<int32_t>{0, 0}));  // measured, then drawn
  ASSERT_EQ(ruby.draws.size(), 2u);
  EXPECT_EQ(ruby.draws[0].x, 26 + 0 + 5);
  EXPECT_EQ(ruby.draws[1].x, 31 + 5 + 8);
  EXPECT_EQ(ruby.draws[0].y, 10);
  EXPECT_EQ(font.draws[0].y, 20);

  // Without a mark the whole ruby is centred over the last character.
  const std::string unmarked = Sjis("漢") + Command(2);
  rubyText = Sjis("か");
  ruby.draws.clear();
  ASSERT_EQ(window.DrawPage(unmarked.data(), unmarked.size(), 0, 0, true, false), 0);
  ASSERT_EQ(ruby.draws.size(), 1u);
  EXPECT_EQ(ruby.draws[0].text, rubyText);
  EXPECT_EQ(ruby.draws[0].x, 10 + 4);
}

TEST_F(MessageWindowLayoutTest, DrawRubyCodes) {
  EXPECT_EQ(window.DrawRuby("a", nullptr), 1);  // no layout
  window.BeginMeasure();
  EXPECT_EQ(window.DrawRuby(nullptr, nullptr), 2);
  window.SetFonts(&font, nullptr, false);
  EXPECT_EQ(window.DrawRuby("a", nullptr), 2);
  window.SetFonts(&font, &ruby, false);
  ASSERT_EQ(window.EndMeasure(false, false), 0);
  window.BeginRuby();
  EXPECT_EQ(window.DrawRuby("a", nullptr), 4);  // nothing under it
  window.EndDraw();
  ASSERT_EQ(window.SetVertical(true, true), 0);
  window.BeginMeasure();
  ASSERT_EQ(window.EndMeasure(false, false), 0);
  window.BeginRuby();
  EXPECT_EQ(window.DrawRuby("a", nullptr), 3);
  window.EndDraw();
  // Ruby of no characters over a marked base.
  const std::string page = Command(1) + Sjis("あ") + Command(2);
  rubyText = "\n";
  ASSERT_EQ(window.DrawPage(page.data(), page.size(), 0, 0, true, false), 0);
  EXPECT_EQ(rubyResults, (std::vector<int32_t>{0, 5}));
}

TEST_F(MessageWindowLayoutTest, VerticalColumnsRunRightToLeft) {
  ASSERT_EQ(window.SetVertical(true, true), 0);
  window.Clear(true);
  // Columns from x 190 leftwards; the wrap limit at y 58.
  ASSERT_EQ(Measure(Repeat("あ", 5)), 2);
  EXPECT_EQ(Boxes(window, 2), (std::vector<std::vector<int32_t>>{{174, 10, 190, 74, 0}, {158, 10, 174, 26, 0}}));
  // Ruby widens the column leftwards.
  rubyText = Sjis("か");
  window.SetGaps(0, 0, 2);
  const std::string page = Sjis("あ") + Command(2);
  ASSERT_EQ(Measure(page), 1);
  EXPECT_EQ(Boxes(window, 1), (std::vector<std::vector<int32_t>>{{164, 10, 190, 26, 1}}));
}

TEST_F(MessageWindowLayoutTest, AutoSizeAndAnchoredPlacement) {
  test::CellFont strip{8};
  Surface cursorPicture;
  ASSERT_EQ(cursorPicture.Create(40, 10, 32, 0), 0);
  const ClickWaitFrames frames{4, 100};
  ASSERT_EQ(window.AddCursor(&cursorPicture, &frames, 12, true), 0);
  // The window shrinks to its pages: lines end only where the text says.
  window.SetAutoWrap(false);
  window.SetAnchored(true);
  window.SetAnchor(0, 300, 50);
  const std::string text = Sjis("ああ") + "\n" + Sjis("あ");
  ASSERT_EQ(window.SetPageText(text.data(), text.size()), 0);
  ASSERT_EQ(window.ShowPage(true), 0);
  // Two lines of 32 and 16 pixels: the cursor fits beside the short one.
  EXPECT_EQ(window.GetWidth(), 10 + 10 + 32);
  EXPECT_EQ(window.GetHeight(), 10 + 10 + 32);
  const std::string one = Sjis("ああ");
  ASSERT_EQ(window.SetPageText(one.data(), one.size()), 0);
  ASSERT_EQ(window.ShowPage(true), 0);
  EXPECT_EQ(window.GetWidth(), 20 + 32 + 12);

  struct Case {
    uint8_t alignment;
    Rect clamp;
    int32_t x, y;
  };
  const Case cases[] = {
      {0, {-1, 0, 0, 0}, 300 - 32, 50},
      {1, {-1, 0, 0, 0}, 300, 50},
      {2, {-1, 0, 0, 0}, 300 - 64, 50},
      {1, {0, 0, 320, 80}, 320 - 64, 80 - 36},
      {2, {280, 60, 400, 200}, 280, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.alignment));
    window.SetAnchor(c.alignment, 300, 50);
    window.SetClampRect(c.clamp);
    ASSERT_EQ(window.ShowPage(true), 0);
    EXPECT_EQ(window.GetX(), c.x);
    EXPECT_EQ(window.GetY(), c.y);
  }
  // Without page text an anchored window stays hidden.
  window.SetVisible(true);
  EXPECT_TRUE(window.IsVisible());
  window.ClearPageText();
  window.SetVisible(false);
  window.SetVisible(true);
  EXPECT_FALSE(window.IsVisible());
  EXPECT_EQ(window.ShowPage(true), 1);
}

TEST_F(MessageWindowLayoutTest, SmallOperationCodes) {
  EXPECT_EQ(window.SetPageText(nullptr, 3), 1);
  EXPECT_EQ(window.SetPageText("a", 0), 1);
  // Names keep 16 and 15 bytes, cut between characters.
  const std::string twenty = Repeat("名", 20);
  window.SetNames(twenty.c_str(), "VOICE_0123456789");
  EXPECT_EQ(window.SpeakerName(), Repeat("名", 8));
  EXPECT_EQ(window.VoiceCue(), "VOICE_012345678");
  window.SetNames(("abc" + Repeat("名", 7)).c_str(), nullptr);
  EXPECT_EQ(window.SpeakerName(), "abc" + Repeat("名", 6));
  EXPECT_EQ(window.VoiceCue(), "");
  // A page text empties the names.
  window.SetNames("x", "y");
  ASSERT_EQ(window.SetPageText("a", 1), 0);
  EXPECT_EQ(window.SpeakerName(), "");

  Surface picture;
  ASSERT_EQ(picture.Create(40, 10, 32, 0), 0);
  const ClickWaitFrames frames{4, 100}, tooMany{50, 100};
  EXPECT_EQ(window.AddCursor(nullptr, &frames, 0, false), 1);
  EXPECT_EQ(window.AddCursor(&picture, nullptr, 0, false), 1);
  EXPECT_EQ(window.AddCursor(&picture, &tooMany, 0, false), 2);
  EXPECT_EQ(window.CursorCount(), 0);
  ASSERT_EQ(window.AddCursor(&picture, &frames, 0, false), 0);
  ASSERT_EQ(window.AddCursor(&picture, &frames, 0, false), 0);
  EXPECT_EQ(window.SelectCursor(2), 1);
  EXPECT_EQ(window.SelectCursor(257), 0);  // the low byte: 1
  EXPECT_EQ(window.SelectedCursor(), 1);

  // The reveal edge: no narrower than the font.
  EXPECT_EQ(window.SetRevealEdge(20), 0);
  EXPECT_EQ(window.SetRevealEdge(15), 2);
  EXPECT_EQ(window.RevealEdgeWidth(), 20);
  // An edge whose strip (width x font height, 32 bits) passes 2 GB cannot
  // be made; the old edge stays.
  EXPECT_EQ(window.SetRevealEdge(1 << 25), 4);
  EXPECT_EQ(window.RevealEdgeWidth(), 20);
  EXPECT_EQ(window.SetRevealEdge(24), 0);
  EXPECT_EQ(window.RevealEdgeWidth(), 24);
  // With a font one pixel high an edge of one pixel is allowed, but a ramp
  // needs two entries: the edge in use stays as it was, entry for entry.
  const std::vector<uint8_t> before(window.RevealRamp().Bytes(), window.RevealRamp().Bytes() + 24);
  font.SetHeight(1);
  EXPECT_EQ(window.SetRevealEdge(1), 3);
  ASSERT_EQ(window.RevealEdgeWidth(), 24);
  EXPECT_EQ(std::vector<uint8_t>(window.RevealRamp().Bytes(), window.RevealRamp().Bytes() + 24), before);
  EXPECT_EQ(window.RevealEdgeStrip().GetWidth(), 24);
  EXPECT_EQ(window.RevealEdgeStrip().GetHeight(), 16);
  font.SetHeight(16);
  MessageTextWindow bare;
  EXPECT_EQ(bare.SetRevealEdge(20), 1);
}

}  // namespace
}  // namespace orrivel
