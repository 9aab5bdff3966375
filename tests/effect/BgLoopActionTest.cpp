// bg_loop and bg_cross: whole loops and cycles, seamless wrapping, stops
// that play the period out, and frozen or live pictures.
#include "effect/BgLoopAction.h"

#include <gtest/gtest.h>

#include <memory>

#include "BackgroundTestRig.h"
#include "effect/BgCrossAction.h"

namespace orrivel {
namespace {

using testing::CopyPixel;
using testing::MakePicture;
using testing::PicturePixel;
using testing::TestBackgroundLayer;

class BgLoopTest : public testing::BackgroundTest {
 protected:
  static constexpr int kW = 8;
  static constexpr int kH = 4;

  BgLoopAction* StartLoop(int32_t direction, int32_t period, int32_t loops) {
    auto* loop = new BgLoopAction();
    EXPECT_EQ(loop->Setup(&list_, &layer_, {direction, period, loops, 0}), 0);
    Hold(loop);
    return loop;
  }

  TestBackgroundLayer layer_{kW, kH};
};

TEST_F(BgLoopTest, OneLoopScrollsOnePictureLengthWrappingEveryColumnAndEnds) {
  auto picture = MakePicture(kW, kH);  // exactly as wide as the screen
  ShowPicture(layer_.Canvas(), picture.get());
  for (int32_t direction : {0, 1}) {
    SCOPED_TRACE(direction);
    auto* loop = StartLoop(direction, kW, 1);
    const uint32_t start = kStart + uint32_t(direction) * 100;
    for (int e = 0; e < kW; ++e) {
      StepAt(start + uint32_t(e));
      ASSERT_EQ(loop->LastOffset(), e);
      const int from = direction == 0 ? e : kW - e;
      for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) ASSERT_EQ(CopyPixel(layer_.Canvas(), c, r), PicturePixel((from + c) % kW, r));
    }
    StepAt(start + kW);
    EXPECT_EQ(slot_, nullptr);
    EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
  }
}

TEST_F(BgLoopTest, VerticalLoopWrapsRowsAndAStopEndsAtTheEndOfTheLoop) {
  auto picture = MakePicture(kW + 4, 6);
  ShowPicture(layer_.Canvas(), picture.get(), 3, 0);
  auto* loop = StartLoop(2, 60, 0);
  StepAt(kStart);
  StepAt(kStart + 40);  // offset 4 of 6
  for (int r = 0; r < kH; ++r)
    for (int c = 0; c < kW; ++c) ASSERT_EQ(CopyPixel(layer_.Canvas(), c, r), PicturePixel(3 + c, (4 + r) % 6));
  EXPECT_EQ(loop->Control({1}), 0);  // ignored
  StepAt(kStart + 70);
  ASSERT_NE(slot_, nullptr);
  EXPECT_EQ(loop->Control({0}), 0);
  StepAt(kStart + 110);
  ASSERT_NE(slot_, nullptr);
  StepAt(kStart + 120);
  EXPECT_EQ(slot_, nullptr);
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
}

TEST_F(BgLoopTest, CountedLoopsCountEveryPeriodALateStepPassed) {
  auto picture = MakePicture(kW, kH);
  ShowPicture(layer_.Canvas(), picture.get());
  StartLoop(0, 10, 3);
  StepAt(kStart);
  StepAt(kStart + 25);  // two loops passed in one step
  ASSERT_NE(slot_, nullptr);
  StepAt(kStart + 30);
  EXPECT_EQ(slot_, nullptr);
}

class BgCrossTest : public testing::BackgroundTest {
 protected:
  static constexpr int kW = 4;
  static constexpr int kH = 2;
  static constexpr uint32_t kFirst = 0xFF0000FFu;
  static constexpr uint32_t kSecond = 0xFFFF0000u;

  void SetUp() override {
    BackgroundTest::SetUp();
    first_ = test::MakeSolid32(kW, kH, kFirst);
    second_ = test::MakeSolid32(kW, kH, kSecond);
    ShowPicture(layer_.Canvas(), first_.get());
    ShowPicture(layer_.Second(), second_.get());
  }
  BgCrossAction* StartCross(int32_t period, int32_t cycles, int32_t mode, bool exchange = false) {
    auto* cross = new BgCrossAction();
    EXPECT_EQ(cross->Setup(&list_, &layer_, {period, cycles, mode, exchange, 0}), 0);
    Hold(cross);
    return cross;
  }
  uint32_t Shown(SpriteCanvas& canvas) { return CopyPixel(canvas, kW - 1, kH - 1); }

  TestBackgroundLayer layer_{kW, kH};
  std::unique_ptr<Surface> first_, second_;
};

TEST_F(BgCrossTest, ACycleFadesToTheSecondPictureAndBackToTheFirst) {
  StartCross(510, 2, BgCrossAction::kBothLive);
  EXPECT_EQ(Shown(layer_.Canvas()), kFirst);
  StepAt(kStart);
  StepAt(kStart + 255);
  EXPECT_EQ(Shown(layer_.Canvas()), kSecond);
  StepAt(kStart + 382);  // level 128: 255 × 128 ÷ 255 and 255 × 127 ÷ 255
  EXPECT_EQ(Shown(layer_.Canvas()), 0xFF80007Fu);
  StepAt(kStart + 510);  // the second cycle begins where the first began
  EXPECT_EQ(Shown(layer_.Canvas()), kFirst);
  StepAt(kStart + 1020);
  EXPECT_EQ(slot_, nullptr);
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
}

TEST_F(BgCrossTest, AStopPlaysTheCycleOut) {
  auto* cross = StartCross(100, 0, BgCrossAction::kBothLive);
  StepAt(kStart);
  StepAt(kStart + 30);
  EXPECT_EQ(cross->Control({}), 0);
  StepAt(kStart + 99);
  ASSERT_NE(slot_, nullptr);
  EXPECT_EQ(cross->LastLevel(), 6);  // 99 × 510 ÷ 100 = 504, folded
  StepAt(kStart + 100);
  EXPECT_EQ(slot_, nullptr);
}

TEST_F(BgCrossTest, ModeOneFreezesTheSecondPictureAndModeZeroShowsItsChanges) {
  uint32_t at = kStart;
  for (uint8_t mode : {BgCrossAction::kSecondFrozen, BgCrossAction::kBothLive}) {
    SCOPED_TRACE(int(mode));
    second_->FillRect(kSecond, nullptr);
    auto* cross = StartCross(510, 0, mode);
    StepAt(at);
    second_->FillRect(0xFF00FF00u, nullptr);  // the second page changes
    StepAt(at + 255);
    at += 1000;
    EXPECT_EQ(Shown(layer_.Canvas()), mode == BgCrossAction::kSecondFrozen ? kSecond : 0xFF00FF00u);
    list_.Stop(cross->Handle());
  }
}

TEST_F(BgCrossTest, ExchangedRolesFadeTheSecondPageAndModeTwoFreezesItsPicture) {
  StartCross(510, 0, BgCrossAction::kFirstFrozen, true);
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
  ASSERT_NE(layer_.Second().BackCopy(), nullptr);
  EXPECT_EQ(Shown(layer_.Second()), kSecond);
  second_->FillRect(0xFF00FF00u, nullptr);
  StepAt(kStart);
  StepAt(kStart + 255);
  EXPECT_EQ(Shown(layer_.Second()), kFirst);
  StepAt(kStart + 509);  // level 1: almost the frozen picture
  EXPECT_EQ(Shown(layer_.Second()), 0xFFFE0001u);
}

}  // namespace
}  // namespace orrivel
