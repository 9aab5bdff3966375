// Natives 314-353 through compiled scripts: the placement rules of the
// blitter layouts, each native's answer and failure value, and the edge
// cases of fills, pixels and palettes.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "ImageNativesRig.h"
#include "platform/font/DeviceContextTable.h"
#include "raster/Surface.h"

namespace orrivel::testing {
namespace {

class SurfaceNativesTest : public ImageNativesRig {};

// The point and stretched forms, with and without a leading mode, each
// called whole (x = 65535, the other cells garbage), with a point only
// (left = 65535) and with a point and a rectangle, against the surface
// operation called directly with what the cells mean.
TEST_F(SurfaceNativesTest, PlacementRulesOfTheFourLayouts) {
  using Direct = std::function<int(Surface&, Surface*, int32_t, int32_t, const Size*, const Rect*)>;
  struct Form {
    const char* native;
    bool mode, stretched;
    Direct direct;
  };
  const Form forms[] = {
      {"NativeCopy", false, false,
       [](Surface& d, Surface* s, int32_t x, int32_t y, const Size*, const Rect* r) { return d.Copy(s, x, y, r, false); }},
      {"NativeStretchCopy", false, true,
       [](Surface& d, Surface* s, int32_t x, int32_t y, const Size* z, const Rect* r) { return d.StretchCopy(s, z, x, y, r, false); }},
      {"NativeCopyMirrored", true, false,
       [](Surface& d, Surface* s, int32_t x, int32_t y, const Size*, const Rect* r) { return d.CopyMirrored(0, s, x, y, r); }},
      {"NativeStretchCopyMirrored", true, true,
       [](Surface& d, Surface* s, int32_t x, int32_t y, const Size* z, const Rect* r) {
         return d.StretchCopyMirrored(0, s, z, x, y, r);
       }},
  };
  struct Placement {
    const char* name;
    std::vector<int64_t> pointCells, stretchCells;
    int32_t x, y;
    std::optional<Size> size;
    std::optional<Rect> rect;
  };
  const Placement placements[] = {
      {"whole", {65535, 7, 9, 9, 9, 9}, {65535, 7, 3, 3, 9, 9, 9, 9}, 0, 0, std::nullopt, std::nullopt},
      {"point only", {2, 3, 65535, 1, 1, 1}, {2, 3, 7, 5, 65535, 1, 1, 1}, 2, 3, Size{7, 5}, std::nullopt},
      {"point and rectangle", {2, 3, 1, 0, 3, 2}, {2, 3, 7, 5, 1, 0, 3, 2}, 2, 3, Size{7, 5}, Rect{1, 0, 3, 2}},
      {"left of -1 is a coordinate", {2, 3, -1, 0, 3, 2}, {2, 3, 7, 5, -1, 0, 3, 2}, 2, 3, Size{7, 5}, Rect{-1, 0, 3, 2}},
  };
  const uint32_t source = Picture(4, 3, 32, 0x405060);
  for (const Form& form : forms) {
    for (const Placement& p : placements) {
      SCOPED_TRACE(std::string(form.native) + ", " + p.name);
      const uint32_t destination = Picture(10, 8), twin = Picture(10, 8);
      std::vector<Arg> args{Arg::Int(destination), Arg::Int(source)};
      if (form.mode) args.push_back(Arg::Int(0));
      for (int64_t cell : form.stretched ? p.stretchCells : p.pointCells) args.push_back(Arg::Int(cell));
      const Size* size = form.stretched && p.size ? &*p.size : nullptr;
      const int expected = form.direct(S(twin), &S(source), p.x, p.y, size, p.rect ? &*p.rect : nullptr);
      EXPECT_EQ(Result(form.native, args), expected);
      EXPECT_EQ(Words(S(destination)), Words(S(twin)));
    }
  }
  // The whole form puts the whole source at the origin.
  const uint32_t destination = Picture(10, 8);
  Result("NativeCopy", {Arg::Int(destination), Arg::Int(source), Arg::Absent(), Arg::Int(5), Arg::Int(5), Arg::Int(0),
                        Arg::Int(0), Arg::Int(1)});
  EXPECT_EQ(Word(S(destination), 0, 0), Word(S(source), 0, 0));
  EXPECT_EQ(Word(S(destination), 3, 2), Word(S(source), 3, 2));
}

// Every non-blitting native once on a good picture, then with a null
// handle and with a listed image that has no drawing surface.
TEST_F(SurfaceNativesTest, AnswersAndFailureValues) {
  struct Row {
    const char* native;
    std::function<std::vector<Arg>(uint32_t image, uint32_t other)> args;
    int32_t answer, failure;
  };
  const auto whole = [] { return std::vector<Arg>{Arg::Absent(), Arg::Int(0), Arg::Int(0), Arg::Int(0)}; };
  const auto with = [](std::vector<Arg> head, std::vector<Arg> tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const Row rows[] = {
      {"NativeConvertSurfaceDepth", [](uint32_t h, uint32_t) { return std::vector<Arg>{Arg::Int(h), Arg::Int(8)}; }, 0, -1},
      {"NativeDecodeIntoSurface",
       [](uint32_t h, uint32_t) { return std::vector<Arg>{Arg::Int(h), Arg::Text("OUT.BMP"), Arg::Int(0), Arg::Int(0)}; }, 1, -1},
      {"NativeGetSurfaceLoaderFlag", [](uint32_t h, uint32_t) { return std::vector<Arg>{Arg::Int(h)}; }, 0, 0},
      {"NativeLoadIntoSurface",
       [](uint32_t h, uint32_t) {
         return std::vector<Arg>{Arg::Int(h), Arg::Text("MISSING.BMP"), Arg::Int(0), Arg::Int(0), Arg::Int(0)};
       },
       3, -2},
      {"NativeLoadIntoSurfaceFromMemory",
       [](uint32_t h, uint32_t) {
         return std::vector<Arg>{Arg::Int(h), Arg::Text("not a picture"), Arg::Int(13), Arg::Int(0), Arg::Int(0), Arg::Int(0)};
       },
       3, -2},
      {"NativeFillRectRgb",
       [](uint32_t h, uint32_t) {
         return std::vector<Arg>{Arg::Int(h), Arg::Int(0), Arg::Int(0), Arg::Int(2), Arg::Int(2),
                                 Arg::Int(1),  Arg::Int(2), Arg::Int(3)};
       },
       1, 0},
      {"NativeFillRect", [&](uint32_t h, uint32_t) { return with({Arg::Int(h), Arg::Int(0x123456)}, whole()); }, 1, 0},
      {"NativeFillRectKeepAlpha",
       [&](uint32_t h, uint32_t) { return with({Arg::Int(h), Arg::Int(1), Arg::Int(2), Arg::Int(3)}, whole()); }, 1, 0},
      {"NativeApplyPixelOp7", [&](uint32_t h, uint32_t) { return with({Arg::Int(h), Arg::Int(5)}, whole()); }, 2, -1},
      {"NativeSetSurfaceAlpha", [](uint32_t h, uint32_t) { return std::vector<Arg>{Arg::Int(h), Arg::Int(0x80)}; }, 0, 1},
      {"NativeSetPixel",
       [](uint32_t h, uint32_t) { return std::vector<Arg>{Arg::Int(h), Arg::Int(1), Arg::Int(1), Arg::Int(0xABCDEF)}; }, 1, 0},
      {"NativeGetPixel", [](uint32_t h, uint32_t) { return std::vector<Arg>{Arg::Int(h), Arg::Int(0), Arg::Int(0)}; },
       0x10203, -1},
      {"NativeCopyPalette", [](uint32_t h, uint32_t o) { return std::vector<Arg>{Arg::Int(h), Arg::Int(o)}; }, 0, 0},
      {"NativeBltToDC", [](uint32_t h, uint32_t) { return std::vector<Arg>{Arg::Int(h), Arg::Int(1), Arg::Absent()}; },
       -1, -1},
      {"NativeStretchToDC", [](uint32_t h, uint32_t) { return std::vector<Arg>{Arg::Int(h), Arg::Int(1), Arg::Absent()}; },
       -1, -1},
      {"NativeApplyImageLevel", [&](uint32_t h, uint32_t) { return with({Arg::Int(h), Arg::Int(200)}, whole()); }, 1, 0},
      {"NativeFillAlpha",
       [&](uint32_t h, uint32_t) { return with({Arg::Int(h), Arg::Int(1), Arg::Int(2), Arg::Int(3), Arg::Int(128)}, whole()); }, 0,
       -1},
      {"NativeAddColor", [&](uint32_t h, uint32_t) { return with({Arg::Int(h), Arg::Int(1), Arg::Int(2), Arg::Int(3)}, whole()); },
       0, -1},
      {"NativeSubColor", [&](uint32_t h, uint32_t) { return with({Arg::Int(h), Arg::Int(1), Arg::Int(2), Arg::Int(3)}, whole()); },
       0, -1},
      {"NativeApplyPixelOp5",
       [&](uint32_t h, uint32_t) { return with({Arg::Int(h), Arg::Int(1), Arg::Int(9), Arg::Int(1)}, whole()); }, 2, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.native);
    const uint32_t image = Picture(6, 4), other = Picture(6, 4);
    EXPECT_EQ(Result(row.native, row.args(image, other)), row.answer);
    for (uint32_t bad : {0u, pixels_, 0x7FFFFFFFu}) EXPECT_EQ(Result(row.native, row.args(bad, other)), row.failure);
  }
  // The blitters and the masked fill fail when either image does not resolve.
  const uint32_t a = Picture(4, 4), b = Picture(4, 4);
  for (const char* native : {"NativeCopy", "NativeAlphaBlend", "NativeCopyAlphaPlane", "NativeCopyColorKeepAlpha",
                             "NativeCopyAlphaKeepColor"}) {
    for (const auto& [d, s] : {std::pair{a, pixels_}, std::pair{pixels_, b}, std::pair{0u, b}}) {
      EXPECT_EQ(Result(native, {Arg::Int(d), Arg::Int(s), Arg::Absent()}), -1) << native;
    }
  }
  const uint32_t mask = Picture(4, 4, 8);
  const auto masked = [&](uint32_t image, uint32_t m) {
    return Result("NativeFillColorMasked", {Arg::Int(0), Arg::Int(image), Arg::Int(m), Arg::Int(255), Arg::Int(0), Arg::Int(0),
                                            Arg::Int(255), Arg::Absent()});
  };
  EXPECT_EQ(masked(a, mask), 0);
  EXPECT_EQ(masked(a, pixels_), -1);
  EXPECT_EQ(masked(0, mask), -1);
}

TEST_F(SurfaceNativesTest, EdgeCasesOfFillsPixelsAndDepth) {
  const uint32_t picture = Picture(6, 4);
  // The coloured fill has no 65535 form: its rectangle is always four cells.
  const auto before = Words(S(picture));
  EXPECT_EQ(Result("NativeFillRectRgb", {Arg::Int(picture), Arg::Absent(), Arg::Int(0), Arg::Int(2), Arg::Int(2), Arg::Int(9),
                                         Arg::Int(9), Arg::Int(9)}),
            0);
  EXPECT_EQ(Words(S(picture)), before);
  // The same fill reported by native 248 (0 done) and 319 (1 done).
  EXPECT_EQ(Result("NativeFillImage", {Arg::Int(picture), Arg::Int(1), Arg::Int(2), Arg::Int(3)}), 0);
  EXPECT_EQ(Result("NativeFillRectRgb", {Arg::Int(picture), Arg::Int(0), Arg::Int(0), Arg::Int(6), Arg::Int(4), Arg::Int(1),
                                         Arg::Int(2), Arg::Int(3)}),
            1);
  EXPECT_EQ(Word(S(picture), 5, 3) & 0xFFFFFF, 0x010203u);
  // Pixels: x = width writes nothing; outside reads -1.
  EXPECT_EQ(Result("NativeSetPixel", {Arg::Int(picture), Arg::Int(6), Arg::Int(0), Arg::Int(7)}), 0);
  EXPECT_EQ(Result("NativeSetPixel", {Arg::Int(picture), Arg::Int(5), Arg::Int(0), Arg::Int(0x7ABCDEF)}), 1);
  EXPECT_EQ(Result("NativeGetPixel", {Arg::Int(picture), Arg::Int(5), Arg::Int(0)}), 0x7ABCDEF);
  EXPECT_EQ(Result("NativeGetPixel", {Arg::Int(picture), Arg::Int(-1), Arg::Int(0)}), -1);
  EXPECT_EQ(Result("NativeGetPixel", {Arg::Int(picture), Arg::Int(0), Arg::Int(4)}), -1);
  // Level 511 is refused, 510 accepted.
  const auto whole = std::vector<Arg>{Arg::Absent(), Arg::Int(0), Arg::Int(0), Arg::Int(0)};
  std::vector<Arg> level{Arg::Int(picture), Arg::Int(511)};
  level.insert(level.end(), whole.begin(), whole.end());
  EXPECT_EQ(Result("NativeApplyImageLevel", level), 0);
  level[1] = Arg::Int(510);
  EXPECT_EQ(Result("NativeApplyImageLevel", level), 1);
  // The alpha setter wants 32 bits.
  const uint32_t indexed = Picture(4, 4, 8);
  EXPECT_EQ(Result("NativeSetSurfaceAlpha", {Arg::Int(indexed), Arg::Int(1)}), 2);
  EXPECT_EQ(Result("NativeSetSurfaceAlpha", {Arg::Int(picture), Arg::Int(0x5A)}), 0);
  EXPECT_EQ(Word(S(picture), 2, 2) >> 24, 0x5Au);
  // Depth and loader flag act on a memory picture itself, never a canvas.
  const uint32_t canvas = Canvas(4, 4);
  EXPECT_EQ(Result("NativeConvertSurfaceDepth", {Arg::Int(canvas), Arg::Int(8)}), -1);
  EXPECT_EQ(Result("NativeGetSurfaceLoaderFlag", {Arg::Int(canvas)}), 0);
  EXPECT_EQ(S(canvas).GetBitsPerPixel(), 32);
  EXPECT_EQ(Result("NativeConvertSurfaceDepth", {Arg::Int(indexed), Arg::Int(32)}), 0);
  EXPECT_EQ(S(indexed).GetBitsPerPixel(), 32);
  EXPECT_EQ(Result("NativeConvertSurfaceDepth", {Arg::Int(indexed), Arg::Int(32)}), 2);
  // A memory block outside the arena ends the step.
  const NativeCall bad = Call("NativeLoadIntoSurfaceFromMemory",
                              {Arg::Int(picture), Arg::Int(0x7FFFFFF0), Arg::Int(64), Arg::Int(0), Arg::Int(0), Arg::Int(0)});
  EXPECT_FALSE(bad.Ran());
}

TEST_F(SurfaceNativesTest, PalettesOfEightBitSurfaces) {
  const uint32_t a = Picture(4, 4, 8), b = Picture(4, 4, 8);
  S(a).SetPalette(nullptr, 0, 256, 0);  // the grey ramp
  EXPECT_EQ(Result("NativeFindPaletteIndex", {Arg::Int(a), Arg::Int(7), Arg::Int(7), Arg::Int(7)}), 7);
  EXPECT_EQ(Result("NativeSetPaletteEntry", {Arg::Int(a), Arg::Int(0x105), Arg::Int(1), Arg::Int(2), Arg::Int(3), Arg::Int(0)}),
            1);
  EXPECT_EQ(S(a).GetPalette()[5], 0x010203u);
  EXPECT_EQ(Result("NativeFindPaletteIndex", {Arg::Int(a), Arg::Int(1), Arg::Int(2), Arg::Int(3)}), 5);
  EXPECT_EQ(Result("NativeFindPaletteIndex", {Arg::Int(a), Arg::Int(1), Arg::Int(2), Arg::Int(4)}), -1);
  EXPECT_EQ(Result("NativeCopyPalette", {Arg::Int(b), Arg::Int(a)}), 1);
  ASSERT_NE(S(b).GetPalette(), nullptr);
  EXPECT_EQ(S(b).GetPalette()[5], 0x010203u);
  EXPECT_EQ(Result("NativeFillPalette", {Arg::Int(b), Arg::Int(9), Arg::Int(8), Arg::Int(7), Arg::Int(0)}), 1);
  EXPECT_EQ(S(b).GetPalette()[200], 0x090807u);
  // A 32-bit surface has no palette to copy into.
  EXPECT_EQ(Result("NativeCopyPalette", {Arg::Int(Picture(4, 4)), Arg::Int(a)}), 0);
}

// A device context registered with the platform's table takes the copies
// of 346 and 347; an unregistered handle stays refused.
TEST_F(SurfaceNativesTest, DeviceContextsOfThePlatformTableTakeCopies) {
  std::vector<uint32_t> pixels(8 * 8, 0);
  platform::DeviceContext dc;
  dc.SelectTarget(platform::MemoryDc(reinterpret_cast<uint8_t*>(pixels.data()), 8, 8, 8 * 4, 32, nullptr));
  const uint32_t handle = platform::RegisterDeviceContext(&dc);
  ASSERT_NE(handle, 0u);
  const uint32_t source = Picture(4, 4);
  const auto at = [&](int32_t x, int32_t y) { return pixels[size_t(y * 8 + x)] & 0xFFFFFFu; };

  // The rectangle (1, 1)-(3, 3) of the source at (5, 6).
  EXPECT_EQ(Result("NativeBltToDC", {Arg::Int(source), Arg::Int(handle), Arg::Int(5), Arg::Int(6), Arg::Int(1),
                                     Arg::Int(1), Arg::Int(3), Arg::Int(3)}),
            0);
  EXPECT_EQ(at(5, 6), Word(S(source), 1, 1) & 0xFFFFFFu);
  EXPECT_EQ(at(6, 7), Word(S(source), 2, 2) & 0xFFFFFFu);
  EXPECT_EQ(at(4, 6), 0u);
  // The whole source doubled at the origin, as the surface's own stretch.
  EXPECT_EQ(Result("NativeStretchToDC", {Arg::Int(source), Arg::Int(handle), Arg::Int(0), Arg::Int(0), Arg::Int(8),
                                         Arg::Int(8), Arg::Absent()}),
            0);
  Surface stretched;
  ASSERT_EQ(stretched.Create(8, 8, 32, 0), 0);
  const Size size{8, 8};
  ASSERT_EQ(stretched.StretchCopy(&S(source), &size, 0, 0, nullptr, false), 0);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(at(x, y), Word(stretched, x, y) & 0xFFFFFFu) << x << "," << y;

  ASSERT_TRUE(platform::UnregisterDeviceContext(handle));
  EXPECT_EQ(Result("NativeBltToDC", {Arg::Int(source), Arg::Int(handle), Arg::Int(0), Arg::Int(0), Arg::Absent()}), -1);
}

}  // namespace
}  // namespace orrivel::testing
