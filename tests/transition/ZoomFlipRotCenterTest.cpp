// The zoomflip and rotcenter screen filters: the squeeze from each edge,
// the zoom through the centre with and without its trail, the spin in and
// out, the trail that draws only when the progress moves, set-up codes and
// bands that join without a seam.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "NamedTransitionFixture.h"
#include "transition/RotCenterFilter.h"
#include "transition/ZoomFlipFilter.h"

namespace orrivel {
namespace {

constexpr int kW = 40, kH = 24;
constexpr uint32_t kOld = 0xFFC00000u;  // the from-picture, when made solid
constexpr uint32_t kNew = 0xFF0000C0u;  // the to-picture, when made solid

using named_test::At;
using named_test::PictureOf;
using SizedTarget = named_test::SizedTarget;

class ZoomFlipRotCenterTest : public named_test::NamedTransitionFixture {
 protected:
  ZoomFlipRotCenterTest() : NamedTransitionFixture(kW, kH, 11) {}

  static void Fill(Surface& s, uint32_t (*colour)(int, int)) {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) At(s, x, y) = colour(x, y);
  }
  void MakeSolid() {
    Fill(from, [](int, int) { return kOld; });
    Fill(to, [](int, int) { return kNew; });
  }
  // The transition after its first update and one at `at` ms of 1000.
  template <typename T>
  HeldPtr<T> At1000(const char* name, std::vector<ObjectArgument> args, uint32_t at) {
    auto t = Make<T>(name, args);
    EXPECT_NE(t, nullptr);
    if (t != nullptr) {
      t->Update(0);
      t->Update(at);
    }
    return t;
  }
};

TEST_F(ZoomFlipRotCenterTest, ZoomFlipSqueezesTheOldPictureAwayFromEachEdge) {
  MakeSolid();
  struct Case {
    int mode;
    uint32_t maximum;
    // Whether (x, y) shows the new picture at a quarter of the time.
    bool (*showsNew)(int x, int y);
  };
  const Case cases[] = {
      {0, kW, [](int x, int) { return x < kW / 4; }},
      {1, kH, [](int, int y) { return y < kH / 4; }},
      {2, kW, [](int x, int) { return x >= kW - kW / 4; }},
      {3, kH, [](int, int y) { return y >= kH - kH / 4; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    auto flip = At1000<ZoomFlipFilter>("zoomflip", {1000, c.mode, 0}, 250);
    ASSERT_NE(flip, nullptr);
    EXPECT_EQ(flip->Maximum(), c.maximum);
    Draw(*flip, kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) ASSERT_EQ(At(destination, x, y), c.showsNew(x, y) ? kNew : kOld) << x << "," << y;
  }
}

TEST_F(ZoomFlipRotCenterTest, ZoomFlipShowsOnlyTheOldPictureAtTheStartAndOnlyTheNewAtTheEnd) {
  for (int mode : {0, 1, 2, 3, 4, 6}) {
    SCOPED_TRACE(mode);
    auto flip = Make<ZoomFlipFilter>("zoomflip", {1000, mode, 0});
    ASSERT_NE(flip, nullptr);
    flip->Update(0);
    if (mode != 6) {  // mode 6 starts from nothing over the old picture
      Draw(*flip, kH);
      EXPECT_EQ(Picture(), PictureOf(from));
    }
    flip->Update(1000);
    EXPECT_EQ(flip->IsFinished(), -1);
    Draw(*flip, kH);
    EXPECT_EQ(Picture(), PictureOf(to));
  }
}

TEST_F(ZoomFlipRotCenterTest, ZoomFlipZoomsThroughTheCentre) {
  MakeSolid();
  const std::vector<uint32_t> before = Picture();
  // Mode 4 at a quarter: the old picture at half size in the middle; the
  // rest of the screen is left as it was.
  auto zoom = At1000<ZoomFlipFilter>("zoomflip", {1000, 4, 0}, 250);
  EXPECT_EQ(zoom->Maximum(), 512u);
  Draw(*zoom, kH);
  EXPECT_EQ(At(destination, kW / 2, kH / 2), kOld);
  EXPECT_EQ(At(destination, kW / 4, kH / 4), kOld);
  EXPECT_EQ(At(destination, kW / 4 - 1, kH / 4), before[kH / 4 * kW + kW / 4 - 1]);
  // At three quarters the new picture, half size.
  zoom->Update(750);
  Draw(*zoom, kH);
  EXPECT_EQ(At(destination, kW / 2, kH / 2), kNew);
  EXPECT_EQ(At(destination, kW / 4 - 1, kH / 4), before[kH / 4 * kW + kW / 4 - 1]);

  // Mode 6 at half time: the new picture at half size and half opacity
  // over a copy of the old one.
  auto over = At1000<ZoomFlipFilter>("zoomflip", {1000, 6, 0}, 500);
  EXPECT_EQ(over->Maximum(), 256u);
  Draw(*over, kH);
  EXPECT_EQ(At(destination, 0, 0), kOld);
  const uint32_t middle = At(destination, kW / 2, kH / 2);
  EXPECT_NEAR(int(middle >> 16 & 0xFF), 0xC0 / 2, 2);
  EXPECT_NEAR(int(middle & 0xFF), 0xC0 / 2, 2);
}

TEST_F(ZoomFlipRotCenterTest, TrailsDrawOnlyWhenTheProgressMovesAndFaintlyAfterTheFirstFrame) {
  MakeSolid();
  struct Case {
    const char* name;
    std::vector<ObjectArgument> args;
    int level;  // of a later frame
  };
  const Case cases[] = {{"zoomflip", {1000, 5, 0}, 8}, {"rotcenter", {1000, 2, 0}, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(destination, [](int, int) { return 0xFF000000u; });
    auto t = Make(c.name, c.args);
    ASSERT_NE(t, nullptr);
    t->Update(0);
    Draw(*t, kH);
    const std::vector<uint32_t> first = Picture();
    t->Update(0);  // no progress: nothing is drawn
    Draw(*t, kH);
    EXPECT_EQ(Picture(), first);
    // Zoomflip: the old picture at a later scale; rotcenter: the new one.
    t->Update(strcmp(c.name, "zoomflip") == 0 ? 100 : 900);
    Fill(destination, [](int, int) { return 0xFF000000u; });
    Draw(*t, kH);
    const uint32_t middle = At(destination, kW / 2, kH / 2);
    const uint32_t drawn = strcmp(c.name, "zoomflip") == 0 ? kOld : kNew;
    const int channel = strcmp(c.name, "zoomflip") == 0 ? 16 : 0;
    EXPECT_NEAR(int(middle >> channel & 0xFF), int(drawn >> channel & 0xFF) * c.level / 255, 1);
  }
}

TEST_F(ZoomFlipRotCenterTest, RotCenterSpinsTheNewPictureInAndTheOldOneOut) {
  // The new picture in four quarters of their own colour.
  Fill(to, [](int x, int y) { return 0xFF000000u | uint32_t(x < kW / 2) << 8 | uint32_t(y < kH / 2) << 4 | 1u; });
  Fill(from, [](int, int) { return kOld; });
  const auto quarter = [](bool left, bool top) {
    return 0xFF000000u | uint32_t(left) << 8 | uint32_t(top) << 4 | 1u;
  };
  auto spin = At1000<RotCenterFilter>("rotcenter", {1000, 0, 0}, 0);
  Draw(*spin, kH);
  EXPECT_EQ(Picture(), PictureOf(from));
  // Half way: half size, upside down, in the middle over the old picture.
  spin->Update(500);
  Draw(*spin, kH);
  EXPECT_EQ(At(destination, 0, 0), kOld);
  EXPECT_EQ(At(destination, kW / 2 - kW / 8, kH / 2 - kH / 8), quarter(false, false));
  EXPECT_EQ(At(destination, kW / 2 + kW / 8, kH / 2 + kH / 8), quarter(true, true));
  spin->Update(1000);
  EXPECT_EQ(spin->IsFinished(), -1);
  Draw(*spin, kH);
  EXPECT_EQ(Picture(), PictureOf(to));

  // Direction 1 turns the old picture out over the new one.
  auto out = At1000<RotCenterFilter>("rotcenter", {1000, 1, 0}, 0);
  Draw(*out, kH);
  EXPECT_EQ(Picture(), PictureOf(from));
  out->Update(1000);
  Draw(*out, kH);
  EXPECT_EQ(Picture(), PictureOf(to));
}

TEST_F(ZoomFlipRotCenterTest, SetupCodes) {
  SizedTarget shallow{kW, kH, 16};
  for (const char* name : {"zoomflip", "rotcenter"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Make(name, {0, 0, 0}), nullptr);
    EXPECT_EQ(Make(name, {1000, 0, 0}, &shallow), nullptr);
    EXPECT_EQ(Make(name, {1000, 0, 0})->GetCategory(), 1);
  }
  const ObjectArgument none[] = {0};
  EXPECT_EQ(ZoomFlipFilter().SetupV(static_cast<TransitionTarget*>(&target), {none, 1}), 1);
  EXPECT_EQ(RotCenterFilter().SetupV(static_cast<TransitionTarget*>(&shallow), {none + 0, 0}), 1);
  const ObjectArgument args[] = {1000, 0, 0};
  EXPECT_EQ(ZoomFlipFilter().SetupV(static_cast<TransitionTarget*>(&shallow), {args, 3}), 2);
  MathTables* published = SetMathTables(nullptr);
  EXPECT_EQ(RotCenterFilter().SetupV(static_cast<TransitionTarget*>(&target), {args, 3}),
            RotCenterFilter::kSetupNoTables);
  SetMathTables(published);
  // A from-picture narrower than the target is squeezed no further than
  // its own width: nothing negative is drawn.
  Surface narrow;
  ASSERT_EQ(narrow.Create(kW / 2, kH, 32, 0), 0);
  auto flip = At1000<ZoomFlipFilter>("zoomflip", {1000, 0, 0}, 900);
  EXPECT_EQ(flip->Apply({0, 0, kW, kH, &destination, 0, 0, &narrow, 0, 0, &to, 0, 0}), 0);
}

TEST_F(ZoomFlipRotCenterTest, BandsDrawTheSamePictureAsOneBand) {
  struct Case {
    const char* name;
    std::vector<ObjectArgument> args;
    uint32_t at;
  };
  const std::vector<Case> cases = {
      {"zoomflip", {1000, 0, 0}, 300},  {"zoomflip", {1000, 3, 1}, 600}, {"zoomflip", {1000, 4, 1}, 700},
      {"zoomflip", {1000, 5, 0}, 300},  {"zoomflip", {1000, 6, 1}, 400}, {"rotcenter", {1000, 0, 0}, 300},
      {"rotcenter", {1000, 1, 0}, 650}, {"rotcenter", {1000, 2, 0}, 420},
  };
  const std::vector<uint32_t> start = Picture();
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.name << " " << c.args[1].Number() << " at " << c.at);
    std::vector<std::vector<uint32_t>> pictures;
    for (int bandHeight : {kH, 1, 5}) {
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) At(destination, x, y) = start[size_t(y) * kW + x];
      auto t = Make(c.name, c.args);
      ASSERT_NE(t, nullptr);
      t->Update(0);
      t->Update(c.at);
      Draw(*t, bandHeight);
      pictures.push_back(Picture());
    }
    EXPECT_EQ(pictures[1], pictures[0]);
    EXPECT_EQ(pictures[2], pictures[0]);
    EXPECT_NE(pictures[0], start);
  }
}

}  // namespace
}  // namespace orrivel
