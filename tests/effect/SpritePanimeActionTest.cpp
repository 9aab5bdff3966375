// The key animation: segment timing with late steps, the easings, the
// bounce, the end state, looping and its control, the set-up codes, the
// query, and the assist entry that applies one key at once.
#include "effect/SpritePanimeAction.h"

#include <gtest/gtest.h>

#include "SpriteActionRig.h"
#include "resource/DcpManager.h"

namespace orrivel {
namespace {

using testing::Cell;

class SpritePanime : public testing::SpriteActionTest {
 protected:
  void SetUp() override {
    SpriteActionTest::SetUp();
    sprite_ = AddSolidSprite(100, 50, 0, 0);
    SetSpPanimeOrderValues(0, 0);
  }
  void TearDown() override {
    SetSpPanimeOrderValues(0, 0);
    SpriteActionTest::TearDown();
  }
  SpritePanimeAction* Animate(const char* keys, int32_t duration, bool loop = false, int32_t expected = 0) {
    return Start<SpritePanimeAction>(expected, nullptr, {Cell(sprite_), Cell(keys), duration, loop ? 1 : 0, 0});
  }

  ImageSprite* sprite_ = nullptr;
};

struct StepCase {
  const char* what;
  const char* keys;
  int32_t duration;
  uint32_t after;  // ms after the first step
  int32_t x;
  uint8_t alpha;
  int32_t finished;
};

TEST_F(SpritePanime, SegmentsEasingsAndBounceAtTheirTimes) {
  const StepCase cases[] = {
      {"a 1 ms segment jumps to its key at once", "p100,0O128", 1, 0, 100, 128, 0},
      {"linear half way", "p100,0O55", 1000, 500, 50, 155, 0},
      {"cosine easing is half way at half time", "A p256,0", 1000, 500, 128, 255, 0},
      {"cosine easing starts slowly", "A p256,0", 1000, 250, 37, 255, 0},
      {"a positive curve starts slowly", "A2 p100,0", 1000, 500, 25, 255, 0},
      {"a negative curve ends slowly", "A-2 p100,0", 1000, 500, 75, 255, 0},
      {"a late step lands 100 ms into the fourth segment", "p100,0 p200,0 p300,0 p400,0", 300, 1000, 333, 255, 0},
      {"a time command changes the next segments", "p100,0 50 p200,0", 1000, 1025, 150, 255, 0},
      {"a random time with a range of 0 keeps its base", "t100,99 p100,0", 1000, 50, 50, 255, 0},
      {"a bounce of 20 adds 20 at half time", "L20 p100,0]", 1000, 500, 70, 255, 0},
      {"the bounce starts at nothing", "L20 p100,0]", 1000, 0, 0, 255, 0},
      {"the bounce is gone at the end", "L20 p100,0]", 1000, 1000, 100, 255, 1},
      {"passing the last key ends at the end key", "p100,0O10 p50,0O20", 100, 5000, 50, 20, 1},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.what);
    sprite_->SetPosition(0, 0);
    sprite_->SetOpacity(255);
    SpritePanimeAction* action = Animate(c.keys, c.duration);
    ASSERT_EQ(action->Step(kStart), 0);
    EXPECT_EQ(action->Step(kStart + c.after), c.finished);
    EXPECT_EQ(sprite_->GetX(), c.x);
    EXPECT_EQ(sprite_->GetOpacity(), c.alpha);
    list_.Clear();
  }
}

TEST_F(SpritePanime, BounceWithAnOffsetRisesFromItsShiftedStart) {
  // "[" shifts the swing back by its own width: the sprite first swings the
  // other way.
  SpritePanimeAction* action = Animate("L20 p100,0[", 1000);
  ASSERT_EQ(action->Step(kStart), 0);
  action->Step(kStart + 250);
  // t = 0.25: d = 10, not beyond -2o = 40 but within -o = 20: -d.
  EXPECT_EQ(sprite_->GetX(), 25 - 10);
}

TEST_F(SpritePanime, ZeroDurationShowsTheEndStateAndIsNotListed) {
  Animate("p100,20O77", 0, false, SpritePanimeAction::kShownAtEnd);
  EXPECT_EQ(sprite_->GetX(), 100);
  EXPECT_EQ(sprite_->GetY(), 20);
  EXPECT_EQ(sprite_->GetOpacity(), 77);
  EXPECT_EQ(list_.Size(), 0u);
}

TEST_F(SpritePanime, SetupCodes) {
  std::unique_ptr<Surface> picture = test::MakeSolid32(4, 4, 0);
  Animate("p1,1", 100, false, 0);
  Start<SpritePanimeAction>(1, nullptr, {0, Cell("p1,1"), 100, 0, 0});
  list_.Clear();
  // A bad character in the key text; the sprite stays where it was.
  sprite_->SetPosition(3, 4);
  Animate("p1,1 ?", 100, false, 2);
  EXPECT_EQ(sprite_->GetX(), 3);
  // A looping list with nothing but commands after the first entry would
  // never reach a segment.
  Animate("200 A", 100, true, 2);
  // Without a timer list.
  SpritePanimeAction lone;
  EXPECT_EQ(lone.Setup(nullptr, nullptr, {Cell(sprite_), Cell("p1,1"), 100, 0, 0}), 1);
  // A sprite outside any canvas has no frame to read the keys against.
  ImageSprite outside;
  ASSERT_EQ(outside.SetImage(picture.get(), nullptr, 0, 0), 0);
  EXPECT_EQ(lone.Setup(&list_, nullptr, {Cell(&outside), Cell("p1,1"), 100, 0, 0}), 2);
}

TEST_F(SpritePanime, WithoutAnEndKeyTheEndStateChangesNothing) {
  sprite_->SetPosition(7, 8);
  SpritePanimeAction* action = Animate("300 A", 100);
  int32_t alpha = 0;
  EXPECT_EQ(action->Query({0, 0, Cell(&alpha)}), 0);
  EXPECT_EQ(alpha, -1);
  action->GoToEnd();
  EXPECT_EQ(action->Step(kStart), 1);
  EXPECT_EQ(sprite_->GetX(), 7);
  EXPECT_EQ(sprite_->GetY(), 8);
  EXPECT_EQ(sprite_->GetOpacity(), 255);
}

TEST_F(SpritePanime, ControlZeroLetsALoopFinishAtItsNextPass) {
  SpritePanimeAction* action = Animate("p100,0 p0,0", 100, true);
  ASSERT_EQ(action->Step(kStart), 0);
  // Second pass, the first segment again, from the last key.
  EXPECT_EQ(action->Step(kStart + 250), 0);
  EXPECT_EQ(sprite_->GetX(), 50);
  EXPECT_EQ(action->Control({1}), 1);
  EXPECT_EQ(action->Control({0}), 0);
  EXPECT_EQ(action->Step(kStart + 360), 0);
  EXPECT_EQ(sprite_->GetX(), 40);
  EXPECT_EQ(action->Step(kStart + 400), 1);
  EXPECT_EQ(sprite_->GetX(), 0);
}

TEST_F(SpritePanime, ALoopRunsOnUntilStopped) {
  SpritePanimeAction* action = Animate("p100,0O0 p0,0", 100, true);
  ASSERT_EQ(action->Step(kStart), 0);
  EXPECT_EQ(action->Step(kStart + 10050), 0);
  EXPECT_EQ(sprite_->GetX(), 50);
  // Stopping applies the end state.
  ASSERT_TRUE(list_.Stop(action->Handle()));
  EXPECT_EQ(sprite_->GetX(), 0);
}

TEST_F(SpritePanime, QueryReportsTheEndKey) {
  SpritePanimeAction* action = Animate("F p30,40O99Z2 200", 100);
  int32_t x = 0, y = 0, alpha = 0, mode = 0, cx = 0, cy = 0;
  float scale = 0, angle = 1, rotation = 0;
  ASSERT_EQ(action->Query({Cell(&x), Cell(&y), Cell(&alpha), Cell(&mode), Cell(&scale), Cell(&angle), Cell(&cx),
                           Cell(&cy), Cell(&rotation)}),
            0);
  EXPECT_EQ(x, 30);
  EXPECT_EQ(y, 40);
  EXPECT_EQ(alpha, 99);
  EXPECT_EQ(mode, 1);
  EXPECT_FLOAT_EQ(scale, 2.0f);
  EXPECT_FLOAT_EQ(angle, 0.0f);
  // The zoom makes the rotation active (by a stretch): the bottom centre of
  // the layer in the picture's frame.
  EXPECT_FLOAT_EQ(rotation, 1.0f);
  EXPECT_EQ(cx, 320);
  EXPECT_EQ(cy, 480);
  // Null out-pointers are skipped.
  EXPECT_EQ(action->Query({}), 0);
  SpritePanimeAction empty;
  EXPECT_EQ(empty.Query({Cell(&x)}), 1);
}

TEST_F(SpritePanime, RotationKeysTurnAndScaleTheSprite) {
  SpritePanimeAction* action = Animate("pR0.5Z2", 1000);
  ASSERT_TRUE(action->RotationActive());
  ASSERT_EQ(action->Step(kStart), 0);
  action->Step(kStart + 500);
  EXPECT_EQ(sprite_->GetAngle(), 128);
  EXPECT_DOUBLE_EQ(sprite_->GetScale(), 1.5);
  EXPECT_EQ(action->Step(kStart + 1000), 1);
  EXPECT_EQ(sprite_->GetAngle(), 256);
  EXPECT_DOUBLE_EQ(sprite_->GetScale(), 2.0);
}

TEST_F(SpritePanime, OrderCommandsTakeThePairSetBeforeSetup) {
  ImageSprite* other = AddSolidSprite(10, 10, 0, 0);
  ASSERT_EQ(ParseSpPanimeArgs(CellList({0, 5, 20})), 0);
  EXPECT_EQ(SpPanimeOrderBefore(), 5u);
  EXPECT_EQ(SpPanimeOrderAfter(), 20u);
  SpritePanimeAction* action = Animate("F p1,0", 100);
  // The pair is read at set-up: a later change does not reach this one.
  ParseSpPanimeArgs(CellList({0, 7, 7}));
  ASSERT_EQ(action->Step(kStart), 0);
  EXPECT_EQ(canvas_.MainList().Find(sprite_)->order, 5u);
  SpritePanimeAction* after = Start<SpritePanimeAction>(0, nullptr, {Cell(other), Cell("B p1,0"), 100, 0, 0});
  ASSERT_EQ(after->Step(kStart + 5000), 0);
  EXPECT_EQ(after->Step(kStart + 5100), 1);
  EXPECT_EQ(canvas_.MainList().Find(other)->order, 7u);
}

TEST_F(SpritePanime, AssistEntryAppliesOneKeyAtOnce) {
  int32_t x = 0, y = 0, alpha = 0, mode = 9, ax = 0, ay = 0;
  float scale = 1, angle = 1;
  ASSERT_EQ(ParseSpPanimeArgs(CellList({1, Cell(sprite_), Cell("B p40,30O60"), Cell(&x), Cell(&y), Cell(&alpha),
                                        Cell(&mode), Cell(&scale), Cell(&angle), Cell(&ax), Cell(&ay)})),
            0);
  EXPECT_EQ(sprite_->GetX(), 40);
  EXPECT_EQ(sprite_->GetY(), 30);
  EXPECT_EQ(sprite_->GetOpacity(), 60);
  EXPECT_EQ(x, 40);
  EXPECT_EQ(y, 30);
  EXPECT_EQ(alpha, 60);
  EXPECT_EQ(mode, 2);
  EXPECT_EQ(scale, 0.0f);
  EXPECT_EQ(angle, 0.0f);
  EXPECT_FALSE(sprite_->IsRotated());
  // A turn sets the anchor and rotates; a scale of 0 keeps the current one.
  ASSERT_EQ(ParseSpPanimeArgs(CellList({1, Cell(sprite_), Cell("pR0.25")})), 0);
  EXPECT_EQ(sprite_->GetAngle(), 128);
  EXPECT_DOUBLE_EQ(sprite_->GetScale(), 1.0);
  // Refusals: no image sprite, and the path's own code for a bad key.
  EXPECT_EQ(ParseSpPanimeArgs(CellList({1, 0, Cell("p1,1")})), 1);
  EXPECT_EQ(ParseSpPanimeArgs(CellList({1, Cell(sprite_), Cell("p1,1 ?")})), 4);
  // The variadic form reaches the same entry.
  const std::intptr_t z = 0;
  EXPECT_EQ(ParseSpPanimeArgsVariadic(z, std::intptr_t(3), std::intptr_t(4), z, z, z, z, z, z, z, z), 0);
  EXPECT_EQ(SpPanimeOrderBefore(), 3u);
}

TEST_F(SpritePanime, RegisteredByNameWithItsAssistEntry) {
  DcpManager actions;
  RegisterStartupEffects(actions);
  EXPECT_EQ(actions.FindCallbackAssist2("sp_panime"), &ParseSpPanimeArgs);
  DcpObject* object = actions.GetObject("sp_panime");
  ASSERT_NE(object, nullptr);
  auto* action = dynamic_cast<SpritePanimeAction*>(object);
  ASSERT_NE(action, nullptr);
  const ObjectArgument words[] = {Cell(&list_), 0, Cell(sprite_), Cell("p10,0"), 100, 0, 0};
  ASSERT_EQ(action->SetupV(ObjectArguments{words, 7}), 0);
  EXPECT_EQ(action->GetTypeId(), 14001);
  list_.Step(kStart);
  list_.Step(kStart + 100);
  EXPECT_EQ(sprite_->GetX(), 10);
}

}  // namespace
}  // namespace orrivel
