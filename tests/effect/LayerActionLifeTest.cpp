#include "effect/LayerActionLife.h"

#include <gtest/gtest.h>

#include "base/LowPriority.h"
#include "base/TimerList.h"
#include "platform/Clock.h"
#include "resource/DcpManager.h"

namespace orrivel {
namespace {

// What the probe actions did, shared by every probe of a test.
struct ProbeLog {
  int made = 0;
  int alive = 0;
  int updates = 0;
  int stops = 0;
  int32_t setupResult = 0;
  uint32_t extraHolders = 0;  // given to each new probe
  bool enterOnSetup = false;
  uint32_t finishAt = 0;  // tick at which Step reports the end; 0 never
  LayerAction* last = nullptr;
};

ProbeLog* gLog = nullptr;

class ProbeAction final : public LayerAction {
 public:
  ProbeAction() {
    ++gLog->made;
    ++gLog->alive;
    for (uint32_t i = 0; i < gLog->extraHolders; ++i) AddHolder();
    gLog->last = this;
  }
  ~ProbeAction() override { --gLog->alive; }
  const char* GetName() const override { return "probe"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }
  int32_t GetTypeId() const override { return kSpriteActionType; }
  using LayerAction::SetupV;
  int32_t SetupV(TimerList* list, const ObjectArgument&, const ObjectArguments&) override {
    if (gLog->setupResult != 0) return gLog->setupResult;
    if (list->Add(this, 0, 0, 0) != 0) return 5;
    if (gLog->enterOnSetup) {
      EnterLowPriority();
      EnterLowPriority();  // a second request changes nothing
    }
    return 0;
  }
  int32_t Step(uint32_t now) override {
    ++gLog->updates;
    return gLog->finishAt != 0 && now >= gLog->finishAt ? 1 : 0;
  }
  void Stop() override { ++gLog->stops; }
};

// A registered object that is not a timed action (a foreign plug-in's).
class ForeignObject final : public DcpObject {
 public:
  ForeignObject() { ++gLog->alive; }
  ~ForeignObject() override { --gLog->alive; }
  int32_t SetupV(const ObjectArguments&) override { return 0; }
};

DcpObject* MakeForeign(int32_t) { return new ForeignObject(); }

// A task the slot held before, never listed.
class EarlierTask final : public TimedTask {
 public:
  int32_t Step(uint32_t) override { return 0; }
  void Stop() override {}
};

class LayerActionLife : public ::testing::Test {
 protected:
  void SetUp() override {
    gLog = &log_;
    ResetLowPriorityHooks();
    registry_.RegisterObject(&CreateBuiltinProbe, "probe", LayerAction::kSpriteCategory, nullptr, nullptr, 0);
    registry_.RegisterObject(&MakeForeign, "foreign", LayerAction::kSpriteCategory, nullptr, nullptr, 0);
  }
  void TearDown() override {
    list_.Clear();
    ResetLowPriorityHooks();
    gLog = nullptr;
  }
  static DcpObject* CreateBuiltinProbe(int32_t) { return new ProbeAction(); }

  int Create(std::string_view name, bool lowPriorityOff = false) {
    return CreateLayerAction(registry_, &slot_, name, &list_, nullptr, ObjectArguments{}, lowPriorityOff);
  }
  void StepAt(uint32_t tick) {
    clock_.SetTick(tick);
    list_.Step(tick);
  }

  ProbeLog log_;
  platform::ManualClock clock_{1000};
  platform::ScopedClock scopedClock_{clock_};
  DcpManager registry_;
  TimerList list_;
  TimedTask* slot_ = nullptr;
};

TEST_F(LayerActionLife, CreationResults) {
  EarlierTask earlier;
  struct {
    const char* what;
    const char* name;
    int32_t setupResult;
    uint32_t extraHolders;
    int expected;
    int aliveAfter;  // probes or foreign objects still alive
  } const cases[] = {
      {"exact name", "probe", 0, 0, kActionCreated, 1},
      {"other letter case", "Probe", 0, 0, kActionUnknown, 0},
      {"unknown", "quake", 0, 0, kActionUnknown, 0},
      {"failed set-up frees", "probe", 3, 0, kActionSetupFailed, 0},
      {"failed set-up drops one reference", "probe", -1, 1, kActionSetupFailed, 1},
      {"not a timed action", "foreign", 0, 0, kActionUnknown, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    log_ = ProbeLog{};
    log_.setupResult = c.setupResult;
    log_.extraHolders = c.extraHolders;
    TimedTask* const before = &earlier;
    slot_ = before;
    EXPECT_EQ(Create(c.name), c.expected);
    EXPECT_EQ(log_.alive, c.aliveAfter);
    if (c.expected == kActionCreated) {
      ASSERT_NE(slot_, before);
      EXPECT_EQ(slot_->OwnerSlot(), &slot_);
      EXPECT_TRUE(list_.Contains(slot_->Handle()));
      StopLayerAction(list_, &slot_);
      StepAt(1000);
    } else {
      EXPECT_EQ(slot_, before) << "the slot keeps its value";
      EXPECT_EQ(list_.Size(), 0u);
    }
    if (c.extraHolders != 0) {
      // Only one reference went; the remaining holder frees it.
      ASSERT_EQ(log_.last->ExtraHolders(), 0u);
      log_.last->Release();
      EXPECT_EQ(log_.alive, 0);
    }
  }
  slot_ = nullptr;
}


TEST_F(LayerActionLife, StopClearsTheSlotAtOnceAndFreesAtTheNextStepWithoutAnUpdate) {
  ASSERT_EQ(Create("probe"), kActionCreated);
  StepAt(1000);
  ASSERT_EQ(log_.updates, 1);
  ASSERT_TRUE(StopLayerAction(list_, &slot_));
  EXPECT_EQ(slot_, nullptr);
  EXPECT_EQ(log_.stops, 1);
  EXPECT_EQ(log_.alive, 1) << "still listed until the next step";
  StepAt(1016);
  EXPECT_EQ(log_.alive, 0);
  EXPECT_EQ(log_.updates, 1);
  EXPECT_FALSE(StopLayerAction(list_, &slot_));
}

TEST_F(LayerActionLife, WaitEndsWhenTheActionFinishesIsSkippedOrThePumpQuits) {
  struct {
    const char* what;
    bool skippable;
    bool skip;
    int quitAtFrame;  // 0 never
    int expected;
    int framesRun;
    bool slotCleared;
  } const cases[] = {
      {"finishes by itself", false, false, 0, kWaitFinished, 3, true},
      {"skip ignored when not skippable", false, true, 0, kWaitFinished, 3, true},
      {"skipped", true, true, 0, kWaitSkipped, 1, true},
      {"pump quits", false, false, 2, kWaitQuit, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    log_ = ProbeLog{};
    log_.finishAt = 1048;
    clock_.SetTick(1000);
    ASSERT_EQ(Create("probe"), kActionCreated);
    int frames = 0;
    uint32_t tick = 1000;
    ActionWaitPump pump{[&] {
                          ++frames;
                          if (frames == c.quitAtFrame) return 0;
                          StepAt(tick += 16);
                          return 1;
                        },
                        [&] { return c.skip; }};
    EXPECT_EQ(WaitForLayerAction(list_, &slot_, c.skippable, pump), c.expected);
    EXPECT_EQ(frames, c.framesRun);
    EXPECT_EQ(slot_ == nullptr, c.slotCleared);
    EXPECT_EQ(log_.stops, c.expected == kWaitSkipped ? 1 : 0);
    StopLayerAction(list_, &slot_);
    StepAt(tick + 16);
    EXPECT_EQ(log_.alive, 0);
  }
}

TEST_F(LayerActionLife, ReplacedSlotIsNotClearedByTheActionItHeldBefore) {
  ASSERT_EQ(Create("probe"), kActionCreated);
  TimedTask* first = slot_;
  ASSERT_EQ(Create("probe"), kActionCreated);
  TimedTask* second = slot_;
  ASSERT_NE(first, second);
  list_.Stop(first->Handle());
  StepAt(1000);
  EXPECT_EQ(slot_, second);
  EXPECT_EQ(second->OwnerSlot(), &slot_);
}

TEST_F(LayerActionLife, LowPriorityHooksEnteredAtMostOnceAndLeftOnceAtDestruction) {
  int enters = 0, leaves = 0;
  GetLowPriorityHooks().enter = [&] { ++enters; };
  GetLowPriorityHooks().leave = [&] { ++leaves; };
  log_.enterOnSetup = true;
  struct {
    bool switchedOff;
    int enters;
  } const cases[] = {{true, 0}, {false, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.switchedOff);
    enters = leaves = 0;
    ASSERT_EQ(Create("probe", c.switchedOff), kActionCreated);
    EXPECT_EQ(ActionInSlot(slot_)->GetLowPriority(),
              c.switchedOff ? LayerAction::LowPriority::None : LayerAction::LowPriority::Entered);
    EXPECT_EQ(enters, c.enters);
    EXPECT_EQ(leaves, 0);
    StopLayerAction(list_, &slot_);
    EXPECT_EQ(leaves, 0) << "left at destruction, not at the stop";
    StepAt(1000);
    EXPECT_EQ(leaves, c.enters);
  }
  // Without the hook installed a request stays pending and nothing leaves.
  ResetLowPriorityHooks();
  ASSERT_EQ(Create("probe"), kActionCreated);
  EXPECT_EQ(ActionInSlot(slot_)->GetLowPriority(), LayerAction::LowPriority::Requested);
}

TEST_F(LayerActionLife, BaseAnswersAndRegistryEntryPassTheListAndTarget) {
  ASSERT_EQ(Create("probe"), kActionCreated);
  LayerAction* action = ActionInSlot(slot_);
  EXPECT_EQ(action->Control({0}), LayerAction::kNotSupported);
  EXPECT_EQ(action->Query({}), LayerAction::kNotSupported);
  EXPECT_EQ(action->Attach(7), 0u);
  // The registry's own set-up path: the list is the first word.
  DcpObject* made = registry_.CreateObject("probe", {ObjectArgument(&list_), 0});
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(list_.Size(), 2u);
}

}  // namespace
}  // namespace orrivel
