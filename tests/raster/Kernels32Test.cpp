#include "raster/Kernels32.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "raster/BlendTables.h"
#include "raster/KernelTestRows.h"

namespace orrivel {
namespace {

using test::Block;
using test::Walk;
using Call = test::KernelCall<uint32_t, uint32_t>;
using Op = std::function<uint32_t(uint32_t, uint32_t)>;

uint32_t B(uint32_t v, int i) { return (v >> (8 * i)) & 0xFF; }

// Reference arithmetic, written channel by channel from the documented rules.
uint32_t RefAverage(uint32_t d, uint32_t s) {
  uint32_t out = (s & d) & 0xFF000000u;
  for (int i = 0; i < 3; ++i) out |= ((B(s, i) + B(d, i)) / 2) << (8 * i);
  return out;
}
uint32_t RefAdd(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) out |= std::min(255u, B(s, i) + B(d, i)) << (8 * i);
  return out;
}
uint32_t RefSub(uint32_t d, uint32_t s) {
  uint32_t out = 0;
  for (int i = 0; i < 4; ++i) out |= uint32_t(std::max(0, int(B(d, i)) - int(B(s, i)))) << (8 * i);
  return out;
}
uint32_t Product(uint32_t a, uint32_t b) { return (a * b + 127) / 255; }
Op RefFactorsPlain(uint32_t df, uint32_t sf) {
  return [=](uint32_t d, uint32_t s) {
    uint32_t out = d & 0xFF000000u;
    for (int i = 0; i < 3; ++i)
      out |= std::min(255u, Product(B(df, i), B(d, i)) + Product(B(sf, i), B(s, i))) << (8 * i);
    return out;
  };
}
Op RefFactorsPacked(uint32_t df, uint32_t sf) {
  return [=](uint32_t d, uint32_t s) {
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i)
      out |= (std::min(65535u, B(s, i) * B(sf, i) + B(d, i) * B(df, i)) >> 8) << (8 * i);
    return out;
  };
}
Op RefOpacityPacked(int m) {
  const int mult = m == 0 ? 0 : m + 1;
  return [=](uint32_t d, uint32_t s) {
    uint32_t out = d & 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
      const int dc = int(B(d, i)), sc = int(B(s, i));
      const int diff = (sc - dc) * mult;
      const int fl = diff >= 0 ? diff / 256 : -((-diff + 255) / 256);
      out |= uint32_t(dc + fl) << (8 * i);
    }
    return out;
  };
}
Op WithKey(uint32_t key, Op op) {
  return [=](uint32_t d, uint32_t s) { return s == key ? d : op(d, s); };
}

struct FamilyCase {
  FamilyCase(std::string n, Op r, std::map<Walk, Call> c, std::optional<uint32_t> k = std::nullopt)
      : name(std::move(n)), reference(std::move(r)), calls(std::move(c)), key(k) {}
  std::string name;
  Op reference;
  std::map<Walk, Call> calls;
  std::optional<uint32_t> key;
};

// Adapters from the kernel signatures to the common call shape.
template <typename... Extra>
Call Plain(void (*fn)(void*, const void*, int, int, int, int, Extra...), Extra... extra) {
  return [=](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep&) {
    fn(d, s, ds, ss, w, h, extra...);
  };
}
template <typename... Extra>
Call Stretch(void (*fn)(void*, const void*, int, int, int, int, const StretchStep&, Extra...),
             Extra... extra) {
  return [=](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep& st) {
    fn(d, s, ds, ss, w, h, st, extra...);
  };
}

class Kernels32Test : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }

  static void CheckFamily(const FamilyCase& family) {
    std::mt19937 rng(1234);
    for (const auto& [walk, call] : family.calls) {
      for (const auto& shape : test::kShapes) {
        const bool stretched = walk == Walk::Stretched || walk == Walk::StretchedMirrored;
        Block<uint32_t> src(stretched ? shape.sw : shape.dw, stretched ? shape.sh : shape.dh);
        Block<uint32_t> dst(shape.dw, shape.dh);
        test::FillRandom(src, rng, family.key);
        test::FillRandom(dst, rng);
        Block<uint32_t> expected = dst;
        test::ReferenceWalk<uint32_t, uint32_t>(walk, expected, src, family.reference);
        test::RunWalk<uint32_t, uint32_t>(walk, dst, src, call);
        ASSERT_EQ(dst.pixels, expected.pixels)
            << family.name << " walk " << int(walk) << " shape " << shape.dw << "x" << shape.dh
            << " from " << src.width << "x" << src.height;
      }
    }
  }
};

TEST_F(Kernels32Test, CopiesMatchReferenceOverEveryWalk) {
  const uint32_t key = 0x00102030;
  const Op copy = [](uint32_t, uint32_t s) { return s; };
  const FamilyCase cases[] = {
      {"copy", copy,
       {{Walk::Straight, Plain(&CopyPixels32)},
        {Walk::Mirrored, Plain(&MirrorCopyPixels32)},
        {Walk::Stretched, Stretch(&StretchCopyPixels32)},
        {Walk::StretchedMirrored, Stretch(&StretchMirrorCopyPixels32)}}},
      {"copy packed", copy,
       {{Walk::Straight, Plain(&CopyPixels32Packed)},
        {Walk::Mirrored, Plain(&MirrorCopyPixels32Packed)},
        {Walk::Stretched, Stretch(&StretchCopyPixels32Packed)},
        {Walk::StretchedMirrored, Stretch(&StretchMirrorCopyPixels32Packed)}}},
      {"copy keyed", WithKey(key, copy),
       {{Walk::Straight, Plain(&CopyPixels32Keyed, key)},
        {Walk::Mirrored, Plain(&MirrorCopyPixels32Keyed, key)},
        {Walk::Stretched, Stretch(&StretchCopyPixels32Keyed, key)},
        {Walk::StretchedMirrored, Stretch(&StretchMirrorCopyPixels32Keyed, key)}},
       key},
  };
  for (const auto& c : cases) CheckFamily(c);
}

TEST_F(Kernels32Test, ModeBlendsAndTheirPackedTwinsMatchReference) {
  const uint32_t key = 0x00ABCDEF;
  struct Mode {
    const char* name;
    Op ref;
    decltype(&Average32) plain, packed;
    decltype(&Average32Keyed) keyed, packedKeyed;
    decltype(&StretchAverage32) stretch, stretchPacked;
    decltype(&StretchAverage32Keyed) stretchKeyed, stretchPackedKeyed;
  };
  const Mode modes[] = {
      {"average", RefAverage, Average32, Average32Packed, Average32Keyed, Average32PackedKeyed,
       StretchAverage32, StretchAverage32Packed, StretchAverage32Keyed, StretchAverage32PackedKeyed},
      {"add", RefAdd, AddSaturate32, AddSaturate32Packed, AddSaturate32Keyed,
       AddSaturate32PackedKeyed, StretchAddSaturate32, StretchAddSaturate32Packed,
       StretchAddSaturate32Keyed, StretchAddSaturate32PackedKeyed},
      {"sub", RefSub, SubSaturate32, SubSaturate32Packed, SubSaturate32Keyed,
       SubSaturate32PackedKeyed, StretchSubSaturate32, StretchSubSaturate32Packed,
       StretchSubSaturate32Keyed, StretchSubSaturate32PackedKeyed},
  };
  for (const auto& m : modes) {
    CheckFamily({m.name, m.ref, {{Walk::Straight, Plain(m.plain)}, {Walk::Stretched, Stretch(m.stretch)}}});
    CheckFamily({std::string(m.name) + " packed", m.ref,
                 {{Walk::Straight, Plain(m.packed)}, {Walk::Stretched, Stretch(m.stretchPacked)}}});
    CheckFamily({std::string(m.name) + " keyed", WithKey(key, m.ref),
                 {{Walk::Straight, Plain(m.keyed, key)}, {Walk::Stretched, Stretch(m.stretchKeyed, key)}},
                 key});
    CheckFamily({std::string(m.name) + " packed keyed", WithKey(key, m.ref),
                 {{Walk::Straight, Plain(m.packedKeyed, key)},
                  {Walk::Stretched, Stretch(m.stretchPackedKeyed, key)}},
                 key});
  }
}

TEST_F(Kernels32Test, FactorAndOpacityBlendsFollowTheirOwnArithmetic) {
  const uint32_t key = 0x00445566;
  // Factors as the opacity blit passes them, and arbitrary ones whose sums
  // overflow a byte.
  const uint32_t factorPairs[][2] = {{0x00404040, 0x00BFBFBF}, {0xFF808080, 0x80FFFFFF},
                                     {0x12345678, 0x9ABCDEF0}};
  for (const auto& f : factorPairs) {
    const uint32_t df = f[0], sf = f[1];
    CheckFamily({"factors", RefFactorsPlain(df, sf),
                 {{Walk::Straight, Plain(&BlendFactors32, df, sf)},
                  {Walk::Stretched, Stretch(&StretchBlendFactors32, df, sf)}}});
    CheckFamily({"factors keyed", WithKey(key, RefFactorsPlain(df, sf)),
                 {{Walk::Straight, Plain(&BlendFactors32Keyed, df, sf, key)},
                  {Walk::Stretched, Stretch(&StretchBlendFactors32Keyed, df, sf, key)}},
                 key});
    CheckFamily({"factors packed", RefFactorsPacked(df, sf),
                 {{Walk::Straight, Plain(&BlendFactors32Packed, df, sf)},
                  {Walk::Stretched, Stretch(&StretchBlendFactors32Packed, df, sf)}}});
    CheckFamily({"factors packed keyed", WithKey(key, RefFactorsPacked(df, sf)),
                 {{Walk::Straight, Plain(&BlendFactors32PackedKeyed, df, sf, key)},
                  {Walk::Stretched, Stretch(&StretchBlendFactors32PackedKeyed, df, sf, key)}},
                 key});
  }
  for (int m : {0, 1, 127, 128, 254, 255}) {
    const auto o = static_cast<uint8_t>(m);
    CheckFamily({"opacity packed", RefOpacityPacked(m),
                 {{Walk::Straight, Plain(&BlendOpacity32Packed, o)},
                  {Walk::Stretched, Stretch(&StretchBlendOpacity32Packed, o)}}});
    CheckFamily({"opacity packed keyed", WithKey(key, RefOpacityPacked(m)),
                 {{Walk::Straight, Plain(&BlendOpacity32PackedKeyed, o, key)},
                  {Walk::Stretched, Stretch(&StretchBlendOpacity32PackedKeyed, o, key)}},
                 key});
  }
}

TEST_F(Kernels32Test, OpacityTwinsAgreeAtTheEndsAndDifferOnlyByRounding) {
  std::mt19937 rng(7);
  Block<uint32_t> src(37, 3), plain(37, 3), packed(37, 3);
  test::FillRandom(src, rng);
  test::FillRandom(plain, rng);
  packed = plain;
  for (int m : {255, 100}) {
    Block<uint32_t> p = plain, q = packed;
    BlendFactors32(p.pixels.data(), src.pixels.data(), p.SkipBytes(), src.SkipBytes(), 37, 3,
                   0x010101u * uint32_t(255 - m), 0x010101u * uint32_t(m));
    BlendOpacity32Packed(q.pixels.data(), src.pixels.data(), q.SkipBytes(), src.SkipBytes(), 37, 3,
                         uint8_t(m));
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 37; ++x)
        for (int i = 0; i < 4; ++i) {
          const int a = int(B(p.At(x, y), i)), b = int(B(q.At(x, y), i));
          if (m == 255 && i < 3) {
            EXPECT_EQ(a, int(B(src.At(x, y), i)));
          }
          EXPECT_LE(std::abs(a - b), 2) << "pixel " << x << "," << y << " byte " << i;
        }
  }
}

TEST_F(Kernels32Test, PaletteExpansionOverEveryWalk) {
  std::mt19937 rng(99);
  uint32_t palette[256];
  for (auto& e : palette) e = rng();
  const uint32_t key = 0xFFFFFF07;  // only the low byte counts
  auto expand = [&](uint32_t, uint8_t i) { return palette[i]; };
  auto expandKeyed = [&](uint32_t d, uint8_t i) { return i == 7 ? d : palette[i]; };
  using Call8 = test::KernelCall<uint32_t, uint8_t>;
  auto plain = [](auto fn, auto... extra) -> Call8 {
    return [=](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep&) {
      fn(d, s, ds, ss, w, h, extra...);
    };
  };
  auto stretch = [](auto fn, auto... extra) -> Call8 {
    return [=](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep& st) {
      fn(d, s, ds, ss, w, h, st, extra...);
    };
  };
  const std::pair<std::map<Walk, Call8>, bool> families[] = {
      {{{Walk::Straight, plain(&ExpandPalette8To32, palette)},
        {Walk::Mirrored, plain(&MirrorExpandPalette8To32, palette)},
        {Walk::Stretched, stretch(&StretchExpandPalette8To32, palette)},
        {Walk::StretchedMirrored, stretch(&StretchMirrorExpandPalette8To32, palette)}},
       false},
      {{{Walk::Straight, plain(&ExpandPalette8To32Keyed, palette, key)},
        {Walk::Mirrored, plain(&MirrorExpandPalette8To32Keyed, palette, key)},
        {Walk::Stretched, stretch(&StretchExpandPalette8To32Keyed, palette, key)},
        {Walk::StretchedMirrored, stretch(&StretchMirrorExpandPalette8To32Keyed, palette, key)}},
       true},
  };
  for (const auto& [calls, keyed] : families)
    for (const auto& [walk, call] : calls)
      for (const auto& shape : test::kShapes) {
        const bool stretched = walk == Walk::Stretched || walk == Walk::StretchedMirrored;
        Block<uint8_t> src(stretched ? shape.sw : shape.dw, stretched ? shape.sh : shape.dh);
        Block<uint32_t> dst(shape.dw, shape.dh);
        test::FillRandom(src, rng, 7u);
        test::FillRandom(dst, rng);
        Block<uint32_t> expected = dst;
        test::ReferenceWalk<uint32_t, uint8_t>(
            walk, expected, src,
            keyed ? std::function<uint32_t(uint32_t, uint8_t)>(expandKeyed) : expand);
        test::RunWalk<uint32_t, uint8_t>(walk, dst, src, call);
        ASSERT_EQ(dst.pixels, expected.pixels) << "keyed " << keyed << " walk " << int(walk);
      }
}

TEST_F(Kernels32Test, FillsAndLevelBlend) {
  std::mt19937 rng(5);
  Block<uint32_t> a(13, 3), b(13, 3);
  test::FillRandom(a, rng);
  b = a;
  FillColorKeepAlpha32(a.pixels.data(), a.SkipBytes(), 13, 3, 0xAA123456);
  FillColorKeepAlpha32Packed(b.pixels.data(), b.SkipBytes(), 13, 3, 0xAA123456);
  EXPECT_EQ(a.pixels, b.pixels);
  EXPECT_EQ(a.At(12, 2) & 0x00FFFFFFu, 0x123456u);
  const uint32_t padding = a.pixels[13];
  FillPixels32(a.pixels.data(), a.SkipBytes(), 13, 3, 0xDEADBEEF);
  EXPECT_EQ(a.At(0, 0), 0xDEADBEEFu);
  EXPECT_EQ(a.At(12, 2), 0xDEADBEEFu);
  EXPECT_EQ(a.pixels[13], padding) << "row padding is not a pixel";

  // Level blend: both alphas set blends colour; only source alpha copies
  // colour; source alpha 0 leaves colour. Alpha always blends.
  struct LevelCase {
    uint32_t d, s, expected;
  };
  const uint8_t L = 128;
  auto mix = [&](uint32_t dc, uint32_t sc) { return Product(255 - L, dc) + Product(L, sc); };
  const LevelCase cases[] = {
      {0x80204060, 0x40A0C0E0,
       (mix(0x80, 0x40) << 24) | (mix(0x20, 0xA0) << 16) | (mix(0x40, 0xC0) << 8) | mix(0x60, 0xE0)},
      {0x00204060, 0x40A0C0E0, (mix(0, 0x40) << 24) | 0xA0C0E0},
      {0x80204060, 0x00A0C0E0, (mix(0x80, 0) << 24) | 0x204060},
  };
  for (const auto& c : cases) {
    uint32_t d = c.d;
    BlendLevel32(&d, &c.s, 0, 0, 1, 1, L);
    EXPECT_EQ(d, c.expected) << std::hex << c.d << " " << c.s;
  }
}

TEST_F(Kernels32Test, DocumentedExamples) {
  uint32_t d = 0x0F304050, s = 0xFF102030;
  Average32(&d, &s, 0, 0, 1, 1);
  EXPECT_EQ(d, 0x0F203040u);
  for (auto fn : {&AddSaturate32, &AddSaturate32Packed}) {
    uint32_t row[5] = {0xFF200000, 0xFF200000, 0xFF200000, 0xFF200000, 0xFF200000};
    const uint32_t srow[5] = {0xFFF00000, 0xFFF00000, 0xFFF00000, 0xFFF00000, 0xFFF00000};
    fn(row, srow, 0, 0, 5, 1);
    for (uint32_t p : row) EXPECT_EQ(p, 0xFFFF0000u);
  }
  // A packed opacity blend at 255 yields the source colour exactly.
  d = 0x11223344;
  s = 0x99AABBCC;
  BlendOpacity32Packed(&d, &s, 0, 0, 1, 1, 255);
  EXPECT_EQ(d, 0x11AABBCCu);
}

TEST_F(Kernels32Test, StretchSteppingCases) {
  const uint32_t src[8] = {0, 1, 2, 3, 4, 5, 6, 7};
  uint32_t dst[4] = {};
  StretchStep every2;
  every2.xStep = 2;
  every2.xError = -1;
  every2.xDenominator = 1;
  StretchCopyPixels32(dst, src, 0, 32, 4, 1, every2);
  EXPECT_EQ((std::vector<uint32_t>(dst, dst + 4)), (std::vector<uint32_t>{0, 2, 4, 6}));

  StretchStep twice;
  twice.xStep = 0;
  twice.xError = int32_t(0x80000000u);
  twice.xRemainder = 0x40000000;
  twice.xDenominator = int32_t(0x80000000u);
  for (auto fn : {&StretchCopyPixels32, &StretchCopyPixels32Packed}) {
    uint32_t out[8] = {};
    fn(out, src, 0, 32, 8, 1, twice);
    EXPECT_EQ((std::vector<uint32_t>(out, out + 8)), (std::vector<uint32_t>{0, 0, 1, 1, 2, 2, 3, 3}));
  }

  // A flipped source: last row first with the pitch negated.
  const uint32_t rows[3][2] = {{1, 2}, {3, 4}, {5, 6}};
  uint32_t out[3][2] = {};
  const StretchStep same = test::MakeStep(2, 2, 3, 3);
  StretchCopyPixels32(out, rows[2], 0, -8, 2, 3, same);
  EXPECT_EQ(out[0][0], 5u);
  EXPECT_EQ(out[2][1], 2u);
}

TEST_F(Kernels32Test, ShiftChannels) {
  struct Case {
    uint32_t color;
    int n;
    uint32_t expected;
  };
  const Case cases[] = {
      {0xFF804020, 0, 0x00804020},   // alpha dropped
      {0x00804020, -1, 0x00402010},  // darken
      {0x00804020, -9, 0x00000000},
      {0x00102030, 1, 0x00204060},   // below the half: a plain shift
      // Above the half: 200 gains (55 >> 1) * 1 = 27 on blue and 55 * 1 / 2 = 27 on
      // green and red.
      {0x00C8C8C8, 1, 0x00E3E3E3},
      // n = 2 at 100: blue (155 >> 2) * 3 = 114, green/red 155 * 3 / 4 = 116.
      {0x00646464, 2, 0x00D8D8D6},
      {0x00FFFFFF, 8, 0x00FFFFFF},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShiftChannels(c.color, c.n), c.expected) << std::hex << c.color << " n=" << std::dec << c.n;
}

}  // namespace
}  // namespace orrivel
