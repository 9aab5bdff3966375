// The outline font: configuration, metrics from the IPA font, the glyph
// rasteriser over the font service and the turned geometry.
#include "text/OutlineFont.h"

#include <gtest/gtest.h>

#include "text/FontTestSupport.h"

#include <algorithm>
#include <string>

#include "base/MathTables.h"
#include "platform/TextCodec.h"
#include "platform/font/FontFace.h"
#include "raster/BlendTables.h"
#include "text/FontSettings.h"
#include "text/GlyphFilters.h"
#include "text/GlyphKey.h"
#include <functional>

namespace orrivel {
namespace {

using OutlineFontTest = FontTest;

// What the platform reports for the IPA Gothic face that stands in for
// "ＭＳ ゴシック"; a change here moves every line of text.
TEST_F(OutlineFontTest, MetricsOfTheGothicFaceArePinned) {
  const struct {
    int32_t height, ascent, descent, internalLeading, averageWidth, maxWidth, outlineAscent, advanceOfAandA;
  } cases[] = {
      {16, 14, 3, 1, 8, 16, 14, 24},
      {24, 21, 5, 2, 12, 24, 21, 36},
      {32, 28, 6, 2, 16, 32, 28, 48},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.height);
    auto font = Gothic(c.height);
    const platform::TextMetrics& m = font->Face()->Metrics();
    platform::OutlineMetrics o;
    ASSERT_TRUE(font->Face()->GetOutlineMetrics(&o));
    EXPECT_EQ(m.ascent, c.ascent);
    EXPECT_EQ(m.descent, c.descent);
    EXPECT_EQ(m.height, c.ascent + c.descent);
    EXPECT_EQ(m.internalLeading, c.internalLeading);
    EXPECT_EQ(m.averageCharWidth, c.averageWidth);
    EXPECT_EQ(m.maxCharWidth, c.maxWidth);
    EXPECT_EQ(o.ascent, c.outlineAscent);
    EXPECT_EQ(font->Ascent(), c.outlineAscent) << "internal leading is positive: the outline ascent";
    EXPECT_EQ(font->Face()->MeasureText(Sjis("あA")).width, c.advanceOfAandA);
  }
}

TEST_F(OutlineFontTest, ConstructionTakesTheDefaults) {
  SetGlyphCacheCapacityWord(0x10005);
  OutlineFont font;
  EXPECT_EQ(font.GetKind(), kFontKindOutline);
  EXPECT_EQ(font.Cache().Capacity(), 5u) << "the low 16 bits of the capacity word";
  EXPECT_FALSE(font.HasFont());
  EXPECT_EQ(font.Logical().height, -16);
  EXPECT_EQ(font.Logical().weight, 400);
  EXPECT_EQ(font.Logical().charSet, 128);
  EXPECT_EQ(font.Logical().quality, 3);
  EXPECT_EQ(font.antialias, 2);
  EXPECT_EQ(font.EdgeStrength(), 1024);
  EXPECT_EQ(font.EdgeWidth(), 2);
  EXPECT_EQ(font.EdgeWeightValue(), 1872);
  EXPECT_EQ(font.GradientTop(), 0xFFFFFFu);
  EXPECT_EQ(font.GradientBottom(), 0u);
  EXPECT_FALSE(font.GradientEnabled());
}

// Setters: which re-make the font and which flush the cache (height, bold
// and italic are part of the glyph key; face, angle, antialias and edge
// are not).
TEST_F(OutlineFontTest, SettersRemakeTheFontAndFlushTheCacheAsTheKeyNeeds) {
  struct Case {
    const char* name;
    std::function<int(OutlineFont&)> set;
    bool remade;
    bool flushed;
  };
  const std::string mincho = Sjis("ＭＳ 明朝");
  const Case cases[] = {
      {"same height", [](OutlineFont& f) { return f.SetHeight(16); }, false, false},
      {"same height, other sign", [](OutlineFont& f) { return f.SetHeight(-16); }, false, false},
      {"new height", [](OutlineFont& f) { return f.SetHeight(24); }, true, false},
      {"same face", [](OutlineFont& f) { return f.SetFaceName(f.Logical().faceName); }, false, false},
      {"new face", [&](OutlineFont& f) { return f.SetFaceName(mincho.c_str()); }, true, true},
      {"same style", [](OutlineFont& f) { return f.SetBoldItalic(0, 0); }, false, false},
      {"italic", [](OutlineFont& f) { return f.SetBoldItalic(0, 1); }, true, false},
      {"same angle", [](OutlineFont& f) { return f.SetAngle(0); }, false, false},
      {"new angle", [](OutlineFont& f) { return f.SetAngle(2700); }, true, true},
      {"same antialias", [](OutlineFont& f) { f.SetAntialias(2); return 0; }, false, false},
      {"new antialias", [](OutlineFont& f) { f.SetAntialias(1); return 0; }, false, true},
      {"same edge", [](OutlineFont& f) { f.SetEdge(1024, 2); return 0; }, false, false},
      {"new edge", [](OutlineFont& f) { f.SetEdge(1024, 3); return 0; }, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto font = Gothic(16);
    ASSERT_NE(font->RenderGlyph('A', 16, false, false, false, false), nullptr);
    const platform::FontFace* before = font->Face();
    EXPECT_EQ(c.set(*font), 0);
    EXPECT_EQ(font->Face() != before, c.remade);
    EXPECT_EQ(font->Cache().Count(), c.flushed ? 0u : 1u);
  }
}

TEST_F(OutlineFontTest, ABoldFontOwnsACompanionOfNormalWeight) {
  auto font = Gothic(16);
  EXPECT_FALSE(font->HasCompanion());
  EXPECT_EQ(font->SetBoldItalic(1, 0), 0);
  EXPECT_TRUE(font->HasCompanion());
  EXPECT_EQ(font->Logical().weight, 700);
  EXPECT_EQ(font->SetBoldItalic(0, 0), 0);
  EXPECT_FALSE(font->HasCompanion());
}

TEST_F(OutlineFontTest, TheGradientFollowsTheHeight) {
  auto font = Gothic(16);
  EXPECT_EQ(font->SetGradient(1, 0xFF0000, 0x0000FF, 1), 0);
  EXPECT_EQ(font->Gradient().count, 16u);
  EXPECT_EQ(font->SetHeight(24), 0);
  ASSERT_EQ(font->Gradient().count, 24u);
  EXPECT_EQ(font->Gradient().from, 0xFF0000u);
  EXPECT_EQ(font->Gradient().to, 0x0000FFu);
  EXPECT_EQ(font->Gradient().Words()[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(font->SetFont(32, 0, 0, nullptr), 0);
  EXPECT_EQ(font->Gradient().count, 32u);
  // A ramp of one row cannot be built: the gradient switches off.
  EXPECT_EQ(font->SetGradient(1, 0xFF0000, 0x0000FF, 1), 0) << "32 rows are built already";
  EXPECT_EQ(font->SetHeight(1), 0);
  EXPECT_FALSE(font->GradientEnabled());
}

TEST_F(OutlineFontTest, BaselineOffsetsTurnWithTheAngle) {
  auto font = Gothic(16);
  EXPECT_EQ(font->BaselineOffset(), (Point{0, 14}));
  EXPECT_EQ(font->SetAngle(2700), 0);
  EXPECT_EQ(font->BaselineOffset(), (Point{-14, 0}));
  EXPECT_EQ(font->SetAngle(900), 0);
  EXPECT_EQ(font->BaselineOffset(), (Point{14, 0}));
  // Without the cosine table every angle falls back to the upright form.
  SetMathTables(nullptr);
  EXPECT_EQ(font->SetAngle(2700), 0);
  EXPECT_EQ(font->BaselineOffset(), (Point{0, 14}));
  Rect r;
  EXPECT_EQ(*font->GetRotatedBounds(&r, 1, 2, 30, 16), (Rect{1, 2, 31, 18}));
}

// Rotated geometry agrees with where glyphs land: at 2700 the text runs
// down with its glyphs left of the pen, the next line lies further left,
// and the rotated box of a measured text holds every glyph drawn from it.
TEST_F(OutlineFontTest, EveryTurnedGlyphLiesInsideTheRotatedBounds) {
  const char* texts[] = {"A", "あ", "ー", "、", "g", "表"};
  for (const char* face : {"ＭＳ ゴシック", "@ＭＳ ゴシック"}) {
    for (int32_t angle : {0, 900, 2700}) {
      SCOPED_TRACE(std::string(face) + " at " + std::to_string(angle));
      auto font = Gothic(32, face);
      ASSERT_EQ(font->SetAngle(angle), 0);
      for (const char* text : texts) {
        const std::string sjis = Sjis(text);
        Size size;
        ASSERT_EQ(font->MeasureText(sjis.c_str(), &size, nullptr, nullptr, false, nullptr), 1);
        Rect box;
        font->GetRotatedBounds(&box, 0, 0, size.width, size.height);
        const uint16_t code = sjis.size() == 2 ? uint16_t(uint8_t(sjis[0]) << 8 | uint8_t(sjis[1])) : uint8_t(sjis[0]);
        Glyph* g = font->RenderGlyph(code, 32, false, false, false, false);
        ASSERT_NE(g, nullptr);
        ASSERT_FALSE(g->IsBlank());
        EXPECT_GE(g->originX, box.left) << text;
        EXPECT_GE(g->originY, box.top) << text;
        EXPECT_LE(g->originX + g->width, box.right) << text;
        EXPECT_LE(g->originY + g->height, box.bottom) << text;
        if (angle == 2700) {
          EXPECT_EQ(g->advanceX, 0);
          EXPECT_EQ(g->advanceY, size.width);
        }
      }
    }
  }
}

TEST_F(OutlineFontTest, LineStepShadowAndGradientFollowTheGlyphs) {
  auto font = Gothic(16);
  font->lineSpacing = 4;
  EXPECT_EQ(font->LineStep(), (Point{0, 20}));
  EXPECT_EQ(font->TurnOffset(2, 3), (Point{2, 3}));
  EXPECT_EQ(font->GradientDirection(), 0);
  EXPECT_EQ(font->GradientEntry(-5, 3), 3);
  ASSERT_EQ(font->SetAngle(2700), 0);
  EXPECT_EQ(font->LineStep(), (Point{-20, 0})) << "the next column lies to the left";
  EXPECT_EQ(font->TurnOffset(0, 3), (Point{-3, 0}));
  EXPECT_EQ(font->TurnOffset(3, 0), (Point{0, 3}));
  EXPECT_EQ(font->GradientDirection(), 1);
  // The column's top edge is the pen: entries grow leftwards and stay inside
  // the ramp over the glyph's whole width.
  EXPECT_EQ(font->GradientEntry(-1, 9), 0);
  EXPECT_EQ(font->GradientEntry(-16, 0), 15);
  Glyph* g = font->RenderGlyph(0x82A0, 16, false, false, false, false);
  ASSERT_NE(g, nullptr);
  EXPECT_GE(font->GradientEntry(g->originX + g->width - 1, 0), 0);
  EXPECT_LT(font->GradientEntry(g->originX, 0), 16);
  ASSERT_EQ(font->SetAngle(450), 0);
  EXPECT_EQ(font->GradientDirection(), -1);
}

TEST_F(OutlineFontTest, CoverageLevelsMatchTheAntialiasLevel) {
  const struct {
    uint8_t level;
    int step;
  } cases[] = {{0, 255}, {1, 16}, {2, 4}};
  for (bool forceOversampling : {false, true}) {
    platform::SetGrayGlyphsUnavailable(forceOversampling);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::to_string(c.level) + (forceOversampling ? " oversampled" : ""));
      auto font = Gothic(24);
      font->SetAntialias(c.level);
      Glyph* g = font->RenderGlyph(0x82A0, 24, false, false, false, false);
      ASSERT_NE(g, nullptr);
      EXPECT_EQ(g->pitch % 4, 0);
      EXPECT_GE(g->pitch, g->width);
      EXPECT_NEAR(g->width, 20, 3);
      int top = 0, partial = 0;
      for (int y = 0; y < g->height; ++y) {
        for (int x = 0; x < g->width; ++x) {
          const int v = g->Row(y)[x];
          top = std::max(top, v);
          if (v != 255) {
            EXPECT_EQ(v % c.step, 0) << v;
          }
          if (v != 0 && v != 255) ++partial;
        }
      }
      EXPECT_EQ(top, 255);
      EXPECT_EQ(partial > 0, c.level != 0);
    }
  }
}

TEST_F(OutlineFontTest, BoldGlyphsAdvanceByAFiftiethAndOne) {
  for (int32_t h : {16, 100}) {
    auto normal = Gothic(h);
    auto bold = Gothic(h);
    ASSERT_EQ(bold->SetBoldItalic(1, 0), 0);
    const Glyph* n = normal->RenderGlyph(0x82A0, h, false, false, false, false);
    const Glyph* b = bold->RenderGlyph(0x82A0, h, false, true, false, false);
    ASSERT_TRUE(n && b);
    const int32_t w = n->advanceX;
    EXPECT_EQ(w, h);
    EXPECT_EQ(b->advanceX, w + w / 50 + 1);
    EXPECT_EQ(b->width, n->width + BoldSmearWidth(h)) << "the smear widens the map";
  }
}

}  // namespace
}  // namespace orrivel
