// Block displacement modes: the block at the picture centre stays, the
// orbit and the turn at half progress, the drop-in cells' start and the
// jitter's range, checked on the fragments each block asks for; and the
// turning modes, windmills included, without math tables.
#include <gtest/gtest.h>

#include <cstdlib>

#include "transition/ModeRecording.h"
#include "transition/TransitionRandom.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

constexpr int32_t kX = 11;
constexpr int32_t kY = -4;

class BlockModesTest : public testing::Test {
 protected:
  // 16 x 8: the centre (8, 4) is a corner of the 4 x 2, 2 x 2 and 4 x 4 grids.
  std::unique_ptr<Surface> source_ = MakeSurface32(16, 8, 0);
  Recording Frame(uint32_t mode, int32_t progress) {
    return RecordFrame(mode, source_.get(), source_.get(), progress, kX, kY);
  }
};

TEST_F(BlockModesTest, TheBlockAtTheCentreNeverMoves) {
  PublishedMathTables tables;
  for (uint32_t mode : {55u, 56u, 57u, 58u, 63u}) {
    for (int32_t progress : {1, 37, 128, 200, 255}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << ", progress " << progress);
      const Recording frame = Frame(mode, progress);
      EXPECT_EQ(frame.result, 0);
      int found = 0;
      for (const RecordedFragment& f : frame.fragments) {
        if (f.source.left != 8 || f.source.top != 4) continue;
        ++found;
        EXPECT_EQ(f.x, kX + 8);
        EXPECT_EQ(f.y, kY + 4);
      }
      EXPECT_EQ(found, 1);
    }
  }
}

TEST_F(BlockModesTest, OrbitAtHalfProgressMovesBlocksOnlyVertically) {
  PublishedMathTables tables;
  const Recording frame = Frame(58, 128);
  ASSERT_EQ(frame.fragments.size(), 4u * 4u);
  bool someMoved = false;
  for (const RecordedFragment& f : frame.fragments) {
    EXPECT_EQ(f.x, kX + f.source.left) << f;
    if (f.source.top == 4) {
      EXPECT_EQ(f.y, kY + 4) << f;  // the centre row stays
    }
    someMoved = someMoved || f.y != kY + f.source.top;
  }
  EXPECT_TRUE(someMoved);
}

TEST_F(BlockModesTest, TurningBlocksAtHalfProgressStandHalfATurnAboutTheCentre) {
  PublishedMathTables tables;
  for (uint32_t mode : {60u, 61u, 62u}) {
    const Recording frame = Frame(mode, 128);
    ASSERT_FALSE(frame.fragments.empty());
    for (const RecordedFragment& f : frame.fragments) {
      // Each corner turned about (8, 4); blocks themselves are not turned.
      EXPECT_EQ(f.x, kX + 16 - f.source.left) << "mode " << mode << ", " << f;
      EXPECT_EQ(f.y, kY + 8 - f.source.top) << "mode " << mode << ", " << f;
    }
  }
}

TEST_F(BlockModesTest, DropCellsStartAt144AndTheHighestPicksAreCompleteThere) {
  auto source = MakeSurface32(37, 21, 0);
  EXPECT_TRUE(RecordFrame(64, source.get(), source.get(), 16).fragments.empty());
  const uint8_t* order = TransitionRandom::Instance().GetOrderTable();
  const Recording frame = RecordFrame(64, source.get(), source.get(), 144, kX, kY);
  ASSERT_EQ(frame.fragments.size(), 5u * 3u);  // every cell
  for (const RecordedFragment& f : frame.fragments) {
    const int32_t t = order[((f.source.left >> 3) + 13 * f.source.top) & 255];
    const int32_t rows = (((t >> 1) + 144) >> 4) - 8;
    EXPECT_GE(rows, 1) << f;
    EXPECT_EQ(f.source.Height(), std::min(rows, 21 - f.source.top)) << f;
    if (t >= 224) {
      EXPECT_EQ(f.source.Height(), std::min(8, 21 - f.source.top)) << f;
    }
    // The cell's top rows show at its bottom.
    EXPECT_EQ(f.y, kY + f.source.top + 8 - rows) << f;
  }
  EXPECT_EQ(RecordFrame(65, source.get(), source.get(), 144).fragments.size(), 3u * 2u);
}

TEST_F(BlockModesTest, JitterShrinksFromTheWholePickToOnePixel) {
  const uint8_t* order = TransitionRandom::Instance().GetOrderTable();
  for (const RecordedFragment& f : Frame(66, 1).fragments) {
    const int32_t bx = f.source.left >> 2, by = f.source.top >> 2;
    EXPECT_EQ(f.x - kX - f.source.left, order[(bx + 13 * by) & 255] - 128) << f;
    EXPECT_EQ(f.y - kY - f.source.top, order[(19 * by + bx) & 255] - 128) << f;
  }
  for (const RecordedFragment& f : Frame(66, 255).fragments) {
    EXPECT_LE(std::abs(f.x - kX - f.source.left), 1) << f;
    EXPECT_LE(std::abs(f.y - kY - f.source.top), 1) << f;
  }
}

TEST(TurningModesTest, WithoutMathTablesOnlyTheWholeFrameDraws) {
  ASSERT_EQ(GetMathTables(), nullptr);
  auto source = MakeSurface32(16, 8, 0xFF123456u);
  for (uint32_t mode = 54; mode <= 86; ++mode) {
    const bool turns = (mode >= 57 && mode <= 63) || mode == 83 || mode == 84;
    if (!turns && !(mode <= 56 || (mode >= 64 && mode <= 67))) continue;
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    const Recording frame = RecordFrame(mode, source.get(), source.get(), 128);
    EXPECT_EQ(frame.result, turns ? 1 : 0);
    EXPECT_EQ(frame.fragments.empty(), turns);
    auto destination = MakeSurface32(16, 8, 0);
    EXPECT_EQ(RunTransition(mode, destination.get(), source.get(), 256, 0, 0, BackendCopy, nullptr), 0);
    EXPECT_EQ(destination->GetPixel(15, 7), 0xFF123456u);
  }
}

}  // namespace
}  // namespace orrivel::test
