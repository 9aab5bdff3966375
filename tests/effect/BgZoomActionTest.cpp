// bg_zoom and bg_rot: the zoom rectangle, the easing curves, duration 0,
// a stop that jumps to the target, the class-level entry and the query.
#include "effect/BgZoomAction.h"

#include <gtest/gtest.h>

#include <memory>

#include "BackgroundTestRig.h"
#include "effect/BgRotAction.h"
#include "effect/BuiltinEffects.h"
#include "resource/DcpManager.h"

namespace orrivel {
namespace {

using testing::MakePicture;
using testing::TestBackgroundLayer;

class BgZoomTest : public testing::BackgroundTest {
 protected:
  static constexpr int kW = 64;
  static constexpr int kH = 48;

  void SetUp() override {
    BackgroundTest::SetUp();
    picture_ = MakePicture(200, 100);
    ShowPicture(layer_.Canvas(), picture_.get(), 10, 20);
  }
  int32_t SetupZoom(BgZoomAction* zoom, int32_t cx, int32_t cy, const char* m, const char* curve, int32_t duration) {
    return zoom->Setup(&list_, &layer_,
                       {cx, cy, ObjectArgument(m), ObjectArgument(curve), duration});
  }
  ZoomRect Shown() {
    const Rect& r = layer_.Canvas().StretchSource();
    return {r.left, r.top, r.Width(), r.Height()};
  }

  TestBackgroundLayer layer_{kW, kH};
  std::unique_ptr<Surface> picture_;
};

TEST_F(BgZoomTest, ZoomRectangleStaysInsideThePicture) {
  auto screenSized = MakePicture(kW, kH), narrow = MakePicture(40, 30);
  struct Case {
    const char* what;
    Surface* picture;
    int32_t cx, cy;
    double m;
    int32_t code;
    ZoomRect rect;
  };
  const Case cases[] = {
      {"magnification 1 centred on a screen-sized picture", screenSized.get(), 32, 24, 1.0, 0, {0, 0, kW, kH}},
      {"a centre near the right and top edges", picture_.get(), 190, 5, 2.0, 0, {168, 0, 32, 24}},
      {"a rectangle wider than the picture", narrow.get(), 20, 15, 1.0, 0, {0, 0, 40, 30}},
      {"magnification 0", picture_.get(), 0, 0, 0.0, 1, {}},
      {"a negative magnification", picture_.get(), 0, 0, -2.0, 1, {}},
      {"no picture", nullptr, 0, 0, 1.0, 2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestBackgroundLayer layer(kW, kH);
    layer.Canvas().SetBackgroundImage(c.picture, 0, 0, 0);
    ZoomRect rect;
    EXPECT_EQ(ComputeZoomRect(&layer.Canvas(), c.cx, c.cy, c.m, &rect), c.code);
    if (c.code == 0) {
      EXPECT_EQ(rect, c.rect);
    }
  }
  ZoomRect rect;
  EXPECT_EQ(ComputeZoomRect(nullptr, 0, 0, 1.0, &rect), 1);
}

TEST_F(BgZoomTest, CurvesStartSlowlyEndSlowlyOrRunLinearly) {
  struct Case {
    double curve;
    uint32_t at250, at750;
  };
  // 0.25² = 0.0625, 1 − 0.75² = 0.4375, 0.75² = 0.5625, 1 − 0.25² = 0.9375.
  for (const Case& c : {Case{2.0, 62, 562}, Case{-2.0, 437, 937}, Case{0.0, 250, 750}}) {
    SCOPED_TRACE(c.curve);
    EXPECT_EQ(EaseElapsed(250, 1000, c.curve), c.at250);
    EXPECT_EQ(EaseElapsed(750, 1000, c.curve), c.at750);
  }
  // The zoom runs its rectangle along the eased time: from the offset view
  // (10, 20, 64, 48) to (168, 0, 32, 24), a quarter of the way at 500 ms.
  auto* zoom = new BgZoomAction();
  ASSERT_EQ(SetupZoom(zoom, 190, 5, "2.0", "2.0", 1000), 0);
  EXPECT_EQ(zoom->StartRect(), (ZoomRect{10, 20, kW, kH}));
  StepAt(kStart);
  StepAt(kStart + 500);
  EXPECT_EQ(Shown(), (ZoomRect{10 + 39, 20 - 5, kW - 8, kH - 6}));
  StepAt(kStart + 1000);
  EXPECT_EQ(Shown(), (ZoomRect{168, 0, 32, 24}));
  EXPECT_EQ(list_.Size(), 0u);
  // A later zoom starts from the stretch shown.
  auto* next = new BgZoomAction();
  ASSERT_EQ(SetupZoom(next, 100, 50, nullptr, nullptr, 100), 0);
  EXPECT_EQ(next->StartRect(), (ZoomRect{168, 0, 32, 24}));
  int32_t x = -1, y = -1, h = -1;
  EXPECT_EQ(next->Query({ObjectArgument(&x), ObjectArgument(&y), 0,
                         ObjectArgument(&h)}),
            0);
  EXPECT_EQ(x, 68);
  EXPECT_EQ(y, 26);
  EXPECT_EQ(h, kH);
}

TEST_F(BgZoomTest, DurationZeroAppliesAtOnceAndAStopJumpsToTheTarget) {
  BgZoomAction now;
  EXPECT_EQ(SetupZoom(&now, 190, 5, "2", nullptr, 0), BgZoomAction::kAppliedAtOnce);
  EXPECT_EQ(Shown(), (ZoomRect{168, 0, 32, 24}));
  EXPECT_EQ(list_.Size(), 0u);
  auto* zoom = new BgZoomAction();
  ASSERT_EQ(SetupZoom(zoom, 100, 50, "4", nullptr, 1000), 0);
  Hold(zoom);
  StepAt(kStart);
  StepAt(kStart + 100);
  ASSERT_TRUE(list_.Stop(zoom->Handle()));
  EXPECT_EQ(slot_, nullptr);
  EXPECT_EQ(Shown(), (ZoomRect{92, 44, 16, 12}));
  ASSERT_NE(layer_.Canvas().BackCopy(), nullptr);  // the stretch stays
}

TEST_F(BgZoomTest, TurnEasesCentreAngleAndScaleAndJumpsToTheTargetOnStop) {
  auto setup = [this](BgRotAction* rot, int32_t duration) {
    return rot->Setup(&list_, &layer_, {3, 4, 128, "2.0", 0, duration});
  };
  auto* rot = new BgRotAction();
  ASSERT_EQ(setup(rot, 1000), 0);
  EXPECT_EQ(rot->StartTurn().scale, 1.0);
  StepAt(kStart);
  StepAt(kStart + 500);
  EXPECT_EQ(layer_.Canvas().BackgroundAngle(), 64);
  EXPECT_EQ(layer_.Canvas().BackgroundScale(), 1.5);
  EXPECT_EQ(layer_.Canvas().StretchX(), 1);
  EXPECT_EQ(layer_.Canvas().StretchY(), 2);
  ASSERT_TRUE(list_.Stop(rot->Handle()));
  EXPECT_EQ(layer_.Canvas().BackgroundAngle(), 128);
  EXPECT_EQ(layer_.Canvas().BackgroundScale(), 2.0);
  // The next turn starts where this one left the canvas; duration 0 is at once.
  BgRotAction again;
  EXPECT_EQ(again.Setup(&list_, &layer_, {0, 0, 0, 0, 0, 0}), BgRotAction::kAppliedAtOnce);
  EXPECT_EQ(again.StartTurn().angle, 128);
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);  // the identity shows the picture itself
}

TEST_F(BgZoomTest, ClassEntryAppliesTheRectangleAndReportsIt) {
  DcpManager registry;
  RegisterStartupEffects(registry);
  CallbackAssistFunc2 entry = registry.FindCallbackAssist2("bg_zoom");
  ASSERT_NE(entry, nullptr);
  int32_t x = -1, y = -1, w = -1, h = -1;
  auto out = [](int32_t* p) { return ObjectArgument(p); };
  auto* object = static_cast<LayerObject*>(&layer_);
  // The variadic twin takes machine words as numbers only: the layer's
  // address given there is refused, never followed.
  CallbackAssistFunc words = registry.FindCallbackAssist("bg_zoom");
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(words(reinterpret_cast<std::intptr_t>(object), std::intptr_t{190}, std::intptr_t{5}, std::intptr_t{0},
                  std::intptr_t{0}, std::intptr_t{0}, std::intptr_t{0}, std::intptr_t{0}),
            -1);
  EXPECT_EQ(entry(CellList({object, 190, 5, "2.0", out(&x), out(&y), out(&w), out(&h)})), 0);
  EXPECT_EQ((ZoomRect{x, y, w, h}), (ZoomRect{168, 0, 32, 24}));
  EXPECT_EQ(Shown(), (ZoomRect{168, 0, 32, 24}));
  // Another kind of object, or none, is refused; so is magnification 0.
  layer_.SetKind(5);
  const ObjectArgument cells[] = {ObjectArgument(object), 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ParseBgZoomArgs(ObjectArguments{cells, 8}), -1);
  EXPECT_EQ(ParseBgZoomArgs(ObjectArguments{}), -1);
  layer_.SetKind(10);
  const ObjectArgument zero[] = {ObjectArgument(object), 0, 0,
                                "0", 0, 0, 0, 0};
  EXPECT_EQ(ParseBgZoomArgs(ObjectArguments{zero, 8}), 1);
  // A null magnification is 1.0: the screen-sized view about the centre.
  EXPECT_EQ(ParseBgZoomArgs(ObjectArguments{cells, 8}), 0);
  EXPECT_EQ(Shown(), (ZoomRect{0, 0, kW, kH}));
}

}  // namespace
}  // namespace orrivel
