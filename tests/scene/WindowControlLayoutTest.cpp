// The window's text layout with a font of fixed cells: line breaking with
// hanging punctuation, the "@" conventions, full pages, wrap off, ruby,
// vertical writing with upright runs, page clears with a nine-slice frame,
// and bad input.
#include "scene/WindowControl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "SceneTestSupport.h"
#include "WindowTestSupport.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

std::string Sjis(const char* utf8) { return platform::Utf8ToCp932(utf8).value(); }

std::string Repeat(const char* utf8, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += Sjis(utf8);
  return out;
}

class WindowLayoutTest : public test::SceneTest {
 protected:
  // 200 x 100 with margins of 10: lines of 16 pixels at y 10, 26, 42, 58
  // and 74; wrap limit 200 - 2 x 16 - 10 = 158, the margin at 190.
  void SetUp() override {
    test::SceneTest::SetUp();
    ASSERT_EQ(window.Create(&list, 1, 200, 100, 0, 0, &font, &ruby, 0), 0);
    window.SetMargins(10, 10, 10, 10, true);
    window.SetHangCount(2);
  }
  // Puts every character of text; the last result.
  int32_t PutAll(const std::string& text) {
    const char* p = text.c_str();
    int32_t result = 0;
    while (*p != '\0' && (result = window.PutNext(&p)) != 1) {
    }
    return result;
  }
  const test::CellFont::Draw& LastDraw() const { return font.draws.back(); }

  test::CellFont font{16};
  test::CellFont ruby{8};
  SpriteList list;
  WindowControl window;
};

TEST_F(WindowLayoutTest, LineBreakingWithHangingAndKeeping) {
  struct Case {
    std::string prefix;
    const char* next;
    int32_t result;
    int32_t x, y;  // where next is drawn
  };
  const Case cases[] = {
      {Repeat("あ", 10), "」", 0, 170, 10},                        // closing mark hangs past the wrap limit
      {Repeat("あ", 10), "あ", -1, 10, 26},                        // an ordinary character wraps
      {Repeat("あ", 9) + Sjis("「"), "あ", 0, 170, 10},            // an opening mark keeps the next with it
      {Repeat("あ", 10) + Sjis("」"), "」", -1, 10, 26},           // no room left before the margin
      {Repeat("あ", 8) + "a", "あ", 0, 146, 10},                   // not yet past the limit
      {Repeat("あ", 9) + "a", "あ", -1, 10, 26},                   // past it by half a cell
      {Repeat("あ", 10), ")", 0, 170, 10},                         // a one-byte closing mark hangs too
      {Repeat("あ", 10), "a", -1, 10, 26},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.next);
    window.ResetCursor(true);
    ASSERT_EQ(PutAll(c.prefix), 0);
    const std::string next = Sjis(c.next);
    const char* p = next.c_str();
    EXPECT_EQ(window.PutNext(&p), c.result);
    EXPECT_EQ(*p, '\0');
    EXPECT_EQ(LastDraw().text, next);
    EXPECT_EQ(LastDraw().x, c.x);
    EXPECT_EQ(LastDraw().y, c.y);
  }
}

TEST_F(WindowLayoutTest, ReservedCellsAndTheStartOfALine) {
  struct Case {
    int32_t hangCount;
    std::string prefix;
    const char* next;
    int32_t result;
    int32_t x, y;  // where next is drawn
  };
  const Case cases[] = {
      // No reserved cell: a character that would start at 186 and end past
      // the margin at 190 (and the window's edge) wraps short of the limit.
      {0, Repeat("あ", 11), "あ", -1, 10, 26},
      {0, Repeat("あ", 10) + "a", "a", 0, 178, 10},   // a half-width one still ends inside
      {0, Repeat("あ", 10) + "aa", "a", -1, 10, 26},
      {0, Repeat("あ", 10) + "a", "あ", -1, 10, 26},
      // A wrap limit before the line's start: the line's first character
      // stays, each next one takes a line of its own.
      {20, "", "あ", 0, 10, 10},
      {20, Sjis("あ"), "あ", -1, 10, 26},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hangCount);
    SCOPED_TRACE(c.prefix.size());
    window.SetHangCount(c.hangCount);
    window.ResetCursor(true);
    ASSERT_NE(PutAll(c.prefix), 1);
    const std::string next = Sjis(c.next);
    const char* p = next.c_str();
    EXPECT_EQ(window.PutNext(&p), c.result);
    EXPECT_EQ(LastDraw().x, c.x);
    EXPECT_EQ(LastDraw().y, c.y);
  }
  // A page of one line under such a limit takes one character a page,
  // never answering "full" for ever.
  window.SetMargins(10, 10, 10, 74, true);
  const std::string text = Sjis("あい");
  const char* p = text.c_str();
  EXPECT_EQ(window.PutNext(&p), 0);
  EXPECT_EQ(window.PutNext(&p), 1);
  window.ResetCursor(true);
  EXPECT_EQ(window.PutNext(&p), 0);
  EXPECT_EQ(*p, '\0');
}

TEST_F(WindowLayoutTest, LineFeedsEndTheLine) {
  const std::string text = "ab\ncd";
  const char* p = text.c_str();
  EXPECT_EQ(window.PutNext(&p), 0);
  EXPECT_EQ(window.PutNext(&p), 0);
  const size_t drawn = font.draws.size();
  EXPECT_EQ(window.PutNext(&p), -1);
  EXPECT_EQ(font.draws.size(), drawn);  // nothing drawn for it
  EXPECT_EQ(window.PrevChar(), 0);
  EXPECT_EQ(window.PutNext(&p), 0);
  EXPECT_EQ(LastDraw().text, "c");
  EXPECT_EQ(LastDraw().x, 10);
  EXPECT_EQ(LastDraw().y, 26);
  // On the last line it waits for the next page, unconsumed.
  for (int i = 0; i < 3; ++i) ASSERT_FALSE(window.NewLine());
  const std::string feed = "\nx";
  const char* q = feed.c_str();
  EXPECT_EQ(window.PutNext(&q), 1);
  EXPECT_EQ(q, feed.c_str());
  window.ResetCursor(true);
  EXPECT_EQ(window.PutNext(&q), -1);  // at the top of a page it leaves an empty line
  EXPECT_EQ(window.CursorY(), 26);
}

TEST_F(WindowLayoutTest, AtSignsAndCharactersAsTheFontGetsThem) {
  struct Case {
    const char* text;
    std::string drawn;
    size_t used;
  };
  const Case cases[] = {
      {"@@a", "@@", 2},            // one at sign
      {"@1234567", "@123456", 7},  // six digits; the seventh is the next character
      {"@12x", "@12", 3},
      {"@x", "@@", 1},  // an at sign before anything else is itself
      {"\x83\x5C", "\x83\x5C", 2},  // trail byte backslash
      {"\x83\x40" "1", "\x83\x40", 2},  // trail byte at sign: no picture
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    window.ResetCursor(true);
    const char* p = c.text;
    EXPECT_EQ(window.PutNext(&p), 0);
    EXPECT_EQ(size_t(p - c.text), c.used);
    EXPECT_EQ(LastDraw().text, c.drawn);
  }
  // The seventh digit follows as a plain character.
  const char* seven = "@1234567";
  window.PutNext(&seven);
  window.PutNext(&seven);
  EXPECT_EQ(LastDraw().text, "7");
  EXPECT_EQ(window.PrevChar(), '7');
}

TEST_F(WindowLayoutTest, AFullPageAnswersOneAndKeepsThePointer) {
  const std::string text = Repeat("あ", 80);
  const char* p = text.c_str();
  int32_t result = 0;
  int32_t drawn = 0;
  while ((result = window.PutNext(&p)) != 1) {
    ASSERT_NE(*p, '\0');
    ++drawn;
  }
  EXPECT_EQ(drawn, 5 * 10);  // five lines of ten
  EXPECT_TRUE(window.IsPageFull());
  EXPECT_EQ(LastDraw().y, 74);
  const char* held = p;
  const int32_t x = window.CursorX(), y = window.CursorY();
  EXPECT_EQ(window.PutNext(&p), 1);
  EXPECT_EQ(p, held);
  EXPECT_EQ(window.CursorX(), x);
  EXPECT_EQ(window.CursorY(), y);
  // A cleared page takes the character that did not fit.
  window.ResetCursor(true);
  EXPECT_FALSE(window.IsPageFull());
  EXPECT_EQ(window.PutNext(&p), 0);
  EXPECT_EQ(LastDraw().y, 10);
}

TEST_F(WindowLayoutTest, WithoutAutomaticWrapALineRunsPastTheMargin) {
  window.SetAutoWrap(false);
  EXPECT_EQ(PutAll(Repeat("あ", 20)), 0);
  EXPECT_EQ(LastDraw().y, 10);
  EXPECT_EQ(LastDraw().x, 10 + 19 * 16);
  EXPECT_EQ(window.CursorX(), 10 + 20 * 16);
}

TEST_F(WindowLayoutTest, NewLinesIndentAndCarriageReturn) {
  PutAll(Repeat("あ", 3));
  window.MarkIndent();
  EXPECT_EQ(window.Indent(), 48);
  EXPECT_FALSE(window.NewLine());
  EXPECT_EQ(window.CursorX(), 58);
  EXPECT_EQ(window.CursorY(), 26);
  PutAll(Repeat("あ", 2));
  window.CarriageReturn(false);
  EXPECT_EQ(window.CursorX(), 58);
  EXPECT_EQ(window.CursorY(), 26);
  window.SetGaps(4, 2, 0);
  EXPECT_FALSE(window.NewLine());
  EXPECT_EQ(window.CursorY(), 46);  // gap + advance
  PutAll(Sjis("ああ"));
  EXPECT_EQ(LastDraw().x, 58 + 18);  // character gap
  EXPECT_EQ(window.LineStartPos(), 76);
  EXPECT_FALSE(window.NewLine());
  EXPECT_TRUE(window.IsPageFull());  // 66 + 16 + 4 + 16 > 90
  EXPECT_TRUE(window.NewLine());
  EXPECT_EQ(window.CursorY(), 66);
}

TEST_F(WindowLayoutTest, RubyOverTheNextGlyph) {
  window.SetGaps(0, 0, 2);
  window.SetRubyEnabled(true);
  EXPECT_EQ(window.LineHeight(), 16 + 2 + 8);
  window.ResetCursor(true);
  EXPECT_EQ(window.SetRuby(Sjis("か").c_str()), 1);  // borrowed until the next glyph
  const std::string rubyText = Sjis("か");
  window.SetRuby(rubyText.c_str());
  PutAll(Sjis("漢字"));
  ASSERT_EQ(ruby.draws.size(), 1u);
  EXPECT_EQ(font.draws[font.draws.size() - 2].y, 20);  // glyphs on the line's bottom
  EXPECT_EQ(ruby.draws[0].x, 10 + 4);                   // centred over the first glyph
  EXPECT_EQ(ruby.draws[0].y, 20 - 2 - 8);
  // Vertical: to the right of the glyph, centred along it.
  window.SetVertical(true, true);
  window.SetRuby(rubyText.c_str());
  PutAll(Sjis("漢"));
  ASSERT_EQ(ruby.draws.size(), 2u);
  EXPECT_EQ(LastDraw().x, 191);
  EXPECT_EQ(ruby.draws[1].x, 191 + 2 + 8);
  EXPECT_EQ(ruby.draws[1].y, 10 + 4);
  EXPECT_EQ(ruby.draws[1].angle, WindowControl::kVerticalAngle);
  // Without a ruby font nothing is pending.
  window.SetFonts(&font, nullptr, false);
  EXPECT_EQ(window.SetRuby(rubyText.c_str()), 0);
}

TEST_F(WindowLayoutTest, VerticalColumnsAndUprightRuns) {
  EXPECT_EQ(window.DrawHorizontalRun("12"), 2);  // horizontal writing
  ASSERT_EQ(window.SetVertical(true, true), 0);
  EXPECT_STREQ(font.Logical().faceName, "@");
  EXPECT_EQ(font.Logical().escapement, WindowControl::kVerticalAngle);
  EXPECT_EQ(ruby.Logical().escapement, WindowControl::kVerticalAngle);
  EXPECT_EQ(window.WrapLimit(), 100 - 32 - 10);
  EXPECT_EQ(window.CursorX(), 191);  // the first column's right edge
  EXPECT_EQ(window.CursorY(), 10);
  PutAll(Sjis("あい"));
  EXPECT_EQ(LastDraw().x, 191);
  EXPECT_EQ(LastDraw().y, 26);
  // An upright two-digit run: the font turned upright, centred in the
  // column, turned back, one cell of advance.
  font.angles.clear();
  EXPECT_EQ(window.DrawHorizontalRun("12"), 0);
  EXPECT_EQ(font.angles, (std::vector<int32_t>{0, WindowControl::kVerticalAngle}));
  EXPECT_EQ(LastDraw().text, "12");
  EXPECT_EQ(LastDraw().angle, 0);
  EXPECT_EQ(LastDraw().x, 175);
  EXPECT_EQ(LastDraw().y, 42);
  EXPECT_EQ(window.CursorY(), 58);
  EXPECT_EQ(window.PrevChar(), 0);
  // The column wraps to the next one on the left.
  PutAll(Sjis("ああ"));
  EXPECT_EQ(LastDraw().x, 175);
  EXPECT_EQ(LastDraw().y, 10);
  // Wide glyphs centred along the column when asked.
  window.SetCentreWideGlyphs(true);
  PutAll(Sjis("あ"));
  EXPECT_EQ(window.CursorY(), 42);
  // Back to horizontal writing.
  ASSERT_EQ(window.SetVertical(false, true), 0);
  EXPECT_STREQ(font.Logical().faceName, "");
  EXPECT_EQ(font.Logical().escapement, 0);
  EXPECT_EQ(window.CursorX(), 10);
  font.failFaces = true;
  EXPECT_EQ(window.SetVertical(true, false), 1);
  font.failFaces = false;
  ruby.failFaces = true;
  EXPECT_EQ(window.SetVertical(true, false), 3);
  ruby.failFaces = false;
  font.failFaces = true;
  EXPECT_EQ(window.SetVertical(false, false), 2);
}

TEST_F(WindowLayoutTest, AlignedAndJustifiedStrings) {
  // "ab" is 16 wide: centred in 180 + 0 insets both ways.
  EXPECT_EQ(window.DrawAligned("ab", 0), 0);
  EXPECT_EQ(LastDraw().x, 10 + (180 - 16) / 2);
  EXPECT_EQ(LastDraw().y, 10 + (80 - 16) / 2);
  EXPECT_EQ(window.PrevChar(), 0);
  window.ResetCursor(false);
  window.DrawAligned("ab", 3);
  EXPECT_EQ(LastDraw().x, 190 - 16);
  EXPECT_EQ(LastDraw().y, 10);
  window.DrawAligned("ab", 2);
  EXPECT_EQ(LastDraw().x, 10);
  // Three characters of 16 over 100: free 52, gaps of 13, none left over.
  const std::string three = Sjis("あいう");
  const char* p = three.c_str();
  EXPECT_EQ(window.DrawJustified(&p, Rect{20, 30, 120, 46}), 0);
  EXPECT_EQ(*p, '\0');
  ASSERT_GE(font.draws.size(), 3u);
  EXPECT_EQ(font.draws[font.draws.size() - 3].x, 33);
  EXPECT_EQ(font.draws[font.draws.size() - 2].x, 62);
  EXPECT_EQ(LastDraw().x, 91);
  EXPECT_EQ(LastDraw().y, 30);
  EXPECT_EQ(window.DrawAligned(nullptr, 0), 1);
}

// A frame picture of nine coloured regions: corners 4, tiles 2 x 2.
std::unique_ptr<Surface> NineRegionFrame() {
  return test::MakeSurface32(10, 10, [](int x, int y) {
    const int col = x < 4 ? 0 : x < 6 ? 1 : 2, row = y < 4 ? 0 : y < 6 ? 1 : 2;
    return 0xFF000000u | uint32_t(row * 3 + col + 1) * 0x101010u;
  });
}

TEST_F(WindowLayoutTest, NineSliceFrameAndZeroTiles) {
  auto frame = NineRegionFrame();
  auto regionAt = [&](int x, int y) { return int(test::Pixel32(window.GetSurface(), x, y) & 0xFF) / 0x10; };
  window.SetFrameImages(frame.get(), 2, 2, 4, 4, 4, 4);
  window.ClearPage();
  EXPECT_EQ(regionAt(0, 0), 1);
  EXPECT_EQ(regionAt(100, 0), 2);    // top edge repeated
  EXPECT_EQ(regionAt(199, 0), 3);
  EXPECT_EQ(regionAt(0, 50), 4);
  EXPECT_EQ(regionAt(101, 51), 5);   // centre repeated
  EXPECT_EQ(regionAt(199, 99), 9);
  EXPECT_EQ(regionAt(195, 97), 8);    // bottom edge, last tile cut
  // A tile of 0 on either side draws no frame (and returns): the opaque
  // black beneath a frame without alpha stays.
  for (auto tile : {std::pair{0, 2}, std::pair{2, 0}, std::pair{-1, 2}}) {
    window.SetFrameImages(frame.get(), tile.first, tile.second, 4, 4, 4, 4);
    window.ClearPage();
    EXPECT_EQ(test::Pixel32(window.GetSurface(), 0, 0), 0xFF000000u);
    EXPECT_EQ(test::Pixel32(window.GetSurface(), 100, 50), 0xFF000000u);
  }
  // Untiled: drawn once at the origin, and a window made with it takes its size.
  window.SetFrameImages(frame.get(), 0, 0, 0, 0, 0, 0);
  WindowControl sized;
  sized.SetFrameImages(frame.get(), 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(sized.Create(&list, 2, 0, 0, 0, 0, &font, nullptr, 0), 0);
  EXPECT_EQ(sized.GetWidth(), 10);
  EXPECT_EQ(sized.GetHeight(), 10);
  EXPECT_EQ(test::Pixel32(sized.GetSurface(), 9, 9), test::Pixel32(*frame, 9, 9));
}

TEST_F(WindowLayoutTest, BackgroundFill) {
  EXPECT_EQ(window.SetBackground(0, 0x123456, 0x80), 0);
  EXPECT_EQ(test::Pixel32(window.GetSurface(), 5, 5), 0x80123456u);
  EXPECT_EQ(window.SetBackground(0, 0x123456, 0x80), -1);
  EXPECT_EQ(window.SetBackground(0, 0x123456, 0), 0);
  EXPECT_EQ(test::Pixel32(window.GetSurface(), 5, 5), 0u);  // alpha 0 fills with 0
  WindowControl bare;
  EXPECT_EQ(bare.SetBackground(1, 1, 1), -2);
}

TEST_F(WindowLayoutTest, BadInput) {
  // A text that ends on a lead byte: the half character is dropped and a
  // caller looping to the end finishes.
  const std::string cut = Sjis("あ") + "\x82";
  const char* p = cut.c_str();
  EXPECT_EQ(window.PutNext(&p), 0);
  const size_t drawn = font.draws.size();
  EXPECT_EQ(window.PutNext(&p), 0);
  EXPECT_EQ(*p, '\0');
  EXPECT_EQ(font.draws.size(), drawn);
  EXPECT_EQ(window.PutNext(&p), 0);  // the end: nothing
  const char* none = nullptr;
  EXPECT_EQ(window.PutNext(&none), 0);
  EXPECT_EQ(window.PutNext(nullptr), 0);
  // No font: nothing consumed.
  WindowControl bare;
  const char* text = "a";
  EXPECT_EQ(bare.PutNext(&text), 0);
  EXPECT_EQ(*text, 'a');
  EXPECT_EQ(bare.SetFonts(nullptr, nullptr, true), 1);
  EXPECT_EQ(bare.SetFonts(&font, nullptr, true), -1);
  // Zero and negative sizes, missing list or font.
  struct Case {
    SpriteList* list;
    Font* font;
    int32_t w, h;
  };
  for (const Case& c : {Case{&list, &font, 0, 10}, Case{&list, &font, 10, 0}, Case{&list, &font, -5, 10},
                        Case{nullptr, &font, 10, 10}, Case{&list, nullptr, 10, 10}}) {
    WindowControl w;
    EXPECT_EQ(w.Create(c.list, 0, c.w, c.h, 0, 0, c.font, nullptr, 0), 1);
  }
  // A window too small for one line is full at once, without moving.
  WindowControl tiny;
  ASSERT_EQ(tiny.Create(&list, 3, 20, 8, 0, 0, &font, nullptr, 0), 0);
  const std::string two = Sjis("ああ");
  const char* q = two.c_str();
  EXPECT_EQ(tiny.PutNext(&q), 0);
  EXPECT_EQ(tiny.PutNext(&q), 1);
  EXPECT_EQ(tiny.PutNext(&q), 1);
}

}  // namespace
}  // namespace orrivel
