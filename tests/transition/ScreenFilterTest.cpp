// The quake and hblur screen filters: the endless and timed quakes, the
// random jolts on the larger axis, the uncovered edges, the blur that is
// widest in the middle, set-up codes and bands.
#include <gtest/gtest.h>

#include <vector>

#include "NamedTransitionFixture.h"
#include "base/SubtractiveRandom.h"
#include "transition/HBlurFilter.h"
#include "transition/QuakeFilter.h"

namespace orrivel {
namespace {

constexpr int kW = 36, kH = 22;

using named_test::At;
using Target = named_test::SizedTarget;

class ScreenFilterTest : public named_test::NamedTransitionFixture {
 protected:
  ScreenFilterTest() : NamedTransitionFixture(kW, kH, 5) {}
  void SetUp() override {
    ResetSharedRandom();
    SharedRandom().Seed(20261210);
    NamedTransitionFixture::SetUp();
  }
  void TearDown() override {
    NamedTransitionFixture::TearDown();
    ResetSharedRandom();
  }
  // Sum of the differences between horizontal neighbours: lower is blurrier.
  int64_t Sharpness() {
    int64_t sum = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 1; x < kW; ++x)
        for (int shift : {0, 8, 16})
          sum += std::abs(int(At(destination, x, y) >> shift & 0xFF) -
                          int(At(destination, x - 1, y) >> shift & 0xFF));
    return sum;
  }
};

TEST_F(ScreenFilterTest, EndlessQuakeSwingsForeverAndTimedQuakeEndsStill) {
  auto endless = Make<QuakeFilter>("quake", {500, 8, 4, 0, 0, 0});
  ASSERT_NE(endless, nullptr);
  EXPECT_EQ(endless->GetCategory(), 2);
  struct Probe {
    uint32_t at;
    int32_t x, y;
  };
  // One sine period per 500 ms: a quarter is the full amplitude, half is 0,
  // three quarters the full amplitude the other way.
  const Probe probes[] = {{0, 0, 0}, {125, 7, 3}, {375, -8, -4}, {499, 0, 0}};
  for (uint32_t period : {0u, 500u, 1000u, 100000u}) {
    for (const Probe& p : probes) {
      endless->Update(7000 + period + p.at);
      EXPECT_NEAR(endless->OffsetX(), p.x, 1) << period + p.at;
      EXPECT_NEAR(endless->OffsetY(), p.y, 1) << period + p.at;
      EXPECT_EQ(endless->IsFinished(), 0);
    }
  }
  auto timed = Make<QuakeFilter>("quake", {3, 10, 10, 600, 0, 0});
  ASSERT_NE(timed, nullptr);
  bool moved = false;
  for (uint32_t at = 0; at < 600; at += 37) {
    timed->Update(at);
    moved = moved || timed->OffsetX() != 0;
    EXPECT_EQ(timed->IsFinished(), 0);
  }
  EXPECT_TRUE(moved);
  timed->Update(600);
  EXPECT_EQ(timed->IsFinished(), -1);
  EXPECT_EQ(timed->OffsetX(), 0);
  EXPECT_EQ(timed->OffsetY(), 0);
}

TEST_F(ScreenFilterTest, RandomJoltsAlternateOnTheLargerAxis) {
  auto wide = Make<QuakeFilter>("quake", {0, 12, 3, 0, 0, 0});
  ASSERT_NE(wide, nullptr);
  for (int frame = 0; frame < 20; ++frame) {
    wide->Update(uint32_t(frame * 16));
    // Left on even frames, right on odd ones.
    EXPECT_GE(frame % 2 == 0 ? -wide->OffsetX() : wide->OffsetX(), 0) << frame;
    EXPECT_LE(std::abs(wide->OffsetY()), 2);
  }
  auto tall = Make<QuakeFilter>("quake", {0, 2, 9, 0, 0, 0});
  for (int frame = 0; frame < 10; ++frame) {
    tall->Update(uint32_t(frame * 16));
    EXPECT_GE(frame % 2 == 0 ? -tall->OffsetY() : tall->OffsetY(), 0) << frame;
  }
  // Equal amplitudes jitter about zero on both axes.
  auto even = Make<QuakeFilter>("quake", {0, 10, 10, 0, 0, 0});
  int negative = 0, positive = 0;
  for (int frame = 0; frame < 40; ++frame) {
    even->Update(uint32_t(frame));
    ASSERT_LE(std::abs(even->OffsetX()), 5);
    (even->OffsetX() < 0 ? negative : positive)++;
  }
  EXPECT_GT(negative, 5);
  EXPECT_GT(positive, 5);
}

TEST_F(ScreenFilterTest, QuakeShiftsThePictureAndFillsTheUncoveredEdges) {
  std::vector<std::vector<uint32_t>> pictures;
  for (int bandHeight : {kH, 1, 5}) {
    auto quake = Make<QuakeFilter>("quake", {500, 8, 4, 0, 0, 1});
    quake->Update(0);
    quake->Update(126);  // phase 128: offsets (8, 4) at the swing's peak
    ASSERT_EQ(quake->OffsetX(), 8);
    ASSERT_EQ(quake->OffsetY(), 4);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) At(destination, x, y) = 0xFFFFFFFFu;
    Draw(*quake, bandHeight);
    pictures.push_back(Picture());
  }
  EXPECT_EQ(pictures[1], pictures[0]);
  EXPECT_EQ(pictures[2], pictures[0]);
  // With bands the vertical move reads the rows above each band, so compare
  // the one-band picture with the shifted from-picture.
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const uint32_t got = pictures[0][size_t(y * kW + x)];
      if (x < 8 || y < 4)
        ASSERT_EQ(got & 0xFFFFFF, 0u) << x << "," << y;
      else
        ASSERT_EQ(got, At(from, x - 8, y - 4)) << x << "," << y;
    }
  // Set-up codes: any duration, a 32-bit target, a bound generator.
  Target shallow{kW, kH, 16};
  const ObjectArgument args[] = {0, 5, 5, 0, 0, 0};
  EXPECT_EQ(QuakeFilter().SetupV(static_cast<TransitionTarget*>(&shallow), {args, 6}), 2);
  EXPECT_EQ(QuakeFilter().SetupV(0, {args, 6}), 1);
  QuakeFilter::BindRandom(nullptr);
  EXPECT_EQ(QuakeFilter().SetupV(static_cast<TransitionTarget*>(&target), {args, 6}), 5);
  QuakeFilter::BindRandom(&RandomDraw);
  EXPECT_EQ(QuakeFilter().SetupV(static_cast<TransitionTarget*>(&target), {args, 6}), 0);
}

TEST_F(ScreenFilterTest, HBlurIsSharpestAtTheEndsAndWidestInTheMiddle) {
  auto t = Make<HBlurFilter>("hblur", {2100, 0, 10});
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetCategory(), 1);
  std::vector<int64_t> sharpness;
  t->Update(0);
  for (uint32_t p = 0; p <= 21; ++p) {
    t->Update(p * 100);
    ASSERT_EQ(t->Progress(), p);
    Draw(*t, 7);
    sharpness.push_back(Sharpness());
    if (p == 0 || p == 21) {
      std::vector<uint32_t> want;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) want.push_back(At(p == 0 ? from : to, x, y));
      EXPECT_EQ(Picture(), want) << p;
    }
  }
  EXPECT_EQ(t->IsFinished(), -1);
  for (size_t p = 1; p <= 10; ++p) EXPECT_LT(sharpness[p], sharpness[p - 1]) << p;
  for (size_t p = 12; p <= 21; ++p) EXPECT_GT(sharpness[p], sharpness[p - 1]) << p;
  // The blurred cross-fade starts on the from-picture and ends on the to.
  auto fade = Make<HBlurFilter>("hblur", {255, 1, 10});
  fade->Update(0);
  Draw(*fade, kH);
  EXPECT_EQ(Picture()[5], At(from, 5, 0));
  fade->Update(255);
  Draw(*fade, kH);
  EXPECT_EQ(Picture()[5] & 0xFFFFFF, At(to, 5, 0) & 0xFFFFFF);
  EXPECT_EQ(fade->IsFinished(), -1);
}

TEST_F(ScreenFilterTest, HBlurBandsAndSetupCodes) {
  for (std::vector<ObjectArgument> args : {std::vector<ObjectArgument>{1000, 0, 6},
                                          std::vector<ObjectArgument>{1000, 2, 40}}) {
    std::vector<std::vector<uint32_t>> pictures;
    for (int bandHeight : {kH, 1, 6}) {
      auto t = Make<HBlurFilter>("hblur", args);
      t->Update(0);
      t->Update(400);
      Draw(*t, bandHeight);
      pictures.push_back(Picture());
    }
    EXPECT_EQ(pictures[1], pictures[0]);
    EXPECT_EQ(pictures[2], pictures[0]);
  }
  Target shallow{kW, kH, 16};
  EXPECT_EQ(Make<HBlurFilter>("hblur", {0, 0, 5}), nullptr);
  EXPECT_EQ(Make<HBlurFilter>("hblur", {1000, 0, 5}, &shallow), nullptr);
  // Radius 0 is 1 (maximum 3), 200 is 127 (maximum 255).
  auto small = Make<HBlurFilter>("hblur", {300, 0, 0});
  small->Update(0);
  small->Update(300);
  EXPECT_EQ(small->Progress(), 3u);
  auto large = Make<HBlurFilter>("hblur", {255, 0, 200});
  large->Update(0);
  large->Update(255);
  EXPECT_EQ(large->Progress(), 255u);
}

}  // namespace
}  // namespace orrivel
