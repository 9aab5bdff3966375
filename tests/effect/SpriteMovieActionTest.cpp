// "sp_movie" over a fake sprite-movie library: where the movie goes on the
// layer's canvas, how the action ends with the movie, and what a failed
// set-up leaves behind.
#include "effect/SpriteMovieAction.h"

#include <gtest/gtest.h>

#include "base/TimerList.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel {
namespace {

using testing::BoundPixelOps;
using testing::FakeArchives;
using testing::FakeLibraryFolder;
using testing::FakeLibraryHandle;

class RefusingTimerList : public TimerList {
 public:
  int32_t Add(TimedTask*, uint32_t, uint32_t, uint32_t) override { return 3; }
};

class SpriteMovieActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    archives.AddMember("OPENING.MPG");
    libraries.Bind(true, &archives, FakeLibraryFolder("good"));
    ASSERT_EQ(layer.Load(160, 120, 32, 1), 0);
    canvas = layer.GetCanvas();
    ASSERT_NE(canvas, nullptr);
  }
  void TearDown() override {
    timers.Clear();
    libraries.Free();
  }

  // Cells: file, covers, x, y, order, loop, low priority.
  int32_t Setup(SpriteMovieAction* action, TimerList* list, const char* file, int covers, int order, int loop) {
    return action->Setup(list, &layer, {ObjectArgument(file), covers, 4, 8, order, loop, 0});
  }

  FakeLibraryHandle fake{"good", "WENDLE"};
  FakeArchives archives;
  MovieLibraries libraries;
  BoundPixelOps pixelOps;
  CanvasDrawObject layer;
  SpriteCanvas* canvas = nullptr;
  TimerList timers;
};

TEST_F(SpriteMovieActionTest, ACoveringMovieLiesInFrontAndItsEndRepaintsTheCanvas) {
  auto* action = new SpriteMovieAction;
  ASSERT_EQ(Setup(action, &timers, "OPENING.MPG", 1, 0, 0), 0);
  SpriteMovie* movie = &action->Movie();
  ASSERT_NE(canvas->MainList().Find(movie), nullptr);
  EXPECT_EQ(canvas->MainList().Find(movie)->order, SpriteMovieAction::kCoveringOrder);
  EXPECT_FALSE(movie->IsVisible());  // until its first frame
  EXPECT_EQ(movie->GetX(), 4);
  EXPECT_EQ(fake.State().Count("Play"), 1);
  timers.Step(0);
  EXPECT_EQ(timers.Size(), 1u);

  canvas->ResetChanges();
  fake.State().endOfStream = 1;
  timers.Step(0);
  EXPECT_EQ(timers.Size(), 0u);
  EXPECT_EQ(fake.State().Count("Stop"), 1);
  EXPECT_EQ(fake.State().live, 0);
  EXPECT_EQ(canvas->MainList().Head(), nullptr);
  EXPECT_EQ(canvas->Region().Rects(), (std::vector<Rect>{{0, 0, 160, 120}}));
}

TEST_F(SpriteMovieActionTest, ALoopingMoviePlaysUntilControlZeroThenEndsWithItsPlay) {
  auto* action = new SpriteMovieAction;
  ASSERT_EQ(Setup(action, &timers, "OPENING.MPG", 0, 30, 1), 0);
  EXPECT_EQ(canvas->MainList().Head()->order, 30u);
  for (int end = 0; end < 2; ++end) {
    fake.State().endOfStream = 1;
    timers.Step(0);
    EXPECT_EQ(timers.Size(), 1u);
    timers.Step(0);  // playing again
  }
  EXPECT_EQ(fake.State().Count("Play"), 3);
  EXPECT_EQ(action->Control({5}), 1);
  EXPECT_EQ(action->Control({0}), 0);
  timers.Step(0);
  EXPECT_EQ(timers.Size(), 1u);
  fake.State().endOfStream = 1;
  timers.Step(0);
  EXPECT_EQ(timers.Size(), 0u);
  EXPECT_EQ(fake.State().Count("Play"), 3);
}

TEST_F(SpriteMovieActionTest, AFailedSetupLeavesTheCanvasAndTheListUntouched) {
  CanvasDrawObject bare;
  ASSERT_EQ(bare.Prepare(8, 8, 32, 0), 0);
  RefusingTimerList refusing;
  struct Case {
    const char* what;
    TimerList* list;
    ObjectArgument target;
    const char* file;
    int32_t expected;
  };
  const Case cases[] = {
      {"no timer list", nullptr, &layer, "OPENING.MPG", 1},
      {"no target", &timers, nullptr, "OPENING.MPG", 1},
      {"no file name", &timers, &layer, nullptr, 1},
      {"no canvas", &timers, &bare, "OPENING.MPG", 2},
      {"missing file", &timers, &layer, "MISSING.MPG", 3},
      {"list refuses", &refusing, &layer, "OPENING.MPG", 5},
  };
  canvas->ResetChanges();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SpriteMovieAction action;
    EXPECT_EQ(action.Setup(c.list, c.target, {ObjectArgument(c.file), 1, 0, 0, 0, 0, 0}), c.expected);
    EXPECT_EQ(canvas->MainList().Head(), nullptr);
    EXPECT_EQ(canvas->Region().Count(), 0);
    EXPECT_EQ(timers.Size(), 0u);
    EXPECT_EQ(fake.State().live, 0);
  }
}

}  // namespace
}  // namespace orrivel
