// Band, stretch and sliding wipes: the fragment lists of the worked
// examples, with the edge quirks these wipes keep (the forward band wipe
// stopping one column short of the edge, the forward stretch wipes smearing
// from destination column or row 0, the odd-width slide).
#include <gtest/gtest.h>

#include "transition/ModeRecording.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

using Kind = RecordedFragment::Kind;

RecordedFragment Piece(Rect source, int32_t x, int32_t y) { return {Kind::kFragment, source, x, y, Size{}}; }
RecordedFragment Smear(Rect source, int32_t x, int32_t y, Size size) { return {Kind::kStretched, source, x, y, size}; }

TEST(EdgeWipeModesTest, BandWipeOpensFortyOneBandsOneUnitApart) {
  auto source = MakeSurface32(640, 4, 0);
  const Recording frame = RecordFrame(71, source.get(), source.get(), 128, 5, 9);
  // L = ((41 + 16) x 128) >> 8 = 28: bands 0 to 27, band 27 one pixel wide.
  ASSERT_EQ(frame.fragments.size(), 28u);
  for (int32_t k = 0; k < 28; ++k) {
    const int32_t width = std::min(28 - k, 16);
    EXPECT_EQ(frame.fragments[k], Piece(Rect{16 * k, 0, 16 * k + width, 4}, 5 + 16 * k, 9)) << "band " << k;
  }
  // Backward: the same bands counted from the right edge, growing leftward.
  const Recording backward = RecordFrame(72, source.get(), source.get(), 128, 5, 9);
  ASSERT_EQ(backward.fragments.size(), 28u);
  EXPECT_EQ(backward.fragments[0], Piece(Rect{624, 0, 640, 4}, 629, 9));
  EXPECT_EQ(backward.fragments[27], Piece(Rect{207, 0, 208, 4}, 212, 9));
  // Rows: the same over the height.
  auto tall = MakeSurface32(4, 640, 0);
  const Recording rows = RecordFrame(75, tall.get(), tall.get(), 128, 5, 9);
  ASSERT_EQ(rows.fragments.size(), 28u);
  EXPECT_EQ(rows.fragments[27], Piece(Rect{0, 432, 4, 433}, 5, 441));
}

TEST(EdgeWipeModesTest, ForwardBandWipeLeavesTheLastColumnOnceTheLastBandPassesTheEdge) {
  auto source = MakeSurface32(650, 2, 0);
  // 41 bands; band 40 starts at column 640 and is 10 wide at progress 225.
  const Recording ten = RecordFrame(71, source.get(), source.get(), 225);
  ASSERT_FALSE(ten.fragments.empty());
  EXPECT_EQ(ten.fragments.back().source, (Rect{640, 0, 650, 2}));
  for (int32_t progress = 230; progress <= 255; ++progress) {
    const Recording frame = RecordFrame(71, source.get(), source.get(), progress);
    EXPECT_EQ(frame.fragments.back().source, (Rect{640, 0, 649, 2})) << "progress " << progress;
  }
  for (int32_t progress = 1; progress <= 255; ++progress) {
    for (const RecordedFragment& f : RecordFrame(72, source.get(), source.get(), progress).fragments)
      ASSERT_TRUE(f.source.left >= 0 && f.source.right <= 650) << f << " at progress " << progress;
  }
}

TEST(EdgeWipeModesTest, StretchWipesRevealAnEdgeAndSmearTheNextLine) {
  auto source = MakeSurface32(640, 480, 0);
  auto destination = MakeSurface32(700, 500, 0);
  // Forward at progress 1: s = 2, the smear from destination column 0.
  EXPECT_EQ(RecordFrame(79, destination.get(), source.get(), 1, 10, 5).fragments,
            (std::vector<RecordedFragment>{Piece(Rect{638, 0, 640, 480}, 648, 5),
                                           Smear(Rect{637, 0, 638, 480}, 0, 5, Size{648, 480})}));
  // Backward: the smear reaches the destination's right edge.
  EXPECT_EQ(RecordFrame(80, destination.get(), source.get(), 1, 10, 5).fragments,
            (std::vector<RecordedFragment>{Piece(Rect{0, 0, 2, 480}, 10, 5),
                                           Smear(Rect{2, 0, 3, 480}, 12, 5, Size{688, 480})}));
  // Rows, s = 1: forward smears from destination row 0.
  EXPECT_EQ(RecordFrame(81, destination.get(), source.get(), 1, 10, 5).fragments,
            (std::vector<RecordedFragment>{Piece(Rect{0, 479, 640, 480}, 10, 484),
                                           Smear(Rect{0, 478, 640, 479}, 10, 0, Size{640, 484})}));
  EXPECT_EQ(RecordFrame(82, destination.get(), source.get(), 1, 10, 5).fragments,
            (std::vector<RecordedFragment>{Piece(Rect{0, 0, 640, 1}, 10, 5),
                                           Smear(Rect{0, 1, 640, 2}, 10, 6, Size{640, 494})}));
  // With nothing revealed yet the column wipes skip the piece, the row
  // wipes draw it empty.
  auto narrow = MakeSurface32(3, 3, 0);
  EXPECT_EQ(RecordFrame(79, destination.get(), narrow.get(), 50).fragments,
            (std::vector<RecordedFragment>{Smear(Rect{2, 0, 3, 3}, 0, 0, Size{3, 3})}));
  EXPECT_EQ(RecordFrame(81, destination.get(), narrow.get(), 50).fragments,
            (std::vector<RecordedFragment>{Piece(Rect{0, 3, 3, 3}, 0, 3), Smear(Rect{0, 2, 3, 3}, 0, 0, Size{3, 3})}));
}

TEST(EdgeWipeModesTest, SlidingHalvesOnAnOddSizeLeaveTheLastLineUndrawn) {
  auto source = MakeSurface32(9, 7, 0);
  for (int32_t progress = 1; progress <= 255; ++progress) {
    const int32_t s = (4 * progress) >> 8;
    SCOPED_TRACE(testing::Message() << "progress " << progress);
    EXPECT_EQ(RecordFrame(85, source.get(), source.get(), progress, 2, 1).fragments,
              (std::vector<RecordedFragment>{Piece(Rect{4 - s, 0, 4, 7}, 2, 1), Piece(Rect{4, 0, 4 + s, 7}, 2 + 9 - s, 1)}));
    const int32_t t = (3 * progress) >> 8;
    EXPECT_EQ(RecordFrame(86, source.get(), source.get(), progress, 2, 1).fragments,
              (std::vector<RecordedFragment>{Piece(Rect{0, 3 - t, 9, 3}, 2, 1), Piece(Rect{0, 3, 9, 3 + t}, 2, 1 + 7 - t)}));
  }
}

}  // namespace
}  // namespace orrivel::test
