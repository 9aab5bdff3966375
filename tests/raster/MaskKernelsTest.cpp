#include "raster/MaskKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/KernelTestRows.h"

namespace orrivel {
namespace {

using test::Block;

uint32_t Ch(uint32_t v, int i) { return (v >> (8 * i)) & 0xFF; }
uint32_t Product(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }
uint32_t Mult(uint32_t level) { return level == 0 ? 0 : level + 1; }
int BlendChannel(int d, int s, uint32_t m) { return d + (((s - d) * int(m)) >> 8); }

// References written per channel from the documented rules.
uint32_t RefBlend(uint32_t d, uint32_t s, uint32_t m) {
  uint32_t out = d & 0xFF000000u;
  for (int i = 0; i < 3; ++i) out |= uint32_t(BlendChannel(int(Ch(d, i)), int(Ch(s, i)), m)) << (8 * i);
  return out;
}
uint32_t RefAdd(uint32_t d, uint32_t s, uint32_t m, int sign) {
  uint32_t out = d & 0xFF000000u;
  for (int i = 0; i < 3; ++i)
    out |= uint32_t(std::clamp(int(Ch(d, i)) + sign * int((Ch(s, i) * m) >> 8), 0, 255)) << (8 * i);
  return out;
}
uint32_t RefComposite(uint32_t d, uint32_t s, uint32_t level) {
  const uint32_t da = d >> 24;
  return (RefBlend(d, s, Mult(CompositeWeightTable[da][level])) & 0x00FFFFFFu) |
         uint32_t(CompositeAlphaTable[da][level]) << 24;
}

class MaskKernelsTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }
  void TearDown() override { SetMmxFlag(false); }
};

using MaskKernel = void (*)(void*, const uint8_t*, int, int, int, int, uint32_t, const uint8_t*);

// The four colour-through-mask kernels and their packed twins, on random
// destinations and masks with runs of 0 and 255, at three opacities.
TEST_F(MaskKernelsTest, ColourThroughMaskMatchesReferenceAndTwins) {
  const uint32_t colour = 0x00F01080u;
  struct Family {
    const char* name;
    MaskKernel plain, packed;
    std::function<uint32_t(uint32_t d, uint32_t level)> ref;
  } families[] = {
      {"blend", BlendColorByMask32, BlendColorByMask32Mmx,
       [&](uint32_t d, uint32_t l) { return RefBlend(d, colour, Mult(l)); }},
      {"add", AddColorByMask32, AddColorByMask32Mmx,
       [&](uint32_t d, uint32_t l) { return RefAdd(d, colour, Mult(l), 1); }},
      {"sub", SubColorByMask32, SubColorByMask32Mmx,
       [&](uint32_t d, uint32_t l) { return RefAdd(d, colour, Mult(l), -1); }},
      {"composite", BlendAlphaByMask32, BlendAlphaByMask32Mmx,
       [&](uint32_t d, uint32_t l) { return RefComposite(d, colour, l); }},
  };
  std::mt19937 rng(11);
  for (const auto& f : families) {
    for (int opacity : {255, 128, 0}) {
      for (int w : {1, 4, 5, 19}) {
        SCOPED_TRACE(testing::Message() << f.name << " opacity " << opacity << " width " << w);
        Block<uint32_t> dst(w, 4);
        test::FillRandom(dst, rng);
        Block<uint8_t> mask(w, 4, 5);
        for (auto& m : mask.pixels) {
          const int pick = int(rng() % 4);
          m = pick == 0 ? 0 : pick == 1 ? 255 : uint8_t(rng());
        }
        const uint8_t* map = ProductTable[opacity];
        auto plain = dst, packed = dst;
        f.plain(plain.pixels.data(), mask.pixels.data(), dst.SkipBytes(), mask.SkipBytes(), w, 4, colour, map);
        f.packed(packed.pixels.data(), mask.pixels.data(), dst.SkipBytes(), mask.SkipBytes(), w, 4, colour, map);
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < w; ++x)
            ASSERT_EQ(plain.At(x, y), f.ref(dst.At(x, y), map[mask.At(x, y)])) << x << "," << y;
        ASSERT_EQ(packed.pixels, plain.pixels);
      }
    }
  }
}

TEST_F(MaskKernelsTest, MaskEdgeCases) {
  const uint8_t* full = ProductTable[255];
  const uint8_t maskBytes[2] = {0, 255};
  for (bool packed : {false, true}) {
    uint32_t px[2] = {0x40123456u, 0x40123456u};
    (packed ? BlendColorByMask32Mmx : BlendColorByMask32)(px, maskBytes, 0, 0, 2, 1, 0x00ABCDEFu, full);
    EXPECT_EQ(px[0], 0x40123456u);  // mask 0 leaves the pixel
    EXPECT_EQ(px[1], 0x40ABCDEFu);  // mask 255 at full opacity reaches the colour
  }
  // White at full opacity saturates or empties the colour; alpha stays.
  uint32_t white[1] = {0xFFFFFFFFu};
  uint32_t d[1] = {0x7F102030u};
  AddImage32(d, white, 0, 0, 1, 1, 255);
  EXPECT_EQ(d[0], 0x7FFFFFFFu);
  SubImage32Mmx(d, white, 0, 0, 1, 1, 255);
  EXPECT_EQ(d[0], 0x7F000000u);
  // Composite onto alpha 0 copies colour and takes the mapped alpha; onto
  // alpha 255 it blends and keeps 255.
  uint32_t src[1] = {0x80A0B0C0u};
  uint32_t clear[1] = {0x00010203u};
  CompositeImage32(clear, src, 0, 0, 1, 1, ProductTable[255]);
  EXPECT_EQ(clear[0], 0x80A0B0C0u);
  uint32_t solid[1] = {0xFF000000u};
  CompositeImage32Mmx(solid, src, 0, 0, 1, 1, ProductTable[255]);
  EXPECT_EQ(solid[0] >> 24, 0xFFu);
  EXPECT_EQ(solid[0], RefComposite(0xFF000000u, src[0], 0x80));
}

using ImageKernel = void (*)(void*, const void*, int, int, int, int, const uint8_t*);
using StretchImageKernel = void (*)(void*, const void*, int, int, int, int, const StretchStep&,
                                    const uint8_t*);

// Image kernels by source alpha in straight and stretched walks, plain and
// packed at every vector width, against the per-channel reference; sources
// carry pixels and runs of alpha 0 and 255 so the packed shortcuts are taken
// too, over random and over opaque destinations (the composite's fast case).
TEST_F(MaskKernelsTest, ImageByAlphaKernelsMatchReferenceAndTwins) {
  struct Family {
    const char* name;
    ImageKernel plain, packed;
    StretchImageKernel stretched, stretchedPacked;
    std::function<uint32_t(uint32_t d, uint32_t s, uint32_t level)> ref;
  } families[] = {
      {"blend", BlendImageByAlpha32, BlendImageByAlpha32Mmx, BlendImageByAlphaStretched32,
       BlendImageByAlphaStretched32Mmx, [](uint32_t d, uint32_t s, uint32_t l) { return RefBlend(d, s, Mult(l)); }},
      {"add", AddImageByAlpha32, AddImageByAlpha32Mmx, AddImageByAlphaStretched32,
       AddImageByAlphaStretched32Mmx, [](uint32_t d, uint32_t s, uint32_t l) { return RefAdd(d, s, Mult(l), 1); }},
      {"sub", SubImageByAlpha32, SubImageByAlpha32Mmx, SubImageByAlphaStretched32,
       SubImageByAlphaStretched32Mmx, [](uint32_t d, uint32_t s, uint32_t l) { return RefAdd(d, s, Mult(l), -1); }},
      {"composite", CompositeImage32, CompositeImage32Mmx, CompositeImageStretched32,
       CompositeImageStretched32Mmx, [](uint32_t d, uint32_t s, uint32_t l) { return RefComposite(d, s, l); }},
  };
  std::mt19937 rng(3);
  test::ForEachVectorWidth([&](int bytes) {
    for (const auto& f : families) {
      for (int opacity : {255, 77}) {
        for (const auto& shape : test::kShapes) {
          for (const bool runs : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << f.name << " " << opacity << " " << shape.dw << "x" << shape.dh
                         << " from " << shape.sw << "x" << shape.sh << " vector bytes " << bytes
                         << (runs ? " runs over opaque" : ""));
            const uint8_t* map = ProductTable[opacity];
            for (test::Walk walk : {test::Walk::Straight, test::Walk::Stretched}) {
              const bool stretched = walk == test::Walk::Stretched;
              Block<uint32_t> src(stretched ? shape.sw : shape.dw, stretched ? shape.sh : shape.dh);
              test::FillRandom(src, rng);
              if (runs) {
                test::MakeAlphaRuns(src, rng);
              } else {
                for (auto& p : src.pixels) {
                  const int pick = int(rng() % 3);
                  if (pick == 0) p |= 0xFF000000u;
                  if (pick == 1) p &= 0x00FFFFFFu;
                }
              }
              Block<uint32_t> dst(shape.dw, shape.dh);
              test::FillRandom(dst, rng);
              if (runs)
                for (auto& p : dst.pixels) p |= 0xFF000000u;
              auto want = dst, plain = dst, packed = dst;
              test::ReferenceWalk<uint32_t, uint32_t>(walk, want, src, [&](uint32_t d, uint32_t s) {
                return f.ref(d, s, map[s >> 24]);
              });
              auto call = [&](ImageKernel k,
                              StretchImageKernel sk) -> test::KernelCall<uint32_t, uint32_t> {
                return [=](void* d, const void* s, int ds, int ss, int w, int h,
                           const StretchStep& st) {
                  if (stretched)
                    sk(d, s, ds, ss, w, h, st, map);
                  else
                    k(d, s, ds, ss, w, h, map);
                };
              };
              test::RunWalk<uint32_t, uint32_t>(walk, plain, src, call(f.plain, f.stretched));
              test::RunWalk<uint32_t, uint32_t>(walk, packed, src,
                                                call(f.packed, f.stretchedPacked));
              ASSERT_EQ(plain.pixels, want.pixels);
              ASSERT_EQ(packed.pixels, want.pixels);
            }
          }
        }
      }
    }
  });
}

TEST_F(MaskKernelsTest, LevelAndMaskImageKernelsMatchReferenceAndTwins) {
  std::mt19937 rng(17);
  // Wide enough for whole groups of eight and a tail.
  const int w = 37, h = 3;
  Block<uint32_t> src(w, h), dst(w, h);
  test::FillRandom(src, rng);
  test::FillRandom(dst, rng);
  Block<uint8_t> mask(w, h, 2);
  for (auto& m : mask.pixels) m = uint8_t(rng() % 3 == 0 ? 0 : rng());
  for (int x = 8; x < 16; ++x) mask.At(x, 1) = 0;  // a whole group left alone
  const uint8_t* map = ProductTable[200];
  struct Case {
    const char* name;
    std::function<void(Block<uint32_t>&, bool packed)> run;
    std::function<uint32_t(uint32_t d, uint32_t s, uint8_t m)> ref;
  } cases[] = {
      {"add level", [&](auto& b, bool p) { (p ? AddImage32Mmx : AddImage32)(b.pixels.data(), src.pixels.data(), b.SkipBytes(), src.SkipBytes(), w, h, 150); },
       [](uint32_t d, uint32_t s, uint8_t) { return RefAdd(d, s, Mult(150), 1); }},
      {"sub level", [&](auto& b, bool p) { (p ? SubImage32Mmx : SubImage32)(b.pixels.data(), src.pixels.data(), b.SkipBytes(), src.SkipBytes(), w, h, 150); },
       [](uint32_t d, uint32_t s, uint8_t) { return RefAdd(d, s, Mult(150), -1); }},
      {"through mask", [&](auto& b, bool p) { (p ? DrawThroughMask32Mmx : DrawThroughMask32)(b.pixels.data(), src.pixels.data(), mask.pixels.data(), b.SkipBytes(), src.SkipBytes(), mask.SkipBytes(), w, h, map); },
       [&](uint32_t d, uint32_t s, uint8_t m) { return RefBlend(d, s, Mult(map[m])); }},
      {"through no mask", [&](auto& b, bool p) { (p ? DrawThroughMask32Mmx : DrawThroughMask32)(b.pixels.data(), src.pixels.data(), nullptr, b.SkipBytes(), src.SkipBytes(), 0, w, h, map); },
       [&](uint32_t d, uint32_t s, uint8_t) { return RefBlend(d, s, Mult(map[s >> 24])); }},
      {"through mask product", [&](auto& b, bool p) { (p ? DrawThroughMaskProduct32Mmx : DrawThroughMaskProduct32)(b.pixels.data(), src.pixels.data(), mask.pixels.data(), b.SkipBytes(), src.SkipBytes(), mask.SkipBytes(), w, h, map); },
       [&](uint32_t d, uint32_t s, uint8_t m) { return RefBlend(d, s, Mult(Product(map[m], s >> 24))); }},
  };
  test::ForEachVectorWidth([&](int bytes) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << " vector bytes " << bytes);
      auto plain = dst, packed = dst;
      c.run(plain, false);
      c.run(packed, true);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          ASSERT_EQ(plain.At(x, y), c.ref(dst.At(x, y), src.At(x, y), mask.At(x, y))) << x << "," << y;
      ASSERT_EQ(packed.pixels, plain.pixels);
    }
  });
  // Opacity 0 gives an all-zero map: nothing changes.
  auto untouched = dst;
  BlendImageByAlpha32(untouched.pixels.data(), src.pixels.data(), dst.SkipBytes(), src.SkipBytes(), w, h, ProductTable[0]);
  AddImageByAlpha32Mmx(untouched.pixels.data(), src.pixels.data(), dst.SkipBytes(), src.SkipBytes(), w, h, ProductTable[0]);
  EXPECT_EQ(untouched.pixels, dst.pixels);
}

TEST_F(MaskKernelsTest, GlyphColourAtPositionClipsAndDiffersByForm) {
  const int dw = 6, dh = 4;
  const std::array<uint8_t, 6> mask = {0, 128, 255, 64, 0, 200};  // 3 x 2
  auto fresh = [] { return std::vector<uint32_t>(size_t(dw * dh), 0x80102030u); };
  // Wholly outside: false, nothing drawn.
  for (auto [x, y] : {std::pair{-3, 0}, {6, 0}, {0, -2}, {0, 4}}) {
    auto d = fresh();
    EXPECT_FALSE(BlendMaskedColorAt(x, y, 1, 2, 3, d.data(), dw, dh, dw * 4, mask.data(), 3, 2, 3));
    EXPECT_FALSE(BlendMaskedColorAtMmx(x, y, 1, 2, 3, d.data(), dw, dh, dw * 4, mask.data(), 3, 2, 3));
    EXPECT_EQ(d, fresh());
  }
  // Overlapping the left edge: only the visible columns are drawn.
  auto two = fresh();
  EXPECT_TRUE(BlendMaskedColorAt(-1, 1, 0xAA, 0xBB, 0xCC, two.data(), dw, dh, dw * 4, mask.data(), 3, 2, 3));
  const uint32_t c = 0x80AABBCCu, o = 0x80102030u;
  const std::vector<uint32_t> wantRows = {c, c, o, o, o, o, o, c, o, o, o, o};
  EXPECT_TRUE(std::equal(wantRows.begin(), wantRows.end(), two.begin() + dw));
  // The coverage form: P(colour, m) + P(d, 255 - m) without the flag, the
  // packed blend with multiplier m + 1 with it.
  for (bool flag : {false, true}) {
    SetMmxFlag(flag);
    auto cov = fresh();
    EXPECT_TRUE(BlendMaskedColorAtMmx(-1, 1, 0xAA, 0xBB, 0xCC, cov.data(), dw, dh, dw * 4, mask.data(), 3, 2, 3));
    for (int row = 0; row < 2; ++row)
      for (int col = 0; col < 2; ++col) {
        const uint8_t m = mask[size_t(row * 3 + col + 1)];
        uint32_t want = o;
        if (m != 0) {
          want = o & 0xFF000000u;
          for (int i = 0; i < 3; ++i) {
            const uint32_t cc = Ch(c, i), dc = Ch(o, i);
            want |= (flag ? uint32_t(BlendChannel(int(dc), int(cc), m + 1u)) : Product(cc, m) + Product(dc, 255 - m)) << (8 * i);
          }
        }
        ASSERT_EQ(cov[size_t((1 + row) * dw + col)], want) << flag << " " << row << "," << col;
      }
  }
}

uint32_t RefLerp(uint32_t a, uint32_t b, uint32_t f) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) out |= uint32_t(BlendChannel(int(Ch(a, i)), int(Ch(b, i)), f)) << (8 * i);
  return out;
}

// The packed twins filter each source row once and reuse it for the next
// destination rows; the steps below repeat rows, advance one row and skip
// rows, land rows exactly (fraction 0), put many rows on one pair of source
// rows and scale up and down, across widths that leave every tail at both
// vector widths.
TEST_F(MaskKernelsTest, BilinearScalingMatchesReferenceAndTwins) {
  std::mt19937 rng(23);
  const int sw = 80, sh = 24;
  Block<uint32_t> src(sw, sh);
  test::FillRandom(src, rng);
  Block<uint8_t> indexed(sw, sh, 3);
  for (auto& v : indexed.pixels) v = uint8_t(rng());
  std::array<uint32_t, 256> palette;
  for (auto& p : palette) p = rng();
  // Fractions 0 copy p00 exactly.
  {
    Block<uint32_t> dst(4, 3);
    ScaleStep exact{0, 0, uint64_t(1) << 32, uint64_t(1) << 32};
    ScaleBilinear32(dst.pixels.data(), src.pixels.data(), dst.SkipBytes(), src.PitchBytes(), 4, 3, exact);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) ASSERT_EQ(dst.At(x, y), src.At(x, y));
  }
  const ScaleStep steps[] = {
      {0x12345678u, 0x9ABCDEF0u, 0x0000000080000000ull, 0x00000000A0000000ull},
      {0, 0x40000000u, 0x0000000155555555ull, 0x0000000100000000ull},
      {0xFF000000u, 0xFF000000u, 0x00000000C0000000ull, 0x0000000060000000ull},
      {0x80000000u, 0x10000000u, 0x00000001C0000000ull, 0x0000000280000000ull},
      {0x00FFFFFFu, 0, 0x00000000CCCCCCCDull, 0x0000000080000000ull},
      {0x7F000000u, 0x00800000u, 0x0000000329000000ull, 0x00000000E0000000ull},
      // Six and seven rows on one pair of source rows.
      {0x40000000u, 0xF0000000u, 0x0000000070000000ull, 0x0000000020000000ull},
      {0x40000000u, 0x00000000u, 0x0000000070000000ull, 0x0000000020000000ull},
  };
  for (const ScaleStep& step : steps) {
    for (const int w : {1, 2, 3, 6, 7, 13, 21, 38}) {
      const int h = 7;
      // The caller keeps the right and lower neighbours inside the source.
      if (((step.xFraction + uint64_t(w - 1) * step.xIncrement) >> 32) + 1 >= uint64_t(sw)) continue;
      if (((step.yFraction + uint64_t(h - 1) * step.yIncrement) >> 32) + 1 >= uint64_t(sh)) continue;
      SCOPED_TRACE(testing::Message() << "x step " << step.xIncrement << " y step " << step.yIncrement << " width " << w);
      auto sample = [&](auto fetch, int x, int y) {
        const uint64_t xp = step.xFraction + uint64_t(x) * step.xIncrement;
        const uint64_t yp = step.yFraction + uint64_t(y) * step.yIncrement;
        const int ix = int(xp >> 32), iy = int(yp >> 32);
        const uint32_t fx = uint32_t(xp >> 24) & 0xFF, fy = uint32_t(yp >> 24) & 0xFF;
        return RefLerp(RefLerp(fetch(ix, iy), fetch(ix + 1, iy), fx), RefLerp(fetch(ix, iy + 1), fetch(ix + 1, iy + 1), fx), fy);
      };
      Block<uint32_t> plain(w, h), ip(w, h);
      ScaleBilinear32(plain.pixels.data(), src.pixels.data(), plain.SkipBytes(), src.PitchBytes(), w, h, step);
      ScaleBilinearIndexed(ip.pixels.data(), indexed.pixels.data(), ip.SkipBytes(), indexed.PitchBytes(), palette.data(), w, h, step);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          ASSERT_EQ(plain.At(x, y), sample([&](int a, int b) { return src.At(a, b); }, x, y));
          ASSERT_EQ(ip.At(x, y), sample([&](int a, int b) { return palette[indexed.At(a, b)]; }, x, y));
        }
      test::ForEachVectorWidth([&](int bytes) {
        SCOPED_TRACE(testing::Message() << "vector bytes " << bytes);
        Block<uint32_t> packed(w, h), ipPacked(w, h);
        ScaleBilinear32Mmx(packed.pixels.data(), src.pixels.data(), packed.SkipBytes(), src.PitchBytes(), w, h, step);
        ScaleBilinearIndexedMmx(ipPacked.pixels.data(), indexed.pixels.data(), ipPacked.SkipBytes(), indexed.PitchBytes(), palette.data(), w, h, step);
        EXPECT_EQ(packed.pixels, plain.pixels);
        EXPECT_EQ(ipPacked.pixels, ip.pixels);
      });
    }
  }
}

TEST_F(MaskKernelsTest, FormatConvertingCopy) {
  const uint32_t src[2] = {0x80FF8040u, 0x7F0000FFu};
  const struct {
    uint32_t code;
    uint16_t want[2];
  } cases[] = {{64, {0xFE08, 0x001F}}, {128, {0x8F84, 0x700F}}};
  for (const auto& c : cases) {
    uint16_t dst[6] = {};
    // Written at (1, 1) of a 3 x 2 destination of pitch 6 bytes.
    ConvertFormatRect(c.code, dst, 1, 1, 2, 1, 6, src, 0, 0, 8);
    EXPECT_EQ(dst[4], c.want[0]) << c.code;
    EXPECT_EQ(dst[5], c.want[1]) << c.code;
    EXPECT_EQ(dst[0] | dst[1] | dst[2] | dst[3], 0);
  }
  uint32_t wide[2] = {};
  ConvertFormatRect(256, wide, 0, 0, 2, 1, 8, src, 0, 0, 8);
  EXPECT_EQ(wide[0], src[0]);
  EXPECT_EQ(wide[1], src[1]);
  uint32_t none[2] = {};
  ConvertFormatRect(32, none, 0, 0, 2, 1, 8, src, 0, 0, 8);
  EXPECT_EQ(none[0] | none[1], 0u);
}

}  // namespace
}  // namespace orrivel
