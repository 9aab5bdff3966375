// The mirrors and the stretch waves as fragment lists, and the modes that
// read the cosine table without one published.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "transition/ModeRecording.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

constexpr int32_t kX = 10;
constexpr int32_t kY = 20;

TEST(MirrorModesTest, ShowTheSameMirroredPictureAtEveryPartialProgress) {
  std::vector<RecordedFragment> columns;
  for (int32_t i = 0; i < 5; ++i) columns.push_back(At(Rect{i, 0, i + 1, 3}, kX + 4 - i, kY));
  std::vector<RecordedFragment> rows;
  for (int32_t j = 0; j < 3; ++j) rows.push_back(At(Rect{0, j, 5, j + 1}, kX, kY + 2 - j));
  for (int32_t progress : {1, 128, 255}) {
    EXPECT_EQ(RecordMode(0, 5, 3, progress, kX, kY).fragments, columns) << progress;
    EXPECT_EQ(RecordMode(1, 5, 3, progress, kX, kY).fragments, rows) << progress;
  }
  // A single row is its own mirror.
  EXPECT_EQ(RecordMode(1, 7, 1, 64, kX, kY).fragments, (std::vector{At(Rect{0, 0, 7, 1}, kX, kY)}));
}

TEST(StretchWaveModesTest, MiddleLineIsStretchedAboutTheCentreAndTheFirstKeepsItsSize) {
  ScopedMathTables tables;
  // Rows: the top row keeps width W at offset 0; the middle row is 2W wide
  // at x - (W >> 1) when the progress is half way.
  const RecordedFrame rows = RecordMode(2, 40, 8, 128, kX, kY);
  EXPECT_EQ(rows.result, 0);
  ASSERT_EQ(rows.fragments.size(), 8u);
  EXPECT_EQ(rows.fragments[0], StretchedAt(Rect{0, 0, 40, 1}, kX, kY, Size{40, 1}));
  EXPECT_EQ(rows.fragments[4], StretchedAt(Rect{0, 4, 40, 5}, kX - 20, kY + 4, Size{80, 1}));
  // Near the start the middle row is almost three times as wide.
  const RecordedFrame early = RecordMode(2, 40, 8, 1, kX, kY);
  EXPECT_EQ(early.fragments[4], StretchedAt(Rect{0, 4, 40, 5}, kX - 39, kY + 4, Size{119, 1}));
  // Columns, the same with the axes exchanged.
  const RecordedFrame columns = RecordMode(3, 8, 40, 128, kX, kY);
  ASSERT_EQ(columns.fragments.size(), 8u);
  EXPECT_EQ(columns.fragments[0], StretchedAt(Rect{0, 0, 1, 40}, kX, kY, Size{1, 40}));
  EXPECT_EQ(columns.fragments[4], StretchedAt(Rect{4, 0, 5, 40}, kX + 4, kY - 20, Size{1, 80}));
  // A single column takes the bend of the first line and keeps its height.
  EXPECT_EQ(RecordMode(3, 1, 30, 64, kX, kY).fragments, (std::vector{StretchedAt(Rect{0, 0, 1, 30}, kX, kY, Size{1, 30})}));
  // Every line is at least as long as the picture and centred on it.
  for (const RecordedFragment& row : RecordMode(2, 40, 33, 77).fragments) {
    EXPECT_GE(row.size.width, 40);
    EXPECT_LE(std::abs(-row.x * 2 + 40 - row.size.width), 2) << row;
  }
}

TEST(CosineModesTest, WithoutTheTableOnlyThePartialFramesFail) {
  ScopedMathTables none(nullptr);
  for (uint32_t mode : {2u, 3u, 23u, 24u, 25u, 26u}) {
    for (int32_t progress : {1, 128, 255}) {
      const RecordedFrame frame = RecordMode(mode, 6, 4, progress);
      EXPECT_EQ(frame.result, 1) << "mode " << mode << " at " << progress;
      EXPECT_TRUE(frame.fragments.empty()) << "mode " << mode;
    }
    // The last frame needs no table.
    auto destination = MakeSurface32(6, 4, 0);
    auto source = MakeSurface32(6, 4, 0xFF00FF00u);
    EXPECT_EQ(RunTransition(mode, destination.get(), source.get(), 256, 0, 0, BackendCopy, nullptr), 0);
    EXPECT_EQ(destination->GetPixel(5, 3), 0xFF00FF00u);
  }
}

}  // namespace
}  // namespace orrivel::test
