// The torn-edge wipes and the settling wave rows as fragment lists: the
// band and its six torn rows near both edges, the rounding of the opposite
// phase, the flat picture at the last partial frame and the periods.
#include <gtest/gtest.h>

#include <vector>

#include "transition/ModeRecording.h"

namespace orrivel::test {
namespace {

constexpr int32_t kX = 30;
constexpr int32_t kY = 5;

RecordedFragment Row(int32_t width, int32_t row, int32_t shift) {
  return At(Rect{0, row, width, row + 1}, kX + shift, kY + row);
}

TEST(TornEdgeModesTest, BandAndTornRowsNearBothEdges) {
  struct Case {
    const char* what;
    uint32_t mode;
    int32_t width, height, progress;
    std::vector<RecordedFragment> fragments;
  };
  const Case cases[] = {
      {"empty band, only the torn rows", 21, 90, 20, 1,
       {Row(90, 0, -10), Row(90, 1, 10), Row(90, 2, -20), Row(90, 3, 20), Row(90, 4, -30), Row(90, 5, 30)}},
      {"torn rows below the picture are not drawn", 21, 9, 10, 230,
       {At(Rect{0, 0, 9, 8}, kX, kY), Row(9, 8, -1), Row(9, 9, 1)}},
      {"upwards: torn rows above the picture are not drawn", 22, 9, 10, 230,
       {At(Rect{0, 2, 9, 10}, kX, kY + 2), Row(9, 1, -1), Row(9, 0, 1)}},
      {"2W/9 is not twice W/9", 22, 8, 100, 128,
       {At(Rect{0, 50, 8, 100}, kX, kY + 50), Row(8, 49, 0), Row(8, 48, 0), Row(8, 47, -1), Row(8, 46, 1),
        Row(8, 45, -2), Row(8, 44, 2)}},
  };
  for (const Case& c : cases) {
    const RecordedFrame frame = RecordMode(c.mode, c.width, c.height, c.progress, kX, kY);
    EXPECT_EQ(frame.result, 0) << c.what;
    EXPECT_EQ(frame.fragments, c.fragments) << c.what;
  }
}

// The shift of each row of a wave frame.
std::vector<int32_t> Shifts(uint32_t mode, int32_t height, int32_t progress) {
  std::vector<int32_t> shifts;
  for (const RecordedFragment& f : RecordMode(mode, 4, height, progress, kX, kY).fragments) {
    EXPECT_EQ(f.y - kY, f.source.top);
    shifts.push_back(f.x - kX);
  }
  EXPECT_EQ(shifts.size(), size_t(height));
  return shifts;
}

TEST(WaveRowModesTest, ShiftsRoundDownSoTheOppositePhaseIsNotTheExactNegative) {
  ScopedMathTables tables;
  // Row 0 takes the whole table value: 2 (255 - p) either way.
  EXPECT_EQ(Shifts(23, 2, 200)[0], 110);
  EXPECT_EQ(Shifts(24, 2, 200)[0], -110);
  EXPECT_EQ(Shifts(25, 2, 200)[0], 55);
  EXPECT_EQ(Shifts(26, 2, 200)[0], -55);
  // Row 1 at 254: a product just under 2 x 65536 gives +1, its negative -2.
  ASSERT_LT(ScopedMathTables::Shared().Cos(1), 65536);
  EXPECT_EQ(Shifts(23, 2, 254)[1], 1);
  EXPECT_EQ(Shifts(24, 2, 254)[1], -2);
  // The largest shifts at the first partial frame.
  EXPECT_EQ(Shifts(23, 1, 1)[0], 508);
  EXPECT_EQ(Shifts(26, 1, 1)[0], -254);
}

TEST(WaveRowModesTest, RowsLieFlatAtTheLastPartialFrameAndRepeatWithTheirPeriod) {
  ScopedMathTables tables;
  for (uint32_t mode : {23u, 24u, 25u, 26u}) {
    for (int32_t shift : Shifts(mode, 9, 255)) EXPECT_EQ(shift, 0) << "mode " << mode;
    const int32_t period = mode <= 24 ? 512 : 64;
    const std::vector<int32_t> shifts = Shifts(mode, period + 40, 90);
    for (int32_t j = 0; j < 40; ++j) ASSERT_EQ(shifts[size_t(j)], shifts[size_t(j + period)]) << "mode " << mode;
    // Half a period on, the wave has turned over.
    EXPECT_EQ(shifts[size_t(period / 2)], -shifts[0]) << "mode " << mode;
    EXPECT_NE(shifts[0], 0);
  }
}

}  // namespace
}  // namespace orrivel::test
