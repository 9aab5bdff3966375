// The outline font's glyphs through its cache, measuring and bad input.
#include <gtest/gtest.h>

#include "text/FontTestSupport.h"

#include <climits>
#include <string>
#include <vector>

#include "base/MathTables.h"
#include "platform/TextCodec.h"
#include "platform/font/FontFace.h"
#include "raster/BlendTables.h"
#include "raster/DibImage.h"
#include "text/FontSettings.h"
#include "text/GlyphKey.h"
#include "text/OutlineFont.h"

namespace orrivel {
namespace {

using OutlineGlyphTest = FontTest;

TEST_F(OutlineGlyphTest, ASpaceIsABlankGlyphWithAnAdvance) {
  auto font = Gothic(16);
  const Glyph* g = font->RenderGlyph(' ', 16, false, false, false, false);
  ASSERT_NE(g, nullptr);
  EXPECT_TRUE(g->IsBlank());
  EXPECT_EQ(g->width, 0);
  EXPECT_EQ(g->height, 0);
  EXPECT_EQ(g->advanceX, font->Face()->MeasureText(" ").width);
  EXPECT_GT(g->advanceX, 0);
  EXPECT_EQ(font->Cache().Count(), 1u) << "blank glyphs are cached too";
  EXPECT_EQ(font->RenderGlyph(' ', 16, false, false, false, false), g);
}

TEST_F(OutlineGlyphTest, EdgeWidthZeroScalesByStrength) {
  const struct {
    int32_t strength;
    bool halved;
  } cases[] = {{128, true}, {255, false}};
  for (const auto& c : cases) {
    auto font = Gothic(24);
    font->SetEdge(c.strength, 0);
    const Glyph* plain = font->RenderGlyph(0x82A0, 24, false, false, false, false);
    const Glyph* edge = font->RenderGlyph(0x82A0, 24, true, false, false, false);
    ASSERT_TRUE(plain && edge);
    ASSERT_NE(plain, edge);
    ASSERT_EQ(edge->width, plain->width);
    ASSERT_EQ(edge->height, plain->height);
    EXPECT_EQ(edge->originX, plain->originX);
    for (int y = 0; y < plain->height; ++y) {
      for (int x = 0; x < plain->width; ++x) {
        const uint8_t p = plain->Row(y)[x];
        ASSERT_EQ(edge->Row(y)[x], c.halved ? ProductTable[128][p] : p) << x << "," << y;
      }
    }
  }
}

TEST_F(OutlineGlyphTest, AnEdgeGlyphGrowsByTheRadius) {
  auto font = Gothic(24);
  const Glyph* plain = font->RenderGlyph('H', 24, false, false, false, false);
  const Glyph* edge = font->RenderGlyph('H', 24, true, false, false, false);
  ASSERT_TRUE(plain && edge);
  EXPECT_EQ(edge->width, plain->width + 4);
  EXPECT_EQ(edge->height, plain->height + 4);
  EXPECT_EQ(edge->originX, plain->originX - 2);
  EXPECT_EQ(edge->originY, plain->originY - 2);
  EXPECT_EQ(edge->advanceX, plain->advanceX);
  font->SetAntialias(0);
  const Glyph* twoLevel = font->RenderGlyph('H', 24, true, false, false, false);
  ASSERT_NE(twoLevel, nullptr);
  for (int y = 0; y < twoLevel->height; ++y) {
    for (int x = 0; x < twoLevel->width; ++x) {
      const uint8_t v = twoLevel->Row(y)[x];
      ASSERT_TRUE(v == 0 || v == 255);
    }
  }
}

TEST_F(OutlineGlyphTest, TheGlyphPastCapacityEvictsTheLeastRecentlyUsed) {
  auto font = Gothic(16);
  ASSERT_EQ(font->Cache().Capacity(), 512u);
  // 512 keys: one character at 512 key heights (the height is only a key here).
  for (int32_t h = 1; h <= 512; ++h) ASSERT_NE(font->RenderGlyph('A', h, false, false, false, false), nullptr);
  EXPECT_EQ(font->Cache().Count(), 512u);
  const uint32_t oldest = MakeGlyphKey('A', 1, false, false, false);
  EXPECT_EQ(font->Cache().Tail()->key, oldest);
  Glyph* hit = font->RenderGlyph('A', 1, false, false, false, false);
  EXPECT_EQ(font->Cache().Head()->key, oldest);
  EXPECT_EQ(font->Cache().Head()->glyph, hit);
  ASSERT_NE(font->RenderGlyph('B', 16, false, false, false, false), nullptr);
  EXPECT_EQ(font->Cache().Count(), 512u);
  EXPECT_EQ(font->Cache().Find(MakeGlyphKey('A', 2, false, false, false), GlyphBucket('A', 2, false, false, false)),
            nullptr);
  EXPECT_NE(font->Cache().Find(oldest, GlyphBucket('A', 1, false, false, false)), nullptr);
}

// With capacity 0 every glyph belongs to the caller (the leak checker
// watches this test).
TEST_F(OutlineGlyphTest, CapacityZeroHandsEveryGlyphToTheCaller) {
  SetGlyphCacheCapacityWord(0);
  auto font = Gothic(16);
  for (int round = 0; round < 2; ++round) {
    Glyph* g = font->RenderGlyph(0x82A0, 16, round == 1, false, false, false);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(font->Cache().Count(), 0u);
    font->ReleaseUncachedGlyph(g);
  }
  font->SetEdge(100, 1);
  font->SetAntialias(0);  // flushing an empty cache is harmless
}

// A script's edge width is held to the widest edge, both ways: the
// glyph is drawn at once with that edge, not after a hang.
TEST_F(OutlineGlyphTest, AnEdgeWiderThanTheWidestIsDrawnAsTheWidest) {
  auto font = Gothic(16);
  const Glyph* plain = font->RenderGlyph(0x82A0, 16, false, false, false, false);
  ASSERT_NE(plain, nullptr);
  const int32_t plainWidth = plain->width;
  const struct {
    int32_t asked, kept;
  } cases[] = {{INT32_MAX, OutlineFont::kMaxEdgeWidth},
               {INT32_MIN, -OutlineFont::kMaxEdgeWidth},
               {OutlineFont::kMaxEdgeWidth + 1, OutlineFont::kMaxEdgeWidth},
               {-3, -3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked);
    font->SetEdge(1024, c.asked);
    EXPECT_EQ(font->EdgeWidth(), c.kept);
    Glyph* g = font->RenderGlyph(0x82A0, 16, true, false, false, false);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->width, plainWidth + 2 * std::abs(c.kept));
  }
}

TEST_F(OutlineGlyphTest, PictureNumbersDrawNothingWithoutAPictureSet) {
  auto font = Gothic(16);
  EXPECT_EQ(font->RenderGlyph(3, 16, false, false, false, true), nullptr);
}

TEST_F(OutlineGlyphTest, MeasuringFollowsTheTextConventions) {
  auto font = Gothic(16);
  const int32_t a = font->Face()->MeasureText("a").width;
  const int32_t at = font->Face()->MeasureText("@").width;
  const int32_t wide = 16;
  const struct {
    std::string text;
    int lines, width, height, characters;
  } cases[] = {
      {"", 1, 0, 16, 0},
      {"ab\na", 2, 2 * a, 2 * 16 + 3, 3},
      {"a@@a", 1, 2 * a + at, 16, 3},
      {"a@12a", 1, 2 * a, 16, 3},       // picture 12 is one character of no width here
      {"@12345678", 1, a * 0 + font->Face()->MeasureText("8").width, 16, 2},
      {Sjis("表ソ"), 1, 2 * wide, 16, 2},  // trail bytes '\\' stay inside their characters
      {"a\x82", 1, a, 16, 1},            // a lead byte at the end is half a character
  };
  font->lineSpacing = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Size size;
    int32_t left = 9, top = 9, count = 0;
    EXPECT_EQ(font->MeasureText(c.text.c_str(), &size, &left, &top, true, &count), c.lines);
    EXPECT_EQ(size.width, c.width);
    EXPECT_EQ(size.height, c.height);
    EXPECT_EQ(count, c.characters);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 0);
  }
}

TEST_F(OutlineGlyphTest, MeasuringAddsItalicSlantAndEffects) {
  auto font = Gothic(24);
  Size upright, size;
  font->MeasureText("ab", &upright, nullptr, nullptr, true, nullptr);
  ASSERT_EQ(font->SetBoldItalic(0, 1), 0);
  font->MeasureText("ab", &size, nullptr, nullptr, true, nullptr);
  EXPECT_EQ(size.width, upright.width + 8);
  ASSERT_EQ(font->SetBoldItalic(0, 0), 0);
  font->effectMode = kEffectShadow;
  font->shadowX = -2;
  font->shadowY = 3;
  int32_t left = 0, top = 0;
  font->MeasureText("ab", &size, &left, &top, true, nullptr);
  EXPECT_EQ(size, (Size{upright.width + 2, upright.height + 3}));
  EXPECT_EQ(left, -2);
  EXPECT_EQ(top, 0);
  font->MeasureText("ab", &size, &left, &top, false, nullptr);
  EXPECT_EQ(size, upright);
  font->effectMode = kEffectOutline;
  font->MeasureText("ab", &size, &left, &top, true, nullptr);
  EXPECT_EQ(size, (Size{upright.width + 4, upright.height + 4}));
  EXPECT_EQ(left, -2);
  EXPECT_EQ(top, -2);
}

TEST_F(OutlineGlyphTest, ExtremeAnglesStayWellDefined) {
  for (int32_t angle : {INT32_MAX, INT32_MIN, -900, 3600 + 2700}) {
    auto font = Gothic(16);
    ASSERT_EQ(font->SetAngle(angle), 0);
    Rect box;
    font->GetRotatedBounds(&box, 0, 0, 40, 16);
    EXPECT_FALSE(box.IsEmpty());
    const Glyph* g = font->RenderGlyph(0x82A0, 16, false, false, false, false);
    ASSERT_NE(g, nullptr);
    EXPECT_FALSE(g->IsBlank());
  }
}

TEST_F(OutlineGlyphTest, BadInputGetsItsCodes) {
  OutlineFont font;
  EXPECT_EQ(font.SetFaceName(nullptr), kFontNoFace);
  // Never made: nothing to measure or draw with.
  Size size;
  EXPECT_EQ(font.MeasureText("abc", &size, nullptr, nullptr, false, nullptr), 0);
  DibImage image;
  EXPECT_EQ(font.DrawText(&image, 0, 0, "abc", nullptr, nullptr), 1);
  EXPECT_EQ(font.RenderGlyph('a', 16, false, false, false, false), nullptr);

  // An unknown face falls back to the default face.
  std::vector<std::string> lines;
  platform::SetFontLogSink([&](std::string_view line) { lines.emplace_back(line); });
  EXPECT_EQ(font.SetFaceName("Unknown Face 93"), 0);
  EXPECT_TRUE(font.HasFont());
  EXPECT_TRUE(font.Face()->FellBack());
  EXPECT_EQ(lines.size(), 1u);
  EXPECT_EQ(font.MeasureText("abc", &size, nullptr, nullptr, false, nullptr), 1);
  EXPECT_EQ(font.MeasureText(nullptr, &size, nullptr, nullptr, false, nullptr), 0);

  // A creation that fails leaves the font without faces.
  platform::SetFontFilesUnavailable(true);
  EXPECT_EQ(font.SetHeight(20), kFontMainFailed);
  EXPECT_FALSE(font.HasFont());
  EXPECT_EQ(font.MeasureText("abc", &size, nullptr, nullptr, false, nullptr), 0);
  EXPECT_EQ(font.DrawText(&image, 0, 0, "abc", nullptr, nullptr), 1);
  EXPECT_EQ(font.SetBoldItalic(1, 0), kFontCompanionFailed);
  EXPECT_FALSE(font.HasFont());
  EXPECT_FALSE(font.HasCompanion());
  platform::SetFontFilesUnavailable(false);
  EXPECT_EQ(font.SetBoldItalic(0, 0), 0);
  EXPECT_TRUE(font.HasFont());
}

}  // namespace
}  // namespace orrivel
