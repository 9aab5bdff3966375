// The background waves: the state machine they share (on bg_rast), the rows
// of bg_rast pixel by pixel, and bg_haze's profile and displacement.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "BackgroundTestRig.h"
#include "effect/BgHazeAction.h"
#include "effect/BgRastAction.h"

namespace orrivel {
namespace {

using testing::CopyPixel;
using testing::MakePicture;
using testing::PicturePixel;
using testing::TestBackgroundLayer;

struct WaveCells {
  ObjectArgument first = 4;  // amplitude, or the profile text
  int32_t second = 4;       // wavelength, or the profile length
  int32_t period = 512;
  int32_t duration = 0;
  int32_t fadeIn = 0;
  int32_t fadeOut = 0;
  bool fill = true;
};

class BackgroundWaveTest : public testing::BackgroundTest {
 protected:
  static constexpr int kW = 8;
  static constexpr int kH = 4;

  void SetUp() override {
    BackgroundTest::SetUp();
    picture_ = MakePicture(12, 6);
    ShowPicture(layer_.Canvas(), picture_.get(), 2, 1);
  }

  int32_t Setup(LayerAction* action, const WaveCells& c, TestBackgroundLayer* layer = nullptr) {
    return action->Setup(&list_, layer != nullptr ? layer : &layer_,
                         {c.first, c.second, c.period, c.duration, c.fadeIn, c.fadeOut, c.fill, 0});
  }
  template <typename T>
  T* Start(const WaveCells& c, TestBackgroundLayer* layer = nullptr) {
    auto* action = new T();
    EXPECT_EQ(Setup(action, c, layer), 0);
    return action;
  }
  // The rows bg_rast draws at full amplitude with wavelength 4 and phase 0:
  // the sines of 0, 128, 256 and 384 steps are 0, 1, 0 and −1.
  uint32_t ExpectedRast(int c, int r, int amplitude, bool fill) {
    static constexpr int kSign[4] = {0, 1, 0, -1};
    const int s = kSign[r % 4] * amplitude;
    const int from = c - s;
    if (from >= 0 && from < kW) return PicturePixel(2 + from, 1 + r);
    return fill ? kFill : PicturePixel(2 + c, 1 + r);
  }

  TestBackgroundLayer layer_{kW, kH};
  TestBackgroundLayer other_{kW, kH};
  std::unique_ptr<Surface> picture_;
};

TEST_F(BackgroundWaveTest, StatesRunFromFadeInToTheEndAndReleaseTheWorkCopy) {
  auto* rast = Start<BgRastAction>({.first = 8, .duration = 200, .fadeIn = 100, .fadeOut = 100});
  Hold(rast);
  ASSERT_NE(layer_.Canvas().BackCopy(), nullptr);
  struct Row {
    uint32_t at;
    int32_t state;
    int32_t level;
  };
  // The duration counts after the fade-in; the stop it asks for turns into
  // the fade-out in the same step.
  for (const Row& row : {Row{0, 0, 0}, Row{50, 0, 4}, Row{100, 1, 8}, Row{299, 1, 8}, Row{300, 3, 8},
                         Row{350, 3, 4}, Row{399, 3, 1}}) {
    SCOPED_TRACE(row.at);
    StepAt(kStart + row.at);
    EXPECT_EQ(rast->Query({}), row.state);
    EXPECT_EQ(rast->LastLevel(), row.level);
  }
  const uint32_t handle = rast->Handle();
  StepAt(kStart + 400);
  EXPECT_FALSE(list_.Contains(handle));
  EXPECT_EQ(slot_, nullptr);
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);  // the plain background again
}

TEST_F(BackgroundWaveTest, StopDuringTheFadeInFadesOutFromTheLevelReached) {
  auto* rast = Start<BgRastAction>({.first = 8, .fadeIn = 100, .fadeOut = 100});
  StepAt(kStart);
  StepAt(kStart + 50);
  EXPECT_EQ(rast->LastLevel(), 4);
  EXPECT_EQ(rast->Control({}), 0);
  EXPECT_EQ(rast->Query({}), BackgroundWaveAction::kStopRequested);
  EXPECT_EQ(rast->Control({}), 1);  // already asked
  StepAt(kStart + 60);
  EXPECT_EQ(rast->Query({}), BackgroundWaveAction::kFadingOut);
  EXPECT_EQ(rast->LastLevel(), 4);
  StepAt(kStart + 110);
  EXPECT_EQ(rast->LastLevel(), 2);
  EXPECT_EQ(rast->Control({}), 1);
}

TEST_F(BackgroundWaveTest, AnUnchangedPhaseAndLevelIsNotRedrawn) {
  auto* rast = Start<BgRastAction>({.first = 2, .period = 1000000});
  StepAt(kStart);
  Surface& copy = *layer_.Canvas().BackCopy();
  test::Pixel32(copy, 0, 1) = 0xFFABCDEFu;
  StepAt(kStart + 1);  // phase 0 still, full level
  EXPECT_EQ(test::Pixel32(copy, 0, 1), 0xFFABCDEFu);
  StepAt(kStart + 2000);  // phase 1
  EXPECT_EQ(rast->LastPhase(), 1);
  EXPECT_NE(test::Pixel32(copy, 0, 1), 0xFFABCDEFu);
}

TEST_F(BackgroundWaveTest, RastShiftsEveryRowByTheSineTableWithAndWithoutFill) {
  for (bool fill : {false, true}) {
    SCOPED_TRACE(fill);
    TestBackgroundLayer layer(kW, kH);
    ShowPicture(layer.Canvas(), picture_.get(), 2, 1);
    auto* rast = Start<BgRastAction>({.first = 3, .fill = fill}, &layer);
    StepAt(kStart);
    for (int r = 0; r < kH; ++r)
      for (int c = 0; c < kW; ++c)
        ASSERT_EQ(CopyPixel(layer.Canvas(), c, r), ExpectedRast(c, r, 3, fill)) << c << "," << r;
    list_.Stop(rast->Handle());
  }
}

TEST_F(BackgroundWaveTest, OffsetsOutsideThePictureAreClampedAndHugeShiftsFillTheRow) {
  layer_.Canvas().SetBackgroundOffsets(-5, 100);
  // Wavelength and period 0 act as 1; the amplitude is far wider than a row.
  Start<BgRastAction>({.first = 1000, .second = 0, .period = 0});
  StepAt(kStart);
  StepAt(kStart + 7);
  // With one line per wave every row sits at angle 0: no shift; the source
  // is held to the picture's bottom-left corner.
  for (int r = 0; r < kH; ++r)
    for (int c = 0; c < kW; ++c) ASSERT_EQ(CopyPixel(layer_.Canvas(), c, r), PicturePixel(c, 2 + r));
  ShowPicture(other_.Canvas(), picture_.get());
  Start<BgRastAction>({.first = 1000}, &other_);
  StepAt(kStart + 8);
  EXPECT_EQ(CopyPixel(other_.Canvas(), 0, 0), PicturePixel(0, 0));  // sine 0
  for (int c = 0; c < kW; ++c) EXPECT_EQ(CopyPixel(other_.Canvas(), c, 1), kFill);
}

TEST_F(BackgroundWaveTest, CopyStateCarriesARunningWaveToAnotherLayer) {
  auto* first = Start<BgRastAction>({.first = 3, .period = 400, .fadeIn = 100});
  StepAt(kStart);
  StepAt(kStart + 150);
  ShowPicture(other_.Canvas(), picture_.get(), 2, 1);
  auto* second = Start<BgRastAction>({.first = 1, .period = 9}, &other_);
  BgRastAction unset;
  EXPECT_EQ(second->CopyState(nullptr), 1);
  EXPECT_EQ(unset.CopyState(first), 2);
  BgHazeAction haze;
  EXPECT_EQ(second->CopyState(&haze), 1);
  ASSERT_EQ(second->CopyState(first), 0);
  EXPECT_EQ(second->GetState(), first->GetState());
  EXPECT_EQ(second->Amplitude(), 3);
  EXPECT_EQ(second->LastPhase(), -1);  // drawn afresh
  StepAt(kStart + 250);
  EXPECT_EQ(second->LastPhase(), first->LastPhase());
  EXPECT_EQ(second->LastLevel(), first->LastLevel());
}

TEST_F(BackgroundWaveTest, ASecondActionOnAHeldWorkCopyIsRefusedAndTheFirstRunsOn) {
  auto* first = Start<BgRastAction>({.first = 2});
  Surface* copy = layer_.Canvas().BackCopy();
  BgHazeAction haze;
  EXPECT_EQ(Setup(&haze, {.first = "(1,0,2)"}), 3);
  EXPECT_EQ(layer_.Canvas().BackCopy(), copy);
  EXPECT_TRUE(list_.Contains(first->Handle()));
  StepAt(kStart);
  EXPECT_EQ(first->LastLevel(), 2);
}

TEST_F(BackgroundWaveTest, APictureChangedUnderARunningWaveIsNeitherOverrunNorItsNewCopyReleased) {
  auto* rast = Start<BgRastAction>({.first = 2});
  StepAt(kStart);
  // A smaller picture drops the work copy; another user makes a new one.
  auto small = MakePicture(kW / 2, kH / 2);
  layer_.Canvas().SetBackgroundImage(small.get(), 0, 0, 0);
  ASSERT_EQ(layer_.Canvas().CreateBackgroundCopy(0), 0);
  Surface* theirs = layer_.Canvas().BackCopy();
  test::Pixel32(*theirs, 0, 0) = 0xFFABCDEFu;
  StepAt(kStart + 100);
  EXPECT_EQ(test::Pixel32(*theirs, 0, 0), 0xFFABCDEFu);
  list_.Stop(rast->Handle());
  EXPECT_EQ(layer_.Canvas().BackCopy(), theirs);
  layer_.Canvas().ReleaseBackCopy();
}

TEST_F(BackgroundWaveTest, StoppingThroughTheTimerListEndsAtOnce) {
  auto* rast = Start<BgRastAction>({.first = 2, .fadeOut = 1000});
  Hold(rast);
  StepAt(kStart);
  ASSERT_TRUE(list_.Stop(rast->Handle()));
  EXPECT_EQ(slot_, nullptr);
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
  StepAt(kStart + 1);
  EXPECT_EQ(list_.Size(), 0u);
}

TEST_F(BackgroundWaveTest, HazeProfileIsTheMeanOfItsCosineTerms) {
  std::vector<int32_t> profile;
  // Positions step 64 of 512 per entry; cos 64 is 46340 / 65536 in the
  // table, and the terms (2^32 at entry 0) overflow 32 bits.
  ASSERT_TRUE(BuildHazeProfile("(1,0,65536)(2,128,32768)", 8, &profile));
  EXPECT_EQ(profile, (std::vector<int32_t>{32768, 6786, 0, -6786, -32768, -39554, 0, 39554}));
  ASSERT_TRUE(BuildHazeProfile("(1,0,2)", 4, &profile));
  EXPECT_EQ(profile, (std::vector<int32_t>{2, 0, -2, 0}));
  // A double-byte character whose trail byte is "(" opens no group.
  EXPECT_FALSE(BuildHazeProfile("\x81(", 4, &profile));
}

TEST_F(BackgroundWaveTest, HazeMovesEachRowDiagonallyAndPeriodZeroActsAsOneMs) {
  for (bool fill : {false, true}) {
    SCOPED_TRACE(fill);
    TestBackgroundLayer layer(kW, kH);
    ShowPicture(layer.Canvas(), picture_.get(), 2, 1);
    auto* haze = Start<BgHazeAction>(
        {.first = "(1,0,2)", .second = 4, .period = 0, .fill = fill}, &layer);
    StepAt(kStart);
    StepAt(kStart + 3);  // start index 0 at every tick
    EXPECT_EQ(haze->LastPhase(), 0);
    const int d[4] = {2, 0, -2, 0};
    for (int r = 0; r < kH; ++r)
      for (int c = 0; c < kW; ++c) {
        const int sc = c + d[r], sr = r + d[r];
        const bool inside = sc >= 0 && sc < kW && sr >= 0 && sr < kH;
        const uint32_t expected = inside ? PicturePixel(2 + sc, 1 + sr) : fill ? kFill : PicturePixel(2 + c, 1 + r);
        ASSERT_EQ(CopyPixel(layer.Canvas(), c, r), expected) << c << "," << r;
      }
    list_.Stop(haze->Handle());
  }
  // The large profile moves its rows off the copy (filled); rows whose
  // entry is 0 stay where they are.
  auto* big =
      Start<BgHazeAction>({.first = "(1,0,65536)(2,128,32768)", .second = 8});
  StepAt(kStart + 10);
  for (int r = 0; r < kH; ++r)
    for (int c = 0; c < kW; ++c)
      ASSERT_EQ(CopyPixel(layer_.Canvas(), c, r), r == 2 ? PicturePixel(2 + c, 1 + r) : kFill) << c << "," << r;
  list_.Stop(big->Handle());
}

}  // namespace
}  // namespace orrivel
