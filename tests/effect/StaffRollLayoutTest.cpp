#include "effect/StaffRollLayout.h"

#include <gtest/gtest.h>

#include <string>

#include "CrLfText.h"
#include "OverlayTestRig.h"

namespace orrivel {
namespace {

using Kind = StaffRollEntry::Kind;

class StaffRollLayoutTest : public testing::OverlayTest {
 protected:
  // Layouts are CP932 text with CR-LF line ends.
  int32_t LoadText(const std::string& text) {
    folder_.Write("staff.txt", testing::WithCrLf(text));
    return layout_.Load("staff.txt");
  }
  // Every line 100 wide and 20 high.
  void PlaceAll(int32_t screenWidth = 640, int32_t width = 100) {
    layout_.Place(screenWidth, [width](size_t, int32_t* w, int32_t* h) {
      *w = width;
      *h = 20;
    });
  }
  StaffRollLayout layout_;
};

TEST_F(StaffRollLayoutTest, LoadCodes) {
  struct Case {
    const char* what;
    const char* text;
    int32_t expected;
  } const cases[] = {
      {"fine", "text 0, 10, \"A\"\n", kLayoutOk},
      {"face longer than 30 bytes", "font \"0123456789012345678901234567890\"\n", kLayoutBadFace},
      {"face without quotes", "font face\n", kLayoutBadFace},
      {"text without its string", "text 0, 10\n", kLayoutBadText},
      {"text left open", "text 0, 10, \"abc\n", kLayoutBadText},
      {"picture line without a name", "gtext 0, 10,\n", kLayoutBadPictureName},
      {"group without a name", "grp 1, 2\n", kLayoutBadGroupName},
      {"unknown keyword", "text 0,0,\"a\"\nscroll 10\n", kLayoutUnknownKeyword},
      {"unknown keyword in a comment is skipped", "/*\nscroll\n*/\n// scroll\n", kLayoutOk},
      {"line longer than the buffer", nullptr, kLayoutFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text = c.text ? c.text : "";
    if (c.expected == kLayoutFailed) text = "// " + std::string(600, 'x') + "\n";
    EXPECT_EQ(LoadText(text), c.expected);
    if (c.expected != kLayoutOk) {
      EXPECT_TRUE(layout_.Entries().empty());
    }
  }
  EXPECT_EQ(layout_.Load(nullptr), kLayoutNoName);
  EXPECT_EQ(layout_.Load("missing.txt"), kLayoutCannotOpen);
}

TEST_F(StaffRollLayoutTest, EmptyFieldsKeepTheValuesInForce) {
  ASSERT_EQ(LoadText("init , \"music.ogg\"\n"
                     "font \"Face\", 30, 0xFF0000\n"
                     "layout 8, 0\n"
                     "text 5, 40, \"one\"\n"
                     "font , , 0x00FF00\n"
                     "text , , \"two\"\n"
                     "layout , 2\n"
                     "  ,gtext -3, 50, \"pic.elg\"\n"
                     "end 10, 2000, 1000, 0\n"),
            kLayoutOk);
  EXPECT_TRUE(layout_.HasMusic());
  EXPECT_EQ(layout_.Music(), "music.ogg");
  EXPECT_EQ(layout_.ScrollMs(), 0u);
  EXPECT_EQ(layout_.HoldMs(), 2000u);
  EXPECT_EQ(layout_.FadeMs(), 1000u);
  EXPECT_FALSE(layout_.FinishAtEnd());
  const auto& e = layout_.Entries();
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].font.face, "Face");
  EXPECT_EQ(e[0].font.size, 30);
  EXPECT_EQ(e[0].font.colour, 0xFF0000u);
  EXPECT_TRUE(e[0].remakeFont);
  // Only the colour changed: the font is not made again.
  EXPECT_EQ(e[1].font.colour, 0x00FF00u);
  EXPECT_EQ(e[1].font.size, 30);
  EXPECT_FALSE(e[1].remakeFont);
  EXPECT_EQ(e[1].xOffset, 5);
  EXPECT_EQ(e[1].advance, 40);
  EXPECT_EQ(e[2].kind, Kind::Picture);
  EXPECT_EQ(e[2].margin, 8);
  EXPECT_EQ(e[2].alignment, 2);

  // Without a music string nothing is named; the default face is the
  // system's own.
  ASSERT_EQ(LoadText("init 60000\ntext 0, 0, \"a\"\n"), kLayoutOk);
  EXPECT_FALSE(layout_.HasMusic());
  EXPECT_EQ(layout_.ScrollMs(), 60000u);
  EXPECT_EQ(layout_.Entries()[0].font.face, StaffRollFont::kDefaultFace);
  EXPECT_TRUE(layout_.FinishAtEnd());
}

TEST_F(StaffRollLayoutTest, PlacesLinesByAlignmentAndAdvance) {
  ASSERT_EQ(LoadText("layout 10, 0\ntext 5, 30, \"L\"\n"
                     "layout 10, 1\ntext 0, 40, \"C\"\n"
                     "layout 10, 2\ntext 0, 50, \"R\"\n"
                     "end 7\n"),
            kLayoutOk);
  PlaceAll();
  const auto& e = layout_.Entries();
  EXPECT_EQ(e[0].placedX, 5 + 10);
  EXPECT_EQ(e[1].placedX, 10 + (640 - 100 - 10) / 2);
  EXPECT_EQ(e[2].placedX, 10 - 100);
  EXPECT_EQ(e[0].baseY, 30);
  EXPECT_EQ(e[1].baseY, 70);
  EXPECT_EQ(e[2].baseY, 120);
  // The last line's height and the extra height end the roll.
  EXPECT_EQ(layout_.TotalHeight(), 120 + 20 + 7);

  // A centred line wider than the screen starts left of it.
  ASSERT_EQ(LoadText("text 0, 0, \"wide\"\n"), kLayoutOk);
  PlaceAll(640, 701);
  EXPECT_EQ(layout_.Entries()[0].placedX, (640 - 701) / 2);
  EXPECT_LT(layout_.Entries()[0].placedX, 0);
}

TEST_F(StaffRollLayoutTest, GroupsCloseAtTheNextGroupTheirEndOrTheTotal) {
  // Two groups without "egrp": the first closes where the second starts,
  // the second at the total height.
  ASSERT_EQ(LoadText("laygrp 5, , 300, 400, 7\n"
                     "text 0, 100, \"a\"\n"
                     "grp 1, 2, \"g1.elg\", 11, 12, 200\n"
                     "text 0, 100, \"b\"\n"
                     "grp 3, 4, \"g2.elg\"\n"
                     "text 0, 100, \"c\"\n"),
            kLayoutOk);
  PlaceAll();
  const auto& e = layout_.Entries();
  ASSERT_EQ(e.size(), 5u);
  const StaffRollEntry& g1 = e[1];
  const StaffRollEntry& g2 = e[3];
  EXPECT_EQ(g1.startHeight, 105);
  EXPECT_EQ(g1.endHeight, 205);
  EXPECT_EQ(g1.span, 100);
  EXPECT_EQ(g1.endX, 11);
  EXPECT_EQ(g1.maxOpacity, 200);
  EXPECT_EQ(g1.fadeInMs, 300u);
  EXPECT_EQ(g1.fadeOutMs, 400u);
  EXPECT_EQ(g1.order, 7u);
  EXPECT_EQ(g2.startHeight, 205);
  EXPECT_EQ(layout_.TotalHeight(), 320);
  EXPECT_EQ(g2.endHeight, 320);
  EXPECT_EQ(g2.span, 115);
  // End position defaults to the start; the opacity to the previous group's.
  EXPECT_EQ(g2.endX, 3);
  EXPECT_EQ(g2.endY, 4);
  EXPECT_EQ(g2.maxOpacity, 200);

  // "egrp" closes the last group at the height reached, and even the last
  // group so closed moves over its span.
  ASSERT_EQ(LoadText("laygrp 5\ngrp 0, 0, \"g.elg\"\ntext 0, 100, \"a\"\negrp 20\ntext 0, 100, \"b\"\n"), kLayoutOk);
  PlaceAll();
  EXPECT_EQ(layout_.Entries()[0].startHeight, 5);
  EXPECT_EQ(layout_.Entries()[0].endHeight, 100 + 20 + 5);
  EXPECT_EQ(layout_.Entries()[0].span, 120);
  // A layout with only group pictures has no lines.
  ASSERT_EQ(LoadText("grp 0, 0, \"g.elg\"\n"), kLayoutOk);
  EXPECT_FALSE(layout_.HasLines());
}

}  // namespace
}  // namespace orrivel
