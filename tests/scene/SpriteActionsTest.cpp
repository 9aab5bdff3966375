// The sprite actions on an injected clock: keys from text and arrays, the
// timing of segments, easing, delay, visibility, repeat, pause and resume,
// the three kinds' targets, and the low-priority hooks.
#include "scene/SpriteActions.h"

#include <gtest/gtest.h>

#include <memory>

#include "SceneTestSupport.h"
#include "base/LowPriority.h"
#include "base/TimerList.h"
#include "display/SceneObject.h"
#include "platform/Clock.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::MakeSolid32;

class SpriteActionsTest : public test::SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    // Tasks added now are due from tick 1000, the first step of every test.
    clock_.SetTick(1000);
    ResetLowPriorityHooks();
    target_ = MakeSolid32(64, 64, 0);
    picture_ = MakeSolid32(16, 16, 0xFFFF0000u);
    ASSERT_EQ(canvas_.SetTarget(target_.get(), 0), 0);
    ASSERT_EQ(sprite_.SetImage(picture_.get(), nullptr, 10, 20), 0);
    ASSERT_EQ(canvas_.MainList().Add(&sprite_, 1, 0), 0);
  }
  void TearDown() override {
    list_.Clear();
    canvas_.MainList().Remove(&sprite_);
    ResetLowPriorityHooks();
    SceneTest::TearDown();
  }

  // A path action owned by the list once started; slot_ turns null when the
  // list deletes it.
  SpritePathAction* NewPath(uint32_t segment, uint32_t delay, uint8_t visible, double easing,
                            uint8_t target, uint8_t spline, uint8_t repeat, uint8_t low) {
    auto* action = new SpritePathAction(segment, delay, visible, easing, target, spline, repeat, low);
    slot_ = action;
    action->SetOwnerSlot(&slot_);
    return action;
  }

  struct Expect {
    uint32_t now;
    int32_t x;
    int32_t y;
    int opacity;
  };
  void Run(const std::vector<Expect>& expects) {
    for (const Expect& e : expects) {
      SCOPED_TRACE(e.now);
      list_.Step(e.now);
      EXPECT_EQ(sprite_.GetX(), e.x);
      EXPECT_EQ(sprite_.GetY(), e.y);
      EXPECT_EQ(int(sprite_.GetOpacity()), e.opacity);
    }
  }

  platform::ManualClock clock_;
  platform::ScopedClock scopedClock_{clock_};
  std::unique_ptr<Surface> target_;
  std::unique_ptr<Surface> picture_;
  SpriteCanvas canvas_;
  ImageSprite sprite_;
  TimerList list_;
  TimedTask* slot_ = nullptr;
};

TEST_F(SpriteActionsTest, PathStepsThroughItsKeysAndFinishesExactly) {
  SpritePathAction* action = NewPath(100, 0, 0, 0.0, 1, 0, 0, 0);
  ASSERT_EQ(action->Load("(110,20,0) (110,120,255)"), 0);
  EXPECT_EQ(action->GetTypeId(), 12000);
  ASSERT_EQ(action->Start(&list_, &sprite_), 0);
  EXPECT_EQ(action->GetTypeId(), 12003);
  EXPECT_EQ(action->Load("(1,1,1)"), SpriteAction::kRunning);
  EXPECT_EQ(action->Start(&list_, &sprite_), SpriteAction::kRunning);
  EXPECT_EQ(action->TotalTime(), 200u);
  Run({{1000, 10, 20, 255},
       {1050, 60, 20, 128},
       {1100, 110, 20, 0},  // a boundary belongs to the next segment
       {1175, 110, 95, 191},
       {1200, 110, 120, 255}});
  EXPECT_EQ(slot_, nullptr);  // finished and deleted by the list
}

TEST_F(SpriteActionsTest, EasingShapesTheTime) {
  struct Case {
    double easing;
    int32_t x;  // at half the total time
    int32_t y;
  };
  // Keys: (110, 20) then (110, 120), 100 ms each; half time is 100 ms.
  for (const Case& c : {Case{0.0, 110, 20}, Case{2.0, 60, 20}, Case{-2.0, 110, 70}}) {
    SCOPED_TRACE(c.easing);
    sprite_.SetPosition(10, 20);
    SpritePathAction* action = NewPath(100, 0, 0, c.easing, 1, 0, 0, 0);
    ASSERT_EQ(action->Load("(110,20,255)(110,120,255)"), 0);
    ASSERT_EQ(action->Start(&list_, &sprite_), 0);
    list_.Step(1000);
    list_.Step(1100);
    EXPECT_EQ(sprite_.GetX(), c.x);
    EXPECT_EQ(sprite_.GetY(), c.y);
    list_.Step(1200);
    EXPECT_EQ(slot_, nullptr);
  }
}

TEST_F(SpriteActionsTest, DelayVisibilityRepeatAndPause) {
  sprite_.SetVisible(0);
  SpritePathAction* action = NewPath(100, 50, 1, 0.0, 1, 0, 0, 0);
  ASSERT_EQ(action->Load("(110,20,255)"), 0);
  ASSERT_EQ(action->Start(&list_, &sprite_), 0);
  list_.Step(1000);
  list_.Step(1049);
  EXPECT_FALSE(sprite_.IsVisible());
  EXPECT_EQ(sprite_.GetX(), 10);
  list_.Step(1050);  // the delay has passed: shown, the clock starts here
  EXPECT_TRUE(sprite_.IsVisible());
  EXPECT_EQ(sprite_.GetX(), 10);
  list_.Step(1100);
  EXPECT_EQ(sprite_.GetX(), 60);
  // Paused 500 ms: the action's clock leaves that span out.
  action->Pause(1100);
  action->Resume(1600);
  list_.Step(1625);
  EXPECT_EQ(sprite_.GetX(), 85);
  list_.Step(1650);
  EXPECT_EQ(sprite_.GetX(), 110);
  EXPECT_FALSE(sprite_.IsVisible());  // hidden again at the end
  EXPECT_EQ(slot_, nullptr);

  // With repeat the path starts again instead of finishing.
  sprite_.SetPosition(10, 20);
  SpritePathAction* looping = NewPath(100, 0, 0, 0.0, 1, 0, 1, 0);
  ASSERT_EQ(looping->Load("(110,20,255)"), 0);
  ASSERT_EQ(looping->Start(&list_, &sprite_), 0);
  Run({{2000, 10, 20, 255}, {2100, 10, 20, 255}, {2150, 60, 20, 255}, {2250, 10, 20, 255}});
  // (elapsed past the end starts the clock again from that step)
  EXPECT_EQ(slot_, looping);
  EXPECT_TRUE(looping->Running());
}

TEST_F(SpriteActionsTest, KeysFromTextAndArrays) {
  SpritePathAction path(100, 0, 0, 0.0, 1, 0, 0, 0);
  SpritePathAction splined(100, 0, 0, 0.0, 1, 1, 0, 0);
  struct Case {
    SpritePathAction* action;
    const char* text;
    int code;
    int32_t keys;  // entry 0 included, after the load
  };
  const Case cases[] = {
      {&path, nullptr, 1, 0},
      {&path, "", 2, 0},
      {&path, "1,2,3", 2, 0},
      // Missing and non-numeric values refuse the text whole.
      {&path, "(1,2)", 2, 0},
      {&path, "(1,x,3)", 2, 0},
      {&path, "(1,2,-)", 2, 0},
      {&path, "(1,2,3)(4,5)", 2, 0},
      // A "(" inside a two-byte character is no key.
      {&path, "(1,2,3)\x81(", 0, 2},
      {&path, "(1,2,3) (0x10,-5,128)", 0, 3},
      {&splined, "(1,2,3)", 2, 0},
      {&splined, "(1,2,3)(4,5,6)", 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text != nullptr ? c.text : "null");
    EXPECT_EQ(c.action->Load(c.text), c.code);
    if (c.code == 0) {
      EXPECT_EQ(c.action->KeyCount(), c.keys);
    }
  }
  EXPECT_EQ(path.KeyA(2), 16.0);
  EXPECT_EQ(path.KeyB(2), -5.0);
  EXPECT_EQ(path.KeyOpacity(2), 128);

  const int32_t triples[] = {5, 6, 7, 8, 9, 10};
  EXPECT_EQ(path.SetKeys(0, triples), 1);
  EXPECT_EQ(path.SetKeys(2, nullptr), 1);
  EXPECT_EQ(splined.SetKeys(1, triples), 1);
  ASSERT_EQ(path.SetKeys(2, triples), 0);
  EXPECT_EQ(path.KeyCount(), 3);
  EXPECT_EQ(path.KeyA(2), 8.0);
  EXPECT_EQ(path.KeyOpacity(2), 10);

  // Starting: no list, no keys, no target.
  SpritePathAction empty(100, 0, 0, 0.0, 1, 0, 0, 0);
  EXPECT_EQ(empty.Start(&list_, &sprite_), 1);
  EXPECT_EQ(path.Start(nullptr, &sprite_), 1);
  EXPECT_EQ(path.Start(&list_, nullptr), 1);
  // No time per segment: straight to the last key, not started.
  SpritePathAction instant(0, 0, 0, 0.0, 1, 0, 0, 0);
  ASSERT_EQ(instant.SetKeys(2, triples), 0);
  EXPECT_EQ(instant.Start(&list_, &sprite_), SpriteAction::kJumpedToEnd);
  EXPECT_EQ(sprite_.GetX(), 8);
  EXPECT_EQ(sprite_.GetY(), 9);
  EXPECT_EQ(sprite_.GetOpacity(), 10);
  EXPECT_FALSE(instant.Running());
}

TEST_F(SpriteActionsTest, SplinePassesThroughTheKeys) {
  SpritePathAction* action = NewPath(100, 0, 0, 0.0, 1, 1, 0, 0);
  ASSERT_EQ(action->Load("(50,60,255)(30,10,255)(0,40,255)"), 0);
  ASSERT_EQ(action->Start(&list_, &sprite_), 0);
  ASSERT_EQ(action->SplineX().size(), 4u);
  EXPECT_EQ(action->SplineX()[0], 0.0);
  EXPECT_EQ(action->SplineX()[3], 0.0);
  const int32_t keys[][2] = {{10, 20}, {50, 60}, {30, 10}};
  bool curved = false;
  for (uint32_t i = 0; i < 3; ++i) {
    list_.Step(1000 + 100 * i);
    EXPECT_EQ(sprite_.GetX(), keys[i][0]);
    EXPECT_EQ(sprite_.GetY(), keys[i][1]);
  }
  list_.Step(1250);
  // The straight line would be at (15, 25).
  curved = sprite_.GetX() != 15 || sprite_.GetY() != 25;
  EXPECT_TRUE(curved);
  list_.Step(1300);
  EXPECT_EQ(sprite_.GetX(), 0);
  EXPECT_EQ(sprite_.GetY(), 40);
}

TEST_F(SpriteActionsTest, SizeAndRotation) {
  // The box grows about its middle across and keeps its bottom edge.
  auto* size = new SpriteSizeAction(100, 0, 0, 0.0, 1, 2, 0, 0, 0, 0);
  ASSERT_EQ(size->Load("(32,8,255)"), 0);
  ASSERT_EQ(size->Start(&list_, &sprite_), 0);
  EXPECT_EQ(size->GetTypeId(), 12005);
  list_.Step(1000);
  list_.Step(1050);
  EXPECT_EQ(sprite_.GetDisplayWidth(), 24);
  EXPECT_EQ(sprite_.GetDisplayHeight(), 12);
  EXPECT_EQ(sprite_.GetX(), 10 - 4);
  EXPECT_EQ(sprite_.GetY(), 20 + 4);
  // Following the current position does not drift when steps repeat.
  list_.Step(1050);
  EXPECT_EQ(sprite_.GetX(), 6);
  EXPECT_EQ(sprite_.GetY(), 24);
  list_.Step(1100);
  EXPECT_EQ(sprite_.GetDisplayWidth(), 32);
  EXPECT_EQ(sprite_.GetX(), 10 - 8);
  EXPECT_EQ(sprite_.GetY(), 20 + 8);

  ImageSprite spinner;
  ASSERT_EQ(spinner.SetImage(picture_.get(), nullptr, 0, 0), 0);
  canvas_.MainList().Add(&spinner, 2, 0);
  SpriteRotateAction rotate(100, 0, 0, 0.0, 1, 1, 0, 0);
  EXPECT_EQ(rotate.Load("(128,2.5,100)"), 0);
  EXPECT_EQ(rotate.Load("(128,2.5x,100)"), 2);
  EXPECT_EQ(rotate.Load("(128,1234567890123456789012345678901.5,100)"), 2);
  auto* spin = new SpriteRotateAction(100, 0, 0, 0.0, 1, 1, 0, 0);
  ASSERT_EQ(spin->Load("(128,3.0,101)"), 0);
  ASSERT_EQ(spin->Start(&list_, &spinner), 0);
  EXPECT_EQ(spin->GetTypeId(), 12007);
  list_.Step(1000);
  list_.Step(1050);
  EXPECT_EQ(spinner.GetAngle(), 64);
  EXPECT_DOUBLE_EQ(spinner.GetScale(), 2.0);
  EXPECT_EQ(spinner.GetOpacity(), 255 - 77);
  list_.Step(1100);
  EXPECT_EQ(spinner.GetAngle(), 128);
  EXPECT_DOUBLE_EQ(spinner.GetScale(), 3.0);
  EXPECT_EQ(spinner.GetOpacity(), 101);
  canvas_.MainList().Remove(&spinner);
}

// A scene object of a coloured kind that records its position and alpha.
class MovableObject final : public SceneObject {
 public:
  explicit MovableObject(int kind) : kind_(kind) {}
  int GetKind() const override { return kind_; }
  int Draw(int32_t, int32_t, D3DDevice*) override { return 0; }
  void SetPosition(int32_t x, int32_t y) override {
    this->x = x;
    this->y = y;
  }
  bool GetPosition(int32_t* outX, int32_t* outY) const override {
    *outX = x;
    *outY = y;
    return true;
  }
  bool GetAlpha(uint8_t* out) const override {
    *out = alpha;
    return true;
  }
  void SetAlpha(uint8_t value) override { alpha = value; }
  int32_t x = 4;
  int32_t y = 8;
  uint8_t alpha = 200;

 private:
  int kind_;
};

TEST_F(SpriteActionsTest, SceneObjectTargets) {
  MovableObject quad(4);
  MovableObject image(1);
  MovableObject states(9);
  auto* move = new SpritePathAction(100, 0, 0, 0.0, 1, 0, 0, 0);
  ASSERT_EQ(move->Load("(104,8,0)"), 0);
  ASSERT_EQ(move->StartWith(&list_, &quad), 0);
  EXPECT_EQ(move->GetTypeId(), 12000);
  list_.Step(1000);
  list_.Step(1050);
  EXPECT_EQ(quad.x, 54);
  EXPECT_EQ(quad.alpha, 100);
  list_.Step(1100);
  EXPECT_EQ(quad.x, 104);
  EXPECT_EQ(quad.alpha, 0);
  // Kinds without a colour move only.
  auto* plain = new SpritePathAction(100, 0, 0, 0.0, 1, 0, 0, 0);
  ASSERT_EQ(plain->Load("(0,0,0)"), 0);
  ASSERT_EQ(plain->StartWith(&list_, &image), 0);
  list_.Step(2000);
  list_.Step(2100);
  EXPECT_EQ(image.x, 0);
  EXPECT_EQ(image.alpha, 200);
  SpritePathAction refused(100, 0, 0, 0.0, 1, 0, 0, 0);
  ASSERT_EQ(refused.Load("(0,0,0)"), 0);
  EXPECT_EQ(refused.StartWith(&list_, &states), 2);
}

TEST_F(SpriteActionsTest, LowPriorityEntersAndLeavesInPairs) {
  int enters = 0;
  int leaves = 0;
  GetLowPriorityHooks().enter = [&] { ++enters; };
  GetLowPriorityHooks().leave = [&] { ++leaves; };
  // Two finishing actions, one deleted before its end, and one that
  // repeats (which never asks).
  const uint8_t repeats[] = {0, 0, 0, 1};
  const uint32_t segments[] = {100, 100, 1000, 100};
  for (int i = 0; i < 4; ++i) {
    const uint8_t repeat = repeats[i];
    auto* action = new SpritePathAction(segments[i], 0, 0, 0.0, 1, 0, repeat, 1);
    ASSERT_EQ(action->Load("(0,0,255)"), 0);
    ASSERT_EQ(action->Start(&list_, &sprite_), 0);
    EXPECT_EQ(action->LowPriorityState(), repeat == 0 ? 2 : 1);
  }
  EXPECT_EQ(enters, 3);
  list_.Step(1000);
  list_.Step(1100);
  EXPECT_EQ(leaves, 2);
  list_.Clear();
  EXPECT_EQ(leaves, 3);
}

}  // namespace
}  // namespace orrivel
