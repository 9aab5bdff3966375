// The path language: records made against a sprite and a canvas, the
// failures, the end state that Evaluate reports, the number readers and the
// spline through the points.
#include "scene/SplinePath.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "scene/ImageSprite.h"
#include "SceneTestSupport.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::MakeSolid32;

// A 640x480 canvas holding a 100x50 sprite at (5, 7) whose picture carries
// the display offset (40, 10).
class SplinePathTest : public test::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    target_ = MakeSolid32(640, 480, 0);
    picture_ = MakeSolid32(100, 50, 0xFF00FF00u);
    picture_->SetUserValue1(40);
    picture_->SetUserValue2(10);
    ASSERT_EQ(canvas_.SetTarget(target_.get(), 0), 0);
    ASSERT_EQ(sprite_.SetImage(picture_.get(), nullptr, 5, 7), 0);
    ASSERT_EQ(canvas_.MainList().Add(&sprite_, 1, 0), 0);
  }
  void TearDown() override {
    canvas_.MainList().Remove(&sprite_);
    SceneTest::TearDown();
  }

  std::unique_ptr<Surface> target_;
  std::unique_ptr<Surface> picture_;
  SpriteCanvas canvas_;
  ImageSprite sprite_;
};

struct ExpectedPoint {
  int32_t record;
  int32_t x;
  int32_t y;
};

TEST_F(SplinePathTest, RecordsOfTheLanguage) {
  struct Case {
    const char* text;
    int32_t records;
    int32_t lastPoint;
    int32_t totalTime;
    std::vector<ExpectedPoint> points;
  };
  const Case cases[] = {
      {"c", 2, 1, 1000, {{1, 40, 10}}},
      {"l 500 r", 4, 3, 1500, {{1, -120, 10}, {3, 200, 10}}},
      {"<2-", 2, 1, 1000, {{1, 5 - 50, 7 - 25}}},
      // Numbers with dots and commas count as they fill.
      {"Z1.5", 2, 1, 1000, {{1, 5, 7}}},
      {"p10,20", 2, 1, 1000, {{1, 50, 30}}},
      {"P-3,-4 p,9", 3, 2, 2000, {{1, -3, -4}, {2, -3, 19}}},
      // "!" followed by no known side means just below; that character is
      // read again as a command.
      {"!l !<", 3, 2, 2000, {{1, -100, 10}, {2, -125, 480}}},
      {"M10 >3 L", 4, 2, 1000, {{2, 35, 7}}},
      {"t5,9 t3+4 A A2.5 F B N S", 9, -1, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SplinePath path;
    ASSERT_EQ(path.Parse(c.text, &sprite_, nullptr), 0);
    ASSERT_EQ(path.RecordCount(), c.records);
    EXPECT_EQ(path.LastPoint(), c.lastPoint);
    EXPECT_EQ(path.TotalTime(), c.totalTime);
    const PathRecord& start = path.Records()[0];
    EXPECT_EQ(start.kind, PathRecord::kPoint);
    EXPECT_EQ(start.value1, 5);
    EXPECT_EQ(start.value2, 7);
    EXPECT_EQ(start.pointNumber, 0);
    int32_t number = 0;
    for (const ExpectedPoint& p : c.points) {
      const PathRecord& r = path.Records()[p.record];
      EXPECT_EQ(r.kind, PathRecord::kPoint) << p.record;
      EXPECT_EQ(r.value1, p.x) << p.record;
      EXPECT_EQ(r.value2, p.y) << p.record;
      EXPECT_EQ(r.pointNumber, ++number);
    }
  }
}

TEST_F(SplinePathTest, ValuesOfTheOtherCommands) {
  SplinePath path;
  ASSERT_EQ(path.Parse("t5,9 t3+4 A A2.5 Z1.5 o3,4 z O R0.25 ]2[$%", &sprite_, nullptr), 0);
  const PathRecord* r = path.Records();
  EXPECT_EQ(r[1].kind, PathRecord::kFrameRange);
  EXPECT_EQ(r[1].value1, 5);
  EXPECT_EQ(r[1].value2, 5);
  // The comma may be left out.
  EXPECT_EQ(r[2].value1, 3);
  EXPECT_EQ(r[2].value2, 2);
  EXPECT_EQ(r[3].kind, PathRecord::kValue);
  EXPECT_EQ(r[3].flag, 0);
  EXPECT_EQ(r[4].flag, 1);
  EXPECT_DOUBLE_EQ(r[4].zoom, 2.5);
  EXPECT_DOUBLE_EQ(r[5].zoom, 1.5);
  EXPECT_EQ(path.ZoomUsed(), 1);
  EXPECT_DOUBLE_EQ(path.LargestZoom(), 1.5);
  // The pivot starts at the bottom centre of the target, relative to home.
  EXPECT_EQ(path.InitialPivotX(), 320 - 40);
  EXPECT_EQ(path.InitialPivotY(), 480 - 10);
  EXPECT_EQ(r[6].kind, PathRecord::kPivot);
  EXPECT_EQ(r[6].value1, 283);
  EXPECT_EQ(r[6].value2, 474);
  EXPECT_EQ(r[7].value1, 50);
  EXPECT_EQ(r[7].value2, 25);
  EXPECT_EQ(r[8].flag, 255);
  // Opacity, zoom and rotation carry on from point to point.
  EXPECT_DOUBLE_EQ(r[9].rotation, 0.25);
  EXPECT_DOUBLE_EQ(r[9].zoom, 1.5);
  EXPECT_EQ(r[10].swingWidth, 100 + 50 + 50);
  EXPECT_EQ(r[10].swingShiftX, -50 - 25);
  EXPECT_EQ(r[10].swingHeight, 50);
  EXPECT_EQ(r[10].swingShiftY, -25);
  // The rotation took the pivot as the "z" left it.
  EXPECT_EQ(path.RotationUsed(), 1);
  EXPECT_EQ(path.PivotX(), 50);
  EXPECT_EQ(path.PivotY(), 25);
}

TEST_F(SplinePathTest, Failures) {
  struct Case {
    const char* text;
    int code;
    int32_t recordsLeft;
  };
  const Case cases[] = {
      {"c#", SplinePath::kBadCharacter, 0},
      {"c.", SplinePath::kBadCharacter, 0},
      {"", SplinePath::kNoCommand, 0},
      {"   ", SplinePath::kNoCommand, 0},
      {"t", SplinePath::kMissingNumber, 1},
      // The records before the failing one stay.
      {"c r t5,", SplinePath::kMissingNumber, 3},
      // A bad character after a missing number is reported first.
      {"t #", SplinePath::kBadCharacter, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SplinePath path;
    EXPECT_EQ(path.Parse(c.text, &sprite_, nullptr), c.code);
    EXPECT_EQ(path.RecordCount(), c.recordsLeft);
  }
  SplinePath path;
  EXPECT_EQ(path.Parse(nullptr, &sprite_, nullptr), SplinePath::kBadObject);
  EXPECT_EQ(path.Parse("c", nullptr, nullptr), SplinePath::kBadObject);
  ImageSprite loose;
  EXPECT_EQ(path.Parse("c", &loose, nullptr), SplinePath::kBadObject);
  SpriteCanvas bare;
  EXPECT_EQ(path.Parse("c", nullptr, &bare), SplinePath::kBadObject);
  EXPECT_EQ(path.Parse("c", nullptr, &canvas_), SplinePath::kNoBackground);
}

TEST_F(SplinePathTest, CanvasBackgroundPans) {
  auto background = MakeSolid32(800, 600, 0xFF0000FFu);
  canvas_.SetBackgroundImage(background.get(), 0, 0, 0);
  SplinePath path;
  ASSERT_EQ(path.Parse("c r d !u", nullptr, &canvas_), 0);
  const PathRecord* r = path.Records();
  EXPECT_EQ(r[1].value1, 80);
  EXPECT_EQ(r[1].value2, 60);
  EXPECT_EQ(r[2].value1, 160);
  EXPECT_EQ(r[3].value2, 120);
  EXPECT_EQ(r[4].value2, -600);
  EXPECT_EQ(path.InitialPivotX(), 400);
  EXPECT_EQ(path.InitialPivotY(), 300);
  canvas_.SetBackgroundImage(nullptr, 0, 0, 0);
}

TEST_F(SplinePathTest, EvaluateReportsTheEnd) {
  sprite_.SetOpacity(200);
  int32_t x = -1, y = -1, px = -7, py = -7;
  uint8_t opacity = 0, endMode = 9;
  double zoom = -1, rotation = -1;
  ASSERT_EQ(SplinePath::Evaluate("c O128 F Z2 R-0.5", &x, &y, &sprite_, nullptr, &opacity, &endMode,
                                 &zoom, &rotation, &px, &py),
            0);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 10);
  EXPECT_EQ(opacity, 128);
  EXPECT_EQ(endMode, 1);
  EXPECT_DOUBLE_EQ(zoom, 2.0);
  EXPECT_DOUBLE_EQ(rotation, -0.5);
  EXPECT_EQ(px, 280);
  EXPECT_EQ(py, 470);
  // Empty: the start, without zoom or rotation, the pivot untouched.
  px = py = -7;
  ASSERT_EQ(SplinePath::Evaluate("", &x, &y, &sprite_, nullptr, &opacity, &endMode, &zoom,
                                 &rotation, &px, &py),
            0);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 7);
  EXPECT_EQ(opacity, 200);
  EXPECT_EQ(endMode, 0);
  EXPECT_DOUBLE_EQ(zoom, 0.0);
  EXPECT_DOUBLE_EQ(rotation, 0.0);
  EXPECT_EQ(px, -7);
  // A failure leaves the position reached, and nothing else written.
  opacity = 1;
  EXPECT_EQ(SplinePath::Evaluate("r B t", &x, &y, &sprite_, nullptr, &opacity, &endMode, nullptr,
                                 nullptr, nullptr, nullptr),
            SplinePath::kBadCharacter);
  EXPECT_EQ(x, 200);
  EXPECT_EQ(opacity, 1);
  EXPECT_EQ(SplinePath::Evaluate("c ?", &x, &y, &sprite_, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr),
            SplinePath::kBadCharacter);
  EXPECT_EQ(SplinePath::Evaluate("c", &x, &y, nullptr, &canvas_, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr),
            SplinePath::kNoBackground);
}

TEST(PathNumberTest, Integers) {
  struct Case {
    const char* text;
    bool ok;
    int32_t value;
    size_t consumed;
  };
  const Case cases[] = {
      {"123x", true, 123, 3}, {"-45", true, -45, 3}, {"+7,", true, 7, 2},
      {"-x", false, 0, 0},    {"+", false, 0, 0},    {"", false, 0, 0},
      {"4294967297", true, 1, 10},  // wraps in 32 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const char* p = c.text;
    int32_t value = 0;
    EXPECT_EQ(ParsePathInteger(p, value), c.ok);
    EXPECT_EQ(size_t(p - c.text), c.consumed);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(PathNumberTest, RealsOfAnyLength) {
  struct Case {
    std::string text;
    bool ok;
    double value;
    size_t consumed;
  };
  const std::string longFraction = "1." + std::string(10000, '5');
  const std::string longWhole = std::string(10000, '9') + ".5";
  const std::string longZeroes = "0." + std::string(10000, '0') + "1";
  const Case cases[] = {
      {"1.5x", true, 1.5, 3},
      {"-0.25", true, -0.25, 5},
      {"+2.", true, 2.0, 3},
      {"3.,", true, 3.0, 2},
      {".5", false, 0, 0},
      {"-", false, 0, 0},
      {longFraction, true, 1.5555555555555556, longFraction.size()},
      {longWhole, true, DBL_MAX, longWhole.size()},
      {longZeroes, true, 0.0, longZeroes.size()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 12));
    const char* p = c.text.c_str();
    double value = -1;
    EXPECT_EQ(ParsePathReal(p, value), c.ok);
    EXPECT_EQ(size_t(p - c.text.c_str()), c.consumed);
    if (c.ok) {
      EXPECT_DOUBLE_EQ(value, c.value);
    }
  }
}

TEST_F(SplinePathTest, SplinePassesThroughItsPoints) {
  SplinePath one;
  ASSERT_EQ(one.Parse("S c", &sprite_, nullptr), 0);
  EXPECT_FALSE(one.HasSpline());

  SplinePath path;
  ASSERT_EQ(path.Parse("S c P300,400 !l P600,20", &sprite_, nullptr), 0);
  ASSERT_TRUE(path.HasSpline());
  std::vector<const PathRecord*> points;
  for (int32_t i = 0; i < path.RecordCount(); ++i)
    if (path.Records()[i].kind == PathRecord::kPoint) points.push_back(&path.Records()[i]);
  ASSERT_EQ(points.size(), 5u);
  bool curved = false;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    int32_t x = 0, y = 0;
    path.EvalCubicSegment(*points[i], *points[i + 1], 0.0, &x, &y);
    EXPECT_EQ(x, points[i]->value1);
    EXPECT_EQ(y, points[i]->value2);
    path.EvalCubicSegment(*points[i], *points[i + 1], 1.0, &x, &y);
    EXPECT_EQ(x, points[i + 1]->value1);
    EXPECT_EQ(y, points[i + 1]->value2);
    int32_t lx = 0, ly = 0;
    path.EvalCubicSegment(*points[i], *points[i + 1], 0.5, &x, &y);
    SplinePath::EvalLinearSegment(*points[i], *points[i + 1], 0.5, &lx, &ly);
    curved |= x != lx || y != ly;
  }
  EXPECT_TRUE(curved);
  // The start keeps no curvature.
  EXPECT_EQ(path.SplineX()[0], 0.0);
  EXPECT_EQ(path.SplineY()[0], 0.0);

  // Records handed over whole: fewer than two are refused.
  EXPECT_EQ(path.SetRecords(nullptr, 3, 3, 1), 1);
  EXPECT_EQ(path.SetRecords(std::make_unique<PathRecord[]>(1), 1, 1, 1), 1);
  auto records = std::make_unique<PathRecord[]>(3);
  for (int i = 0; i < 3; ++i) {
    records[i].value1 = i * 100;
    records[i].value2 = (i % 2) * 50;
    records[i].pointNumber = i;
  }
  ASSERT_EQ(path.SetRecords(std::move(records), 3, 3, 1), 0);
  EXPECT_TRUE(path.HasSpline());
  EXPECT_EQ(path.RecordCount(), 3);
}

}  // namespace
}  // namespace orrivel
