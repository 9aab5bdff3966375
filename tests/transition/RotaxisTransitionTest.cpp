// Rotaxis: the full picture at the ends, edge-on at half way, black where
// nothing is drawn, the refusal of a destination of another kind, and bands.
#include <gtest/gtest.h>

#include <vector>

#include "NamedTransitionFixture.h"
#include "raster/PixelBuffer.h"
#include "transition/RotaxisTransition.h"

namespace orrivel {
namespace {

constexpr int kW = 48, kH = 32;

using named_test::At;
using named_test::PictureOf;

class RotaxisTest : public named_test::NamedTransitionFixture {
 protected:
  RotaxisTest() : NamedTransitionFixture(kW, kH, 6) {}
  HeldPtr<RotaxisTransition> Make(std::vector<ObjectArgument> args) {
    return NamedTransitionFixture::Make<RotaxisTransition>("rotaxis", std::move(args));
  }
};

TEST_F(RotaxisTest, FullPictureAtTheEndsAndEdgeOnHalfWay) {
  for (int axis : {0, 1, 2, 3}) {
    auto t = Make({1024, axis});
    ASSERT_NE(t, nullptr);
    t->Update(0);
    Draw(*t, kH);
    EXPECT_EQ(Picture(), PictureOf(from)) << axis;
    t->Update(512);
    EXPECT_EQ(t->Progress(), 128u);
    Draw(*t, kH);
    int black = 0;
    for (uint32_t p : Picture()) black += (p & 0xFFFFFF) == 0;
    EXPECT_GT(black, kW * kH * 9 / 10) << axis;
    t->Update(1024);
    EXPECT_EQ(t->IsFinished(), -1);
    Draw(*t, kH);
    EXPECT_EQ(Picture(), PictureOf(to)) << axis;
  }
}

TEST_F(RotaxisTest, BandsDrawTheSamePictureAndOtherDestinationsAreRefused) {
  for (uint32_t at : {200u, 700u}) {
    std::vector<std::vector<uint32_t>> pictures;
    for (int bandHeight : {kH, 1, 5}) {
      auto t = Make({1024, 1});
      t->Update(0);
      t->Update(at);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) At(destination, x, y) = 0xFFFFFFFFu;
      for (int32_t result : Draw(*t, bandHeight)) EXPECT_EQ(result, 0);
      pictures.push_back(Picture());
    }
    EXPECT_EQ(pictures[1], pictures[0]) << at;
    EXPECT_EQ(pictures[2], pictures[0]) << at;
    // Turned part way: black strips and parts of the picture both show.
    int black = 0;
    for (uint32_t p : pictures[0]) black += (p & 0xFFFFFF) == 0;
    EXPECT_GT(black, 0);
    EXPECT_LT(black, kW * kH / 2);
  }
  auto t = Make({1024, 0});
  t->Update(0);
  t->Update(300);
  PixelBuffer other;
  EXPECT_EQ(Draw(*t, 8, &other), std::vector<int32_t>(4, 1));
  // Without the math tables the set-up is refused with 5.
  SetMathTables(nullptr);
  const ObjectArgument args[] = {1000, 0};
  EXPECT_EQ(RotaxisTransition().SetupV(static_cast<TransitionTarget*>(&target), {args, 2}), 5);
}

}  // namespace
}  // namespace orrivel
