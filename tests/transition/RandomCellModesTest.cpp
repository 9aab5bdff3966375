// The random cell modes with a seeded generator: how many numbers a frame
// draws (whatever the back end does), which cells a byte lets through, where
// the jittered rows and scrambled patches may come from, and the narrower
// cells at the right and bottom edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "transition/ModeRecording.h"
#include "transition/TransitionRandom.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

constexpr uint32_t kSeed = 4242;

// The cells of a picture in visiting order: 4 x 2 (or 2 x 2), narrower at
// the right and lower at the bottom.
std::vector<Rect> Cells(int32_t width, int32_t height, int32_t cellWidth, int32_t cellHeight) {
  std::vector<Rect> cells;
  for (int32_t j = 0; j < height; j += cellHeight)
    for (int32_t i = 0; i < width; i += cellWidth)
      cells.push_back(Rect{i, j, std::min(i + cellWidth, width), std::min(j + cellHeight, height)});
  return cells;
}

// A generator seeded like the library's, to replay what a frame drew.
struct Replay {
  Replay() { generator.Seed(kSeed); }
  int32_t Byte() { return generator.Next() & 0xFF; }
  TransitionRandom generator;
};

// How many numbers the library's generator has given since seeding with kSeed.
int CountDraws() {
  Replay replay;
  const int32_t next = TransitionRandom::Instance().Next();
  for (int count = 0; count < 100000; ++count)
    if (replay.generator.Next() == next) return count;
  return -1;
}

// One frame with the library seeded, through the back end that draws
// nothing or through 32-bit surfaces.
RecordedFrame SeededFrame(uint32_t mode, int32_t width, int32_t height, int32_t progress, bool draw) {
  TransitionRandom::Instance().Seed(kSeed);
  if (!draw) return RecordMode(mode, width, height, progress);
  auto destination = MakeSurface32(width, height, 0);
  auto source = MakeSurface32(width, height, 0xFF808080u);
  FragmentRecorder recorder;
  RecordedFrame frame;
  frame.result = RunTransition(mode, destination.get(), source.get(), progress, 0, 0, BackendCopy, nullptr, &recorder);
  frame.fragments = std::move(recorder.fragments);
  return frame;
}

TEST(RandomCellModesTest, EachFrameDrawsOneNumberPerRowOrCellWhateverTheBackEnd) {
  // 10 x 5: three cell columns (the last two pixels wide), three cell rows
  // (the last one pixel high).
  constexpr int32_t kWidth = 10, kHeight = 5;
  const int cells = int(Cells(kWidth, kHeight, 4, 2).size());
  struct Case {
    uint32_t mode;
    int draws;
  };
  const Case cases[] = {{4, kHeight}, {6, cells}, {7, cells}, {8, cells}, {9, cells}, {10, cells},
                        {20, int(Cells(kWidth, kHeight, 2, 2).size())}};
  for (const Case& c : cases) {
    for (int32_t progress : {1, 100, 255}) {
      for (bool draw : {false, true}) {
        SeededFrame(c.mode, kWidth, kHeight, progress, draw);
        EXPECT_EQ(CountDraws(), c.draws) << "mode " << c.mode << " at " << progress << (draw ? ", drawn" : "");
      }
    }
  }
  // The scramble draws two more for every cell whose byte is above the progress.
  for (int32_t progress : {1, 128, 254, 255}) {
    Replay replay;
    int expected = 0;
    for (int i = 0; i < cells; ++i, ++expected) {
      if (replay.Byte() > progress) {
        replay.generator.Next();
        replay.generator.Next();
        expected += 2;
      }
    }
    for (bool draw : {false, true}) {
      SeededFrame(5, kWidth, kHeight, progress, draw);
      EXPECT_EQ(CountDraws(), expected) << "scramble at " << progress;
    }
  }
}

// At the whole picture a back end that draws makes it in one operation and
// draws no numbers; a blend that names no back end runs the partial frame
// instead, which draws nothing but takes the frame's numbers all the same.
TEST(RandomCellModesTest, WholePictureFramesTakeNumbersOnlyWhereTheBlendDrawsNothing) {
  constexpr int32_t kWidth = 10, kHeight = 5;
  const int cells = int(Cells(kWidth, kHeight, 4, 2).size());
  struct Case {
    uint32_t mode;
    int draws;  // through a blend that draws nothing; every byte is within the progress
  };
  const Case cases[] = {{4, kHeight}, {5, cells}, {6, cells},  {7, cells},
                        {8, cells},   {9, cells}, {10, cells}, {20, int(Cells(kWidth, kHeight, 2, 2).size())}};
  auto source = MakeSurface32(kWidth, kHeight, 0xFF808080u);
  auto destination = MakeSurface32(kWidth, kHeight, 0);
  for (const Case& c : cases) {
    for (int32_t progress : {256, 257, 1000, INT32_MAX}) {
      for (int32_t blend : {int32_t(BackendCopy), 2, -1}) {
        TransitionRandom::Instance().Seed(kSeed);
        EXPECT_EQ(RunTransition(c.mode, destination.get(), source.get(), progress, 0, 0, blend, nullptr), 0);
        EXPECT_EQ(CountDraws(), blend == BackendCopy ? 0 : c.draws)
            << "mode " << c.mode << " at " << progress << ", blend " << blend;
      }
    }
  }
}

TEST(RandomCellModesTest, AtTheLastPartialFrameJitterAndScrambleDrawEverythingInPlace) {
  std::vector<RecordedFragment> rows;
  for (int32_t j = 0; j < 5; ++j) rows.push_back(At(Rect{0, j, 10, j + 1}, 0, j));
  EXPECT_EQ(SeededFrame(4, 10, 5, 255, false).fragments, rows);
  std::vector<RecordedFragment> cells;
  for (const Rect& cell : Cells(10, 5, 4, 2)) cells.push_back(At(cell, cell.left, cell.top));
  EXPECT_EQ(SeededFrame(5, 10, 5, 255, false).fragments, cells);
  EXPECT_EQ(SeededFrame(6, 10, 5, 255, false).fragments, cells);
  EXPECT_EQ(CountDraws(), int(cells.size()));
}

TEST(RandomCellModesTest, JitteredRowsStayWithinHalfTheirSpan) {
  for (int32_t progress : {1, 100, 200, 254}) {
    const int32_t span = 256 - progress;
    const RecordedFrame frame = SeededFrame(4, 6, 300, progress, false);
    ASSERT_EQ(frame.fragments.size(), 300u);
    int32_t lowest = 0, highest = 0;
    for (size_t j = 0; j < frame.fragments.size(); ++j) {
      const RecordedFragment& row = frame.fragments[j];
      ASSERT_EQ(row.source, (Rect{0, int32_t(j), 6, int32_t(j) + 1}));
      ASSERT_EQ(row.y, int32_t(j));
      lowest = std::min(lowest, row.x);
      highest = std::max(highest, row.x);
    }
    EXPECT_GE(lowest, -(span >> 1)) << progress;
    EXPECT_LE(highest, span - 1 - (span >> 1)) << progress;
    // Three hundred rows use most of the span.
    EXPECT_GT(highest - lowest, (span - 1) / 2) << progress;
  }
}

TEST(RandomCellModesTest, ScrambledPatchesComeFromNearbyAndNeverFromBeyondTheEdges) {
  // Spread 10 below 128, then 6, 4 and 2.
  const std::pair<int32_t, int32_t> spreads[] = {{1, 10}, {127, 10}, {128, 6}, {200, 4}, {230, 2}};
  for (auto [progress, spread] : spreads) {
    const std::vector<Rect> cells = Cells(13, 7, 4, 2);
    const RecordedFrame frame = SeededFrame(5, 13, 7, progress, false);
    ASSERT_EQ(frame.fragments.size(), cells.size());
    bool moved = false;
    for (size_t c = 0; c < cells.size(); ++c) {
      const RecordedFragment& f = frame.fragments[c];
      const Rect& cell = cells[c];
      EXPECT_EQ(f.x, cell.left);
      EXPECT_EQ(f.y, cell.top);
      EXPECT_EQ(f.source.Width(), cell.Width());
      EXPECT_EQ(f.source.Height(), cell.Height());
      EXPECT_TRUE(f.source.right <= 13 && f.source.bottom <= 7) << f;
      const int32_t dx = f.source.left - cell.left, dy = f.source.top - cell.top;
      EXPECT_TRUE(dx >= 0 && dx < spread && dy >= 0 && dy < spread) << f << " at " << progress;
      moved = moved || dx != 0 || dy != 0;
    }
    EXPECT_TRUE(moved) << progress;
  }
}

TEST(RandomCellModesTest, CellShowsExactlyWhenItsByteIsWithinTheThreshold) {
  // Pictures of one row of cells, where the threshold is the same for every
  // cell; many frames, so that both outcomes occur.
  struct Case {
    uint32_t mode;
    int32_t width, height, progress;
    int32_t threshold;
  };
  const Case cases[] = {
      {6, 16, 2, 1, 1},      {6, 16, 2, 200, 200},
      {7, 16, 2, 63, -2},    {7, 16, 2, 64, 0},      {7, 16, 2, 191, 254},  // 2p - 128 on two rows
      {8, 16, 2, 191, 126},                                                  // the bottom row starts late
      {9, 4, 2, 64, 64},     {10, 4, 2, 200, 144},                           // one column of cells
      {20, 2, 2, 127, -1},   {20, 2, 2, 128, 0},     {20, 2, 2, 255, 1},    // never below 128
  };
  for (const Case& c : cases) {
    const std::vector<Rect> cells = Cells(c.width, c.height, c.mode == 20 ? 2 : 4, 2);
    TransitionRandom::Instance().Seed(kSeed);
    Replay replay;
    int shown = 0;
    for (int frame = 0; frame < 64; ++frame) {
      std::vector<RecordedFragment> expected;
      for (const Rect& cell : cells)
        if (replay.Byte() <= c.threshold) expected.push_back(At(cell, cell.left, cell.top));
      shown += int(expected.size());
      ASSERT_EQ(RecordMode(c.mode, c.width, c.height, c.progress).fragments, expected)
          << "mode " << c.mode << " at " << c.progress << ", frame " << frame;
    }
    if (c.threshold < 0) {
      EXPECT_EQ(shown, 0);
    }
  }
}

TEST(RandomCellModesTest, DirectionalDissolvesOpenFromTheirFirstSide) {
  // Half way, the first side shows almost everywhere and the far side hardly.
  struct Case {
    uint32_t mode;
    bool rows;      // which axis the dissolve runs along
    bool fromStart; // whether the first side is the top or left
  };
  const Case cases[] = {{7, true, true}, {8, true, false}, {9, false, true}, {10, false, false}};
  for (const Case& c : cases) {
    TransitionRandom::Instance().Seed(kSeed);
    int firstSide = 0, farSide = 0;
    for (int frame = 0; frame < 20; ++frame) {
      for (const RecordedFragment& f : RecordMode(c.mode, 64, 64, 128).fragments) {
        const int32_t at = c.rows ? f.source.top : f.source.left;
        const bool first = c.fromStart ? at < 8 : at >= 56;
        const bool far = c.fromStart ? at >= 56 : at < 8;
        firstSide += first;
        farSide += far;
      }
    }
    EXPECT_GT(firstSide, 10 * farSide) << "mode " << c.mode;
  }
}

}  // namespace
}  // namespace orrivel::test
