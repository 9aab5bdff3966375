// The growing boxes and the combs as fragment lists, from worked cases:
// boxes cut at the picture's edges, the comb's extra column on the far side,
// empty partner rows past the bottom, and the second phase of the four-phase
// combs starting only after half way.
#include <gtest/gtest.h>

#include <vector>

#include "transition/ModeRecording.h"

namespace orrivel::test {
namespace {

constexpr int32_t kX = 7;
constexpr int32_t kY = -3;

struct Case {
  const char* what;
  uint32_t mode;
  int32_t width, height, progress;
  std::vector<Rect> pieces;  // each drawn in place
};

TEST(BoxCombModesTest, FragmentsMatchTheWorkedCases) {
  const Case cases[] = {
      {"centre box half way", 11, 640, 480, 128, {{160, 80, 480, 400}}},
      {"centre box at the end, cut to the height", 11, 640, 480, 255, {{2, 0, 639, 480}}},
      {"centre box on a tall picture", 11, 10, 40, 128, {{0, 10, 10, 30}}},
      {"top-left box", 12, 640, 480, 128, {{0, 0, 320, 320}}},
      {"top-left box cut", 12, 640, 480, 255, {{0, 0, 637, 480}}},
      {"top-right corner pixel", 13, 256, 256, 1, {{255, 0, 256, 1}}},
      {"bottom-left box", 14, 640, 480, 128, {{0, 160, 320, 480}}},
      {"bottom-right box", 15, 640, 480, 128, {{320, 160, 640, 480}}},
      {"bottom-right box cut", 15, 640, 480, 255, {{3, 0, 640, 480}}},
      {"box too small to show", 11, 100, 100, 2, {}},
      {"row comb, far side one column more", 16, 256, 3, 1, {{0, 0, 1, 1}, {254, 1, 256, 2}, {0, 2, 1, 3}}},
      {"row comb at the start shows only the far column", 16, 100, 2, 1, {{99, 1, 100, 2}}},
      {"column comb", 17, 3, 256, 1, {{0, 0, 1, 1}, {1, 254, 2, 256}, {2, 0, 3, 1}}},
      {"four-phase rows half way", 18, 8, 6, 128, {{0, 0, 8, 1}, {0, 2, 8, 3}, {0, 4, 8, 5}}},
      {"four-phase rows just past half way",
       18, 8, 6, 129, {{0, 0, 8, 1}, {0, 2, 8, 3}, {0, 4, 8, 5}, {7, 3, 8, 4}}},
      {"four-phase rows, second phase", 18, 8, 5, 192,
       {{0, 0, 8, 1}, {0, 2, 8, 3}, {0, 4, 8, 5}, {0, 1, 4, 2}, {3, 3, 8, 4}}},
      {"four-phase columns", 19, 5, 8, 192,
       {{0, 0, 1, 8}, {2, 0, 3, 8}, {4, 0, 5, 8}, {1, 0, 2, 4}, {3, 3, 4, 8}}},
      {"four-phase columns early", 19, 6, 100, 32, {{0, 0, 1, 25}, {2, 74, 3, 100}, {4, 0, 5, 25}}},
  };
  for (const Case& c : cases) {
    std::vector<RecordedFragment> expected;
    for (const Rect& piece : c.pieces) expected.push_back(At(piece, kX + piece.left, kY + piece.top));
    const RecordedFrame frame = RecordMode(c.mode, c.width, c.height, c.progress, kX, kY);
    EXPECT_EQ(frame.result, 0) << c.what;
    EXPECT_EQ(frame.fragments, expected) << c.what;
  }
}

TEST(BoxCombModesTest, RowCombsDrawOneFragmentPerRowAndCompleteEachPairTogether) {
  // Odd heights leave the last partner row empty; it is not drawn.
  for (int32_t height : {7, 8}) {
    EXPECT_EQ(RecordMode(16, 9, height, 100).fragments.size(), size_t(height));
    EXPECT_EQ(RecordMode(18, 9, height, 100).fragments.size(), size_t((height + 1) / 2));
  }
  // At the last partial frame the rows from the right are whole, one column
  // ahead of the rows from the left.
  for (const RecordedFragment& f : RecordMode(16, 9, 7, 255).fragments)
    EXPECT_EQ(f.source, (Rect{0, f.source.top, f.source.top % 2 == 0 ? 8 : 9, f.source.top + 1})) << f;
}

}  // namespace
}  // namespace orrivel::test
