// Windmill wipes: the wedge lines of the worked example, the filling
// rectangles past 45 degrees, and no partial frames without math tables.
#include <gtest/gtest.h>

#include "transition/ModeRecording.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

RecordedFragment InPlace(Rect source, int32_t x, int32_t y) {
  return {RecordedFragment::kFragment, source, x + source.left, y + source.top, Size{}};
}

TEST(WindmillModesTest, EarlyFramesDrawFiveLinesPerWedgeToThePictureEdge) {
  PublishedMathTables tables;
  auto source = MakeSurface32(640, 480, 0);
  EXPECT_TRUE(RecordFrame(83, source.get(), source.get(), 1).fragments.empty());
  // Progress 2: R = 453, sv = 5, cv = 452, q = (i x 452) / 5.
  const Recording clockwise = RecordFrame(83, source.get(), source.get(), 2, 3, 4);
  EXPECT_EQ(clockwise.result, 0);
  ASSERT_EQ(clockwise.fragments.size(), 20u);
  std::vector<RecordedFragment> first(clockwise.fragments.begin(), clockwise.fragments.begin() + 8);
  EXPECT_EQ(first, (std::vector<RecordedFragment>{
                       InPlace(Rect{320, 240, 640, 241}, 3, 4), InPlace(Rect{0, 240, 320, 241}, 3, 4),
                       InPlace(Rect{320, 240, 321, 480}, 3, 4), InPlace(Rect{320, 0, 321, 240}, 3, 4),
                       InPlace(Rect{410, 241, 640, 242}, 3, 4), InPlace(Rect{0, 239, 230, 240}, 3, 4),
                       InPlace(Rect{319, 330, 320, 480}, 3, 4), InPlace(Rect{321, 0, 322, 150}, 3, 4)}));
  const Recording counter = RecordFrame(84, source.get(), source.get(), 2, 3, 4);
  ASSERT_EQ(counter.fragments.size(), 20u);
  std::vector<RecordedFragment> second(counter.fragments.begin() + 4, counter.fragments.begin() + 8);
  EXPECT_EQ(second, (std::vector<RecordedFragment>{
                        InPlace(Rect{410, 239, 640, 240}, 3, 4), InPlace(Rect{0, 241, 230, 242}, 3, 4),
                        InPlace(Rect{319, 0, 320, 150}, 3, 4), InPlace(Rect{321, 330, 322, 480}, 3, 4)}));
}

TEST(WindmillModesTest, FillingRectanglesFollowTheLinesPastFortyFiveDegrees) {
  PublishedMathTables tables;
  auto large = MakeSurface32(640, 480, 0);
  for (uint32_t mode : {83u, 84u}) {
    // a = 64: sv = cv = 320, lines only; a = 65: sv = 324 > cv = 316, so
    // the four rectangles follow the lines.
    EXPECT_EQ(RecordFrame(mode, large.get(), large.get(), 129).fragments.size(), 4u * 320u) << "mode " << mode;
    EXPECT_EQ(RecordFrame(mode, large.get(), large.get(), 130).fragments.size(), 4u * 324u + 4u) << "mode " << mode;
  }
  auto source = MakeSurface32(64, 48, 0);
  const Recording clockwise = RecordFrame(83, source.get(), source.get(), 255);
  const std::vector<RecordedFragment> rectangles(clockwise.fragments.end() - 4, clockwise.fragments.end());
  // hw = 32, hh = 24, R = 46, a = 127: sv = 45, cv = 0 (cut to the picture).
  EXPECT_EQ(rectangles, (std::vector<RecordedFragment>{
                            InPlace(Rect{32, 24, 64, 48}, 0, 0), InPlace(Rect{0, 0, 32, 25}, 0, 0),
                            InPlace(Rect{0, 24, 33, 48}, 0, 0), InPlace(Rect{32, 0, 64, 24}, 0, 0)}));
}

}  // namespace
}  // namespace orrivel::test
