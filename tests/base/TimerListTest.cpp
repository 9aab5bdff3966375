#include "base/TimerList.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/Clock.h"

namespace orrivel {
namespace {

// What happened to a task, kept outside it because the list deletes it.
struct Log {
  std::vector<uint32_t> steps;
  int stops = 0;
  int destroyed = 0;
};

class LoggingTask : public TimedTask {
 public:
  using StepFn = std::function<int32_t(LoggingTask&, uint32_t)>;
  explicit LoggingTask(Log* log, int32_t typeId = 0, StepFn onStep = {})
      : log_(log), typeId_(typeId), onStep_(std::move(onStep)) {}
  ~LoggingTask() override { ++log_->destroyed; }
  int32_t GetTypeId() const override { return typeId_; }
  int32_t Step(uint32_t now) override {
    log_->steps.push_back(now);
    return onStep_ ? onStep_(*this, now) : 0;
  }
  void Stop() override { ++log_->stops; }

 private:
  Log* log_;
  int32_t typeId_;
  StepFn onStep_;
};

using StepFunction = void (TimerList::*)(uint32_t);
struct StepKind {
  const char* name;
  StepFunction step;
};
const StepKind kStepKinds[] = {{"Step", &TimerList::Step}, {"StepCatchUp", &TimerList::StepCatchUp}};

class TimerListTest : public testing::Test {
 protected:
  platform::ManualClock clock_{1000};
  platform::ScopedClock scoped_{clock_};
};

TEST_F(TimerListTest, TaskWithoutIntervalOrCountRunsEveryStepUntilItSaysDone) {
  TimerList list;
  Log log;
  TimedTask* owner = nullptr;
  owner = new LoggingTask(&log, 0, [](LoggingTask&, uint32_t now) { return now >= 1004 ? 1 : 0; });
  owner->SetOwnerSlot(&owner);
  ASSERT_EQ(list.Add(owner, 0, 0, 0), 0);
  for (int i = 0; i < 6; ++i) {
    list.Step(0);  // 0 reads the clock
    clock_.Advance(1);
  }
  EXPECT_EQ(log.steps, (std::vector<uint32_t>{1000, 1001, 1002, 1003, 1004}));
  EXPECT_EQ(owner, nullptr);
  EXPECT_EQ(log.destroyed, 1);
  EXPECT_EQ(list.Size(), 0u);
}

TEST_F(TimerListTest, CountedTaskIsRemovedRightAfterItsLastStep) {
  for (const StepKind& kind : kStepKinds) {
    SCOPED_TRACE(kind.name);
    TimerList list;
    Log log;
    TimedTask* owner = new LoggingTask(&log);
    owner->SetOwnerSlot(&owner);
    ASSERT_EQ(list.Add(owner, 100, 100, 3), 0);
    for (uint32_t now = 1000; now <= 1500; now += 25) (list.*kind.step)(now);
    EXPECT_EQ(log.steps, (std::vector<uint32_t>{1100, 1200, 1300}));
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(log.destroyed, 1);
    EXPECT_EQ(log.stops, 0);
  }
}

TEST_F(TimerListTest, LateTaskIsSteppedOnceOrCatchesUp) {
  struct Case {
    StepKind kind;
    size_t steps;
    uint32_t nextDue;
  };
  // Due at 1010 every 10 ms, not stepped until 1065.
  for (const Case& c : {Case{kStepKinds[0], 1, 1075}, Case{kStepKinds[1], 6, 1070}}) {
    SCOPED_TRACE(c.kind.name);
    TimerList list;
    Log log;
    auto* task = new LoggingTask(&log);
    ASSERT_EQ(list.Add(task, 10, 10, 0), 0);
    (list.*c.kind.step)(1065);
    EXPECT_EQ(log.steps.size(), c.steps);
    EXPECT_EQ(task->Due(), c.nextDue);
  }
}

TEST_F(TimerListTest, TicksAcrossTheWrapNeitherStallNorRunEarly) {
  for (const StepKind& kind : kStepKinds) {
    SCOPED_TRACE(kind.name);
    clock_.SetTick(0xFFFFFFF0u);
    TimerList list;
    Log before, after;
    auto* dueBefore = new LoggingTask(&before);
    auto* dueAfter = new LoggingTask(&after);
    ASSERT_EQ(list.Add(dueBefore, 10, 10, 0), 0);  // due 0xFFFFFFFA
    ASSERT_EQ(list.Add(dueAfter, 20, 10, 0), 0);   // due 4, past the wrap
    (list.*kind.step)(0xFFFFFFF5u);
    EXPECT_TRUE(before.steps.empty());
    EXPECT_TRUE(after.steps.empty());
    (list.*kind.step)(0xFFFFFFFCu);
    EXPECT_EQ(before.steps.size(), 1u);
    EXPECT_TRUE(after.steps.empty());
    (list.*kind.step)(4);
    EXPECT_EQ(before.steps.size(), 2u);
    EXPECT_EQ(after.steps.size(), 1u);
    EXPECT_EQ(dueBefore->Due(), 14u);
    EXPECT_EQ(dueAfter->Due(), 14u);
  }
}

TEST_F(TimerListTest, AddRefusesNullAndTasksAlreadyOwned) {
  TimerList list, other;
  Log log;
  EXPECT_EQ(list.Add(nullptr, 0, 0, 0), 1);
  auto* task = new LoggingTask(&log);
  ASSERT_EQ(list.Add(task, 0, 0, 0), 0);
  EXPECT_EQ(list.Add(task, 0, 0, 0), 2);
  EXPECT_EQ(other.Add(task, 0, 0, 0), 2);  // another list would delete it twice
  EXPECT_EQ(list.Size(), 1u);
  EXPECT_EQ(other.Size(), 0u);
  EXPECT_NE(task->Handle(), 0u);
  EXPECT_TRUE(list.Contains(task->Handle()));
  EXPECT_FALSE(other.Contains(task->Handle()));
  EXPECT_FALSE(list.Contains(0));
}

TEST_F(TimerListTest, StoppedTaskStaysUntilTheNextStep) {
  TimerList list;
  Log log;
  TimedTask* owner = new LoggingTask(&log);
  owner->SetOwnerSlot(&owner);
  ASSERT_EQ(list.Add(owner, 50, 0, 0), 0);
  const uint32_t handle = owner->Handle();
  TimedTask* task = owner;
  EXPECT_TRUE(list.Stop(handle));
  EXPECT_EQ(owner, nullptr);  // cleared at once
  EXPECT_EQ(task->OwnerSlot(), nullptr);
  EXPECT_TRUE(task->IsFinished());
  EXPECT_EQ(log.stops, 1);
  EXPECT_FALSE(list.Stop(handle));  // already finished
  EXPECT_TRUE(list.Contains(handle));
  EXPECT_EQ(log.destroyed, 0);
  list.Step(5000);
  EXPECT_TRUE(log.steps.empty());
  EXPECT_FALSE(list.Contains(handle));
  EXPECT_EQ(log.destroyed, 1);
  EXPECT_FALSE(list.Stop(handle));
}

TEST_F(TimerListTest, StaleAndForgedHandlesAreRefused) {
  TimerList list;
  Log first, second;
  auto* task = new LoggingTask(&first, 0, [](LoggingTask&, uint32_t) { return 1; });
  ASSERT_EQ(list.Add(task, 0, 0, 0), 0);
  const uint32_t stale = task->Handle();
  list.Step(0);
  ASSERT_EQ(first.destroyed, 1);
  auto* next = new LoggingTask(&second, 7);
  ASSERT_EQ(list.Add(next, 0, 0, 0), 0);
  EXPECT_NE(next->Handle(), stale);
  for (uint32_t handle : {stale, 0u, next->Handle() ^ 0x00100000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(handle);
    EXPECT_FALSE(list.Contains(handle));
    EXPECT_FALSE(list.Stop(handle));
    EXPECT_FALSE(list.PauseTask(handle));
    EXPECT_FALSE(list.ResumeTask(handle));
    list.SetDelay(handle, 99999);
  }
  EXPECT_EQ(next->PauseCount(), 0);
  EXPECT_EQ(next->Due(), 1000u);
  EXPECT_FALSE(next->IsFinished());
}

TEST_F(TimerListTest, StopTypeAndPauseAllPickTasksByType) {
  TimerList list;
  Log logA, logB, logC;
  auto* a = new LoggingTask(&logA, 11000);
  auto* b = new LoggingTask(&logB, 12000);
  auto* c = new LoggingTask(&logC, 11000);
  for (TimedTask* task : {static_cast<TimedTask*>(a), static_cast<TimedTask*>(b), static_cast<TimedTask*>(c)})
    ASSERT_EQ(list.Add(task, 0, 0, 0), 0);
  list.PauseAll(12000);
  EXPECT_EQ(b->PauseCount(), 1);
  EXPECT_EQ(a->PauseCount(), 0);
  list.ResumeAll(12000);
  list.StopType(11000);
  EXPECT_EQ(logA.stops + logC.stops, 2);
  EXPECT_EQ(logB.stops, 0);
  list.Step(0);
  EXPECT_EQ(list.Size(), 1u);
  EXPECT_EQ(logB.steps.size(), 1u);
}

TEST_F(TimerListTest, PausedTaskWaitsForEveryResumeAndKeepsItsDueTime) {
  TimerList list;
  Log log;
  auto* task = new LoggingTask(&log);
  ASSERT_EQ(list.Add(task, 100, 0, 0), 0);  // due 1100
  list.PauseAll(-1);
  EXPECT_TRUE(list.PauseTask(task->Handle()));  // paused twice, from 1000
  clock_.Advance(500);
  list.Step(0);
  list.ResumeAll(-1);
  list.Step(0);
  EXPECT_TRUE(log.steps.empty());
  EXPECT_TRUE(list.ResumeTask(task->Handle()));  // 500 ms paused: due 1600
  EXPECT_EQ(task->Due(), 1600u);
  EXPECT_TRUE(list.ResumeTask(task->Handle()));  // unbalanced: ignored
  EXPECT_EQ(task->PauseCount(), 0);
  list.Step(1599);
  EXPECT_TRUE(log.steps.empty());
  list.Step(1600);
  EXPECT_EQ(log.steps.size(), 1u);

  list.SetDelay(task->Handle(), 40);
  EXPECT_EQ(task->Due(), clock_.TickMs() + 40);
}

TEST_F(TimerListTest, ClearStopsAndDeletesButDestroyingLeavesOwnersAlone) {
  Log log;
  TimedTask* owners[3] = {};
  {
    TimerList list;
    for (TimedTask*& owner : owners) {
      owner = new LoggingTask(&log);
      owner->SetOwnerSlot(&owner);
      ASSERT_EQ(list.Add(owner, 0, 0, 0), 0);
    }
    list.Stop(owners[1]->Handle());
    list.Clear();
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_EQ(log.stops, 3);  // the already stopped one is not stopped again
    EXPECT_EQ(log.destroyed, 3);
    for (TimedTask* owner : owners) EXPECT_EQ(owner, nullptr);
  }

  TimedTask* kept[2] = {};
  auto list = std::make_unique<TimerList>();
  for (TimedTask*& owner : kept) {
    owner = new LoggingTask(&log);
    owner->SetOwnerSlot(&owner);
    ASSERT_EQ(list->Add(owner, 0, 0, 0), 0);
  }
  TimedTask* addresses[2] = {kept[0], kept[1]};
  list.reset();
  EXPECT_EQ(log.destroyed, 5);
  EXPECT_EQ(log.stops, 3);
  // The pointers still hold the old addresses (no longer valid): owners must
  // not outlive their list.
  EXPECT_EQ(kept[0], addresses[0]);
  EXPECT_EQ(kept[1], addresses[1]);
}

TEST_F(TimerListTest, TasksAddedDuringAPassAreVisitedInIt) {
  for (const StepKind& kind : kStepKinds) {
    SCOPED_TRACE(kind.name);
    TimerList list;
    Log parentLog, childLog;
    auto* parent = new LoggingTask(&parentLog, 0, [&](LoggingTask&, uint32_t) {
      list.Add(new LoggingTask(&childLog, 0, [](LoggingTask&, uint32_t) { return 1; }), 0, 0, 0);
      return 1;
    });
    ASSERT_EQ(list.Add(parent, 0, 0, 0), 0);
    (list.*kind.step)(0);
    EXPECT_EQ(parentLog.steps.size(), 1u);
    EXPECT_EQ(childLog.steps.size(), 1u);
    EXPECT_EQ(list.Size(), 0u);
    EXPECT_EQ(childLog.destroyed, 1);
  }
}

TEST_F(TimerListTest, TaskThatClearsItsOwnListEndsThePassSafely) {
  for (const StepKind& kind : kStepKinds) {
    SCOPED_TRACE(kind.name);
    TimerList list;
    Log clearerLog, laterLog, addedLog;
    TimedTask* laterOwner = nullptr;
    auto* clearer = new LoggingTask(&clearerLog, 0, [&](LoggingTask&, uint32_t) {
      list.Clear();
      list.Add(new LoggingTask(&addedLog), 0, 0, 0);
      list.Step(0);  // a nested step of the same list does nothing
      return 0;
    });
    ASSERT_EQ(list.Add(clearer, 0, 10, 0), 0);
    laterOwner = new LoggingTask(&laterLog);
    laterOwner->SetOwnerSlot(&laterOwner);
    ASSERT_EQ(list.Add(laterOwner, 0, 0, 0), 0);
    (list.*kind.step)(0);
    EXPECT_EQ(clearerLog.steps.size(), 1u);
    EXPECT_EQ(clearerLog.stops, 1);
    EXPECT_EQ(clearerLog.destroyed, 1);
    EXPECT_TRUE(laterLog.steps.empty());
    EXPECT_EQ(laterOwner, nullptr);
    EXPECT_EQ(laterLog.destroyed, 1);
    EXPECT_EQ(addedLog.steps.size(), 1u);  // added after the clear: still this pass
    EXPECT_EQ(list.Size(), 1u);
  }
}

TEST_F(TimerListTest, TaskThatStopsItselfOrAnotherTask) {
  for (const StepKind& kind : kStepKinds) {
    SCOPED_TRACE(kind.name);
    TimerList list;
    Log selfLog, victimLog;
    TimedTask* selfOwner = nullptr;
    uint32_t victim = 0;
    selfOwner = new LoggingTask(&selfLog, 0, [&](LoggingTask& me, uint32_t) {
      list.Stop(victim);
      list.Stop(me.Handle());
      return 0;
    });
    selfOwner->SetOwnerSlot(&selfOwner);
    ASSERT_EQ(list.Add(selfOwner, 0, 10, 0), 0);
    auto* later = new LoggingTask(&victimLog);
    ASSERT_EQ(list.Add(later, 0, 0, 0), 0);
    victim = later->Handle();
    clock_.Advance(100);  // StepCatchUp would replay ten periods
    (list.*kind.step)(0);
    EXPECT_EQ(selfLog.steps.size(), 1u);
    EXPECT_EQ(selfOwner, nullptr);
    EXPECT_EQ(selfLog.destroyed, 1);
    EXPECT_TRUE(victimLog.steps.empty());
    EXPECT_EQ(victimLog.destroyed, 1);
    EXPECT_EQ(list.Size(), 0u);
  }
}

}  // namespace
}  // namespace orrivel
