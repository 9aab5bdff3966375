#include "raster/SurfaceDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/KernelTestRows.h"
#include "raster/PixelFilterOps.h"
#include "raster/PixelFilters8.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

template <typename T>
T& At(Surface& s, int x, int y) {
  return reinterpret_cast<T*>(s.GetScanLine(y))[x];
}

void FillRandom(Surface& s, uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int i = 0; i < s.GetWidth() * s.GetBitsPerPixel() / 8; ++i)
      s.GetScanLine(y)[i] = uint8_t(rng());
}

std::vector<uint8_t> Bytes(Surface& s) {
  std::vector<uint8_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    out.insert(out.end(), s.GetScanLine(y), s.GetScanLine(y) + s.GetWidth() * s.GetBitsPerPixel() / 8);
  return out;
}

class SurfaceDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildBlendTables();
    ASSERT_EQ(wide.Create(16, 12, 32, Surface::kWithRegion), 0);
    ASSERT_EQ(narrow.Create(16, 12, 8, Surface::kWithRegion), 0);
    ASSERT_EQ(narrow.SetPalette(nullptr, 0, 256, 0), 0);
    FillRandom(wide, 1);
    FillRandom(narrow, 2);
    wide.ClearChanged();
    narrow.ClearChanged();
  }
  void TearDown() override { SetMmxFlag(false); }
  Surface wide, narrow, empty;
};

TEST_F(SurfaceDrawingTest, NoOpArgumentsChangeNothing) {
  const auto before = Bytes(wide);
  const Rect outside{100, 100, 120, 120};
  EXPECT_EQ(AddColor(&wide, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(SubColor(&wide, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(FillAlpha(&empty, 1, 2, 3, 0, nullptr), 0);  // level 0 at once
  EXPECT_EQ(FillAlpha(&wide, 1, 2, 3, 200, &outside), 0);
  EXPECT_EQ(Mosaic(&wide, 1, 1, nullptr), 0);
  EXPECT_TRUE(ApplyLevelTable(&wide, 255, nullptr));
  EXPECT_TRUE(ApplyLevelTable(&wide, 256, nullptr));
  EXPECT_EQ(Bytes(wide), before);
  EXPECT_FALSE(wide.Changed());
  EXPECT_EQ(wide.Region()->Count(), 0);
}

TEST_F(SurfaceDrawingTest, RefusalCodes) {
  const Rect r{0, 0, 4, 4};
  EXPECT_EQ(AddColor(&empty, 1, 1, 1, nullptr), 1);
  EXPECT_EQ(AddColor(&narrow, 1, 1, 1, nullptr), 2);
  EXPECT_EQ(FillAlpha(&narrow, 1, 1, 1, 9, nullptr), 2);
  EXPECT_EQ(GrayScale(&narrow, &r), 3);
  EXPECT_EQ(Tone(&narrow, 128, 128, 128, 0, 0, 0, &r), 2);
  EXPECT_EQ(Tone(&wide, 257, 128, 128, 0, 0, 0, nullptr), 3);
  EXPECT_EQ(Tone(&wide, 128, 128, 128, 0, -256, 0, nullptr), 3);
  EXPECT_EQ(Negate(&narrow, 0, &r), 2);
  EXPECT_EQ(ScaleSmooth(&wide, 2, 0, 255, nullptr), 3);
  const Rect thin{0, 0, 1, 5};
  EXPECT_EQ(ScaleSmooth(&wide, 0, 0, 255, &thin), 2);  // a ramp of one entry
  EXPECT_EQ(Blur(&wide, 2, &r), 0);
  const Rect three{0, 0, 3, 8};
  EXPECT_EQ(Blur(&narrow, 0, &three), 2);  // the kernel's 1, plus one
  EXPECT_FALSE(ApplyLevelTable(&wide, 512, nullptr));
  EXPECT_FALSE(ApplyLevelTable(&wide, -1, nullptr));
  EXPECT_FALSE(ApplyLevelTable(&empty, 10, nullptr));
  EXPECT_FALSE(AdjustLevels(&wide, 257, 0, nullptr));
  // Two-image draws: an 8-bit source, a missing one.
  EXPECT_EQ(DrawAdd(&wide, &narrow, 255, 0, 0, nullptr), 2);
  EXPECT_EQ(DrawComposite(&wide, nullptr, 255, 0, 0, nullptr), 1);
  EXPECT_EQ(DrawAlphaBlend(&wide, 3, &wide, 255, 0, 0, nullptr), 3);
  EXPECT_EQ(FillColorMasked(&wide, 0, &wide, 255, 1, 2, 3, 0, 0, nullptr), 2);
}

TEST_F(SurfaceDrawingTest, ColourOperationsOnARectangle) {
  const Rect r{2, 3, 6, 5};
  for (bool mmx : {false, true}) {
    SetMmxFlag(mmx);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) At<uint32_t>(wide, x, y) = 0x80806040u;
    ASSERT_EQ(AddColor(&wide, 0x90, 0x10, 0x01, &r), 0);
    EXPECT_EQ(At<uint32_t>(wide, 2, 3), 0x80FF7041u);
    EXPECT_EQ(At<uint32_t>(wide, 6, 3), 0x80806040u);
    ASSERT_EQ(SubColor(&wide, 0xFF, 0x10, 0x01, &r), 0);
    EXPECT_EQ(At<uint32_t>(wide, 5, 4), 0x80006040u);
    ASSERT_EQ(FillAlpha(&wide, 0xFF, 0xFF, 0xFF, 255, &r), 0);
    EXPECT_EQ(At<uint32_t>(wide, 3, 3), 0x80FFFFFFu);
    ASSERT_EQ(GrayScale(&wide, &r), 0);
    EXPECT_EQ(At<uint32_t>(wide, 3, 3), 0x80FFFFFFu);  // (77 + 150 + 29) * 255 >> 8 = 255
    EXPECT_EQ(wide.Region()->Rects(), (std::vector<Rect>{r}));
  }
}

TEST_F(SurfaceDrawingTest, KeyedPixelsAreLeftAlone) {
  At<uint32_t>(wide, 0, 0) = 0x00102030u;
  wide.SetColorKeyAt(0, 0);
  At<uint32_t>(wide, 1, 0) = 0x00102030u;
  At<uint32_t>(wide, 2, 0) = 0x01102030u;
  ASSERT_EQ(AddColor(&wide, 1, 1, 1, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 1, 0), 0x00102030u);
  EXPECT_EQ(At<uint32_t>(wide, 2, 0), 0x01112131u);
  ASSERT_EQ(Mosaic(&wide, 4, 1, nullptr), 0);
  EXPECT_EQ(wide.GetColorKey(), kNoColorKey);  // a mosaic drops the key
}

TEST_F(SurfaceDrawingTest, MosaicBlockLayout) {
  // Anchor 2 on a 10-pixel-wide rectangle with block 4: columns 2, 4 and 4 wide.
  EXPECT_EQ(MosaicFirstBlock(10, 4, 2, false), 2);
  EXPECT_EQ(MosaicFirstBlock(12, 4, 2, false), 4);
  EXPECT_EQ(MosaicFirstBlock(10, 4, 1, false), 4);
  EXPECT_EQ(MosaicFirstBlock(10, 4, 3, true), 2);
  EXPECT_EQ(MosaicFirstBlock(9, 3, 0, false), 3);  // centred remainder 0 is a whole block
  EXPECT_EQ(MosaicFirstBlock(11, 3, 7, false), 1);
  EXPECT_EQ(MosaicFirstBlock(2, 4, 0, false), 4);
  for (Surface* s : {&wide, &narrow}) {
    const Rect r{1, 1, 11, 9};
    ASSERT_EQ(Mosaic(s, 4, 2, &r), 0);
    const bool is32 = s->GetBitsPerPixel() == 32;
    auto read = [&](int x, int y) { return is32 ? At<uint32_t>(*s, x, y) : At<uint8_t>(*s, x, y); };
    const int lefts[] = {1, 1, 3, 3, 3, 3, 7, 7, 7, 7};
    for (int y = 1; y < 9; ++y)
      for (int x = 1; x < 11; ++x) {
        const int top = y < 5 ? 1 : 5;
        ASSERT_EQ(read(x, y), read(lefts[x - 1], top)) << x << "," << y;
      }
    // The centred grid of a width whose remainder rule gives 0 finishes.
    const Rect nine{0, 0, 9, 9};
    ASSERT_EQ(Mosaic(s, 3, 0, &nine), 0);
    EXPECT_EQ(read(2, 2), read(0, 0));
    EXPECT_EQ(read(3, 0), read(5, 2));
  }
}

TEST_F(SurfaceDrawingTest, LevelTables) {
  const auto before = Bytes(wide);
  ASSERT_TRUE(ApplyLevelTable(&wide, 128, nullptr));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      const uint32_t was = reinterpret_cast<const uint32_t*>(before.data())[y * 16 + x];
      const uint32_t now = At<uint32_t>(wide, x, y);
      ASSERT_EQ(now & 0xFFFFFFu, was & 0xFFFFFFu);  // only alpha moves
      ASSERT_EQ(now >> 24, ProductTable[128][was >> 24]);
    }
  ASSERT_TRUE(ApplyLevelTable(&narrow, 511, nullptr));
  for (uint8_t b : Bytes(narrow)) ASSERT_EQ(b, 255);
  ASSERT_TRUE(AdjustLevels(&narrow, 64, -100, nullptr));  // 255 * 64 >> 7 = 127, less 100
  for (uint8_t b : Bytes(narrow)) ASSERT_EQ(b, 27);
  EXPECT_FALSE(narrow.Changed());  // the level tables record no damage
}

TEST_F(SurfaceDrawingTest, EightBitPaletteOperations) {
  uint32_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = uint32_t(i) << 16 | uint32_t(255 - i);
  ASSERT_EQ(narrow.SetPalette(palette, 256, 256, 0), 0);
  narrow.SetColorKeyAt(0, 0);
  const auto indices = Bytes(narrow);
  ASSERT_EQ(Negate(&narrow, 0, nullptr), 0);
  EXPECT_EQ(narrow.GetPalette()[10], 0x00F5FF0Au);
  EXPECT_EQ(Bytes(narrow), indices);
  EXPECT_EQ(narrow.GetColorKey(), kNoColorKey);
  ASSERT_EQ(Tone(&narrow, 256, 0, 128, 0, 7, -5, nullptr), 0);
  EXPECT_EQ(narrow.GetPalette()[10], 0x00FF0705u);  // 245 * 2 held to 255; 10 - 5
  ASSERT_EQ(GrayScale(&narrow, nullptr), 0);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(narrow.GetPalette()[i] & 0xFFFFFFu, uint32_t(i) * 0x010101u);
  const uint8_t greyOf10 = uint8_t((77 * 255 + 150 * 7 + 29 * 5) >> 8);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x)
      if (indices[size_t(y * 16 + x)] == 10) {
        EXPECT_EQ(At<uint8_t>(narrow, x, y), greyOf10);
      }
  const Rect r{0, 0, 2, 1};
  const uint8_t first = At<uint8_t>(narrow, 0, 0);
  ASSERT_EQ(Negate(&narrow, 1, &r), 0);
  EXPECT_EQ(At<uint8_t>(narrow, 0, 0), uint8_t(255 - first));
  EXPECT_TRUE(narrow.Changed());
}

// A brightness change keeps the palette it started from; a palette
// operation replaces the colours, so the next brightness change must start
// from the new ones.
TEST_F(SurfaceDrawingTest, PaletteOperationsDropTheBrightnessPalette) {
  struct Case {
    const char* name;
    int (*op)(Surface*);
  };
  const Case cases[] = {
      {"grey", [](Surface* s) { return GrayScale(s, nullptr); }},
      {"tone", [](Surface* s) { return Tone(s, 64, 200, 128, 30, -20, 0, nullptr); }},
      {"negate", [](Surface* s) { return Negate(s, 0, nullptr); }},
  };
  uint32_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = uint32_t(i) << 16 | uint32_t(i / 2) << 8 | uint32_t(255 - i);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(narrow.SetPalette(palette, 256, 256, 0), 0);
    ASSERT_TRUE(narrow.SetBrightness(128, nullptr));
    ASSERT_NE(narrow.SavedPalette(), nullptr);
    ASSERT_EQ(c.op(&narrow), 0);
    EXPECT_EQ(narrow.SavedPalette(), nullptr);
    const std::vector<uint32_t> after(narrow.GetPalette(), narrow.GetPalette() + 256);
    // Level 255 gives back the palette the brightness change starts from.
    ASSERT_TRUE(narrow.SetBrightness(255, nullptr));
    EXPECT_EQ(std::vector<uint32_t>(narrow.GetPalette(), narrow.GetPalette() + 256), after);
    narrow.ReleaseSavedPalette();
  }
}

TEST_F(SurfaceDrawingTest, EightBitBlurMatchesTheNeighbourRule) {
  const auto old = Bytes(narrow);
  auto o = [&](int x, int y) { return int(old[size_t(y * 16 + x)]); };
  ASSERT_EQ(Blur(&narrow, 0, nullptr), 0);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      int expected;
      const bool edge = y == 0 || y == 11;
      const int other = y == 0 ? 1 : 10;
      if (edge && (x == 0 || x == 15))
        expected = (o(x, other) + 2 * o(x, y) + o(x == 0 ? 1 : 14, y)) >> 2;
      else if (edge)
        expected = (o(x - 1, y) + o(x, y) + o(x + 1, y) + o(x, other)) >> 2;
      else if (x == 0 || x == 15)
        expected = (o(x, y - 1) + o(x, y + 1) + o(x, y) + o(x == 0 ? 1 : 14, y)) >> 2;
      else
        expected = (o(x, y - 1) + o(x, y + 1) + 2 * (o(x - 1, y) + o(x, y) + o(x + 1, y))) >> 3;
      ASSERT_EQ(At<uint8_t>(narrow, x, y), expected) << x << "," << y;
    }
}

TEST_F(SurfaceDrawingTest, GradientFills) {
  const Rect r{2, 2, 6, 5};
  ASSERT_EQ(ScaleSmooth(&narrow, 0, 0, 100, &r), 0);
  for (int y = 2; y < 5; ++y)
    for (int x = 2; x < 6; ++x) EXPECT_EQ(At<uint8_t>(narrow, x, y), (x - 2) * 25);
  ASSERT_EQ(ScaleSmooth(&wide, 1, 0xFF000000u, 0xFF0000FFu, &r), 0);
  // Three rows: weights 0, 86 and 171.
  for (int x = 2; x < 6; ++x) {
    EXPECT_EQ(At<uint32_t>(wide, x, 2), 0xFF000000u);
    EXPECT_EQ(At<uint32_t>(wide, x, 3), 0xFF000055u);
    EXPECT_EQ(At<uint32_t>(wide, x, 4), 0xFF0000AAu);
  }
  EXPECT_EQ(wide.Region()->Rects(), (std::vector<Rect>{r}));
}

TEST_F(SurfaceDrawingTest, RuleMaps) {
  struct Case {
    uint8_t level;
    int position, width;
    std::vector<std::pair<int, uint8_t>> entries;  // (mask value, level drawn)
  };
  const Case cases[] = {
      {255, 1, 1, {{0, 255}, {1, 0}, {255, 0}}},
      {255, 128, 64, {{0, 255}, {126, 255}, {127, 255}, {128, 252}, {159, 128}, {190, 4}, {191, 0}}},
      {255, 257, 1, {{0, 0}, {1, 255}, {255, 255}}},                // inverted sense
      {255, 511, 511, {{0, 0}, {253, 0}, {254, 0}, {255, 0}}},      // edge runs off the end
      {128, 200, 1, {{0, 128}, {198, 128}, {199, 128}, {200, 0}}},  // scaled by the level
      {255, 300, 10, {{0, 0}, {42, 0}, {43, 0}, {47, 102}, {53, 255}}},
  };
  for (const auto& c : cases) {
    uint8_t map[256];
    BuildRuleMap(map, c.level, c.position, c.width);
    for (const auto& [mask, level] : c.entries)
      EXPECT_EQ(map[mask], level) << "position " << c.position << " width " << c.width << " mask " << mask;
  }
}

TEST_F(SurfaceDrawingTest, MaskedDraws) {
  Surface source, mask;
  ASSERT_EQ(source.Create(8, 8, 32, 0), 0);
  ASSERT_EQ(mask.Create(8, 8, 8, 0), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      At<uint32_t>(source, x, y) = 0x40FFFFFFu;
      At<uint8_t>(mask, x, y) = uint8_t(x * 32);  // columns 0..7: 0, 32, ..., 224
    }
  const auto before = Bytes(wide);
  EXPECT_EQ(DrawMasked(&wide, &source, &mask, 255, 0, 1, 0, 0, nullptr), 0);
  EXPECT_EQ(DrawMasked(&wide, &source, &mask, 255, 512, 1, 0, 0, nullptr), 0);
  EXPECT_EQ(DrawMasked(&wide, &source, &mask, 255, 100, 512, 0, 0, nullptr), 3);
  EXPECT_EQ(DrawMasked(&wide, &source, &mask, 255, 100, 0, 0, 0, nullptr), 3);
  EXPECT_EQ(DrawMasked(&wide, &source, &mask, 255, 513, 1, 0, 0, nullptr), 3);
  EXPECT_EQ(DrawMaskedProduct(&wide, &source, nullptr, 255, 100, 1, 0, 0, nullptr), 4);
  Surface small;
  ASSERT_EQ(small.Create(4, 8, 8, 0), 0);
  EXPECT_EQ(DrawMasked(&wide, &source, &small, 255, 100, 1, 0, 0, nullptr), 4);
  EXPECT_EQ(DrawMasked(&wide, &source, &wide, 255, 100, 1, 0, 0, nullptr), 4);
  EXPECT_EQ(Bytes(wide), before);
  EXPECT_FALSE(wide.Changed());

  // Position 97, hard edge: mask values below 96 draw fully, the rest not.
  for (bool mmx : {false, true}) {
    SetMmxFlag(mmx);
    FillRandom(wide, 5);
    const auto old = Bytes(wide);
    ASSERT_EQ(DrawMasked(&wide, &source, &mask, 255, 97, 1, 4, 2, nullptr), 0);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) {
        const uint32_t was = reinterpret_cast<const uint32_t*>(old.data())[y * 16 + x];
        const bool drawn = x >= 4 && x < 8 && y >= 2 && y < 10;  // mask 0, 32, 64, 96 at columns 4..7
        const uint32_t expected = drawn ? (was & 0xFF000000u) | 0xFFFFFFu : was;
        ASSERT_EQ(At<uint32_t>(wide, x, y), expected) << x << "," << y << " mmx " << mmx;
      }
    // Without a mask the source alpha (0x40) is the mask value: drawn at position 97.
    ASSERT_EQ(DrawMasked(&wide, &source, nullptr, 255, 97, 1, 12, 0, nullptr), 0);
    EXPECT_EQ(At<uint32_t>(wide, 12, 0) & 0xFFFFFFu, 0xFFFFFFu);
  }
  // Position 256 draws the whole source uniformly at the level.
  SetMmxFlag(false);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) At<uint32_t>(wide, x, y) = 0x11000000u;
  ASSERT_EQ(DrawMasked(&wide, &source, &mask, 255, 256, 1, 0, 0, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 7, 7) & 0xFFFFFFu, 0xFFFFFFu);
  EXPECT_EQ(At<uint32_t>(wide, 8, 7), 0x11000000u);
}

TEST_F(SurfaceDrawingTest, ImageDrawsClipAndMarkTheirRectangle) {
  Surface source;
  ASSERT_EQ(source.Create(6, 6, 32, 0), 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) At<uint32_t>(source, x, y) = 0xFF101010u;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) At<uint32_t>(wide, x, y) = 0x7F202020u;
  ASSERT_EQ(DrawAdd(&wide, &source, 255, 13, -2, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 13, 0), 0x7F303030u);
  EXPECT_EQ(At<uint32_t>(wide, 12, 0), 0x7F202020u);
  EXPECT_EQ(wide.Region()->Rects(), (std::vector<Rect>{{13, 0, 16, 4}}));
  ASSERT_EQ(DrawSubtract(&wide, &source, 255, 13, -2, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 13, 0), 0x7F202020u);
  ASSERT_EQ(DrawAlphaBlend(&wide, 0, &source, 255, 0, 0, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 5, 5), 0x7F101010u);
  const Size big{12, 12};
  ASSERT_EQ(StretchDrawAlphaBlend(&wide, 1, &source, 255, &big, 0, 0, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 11, 11), 0x7F303030u);
  ASSERT_EQ(DrawComposite(&wide, &source, 0, 0, 0, nullptr), 0);  // level 0
  ASSERT_EQ(DrawBlurred(&wide, &source, 3, 255, 0, 0, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 2, 2), 0xFF101010u);  // a flat source blurs to itself
  ASSERT_EQ(DrawBlurredAlpha(&wide, &source, 200, 255, 0, 0, nullptr), 0);
  Surface mask;
  ASSERT_EQ(mask.Create(4, 4, 8, 0), 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) At<uint8_t>(mask, x, y) = 255;
  ASSERT_EQ(FillColorMasked(&wide, 1, &mask, 255, 0, 0, 0xFF, 12, 8, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 15, 11) & 0xFF, 0xFFu);
  ASSERT_EQ(BltToDC(&wide, &source, 10, 6, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 15, 11), 0xFF101010u);
}

// Where destination pixel (dx, dy) reads from when the whole source of
// sw x sh is drawn at (x, y), stretched to size when one is given.
std::optional<std::pair<int, int>> SourceOf(int dx, int dy, int x, int y, int sw, int sh,
                                            const std::optional<Size>& size) {
  const int j = dx - x, i = dy - y;
  const int dw = size ? size->width : sw, dh = size ? size->height : sh;
  if (j < 0 || i < 0 || j >= dw || i >= dh) return std::nullopt;
  if (!size) return std::pair{j, i};
  const StretchStep st = test::MakeStep(sw, dw, sh, dh);
  return std::pair{test::StretchPositions(dw, st.xError, st.xRemainder, st.xDenominator, st.xStep)[size_t(j)],
                   test::StretchPositions(dh, st.yError, st.yRemainder, st.yDenominator, st.yStep)[size_t(i)]};
}

// The stretched copy and the composite draws, plain and packed, placed
// inside, across the top-left and across the bottom-right edge, against a
// per-pixel reference; the dirty rectangle is what was drawn.
TEST_F(SurfaceDrawingTest, ImageDrawsMatchThePlainReference) {
  using filter_ops::Composite;
  struct Case {
    std::string name;
    std::optional<Size> size;
    std::function<int(Surface& d, Surface& s, const Size* size, int x, int y)> draw;
    std::function<uint32_t(uint32_t d, uint32_t s)> ref;
  };
  const Size grow{19, 10}, shrink{4, 3};
  std::vector<Case> cases;
  for (const Size& z : {grow, shrink})
    cases.push_back({"stretch to dc " + std::to_string(z.width), z,
                     [](Surface& d, Surface& s, const Size* z, int x, int y) { return StretchToDC(&d, &s, z, x, y, nullptr); },
                     [](uint32_t, uint32_t s) { return s; }});
  for (int level : {255, 128, 1}) {
    const auto ref = [level](uint32_t d, uint32_t s) { return Composite(d, s, ProductTable[level][s >> 24]); };
    const std::string l = std::to_string(level);
    cases.push_back({"composite " + l, std::nullopt,
                     [level](Surface& d, Surface& s, const Size*, int x, int y) { return DrawComposite(&d, &s, uint8_t(level), x, y, nullptr); },
                     ref});
    for (const Size& z : {grow, shrink})
      cases.push_back({"stretch composite " + l + " " + std::to_string(z.width), z,
                       [level](Surface& d, Surface& s, const Size* z, int x, int y) {
                         return StretchDrawComposite(&d, &s, uint8_t(level), z, x, y, nullptr);
                       },
                       ref});
  }
  const int sw = 9, sh = 6;
  for (const Case& c : cases) {
    for (bool packed : {false, true}) {
      for (auto [x, y] : {std::pair{3, 2}, {-4, -3}, {12, 8}}) {
        SCOPED_TRACE(testing::Message() << c.name << (packed ? " packed" : "") << " at " << x << "," << y);
        SetMmxFlag(packed);
        Surface source;
        ASSERT_EQ(source.Create(sw, sh, 32, 0), 0);
        FillRandom(source, 7);
        Surface onto;
        ASSERT_EQ(onto.Create(16, 12, 32, Surface::kWithRegion), 0);
        FillRandom(onto, 8);
        const auto before = Bytes(onto);
        ASSERT_EQ(c.draw(onto, source, c.size ? &*c.size : nullptr, x, y), 0);
        Rect touched{1 << 20, 1 << 20, -1, -1};
        for (int dy = 0; dy < 12; ++dy)
          for (int dx = 0; dx < 16; ++dx) {
            uint32_t want = reinterpret_cast<const uint32_t*>(before.data())[dy * 16 + dx];
            if (auto at = SourceOf(dx, dy, x, y, sw, sh, c.size)) {
              want = c.ref(want, At<uint32_t>(source, at->first, at->second));
              touched = {std::min(touched.left, dx), std::min(touched.top, dy), std::max(touched.right, dx + 1),
                         std::max(touched.bottom, dy + 1)};
            }
            ASSERT_EQ(At<uint32_t>(onto, dx, dy), want) << dx << "," << dy;
          }
        const bool drawn = touched.right >= 0;
        EXPECT_EQ(onto.Changed(), drawn);
        EXPECT_EQ(onto.Region()->Rects(), drawn ? std::vector<Rect>{touched} : std::vector<Rect>{});
      }
    }
  }
  // Without a size the stretched copy fills the surface.
  Surface source;
  ASSERT_EQ(source.Create(4, 3, 32, 0), 0);
  FillRandom(source, 9);
  ASSERT_EQ(StretchToDC(&wide, &source, nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(At<uint32_t>(wide, 15, 11), At<uint32_t>(source, 3, 2));
  EXPECT_EQ(At<uint32_t>(wide, 0, 0), At<uint32_t>(source, 0, 0));
}

// The blurred alpha draw: each row is averaged over 2 * radius + 1 source
// pixels (the row's end pixels repeat past its ends), and the blurred colour
// is drawn by its blurred alpha times the level, keeping the destination's
// alpha.
TEST_F(SurfaceDrawingTest, BlurredAlphaDrawMatchesTheBoxReference) {
  const int sw = 10, sh = 5;
  Surface source;
  ASSERT_EQ(source.Create(sw, sh, 32, 0), 0);
  FillRandom(source, 11);
  struct Case {
    int radius, level, x, y;
  };
  const Case cases[] = {{1, 255, 3, 2}, {3, 255, -4, -1}, {2, 90, 9, 9}, {200, 200, 0, 0}, {5, 255, 2, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "radius " << c.radius << " level " << c.level << " at " << c.x << "," << c.y);
    FillRandom(wide, 12);
    const auto before = Bytes(wide);
    ASSERT_EQ(DrawBlurredAlpha(&wide, &source, c.radius, uint8_t(c.level), c.x, c.y, nullptr), 0);
    const int r = std::min(c.radius, 127);
    const uint32_t weight = 65536u / uint32_t(2 * r + 1);
    for (int dy = 0; dy < 12; ++dy)
      for (int dx = 0; dx < 16; ++dx) {
        uint32_t want = reinterpret_cast<const uint32_t*>(before.data())[dy * 16 + dx];
        const int sx = dx - c.x, sy = dy - c.y;
        if (sx >= 0 && sy >= 0 && sx < sw && sy < sh) {
          uint32_t blurred = 0;
          for (int channel = 0; channel < 4; ++channel) {
            uint32_t sum = 0;
            for (int i = sx - r; i <= sx + r; ++i)
              sum += (At<uint32_t>(source, std::clamp(i, 0, sw - 1), sy) >> (8 * channel)) & 0xFF;
            blurred |= uint32_t((uint64_t(sum) * weight + 32768) >> 16) << (8 * channel);
          }
          const uint8_t level = ProductTable[c.level][blurred >> 24];
          want = filter_ops::BlendKeepAlpha(want, blurred, OpacityMultiplierTable[level].blue);
        }
        ASSERT_EQ(At<uint32_t>(wide, dx, dy), want) << dx << "," << dy;
      }
  }
}

}  // namespace
}  // namespace orrivel
