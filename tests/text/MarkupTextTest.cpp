// The typewriter: one character per Advance, new lines on backslashes, the
// saved read position, plain text, and the marks kept in scene flags.
#include "text/MarkupText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "raster/ColorBox.h"
#include "raster/Surface.h"
#include "script/ScriptTestSupport.h"
#include "text/FontTestSupport.h"
#include "text/TextGolden.h"

namespace orrivel {
namespace {

using namespace std::string_literals;

// A drawable that records what it is told was redrawn.
class RecordingOwner : public ColorBox {
 public:
  bool InvalidateSourceRect(Rect* rect) override {
    told.push_back(*rect);
    return true;
  }
  std::vector<Rect> told;
};

int Set(MarkupTextBase& text, const std::string& record) {
  return text.SetText(reinterpret_cast<const uint8_t*>(record.data()), record.size());
}

class MarkupTextTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    font_ = Gothic(16);
    font_->lineSpacing = 2;
    ASSERT_EQ(surface_.Create(160, 64, 32, Surface::kWithRegion), 0);
    for (int32_t y = 0; y < surface_.GetHeight(); ++y) std::memset(surface_.GetScanLine(y), 0, 160 * 4);
    surface_.OwnedRegion()->Reset();
    surface_.ClearChanged();
  }

  // Every lit pixel lies inside a rectangle of the dirty region.
  void ExpectInkInsideRegion() {
    const std::vector<Rect> rects = surface_.Region()->Rects();
    for (int32_t y = 0; y < surface_.GetHeight(); ++y) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(surface_.GetScanLine(y));
      for (int32_t x = 0; x < surface_.GetWidth(); ++x) {
        if ((row[x] & 0xFFFFFF) == 0) continue;
        bool inside = false;
        for (const Rect& r : rects) inside |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        ASSERT_TRUE(inside) << x << "," << y;
      }
    }
  }

  Rect RegionBounds() const {
    const std::vector<Rect> rects = surface_.Region()->Rects();
    Rect all{1 << 20, 1 << 20, -(1 << 20), -(1 << 20)};
    for (const Rect& r : rects)
      all = Rect{std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                 std::max(all.bottom, r.bottom)};
    return all;
  }

  std::unique_ptr<OutlineFont> font_;
  Surface surface_;
};

TEST_F(MarkupTextTest, AdvanceRevealsOneCharacterAtATimeThenResetsAtTheEnd) {
  MarkupText text;
  EXPECT_EQ(text.Advance(false), 1);  // not set up
  RecordingOwner owner;
  EXPECT_EQ(text.Setup(nullptr, &owner, 4, 6, font_.get(), 1, 0, 0), 1);
  ASSERT_EQ(text.Setup(&surface_, &owner, 4, 6, font_.get(), 1, 0, 0), 0);
  EXPECT_EQ(text.Advance(false), 1);  // no text
  ASSERT_EQ(Set(text, "abc"), 0);
  int32_t lastX = text.GetCursorX();
  for (int i = 0; i < 3; ++i) {
    owner.told.clear();
    ASSERT_EQ(text.Advance(false), kTokenCharacter) << i;
    EXPECT_GT(text.GetCursorX(), lastX);
    EXPECT_EQ(text.GetCursorY(), 6);
    ASSERT_EQ(owner.told.size(), 1u);
    // The character just drawn lies right of the one before it.
    EXPECT_GE(owner.told[0].left, lastX - 1);
    lastX = text.GetCursorX();
  }
  EXPECT_TRUE(surface_.Changed());
  ExpectInkInsideRegion();
  EXPECT_EQ(text.Advance(false), kTokenEnd);
  EXPECT_EQ(text.GetCursorX(), 4);
  EXPECT_EQ(text.GetCursorY(), 6);
}

TEST_F(MarkupTextTest, BackslashStartsANewLineButTrailBytesDoNot) {
  MarkupText text;
  ASSERT_EQ(text.Setup(&surface_, nullptr, 4, 6, font_.get(), 1, 0, 0), 0);
  ASSERT_EQ(Set(text, "a\\b\x83\x5C"), 0);
  ASSERT_EQ(text.Advance(false), 0);
  EXPECT_GT(text.GetCursorX(), 4);
  ASSERT_EQ(text.Advance(false), 0);  // the backslash
  EXPECT_EQ(text.GetCursorX(), 4);
  EXPECT_EQ(text.GetCursorY(), 6 + 16 + 2);
  surface_.OwnedRegion()->Reset();
  ASSERT_EQ(text.Advance(false), 0);  // "b" on the second line
  EXPECT_GE(RegionBounds().top, 6 + 16 + 2 - 2);
  EXPECT_LT(RegionBounds().left, 4 + 16);
  ASSERT_EQ(text.Advance(false), 0);  // "ソ": its trail byte is 0x5C
  EXPECT_EQ(text.GetCursorY(), 6 + 16 + 2);
  EXPECT_EQ(text.Advance(false), kTokenEnd);
}

// Two lines revealed one character at a time: an escaped "[", a picture-free
// "@@", square cells for the two-byte characters (one with trail byte 0x5B)
// and a tag that draws nothing.
TEST_F(MarkupTextTest, TypewriterPageMatchesItsGoldenPicture) {
  test::UseGoldenColours(*font_);
  font_->effectMode = kEffectShadow;
  font_->shadowX = 1;
  font_->shadowY = 1;
  MarkupText text;
  ASSERT_EQ(text.Setup(&surface_, nullptr, 3, 4, font_.get(), 1, 1, 1), 0);
  ASSERT_EQ(Set(text, "A[[b<w>\\\\" + Sjis("あー") + "@@x"), 0);
  int kind = kTokenCharacter;
  for (int steps = 0; steps < 16 && kind != kTokenEnd; ++steps) kind = text.Advance(false);
  ASSERT_EQ(kind, kTokenEnd);
  ExpectInkInsideRegion();
  test::ExpectTextGolden(surface_, "markup_typewriter");
}

TEST_F(MarkupTextTest, SkipDrawsTheRunUpToTheNextStop) {
  MarkupText text;
  ASSERT_EQ(text.Setup(&surface_, nullptr, 0, 0, font_.get(), 1, 0, 0), 0);
  ASSERT_EQ(Set(text, "ab<w>\\$&cd&e"), 0);
  EXPECT_EQ(text.Advance(true), kTokenTag);
  const int32_t afterB = text.GetCursorX();
  EXPECT_GT(afterB, 0);
  EXPECT_EQ(text.Advance(true), kTokenStop);
  EXPECT_EQ(text.Advance(true), kTokenClearPage);  // "cd" drawn, then "&" resets
  EXPECT_EQ(text.GetCursorX(), 0);
  ExpectInkInsideRegion();

  // DrawAll redraws what was read, from the origin; Seek reads up to a position.
  EXPECT_EQ(text.DrawAll(), 1);
  EXPECT_GT(text.GetCursorX(), afterB);
  EXPECT_EQ(text.Seek(2, false), 0);
  EXPECT_EQ(text.ReadCursor(), 2u);
  EXPECT_EQ(text.GetCursorX(), 0);
  EXPECT_EQ(text.Seek(2, true), 0);
  EXPECT_EQ(text.GetCursorX(), afterB);
  MarkupText empty;
  EXPECT_EQ(empty.Seek(0, true), -1);
  EXPECT_EQ(empty.DrawAll(), 0);
}

TEST_F(MarkupTextTest, SquareCellsAndLetterSpacingSetTheAdvance) {
  MarkupText plain, spaced, square;
  ASSERT_EQ(plain.Setup(&surface_, nullptr, 0, 0, font_.get(), 1, 0, 0), 0);
  ASSERT_EQ(spaced.Setup(&surface_, nullptr, 0, 0, font_.get(), 1, 0, 3), 0);
  ASSERT_EQ(square.Setup(&surface_, nullptr, 0, 0, font_.get(), 1, 1, 3), 0);
  const std::string page = "a" + Sjis("あ");
  for (MarkupText* t : {&plain, &spaced, &square}) ASSERT_EQ(Set(*t, page), 0);
  for (MarkupText* t : {&plain, &spaced, &square}) ASSERT_EQ(t->Advance(false), 0);
  EXPECT_EQ(spaced.GetCursorX(), plain.GetCursorX() + 3);
  const int32_t afterA = square.GetCursorX();
  EXPECT_EQ(afterA, spaced.GetCursorX());  // one-byte characters are not squared
  for (MarkupText* t : {&plain, &spaced, &square}) ASSERT_EQ(t->Advance(false), 0);
  EXPECT_EQ(square.GetCursorX(), afterA + 16 + 3);  // a cell as wide as the font is high
}

TEST_F(MarkupTextTest, RestoreCursorOnlyWithinTheSamePage) {
  MarkupText text;
  ASSERT_EQ(text.Setup(&surface_, nullptr, 0, 0, font_.get(), 1, 0, 0), 0);
  EXPECT_EQ(text.SaveCursor(), 0);
  EXPECT_EQ(text.RestoreCursor(), 0);
  ASSERT_EQ(Set(text, "abc"), 0);
  text.Advance(false);
  text.Advance(false);
  EXPECT_EQ(text.SaveCursor(), 1);
  text.Advance(false);
  EXPECT_EQ(text.RestoreCursor(), 1);
  EXPECT_EQ(text.ReadCursor(), 2u);
  ASSERT_EQ(Set(text, "xyz"), 0);
  text.Advance(false);
  EXPECT_EQ(text.RestoreCursor(), 0);
  EXPECT_EQ(text.ReadCursor(), 1u);
}

TEST_F(MarkupTextTest, StringsAndItemsDrawWhole) {
  MarkupText text;
  EXPECT_EQ(text.DrawString(0, 0, 0, &surface_, font_.get(), MarkupText::kOwnMode), 2);
  EXPECT_EQ(text.DrawString(0, 0, 0, nullptr, nullptr, MarkupText::kOwnMode), 1);
  ASSERT_EQ(text.Setup(&surface_, nullptr, 0, 0, font_.get(), 1, 0, 0), 0);
  ASSERT_EQ(Set(text, "one\\two"), 0);
  EXPECT_EQ(text.DrawString(2, 20, 2, nullptr, nullptr, MarkupText::kOwnMode), 0);
  EXPECT_GE(RegionBounds().top, 18);
  EXPECT_EQ(text.DrawString(2, 20, 3, nullptr, nullptr, 0), 2);
  ASSERT_EQ(text.AddItem("pick"), 0);
  EXPECT_EQ(text.DrawItem(0, 80, 0, nullptr, nullptr, 0), 0);
  EXPECT_EQ(text.DrawItem(1, 80, 0, nullptr, nullptr, 0), 2);
  ExpectInkInsideRegion();
  Surface empty;
  EXPECT_EQ(text.DrawItem(0, 0, 0, &empty, nullptr, 0), 3);
}

TEST(MarkupPlainTextTest, TagsBlocksAndPicturesAreLeftOut) {
  MarkupText text;
  EXPECT_EQ(text.GetPlainText(nullptr, 0, true), 1u);
  std::string block = "[\0abcd\x0a\x00zz"s;
  ASSERT_EQ(Set(text, "a<w>\\b\\c[@@@@12[\x81\x5B" "d" + block + "e\x83\x5C$f"), 0);
  const std::string withBreaks = "ab\r\nc@@\x81\x5B" "de\x83\x5C";
  EXPECT_EQ(text.GetPlainText(nullptr, 0, true), withBreaks.size() + 1);
  char buffer[64];
  ASSERT_EQ(text.GetPlainText(buffer, sizeof buffer, true), withBreaks.size() + 1);
  EXPECT_EQ(std::string(buffer), withBreaks);
  ASSERT_EQ(text.GetPlainText(buffer, sizeof buffer, false), withBreaks.size() - 1);
  EXPECT_EQ(std::string(buffer), "abc@@\x81\x5B" "de\x83\x5C");
  ASSERT_EQ(text.GetPlainText(buffer, 3, false), withBreaks.size() - 1);
  EXPECT_STREQ(buffer, "ab");
}

constexpr const char* kScenes = R"(
scene MAIN flags 16 16
  ret
scene SHARED flags 16 16
  ret
)";

TEST(MarkupTextFlagsTest, ReadMarksAndItemFlagsLiveInSceneFlags) {
  testing::HostWithDisk f(kScenes);
  ASSERT_EQ(f.host.LoadScriptFile("MAIN", nullptr), 0);
  MarkupText text(&f.host);
  ASSERT_EQ(Set(text, "a$&"), 0);
  text.SetReadMark(0, 3);
  EXPECT_FALSE(text.PageRead());
  EXPECT_EQ(text.NextNonCharacterToken(), kTokenStop);
  EXPECT_TRUE(f.host.TestSceneFlagA(3, false));
  ASSERT_EQ(Set(text, "again"), 0);
  EXPECT_TRUE(text.PageRead());  // the same mark, already set

  // Items: mode 0 the current scene, mode 1 the shared entry.
  EXPECT_EQ(text.GetFlagMode(), MarkupText::kNoFlagMode);
  EXPECT_EQ(text.SetItemFlag(0), 1);
  const std::string record = "\x00\x04\x00\x02\x03"s + "\x04\x00x\x00"s + "\x04\x00y\x00"s + "\x04\x00z\x00"s;
  ASSERT_EQ(text.SetItems(reinterpret_cast<const uint8_t*>(record.data()), record.size()), 0);
  EXPECT_EQ(text.GetFlagMode(), 0);
  EXPECT_EQ(text.SetItemFlag(1), 0);
  EXPECT_TRUE(f.host.TestSceneFlagB(5, false));
  EXPECT_FALSE(f.host.TestSceneFlagB(5, true));
  EXPECT_EQ(text.GetItemFlag(1), 1);
  EXPECT_EQ(text.GetItemFlag(0), 0);
  EXPECT_EQ(text.SetItemFlag(2), 1);  // not below the limit
  EXPECT_EQ(text.GetItemFlag(2), 0);

  std::string shared = record;
  shared[0] = 1;
  ASSERT_EQ(text.SetItems(reinterpret_cast<const uint8_t*>(shared.data()), shared.size()), 0);
  EXPECT_EQ(text.SetItemFlag(0), 0);
  EXPECT_TRUE(f.host.TestSceneFlagB(4, true));
  text.ClearItems();
  EXPECT_EQ(text.SetItemFlag(0), 1);
  EXPECT_EQ(text.GetFlagMode(), MarkupText::kNoFlagMode);
}

}  // namespace
}  // namespace orrivel
