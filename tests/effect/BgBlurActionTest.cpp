// bg_blur: the point list, the routine each form draws with, the trail an
// opacity leaves, the transform kept (or not) at the end, the turn about a
// fixed centre, and the class-level entry with its rectangle.
#include "effect/BgBlurAction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "BackgroundTestRig.h"
#include "base/MathTables.h"
#include "effect/BuiltinEffects.h"
#include "effect/LayerObject.h"
#include "resource/DcpManager.h"

namespace orrivel {
namespace {

using testing::MakePicture;
using testing::TestBackgroundLayer;

ObjectArgument Text(const char* text) { return ObjectArgument(text); }

// The common cells after the form's own: duration, opacity, curve, file,
// mirror, mirror, direct, blend mode, delay, keep.
std::vector<ObjectArgument> Common(int32_t duration, int32_t opacity, bool keep, bool direct = false) {
  return {duration, opacity, 0, 0, 0, 0, direct, 0, 0, keep};
}

std::vector<ObjectArgument> ZoomForm(int32_t cx, int32_t cy, const char* s0, const char* a0, const char* s1,
                                    const char* a1, const std::vector<ObjectArgument>& common) {
  std::vector<ObjectArgument> cells{0, cx, cy, Text(s0), Text(a0), Text(s1), Text(a1)};
  cells.insert(cells.end(), common.begin(), common.end());
  return cells;
}

std::vector<ObjectArgument> PathForm(const char* points, bool smooth, const std::vector<ObjectArgument>& common) {
  std::vector<ObjectArgument> cells{Text(points), smooth};
  cells.insert(cells.end(), common.begin(), common.end());
  return cells;
}

class BgBlurTest : public testing::BackgroundTest {
 protected:
  static constexpr int kW = 32;
  static constexpr int kH = 24;

  void SetUp() override {
    BackgroundTest::SetUp();
    picture_ = MakePicture(kW, kH);
    ShowPicture(layer_.Canvas(), picture_.get());
  }
  BgBlurAction* Start(const std::vector<ObjectArgument>& cells, TestBackgroundLayer* layer = nullptr) {
    auto* blur = new BgBlurAction();
    EXPECT_EQ(blur->SetupV(&list_, layer != nullptr ? layer : &layer_, ObjectArguments{cells.data(), cells.size()}),
              0);
    return blur;
  }
  static std::vector<uint32_t> Pixels(Surface& s) {
    std::vector<uint32_t> out;
    for (int y = 0; y < s.GetHeight(); ++y)
      for (int x = 0; x < s.GetWidth(); ++x) out.push_back(test::Pixel32(s, x, y));
    return out;
  }

  TestBackgroundLayer layer_{kW, kH};
  TestBackgroundLayer other_{kW, kH};
  std::unique_ptr<Surface> picture_;
};

TEST(BlurPointList, GroupsGivePointsWithTheirScales) {
  std::vector<BlurPoint> points;
  EXPECT_EQ(ParseBlurPointList(nullptr, &points), -1);
  EXPECT_EQ(ParseBlurPointList("(1,2)", &points), -2);
  EXPECT_EQ(ParseBlurPointList("1,2,3,4", &points), -2);
  ASSERT_EQ(ParseBlurPointList("(10,20) (30, 40)", &points), 2);
  EXPECT_EQ(points[0].x, 10);
  EXPECT_EQ(points[0].y, 20);
  EXPECT_EQ(points[1].x, 30);
  EXPECT_EQ(points[1].y, 40);
  EXPECT_EQ(points[0].scale, 1.0);
  EXPECT_EQ(points[1].scale, 1.0);
  // A scale belongs to its own group only; a two-byte character whose trail
  // byte reads as "(" opens no group.
  ASSERT_EQ(ParseBlurPointList("(1,2,0.5)(-3,4)\x81((5,6,2.25)", &points), 3);
  EXPECT_EQ(points[0].scale, 0.5);
  EXPECT_EQ(points[1].x, -3);
  EXPECT_EQ(points[1].scale, 1.0);
  EXPECT_EQ(points[2].x, 5);
  EXPECT_EQ(points[2].scale, 2.25);
}

TEST(BlurPointList, NaturalSplineMomentsSolveTheSystem) {
  // For values on a parabola the inner moments satisfy the system exactly
  // and the ends are 0.
  const std::vector<double> values{0, 1, 4, 9, 16};
  const std::vector<double> m = NaturalSplineMoments(values);
  ASSERT_EQ(m.size(), values.size());
  EXPECT_EQ(m.front(), 0.0);
  EXPECT_EQ(m.back(), 0.0);
  for (size_t i = 1; i + 1 < values.size(); ++i)
    EXPECT_NEAR(m[i - 1] + 4 * m[i] + m[i + 1], 6 * (values[i + 1] - 2 * values[i] + values[i - 1]), 1e-9);
  EXPECT_EQ(NaturalSplineMoments({3, 7}), (std::vector<double>{0, 0}));
}

TEST_F(BgBlurTest, EachFormPicksItsDrawingRoutine) {
  struct Case {
    const char* what;
    std::vector<ObjectArgument> cells;
    BgBlurAction::Routine routine;
  };
  const Case cases[] = {
      {"zoom without a turn", ZoomForm(8, 8, "1.0", "0", "2.0", "0", Common(100, 255, false)),
       BgBlurAction::Routine::Scaling},
      {"zoom with a turn", ZoomForm(8, 8, "1.0", "0", "1.0", "64.7", Common(100, 255, false)),
       BgBlurAction::Routine::Turning},
      {"a path", PathForm("(1,1)(5,5)(9,1)", false, Common(100, 255, false)), BgBlurAction::Routine::Linear},
      {"smoothing two points", PathForm("(1,1)(5,5)", true, Common(100, 255, false)), BgBlurAction::Routine::Linear},
      {"smoothing three points", PathForm("(1,1)(5,5)(9,1)", true, Common(100, 255, false)),
       BgBlurAction::Routine::Spline},
  };
  uint32_t now = kStart;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestBackgroundLayer layer(kW, kH);
    ShowPicture(layer.Canvas(), picture_.get());
    BgBlurAction* blur = Start(c.cells, &layer);
    EXPECT_EQ(blur->GetRoutine(), c.routine);
    // Every routine runs to its end, the path's last point included.
    for (uint32_t t : {0u, 40u, 99u, 100u}) StepAt(now + t);
    now += 1000;
    EXPECT_EQ(layer.Canvas().BackCopy(), nullptr);
    EXPECT_EQ(list_.Size(), 0u);
  }
}

TEST_F(BgBlurTest, OpaqueDrawingLeavesNoTrailAndLowerOpacitiesBuildOne) {
  // What scale 1.5 about (16, 12) looks like drawn once: a blur that starts there.
  ShowPicture(other_.Canvas(), picture_.get());
  Start(ZoomForm(16, 12, "1.5", "0", "1.5", "0", Common(100, 255, false)), &other_);
  const std::vector<uint32_t> fresh = Pixels(*other_.Canvas().BackCopy());
  uint32_t now = kStart;
  for (int opacity : {255, 96}) {
    SCOPED_TRACE(opacity);
    TestBackgroundLayer layer(kW, kH);
    ShowPicture(layer.Canvas(), picture_.get());
    BgBlurAction* blur = Start(ZoomForm(16, 12, "1.0", "0", "2.0", "0", Common(100, opacity, false)), &layer);
    StepAt(now);
    StepAt(now + 20);
    StepAt(now + 50);  // scale 1.5
    now += 1000;
    const std::vector<uint32_t> shown = Pixels(*layer.Canvas().BackCopy());
    if (opacity == 255)
      EXPECT_EQ(shown, fresh);
    else
      EXPECT_NE(shown, fresh);
    list_.Stop(blur->Handle());
  }
}

TEST_F(BgBlurTest, LowOpacityDrawsAtMostEverySixteenMilliseconds) {
  Start(ZoomForm(16, 12, "1.0", "0", "2.0", "0", Common(100, 64, false)));
  StepAt(kStart);
  const std::vector<uint32_t> before = Pixels(*layer_.Canvas().BackCopy());
  StepAt(kStart + 15);
  EXPECT_EQ(Pixels(*layer_.Canvas().BackCopy()), before);
  StepAt(kStart + 16);
  EXPECT_NE(Pixels(*layer_.Canvas().BackCopy()), before);
}

TEST_F(BgBlurTest, TheFinalTransformStaysOnlyWhenKept) {
  struct Case {
    const char* what;
    std::vector<ObjectArgument> cells;
    int32_t angle;
    ZoomRect stretch;  // the picture part stretched over the screen
  };
  const Case cases[] = {
      {"zoomed", ZoomForm(16, 12, "1.0", "0", "2.0", "0", Common(100, 255, true)), 0, {8, 6, 16, 12}},
      {"turned", ZoomForm(16, 12, "1.0", "0", "1.0", "64", Common(100, 255, true)), 64, {}},
      {"moved along a path", PathForm("(0,0)(8,6,2.0)", false, Common(100, 255, true)), 0, {4, 3, 16, 12}},
  };
  uint32_t now = kStart;
  for (bool keep : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (keep ? " kept" : " not kept"));
      TestBackgroundLayer layer(kW, kH);
      ShowPicture(layer.Canvas(), picture_.get());
      std::vector<ObjectArgument> cells = c.cells;
      cells.back() = keep;
      Start(cells, &layer);
      StepAt(now);
      StepAt(now + 100);
      now += 1000;
      SpriteCanvas& canvas = layer.Canvas();
      if (!keep) {
        EXPECT_EQ(canvas.BackCopy(), nullptr);
        EXPECT_EQ(canvas.StretchWidth(), 0);
        EXPECT_EQ(canvas.BackgroundAngle(), 0);
      } else if (c.angle != 0) {
        EXPECT_EQ(canvas.BackgroundAngle(), c.angle);
        EXPECT_NE(canvas.BackCopy(), nullptr);
      } else {
        const Rect& r = canvas.StretchSource();
        EXPECT_EQ((ZoomRect{r.left, r.top, r.Width(), r.Height()}), c.stretch);
        EXPECT_NE(canvas.BackCopy(), nullptr);
      }
    }
  }
}

TEST_F(BgBlurTest, TurningKeepsTheCentreWhereItIs) {
  // One colour in an 8 × 8 block about (12, 10), another everywhere else.
  constexpr uint32_t kBlock = 0xFFFF0000u, kRest = 0xFF0000FFu;
  auto block = test::MakeSurface32(kW, kH, [](int x, int y) {
    return x >= 8 && x < 16 && y >= 6 && y < 14 ? kBlock : kRest;
  });
  ShowPicture(layer_.Canvas(), block.get());
  const uint32_t handle = Start(ZoomForm(12, 10, "1.0", "0", "1.0", "128", Common(100, 255, true)))->Handle();
  StepAt(kStart);
  StepAt(kStart + 50);  // an eighth of a turn
  Surface& copy = *layer_.Canvas().BackCopy();
  for (auto [x, y] : {std::pair{11, 9}, {12, 10}, {11, 10}, {12, 9}}) EXPECT_EQ(test::Pixel32(copy, x, y), kBlock);
  // The block's corner turned away.
  EXPECT_NE(test::Pixel32(copy, 8, 6), kBlock);
  // The kept turn at the end keeps it too.
  StepAt(kStart + 100);
  EXPECT_FALSE(list_.Contains(handle));
  Surface& kept = *layer_.Canvas().BackCopy();
  EXPECT_EQ(layer_.Canvas().BackgroundAngle(), 128);
  for (auto [x, y] : {std::pair{11, 9}, {12, 10}}) EXPECT_EQ(test::Pixel32(kept, x, y), kBlock);
}

TEST_F(BgBlurTest, DrawingDirectlyChangesThePictureAndHoldsNoWorkCopy) {
  auto own = MakePicture(kW, kH);
  ShowPicture(layer_.Canvas(), own.get());
  Start(ZoomForm(0, 0, "1.0", "0", "2.0", "0", Common(100, 255, false, true)));
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
  StepAt(kStart);
  StepAt(kStart + 100);
  // Scale 2 about (0, 0): the picture's far corner now shows its middle.
  EXPECT_NE(test::Pixel32(*own, kW - 1, kH - 1), testing::PicturePixel(kW - 1, kH - 1));
  EXPECT_EQ(layer_.Canvas().BackCopy(), nullptr);
  EXPECT_EQ(layer_.Canvas().StretchWidth(), 0);
}

TEST_F(BgBlurTest, ScaledRectangleAndClassEntry) {
  struct Case {
    const char* what;
    int32_t cx, cy;
    double scale;
    int32_t angle;
    int32_t code;
    ZoomRect rect;
  };
  // The picture's pivot is its middle, (16, 12).
  const Case cases[] = {
      {"scale 1", 16, 12, 1.0, 0, 0, {0, 0, kW, kH}},
      {"scale 2 about (16, 12)", 16, 12, 2.0, 0, 0, {8, 6, 16, 12}},
      {"scale 0.5", 16, 12, 0.5, 0, 0, {-16, -12, 64, 48}},
      {"a turn about the pivot: no move, the scaled size", 16, 12, 2.0, 256, 0, {0, 0, 64, 48}},
      {"a half turn about (0, 0): the move that brings it back", 0, 0, 1.0, 256, 0, {-32, -24, kW, kH}},
      {"scale 0", 16, 12, 0.0, 0, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ZoomRect rect;
    EXPECT_EQ(ComputeScaledRect(&layer_.Canvas(), c.cx, c.cy, c.scale, c.angle, &rect), c.code);
    if (c.code == 0) {
      EXPECT_EQ(rect, c.rect);
    }
  }
  ZoomRect rect;
  EXPECT_EQ(ComputeScaledRect(nullptr, 0, 0, 1.0, 0, &rect), 1);
  EXPECT_EQ(ComputeScaledRect(&other_.Canvas(), 0, 0, 1.0, 0, &rect), 2);
  MathTables* published = SetMathTables(nullptr);
  EXPECT_EQ(ComputeScaledRect(&layer_.Canvas(), 0, 0, 1.0, 8, &rect), 3);
  SetMathTables(published);

  DcpManager registry;
  RegisterStartupEffects(registry);
  ASSERT_NE(registry.FindCallbackAssist("bg_blur"), nullptr);
  auto* object = static_cast<LayerObject*>(&layer_);
  auto words = [](double d) {
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return std::pair<int32_t, int32_t>{int32_t(uint32_t(bits)), int32_t(uint32_t(bits >> 32))};
  };
  int32_t x = -1, y = -1, w = -1, h = -1;
  auto out = [](int32_t* p) { return ObjectArgument(p); };
  const auto [s0, s1] = words(2.0);
  const auto [a0, a1] = words(0.0);
  const ObjectArgument zoom[] = {ObjectArgument(object), 16, 12, s0, s1, a0, a1,
                                out(&x), out(&y), out(&w), out(&h)};
  EXPECT_EQ(ParseBgBlurArgs(ObjectArguments{zoom, 11}), 0);
  EXPECT_EQ((ZoomRect{x, y, w, h}), (ZoomRect{8, 6, 16, 12}));
  EXPECT_EQ(layer_.Canvas().StretchSource().left, 8);
  const auto [t0, t1] = words(64.0);
  const ObjectArgument turn[] = {ObjectArgument(object), 16, 12, s0, s1, t0, t1, 0, 0, 0, 0};
  EXPECT_EQ(ParseBgBlurArgs(ObjectArguments{turn, 11}), 0);
  EXPECT_EQ(layer_.Canvas().BackgroundAngle(), 64);
  const auto [h0, h1] = words(1e9);
  const ObjectArgument empty[] = {ObjectArgument(object), 16, 12, h0, h1, a0, a1};
  EXPECT_EQ(ParseBgBlurArgs(ObjectArguments{empty, 7}), 4);
  layer_.SetKind(5);
  EXPECT_EQ(ParseBgBlurArgs(ObjectArguments{zoom, 11}), -1);
}

}  // namespace
}  // namespace orrivel
