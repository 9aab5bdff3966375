#include "raster/LibraryImageOps.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <algorithm>
#include <random>
#include <vector>

#include "raster/PixelOpAbi.h"
#include "raster/PixelOpEntries.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

template <typename T>
T& At(Surface& s, int x, int y) {
  return reinterpret_cast<T*>(s.GetScanLine(y))[x];
}

void FillRandom(Surface& s, std::mt19937& rng) {
  const int bytes = s.GetBitsPerPixel() / 8;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int i = 0; i < s.GetWidth() * bytes; ++i) s.GetScanLine(y)[i] = uint8_t(rng());
}

std::vector<uint32_t> Pixels32(Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(At<uint32_t>(s, x, y));
  return out;
}

class LibraryImageOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPixelOpEntries();
    ASSERT_EQ(target.Create(12, 10, 32, Surface::kWithRegion), 0);
    ASSERT_EQ(source.Create(8, 8, 32, 0), 0);
    ASSERT_EQ(indexed.Create(9, 5, 8, Surface::kWithRegion), 0);
    FillRandom(target, rng);
    FillRandom(source, rng);
    FillRandom(indexed, rng);
  }
  void TearDown() override {
    SetCurrentPixelOpLibrary(nullptr);
    library.reset();
    ResetPixelOpEntries();
  }
  void Bind() {
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    SetCurrentPixelOpLibrary(library.get());
  }

  std::mt19937 rng{11};
  Surface target, source, indexed, empty;
  std::unique_ptr<PixelOpLibrary> library;
};

// Every operation once, with the target and source given.
struct Call {
  const char* name;
  std::function<int(Surface*, Image*)> run;  // true/false results as 1/0
  bool boolean;
};

std::vector<Call> AllCalls() {
  return {
      {"5", [](Surface* t, Image*) { return ApplyPixelOp5(t, 1, 200, 3, 4); }, false},
      {"7", [](Surface* t, Image*) { return ApplyPixelOp7(t, 0x1FF, 2); }, false},
      {"9", [](Surface* t, Image* s) { return DrawImageOp(t, s, 0, 0, 4, 4, 0, 0); }, false},
      {"10", [](Surface* t, Image* s) { return StretchDrawImageOp(t, s, 0, 0, 8, 8, 0, 0, 4, 4); },
       false},
      {"11", [](Surface* t, Image* s) { return TransformDrawImageOp(t, s, 0, 0, 8, 0, 0, 8, 0, 0, 255); },
       false},
      {"12", [](Surface* t, Image* s) { return ApplyPixelOp12(t, s, 65536, 0, 0, 65536, 0, 0, 0, 0, 255); },
       false},
      {"13", [](Surface* t, Image*) { return ApplyPixelOp13(t, 1, 1, 0, nullptr); }, false},
      {"21", [](Surface* t, Image*) { return int(ApplyPixelOp21(t, 1)); }, true},
      {"23", [](Surface* t, Image*) { return int(ApplyPixelOp23(t, 5)); }, true},
      {"24", [](Surface* t, Image*) { return int(ApplyPixelOp24(t, 5)); }, true},
      {"25", [](Surface* t, Image* s) { return ApplyPixelOp25(t, s, s, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12); },
       false},
      {"26",
       [](Surface* t, Image* s) {
         return ApplyPixelOp26(t, s, s, s, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
       },
       false},
  };
}

TEST_F(LibraryImageOpsTest, WithoutALibraryEveryOperationIsRefused) {
  const auto before = Pixels32(target);
  for (const auto& call : AllCalls()) {
    EXPECT_EQ(call.run(&target, &source), call.boolean ? 0 : 2) << call.name;
  }
  EXPECT_EQ(MirrorImageA(&target, 0), 1);
  EXPECT_EQ(MirrorImageB(&indexed, 0), 1);
  EXPECT_EQ(ApplyPixelOp5(&target, 1, 0, 3, 4), 0);  // level 0: nothing, before the library check
  EXPECT_EQ(Pixels32(target), before);
  EXPECT_FALSE(target.Changed());
  EXPECT_EQ(target.Region()->Count(), 0);
}

TEST_F(LibraryImageOpsTest, RefusalsComeInTheirOrder) {
  Bind();
  for (const auto& call : AllCalls()) {
    const int refused = call.boolean ? 0 : 1;
    EXPECT_EQ(call.run(&empty, &source), refused) << call.name << ": target without pixels";
  }
  // A source without pixels is refused whatever the bit counts.
  EXPECT_EQ(DrawImageOp(&indexed, &empty, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(StretchDrawImageOp(&target, nullptr, 0, 0, 1, 1, 0, 0, 1, 1), 1);
  EXPECT_EQ(ApplyPixelOp25(&target, &source, &empty, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(StretchDrawImageOp(&target, &indexed, 0, 0, 1, 1, 0, 0, 1, 1), 2);
  EXPECT_EQ(StretchDrawImageOp(&indexed, &source, 0, 0, 1, 1, 0, 0, 1, 1), 2);
  EXPECT_EQ(ApplyPixelOp5(&indexed, 1, 9, 3, 4), 1);
  EXPECT_EQ(ApplyPixelOp7(&indexed, 1, 2), 1);
  EXPECT_EQ(ApplyPixelOp13(&indexed, 1, 1, 0, nullptr), 2);
  EXPECT_FALSE(ApplyPixelOp23(&indexed, 0));
  EXPECT_EQ(MirrorImageA(&empty, 0), 1);
  // Our library leaves these entries out: they answer as without a library.
  for (const char* absent : {"5", "7", "21", "23", "24"}) {
    for (const auto& call : AllCalls()) {
      if (std::string(call.name) == absent) {
        EXPECT_EQ(call.run(&target, &source), call.boolean ? 0 : 2) << absent;
      }
    }
  }
  // A library failure: a source rectangle outside the source, an unknown mode.
  EXPECT_EQ(StretchDrawImageOp(&target, &source, 4, 4, 8, 8, 0, 0, 4, 4), 3);
  EXPECT_EQ(TransformDrawImageOp(&target, &source, 0, 0, 8, 0, 0, 8, 1, 0, 255), 3);
  EXPECT_FALSE(target.Changed());
}

TEST_F(LibraryImageOpsTest, MirrorsMatchAPlainReflection) {
  Bind();
  for (Surface* s : {&target, &indexed}) {
    const int w = s->GetWidth(), h = s->GetHeight();
    const bool wide = s->GetBitsPerPixel() == 32;
    auto read = [&](int x, int y) {
      return wide ? At<uint32_t>(*s, x, y) : uint32_t(At<uint8_t>(*s, x, y));
    };
    std::vector<uint32_t> before;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) before.push_back(read(x, y));
    ASSERT_EQ(MirrorImageA(s, 0), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(read(x, y), before[size_t(y * w + (w - 1 - x))]);
    ASSERT_EQ(MirrorImageA(s, 0), 0);
    ASSERT_EQ(MirrorImageB(s, 0), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(read(x, y), before[size_t((h - 1 - y) * w + x)]);
    EXPECT_TRUE(s->Changed());
    EXPECT_EQ(s->Region()->Rects(), (std::vector<Rect>{{0, 0, w, h}}));
  }
  // A target without a region is still marked changed.
  EXPECT_EQ(MirrorImageB(&source, 0), 0);
  EXPECT_TRUE(source.Changed());
}

TEST_F(LibraryImageOpsTest, DrawAtALevelPlacesTheSourceRectangle) {
  Bind();
  const auto before = Pixels32(target);
  // Mode 0 at full level copies the part (1, 1)-(5, 4) of the source to (9, 8):
  // only its first three columns and two rows fall inside.
  const Rect part{1, 1, 5, 4};
  ASSERT_EQ(DrawImageOp(&target, &source, 0, 255, 0, 9, 8, &part), 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 9 && y >= 8;
      const uint32_t expected = inside ? At<uint32_t>(source, x - 8, y - 7) : before[size_t(y * 12 + x)];
      ASSERT_EQ(At<uint32_t>(target, x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(target.Region()->Rects(), (std::vector<Rect>{{9, 8, 12, 10}}));
  // Level 0 draws nothing; an unknown mode is a library failure.
  EXPECT_EQ(DrawImageOp(&target, &source, 0, 0, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(DrawImageOp(&target, &source, 9, 255, 0, 0, 0, nullptr), 3);
}

TEST_F(LibraryImageOpsTest, StretchedDrawAveragesLikeABoxFilter) {
  Bind();
  const auto before = Pixels32(target);
  // The 8 x 8 source halved into (6, 7): only its top 3 rows fall inside.
  ASSERT_EQ(StretchDrawImageOp(&target, &source, 0, 0, 8, 8, 6, 7, 4, 4), 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      uint32_t expected = before[size_t(y * 12 + x)];
      if (x >= 6 && x < 10 && y >= 7) {
        const int sx = (x - 6) * 2, sy = (y - 7) * 2;
        expected = 0;
        for (int c = 0; c < 32; c += 8) {
          uint32_t sum = 0;
          for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) sum += At<uint32_t>(source, sx + i, sy + j) >> c & 0xFF;
          expected |= ((sum + 2) / 4) << c;
        }
      }
      ASSERT_EQ(At<uint32_t>(target, x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(target.Region()->Rects(), (std::vector<Rect>{{6, 7, 10, 10}}));
  // Growing repeats pixels.
  ASSERT_EQ(StretchDrawImageOp(&target, &source, 1, 2, 2, 1, 0, 0, 6, 3), 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At<uint32_t>(target, x, y), At<uint32_t>(source, 1 + x / 3, 2));
}

TEST_F(LibraryImageOpsTest, TransformedDraw) {
  Bind();
  // The identity parallelogram at (2, 1) is a plain copy.
  ASSERT_EQ(TransformDrawImageOp(&target, &source, 2, 1, 10, 1, 2, 9, 0, 0, 255), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(At<uint32_t>(target, x + 2, y + 1), At<uint32_t>(source, x, y));
  EXPECT_EQ(target.Region()->Rects(), (std::vector<Rect>{{2, 1, 10, 9}}));
  // A source rectangle and a clip rectangle reach the entry, whatever the
  // flags and the word passed on after the opacity hold.
  const auto before = Pixels32(target);
  const Rect part{4, 4, 8, 8}, clip{0, 0, 2, 12};
  ASSERT_EQ(TransformDrawImageOp(&target, &source, 0, 0, 4, 0, 0, 4, 0, 0, 255, &part, &clip, 1, 1, 7), 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool drawn = x < 2 && y < 4;
      ASSERT_EQ(At<uint32_t>(target, x, y), drawn ? At<uint32_t>(source, x + 4, y + 4) : before[size_t(y * 12 + x)]);
    }
}

// Entry 12 against a plain inverse mapping: each destination pixel centre
// taken back through the matrix to the source texel it lands on.
TEST_F(LibraryImageOpsTest, AffineDrawMatchesAPlainInverseMapping) {
  Bind();
  struct Case {
    const char* name;
    int32_t a, b, c, d, tx, ty;
  };
  const Case cases[] = {
      {"identity", 65536, 0, 0, 65536, 0, 0},
      {"identity moved", 65536, 0, 0, 65536, 3 << 16, 5 << 16},
      {"scale 2 and 0.5", 131072, 0, 0, 32768, 1 << 16, 0},
      {"rotation 90", 0, 65536, -65536, 0, 9 << 16, 2 << 16},
      {"shear", 65536, 0, 32768, 65536, 0, 1 << 16},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Surface canvas;
    ASSERT_EQ(canvas.Create(20, 20, 32, Surface::kWithRegion), 0);
    FillRandom(canvas, rng);
    const auto before = Pixels32(canvas);
    ASSERT_EQ(ApplyPixelOp12(&canvas, &source, k.a, k.b, k.c, k.d, k.tx, k.ty, 0, 0, 255), 0);
    const double a = k.a / 65536.0, b = k.b / 65536.0, c = k.c / 65536.0, d = k.d / 65536.0;
    const double det = a * d - b * c;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        const double px = x + 0.5 - k.tx / 65536.0, py = y + 0.5 - k.ty / 65536.0;
        const double u = (d * px - c * py) / det, v = (a * py - b * px) / det;
        const bool inside = u >= 0 && u < 8 && v >= 0 && v < 8;
        const uint32_t expected = inside ? At<uint32_t>(source, int(u), int(v)) : before[size_t(y * 20 + x)];
        ASSERT_EQ(At<uint32_t>(canvas, x, y), expected) << x << "," << y;
      }
    EXPECT_TRUE(canvas.Changed());
  }
}

// The stepped walk of entry 12 against the transformed draw of entry 11 on
// the same parallelogram: maps whose positions are exact in binary, with a
// source rectangle, a clip, blending at an opacity and corners past the
// target's edges.
TEST_F(LibraryImageOpsTest, AffineDrawAgreesWithTheTransformedDraw) {
  Bind();
  struct Case {
    const char* name;
    int32_t a, b, c, d, tx, ty;
    std::optional<Rect> part, clip;
    int32_t mode, opacity;
  };
  const Case cases[] = {
      {"quarter scale moved", 16384, 0, 0, 16384, 5 << 15, 3 << 14, std::nullopt, std::nullopt, 0, 255},
      {"doubled with a part", 131072, 0, 0, 131072, -(3 << 16), 1 << 15, Rect{2, 1, 6, 5}, std::nullopt, 0, 255},
      {"turned a quarter, clipped", 0, -65536, 65536, 0, 2 << 16, 19 << 16, std::nullopt, Rect{3, 2, 15, 11}, 0, 255},
      {"half turn blended", -65536, 0, 0, -65536, 17 << 16, 13 << 16, std::nullopt, std::nullopt, 2, 160},
      {"sheared past the edges", 98304, 32768, -32768, 32768, -(6 << 16), -(2 << 16), std::nullopt, std::nullopt, 2,
       255},
      {"collapsed", 65536, 65536, 65536, 65536, 0, 0, std::nullopt, std::nullopt, 0, 255},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Surface fast, general;
    ASSERT_EQ(fast.Create(20, 16, 32, 0), 0);
    ASSERT_EQ(general.Create(20, 16, 32, 0), 0);
    FillRandom(fast, rng);
    for (int y = 0; y < 16; ++y) std::copy_n(fast.GetScanLine(y), 20 * 4, general.GetScanLine(y));
    const Rect* part = k.part ? &*k.part : nullptr;
    const Rect* clip = k.clip ? &*k.clip : nullptr;
    const int32_t w = part ? part->right - part->left : 8, h = part ? part->bottom - part->top : 8;
    ASSERT_EQ(ApplyPixelOp12(&fast, &source, k.a, k.b, k.c, k.d, k.tx, k.ty, k.mode, 0, k.opacity, part, clip), 0);
    // The same parallelogram through the transformed draw's entry.
    auto draw = reinterpret_cast<PixelOpTransformDrawFn>(LibraryEntry(kPixelOpTransformDrawImage));
    ASSERT_NE(draw, nullptr);
    const PixelOpImage t = ViewForLibrary(&general), src = ViewForLibrary(&source);
    const double x0 = k.tx / 65536.0, y0 = k.ty / 65536.0;
    ASSERT_EQ(draw(&t, &src, x0, y0, x0 + k.a / 65536.0 * w, y0 + k.b / 65536.0 * w, x0 + k.c / 65536.0 * h,
                   y0 + k.d / 65536.0 * h, part, k.mode, 0, k.opacity, 0, 0, 0, clip),
              0);
    EXPECT_EQ(Pixels32(fast), Pixels32(general));
  }
}

// The plain twin of entry 13: every window summed afresh, rows first.
void ReferenceBoxBlur(std::vector<uint32_t>& p, int width, const Rect& r, int across, int down) {
  auto pass = [&](int count, int radius, auto at) {
    std::vector<uint32_t> line(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) line[size_t(i)] = at(i);
    for (int i = 0; i < count; ++i) {
      const int lo = std::max(0, i - radius), hi = std::min(count, i + radius + 1);
      uint32_t word = 0;
      for (int k = 0; k < 32; k += 8) {
        uint32_t sum = 0;
        for (int j = lo; j < hi; ++j) sum += line[size_t(j)] >> k & 0xFF;
        word |= ((sum + uint32_t(hi - lo) / 2) / uint32_t(hi - lo)) << k;
      }
      at(i) = word;
    }
  };
  if (across > 0)
    for (int y = r.top; y < r.bottom; ++y)
      pass(r.right - r.left, across, [&](int i) -> uint32_t& { return p[size_t(y * width + r.left + i)]; });
  if (down > 0)
    for (int x = r.left; x < r.right; ++x)
      pass(r.bottom - r.top, down, [&](int i) -> uint32_t& { return p[size_t((r.top + i) * width + x)]; });
}

TEST_F(LibraryImageOpsTest, BoxBlurMatchesAPlainSeparableBlur) {
  Bind();
  struct Case {
    int across, down;
    std::optional<Rect> rect;  // none: the whole image
    Rect cut;
  };
  const Case cases[] = {
      {1, 1, std::nullopt, {0, 0, 12, 10}},
      {4, 0, Rect{2, 1, 9, 8}, {2, 1, 9, 8}},
      {0, 3, Rect{-3, 4, 5, 30}, {0, 4, 5, 10}},
      {20, 20, Rect{1, 1, 6, 6}, {1, 1, 6, 6}},
  };
  for (const Case& k : cases) {
    FillRandom(target, rng);
    target.ClearChanged();
    auto expected = Pixels32(target);
    ReferenceBoxBlur(expected, 12, k.cut, k.across, k.down);
    ASSERT_EQ(ApplyPixelOp13(&target, k.across, k.down, 0, k.rect ? &*k.rect : nullptr), 0);
    EXPECT_EQ(Pixels32(target), expected) << k.across << "x" << k.down;
    EXPECT_TRUE(target.Changed());
  }
  // Radius 0 both ways changes nothing; a negative radius is refused.
  const auto before = Pixels32(target);
  EXPECT_EQ(ApplyPixelOp13(&target, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(ApplyPixelOp13(&target, -1, 2, 0, nullptr), 3);
  EXPECT_EQ(Pixels32(target), before);
}

}  // namespace
}  // namespace orrivel
