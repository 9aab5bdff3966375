#include "raster/PixelFormatConversion.h"

#include <gtest/gtest.h>

#include <vector>

#include "raster/BlendTables.h"
#include "raster/KernelTestRows.h"

namespace orrivel {
namespace {

// A one-row bitmap of the given depth holding `bytes`, stored bottom-up.
struct OneRowDib {
  BitmapInfoHeader header;
  std::vector<uint8_t> bits;
  std::vector<uint32_t> colors;
  DibSource Source() const {
    return {&header,     colors.data(),         uint32_t(colors.size()),
            bits.data(), int32_t(bits.size()), bits.size()};
  }
};

OneRowDib MakeDib(int bitCount, std::vector<uint8_t> bytes, int width = 1,
                  std::vector<uint32_t> colors = {}) {
  OneRowDib d;
  d.header.width = width;
  d.header.height = 1;
  d.header.bitCount = uint16_t(bitCount);
  d.bits = std::move(bytes);
  d.colors = std::move(colors);
  return d;
}

TEST(PixelFormatConversionTest, BitmapConvertersEdgeTable) {
  const Rect one{0, 0, 1, 1};
  struct Case {
    const char* what;
    OneRowDib dib;
    uint32_t argb, x32, grey, w4444;
  };
  const Case cases[] = {
      {"16-bit 0x7FFF", MakeDib(16, {0xFF, 0x7F}), 0xFFF8F8F8, 0x00F8F8F8,
       uint8_t(((248 * 77) + (248 * 150) + 31 * 232) >> 8), 0xFFFF},
      {"24-bit b10 g20 r30", MakeDib(24, {0x10, 0x20, 0x30}), 0xFF302010, 0x00302010,
       uint8_t((77 * 0x30 + 150 * 0x20 + 29 * 0x10) >> 8), 0xF321},
      {"32-bit", MakeDib(32, {0x10, 0x20, 0x30, 0x40}), 0x40302010, 0x00302010,
       uint8_t((77 * 0x30 + 150 * 0x20 + 29 * 0x10) >> 8), 0x4321},
      {"8-bit", MakeDib(8, {1}, 1, {0x11223344, 0x80A0B0C0}), 0xFFA0B0C0, 0x80A0B0C0, 1, 0xFABC},
      {"4-bit even x reads the high nibble", MakeDib(4, {0x10}, 1, {0x000000FF, 0x0000FF00}),
       0xFF00FF00, 0x0000FF00, 1, 0xF0F0},
      {"1-bit", MakeDib(1, {0x80}, 1, {0, 0x00FF0000}), 0xFFFF0000, 0x00FF0000, 1, 0xFF00},
  };
  for (const auto& c : cases) {
    uint32_t argb = 0, x32 = 0;
    uint8_t grey = 0;
    uint16_t w4444 = 0;
    EXPECT_TRUE(ConvertDibToArgb(&argb, one, 4, c.dib.Source(), {}));
    EXPECT_TRUE(ConvertDibTo32(&x32, one, 4, c.dib.Source(), {}));
    EXPECT_TRUE(ConvertDibTo8(&grey, one, 1, c.dib.Source(), {}));
    EXPECT_TRUE(ConvertDibTo4444(&w4444, one, 2, c.dib.Source(), {}));
    EXPECT_EQ(argb, c.argb) << c.what;
    EXPECT_EQ(x32, c.x32) << c.what;
    EXPECT_EQ(grey, c.grey) << c.what;
    EXPECT_EQ(w4444, c.w4444) << c.what;
  }
}

TEST(PixelFormatConversionTest, BitmapRowsOriginAndRefusals) {
  // Three rows bottom-up: memory row 0 is the picture's bottom row.
  OneRowDib dib = MakeDib(8, {0, 1, 2, 3, 4, 5, 6, 7, 8}, 3, std::vector<uint32_t>(256));
  dib.header.height = 3;
  dib.bits.resize(12);
  DibSource src = dib.Source();
  src.stride = 3;
  uint8_t out[2][2] = {};
  ASSERT_TRUE(ConvertDibTo8(out, Rect{0, 0, 2, 2}, 2, src, {1, 0}));
  EXPECT_EQ(out[0][0], 7);  // top-down row 0 is memory row 2
  EXPECT_EQ(out[1][1], 5);

  // 4 bits: an odd x starts with the low nibble.
  OneRowDib nibbles = MakeDib(4, {0x12}, 2, {0, 0x10, 0x20});
  uint8_t pair[2] = {};
  ASSERT_TRUE(ConvertDibTo8(pair, Rect{0, 0, 2, 1}, 2, nibbles.Source(), {}));
  EXPECT_EQ(pair[0], 1);
  EXPECT_EQ(pair[1], 2);

  const uint32_t sentinel = 0xABABABAB;
  uint32_t cell = sentinel;
  OneRowDib bad2 = MakeDib(2, {0});
  EXPECT_FALSE(ConvertDibToArgb(&cell, Rect{0, 0, 1, 1}, 4, bad2.Source(), {}));
  OneRowDib rle = MakeDib(8, {0}, 1, {1});
  rle.header.compression = 1;
  EXPECT_FALSE(ConvertDibToArgb(&cell, Rect{0, 0, 1, 1}, 4, rle.Source(), {}));
  OneRowDib zero = MakeDib(0, {0});
  EXPECT_FALSE(ConvertDibTo32(&cell, Rect{0, 0, 1, 1}, 4, zero.Source(), {}));
  // An area past the bitmap is refused instead of read.
  EXPECT_FALSE(ConvertDibTo32(&cell, Rect{0, 0, 1, 1}, 4, src, {3, 0}));
  EXPECT_FALSE(ConvertDibTo32(&cell, Rect{0, 0, 1, 1}, 4, src, {0, 3}));
  EXPECT_EQ(cell, sentinel);
}

TEST(PixelFormatConversionTest, RowsTheBitsDoNotHoldAreRefused) {
  // 2 x 2 pixels of 24 bits, bottom-up, 6 bytes a row: 12 bytes in all.
  OneRowDib dib = MakeDib(24, std::vector<uint8_t>(12, 0x40), 2);
  dib.header.height = 2;
  struct Case {
    const char* what;
    int32_t stride;
    uint64_t size;
    Rect rect;
    Point origin;
    bool accepted;
  };
  const Case cases[] = {
      {"whole picture", 6, 12, {0, 0, 2, 2}, {0, 0}, true},
      {"one byte short", 6, 11, {0, 0, 2, 2}, {0, 0}, false},
      {"stride shorter than a row", 5, 12, {0, 0, 2, 2}, {0, 0}, false},
      {"negative stride", -6, 12, {0, 0, 2, 2}, {0, 0}, false},
      // The bottom row is stored first, so it alone needs only 6 bytes.
      {"bottom row only", 6, 6, {0, 0, 2, 1}, {0, 1}, true},
      {"top row needs the second stored row", 6, 6, {0, 0, 2, 1}, {0, 0}, false},
      {"left pixel of the top row", 6, 9, {0, 0, 1, 1}, {0, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DibSource source = dib.Source();
    source.stride = c.stride;
    source.bitsSize = c.size;
    uint32_t out[4] = {1, 1, 1, 1};
    uint8_t grey[4] = {1, 1, 1, 1};
    EXPECT_EQ(ConvertDibToArgb(out, c.rect, 8, source, c.origin), c.accepted);
    EXPECT_EQ(ConvertDibTo8(grey, c.rect, 2, source, c.origin), c.accepted);
    EXPECT_EQ(out[0], c.accepted ? 0xFF404040u : 1u);
  }
}

TEST(PixelFormatConversionTest, IndicesPastAShortColourTableReadAsBlack) {
  // Two colour entries given, index 200 stored: nothing past the table is read.
  const OneRowDib dib = MakeDib(8, {200, 1}, 2, {0x00FFFFFF, 0x00123456});
  uint32_t out[2] = {};
  ASSERT_TRUE(ConvertDibToArgb(out, Rect{0, 0, 2, 1}, 8, dib.Source(), {}));
  EXPECT_EQ(out[0], 0xFF000000u);
  EXPECT_EQ(out[1], 0xFF123456u);
  uint16_t w[2] = {};
  ASSERT_TRUE(ConvertDibTo4444(w, Rect{0, 0, 2, 1}, 4, dib.Source(), {}));
  EXPECT_EQ(w[0], 0xF000);
}

TEST(PixelFormatConversionTest, SurfaceWritersByFormatCode) {
  uint32_t palette[256] = {};
  palette[3] = 0x00FF8040;
  const uint8_t index = 3;
  const uint32_t word = 0x80FF8040;
  struct Case {
    uint32_t code;
    uint32_t expanded, alt;
  };
  const Case cases[] = {
      {4, 0x7E08, 0x7E08},          {8, 0xFC08, 0xFC08},
      {16, 0xFF8040, 0xFF8040},     {32, 0x00FF8040, 0x00FF8040},
      {64, 0xFE08, 0xFE08},         {128, 0xFF84, 0x8F84},
      {256, 0xFF000000 | 0xFF8040, 0x80FF8040},
  };
  for (const auto& c : cases) {
    uint32_t a = 0, b = 0;
    ASSERT_TRUE(ExpandIndexedToSurface(c.code, &a, 0, 0, 4, &index, 1, 1, 1, palette));
    ASSERT_TRUE(ExpandIndexedToSurfaceAlt(c.code, &b, 0, 0, 4, &word, 4, 1, 1));
    EXPECT_EQ(a, c.expanded) << c.code;
    EXPECT_EQ(b, c.alt) << c.code;
  }
  uint32_t untouched = 0;
  for (uint32_t code : {0u, 1u, 2u, 3u, 5u, 512u}) {
    EXPECT_FALSE(ExpandIndexedToSurface(code, &untouched, 0, 0, 4, &index, 1, 1, 1, palette));
    EXPECT_FALSE(ExpandIndexedToSurfaceAlt(code, &untouched, 0, 0, 4, &word, 4, 1, 1));
  }
  EXPECT_EQ(untouched, 0u);
}

TEST(PixelFormatConversionTest, AlphaBitsFromPlaneAndFold) {
  uint16_t p16[2] = {0xFFFF, 0x0000};
  const uint8_t plane[2] = {0x7F, 0x80};
  SetAlphaBitsFromPlane(64, p16, 0, 0, 2, 1, 4, plane, 0, 0, 2);
  EXPECT_EQ(p16[0], 0x7FFF);
  EXPECT_EQ(p16[1], 0x8000);
  SetAlphaBitsFromPlane(128, p16, 0, 0, 2, 1, 4, plane, 0, 0, 2);
  EXPECT_EQ(p16[0], 0x7FFF);
  EXPECT_EQ(p16[1], 0x8000);
  uint32_t p32[2] = {0x00123456, 0xFF123456};
  SetAlphaBitsFromPlane(256, p32, 1, 0, 1, 1, 8, plane, 1, 0, 2);
  EXPECT_EQ(p32[1], 0x80123456u);
  SetAlphaBitsFromPlane(32, p32, 0, 0, 2, 1, 8, plane, 0, 0, 2);
  EXPECT_EQ(p32[0], 0x00123456u);

  std::vector<uint32_t> rows(8 * 3, 0x01010101);  // two groups of four rows, width 3
  FoldPixelBytes32(rows.data(), 12, 3, 2);
  const auto* bytes = reinterpret_cast<const uint8_t*>(rows.data());
  for (int g = 0; g < 2; ++g)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(bytes[g * 12 + x], 18) << g << "," << x;
}

TEST(PixelFormatConversionTest, CoverageBlendTwinsAgreeAndFollowTheRule) {
  BuildBlendTables();
  std::mt19937 rng(3);
  const int w = 9, h = 4;
  std::vector<uint8_t> coverage(w * h), levels(256);
  for (auto& c : coverage) c = uint8_t(rng());
  for (int i = 0; i < 256; ++i) levels[i] = uint8_t(255 - i);
  std::vector<uint32_t> colorsPerColumn(w), colorsPerRow(h), start(w * h);
  for (auto& c : colorsPerColumn) c = rng();
  for (auto& c : colorsPerRow) c = rng();
  for (auto& p : start) p = rng();

  auto run = [&](CoverageBlend fn, const std::vector<uint32_t>& colors) {
    std::vector<uint32_t> d = start;
    fn(d.data(), coverage.data(), w * 4, w, w, h, colors.data(), levels.data());
    return d;
  };
  auto blend = [](uint32_t d, uint32_t q, int m) {
    uint32_t out = 0;
    for (int i = 0; i < 3; ++i) {
      const int dc = (d >> (8 * i)) & 0xFF, qc = (q >> (8 * i)) & 0xFF;
      const int v = qc - dc;
      out |= uint32_t(dc + (v * m >= 0 ? v * m / 256 : -((-v * m + 255) / 256))) << (8 * i);
    }
    return out;
  };
  std::vector<uint32_t> surface(w * h), composite(w * h), surfaceB(w * h), compositeB(w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int i = y * w + x;
      const int k = levels[coverage[i]];
      const uint32_t d = start[i], a = d >> 24;
      const int m = k == 0 ? 0 : k + 1;
      surface[i] = blend(d, colorsPerColumn[x], m) | (d & 0xFF000000u);
      surfaceB[i] = blend(d, colorsPerRow[y], m) | (d & 0xFF000000u);
      const int wk = CompositeWeightTable[a][k];
      const int mc = wk == 0 ? 0 : wk + 1;
      const uint32_t alpha = uint32_t(255 - (255 - a) * (255 - k) / 255) << 24;
      composite[i] = blend(d, colorsPerColumn[x], mc) | alpha;
      compositeB[i] = blend(d, colorsPerRow[y], mc) | alpha;
    }
  EXPECT_EQ(run(BlendIndexedToSurface, colorsPerColumn), surface);
  EXPECT_EQ(run(BlendIndexedToSurfaceMmx, colorsPerColumn), surface);
  EXPECT_EQ(run(BlendIndexedToSurfaceB, colorsPerRow), surfaceB);
  EXPECT_EQ(run(BlendIndexedToSurfaceMmxB, colorsPerRow), surfaceB);
  EXPECT_EQ(run(BlendIndexedTo8Keyed, colorsPerRow), compositeB);
  EXPECT_EQ(run(BlendIndexedTo8Mmx, colorsPerRow), compositeB);
  EXPECT_EQ(run(BlendIndexedTo8, colorsPerColumn), composite);
  EXPECT_EQ(run(BlendIndexedTo8B, colorsPerColumn), composite);
}

TEST(PixelFormatConversionTest, EightBitRowKernels) {
  using test::Block;
  using test::Walk;
  std::mt19937 rng(11);
  const uint8_t key = 0x5A;
  const uint8_t row[5] = {1, 2, 3, 4, 5};
  uint8_t out[5] = {};
  CopyRows8(out, row + 4, 0, 0, -1, 5, 1);
  EXPECT_EQ((std::vector<uint8_t>(out, out + 5)), (std::vector<uint8_t>{5, 4, 3, 2, 1}));

  using Call8 = test::KernelCall<uint8_t, uint8_t>;
  const std::pair<Walk, Call8> calls[] = {
      {Walk::Straight, [](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep&) {
         CopyRows8(d, s, ds, ss, 1, w, h);
       }},
      {Walk::Stretched, [](void* d, const void* s, int ds, int ss, int w, int h,
                           const StretchStep& st) { StretchCopyRows8(d, s, ds, ss, w, h, st); }},
      {Walk::StretchedMirrored,
       [](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep& st) {
         StretchCopyRows8Mirrored(d, s, ds, ss, w, h, st);
       }},
  };
  const std::pair<Walk, Call8> keyedCalls[] = {
      {Walk::Straight, [key](void* d, const void* s, int ds, int ss, int w, int h,
                             const StretchStep&) { CopyRows8Keyed(d, s, ds, ss, 1, w, h, key); }},
      {Walk::Stretched, [key](void* d, const void* s, int ds, int ss, int w, int h,
                              const StretchStep& st) { StretchCopyRows8Keyed(d, s, ds, ss, w, h, st, key); }},
      {Walk::StretchedMirrored,
       [key](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep& st) {
         StretchCopyRows8MirroredKeyed(d, s, ds, ss, w, h, st, key);
       }},
  };
  for (bool keyed : {false, true})
    for (const auto& [walk, call] : keyed ? keyedCalls : calls)
      for (const auto& shape : test::kShapes) {
        const bool stretched = walk != Walk::Straight;
        Block<uint8_t> src(stretched ? shape.sw : shape.dw, stretched ? shape.sh : shape.dh);
        Block<uint8_t> dst(shape.dw, shape.dh);
        test::FillRandom(src, rng, uint32_t(key));
        test::FillRandom(dst, rng);
        Block<uint8_t> expected = dst;
        test::ReferenceWalk<uint8_t, uint8_t>(walk, expected, src, [&](uint8_t d, uint8_t s) {
          return keyed && s == key ? d : s;
        });
        test::RunWalk<uint8_t, uint8_t>(walk, dst, src, call);
        ASSERT_EQ(dst.pixels, expected.pixels) << keyed << " walk " << int(walk);
      }
}

TEST(PixelFormatConversionTest, BilinearScaleInterpolatesAndSteps) {
  // 3x3 source; the destination samples halfway between columns and rows.
  const uint8_t src[3][3] = {{0, 100, 200}, {50, 150, 250}, {0, 0, 0}};
  uint8_t out[2][2] = {};
  ScaleStep step;
  step.xFraction = 0x80000000u;  // start half a pixel in
  step.yFraction = 0x80000000u;
  step.xIncrement = uint64_t(1) << 32;
  step.yIncrement = uint64_t(1) << 32;
  ScaleBilinear8(out, src, 0, 3, 2, 2, step);
  // Row 0: top (0..100 at .5) = 50, bottom (50..150) = 100 -> 75.
  EXPECT_EQ(out[0][0], 75);
  EXPECT_EQ(out[0][1], 175);
  // Row 1: between rows 1 and 2: top 100, bottom 0 -> 50.
  EXPECT_EQ(out[1][0], 50);
  EXPECT_EQ(out[1][1], 100);
}

}  // namespace
}  // namespace orrivel
