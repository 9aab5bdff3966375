// bg_panime: segments with their own durations, easings and courses, the
// excursions, looping, the end on the last entry, the query and the
// class-level entry.
#include "effect/BgPanimeAction.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "BackgroundTestRig.h"
#include "base/MathTables.h"
#include "effect/BuiltinEffects.h"
#include "effect/LayerObject.h"
#include "resource/DcpManager.h"
#include "scene/ImageSprite.h"

namespace orrivel {
namespace {

using testing::CopyPixel;
using testing::MakePicture;
using testing::PicturePixel;
using testing::TestBackgroundLayer;

ObjectArgument Text(const char* text) { return ObjectArgument(text); }

class BgPanimeTest : public testing::BackgroundTest {
 protected:
  static constexpr int kW = 32;
  static constexpr int kH = 24;
  static constexpr int32_t kOffsetOnly = BgPanimeAction::kOffsetOnly;

  void SetUp() override {
    BackgroundTest::SetUp();
    picture_ = MakePicture(200, 100);
    ShowPicture(layer_.Canvas(), picture_.get());
  }
  BgPanimeAction* Start(const char* path, int32_t duration, int32_t drawing = kOffsetOnly, bool loop = false) {
    auto* pan = new BgPanimeAction();
    EXPECT_EQ(pan->Setup(&list_, &layer_, {Text(path), duration, drawing, 0, 0, loop, 0}), 0);
    return pan;
  }
  std::pair<int32_t, int32_t> Offset() {
    int32_t x = 0, y = 0;
    layer_.Canvas().GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
    return {x, y};
  }

  TestBackgroundLayer layer_{kW, kH};
  std::unique_ptr<Surface> picture_;
};

TEST_F(BgPanimeTest, SegmentsTakeTheirOwnDurationsAndTheEndStandsOnTheLastEntry) {
  BgPanimeAction* pan = Start("p100,0 200p0,50", 100);
  const uint32_t handle = pan->Handle();
  struct Row {
    uint32_t at;
    std::pair<int32_t, int32_t> offset;
  };
  for (const Row& row : {Row{0, {0, 0}}, Row{50, {50, 0}}, Row{100, {100, 0}}, Row{200, {50, 25}},
                         Row{299, {1, 50}}}) {
    SCOPED_TRACE(row.at);
    StepAt(kStart + row.at);
    EXPECT_EQ(Offset(), row.offset);
  }
  StepAt(kStart + 300);
  EXPECT_FALSE(list_.Contains(handle));
  EXPECT_EQ(Offset(), (std::pair{0, 50}));
}

TEST_F(BgPanimeTest, EasingAndCourseFollowTheCommands) {
  struct Case {
    const char* what;
    const char* path;
    uint32_t at;
    std::pair<int32_t, int32_t> offset;
  };
  const Case cases[] = {
      {"linear after set-up", "p100,0", 25, {25, 0}},
      {"sine: (1 − cos 45°) ÷ 2", "Ap100,0", 25, {15, 0}},
      {"sine in the first step", "Ap100,0", 1, {0, 0}},
      {"power 2 at a half", "A2p100,0", 50, {25, 0}},
      {"power −2 at a half", "A-2p100,0", 50, {75, 0}},
      {"a segment of 1 ms is at its end at once", "1p100,0 100p0,0", 0, {100, 0}},
      {"an excursion with base 0 at mid-segment", "L10]p100,0", 50, {60, 0}},
      {"an excursion with base 0 on the way back", "L10]p100,0", 75, {80, 0}},
      {"an excursion down with a base", "L10^p0,0", 25, {0, -5}},
  };
  uint32_t now = kStart;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestBackgroundLayer layer(kW, kH);
    ShowPicture(layer.Canvas(), picture_.get());
    auto* pan = new BgPanimeAction();
    ASSERT_EQ(pan->Setup(&list_, &layer, {Text(c.path), 100, kOffsetOnly}), 0);
    StepAt(now);
    StepAt(now + c.at);
    int32_t x = 0, y = 0;
    layer.Canvas().GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
    EXPECT_EQ((std::pair{x, y}), c.offset);
    list_.Stop(pan->Handle());
    now += 1000;
  }
}

TEST_F(BgPanimeTest, ExcursionsRunOutAndBack) {
  struct Case {
    int32_t amplitude, base;
    double f;
    int32_t offset;
  };
  const Case cases[] = {
      {0, 0, 0.5, 0},   {10, 0, 0.25, 5},  {10, 0, 0.5, 10},  {10, 0, 0.75, 5},   {10, 0, 1.0, 0},
      {10, -10, 0.25, -5}, {10, -10, 1.0, 0}, {10, -5, 0.25, -5}, {10, -5, 0.75, 5}, {10, 5, 0.5, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::vector<double>{double(c.amplitude), double(c.base), c.f}));
    EXPECT_EQ(ExcursionOffset(c.amplitude, c.base, c.f), c.offset);
  }
  // The sine table index never goes negative, whatever the time.
  MathTables tables;
  ASSERT_TRUE(tables.GetSinCosTable());
  for (uint32_t t : {0u, 1u, 50u, 99u, 0xFFFFFFFFu})
    EXPECT_GE(PanEasedFraction(t, 100, true, 0, tables.DoubleCosTable()), 0.0) << t;
  EXPECT_EQ(PanEasedFraction(0, 1, true, 0, tables.DoubleCosTable()), 1.0);
}

TEST_F(BgPanimeTest, CubicSegmentsCurveAndMeetThePoints) {
  auto run = [&](const char* path, uint32_t now) {
    TestBackgroundLayer layer(kW, kH);
    ShowPicture(layer.Canvas(), picture_.get());
    auto* pan = new BgPanimeAction();
    EXPECT_EQ(pan->Setup(&list_, &layer, {Text(path), 100, kOffsetOnly}), 0);
    std::vector<std::pair<int32_t, int32_t>> shown;
    for (uint32_t t : {0u, 50u, 100u, 150u, 200u}) {
      StepAt(now + t);
      shown.emplace_back(pan->ShownX(), pan->ShownY());
    }
    list_.Stop(pan->Handle());
    return shown;
  };
  const auto straight = run("p60,60 p120,0 p180,60", kStart);
  const auto curved = run("Sp60,60 p120,0 p180,60", kStart + 1000);
  EXPECT_EQ(straight[2], (std::pair{60, 60}));
  EXPECT_EQ(curved[2], (std::pair{60, 60}));
  EXPECT_EQ(curved[4], (std::pair{120, 0}));
  EXPECT_NE(curved[1], straight[1]);
  EXPECT_NE(curved[3], straight[3]);
  // "N" goes back to straight segments.
  const auto back = run("SNp60,60 p120,0 p180,60", kStart + 2000);
  EXPECT_EQ(back, straight);
}

TEST_F(BgPanimeTest, WorkCopyModeLoopsAndTheQueryReportsTheEntry) {
  BgPanimeAction* pan = Start("p100,0 p0,0", 100, 1, true);
  int32_t x = -1, y = -1;
  const auto out = [](int32_t* p) { return ObjectArgument(p); };
  EXPECT_EQ(pan->Query({out(&x), out(&y)}), 2);  // before the first entry
  ASSERT_NE(layer_.Canvas().BackCopy(), nullptr);
  StepAt(kStart);
  StepAt(kStart + 50);
  EXPECT_EQ(CopyPixel(layer_.Canvas(), 0, 0), PicturePixel(50, 0));
  EXPECT_EQ(pan->Query({out(&x), out(&y)}), 0);
  EXPECT_EQ((std::pair{x, y}), (std::pair{100, 0}));
  // The second pass runs again from the last point to the first.
  StepAt(kStart + 250);
  EXPECT_EQ(CopyPixel(layer_.Canvas(), 0, 0), PicturePixel(50, 0));
  EXPECT_EQ(Offset(), (std::pair{0, 0}));  // the offset stays while the copy shows the pan
  // A frame many passes late starts a pass afresh instead of walking them all.
  StepAt(kStart + 100000000);
  EXPECT_EQ(pan->ShownX(), 0);
  // The pan draws the uncovered band in the background colour.
  StepAt(kStart + 100000000 + 50);
  const uint32_t handle = pan->Handle();
  EXPECT_TRUE(list_.Contains(handle));
  list_.Stop(handle);
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
  EXPECT_EQ(Offset(), (std::pair{0, 0}));  // the last entry
}

TEST_F(BgPanimeTest, AComposedPicturePansTheWholeSceneAndTheCanvasComesBack) {
  // A sprite in the main list: the composed picture holds it, so the pan
  // moves it with the background and the list is hidden meanwhile.
  auto spritePicture = test::MakeSurface32(2, 2, [](int, int) { return 0xFFFF0000u; });
  ImageSprite sprite;
  ASSERT_EQ(sprite.SetImage(spritePicture.get(), nullptr, 4, 3), 0);
  ASSERT_EQ(layer_.Canvas().MainList().Add(&sprite, 10, 0), 0);
  struct Case {
    const char* what;
    int32_t drawing;
    bool secondToo;
    bool workCopy;
  };
  const Case cases[] = {
      {"the composed picture as the background", 0, false, false},
      {"through the work copy", 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    layer_.Canvas().SetBackgroundOffsets(0, 0);
    auto* pan = new BgPanimeAction();
    ASSERT_EQ(pan->Setup(&list_, &layer_, {Text("p4,2"), 100, c.drawing, 1, c.secondToo, 0, 0}), 0);
    EXPECT_TRUE(layer_.Canvas().MainHidden());
    EXPECT_EQ(layer_.Second().MainHidden(), c.secondToo);
    EXPECT_EQ(layer_.Canvas().BackCopy() != nullptr, c.workCopy);
    const uint32_t start = kStart + (c.workCopy ? 1000 : 0);
    StepAt(start);
    StepAt(start + 50);  // half way, at (2, 1): the sprite seen two left, one up
    Surface* background = nullptr;
    layer_.Canvas().GetBackground(&background, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (c.workCopy) {
      EXPECT_EQ(background, picture_.get());
      EXPECT_EQ(CopyPixel(layer_.Canvas(), 2, 2), 0xFFFF0000u);
      EXPECT_EQ(CopyPixel(layer_.Canvas(), 0, 0), PicturePixel(2, 1));
    } else {
      ASSERT_NE(background, picture_.get());
      EXPECT_EQ(test::Pixel32(*background, 4, 3), 0xFFFF0000u);
      EXPECT_EQ(test::Pixel32(*background, 0, 0), PicturePixel(0, 0));
      EXPECT_EQ(Offset(), (std::pair{2, 1}));
    }
    list_.Stop(pan->Handle());
    layer_.Canvas().GetBackground(&background, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(background, picture_.get());
    EXPECT_FALSE(layer_.Canvas().MainHidden());
    EXPECT_FALSE(layer_.Second().MainHidden());
    EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
    EXPECT_EQ(Offset(), (std::pair{4, 2}));  // the last entry
  }
  layer_.Canvas().MainList().Remove(&sprite);
}

TEST_F(BgPanimeTest, DurationZeroAndTheClassEntryGoToTheEndAtOnce) {
  BgPanimeAction pan;
  const auto out = [](int32_t* p) { return ObjectArgument(p); };
  EXPECT_EQ(pan.Query({}), 1);  // no path yet
  EXPECT_EQ(pan.Setup(&list_, &layer_, {Text("p10,5 p40,30"), 0, kOffsetOnly}), BgPanimeAction::kAppliedAtOnce);
  EXPECT_EQ(Offset(), (std::pair{40, 30}));
  EXPECT_EQ(list_.Size(), 0u);

  DcpManager registry;
  RegisterStartupEffects(registry);
  CallbackAssistFunc2 entry = registry.FindCallbackAssist2("bg_panime");
  ASSERT_NE(entry, nullptr);
  auto* object = static_cast<LayerObject*>(&layer_);
  int32_t x = -1, y = -1;
  // The variadic twin takes machine words as numbers only: an address
  // given there is never followed.
  CallbackAssistFunc words = registry.FindCallbackAssist("bg_panime");
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(words(reinterpret_cast<std::intptr_t>(object), std::intptr_t{0}, std::intptr_t{0}, std::intptr_t{0}), -1);
  EXPECT_EQ(entry(CellList({object, Text("p70,20"), out(&x), out(&y)})), 0);
  EXPECT_EQ((std::pair{x, y}), (std::pair{70, 20}));
  EXPECT_EQ(Offset(), (std::pair{70, 20}));
  const ObjectArgument bad[] = {ObjectArgument(object), Text("p1,1 ?"), 0, 0};
  EXPECT_EQ(ParseBgPanimeArgs(ObjectArguments{bad, 4}), SplinePath::kBadCharacter);
  layer_.SetKind(3);
  EXPECT_EQ(ParseBgPanimeArgs(ObjectArguments{bad, 4}), -1);
}

}  // namespace
}  // namespace orrivel
