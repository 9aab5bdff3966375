// Mosaic and addsub: block grids by anchor, the switch at half time, the
// saturating brightening and darkening, set-up refusals and bands.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "NamedTransitionFixture.h"
#include "transition/AddSubFilter.h"
#include "transition/MosaicTransition.h"

namespace orrivel {
namespace {

constexpr int kW = 30, kH = 21;

using named_test::At;
using named_test::PictureOf;
using SizedTarget = named_test::SizedTarget;

class MosaicAddSubTest : public named_test::NamedTransitionFixture {
 protected:
  MosaicAddSubTest() : NamedTransitionFixture(kW, kH, 4) {}
};

int BlockStart(int v, int first, int block) { return v < first ? 0 : first + (v - first) / block * block; }

TEST_F(MosaicAddSubTest, MosaicBlocksFollowTheAnchorAndSwitchPicturesAtHalfTime) {
  struct Case {
    int anchor, firstX, firstY;
  };
  // 30 x 21 in blocks of 8: centred, from the top left, ending at the
  // right, ending at the bottom, ending at both.
  const Case cases[] = {{0, 3, 6}, {1, 8, 8}, {2, 6, 8}, {3, 8, 5}, {4, 6, 5}, {9, 3, 6}};
  for (const Case& c : cases) {
    auto t = Make("mosaic", {1000, c.anchor, 8, 0});
    ASSERT_NE(t, nullptr);
    t->Update(0);
    t->Update(440);  // progress 7: blocks of 7 from the from-picture
    EXPECT_EQ(static_cast<MosaicTransition*>(t.get())->BlockSize(), 7u);
    t->Update(500);  // progress 8: blocks of 8 from the to-picture
    EXPECT_EQ(static_cast<MosaicTransition*>(t.get())->BlockSize(), 8u);
    Draw(*t, 4);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        ASSERT_EQ(At(destination, x, y),
                  At(to, BlockStart(x, c.firstX, 8), BlockStart(y, c.firstY, 8)))
            << "anchor " << c.anchor << " at " << x << "," << y;
    EXPECT_EQ(t->IsFinished(), 0);
    t->Update(1000);
    EXPECT_EQ(t->IsFinished(), -1);
    Draw(*t, kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) ASSERT_EQ(At(destination, x, y), At(to, x, y));
  }
  // Before half time the from-picture is coarsened.
  auto t = Make("mosaic", {1000, 1, 8, 0});
  t->Update(0);
  t->Update(440);
  Draw(*t, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(At(destination, x, y), At(from, x / 7 * 7, y / 7 * 7));
}

TEST_F(MosaicAddSubTest, AddSubBrightensAndDarkensWithSaturation) {
  struct Case {
    int mode;
    bool fromSide;
    int add;  // per channel, negative subtracts
  };
  const Case cases[] = {{0, true, 200}, {1, false, 55}, {2, true, -200}, {3, false, -55}};
  for (const Case& c : cases) {
    auto t = Make("addsub", {255, c.mode});
    ASSERT_NE(t, nullptr);
    t->Update(10);
    t->Update(210);
    EXPECT_EQ(static_cast<AddSubFilter*>(t.get())->Progress(), 200);
    Draw(*t, 6);
    Surface& source = c.fromSide ? from : to;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        for (int shift : {0, 8, 16}) {
          const int before = int(At(source, x, y) >> shift & 0xFF);
          ASSERT_EQ(int(At(destination, x, y) >> shift & 0xFF), std::clamp(before + c.add, 0, 255))
              << "mode " << c.mode;
        }
    t->Update(265);
    EXPECT_EQ(t->IsFinished(), -1);
    Draw(*t, kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) ASSERT_EQ(At(destination, x, y), At(to, x, y));
  }
}

TEST_F(MosaicAddSubTest, SetupRefusalsAndCategories) {
  SizedTarget shallow{kW, kH, 16};
  EXPECT_EQ(Make("mosaic", {0, 0, 8, 0}), nullptr);
  EXPECT_EQ(Make("mosaic", {1000, 0, 8, 0}, &shallow), nullptr);
  EXPECT_EQ(Make("addsub", {0, 0}), nullptr);
  EXPECT_EQ(Make("addsub", {1000, 0}, &shallow), nullptr);
  const ObjectArgument one[] = {1000};
  EXPECT_EQ(AddSubFilter().SetupV(0, {one, 1}), 1);
  EXPECT_EQ(MosaicTransition().SetupV(static_cast<TransitionTarget*>(&shallow), {one, 1}), 2);
  EXPECT_EQ(Make("mosaic", {1000})->GetCategory(), 1);
  EXPECT_EQ(Make("addsub", {1000})->GetCategory(), 0);
  // A block size below 1 is 1: the picture is never coarsened.
  auto fine = Make("mosaic", {1000, 0, -3, 0});
  fine->Update(0);
  fine->Update(600);
  Draw(*fine, kH);
  EXPECT_EQ(Picture(), PictureOf(to));
}

TEST_F(MosaicAddSubTest, BandsDrawTheSamePictureAsOneBand) {
  struct Case {
    const char* name;
    std::vector<ObjectArgument> args;
    uint32_t at;
  };
  const std::vector<Case> cases = {{"mosaic", {1000, 0, 8, 0}, 300},
                                   {"mosaic", {1000, 4, 6, 1}, 800},
                                   {"mosaic", {1000, 2, 5, 1}, 200},
                                   {"addsub", {1000, 1}, 300}};
  for (const Case& c : cases) {
    std::vector<std::vector<uint32_t>> pictures;
    for (int bandHeight : {kH, 1, 5}) {
      auto t = Make(c.name, c.args);
      ASSERT_NE(t, nullptr);
      t->Update(0);
      t->Update(c.at);
      Draw(*t, bandHeight);
      pictures.push_back(Picture());
    }
    EXPECT_EQ(pictures[1], pictures[0]) << c.name;
    EXPECT_EQ(pictures[2], pictures[0]) << c.name;
  }
}

}  // namespace
}  // namespace orrivel
