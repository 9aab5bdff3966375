// The font service: face names, CP932 codes, glyph bitmaps and vertical faces.
#include "platform/font/FontFace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TextCodec.h"

namespace orrivel::platform {
namespace {

std::string Sjis(const char* utf8) { return Utf8ToCp932(utf8).value(); }

FontRequest Request(int32_t height, const std::string& face, int32_t escapement = 0) {
  FontRequest r;
  r.height = height;
  r.face = face;
  r.escapement = escapement;
  return r;
}

struct Bitmap {
  GlyphMetrics metrics;
  std::vector<uint8_t> bytes;
};

Bitmap Render(FontFace& face, uint16_t code, GlyphFormat format, int scale = 1) {
  Bitmap b;
  const uint32_t size = face.GetGlyph(code, format, scale, &b.metrics, nullptr, 0);
  EXPECT_NE(size, kGlyphError);
  b.bytes.resize(size);
  if (size) {
    EXPECT_EQ(face.GetGlyph(code, format, scale, &b.metrics, b.bytes.data(), size), size);
  }
  return b;
}

TEST(FontFaceTest, JapaneseSystemFacesMapToTheIpaFonts) {
  const struct {
    const char* face;
    const char* family;
  } cases[] = {
      {"ＭＳ ゴシック", "IPAGothic"},   {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ 明朝", "IPAMincho"},
      {"ＭＳ Ｐ明朝", "IPAPMincho"},    {"@ＭＳ ゴシック", "IPAGothic"},  {"@ＭＳ Ｐゴシック", "IPAPGothic"},
      {"@ＭＳ 明朝", "IPAMincho"},      {"@ＭＳ Ｐ明朝", "IPAPMincho"},   {"IPAGothic", "IPAGothic"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.face);
    EXPECT_EQ(ResolveFaceFamily(Sjis(c.face)), c.family);
    auto face = FontFace::Open(Request(-16, Sjis(c.face)));
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->FamilyName(), c.family);
    EXPECT_EQ(face->IsVertical(), c.face[0] == '@');
    EXPECT_FALSE(face->FellBack());
  }
}

TEST(FontFaceTest, UnknownFaceFallsBackToTheDefaultWithOneLogLine) {
  std::vector<std::string> lines;
  SetFontLogSink([&](std::string_view line) { lines.emplace_back(line); });
  EXPECT_EQ(ResolveFaceFamily("No Such Face 7f3a"), "");
  for (int i = 0; i < 3; ++i) {
    auto face = FontFace::Open(Request(-16, "No Such Face 7f3a"));
    ASSERT_NE(face, nullptr);
    EXPECT_TRUE(face->FellBack());
    EXPECT_EQ(face->FamilyName(), "IPAGothic");
  }
  SetFontLogSink(nullptr);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("No Such Face 7f3a"), std::string::npos);
}

TEST(FontFaceTest, Cp932CodesConvertToUnicode) {
  const struct {
    uint16_t code;
    char32_t unicode;
  } cases[] = {
      {0x41, U'A'},        {0x5C, U'\\'},       {0xB1, U'\uFF71'},  // half-width katakana
      {0x82A0, U'\u3042'}, {0x815B, U'\u30FC'}, {0x815C, U'\u2015'}, {0x8160, U'\uFF5E'},
      {0x955C, U'\u8868'}, {0x8340, U'\u30A1'}, {0x8740, U'\u2460'},  // NEC special: circled 1
      {0x85A0, U'\uFF1F'},                                             // unassigned pair
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp932CodeToUnicode(c.code), c.unicode) << std::hex << c.code;
    EXPECT_EQ(Cp932CodeToUnicode(c.code), c.unicode) << "cached " << std::hex << c.code;
  }
}

TEST(FontFaceTest, GlyphRowsArePaddedToFourBytesAndLevelsStayInRange) {
  auto face = FontFace::Open(Request(-24, Sjis("ＭＳ ゴシック")));
  ASSERT_NE(face, nullptr);
  const struct {
    GlyphFormat format;
    int maxLevel;
  } formats[] = {{GlyphFormat::kBitmap, 255}, {GlyphFormat::kGray4, 16}, {GlyphFormat::kGray8, 64}};
  for (const auto& f : formats) {
    for (uint16_t code : {uint16_t('A'), uint16_t('i'), uint16_t(0x82A0), uint16_t(0x955C)}) {
      const Bitmap b = Render(*face, code, f.format);
      ASSERT_GT(b.metrics.blackBoxX, 0u);
      const uint32_t pitch = f.format == GlyphFormat::kBitmap ? (b.metrics.blackBoxX + 31) / 32 * 4
                                                              : (b.metrics.blackBoxX + 3) & ~3u;
      EXPECT_EQ(b.bytes.size(), pitch * b.metrics.blackBoxY);
      int top = 0;
      for (uint8_t v : b.bytes) top = std::max<int>(top, v);
      EXPECT_LE(top, f.maxLevel);
      if (f.format != GlyphFormat::kBitmap) {
        EXPECT_EQ(top, f.maxLevel) << "solid strokes reach full coverage";
      }
      EXPECT_EQ(b.metrics.cellIncX, face->MeasureText(code > 0xFF ? std::string{char(code >> 8), char(code)}
                                                                   : std::string(1, char(code)))
                                        .width);
    }
  }
}

TEST(FontFaceTest, OversampledBitmapsAreScaled) {
  auto face = FontFace::Open(Request(-16, ""));
  ASSERT_NE(face, nullptr);
  const Bitmap one = Render(*face, 0x82A0, GlyphFormat::kBitmap, 1);
  const Bitmap four = Render(*face, 0x82A0, GlyphFormat::kBitmap, 4);
  EXPECT_NEAR(int(four.metrics.blackBoxX), 4 * int(one.metrics.blackBoxX), 6);
  EXPECT_NEAR(four.metrics.cellIncX, 4 * one.metrics.cellIncX, 4);
  EXPECT_EQ(face->GetGlyph(0x82A0, GlyphFormat::kBitmap, 3, nullptr, nullptr, 0), kGlyphError);
}

TEST(FontFaceTest, BlankCharactersHaveNoBitsButAnAdvance) {
  auto face = FontFace::Open(Request(-16, ""));
  ASSERT_NE(face, nullptr);
  GlyphMetrics m;
  EXPECT_EQ(face->GetGlyph(' ', GlyphFormat::kGray8, 1, &m, nullptr, 0), 0u);
  EXPECT_GT(m.cellIncX, 0);
}

TEST(FontFaceTest, TestSeamsRefuseGreyFormatsAndFontFiles) {
  auto face = FontFace::Open(Request(-16, ""));
  ASSERT_NE(face, nullptr);
  SetGrayGlyphsUnavailable(true);
  EXPECT_EQ(face->GetGlyph('A', GlyphFormat::kGray8, 1, nullptr, nullptr, 0), kGlyphError);
  EXPECT_NE(face->GetGlyph('A', GlyphFormat::kBitmap, 8, nullptr, nullptr, 0), kGlyphError);
  SetGrayGlyphsUnavailable(false);
  SetFontFilesUnavailable(true);
  EXPECT_EQ(FontFace::Open(Request(-16, "")), nullptr);
  SetFontFilesUnavailable(false);
}

// Escapement 2700 turns text clockwise on screen (y grows downwards): the
// advance points down and an upright glyph's top points right.
TEST(FontFaceTest, EscapementTurnsGlyphsAnticlockwise) {
  auto flat = FontFace::Open(Request(-32, ""));
  auto turned = FontFace::Open(Request(-32, "", 2700));
  ASSERT_TRUE(flat && turned);
  const Bitmap a = Render(*flat, 'l', GlyphFormat::kGray8);
  const Bitmap b = Render(*turned, 'l', GlyphFormat::kGray8);
  EXPECT_EQ(a.metrics.blackBoxX, b.metrics.blackBoxY);
  EXPECT_EQ(a.metrics.blackBoxY, b.metrics.blackBoxX);
  EXPECT_EQ(b.metrics.cellIncX, 0);
  EXPECT_EQ(b.metrics.cellIncY, -a.metrics.cellIncX);  // y up: downwards on screen
  EXPECT_GT(b.metrics.originX + int32_t(b.metrics.blackBoxX), 0) << "the ink lies above the baseline, now to the right";
}

// In an "@" face wide characters stand upright in the column while lines
// and brackets turn with it; commas move to the cell's upper right.
TEST(FontFaceTest, VerticalFacesStandWideCharactersUpright) {
  const std::string gothic = Sjis("ＭＳ ゴシック");
  auto flat = FontFace::Open(Request(-32, gothic));
  auto turned = FontFace::Open(Request(-32, gothic, 2700));
  auto vertical = FontFace::Open(Request(-32, "@" + gothic, 2700));
  ASSERT_TRUE(flat && turned && vertical);
  const Bitmap upright = Render(*vertical, 0x82A0, GlyphFormat::kGray8);  // あ
  const Bitmap plain = Render(*flat, 0x82A0, GlyphFormat::kGray8);
  EXPECT_EQ(upright.bytes, plain.bytes);
  EXPECT_EQ(upright.metrics.blackBoxX, plain.metrics.blackBoxX);
  const int32_t ascent = flat->Metrics().ascent, below = 32 - ascent;
  EXPECT_EQ(upright.metrics.originX, plain.metrics.originX - below);
  EXPECT_EQ(upright.metrics.originY, plain.metrics.originY - ascent);

  const Bitmap dashVertical = Render(*vertical, 0x815B, GlyphFormat::kGray8);  // ー
  const Bitmap dashTurned = Render(*turned, 0x815B, GlyphFormat::kGray8);
  EXPECT_EQ(dashVertical.bytes, dashTurned.bytes);
  EXPECT_GT(dashVertical.metrics.blackBoxY, dashVertical.metrics.blackBoxX) << "the long vowel mark runs down";

  const Bitmap comma = Render(*vertical, 0x8141, GlyphFormat::kGray8);  // 、
  const Bitmap flatComma = Render(*flat, 0x8141, GlyphFormat::kGray8);
  EXPECT_EQ(comma.bytes, flatComma.bytes);
  EXPECT_GT(comma.metrics.originX - (flatComma.metrics.originX - below), 32 / 2);
  EXPECT_GT(comma.metrics.originY - (flatComma.metrics.originY - ascent), 32 / 2);
}

TEST(FontFaceTest, PlainRendererRendersTheFloor) {
  PlainGlyphRenderer renderer(24);
  ASSERT_TRUE(renderer.Ok());
  EXPECT_GT(renderer.Render(U'\u3042'), 0u);
}

}  // namespace
}  // namespace orrivel::platform
