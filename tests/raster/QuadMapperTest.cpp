#include "raster/QuadMapper.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

constexpr uint32_t kUntouched = 0x12345678u;

uint32_t& Pixel(Surface& s, int x, int y) {
  return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x];
}

void Fill(Surface& s, uint32_t value) {
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) Pixel(s, x, y) = value;
}

// Texel (x, y) holds 0xFF000000 | y << 8 | x so any pixel tells where it came from.
void MakeSource(Surface& s, int w, int h) {
  ASSERT_EQ(s.Create(w, h, 32, 0), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) Pixel(s, x, y) = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
}

void MakeDest(Surface& s, int w, int h) {
  ASSERT_EQ(s.Create(w, h, 32, Surface::kWithRegion), 0);
  Fill(s, kUntouched);
}

struct Quad {
  Point p[4];
};

Quad Box(int x, int y, int w, int h) { return {{{x, y}, {x + w, y}, {x, y + h}, {x + w, y + h}}}; }

int CountWritten(Surface& s) {
  int n = 0;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) n += Pixel(s, x, y) != kUntouched;
  return n;
}

class QuadMapperTest : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }
  void TearDown() override { SetMmxFlag(false); }
};

TEST_F(QuadMapperTest, AxisAlignedQuadFillsExactlyTheBox) {
  struct Case {
    int w, h, x, y;
  } const cases[] = {{1, 1, 3, 4}, {2, 3, 0, 0}, {7, 5, 10, 2}, {16, 9, 4, 4}, {31, 17, 0, 6}};
  for (const auto& c : cases) {
    Surface src, dst;
    MakeSource(src, c.w, c.h);
    MakeDest(dst, 48, 32);
    const Quad q = Box(c.x, c.y, c.w, c.h);
    ASSERT_EQ(SurfaceMapQuad(&dst, &src, q.p, nullptr, nullptr), 0);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 48; ++x) {
        const bool inside = x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h;
        const uint32_t got = Pixel(dst, x, y);
        ASSERT_EQ(got != kUntouched, inside) << c.w << "x" << c.h << " at " << x << "," << y;
        // Source column i lands in destination column x + i.
        if (inside) {
          ASSERT_EQ(int(got & 0xFF), x - c.x) << c.w << "x" << c.h;
        }
      }
    if (c.h > 1) {
      EXPECT_EQ(Pixel(dst, c.x, c.y) & 0xFFFF00u, 0u);  // first row from source row 0
    }
    // The dirty box is the points' bounding box, greatest x and y exclusive.
    EXPECT_EQ(dst.Region()->Rects(), (std::vector<Rect>{{c.x, c.y, c.x + c.w, c.y + c.h}}));
    EXPECT_TRUE(dst.Changed());
  }
}

TEST_F(QuadMapperTest, NonConvexQuadDrawsNothingButMarksItsBox) {
  Surface src, dst;
  MakeSource(src, 8, 8);
  MakeDest(dst, 40, 40);
  // Corner 3 above corners 1 and 2: the second-highest point is the top's opposite.
  const Quad arrow{{{20, 5}, {30, 25}, {10, 25}, {20, 15}}};
  EXPECT_EQ(SurfaceMapQuad(&dst, &src, arrow.p, nullptr, nullptr), 0);
  EXPECT_EQ(CountWritten(dst), 0);
  EXPECT_EQ(dst.Region()->Rects(), (std::vector<Rect>{{10, 5, 30, 25}}));
}

// A source whose pixels move after a first mapping (a resize that grows it,
// or a re-creation) must not be read through the old row addresses.
TEST_F(QuadMapperTest, SourceResizedAfterAMappingIsReadAtItsNewRows) {
  for (const bool recreate : {false, true}) {
    Surface src, dst;
    MakeSource(src, 4, 4);
    MakeDest(dst, 40, 40);
    ASSERT_EQ(SurfaceMapQuad(&dst, &src, Box(0, 0, 4, 4).p, nullptr, nullptr), 0);
    ASSERT_NE(src.RowTable(), nullptr);
    if (recreate) {
      ASSERT_EQ(src.DibImage::Create(16, 12, 32, false), 0);
    } else {
      ASSERT_EQ(src.Resize(16, 12), 0);
    }
    EXPECT_EQ(src.RowTable(), nullptr);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 16; ++x) Pixel(src, x, y) = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
    Fill(dst, kUntouched);
    ASSERT_EQ(SurfaceMapQuad(&dst, &src, Box(2, 3, 16, 12).p, nullptr, nullptr), 0);
    // The same picture from a source that was never mapped before.
    Surface fresh, want;
    MakeSource(fresh, 16, 12);
    MakeDest(want, 40, 40);
    ASSERT_EQ(SurfaceMapQuad(&want, &fresh, Box(2, 3, 16, 12).p, nullptr, nullptr), 0);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) ASSERT_EQ(Pixel(dst, x, y), Pixel(want, x, y)) << x << "," << y;
    EXPECT_EQ(Pixel(dst, 2 + 15, 3) & 0xFF, 15u) << recreate;
  }
}

TEST_F(QuadMapperTest, ClipRectanglesOfBothSidesAreHonoured) {
  Surface src, dst;
  MakeSource(src, 10, 10);
  MakeDest(dst, 30, 30);
  const Quad q = Box(5, 5, 10, 10);
  const Rect clip{8, 0, 30, 12};
  const Rect sourceClip{0, 0, 10, 4};
  ASSERT_TRUE(src.SetClipRect(&sourceClip));
  Point corners[4];
  QuadCornersOf(Rect{0, 0, 10, 10}, corners);
  ASSERT_EQ(SurfaceMapQuadTexture(&dst, &src, q.p, corners, &clip, 0), 0);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      const uint32_t got = Pixel(dst, x, y);
      if (got == kUntouched) continue;
      ASSERT_TRUE(x >= 8 && x < 15 && y >= 5 && y < 12) << x << "," << y;
      ASSERT_LT(int(got >> 8 & 0xFF), 4) << "texel outside the source clip";
      ASSERT_EQ(int(got & 0xFF), x - 5);
    }
  EXPECT_EQ(Pixel(dst, 8, 5), 0xFF000003u);
  EXPECT_EQ(dst.Region()->Rects(), (std::vector<Rect>{{8, 5, 15, 12}}));
  // A clip reaching past the destination: the damage stays on the surface.
  dst.Region()->Reset();
  const Rect wide{-50, -50, 100, 100};
  const Quad beyond = Box(20, 25, 10, 10);
  ASSERT_EQ(SurfaceMapQuadTexture(&dst, &src, beyond.p, corners, &wide, 0), 0);
  EXPECT_EQ(dst.Region()->Rects(), (std::vector<Rect>{{20, 25, 30, 30}}));
}

TEST_F(QuadMapperTest, KeyedSourceLeavesHoles) {
  Surface src, dst;
  MakeSource(src, 6, 6);
  const uint32_t key = Pixel(src, 2, 0);
  for (int y = 0; y < 6; ++y) Pixel(src, 2, y) = key;  // a whole keyed column
  Pixel(src, 4, 1) = key & 0x00FFFFFFu;                // same colour, other alpha: drawn
  src.SetColorKeyAt(2, 0);
  ASSERT_EQ(src.GetColorKey(), key);
  MakeDest(dst, 10, 10);
  const Quad q = Box(0, 0, 6, 6);
  ASSERT_EQ(SurfaceMapQuad(&dst, &src, q.p, nullptr, nullptr), 0);
  for (int y = 0; y < 6; ++y) {
    EXPECT_EQ(Pixel(dst, 2, y), kUntouched);
    EXPECT_NE(Pixel(dst, 3, y), kUntouched);
  }
  EXPECT_EQ(CountWritten(dst), 30);
}

TEST_F(QuadMapperTest, BlendByAlphaAtOpacity) {
  Surface src, dst;
  ASSERT_EQ(src.Create(4, 4, 32, 0), 0);
  Fill(src, 0xFF204060u);
  Pixel(src, 1, 1) = 0x80FFFFFFu;
  MakeDest(dst, 8, 8);
  Fill(dst, 0x11808080u);
  const Quad q = Box(0, 0, 4, 4);
  Point corners[4];
  QuadCornersOf(Rect{0, 0, 4, 4}, corners);
  for (bool mmx : {false, true}) {
    SetMmxFlag(mmx);
    Fill(dst, 0x11808080u);
    ASSERT_EQ(SurfaceMapQuadTextureAlt(&dst, &src, q.p, corners, 0, nullptr, 0), 0);
    EXPECT_EQ(Pixel(dst, 0, 0), 0x11808080u) << "opacity 0 changes nothing";
    ASSERT_EQ(SurfaceMapQuadTextureAlt(&dst, &src, q.p, corners, 255, nullptr, 0), 0);
    EXPECT_EQ(Pixel(dst, 0, 0), 0x11204060u) << "opaque texel replaces the colour";
    // Alpha 128: multiplier 129, 0x80 + ((0xFF - 0x80) * 129 >> 8) = 0xBF.
    EXPECT_EQ(Pixel(dst, 1, 1), 0x11BFBFBFu);
    EXPECT_EQ(Pixel(dst, 5, 5), 0x11808080u);
  }
}

TEST_F(QuadMapperTest, PackedBlendTwinMatchesPlainOnTurnedQuads) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<uint32_t> any;
  std::uniform_int_distribution<int> coord(-10, 70);
  Surface src;
  ASSERT_EQ(src.Create(23, 17, 32, 0), 0);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 23; ++x) Pixel(src, x, y) = any(rng);
  for (int round = 0; round < 40; ++round) {
    Surface a, b;
    ASSERT_EQ(a.Create(64, 64, 32, 0), 0);
    ASSERT_EQ(b.Create(64, 64, 32, 0), 0);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) Pixel(a, x, y) = Pixel(b, x, y) = any(rng);
    Quad q;
    for (auto& p : q.p) p = {coord(rng), coord(rng)};
    Point corners[4];
    QuadCornersOf(Rect{0, 0, 23, 17}, corners);
    const uint8_t* map = ProductTable[any(rng) & 255];
    const Rect clip{0, 0, 64, 64};
    MapQuadTextureB(&a, &src, q.p, corners, clip, uint8_t(round & 1), map);
    MapQuadTextureBMmx(&b, &src, q.p, corners, clip, uint8_t(round & 1), map);
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) ASSERT_EQ(Pixel(a, x, y), Pixel(b, x, y)) << round;
  }
}

TEST_F(QuadMapperTest, CoordinatesFarOutsideTheFixedPointRangeStaySafe) {
  Surface src, dst;
  MakeSource(src, 16, 16);
  MakeDest(dst, 20, 20);
  // A strong zoom: the picture's corners lie far beyond 12.20's 2048.
  const Quad zoom = Box(-50000, -50000, 100000, 100000);
  ASSERT_EQ(SurfaceMapQuad(&dst, &src, zoom.p, nullptr, nullptr), 0);
  EXPECT_EQ(CountWritten(dst), 400);
  EXPECT_EQ(Pixel(dst, 0, 0), 0xFF000707u);  // the picture's middle
  const Quad extreme{{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MAX},
                      {INT32_MAX, INT32_MAX}}};
  Point wild[4] = {{INT32_MAX, INT32_MIN}, {INT32_MIN, 0}, {0, INT32_MAX}, {-1, -1}};
  EXPECT_EQ(SurfaceMapQuadTexture(&dst, &src, extreme.p, wild, nullptr, 0), 0);
  EXPECT_EQ(SurfaceMapQuadTexture(&dst, &src, extreme.p, wild, nullptr, 1), 0);
}

// The surface's own mapping operations draw, answer and mark damage exactly
// as the mapper they lead to.
TEST_F(QuadMapperTest, SurfaceOperationsMatchTheMapper) {
  Surface src, keyed;
  MakeSource(src, 12, 9);
  MakeSource(keyed, 12, 9);
  ASSERT_EQ(keyed.SetColorKeyAt(3, 2), 0);
  const Quad turned{{{9, 1}, {27, 6}, {4, 19}, {22, 25}}};
  const Rect sourceRect{2, 1, 11, 8};
  const Rect clip{3, 2, 26, 22};
  Point texels[4];
  QuadCornersOf(sourceRect, texels);
  using Draw = std::function<int(Surface&, Surface&)>;
  struct Case {
    const char* name;
    Surface* source;
    Draw member;
    Draw mapper;
  };
  const Case cases[] = {
      {"quad", &keyed,
       [&](Surface& d, Surface& s) { return d.MapQuad(&s, turned.p, &sourceRect, &clip); },
       [&](Surface& d, Surface& s) {
         return SurfaceMapQuad(&d, &s, turned.p, &sourceRect, &clip, false);
       }},
      {"flagged", &src,
       [&](Surface& d, Surface& s) { return d.MapQuadFlagged(&s, turned.p, nullptr, nullptr); },
       [&](Surface& d, Surface& s) {
         return SurfaceMapQuad(&d, &s, turned.p, nullptr, nullptr, true);
       }},
      {"texture", &keyed,
       [&](Surface& d, Surface& s) { return d.MapQuadTexture(&s, turned.p, texels, &clip, 1); },
       [&](Surface& d, Surface& s) {
         return SurfaceMapQuadTexture(&d, &s, turned.p, texels, &clip, 1);
       }},
      {"blend", &src,
       [&](Surface& d, Surface& s) {
         return d.MapQuadTextureAlt(&s, turned.p, texels, 140, nullptr, 0);
       },
       [&](Surface& d, Surface& s) {
         return SurfaceMapQuadTextureAlt(&d, &s, turned.p, texels, 140, nullptr, 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Surface a, b, indexed;
    MakeDest(a, 30, 28);
    MakeDest(b, 30, 28);
    ASSERT_EQ(c.member(a, *c.source), 0);
    ASSERT_EQ(c.mapper(b, *c.source), 0);
    EXPECT_GT(CountWritten(a), 0);
    for (int y = 0; y < 28; ++y)
      for (int x = 0; x < 30; ++x) ASSERT_EQ(Pixel(a, x, y), Pixel(b, x, y)) << x << "," << y;
    EXPECT_TRUE(a.Changed());
    EXPECT_EQ(a.Region()->Rects(), b.Region()->Rects());
    ASSERT_EQ(indexed.Create(4, 4, 8, 0), 0);
    EXPECT_EQ(c.member(a, indexed), 2);
  }
}

TEST_F(QuadMapperTest, RefusesMissingPixelsAndOtherDepths) {
  Surface src, dst, empty, indexed;
  MakeSource(src, 4, 4);
  MakeDest(dst, 8, 8);
  ASSERT_EQ(indexed.Create(4, 4, 8, 0), 0);
  const Quad q = Box(0, 0, 4, 4);
  Point corners[4];
  QuadCornersOf(Rect{0, 0, 4, 4}, corners);
  EXPECT_EQ(SurfaceMapQuad(&dst, nullptr, q.p, nullptr, nullptr), 1);
  EXPECT_EQ(SurfaceMapQuad(&dst, &empty, q.p, nullptr, nullptr), 1);
  EXPECT_EQ(SurfaceMapQuad(&empty, &src, q.p, nullptr, nullptr), 1);
  EXPECT_EQ(SurfaceMapQuad(&dst, &indexed, q.p, nullptr, nullptr), 2);
  EXPECT_EQ(SurfaceMapQuadTextureAlt(&indexed, &src, q.p, corners, 255, nullptr, 0), 2);
  EXPECT_EQ(SurfaceMapQuadTextureAlt(&dst, &empty, q.p, corners, 255, nullptr, 0), 1);
  EXPECT_EQ(CountWritten(dst), 0);
  EXPECT_FALSE(dst.Changed());
}

}  // namespace
}  // namespace orrivel
