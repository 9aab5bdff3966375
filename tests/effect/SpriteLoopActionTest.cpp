#include "effect/SpriteLoopAction.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "OverlayTestRig.h"
#include "effect/BuiltinEffects.h"
#include "resource/DcpManager.h"
#include "resource/TcpManager.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

constexpr int32_t kX = 10;
constexpr int32_t kY = 20;
constexpr uint32_t kPeriod = 4000;

bool SameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A layer image with a canvas, an 800 x 6 and a 6 x 800 picture in the game
// folder, and loops set up on them by name through the registry's cells.
class SpriteLoop : public testing::OverlayTest {
 protected:
  void SetUp() override {
    OverlayTest::SetUp();
    ASSERT_EQ(layer_.Prepare(820, 24, 32, 1), 0);
    WriteOpaque("wide.elg", 800, 6);
    WriteOpaque("tall.elg", 6, 800);
  }
  void TearDown() override {
    list_.Clear();
    OverlayTest::TearDown();
  }

  // Set up with the window 640, order 5 and the given direction and count;
  // the owner slot tells when the list has deleted it.
  SpriteLoopAction* Make(uint8_t direction, int32_t count, int32_t window = 640) {
    clock_.SetTick(kStart);
    auto* loop = new SpriteLoopAction();
    const char* name = direction < 2 ? "wide.elg" : "tall.elg";
    const int32_t result = loop->Setup(&list_, &layer_, {ObjectArgument(name), kX, kY, window, 200, 5, direction,
                                                         std::intptr_t(kPeriod), count, 0});
    EXPECT_EQ(result, 0);
    if (result != 0) {
      delete loop;
      return nullptr;
    }
    loop->SetOwnerSlot(&slot_);
    slot_ = loop;
    return loop;
  }
  bool Alive() const { return slot_ != nullptr; }

  CanvasDrawObject layer_;
  TimedTask* slot_ = nullptr;
};

struct BandCase {
  uint8_t direction;
  Rect first;
  bool wraps;
  Rect second;
  int32_t secondX, secondY;
};

TEST_F(SpriteLoop, AQuarterPeriodShowsTheBandAndItsWrappedRest) {
  // 800 long, window 640, a quarter of the period: the band starts 200 in
  // (600 in for the reversed directions).
  const BandCase cases[] = {
      {0, {200, 0, 800, 6}, true, {0, 0, 40, 6}, kX + 600, kY},
      {1, {600, 0, 800, 6}, true, {0, 0, 440, 6}, kX + 200, kY},
      {2, {0, 200, 6, 800}, true, {0, 0, 6, 40}, kX, kY + 600},
      {3, {0, 600, 6, 800}, true, {0, 0, 6, 440}, kX, kY + 200},
  };
  for (const BandCase& c : cases) {
    SCOPED_TRACE(int(c.direction));
    SpriteLoopAction* loop = Make(c.direction, 0);
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->First().OwningList(), &layer_.GetCanvas()->MainList());
    EXPECT_EQ(loop->Second().OwningList(), &layer_.GetCanvas()->MainList());
    EXPECT_FALSE(loop->Second().IsVisible());
    EXPECT_EQ(loop->First().GetOpacity(), 200);
    StepAt(kStart);
    StepAt(kStart + 1000);
    EXPECT_TRUE(SameRect(loop->First().GetSourceRect(), c.first));
    EXPECT_EQ(loop->First().GetX(), kX);
    EXPECT_EQ(loop->First().GetY(), kY);
    ASSERT_TRUE(loop->Second().IsVisible());
    EXPECT_TRUE(SameRect(loop->Second().GetSourceRect(), c.second));
    EXPECT_EQ(loop->Second().GetX(), c.secondX);
    EXPECT_EQ(loop->Second().GetY(), c.secondY);
    // At the start of the next pass the band fits again (the reversed
    // directions too: their start at the picture's end is its beginning).
    StepAt(kStart + kPeriod);
    EXPECT_EQ(loop->First().GetSourceRect().Width() + loop->First().GetSourceRect().Height(), 640 + 6);
    EXPECT_FALSE(loop->Second().IsVisible());
    list_.Clear();
    EXPECT_TRUE(layer_.GetCanvas()->MainList().Items().empty());
  }
}

TEST_F(SpriteLoop, CountsPassesAndStopsAtTheEndOfThePassUnderWay) {
  // A count of 3 ends in the step in which the third pass ends.
  SpriteLoopAction* counted = Make(0, 3);
  StepAt(kStart);
  StepAt(kStart + kPeriod);
  StepAt(kStart + 2 * kPeriod);
  EXPECT_EQ(counted->Remaining(), 1);
  StepAt(kStart + 3 * kPeriod - 1);
  ASSERT_TRUE(Alive());
  StepAt(kStart + 3 * kPeriod);
  EXPECT_FALSE(Alive());
  EXPECT_TRUE(layer_.GetCanvas()->MainList().Items().empty());

  // Endless until a stop; the stop waits for the end of the pass.
  SpriteLoopAction* endless = Make(0, 0);
  StepAt(kStart);
  StepAt(kStart + 5 * kPeriod + 100);
  EXPECT_EQ(endless->Control({SpriteLoopAction::kControlStop}), 0);
  StepAt(kStart + 6 * kPeriod - 1);
  ASSERT_TRUE(Alive());
  StepAt(kStart + 6 * kPeriod);
  EXPECT_FALSE(Alive());
}

TEST_F(SpriteLoop, ALateStepCountsOnePassAndKeepsThePhase) {
  SpriteLoopAction* loop = Make(0, 5);
  StepAt(kStart);
  StepAt(kStart + 3 * kPeriod + 1000);
  EXPECT_EQ(loop->Remaining(), 4);
  EXPECT_EQ(loop->First().GetSourceRect().left, 200);
  StepAt(kStart + 4 * kPeriod + 2000);
  EXPECT_EQ(loop->Remaining(), 3);
  EXPECT_EQ(loop->First().GetSourceRect().left, 400);
}

TEST_F(SpriteLoop, ControlsHideShowMoveAndFade) {
  SpriteLoopAction* loop = Make(0, 0);
  StepAt(kStart);
  StepAt(kStart + 1000);
  ASSERT_EQ(loop->Control({SpriteLoopAction::kControlVisible, 0}), 0);
  EXPECT_FALSE(loop->First().IsVisible());
  EXPECT_FALSE(loop->Second().IsVisible());
  // While hidden the band moves on unseen.
  StepAt(kStart + 1100);
  EXPECT_FALSE(loop->Second().IsVisible());
  // Shown again, the band is drawn at once where the clock has it.
  ASSERT_EQ(loop->Control({SpriteLoopAction::kControlVisible, 1}), 0);
  EXPECT_TRUE(loop->First().IsVisible());
  EXPECT_TRUE(SameRect(loop->First().GetSourceRect(), {220, 0, 800, 6}));
  ASSERT_TRUE(loop->Second().IsVisible());
  EXPECT_TRUE(SameRect(loop->Second().GetSourceRect(), {0, 0, 60, 6}));
  // Moving takes the wrapped part along.
  ASSERT_EQ(loop->Control({SpriteLoopAction::kControlMove, 30, 40}), 0);
  EXPECT_EQ(loop->First().GetX(), 30);
  EXPECT_EQ(loop->First().GetY(), 40);
  EXPECT_EQ(loop->Second().GetX(), 30 + 580);
  EXPECT_EQ(loop->Second().GetY(), 40);
  ASSERT_EQ(loop->Control({SpriteLoopAction::kControlAlpha, 0x180}), 0);
  EXPECT_EQ(loop->First().GetOpacity(), 0x80);
  EXPECT_EQ(loop->Second().GetOpacity(), 0x80);
  EXPECT_EQ(loop->Control({99}), 0);
}

TEST_F(SpriteLoop, TheCanvasShowsTheBandThenItsWrappedRest) {
  // Each column of the picture carries its own number.
  WritePicture("band.elg", 800, 2, [](int x, int) { return 0xFF000000u | uint32_t(x); });
  SpriteLoopAction* loop = new SpriteLoopAction();
  ASSERT_EQ(loop->Setup(&list_, &layer_, {"band.elg", kX, kY, 640, 255, 5, 0, kPeriod, 0, 0}), 0);
  StepAt(kStart);
  StepAt(kStart + 1000);
  SpriteCanvas& canvas = *layer_.GetCanvas();
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  Surface& screen = *layer_.GetSurface();
  const int row = kY + 1;
  const uint32_t background = test::Pixel32(screen, 0, 0);
  EXPECT_EQ(test::Pixel32(screen, kX - 1, row), background) << "left of the band";
  for (int x = 0; x < 640; ++x) {
    ASSERT_EQ(test::Pixel32(screen, kX + x, row) & 0xFFFFu, uint32_t((200 + x) % 800)) << x;
  }
  EXPECT_EQ(test::Pixel32(screen, kX + 640, row), background) << "right of the band";
}

TEST_F(SpriteLoop, SetupCodes) {
  testing::RefusingTimerList refusing;
  CanvasDrawObject bare;
  struct Case {
    const char* what;
    TimerList* timers;
    ObjectArgument target;
    const char* name;
    int32_t window;
    int32_t direction;
    int32_t expected;
  } const cases[] = {
      {"no timer list", nullptr, &layer_, "wide.elg", 0, 0, 1},
      {"no target", &list_, nullptr, "wide.elg", 0, 0, 1},
      {"no picture", &list_, &layer_, "missing.elg", 0, 0, 2},
      {"no file name", &list_, &layer_, nullptr, 0, 0, 2},
      {"window longer than the picture", &list_, &layer_, "wide.elg", 801, 0, 3},
      {"no such direction", &list_, &layer_, "wide.elg", 0, 4, 3},
      {"layer without a canvas", &list_, &bare, "wide.elg", 0, 0, 3},
      {"refused by the timer list", &refusing, &layer_, "wide.elg", 0, 0, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SpriteLoopAction loop;
    EXPECT_EQ(loop.Control({SpriteLoopAction::kControlStop}), 1);
    EXPECT_EQ(loop.Step(kStart), SpriteLoopAction::kNoPicture);
    const int32_t result =
        loop.Setup(c.timers, c.target, {ObjectArgument(c.name), 0, 0, c.window, 255, 0, c.direction, 1000, 0, 0});
    EXPECT_EQ(result, c.expected);
    EXPECT_TRUE(layer_.GetCanvas()->MainList().Items().empty());
  }
}

TEST_F(SpriteLoop, RegisteredByName) {
  DcpManager actions;
  TcpManager screenObjects;
  RegisterScriptHostEffects(screenObjects, actions, 1);
  DcpObject* object = actions.GetObject("sp_loop");
  ASSERT_NE(object, nullptr);
  auto* loop = dynamic_cast<SpriteLoopAction*>(object);
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->GetCategory(), LayerAction::kSpriteCategory);
  EXPECT_EQ(loop->GetTypeId(), LayerAction::kSpriteActionType);
  object->Release();
}

}  // namespace
}  // namespace orrivel
