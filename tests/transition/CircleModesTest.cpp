// The circle wipes as chord lists: the half disc from the top edge on a
// 640 x 480 picture, the bottom one that never shows its widest chord, the
// side ones drawn with the half chord, the full disc complete from 183 on,
// and nothing while the disc is smaller than a chord.
#include <gtest/gtest.h>

#include <vector>

#include "transition/ModeRecording.h"

namespace orrivel::test {
namespace {

constexpr int32_t kX = -4;
constexpr int32_t kY = 9;

void ExpectInPlace(const std::vector<RecordedFragment>& fragments) {
  for (const RecordedFragment& f : fragments) {
    ASSERT_EQ(f.kind, RecordedFragment::kFragment);
    ASSERT_EQ(f.x, kX + f.source.left) << f;
    ASSERT_EQ(f.y, kY + f.source.top) << f;
    ASSERT_EQ(f.source.Height(), 1) << f;
  }
}

TEST(CircleModesTest, HalfDiscsFromTheTopAndBottomEdges) {
  // d = trunc(2 sqrt(640^2 / 4 + 480^2)) = 1153; half way D = 576, R = 288.
  const RecordedFrame top = RecordMode(27, 640, 480, 128, kX, kY);
  ExpectInPlace(top.fragments);
  ASSERT_EQ(top.fragments.size(), 288u);
  EXPECT_EQ(top.fragments.front().source, (Rect{32, 0, 608, 1}));
  for (size_t k = 0; k < top.fragments.size(); ++k) ASSERT_EQ(top.fragments[k].source.top, int32_t(k));
  // trunc(2 sqrt(288^2 - 287^2)) = 47, centred on column 320.
  EXPECT_EQ(top.fragments.back().source, (Rect{297, 287, 344, 288}));

  // From the bottom: the widest chord falls on row 480 and is not drawn;
  // rows 479 down to 193, the bottom row with the second chord.
  const RecordedFrame bottom = RecordMode(28, 640, 480, 128, kX, kY);
  ExpectInPlace(bottom.fragments);
  ASSERT_EQ(bottom.fragments.size(), 287u);
  for (size_t i = 0; i < bottom.fragments.size(); ++i) {
    ASSERT_EQ(bottom.fragments[i].source.top, 479 - int32_t(i));
    ASSERT_EQ(bottom.fragments[i].source.Width(), top.fragments[i + 1].source.Width());
  }
  EXPECT_EQ(bottom.fragments.front().source, (Rect{33, 479, 608, 480}));
}

TEST(CircleModesTest, SideHalfDiscsUseTheHalfChord) {
  // 4 x 4 half way: d = 8, D = 4, R = 2, R2 = 4; rows 0 to 3, the first
  // chord of width 0.
  const RecordedFrame left = RecordMode(29, 4, 4, 128, kX, kY);
  EXPECT_EQ(left.fragments, (std::vector{At(Rect{0, 1, 1, 2}, kX, kY + 1), At(Rect{0, 2, 2, 3}, kX, kY + 2),
                                         At(Rect{0, 3, 1, 4}, kX, kY + 3)}));
  const RecordedFrame right = RecordMode(30, 4, 4, 128, kX, kY);
  EXPECT_EQ(right.fragments, (std::vector{At(Rect{3, 1, 4, 2}, kX + 3, kY + 1), At(Rect{2, 2, 4, 3}, kX + 2, kY + 2),
                                          At(Rect{3, 3, 4, 4}, kX + 3, kY + 3)}));
}

// Whether the chords of a frame cover the whole picture.
bool CoversEverything(const std::vector<RecordedFragment>& fragments, int32_t width, int32_t height) {
  std::vector<bool> covered(size_t(width) * size_t(height));
  for (const RecordedFragment& f : fragments)
    for (int32_t y = f.source.top; y < f.source.bottom; ++y)
      for (int32_t x = f.source.left; x < f.source.right; ++x) covered[size_t(y) * size_t(width) + size_t(x)] = true;
  for (bool c : covered)
    if (!c) return false;
  return true;
}

TEST(CircleModesTest, FullDiscCoversThePictureFrom183On) {
  const RecordedFrame before = RecordMode(31, 640, 480, 182, kX, kY);
  EXPECT_FALSE(CoversEverything(before.fragments, 640, 480));
  for (int32_t progress : {183, 220, 255}) {
    const RecordedFrame frame = RecordMode(31, 640, 480, progress, kX, kY);
    ExpectInPlace(frame.fragments);
    EXPECT_TRUE(CoversEverything(frame.fragments, 640, 480)) << progress;
  }
  // At 183: D = 800, R = 400, rows 240 - 400 to 240 + 399. The first chord
  // has no width; the other 159 rows above the picture collapse onto row 0,
  // and those below it are not drawn.
  const RecordedFrame full = RecordMode(31, 640, 480, 183, kX, kY);
  EXPECT_EQ(full.fragments.size(), 159u + 480u);
  EXPECT_EQ(full.fragments.back().source.top, 479);
}

TEST(CircleModesTest, NothingIsDrawnWhileTheDiscIsSmallerThanAChord) {
  // 4 x 4 from the centre: d = 8, so D = 1 below progress 64; at 64 R = 1.
  EXPECT_TRUE(RecordMode(31, 4, 4, 63).fragments.empty());
  EXPECT_EQ(RecordMode(31, 4, 4, 64).fragments,
            (std::vector{At(Rect{1, 2, 3, 3}, 1, 2)}));  // the chord above has no width
  for (uint32_t mode = 27; mode <= 31; ++mode) {
    const RecordedFrame frame = RecordMode(mode, 3, 2, 1);
    EXPECT_EQ(frame.result, 0);
    EXPECT_TRUE(frame.fragments.empty()) << "mode " << mode;
  }
}

}  // namespace
}  // namespace orrivel::test
