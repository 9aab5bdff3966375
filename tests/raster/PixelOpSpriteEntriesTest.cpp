// The sprite entries of our pixel-operation library, called as the sprites
// and the canvas call them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "platform/pixelops/BlendRows.h"
#include "raster/PixelOpEntries.h"
#include "raster/PixelOpLibrary.h"

namespace orrivel {
namespace {

struct Image32 {
  Image32(int w, int h, uint32_t fill) : pixels(size_t(w * h), fill) {
    view.bits = reinterpret_cast<uint8_t*>(pixels.data());
    view.width = w;
    view.height = h;
    view.pitch = w * 4;
    view.bitsPerPixel = 32;
  }
  uint32_t& At(int x, int y) { return pixels[size_t(y * view.width + x)]; }
  std::vector<uint32_t> pixels;
  PixelOpImage view;
};

class PixelOpSpriteEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    blend = PixelOpEntryAs<PixelOpSpriteBlendFn>(kPixelOpSpriteBlend);
    stretch = PixelOpEntryAs<PixelOpSpriteStretchFn>(kPixelOpSpriteStretch);
    rotate = PixelOpEntryAs<PixelOpSpriteRotateFn>(kPixelOpSpriteRotate);
    ASSERT_TRUE(blend && stretch && rotate);
  }
  void TearDown() override {
    library.reset();
    ResetPixelOpEntries();
  }
  std::unique_ptr<PixelOpLibrary> library;
  PixelOpSpriteBlendFn blend = nullptr;
  PixelOpSpriteStretchFn stretch = nullptr;
  PixelOpSpriteRotateFn rotate = nullptr;
};

TEST_F(PixelOpSpriteEntriesTest, BlendArithmeticByModeAndOpacity) {
  struct Case {
    int32_t mode, opacity;
    uint32_t source, dest, expected;
  } const cases[] = {
      {0, 255, 0x40102030u, 0xFF808080u, 0x40102030u},  // a plain copy, alpha too
      {0, 128, 0x40FF0000u, 0xFF000000u, 0xFF800000u},  // (255 * 128 + 127) / 255
      {2, 255, 0x80FF0000u, 0x11000000u, 0x11800000u},  // by alpha, target alpha kept
      {2, 255, 0xFF00FF00u, 0x22FF0000u, 0x2200FF00u},
      {2, 128, 0xFF00FF00u, 0xFF000000u, 0xFF008000u},
      {2, 255, 0x000000FFu, 0xFF123456u, 0xFF123456u},  // transparent: untouched
      {4, 255, 0x00F01010u, 0xFF204060u, 0xFFFF5070u},  // saturating add
      {4, 128, 0x00FF8000u, 0xFF000000u, 0xFF804000u},
      {5, 255, 0x00F01010u, 0xFF204060u, 0xFF003050u},  // floored subtract
      {5, 128, 0x00FF8000u, 0xFFFFFFFFu, 0xFF7FBFFFu},
  };
  for (const Case& c : cases) {
    Image32 target(4, 4, c.dest), source(2, 2, c.source);
    ASSERT_EQ(blend(&target.view, &source.view, 1, 1, nullptr, c.mode, c.opacity, 0), 0);
    EXPECT_EQ(target.At(1, 1), c.expected) << c.mode << " " << c.opacity << std::hex << " " << c.source;
    EXPECT_EQ(target.At(0, 0), c.dest);
    EXPECT_EQ(target.At(3, 3), c.dest);
    EXPECT_EQ(PixelOpChangedRect(), (Rect{1, 1, 3, 3}));
  }
}

TEST_F(PixelOpSpriteEntriesTest, BlendCutsRectanglesAndRefusesBadInput) {
  Image32 target(8, 8, 0), source(4, 4, 0xFFFFFFFFu);
  const Rect overhang{-2, -2, 6, 6};  // only (0, 0, 4, 4) is read
  ASSERT_EQ(blend(&target.view, &source.view, 0, 0, &overhang, 0, 255, 0), 0);
  EXPECT_EQ(PixelOpChangedRect(), (Rect{2, 2, 6, 6}));
  EXPECT_EQ(target.At(1, 1), 0u);
  EXPECT_EQ(target.At(2, 2), 0xFFFFFFFFu);
  ASSERT_EQ(blend(&target.view, &source.view, INT32_MAX, INT32_MIN, nullptr, 0, 255, 0), 0);
  EXPECT_EQ(PixelOpChangedRect(), Rect{});
  const Rect huge{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  ASSERT_EQ(blend(&target.view, &source.view, -3, -3, &huge, 2, 255, 0), 0);
  EXPECT_EQ(blend(&target.view, &source.view, 0, 0, nullptr, 1, 255, 0), 1);  // no such mode
  EXPECT_EQ(blend(&target.view, &source.view, 0, 0, nullptr, 6, 255, 0), 1);
  // Mode 3 is the plain copy, alpha and all.
  Image32 copied(4, 4, 0xFF00FF00u), clear(4, 4, 0x00123456u);
  ASSERT_EQ(blend(&copied.view, &clear.view, 0, 0, nullptr, 3, 255, 0), 0);
  EXPECT_EQ(copied.At(1, 1), 0x00123456u);
  EXPECT_EQ(blend(&target.view, nullptr, 0, 0, nullptr, 0, 255, 0), 1);
  PixelOpImage eight = target.view;
  eight.bitsPerPixel = 8;
  EXPECT_EQ(blend(&eight, &source.view, 0, 0, nullptr, 0, 255, 0), 1);
}

TEST_F(PixelOpSpriteEntriesTest, StretchNearestAndSmooth) {
  Image32 source(2, 1, 0);
  source.At(0, 0) = 0xFF000000u;
  source.At(1, 0) = 0xFFFFFFFFu;
  Image32 target(8, 2, 0x11111111u);
  const Rect dest{0, 0, 8, 2};
  ASSERT_EQ(stretch(&target.view, &source.view, &dest, 0, 0, nullptr, 0, 0, 255, 0), 0);
  EXPECT_EQ(target.At(3, 1), 0xFF000000u);
  EXPECT_EQ(target.At(4, 0), 0xFFFFFFFFu);
  ASSERT_EQ(stretch(&target.view, &source.view, &dest, 0, 0, nullptr, 0, 1, 255, 0), 0);
  EXPECT_EQ(target.At(0, 0), 0xFF000000u);  // edges held
  EXPECT_EQ(target.At(7, 0), 0xFFFFFFFFu);
  const uint32_t middle = target.At(3, 0) & 0xFF;
  EXPECT_GT(middle, 0x40u);
  EXPECT_LT(middle, 0x80u);
  EXPECT_EQ(PixelOpChangedRect(), dest);
  const Rect outside{10, 10, 20, 20};
  EXPECT_EQ(stretch(&target.view, &source.view, &dest, 0, 0, &outside, 0, 0, 255, 0), 1);
  const Rect far{-100, -100, -50, -50};
  EXPECT_EQ(stretch(&target.view, &source.view, &far, 0, 0, nullptr, 0, 0, 255, 0), 0);
  EXPECT_EQ(PixelOpChangedRect(), Rect{});
}

TEST_F(PixelOpSpriteEntriesTest, RotateFillsThenDrawsTheParallelogram) {
  Image32 source(4, 2, 0xFF00FF00u);
  Image32 target(6, 6, 0);
  // A quarter turn: the 4 x 2 picture stands as 2 x 4 at (1, 1). Pixel
  // centres lie on whole numbers, so the picture's edges are half a pixel
  // out from the centres of its outer pixels.
  const PixelOpCorners corners{{{0.5, 4.5}, {0.5, 0.5}, {2.5, 4.5}, {2.5, 0.5}}};
  ASSERT_EQ(rotate(&target.view, &source.view, &corners, nullptr, 0, 0, 255, 0, 1, 0xFF0000FFu,
                   nullptr),
            0);
  EXPECT_EQ(target.At(0, 0), 0xFF0000FFu);  // filled
  EXPECT_EQ(target.At(1, 1), 0xFF00FF00u);
  EXPECT_EQ(target.At(2, 4), 0xFF00FF00u);
  EXPECT_EQ(target.At(3, 2), 0xFF0000FFu);
  const Rect part{0, 0, 2, 2};
  target.At(5, 5) = 7;
  ASSERT_EQ(rotate(&target.view, &source.view, &corners, nullptr, 0, 1, 255, 0, 1, 0, &part), 0);
  EXPECT_EQ(target.At(0, 0), 0u);
  EXPECT_EQ(target.At(5, 5), 7u);  // outside the destination rectangle
  EXPECT_EQ(PixelOpChangedRect(), part);
  // A picture squeezed to a dot draws nothing but the fill.
  const PixelOpCorners dot{{{2, 2}, {2 + 1e-12, 2}, {2, 2 + 1e-12}, {2 + 1e-12, 2 + 1e-12}}};
  ASSERT_EQ(rotate(&target.view, &source.view, &dot, nullptr, 0, 1, 255, 0, 1, 5, nullptr), 0);
  EXPECT_EQ(target.At(2, 2), 5u);
  const PixelOpCorners bad{{{NAN, 0}, {1, 0}, {0, 1}, {1, 1}}};
  EXPECT_EQ(rotate(&target.view, &source.view, &bad, nullptr, 0, 0, 255, 0, 1, 0, nullptr), 1);
  EXPECT_EQ(rotate(&target.view, &source.view, nullptr, nullptr, 0, 0, 255, 0, 1, 0, nullptr), 1);
}

// The packed rows this processor can run: the SSE2 row always, the AVX2 row
// where the processor has it, and the choice the library makes.
struct PackedRow {
  const char* name;
  void (*fn)(uint32_t*, const uint32_t*, int32_t, uint32_t);
};
std::vector<PackedRow> PackedRows() {
  std::vector<PackedRow> rows{{"sse2", pixelops::BlendAlphaRowSse2}, {"chosen", pixelops::BlendAlphaRowPacked}};
#if PIXELOPS_HAVE_AVX2
  if (pixelops::HasAvx2()) rows.push_back({"avx2", pixelops::BlendAlphaRowAvx2});
#endif
  return rows;
}

// The packed alpha blends against their plain twin on random rows: clear and
// opaque runs, mixed alpha, every width up to a few steps and odd opacities.
TEST(PixelOpBlendRowsTest, PackedTwinMatchesThePlainRow) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 400; ++round) {
    const int32_t width = int32_t(rng() % 72);
    std::vector<uint32_t> source(size_t(width) + 1), plain(size_t(width) + 1);
    // Runs of 1 to 20 pixels of one kind, so that whole groups of four and
    // of eight are clear or opaque and runs of them end inside a row.
    for (size_t i = 0; i < source.size();) {
      const uint32_t kind = rng() % 4;
      const size_t end = std::min(source.size(), i + 1 + rng() % 20);
      for (; i < end; ++i) {
        const uint32_t a = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256;
        source[i] = a << 24 | (rng() & 0xFFFFFFu);
      }
    }
    for (auto& p : plain) p = rng();
    const std::vector<uint32_t> before = plain;
    const uint32_t opacities[] = {255, 254, 128, 1, 0};
    const uint32_t opacity = opacities[rng() % 5];
    pixelops::BlendAlphaRow(plain.data(), source.data(), width, opacity);
    for (const PackedRow& row : PackedRows()) {
      std::vector<uint32_t> packed = before;
      row.fn(packed.data(), source.data(), width, opacity);
      ASSERT_EQ(packed, plain) << row.name << " width " << width << " opacity " << opacity;
    }
  }
}

// Every alpha against every pair of source and destination channel values
// (three pairs a pixel), at full and at partial opacity: the packed row's
// lane arithmetic must round exactly as the plain row does everywhere.
TEST(PixelOpBlendRowsTest, PackedTwinMatchesThePlainRowForEveryAlphaAndChannelPair) {
  constexpr int kPairs = 256 * 256;
  constexpr int32_t kWidth = (kPairs + 2) / 3;
  std::vector<uint32_t> source(kWidth), plain(kWidth), packed(kWidth);
  for (uint32_t opacity : {255u, 77u})
    for (uint32_t a = 0; a < 256; ++a) {
      for (int32_t x = 0; x < kWidth; ++x) {
        uint32_t s = a << 24, d = 0x5A000000u;
        for (int c = 0; c < 3; ++c) {
          const uint32_t pair = uint32_t(std::min(3 * x + c, kPairs - 1));
          s |= (pair >> 8) << (8 * c);
          d |= (pair & 0xFF) << (8 * c);
        }
        source[size_t(x)] = s;
        plain[size_t(x)] = d;
      }
      const std::vector<uint32_t> before = plain;
      pixelops::BlendAlphaRow(plain.data(), source.data(), kWidth, opacity);
      for (const PackedRow& row : PackedRows()) {
        packed = before;
        row.fn(packed.data(), source.data(), kWidth, opacity);
        for (int32_t x = 0; x < kWidth; ++x)
          ASSERT_EQ(packed[size_t(x)], plain[size_t(x)])
              << row.name << " opacity " << opacity << " alpha " << a << " pixel " << x << std::hex
              << " source " << source[size_t(x)];
      }
    }
}

}  // namespace
}  // namespace orrivel
