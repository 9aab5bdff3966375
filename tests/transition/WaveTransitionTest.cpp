// Wave: the amplitude swelling and subsiding, the end level and edge
// colour, the refusal without math tables, edge columns and bands.
#include <gtest/gtest.h>

#include <vector>

#include "NamedTransitionFixture.h"
#include "transition/WaveTransition.h"

namespace orrivel {
namespace {

constexpr int kW = 40, kH = 23;

using named_test::At;

class WaveTest : public named_test::NamedTransitionFixture {
 protected:
  WaveTest() : NamedTransitionFixture(kW, kH, 8) {}
  HeldPtr<WaveTransition> Make(std::vector<ObjectArgument> args) {
    return NamedTransitionFixture::Make<WaveTransition>("wave", std::move(args));
  }
};

TEST_F(WaveTest, AmplitudeSwellsToHalfTimeAndTheEndIsColourB) {
  for (int kind : {0, 1, 2, 3}) {
    auto t = Make({1000, kind, 12, 3000, std::intptr_t(0x80102030), std::intptr_t(0x00F0E0D0)});
    ASSERT_NE(t, nullptr);
    t->Update(100);
    EXPECT_EQ(t->Amplitude(), 0);
    EXPECT_EQ(t->Level(), 0u);
    EXPECT_EQ(t->EdgeColour(), 0x80102030u);
    t->Update(350);
    const int32_t quarter = t->Amplitude();
    t->Update(600);
    EXPECT_EQ(t->Amplitude(), 12) << kind;
    EXPECT_GT(12, quarter);
    EXPECT_GT(quarter, 0);
    EXPECT_EQ(t->IsFinished(), 0);
    t->Update(1100);
    EXPECT_EQ(t->Amplitude(), 0);
    EXPECT_EQ(t->Level(), 255u);
    EXPECT_EQ(t->IsFinished(), -1);
    EXPECT_EQ(t->EdgeColour(), 0x80F0E0D0u);  // colour B with colour A's alpha
  }
  // A duration below 2 is 2, not a refusal.
  EXPECT_NE(Make({0, 0, 5, 5, 0, 0}), nullptr);
}

TEST_F(WaveTest, WithoutMathTablesOrEntryTheSetupIsRefused) {
  SetMathTables(nullptr);
  EXPECT_EQ(Make({1000, 0, 5, 5, 0, 0}), nullptr);
  const ObjectArgument args[] = {1000, 0, 5, 5, 0, 0};
  EXPECT_EQ(WaveTransition().SetupV(static_cast<TransitionTarget*>(&target), {args, 6}), 5);
  EXPECT_EQ(WaveTransition().SetupV(0, {args, 6}), 1);
  SetMathTables(&tables);
  SetCurrentPixelOpLibrary(nullptr);
  EXPECT_EQ(WaveTransition().SetupV(static_cast<TransitionTarget*>(&target), {args, 6}), 2);
}

TEST_F(WaveTest, LinesShiftWithEdgeColourAndBandsMatchOneBand) {
  // Kind 3: a fixed phase step, so lines shift by different amounts.
  std::vector<std::vector<uint32_t>> pictures;
  for (int bandHeight : {kH, 1, 4}) {
    auto t = Make({1000, 3, 9, 1500, std::intptr_t(0xFF0000FF), std::intptr_t(0xFF00FF00)});
    t->Update(0);
    t->Update(500);
    Draw(*t, bandHeight);
    pictures.push_back(Picture());
  }
  EXPECT_EQ(pictures[1], pictures[0]);
  EXPECT_EQ(pictures[2], pictures[0]);
  // Each line is the blend shifted by some s: edge colour over |s| columns
  // at one side, the rest read s columns away.
  auto t = Make({1000, 3, 9, 1500, std::intptr_t(0xFF0000FF), std::intptr_t(0xFF00FF00)});
  t->Update(0);
  t->Update(500);
  const uint32_t edge = t->EdgeColour();
  int shifted = 0;
  for (int y = 0; y < kH; ++y) {
    int left = 0;
    while (left < kW && At(destination, left, y) == edge) ++left;
    int right = 0;
    while (right < kW && At(destination, kW - 1 - right, y) == edge) ++right;
    ASSERT_TRUE(left == 0 || right == 0) << y;
    ASSERT_LE(std::max(left, right), 9);
    if (left + right > 0) ++shifted;
  }
  EXPECT_GT(shifted, kH / 2);
}

}  // namespace
}  // namespace orrivel
