// The background actions' pixel operations: the two-source blend (its packed
// kernel against the plain one, its arithmetic and cut), and the stretch and
// affine blends with and without the pixel-operation library.
#include "raster/BackgroundPixelOps.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

uint32_t& At(Surface& s, int x, int y) { return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x]; }

template <typename F>
void Paint(Surface& s, int w, int h, F f) {
  ASSERT_EQ(s.Create(w, h, 32, 0), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) At(s, x, y) = f(x, y);
}

uint32_t Channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

TEST(BackgroundPixelOps, PackedTwoSourceKernelMatchesThePlainOneOnRandomRows) {
  std::mt19937 rng(47);
  for (int round = 0; round < 200; ++round) {
    const int width = int(rng() % 40);
    const uint32_t level = rng() % 256;
    std::vector<uint32_t> a(size_t(width) + 1), b(a.size()), plain(a.size()), packed(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
      a[i] = rng();
      b[i] = rng();
    }
    BlendTwoRows32(plain.data(), a.data(), b.data(), width, level);
    BlendTwoRows32Packed(packed.data(), a.data(), b.data(), width, level);
    ASSERT_EQ(plain, packed) << "width " << width << " level " << level;
  }
}

TEST(BackgroundPixelOps, TwoSourceBlendRoundsEachChannelKeepsTheFirstAlphaAndCutsToEveryImage) {
  Surface dest, a, b;
  Paint(dest, 6, 4, [](int, int) { return 0x11111111u; });
  Paint(a, 5, 4, [](int x, int) { return 0x80000000u | uint32_t(x * 40) << 16 | 0x00FF00u; });
  Paint(b, 6, 3, [](int, int) { return 0x40FF00FFu; });
  const Rect rect{1, 0, 6, 4};
  ASSERT_EQ(CurrentBackgroundPixelOps().BlendTwoSources(&dest, &a, &b, 100, &rect), 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const uint32_t got = At(dest, x, y);
      if (x == 0 || x >= 5 || y >= 3) {
        EXPECT_EQ(got, 0x11111111u);  // outside the rectangle or an image
        continue;
      }
      const uint32_t pa = At(a, x, y), pb = At(b, x, y);
      EXPECT_EQ(got >> 24, 0x80u);
      for (int shift : {0, 8, 16}) {
        const double exact = (Channel(pa, shift) * 155.0 + Channel(pb, shift) * 100.0) / 255.0;
        EXPECT_NEAR(double(Channel(got, shift)), exact, 0.5 + 1e-9);
      }
    }
  }
  // The ends of the range are the pictures themselves.
  ASSERT_EQ(CurrentBackgroundPixelOps().BlendTwoSources(&dest, &a, &b, 0, nullptr), 0);
  EXPECT_EQ(At(dest, 3, 1), At(a, 3, 1));
  ASSERT_EQ(CurrentBackgroundPixelOps().BlendTwoSources(&dest, &a, &b, 255, nullptr), 0);
  EXPECT_EQ(At(dest, 3, 1) & 0xFFFFFFu, At(b, 3, 1) & 0xFFFFFFu);
}

class BackgroundPixelOpsLibraryTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ResetPixelOpEntries();
    if (GetParam()) {
      library_ = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
      ASSERT_TRUE(library_->HasModule()) << library_->Error();
      SetCurrentPixelOpLibrary(library_.get());
    }
  }
  void TearDown() override {
    SetCurrentPixelOpLibrary(nullptr);
    library_.reset();
    ResetPixelOpEntries();
  }
  std::unique_ptr<PixelOpLibrary> library_;
};

TEST_P(BackgroundPixelOpsLibraryTest, StretchDoublesAPictureWithNearestTexelsWithOrWithoutTheLibrary) {
  Surface dest, source;
  Paint(dest, 8, 8, [](int, int) { return 0xFF000000u; });
  Paint(source, 3, 3, [](int x, int y) { return 0xFF000000u | uint32_t(y * 3 + x + 1); });
  BackgroundPixelOps& ops = CurrentBackgroundPixelOps();
  ASSERT_EQ(ops.StretchBlend(&dest, &source, Rect{2, 2, 6, 6}, Rect{1, 1, 3, 3}, 0, 0, 255), 0);
  // The library samples pixel centres; the engine's fallback places its
  // steps differently inside, but both cover exactly the rectangle with the
  // source's corners at its corners.
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
      const uint32_t got = At(dest, x, y);
      if (!inside) {
        EXPECT_EQ(got, 0xFF000000u) << x << "," << y;
      } else if (GetParam()) {
        EXPECT_EQ(got, At(source, 1 + (x - 2) / 2, 1 + (y - 2) / 2)) << x << "," << y;
      } else {
        const uint32_t index = (got & 0xFF) - 1;
        EXPECT_TRUE(index % 3 >= 1 && index / 3 >= 1 && index < 9) << x << "," << y;
      }
    }
  EXPECT_EQ(At(dest, 2, 2), At(source, 1, 1));
  EXPECT_EQ(At(dest, 5, 5), At(source, 2, 2));
  // A source rectangle reaching past the picture is refused, not read.
  EXPECT_EQ(ops.StretchBlend(&dest, &source, Rect{0, 0, 4, 4}, Rect{2, 2, 5, 5}, 0, 0, 255), 2);
  Surface indexed, empty;
  ASSERT_EQ(indexed.Create(4, 4, 8, 0), 0);
  EXPECT_EQ(ops.StretchBlend(&dest, &indexed, Rect{0, 0, 4, 4}, Rect{0, 0, 4, 4}, 0, 0, 255), 2);
  EXPECT_EQ(ops.StretchBlend(&dest, &empty, Rect{0, 0, 4, 4}, Rect{0, 0, 4, 4}, 0, 0, 255), 1);
  EXPECT_EQ(ops.BlendTwoSources(&dest, &source, nullptr, 10, nullptr), 1);
}

TEST_P(BackgroundPixelOpsLibraryTest, AffineShiftCopiesThePictureThroughTheLibraryOnly) {
  Surface dest, source;
  Paint(dest, 6, 6, [](int, int) { return 0xFF000000u; });
  Paint(source, 2, 2, [](int x, int y) { return 0xFF000000u | uint32_t(0x10 * (y * 2 + x + 1)); });
  AffineMap shift;
  shift.tx = 3;
  shift.ty = 1;
  const int code = CurrentBackgroundPixelOps().AffineBlend(&dest, &source, shift, 0, 0, 255);
  if (!GetParam()) {
    EXPECT_EQ(code, 2);
    return;
  }
  ASSERT_EQ(code, 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool inside = x >= 3 && x < 5 && y >= 1 && y < 3;
      EXPECT_EQ(At(dest, x, y), inside ? At(source, x - 3, y - 1) : 0xFF000000u) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Library, BackgroundPixelOpsLibraryTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Bound" : "Unbound"; });

}  // namespace
}  // namespace orrivel
