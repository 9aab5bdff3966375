// The in-place grid modes (growing squares, blinds, diagonal stripes and
// spiral cells): which source pixels a frame puts in place over a range of
// progress, from the worked examples, on pictures whose sizes are not
// multiples of the cell so that edge cells are cut.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>

#include "transition/ModeRecording.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

struct CoverageCase {
  const char* name;
  uint32_t mode;
  int32_t width;
  int32_t height;
  int32_t firstProgress;
  int32_t lastProgress;
  std::function<bool(int32_t x, int32_t y)> shows;
};

bool Nothing(int32_t, int32_t) { return false; }
bool Everything(int32_t, int32_t) { return true; }

// The two 8-pixel units of each cell that the outward spiral shows second.
bool SpiralOut8SecondRank(int32_t x, int32_t y) {
  const int32_t row = (y / 8) % 4, column = (x / 8) % 4;
  return row == 1 && (column == 1 || column == 2);
}

const CoverageCase kCases[] = {
    {"squares4 before a side of one", 32, 10, 7, 1, 63, Nothing},
    {"squares4 one pixel a cell", 32, 10, 7, 64, 127, [](int32_t x, int32_t y) { return x % 4 == 0 && y % 4 == 0; }},
    {"squares4 last row and column wait", 32, 10, 7, 255, 255, [](int32_t x, int32_t y) { return x % 4 < 3 && y % 4 < 3; }},
    {"squares8 cut at the edge", 33, 10, 7, 224, 255, [](int32_t x, int32_t y) { return x % 8 < 7 && y % 8 < 7; }},
    {"squares16", 34, 37, 21, 80, 95, [](int32_t x, int32_t y) { return x % 16 < 5 && y % 16 < 5; }},
    {"blinds8 first column of each group", 35, 37, 3, 1, 31, [](int32_t x, int32_t) { return x % 8 == 0; }},
    {"blinds8 reversed last column", 36, 37, 3, 1, 31, [](int32_t x, int32_t) { return x % 8 == 7; }},
    {"blinds8 complete a step early", 35, 37, 3, 224, 255, Everything},
    {"blinds16 complete a step early", 37, 37, 3, 240, 255, Everything},
    {"blinds16 reversed half open", 38, 37, 3, 112, 127, [](int32_t x, int32_t) { return x % 16 >= 8; }},
    {"narrow reversed blinds wait", 36, 5, 3, 1, 95, Nothing},
    {"narrow reversed blinds show column 4", 36, 5, 3, 96, 127, [](int32_t x, int32_t) { return x == 4; }},
    {"row blinds8", 39, 3, 37, 1, 31, [](int32_t, int32_t y) { return y % 8 == 0; }},
    {"row blinds8 reversed", 40, 3, 37, 32, 63, [](int32_t, int32_t y) { return y % 8 >= 6; }},
    {"row blinds16", 41, 3, 37, 1, 15, [](int32_t, int32_t y) { return y % 16 == 0; }},
    {"row blinds16 reversed", 42, 3, 37, 1, 15, [](int32_t, int32_t y) { return y % 16 == 15; }},
    {"stripes8 empty", 43, 37, 21, 1, 31, Nothing},
    {"stripes8 one column", 43, 37, 21, 32, 63, [](int32_t x, int32_t y) { return (x + y % 7) % 8 == 0; }},
    {"stripes16 all but one column", 44, 37, 21, 240, 255, [](int32_t x, int32_t y) { return (x + y % 15) % 16 < 15; }},
    {"spiral-in pixels first rank", 45, 10, 7, 1, 15, [](int32_t x, int32_t y) { return x % 4 == 0 && y % 4 == 0; }},
    {"spiral-out pixels first rank", 46, 10, 7, 1, 15, [](int32_t x, int32_t y) { return x % 4 == 1 && y % 4 == 1; }},
    {"spiral-in 2 whole from 240", 47, 9, 5, 240, 255, Everything},
    {"spiral-out 8 second rank", 52, 70, 40, 16, 31, SpiralOut8SecondRank},
};

class SquareStripeModesTest : public testing::TestWithParam<CoverageCase> {};

TEST_P(SquareStripeModesTest, FramesPutTheExpectedPixelsInPlace) {
  const CoverageCase& c = GetParam();
  auto source = MakeSurface32(c.width, c.height, 0);
  auto destination = MakeSurface32(1, 1, 0);
  const PixelSet expected = PixelsWhere(c.width, c.height, c.shows);
  for (int32_t progress = c.firstProgress; progress <= c.lastProgress; ++progress) {
    SCOPED_TRACE(testing::Message() << "progress " << progress);
    const Recording frame = RecordFrame(c.mode, destination.get(), source.get(), progress, 7, -3);
    EXPECT_EQ(frame.result, 0);
    for (const RecordedFragment& f : frame.fragments) {
      ASSERT_EQ(f.kind, RecordedFragment::kFragment);
      ASSERT_EQ(f.x, 7 + f.source.left) << f;
      ASSERT_EQ(f.y, -3 + f.source.top) << f;
    }
    ASSERT_EQ(CoveredSourcePixels(frame.fragments), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, SquareStripeModesTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CoverageCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

// Every cell and every stripe costs one draw even while its piece is empty;
// units not yet reached cost none.
TEST(SquareStripeModesTest, EmptyPiecesStillCountAsDraws) {
  auto source = MakeSurface32(10, 7, 0);
  auto destination = MakeSurface32(1, 1, 0);
  EXPECT_EQ(RecordFrame(32, destination.get(), source.get(), 63).fragments.size(), 3u * 2u);
  EXPECT_EQ(RecordFrame(34, destination.get(), source.get(), 15).fragments.size(), 1u);
  // Rows 0 to 6 each have two stripe starts below 10 (row offsets 0 to 6).
  EXPECT_EQ(RecordFrame(43, destination.get(), source.get(), 31).fragments.size(), 7u * 2u);
  EXPECT_EQ(RecordFrame(45, destination.get(), source.get(), 15).fragments.size(), 3u * 2u);
}

}  // namespace
}  // namespace orrivel::test
