// Picture glyphs: cutting a strip into cells, choosing the array by the
// antialias level, drawing "@" numbers inline and refusing bad strips.
#include "text/PictureGlyphSet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "raster/Surface.h"
#include "text/FontTestSupport.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

// A strip whose every cell of w x h is filled with its cell number times 16
// (plus one, so cell 0 is visible).
std::unique_ptr<Surface> Strip(int32_t width, int32_t height, int32_t cellW, int32_t cellH) {
  auto s = std::make_unique<Surface>();
  EXPECT_EQ(s->Create(width, height, 8, 0), 0);
  const int32_t perRow = width / cellW;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const int32_t cell = (y / cellH) * perRow + x / cellW;
      s->GetScanLine(y)[x] = x / cellW < perRow ? uint8_t(cell * 16 + 1) : 0;
    }
  }
  return s;
}

using PictureGlyphTest = FontTest;

TEST_F(PictureGlyphTest, CellsRunLeftToRightThenDownAndTheSecondArrayStartsANewRow) {
  auto strip = Strip(30, 40, 8, 10);  // three cells a row (the fourth would pass the edge)
  PictureGlyphSet set;
  ASSERT_EQ(set.Cut(*strip, 4, 8, 10, kPictureFirstArray | kPictureSecondArray), 0);
  EXPECT_EQ(set.Count(), 4);
  // First array: cells 0, 1, 2, then 3 on the next row. Second array: from
  // the third row (row 1 held only cell 3), cells 6, 7, 8, then 9.
  const uint8_t firstValues[] = {1, 17, 33, 49};
  const uint8_t secondValues[] = {97, 113, 129, 145};
  for (uint32_t i = 0; i < 4; ++i) {
    Glyph* a = set.GetGlyph(i, 2, false);
    Glyph* b = set.GetGlyph(i, 0, false);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->Row(0)[0], firstValues[i]) << i;
    EXPECT_EQ(b->Row(9)[7], secondValues[i]) << i;
    EXPECT_EQ(a->pitch % 4, 0);
    EXPECT_EQ((Point{a->advanceX, a->advanceY}), (Point{8, 0}));
  }
  EXPECT_EQ(set.GetGlyph(4, 2, false), nullptr) << "numbers past the count";
}

TEST_F(PictureGlyphTest, ArrayChoiceFollowsTheLevelAndWhatWasLoaded) {
  auto strip = Strip(16, 20, 8, 10);
  PictureGlyphSet set;
  ASSERT_EQ(set.Cut(*strip, 2, 8, 10, kPictureFirstArray), 0);
  EXPECT_EQ(set.GetGlyph(1, 0, false)->Row(0)[0], 17) << "level 0 without a second array uses the first";
  ASSERT_EQ(set.Cut(*strip, 2, 8, 10, kPictureSecondArray), 0);
  EXPECT_EQ(set.GetGlyph(1, 2, false)->Row(0)[0], 17) << "no first array: the second serves every level";
}

TEST_F(PictureGlyphTest, BadStripsAreRefused) {
  auto strip = Strip(16, 20, 8, 10);
  PictureGlyphSet set;
  EXPECT_EQ(set.Cut(*strip, 5, 8, 10, kPictureFirstArray), kPictureStripShort) << "four cells fit";
  EXPECT_EQ(set.Count(), 0);
  EXPECT_EQ(set.GetGlyph(0, 2, false), nullptr) << "nothing is kept after a failure";
  EXPECT_EQ(set.Cut(*strip, 1, 17, 10, kPictureFirstArray), kPictureStripShort) << "a cell wider than the strip";
  EXPECT_EQ(set.Cut(*strip, 1, 8, 21, kPictureFirstArray), kPictureStripShort) << "a cell taller than the strip";
  EXPECT_EQ(set.Cut(*strip, 2, 8, 10, kPictureFirstArray | kPictureSecondArray), 0);
  EXPECT_EQ(set.Cut(*strip, 3, 8, 10, kPictureFirstArray | kPictureSecondArray), kPictureStripShort);
  EXPECT_EQ(set.Cut(*strip, 0x7FFFFFFF, 8, 10, kPictureFirstArray), kPictureStripShort) << "a hostile count";
  Surface wide;
  ASSERT_EQ(wide.Create(16, 16, 32, 0), 0);
  EXPECT_EQ(set.Cut(wide, 1, 8, 8, kPictureFirstArray), kPictureNoImage);
  EXPECT_EQ(set.Load(nullptr, 1, 8, 8, kPictureFirstArray), kPictureNoImage);
  EXPECT_EQ(set.Load("NO_SUCH_STRIP.BMP", 1, 8, 8, kPictureFirstArray), kPictureNoImage);
}

TEST_F(PictureGlyphTest, AnglesAndEdgesPlaceThePictures) {
  auto strip = Strip(16, 10, 8, 10);
  PictureGlyphSet set;
  set.SetAngle(2700);
  ASSERT_EQ(set.Cut(*strip, 2, 8, 10, kPictureFirstArray), 0);
  Glyph* g = set.GetGlyph(0, 2, false);
  EXPECT_EQ((Point{g->originX, g->originY}), (Point{-8, 0}));
  EXPECT_EQ((Point{g->advanceX, g->advanceY}), (Point{0, 10}));
  set.SetAngle(0);
  EXPECT_EQ((Point{g->originX, g->advanceX}), (Point{0, 8}));
  set.SetEdge(1024, 2, 1872);
  Glyph* edge = set.GetGlyph(0, 2, true);
  ASSERT_NE(edge, nullptr);
  EXPECT_EQ(edge->width, 12);
  EXPECT_EQ(edge->height, 14);
  EXPECT_EQ((Point{edge->originX, edge->originY}), (Point{-2, -2}));
  EXPECT_EQ(edge->advanceX, 8);
  EXPECT_EQ(set.GetGlyph(0, 2, true), edge) << "made once and kept";
}

TEST_F(PictureGlyphTest, TextDrawsAndMeasuresPictureNumbers) {
  auto font = Gothic(16);
  auto strip = Strip(40, 10, 8, 10);  // five pictures
  ASSERT_EQ(font->LoadPictureGlyphs(*strip, 5, 8, 10, kPictureFirstArray), 0);
  const int32_t a = font->Face()->Advance('a');
  const struct {
    const char* text;
    int32_t advance;
  } cases[] = {
      {"@", 8},                  // a lone "@" is picture 0
      {"@4", 8},
      {"a@@a", 3 * a - a + font->Face()->Advance('@')},
      {"a@12a", 2 * a},          // picture 12 is past the count: no advance
      {"@12345678", font->Face()->Advance('8')},  // 1234567 is past the count, "8" is a character
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Surface image;
    ASSERT_EQ(image.Create(120, 40, 32, 0), 0);
    Point end;
    ASSERT_EQ(font->DrawText(&image, 10, 5, c.text, nullptr, &end), 0);
    EXPECT_EQ(end, (Point{10 + c.advance, 5}));
  }
  Size size;
  ASSERT_EQ(font->MeasureText("a@1a", &size, nullptr, nullptr, false, nullptr), 1);
  EXPECT_EQ(size.width, 2 * a + 8);
  // Picture 3 lands at the pen with its own pixel values as coverage.
  Surface image;
  ASSERT_EQ(image.Create(40, 30, 32, 0), 0);
  image.FillRect(0, nullptr);
  font->textRed = 200;
  font->textGreen = font->textBlue = 0;
  Rect drawn;
  ASSERT_EQ(font->DrawText(&image, 4, 6, "@3", &drawn, nullptr), 0);
  EXPECT_EQ(drawn, (Rect{4, 6, 12, 16}));
  const uint32_t pixel = reinterpret_cast<const uint32_t*>(image.GetScanLine(6))[4];
  EXPECT_EQ((pixel >> 16) & 0xFF, uint32_t((200 * 49 + 127) / 255)) << std::hex << pixel;
}

}  // namespace
}  // namespace orrivel
