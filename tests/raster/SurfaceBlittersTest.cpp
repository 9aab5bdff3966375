#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/KernelTestRows.h"
#include "raster/PixelOps32.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

namespace ops = pixel_ops;

class SurfaceBlittersTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }
  void TearDown() override { SetMmxFlag(false); }
};

void FillRandom(Surface& s, uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < s.GetHeight(); ++y) {
    uint8_t* row = s.GetScanLine(y);
    for (int x = 0; x < s.GetPitch(); ++x) row[x] = uint8_t(rng());
  }
}

uint32_t PixelAt(Surface& s, int x, int y) { return s.GetPixel(x, y); }

std::vector<uint32_t> Pixels(Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(s.GetPixel(x, y));
  return out;
}

Rect RegionBounds(const Surface& s) {
  Rect b{};
  bool first = true;
  for (const Rect& r : s.Region()->Rects()) {
    if (first) {
      b = r;
      first = false;
      continue;
    }
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

TEST_F(SurfaceBlittersTest, ClipTables) {
  Surface dst, src;
  ASSERT_EQ(dst.Create(50, 50, 32, Surface::kWithRegion), 0);
  ASSERT_EQ(src.Create(100, 100, 32, 0), 0);
  const struct {
    const char* name;
    bool mirror, flip;
    Rect source;
  } cases[] = {
      {"plain", false, false, {10, 20, 60, 70}},
      {"mirrored", true, false, {40, 20, 90, 70}},
      {"flipped", false, true, {10, 30, 60, 80}},
      {"both", true, true, {40, 30, 90, 80}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int code = c.mirror ? dst.ClipBlitMirrored(&src, -10, -20, nullptr, nullptr, nullptr, nullptr, c.flip)
                              : dst.ClipBlit(&src, -10, -20, nullptr, nullptr, nullptr, nullptr, c.flip);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(dst.BlitDest(), (Rect{0, 0, 50, 50}));
    EXPECT_EQ(dst.BlitSource(), c.source);
  }
  // A source rectangle sticking out of the source's clip keeps each pixel
  // where it would have gone: cut columns move the placement.
  Rect out{-5, -3, 20, 10};
  ASSERT_EQ(dst.ClipBlit(&src, 0, 0, &out, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(dst.BlitSource(), (Rect{0, 0, 20, 10}));
  EXPECT_EQ(dst.BlitDest(), (Rect{5, 3, 25, 13}));
  Rect outRight{90, 0, 105, 10};
  ASSERT_EQ(dst.ClipBlitMirrored(&src, 0, 0, &outRight, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(dst.BlitSource(), (Rect{90, 0, 100, 10}));
  EXPECT_EQ(dst.BlitDest(), (Rect{5, 0, 15, 10}));
  // Refusals.
  StretchStep step;
  const Size size{10, 10};
  EXPECT_EQ(dst.ClipBlit(nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(dst.ClipBlit(&src, 0, 0, nullptr, &size, nullptr, nullptr), 2);
  Rect outside{200, 200, 210, 210};
  EXPECT_EQ(dst.ClipBlit(&src, 0, 0, &outside, nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(dst.ClipBlit(&src, 60, 0, nullptr, nullptr, nullptr, nullptr), -1);
  const Size empty{0, 5};
  EXPECT_EQ(dst.ClipBlit(&src, 0, 0, nullptr, &empty, &step, nullptr), -1);
  // 3 source pixels onto 2.
  Rect three{0, 0, 3, 1};
  const Size two{2, 1};
  ASSERT_EQ(dst.ClipBlit(&src, 0, 0, &three, &two, &step, nullptr), 0);
  EXPECT_EQ(step.xStep, 1);
  EXPECT_EQ(step.xRemainder, 1);
  EXPECT_EQ(step.xDenominator, 2);
  EXPECT_EQ(step.xError, -3);
  Surface row, onto;
  ASSERT_EQ(row.Create(3, 1, 32, 0), 0);
  ASSERT_EQ(onto.Create(2, 1, 32, 0), 0);
  for (int x = 0; x < 3; ++x) row.SetPixel(x, 0, 0xA0 + uint32_t(x));
  ASSERT_EQ(onto.StretchCopy(&row, &two, 0, 0, nullptr, false), 0);
  EXPECT_EQ(PixelAt(onto, 0, 0), 0xA0u);
  EXPECT_EQ(PixelAt(onto, 1, 0), 0xA1u);
}

// A stretched blit cut by the destination reads exactly the source pixels
// the uncut blit shows there, whichever way it is mirrored or flipped.
TEST_F(SurfaceBlittersTest, ClippedStretchShowsThePartOfTheWholeStretch) {
  Surface src;
  ASSERT_EQ(src.Create(13, 11, 32, 0), 0);
  FillRandom(src, 9);
  const Size sizes[] = {{13, 11}, {7, 5}, {26, 33}, {20, 9}, {4, 17}};
  for (const Size& size : sizes) {
    for (int mode = 0; mode < 4; ++mode) {
      SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << " mode " << mode);
      Surface whole;
      ASSERT_EQ(whole.Create(size.width, size.height, 32, 0), 0);
      auto draw = [&](Surface& d, int x, int y) {
        return mode == 3 ? d.StretchCopy(&src, &size, x, y, nullptr, false)
                         : d.StretchCopyMirrored(mode, &src, &size, x, y, nullptr);
      };
      ASSERT_EQ(draw(whole, 0, 0), 0);
      for (auto [x, y] : {std::pair{-1, -1}, {-3, -2}, {-5, 0}, {0, -7}, {2, 3}}) {
        Surface part;
        ASSERT_EQ(part.Create(size.width, size.height, 32, 0), 0);
        part.FillRect(0x12345678u, nullptr);
        ASSERT_EQ(draw(part, x, y), 0);
        for (int py = 0; py < size.height; ++py)
          for (int px = 0; px < size.width; ++px) {
            const int wx = px - x, wy = py - y;
            const bool inside = wx >= 0 && wy >= 0 && wx < size.width && wy < size.height;
            ASSERT_EQ(PixelAt(part, px, py), inside ? PixelAt(whole, wx, wy) : 0x12345678u)
                << "offset " << x << "," << y << " at " << px << "," << py;
          }
      }
    }
  }
}

// Where the destination pixel (dx, dy) reads from, for a blit of the whole
// source placed at (x, y), or nothing.
std::optional<std::pair<int, int>> SourceOf(int dx, int dy, int x, int y, int sw, int sh,
                                            const std::optional<Size>& size, bool mirror, bool flip) {
  const int j = dx - x, i = dy - y;
  const int dw = size ? size->width : sw, dh = size ? size->height : sh;
  if (j < 0 || i < 0 || j >= dw || i >= dh) return std::nullopt;
  int sx = j, sy = i;
  if (size) {
    const StretchStep s = test::MakeStep(sw, dw, sh, dh);
    sx = test::StretchPositions(dw, s.xError, s.xRemainder, s.xDenominator, s.xStep)[size_t(j)];
    sy = test::StretchPositions(dh, s.yError, s.yRemainder, s.yDenominator, s.yStep)[size_t(i)];
  }
  if (mirror) sx = sw - 1 - sx;
  if (flip) sy = sh - 1 - sy;
  return std::pair{sx, sy};
}

struct BlitCase {
  std::string name;
  int dstBits, srcBits;
  bool keyed;
  std::optional<Size> size;
  bool mirror, flip;
  std::function<int(Surface& d, Surface& s, const Size* size, int x, int y)> blit;
  // The pixel the blit should leave, from the destination and source pixel.
  std::function<uint32_t(uint32_t d, uint32_t s, Surface& src, bool packed)> ref;
};

std::vector<BlitCase> AllBlitCases() {
  std::vector<BlitCase> cases;
  const std::optional<Size> none;
  const Size grow{23, 9}, shrink{5, 4};
  auto copy32 = [](uint32_t, uint32_t s, Surface&, bool) { return s; };
  auto palette = [](uint32_t, uint32_t s, Surface& src, bool) { return src.GetPalette()[s & 0xFF]; };
  for (auto [db, sb] : {std::pair{32, 32}, {32, 8}, {8, 8}}) {
    auto ref = sb == 32 || db == 8 ? std::function(copy32) : std::function(palette);
    for (bool keyed : {false, true}) {
      const std::string tag = std::to_string(db) + "/" + std::to_string(sb) + (keyed ? " keyed" : "");
      cases.push_back({"copy " + tag, db, sb, keyed, none, false, false,
                       [](Surface& d, Surface& s, const Size*, int x, int y) { return d.Copy(&s, x, y, nullptr, false); }, ref});
      cases.push_back({"copy flipped " + tag, db, sb, keyed, none, false, true,
                       [](Surface& d, Surface& s, const Size*, int x, int y) { return d.Copy(&s, x, y, nullptr, true); }, ref});
      for (int mode : {0, 1, 2}) {
        cases.push_back({"copy mirrored " + std::to_string(mode) + " " + tag, db, sb, keyed, none, mode != 1, mode != 0,
                         [mode](Surface& d, Surface& s, const Size*, int x, int y) { return d.CopyMirrored(mode, &s, x, y, nullptr); }, ref});
        cases.push_back({"stretch mirrored " + std::to_string(mode) + " " + tag, db, sb, keyed, grow, mode != 1, mode != 0,
                         [mode](Surface& d, Surface& s, const Size* z, int x, int y) { return d.StretchCopyMirrored(mode, &s, z, x, y, nullptr); }, ref});
      }
      cases.push_back({"stretch " + tag, db, sb, keyed, shrink, false, false,
                       [](Surface& d, Surface& s, const Size* z, int x, int y) { return d.StretchCopy(&s, z, x, y, nullptr, false); }, ref});
    }
  }
  auto alpha = [](uint32_t d, uint32_t s, Surface&, bool p) { return p ? ops::BlendByAlpha<true>(d, s) : ops::BlendByAlpha<false>(d, s); };
  for (int mode : {-1, 0, 1, 2}) {
    const bool mirror = mode == 0 || mode == 2, flip = mode == 1 || mode == 2 || mode == -1;
    cases.push_back({"alpha blend " + std::to_string(mode), 32, 32, false, none, mirror, flip,
                     [mode](Surface& d, Surface& s, const Size*, int x, int y) {
                       return mode < 0 ? d.AlphaBlend(&s, x, y, nullptr, true) : d.AlphaBlendMirrored(mode, &s, x, y, nullptr);
                     }, alpha});
    cases.push_back({"stretch alpha blend " + std::to_string(mode), 32, 32, false, grow, mirror, flip,
                     [mode](Surface& d, Surface& s, const Size* z, int x, int y) {
                       return mode < 0 ? d.StretchAlphaBlend(&s, z, x, y, nullptr, true) : d.StretchAlphaBlendMirrored(mode, &s, z, x, y, nullptr);
                     }, alpha});
  }
  cases.push_back({"alpha plane in", 32, 8, false, none, true, false,
                   [](Surface& d, Surface& s, const Size*, int x, int y) { return d.CopyAlphaPlaneMirrored(0, &s, x, y, nullptr); },
                   [](uint32_t d, uint32_t s, Surface&, bool) { return (d & 0x00FFFFFFu) | (s & 0xFF) << 24; }});
  cases.push_back({"alpha plane out", 8, 32, false, shrink, false, true,
                   [](Surface& d, Surface& s, const Size* z, int x, int y) { return d.StretchCopyAlphaPlane(&s, z, x, y, nullptr, true); },
                   [](uint32_t, uint32_t s, Surface&, bool) { return s >> 24; }});
  for (bool keyed : {false, true})
    cases.push_back({std::string("colour keep alpha") + (keyed ? " keyed" : ""), 32, 32, keyed, grow, false, false,
                     [](Surface& d, Surface& s, const Size* z, int x, int y) { return d.StretchCopyColorKeepAlpha(&s, z, x, y, nullptr); },
                     [](uint32_t d, uint32_t s, Surface&, bool) { return (d & 0xFF000000u) | (s & 0x00FFFFFFu); }});
  for (int mode : {0, 1, 2})
    cases.push_back({"stretch alpha plane in mirrored " + std::to_string(mode), 32, 8, false, grow, mode != 1, mode != 0,
                     [mode](Surface& d, Surface& s, const Size* z, int x, int y) { return d.StretchCopyAlphaPlaneMirrored(mode, &s, z, x, y, nullptr); },
                     [](uint32_t d, uint32_t s, Surface&, bool) { return (d & 0x00FFFFFFu) | (s & 0xFF) << 24; }});
  const auto alphaKeepColour = [](uint32_t d, uint32_t s, Surface&, bool) { return (s & 0xFF000000u) | (d & 0x00FFFFFFu); };
  cases.push_back({"alpha keep colour", 32, 32, false, none, false, false,
                   [](Surface& d, Surface& s, const Size*, int x, int y) { return d.CopyAlphaKeepColor(&s, x, y, nullptr); },
                   alphaKeepColour});
  for (const Size& z : {grow, shrink})
    cases.push_back({"stretch alpha keep colour " + std::to_string(z.width), 32, 32, false, z, false, false,
                     [](Surface& d, Surface& s, const Size* z, int x, int y) { return d.StretchCopyAlphaKeepColor(&s, z, x, y, nullptr); },
                     alphaKeepColour});
  for (bool keyed : {false, true}) {
    const std::string k = keyed ? " keyed" : "";
    cases.push_back({"opacity" + k, 32, 32, keyed, none, false, false,
                     [](Surface& d, Surface& s, const Size*, int x, int y) { return d.BlendOpacity(&s, 100, x, y, nullptr); },
                     [](uint32_t d, uint32_t s, Surface&, bool p) {
                       return p ? ops::BlendOpacityPacked(d, s, 100) : ops::BlendFactorsPlain(d, s, 155 * 0x010101u, 100 * 0x010101u);
                     }});
    cases.push_back({"stretch opacity" + k, 32, 32, keyed, grow, false, false,
                     [](Surface& d, Surface& s, const Size* z, int x, int y) { return d.StretchBlendOpacity(&s, 100, z, x, y, nullptr); },
                     [](uint32_t d, uint32_t s, Surface&, bool p) {
                       return p ? ops::BlendOpacityPacked(d, s, 100) : ops::BlendFactorsPlain(d, s, 155 * 0x010101u, 100 * 0x010101u);
                     }});
    cases.push_back({"stretch modulated" + k, 32, 32, keyed, grow, false, false,
                     [](Surface& d, Surface& s, const Size* z, int x, int y) { return d.StretchBlendModulated(&s, 0x40506070u, 0x80706050u, z, x, y, nullptr); },
                     [](uint32_t d, uint32_t s, Surface&, bool p) {
                       return p ? ops::BlendFactorsPacked(d, s, 0x40506070u, 0x80706050u) : ops::BlendFactorsPlain(d, s, 0x40506070u, 0x80706050u);
                     }});
    const std::function<uint32_t(uint32_t, uint32_t)> modes[] = {ops::Average, ops::AddSaturate, ops::SubSaturate};
    for (int mode = 0; mode < 3; ++mode)
      cases.push_back({"mode " + std::to_string(mode) + k, 32, 32, keyed, mode == 1 ? std::optional<Size>(shrink) : none, false, false,
                       [mode](Surface& d, Surface& s, const Size* z, int x, int y) {
                         return z ? d.StretchBlendByMode(uint8_t(mode), &s, z, x, y, nullptr) : d.BlendByMode(uint8_t(mode), &s, x, y, nullptr);
                       },
                       [f = modes[mode]](uint32_t d, uint32_t s, Surface&, bool) { return f(d, s); }});
  }
  cases.push_back({"level", 32, 32, false, none, false, false,
                   [](Surface& d, Surface& s, const Size*, int x, int y) { return d.BlendAlphaLevel(&s, 90, x, y, nullptr); },
                   [](uint32_t d, uint32_t s, Surface&, bool) { return ops::BlendLevel(d, s, 90); }});
  return cases;
}

// Every blit family on 8- and 32-bit surfaces against the plain reference:
// which source pixel lands where (clipped, stretched, mirrored, flipped),
// what it does there, the key, and the dirty rectangle.
TEST_F(SurfaceBlittersTest, EveryFamilyMatchesThePlainReference) {
  const int sw = 11, sh = 7;
  for (const BlitCase& c : AllBlitCases()) {
    for (bool packed : {false, true}) {
      for (auto [x, y] : {std::pair{3, 2}, {-4, -3}, {12, 5}}) {
        SCOPED_TRACE(testing::Message() << c.name << (packed ? " packed" : "") << " at " << x << "," << y);
        SetMmxFlag(packed);
        Surface dst, src;
        ASSERT_EQ(dst.Create(17, 10, uint8_t(c.dstBits), Surface::kWithRegion), 0);
        ASSERT_EQ(src.Create(sw, sh, uint8_t(c.srcBits), 0), 0);
        FillRandom(dst, 1);
        FillRandom(src, 2);
        if (c.srcBits == 8) {
          std::vector<uint32_t> pal(256);
          std::mt19937 rng(4);
          for (auto& p : pal) p = rng();
          src.SetPalette(pal.data(), 256, 256, 0);
        }
        if (c.keyed) src.SetColorKeyAt(1, 1);
        const auto before = Pixels(dst);
        dst.ClearChanged();
        ASSERT_EQ(c.blit(dst, src, c.size ? &*c.size : nullptr, x, y), 0);
        Rect touched{1 << 20, 1 << 20, -1, -1};
        for (int dy = 0; dy < dst.GetHeight(); ++dy)
          for (int dx = 0; dx < dst.GetWidth(); ++dx) {
            const uint32_t d = before[size_t(dy * dst.GetWidth() + dx)];
            uint32_t want = d;
            if (auto at = SourceOf(dx, dy, x, y, sw, sh, c.size, c.mirror, c.flip)) {
              touched = {std::min(touched.left, dx), std::min(touched.top, dy), std::max(touched.right, dx + 1),
                         std::max(touched.bottom, dy + 1)};
              const uint32_t s = PixelAt(src, at->first, at->second);
              if (!(c.keyed && s == src.GetColorKey())) want = c.ref(d, s, src, packed);
              if (c.dstBits == 8) want &= 0xFF;
            }
            ASSERT_EQ(PixelAt(dst, dx, dy), want) << dx << "," << dy;
          }
        EXPECT_TRUE(dst.Changed());
        EXPECT_EQ(RegionBounds(dst), touched);
        EXPECT_EQ(dst.BlitDest(), touched);
      }
    }
  }
}

TEST_F(SurfaceBlittersTest, RefusalsMarkNothing) {
  Surface d32, d8, s32, s8, empty;
  ASSERT_EQ(d32.Create(8, 8, 32, Surface::kWithRegion), 0);
  ASSERT_EQ(d8.Create(8, 8, 8, Surface::kWithRegion), 0);
  ASSERT_EQ(s32.Create(4, 4, 32, 0), 0);
  ASSERT_EQ(s8.Create(4, 4, 8, 0), 0);
  const Size size{3, 3};
  using Blit = std::function<int(Surface&, Surface*)>;
  const struct {
    const char* name;
    Blit blit;
    Surface* wrongDst;
    Surface* wrongSrc;
  } cases[] = {
      {"copy", [](Surface& d, Surface* s) { return d.Copy(s, 0, 0, nullptr, false); }, &d8, &s32},
      {"stretch", [&](Surface& d, Surface* s) { return d.StretchCopy(s, &size, 0, 0, nullptr, false); }, &d8, &s32},
      {"alpha", [](Surface& d, Surface* s) { return d.AlphaBlend(s, 0, 0, nullptr, false); }, &d32, &s8},
      {"plane", [](Surface& d, Surface* s) { return d.CopyAlphaPlane(s, 0, 0, nullptr, false); }, &d32, &s32},
      {"colour", [](Surface& d, Surface* s) { return d.CopyColorKeepAlpha(s, 0, 0, nullptr); }, &d8, &s32},
      {"alpha only", [](Surface& d, Surface* s) { return d.CopyAlphaKeepColor(s, 0, 0, nullptr); }, &d32, &s8},
      {"opacity", [](Surface& d, Surface* s) { return d.BlendOpacity(s, 9, 0, 0, nullptr); }, &d8, &s32},
      {"modulated", [](Surface& d, Surface* s) { return d.BlendModulated(s, 1, 1, 0, 0, nullptr); }, &d32, &s8},
      {"mode", [](Surface& d, Surface* s) { return d.BlendByMode(0, s, 0, 0, nullptr); }, &d32, &s8},
      {"level", [](Surface& d, Surface* s) { return d.BlendAlphaLevel(s, 9, 0, 0, nullptr); }, &d8, &s8},
      {"scale", [&](Surface& d, Surface* s) { return d.ScaleCopy(s, &size, 0, 0, nullptr); }, &d8, &s32},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    d32.Region()->Reset();
    d8.Region()->Reset();
    d32.ClearChanged();
    d8.ClearChanged();
    EXPECT_EQ(c.blit(*c.wrongDst, nullptr), 1);
    EXPECT_EQ(c.blit(*c.wrongDst, &empty), 1);
    EXPECT_EQ(c.blit(empty, c.wrongSrc), 1);
    EXPECT_EQ(c.blit(*c.wrongDst, c.wrongSrc), 2);
    EXPECT_EQ(d32.Region()->Count() + d8.Region()->Count(), 0);
    EXPECT_FALSE(d32.Changed() || d8.Changed());
  }
  // A source rectangle outside the source's clip: 0 and nothing dirty.
  Rect outside{10, 10, 12, 12};
  EXPECT_EQ(d32.Copy(&s32, 0, 0, &outside, false), 0);
  // Opacity 0, level 0 and factors 0: no-ops.
  EXPECT_EQ(d32.BlendOpacity(&s32, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(d32.BlendAlphaLevel(&s32, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(d32.BlendModulated(&s32, 0xFFFFFF, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(d32.Region()->Count(), 0);
  EXPECT_FALSE(d32.Changed());
  // An unknown mode draws nothing but marks the rectangle.
  FillRandom(d32, 3);
  const auto before = Pixels(d32);
  EXPECT_EQ(d32.BlendByMode(3, &s32, 2, 2, nullptr), 0);
  EXPECT_EQ(Pixels(d32), before);
  EXPECT_TRUE(d32.Changed());
  EXPECT_EQ(d32.Region()->Rects(), std::vector<Rect>{(Rect{2, 2, 6, 6})});
}

TEST_F(SurfaceBlittersTest, EightBitCopiesThroughPalettes) {
  Surface src, plain, sectioned;
  ASSERT_EQ(src.Create(4, 2, 8, Surface::kWithDeviceContext), 0);
  for (int x = 0; x < 4; ++x) src.SetPixel(x, 0, uint32_t(x));
  // A source without palette gets the grey ramp.
  ASSERT_EQ(plain.Create(4, 2, 32, 0), 0);
  ASSERT_EQ(plain.Copy(&src, 0, 0, nullptr, false), 0);
  EXPECT_EQ(PixelAt(plain, 3, 0), 0x030303u);
  // The palette's reserved byte becomes alpha, except on the block-transfer
  // path between two device-context images, which writes alpha 0.
  const uint32_t pal[4] = {0xFF000000u, 0xAA112233u, 0x55445566u, 0x01778899u};
  src.SetPalette(pal, 4, 4, 0);
  ASSERT_EQ(plain.Copy(&src, 0, 0, nullptr, false), 0);
  EXPECT_EQ(PixelAt(plain, 1, 0), 0xAA112233u);
  ASSERT_EQ(sectioned.Create(4, 2, 32, Surface::kWithDeviceContext), 0);
  ASSERT_EQ(sectioned.Copy(&src, 0, 0, nullptr, false), 0);
  EXPECT_EQ(PixelAt(sectioned, 1, 0), 0x00112233u);
  ASSERT_EQ(sectioned.Copy(&src, 0, 0, nullptr, true), 0);
  EXPECT_EQ(PixelAt(sectioned, 1, 1), 0xAA112233u);
}

TEST_F(SurfaceBlittersTest, ScaleCopyChoosesItsPath) {
  Surface src;
  ASSERT_EQ(src.Create(100, 100, 32, 0), 0);
  FillRandom(src, 8);
  src.SetColorKeyAt(0, 0);
  // Half the width is not more than half: the nearest-pixel stretch, drawn
  // without the key.
  const Size half{50, 100};
  Surface scaled, stretched;
  ASSERT_EQ(scaled.Create(50, 100, 32, Surface::kWithRegion), 0);
  ASSERT_EQ(stretched.Create(50, 100, 32, 0), 0);
  ASSERT_EQ(scaled.ScaleCopy(&src, &half, 0, 0, nullptr), 0);
  EXPECT_EQ(src.GetColorKey(), PixelAt(src, 0, 0));
  const uint32_t key = src.GetColorKey();
  src.ClearColorKey();
  ASSERT_EQ(stretched.StretchCopy(&src, &half, 0, 0, nullptr, false), 0);
  src.SetColorKeyAt(0, 0);
  EXPECT_EQ(src.GetColorKey(), key);
  EXPECT_EQ(Pixels(scaled), Pixels(stretched));
  // One column more: filtered, every pixel mixed from its four neighbours.
  const Size filtered{51, 100};
  Surface f;
  ASSERT_EQ(f.Create(51, 100, 32, Surface::kWithRegion), 0);
  ASSERT_EQ(f.ScaleCopy(&src, &filtered, 0, 0, nullptr), 0);
  const uint64_t xInc = (uint64_t(99) << 32) / 51, yInc = (uint64_t(99) << 32) / 100;
  for (int y : {0, 37, 99})
    for (int x : {0, 20, 50}) {
      const uint64_t xp = uint64_t(x) * xInc, yp = uint64_t(y) * yInc;
      const int ix = int(xp >> 32), iy = int(yp >> 32);
      const uint32_t fx = uint32_t(xp >> 24) & 0xFF, fy = uint32_t(yp >> 24) & 0xFF;
      auto lerp = [](uint32_t a, uint32_t b, uint32_t t) {
        uint32_t out = 0;
        for (int i = 0; i < 4; ++i) {
          const int ac = int((a >> (8 * i)) & 0xFF), bc = int((b >> (8 * i)) & 0xFF);
          out |= uint32_t(ac + (((bc - ac) * int(t)) >> 8)) << (8 * i);
        }
        return out;
      };
      const uint32_t want = lerp(lerp(PixelAt(src, ix, iy), PixelAt(src, ix + 1, iy), fx),
                                 lerp(PixelAt(src, ix, iy + 1), PixelAt(src, ix + 1, iy + 1), fx), fy);
      ASSERT_EQ(PixelAt(f, x, y), want) << x << "," << y;
    }
  EXPECT_EQ(f.Region()->Rects(), std::vector<Rect>{(Rect{0, 0, 51, 100})});
  // Packed twin, and a clipped placement that stays inside the source.
  SetMmxFlag(true);
  Surface g;
  ASSERT_EQ(g.Create(51, 100, 32, 0), 0);
  ASSERT_EQ(g.ScaleCopy(&src, &filtered, 0, 0, nullptr), 0);
  EXPECT_EQ(Pixels(g), Pixels(f));
  Surface small;
  ASSERT_EQ(small.Create(30, 30, 32, Surface::kWithRegion), 0);
  ASSERT_EQ(small.ScaleCopy(&src, &filtered, -10, -20, nullptr), 0);
  EXPECT_EQ(small.Region()->Rects(), std::vector<Rect>{(Rect{0, 0, 30, 30})});
  // Equal sizes copy, ignoring the key.
  Surface same;
  ASSERT_EQ(same.Create(100, 100, 32, 0), 0);
  ASSERT_EQ(same.ScaleCopy(&src, nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(Pixels(same), Pixels(src));
  // 8 from 8 filtered; 8 from 32 refused.
  Surface s8, d8;
  ASSERT_EQ(s8.Create(10, 10, 8, 0), 0);
  ASSERT_EQ(d8.Create(8, 8, 8, 0), 0);
  const Size eight{8, 8};
  EXPECT_EQ(d8.ScaleCopy(&s8, &eight, 0, 0, nullptr), 0);
  EXPECT_EQ(d8.ScaleCopy(&src, &eight, 0, 0, nullptr), 2);
  // Placements and rectangles whose edges leave the 32-bit range show nothing.
  const Rect huge{INT32_MIN, 0, INT32_MAX, 10};
  EXPECT_EQ(same.ScaleCopy(&src, &filtered, INT32_MAX - 5, 0, nullptr), 0);
  EXPECT_EQ(same.ScaleCopy(&src, &filtered, 0, 0, &huge), 0);
  EXPECT_EQ(Pixels(same), Pixels(src));
}

}  // namespace
}  // namespace orrivel
