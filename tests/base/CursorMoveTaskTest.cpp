#include "base/CursorMoveTask.h"

#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "base/TimerList.h"
#include "platform/Clock.h"

namespace orrivel::test {
namespace {

using namespace platform;

class RefusingList : public TimerList {
 public:
  int32_t Add(TimedTask*, uint32_t, uint32_t, uint32_t) override { return 3; }
};

class CursorMoveTaskTest : public HeadlessTest {
 protected:
  CursorMoveTaskTest() : scopedClock_(clock) {
    EXPECT_EQ(app.Init(), 0);
    app.isActive = true;
  }
  ~CursorMoveTaskTest() override {
    list.Clear();
    app.Exit(0);
  }
  // The desktop point of a game point.
  Point Screen(int32_t x, int32_t y) {
    Point p{x, y};
    app.GameToScreen(p);
    return p;
  }
  Point Cursor() {
    Point p;
    backend.GetCursorPos(p);
    return p;
  }
  void StepAfter(uint32_t ms) {
    clock.Advance(ms);
    list.Step(clock.TickMs());
  }

  ManualClock clock;
  RecordingApp app;
  TimerList list;

 private:
  ScopedClock scopedClock_;
};

TEST_F(CursorMoveTaskTest, CurveFollowsTheExponentAndEndsOnTheTarget) {
  struct Case {
    double exponent;
    int32_t at[4];  // progress (of 1000) after 0, 250, 500 and 1000 ms
  };
  const Case cases[] = {
      {0.0, {0, 250, 500, 1000}},   // straight
      {2.0, {0, 62, 250, 1000}},    // slow start
      {-2.0, {0, 437, 750, 1000}},  // slow end
  };
  for (const Case& c : cases) {
    Point target = Screen(300, 400);
    Point start{target.x - 1000, target.y - 2000};
    backend.PlaceCursor(start);
    ASSERT_EQ(CursorMoveTask::Start(&list, &app, 300, 400, 1000, c.exponent, 0), 0);
    const uint32_t steps[] = {0, 250, 250, 500};
    for (int i = 0; i < 4; ++i) {
      StepAfter(steps[i]);
      EXPECT_EQ(Cursor(), (Point{start.x + c.at[i], start.y + 2 * c.at[i]})) << c.exponent << " step " << i;
    }
    EXPECT_EQ(list.Size(), 0u) << c.exponent;  // finished and removed
  }
}

TEST_F(CursorMoveTaskTest, ZeroDurationJumpsToTheEnd) {
  backend.PlaceCursor(Point{0, 0});
  ASSERT_EQ(CursorMoveTask::Start(&list, &app, 10, 20, 0, 2.0, 0), 0);
  StepAfter(0);
  EXPECT_EQ(Cursor(), Screen(10, 20));
  EXPECT_EQ(list.Size(), 0u);
}

TEST_F(CursorMoveTaskTest, StoppingJumpsToTheEndAsTheModeSays) {
  struct Case {
    uint8_t jumpMode;
    bool active;
    bool jumps;
  };
  for (const Case& c : {Case{0, true, false}, Case{1, true, true}, Case{1, false, false}, Case{2, false, true}}) {
    app.isActive = true;
    const Point start{5, 5};
    backend.PlaceCursor(start);
    ASSERT_EQ(CursorMoveTask::Start(&list, &app, 100, 100, 1000, 0.0, c.jumpMode), 0);
    StepAfter(0);
    app.isActive = c.active;
    list.StopType(CursorMoveTask::kTypeId);
    EXPECT_EQ(Cursor(), c.jumps ? Screen(100, 100) : start) << int(c.jumpMode) << " " << c.active;
    list.Step(clock.TickMs());
    EXPECT_EQ(list.Size(), 0u);
  }
}

TEST_F(CursorMoveTaskTest, NewGlideStopsTheRunningOne) {
  backend.PlaceCursor(Point{0, 0});
  ASSERT_EQ(CursorMoveTask::Start(&list, &app, 100, 100, 1000, 0.0, 1), 0);
  StepAfter(0);
  StepAfter(500);
  // The first glide is stopped (and, in mode 1, put on its end) before the
  // second reads its start.
  ASSERT_EQ(CursorMoveTask::Start(&list, &app, 0, 0, 1000, 0.0, 0), 0);
  EXPECT_EQ(Cursor(), Screen(100, 100));
  StepAfter(0);
  EXPECT_EQ(list.Size(), 1u);
  StepAfter(1000);
  EXPECT_EQ(Cursor(), Screen(0, 0));
}

TEST_F(CursorMoveTaskTest, InactiveApplicationAndMissingPartsAreRefused) {
  backend.PlaceCursor(Point{1, 1});
  EXPECT_EQ(CursorMoveTask::Start(nullptr, &app, 10, 10, 100, 0.0, 2), 1);
  EXPECT_EQ(CursorMoveTask::Start(&list, nullptr, 10, 10, 100, 0.0, 2), 1);
  RefusingList refusing;
  EXPECT_EQ(CursorMoveTask::Start(&refusing, &app, 10, 10, 100, 0.0, 2), 2);
  EXPECT_EQ(Cursor(), (Point{1, 1}));

  app.isActive = false;
  EXPECT_EQ(CursorMoveTask::Start(&list, &app, 10, 10, 100, 0.0, 1), -1);
  EXPECT_EQ(Cursor(), (Point{1, 1}));
  EXPECT_EQ(CursorMoveTask::Start(&list, &app, 10, 10, 100, 0.0, 2), -1);
  EXPECT_EQ(Cursor(), Screen(10, 10));
  EXPECT_EQ(list.Size(), 0u);

  // A glide whose application goes inactive ends without moving, unless it
  // always moves.
  app.isActive = true;
  backend.PlaceCursor(Point{1, 1});
  ASSERT_EQ(CursorMoveTask::Start(&list, &app, 10, 10, 100, 0.0, 1), 0);
  app.isActive = false;
  StepAfter(50);
  EXPECT_EQ(Cursor(), (Point{1, 1}));
  EXPECT_EQ(list.Size(), 0u);
}

}  // namespace
}  // namespace orrivel::test
