#include "game/FramePump.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/FramePacing.h"
#include "platform/Clock.h"

namespace orrivel {
namespace {

// Ports that record what the pump did, over a clock moved by hand; Sleep
// advances the clock (a yield of 0 by 1 ms, as a scripted run's clock).
class FakePorts : public FramePumpPorts {
 public:
  explicit FakePorts(platform::ManualClock& clock) : clock_(clock) {}
  bool PumpWindowMessages() override {
    ++passes;
    clock_.Advance(advancePerPass);
    return !quit;
  }
  bool EndRequested() override { return end; }
  void RequestEnd() override { end = true; }
  bool InterruptPending() override { return interrupt; }
  bool WindowIdle() override { return idleFor > 0 && idleFor-- > 0; }
  void WaitForMessage() override {
    calls.push_back("wait");
    clock_.Advance(50);
  }
  void Sleep(uint32_t ms) override {
    calls.push_back("sleep " + std::to_string(ms));
    clock_.Advance(ms == 0 ? 1 : ms);
    if (onSleep) onSleep();
  }
  std::function<void()> onSleep;
  uint32_t Tick() override { return clock_.TickMs(); }
  void UpdateWindowAndInput() override { calls.push_back("input"); }
  void FillBackground() override { calls.push_back("fill"); }
  void DrawSceneObjects() override { calls.push_back("draw"); }
  void PresentFrame() override { calls.push_back("present"); }
  bool RestoreDisplay() override { return !lost; }
  bool VSyncWaitSet() override { return vsync; }
  bool StopRequested() override { return stop; }
  uint8_t PauseByte() override { return pause; }
  void SetPauseByte(uint8_t value) override { pause = value; }
  uint8_t ObjectListPauseByte() override { return objectPause; }
  void SetObjectListPauseByte(uint8_t value) override {
    calls.push_back("object pause " + std::to_string(value));
    objectPause = value;
  }
  void LockTimers() override { calls.push_back("lock timers"); }
  void UnlockTimers() override { calls.push_back("unlock timers"); }
  void LockDrawing() override { calls.push_back("lock drawing"); }
  void UnlockDrawing() override { calls.push_back("unlock drawing"); }
  int LowPriorityCount() override { return lowPriority; }

  bool quit = false, end = false, interrupt = false, lost = false, vsync = false, stop = false;
  uint8_t pause = 0, objectPause = 0;
  int idleFor = 0, lowPriority = 0, passes = 0;
  uint32_t advancePerPass = 0;
  std::vector<std::string> calls;

 private:
  platform::ManualClock& clock_;
};

class CountingTask : public TimedTask {
 public:
  explicit CountingTask(int& steps) : steps_(steps) {}
  int32_t Step(uint32_t) override {
    ++steps_;
    return 0;
  }
  void Stop() override {}

 private:
  int& steps_;
};

struct PumpRig {
  platform::ManualClock clock{1000};
  platform::ScopedClock scoped{clock};
  FakePorts ports{clock};
  FrameRateLimiter limiter{50, false};  // 20 ms periods
  TimerList systemTimers, objectTimers;
  int systemSteps = 0, objectSteps = 0;
  FramePump pump{ports, limiter, systemTimers, objectTimers};

  PumpRig() {
    systemTimers.Add(new CountingTask(systemSteps), 0, 0, 0);
    objectTimers.Add(new CountingTask(objectSteps), 0, 0, 0);
    limiter.SetRate(50, false);
  }
  // Steps the pump asks for after a frame that comes `periods` periods late.
  int StepsAfter(uint32_t periods) {
    limiter.SetRate(50, false);
    clock.Advance(periods * 20);
    const int steps = pump.Pump(FramePump::Kind::Idle);
    return steps < 0 ? 1 : steps;
  }
};

TEST(FramePump, CatchUpRunsTheMissedPeriodsUpToFour) {
  struct Case {
    bool catchUp;
    uint32_t periods;
    int steps;
  };
  for (const Case c : {Case{false, 3, 1}, Case{false, 6, 1}, Case{true, 1, 1}, Case{true, 2, 1},
                       Case{true, 3, 2}, Case{true, 5, 4}, Case{true, 6, 1}}) {
    SCOPED_TRACE(testing::Message() << "catch-up " << c.catchUp << " periods " << c.periods);
    PumpRig rig;
    rig.limiter.SetCountMissedPeriods(c.catchUp);
    EXPECT_EQ(rig.StepsAfter(c.periods), c.steps);
  }
}

TEST(FramePump, OneDueFrameStepsBothListsAndDrawsOnce) {
  PumpRig rig;
  rig.clock.Advance(5);  // not due yet: the pump sleeps the rest of the period
  EXPECT_EQ(rig.pump.Pump(FramePump::Kind::Idle), -1);
  EXPECT_EQ(rig.ports.calls, (std::vector<std::string>{"sleep 15", "input", "fill", "draw"}));
  EXPECT_EQ(rig.systemSteps, 2);  // once a pass
  EXPECT_EQ(rig.objectSteps, 1);  // once a frame

  rig.ports.calls.clear();
  rig.clock.Advance(20);
  EXPECT_EQ(rig.pump.Pump(FramePump::Kind::Scene), -1);
  EXPECT_EQ(rig.ports.calls, (std::vector<std::string>{"input", "present"}));
}

TEST(FramePump, EndsOnQuitEndRequestInterruptOrALostDisplay) {
  for (int which = 0; which < 4; ++which) {
    SCOPED_TRACE(which);
    PumpRig rig;
    rig.clock.Advance(40);
    rig.ports.quit = which == 0;
    rig.ports.end = which == 1;
    rig.ports.interrupt = which == 2;
    rig.ports.lost = which == 3;
    EXPECT_EQ(rig.pump.Pump(FramePump::Kind::Idle), 0);
    EXPECT_EQ(rig.objectSteps, 0);
    EXPECT_EQ(rig.ports.end, which == 1 || which == 3);
  }
}

TEST(FramePump, IdleWindowsWaitAndLongJobsKeepThePictureMoving) {
  PumpRig rig;
  rig.ports.idleFor = 2;
  rig.clock.Advance(1);
  EXPECT_EQ(rig.pump.Pump(FramePump::Kind::Idle), -1);
  EXPECT_EQ(rig.ports.calls[0], "wait");
  EXPECT_EQ(rig.ports.calls[1], "wait");

  PumpRig busy;
  busy.ports.lowPriority = 1;
  busy.ports.advancePerPass = 7;
  // Not due: no wait but a drawn frame and a yield, pass after pass, until
  // one is due.
  EXPECT_EQ(busy.pump.Pump(FramePump::Kind::Idle), -1);
  EXPECT_EQ(busy.ports.passes, 3);
  EXPECT_EQ(busy.objectSteps, 3);
  EXPECT_EQ(busy.ports.calls, (std::vector<std::string>{"fill", "draw", "sleep 0", "fill", "draw", "sleep 0", "input",
                                                        "fill", "draw"}));

  // A clock that moves only when the pump waits (a scripted run's): the
  // yields alone bring the next frame due, on either thread.
  for (FramePump::Kind kind : {FramePump::Kind::Idle, FramePump::Kind::Worker}) {
    PumpRig still;
    still.ports.lowPriority = 1;
    EXPECT_EQ(still.pump.Pump(kind), -1);
    EXPECT_GT(still.objectSteps, 1);
  }
}

TEST(FramePump, AVSyncWaitLeadsTheDueFrameByThreeMilliseconds) {
  PumpRig rig;
  rig.ports.vsync = true;
  rig.clock.Advance(20);
  EXPECT_EQ(rig.pump.Pump(FramePump::Kind::Idle), -1);
  EXPECT_EQ(rig.ports.calls.front(), "sleep 3");
}

// The worker pumps: a held worker polls until released, the object list
// pauses and resumes on the main thread's byte, the system list is stepped
// under the timer lock and the frame drawn under the drawing lock.
TEST(FramePump, WorkerPumpsHonourThePauseBytesAndTheLocks) {
  PumpRig rig;
  rig.clock.Advance(20);
  rig.ports.pause = 1;
  int sleeps = 0;
  // The held worker is released after one poll; then the object list is
  // asked to pause on the next pass.
  rig.ports.calls.clear();
  rig.ports.onSleep = [&] {
    ++sleeps;
    if (rig.ports.pause == 2) {
      rig.ports.pause = 0;
      rig.ports.objectPause = 1;
    } else if (rig.ports.objectPause == 2) {
      rig.ports.objectPause = 3;
    }
  };
  EXPECT_EQ(rig.pump.Pump(FramePump::Kind::Worker), -1);
  EXPECT_EQ(sleeps, 2);
  const std::vector<std::string> expected = {
      "lock drawing", "unlock drawing",                                  // the device test
      "sleep 50",                                                        // held
      "lock timers", "unlock timers", "object pause 2", "sleep 50",      // paused
      "lock timers", "unlock timers", "object pause 0",                  // resumed
      "lock drawing", "input", "fill", "draw", "unlock drawing"};
  EXPECT_EQ(rig.ports.calls, expected);
  EXPECT_EQ(rig.objectSteps, 1);
  EXPECT_EQ(rig.systemSteps, 2);

  rig.ports.stop = true;
  EXPECT_EQ(rig.pump.Pump(FramePump::Kind::WorkerScene), 0);
}

// The pacing interval table over the mode byte, the interval byte and the
// display, and the nestings that need as many ends as begins.
TEST(FramePacing, IntervalFollowsTheBytesAndTheDisplay) {
  struct Case {
    uint8_t mode, counter, interval;
    bool syncs, at60;
    uint32_t expected;
    bool usesCounter;
  };
  const Case cases[] = {
      {0, 0, 0, true, true, 1, false},  {0, 0, 1, true, true, 2, false}, {0, 0, 0, true, false, 0, false},
      {2, 0, 2, true, false, 3, false}, {1, 0, 0, true, true, 0, false}, {2, 0, 0, false, true, 0, false},
      {0, 1, 0, true, true, 1, false},  {1, 1, 0, true, true, 0, true},
  };
  platform::ManualClock clock;
  platform::ScopedClock scoped(clock);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.mode) << " " << int(c.counter) << " " << int(c.interval) << " "
                                    << c.syncs << c.at60);
    FrameRateLimiter limiter(60, false);
    FramePacing pacing(limiter);
    PacingBytes bytes;
    bytes.vsyncMode = c.mode;
    bytes.useCounter = c.counter;
    bytes.vsyncInterval = c.interval;
    pacing.SetBytes(bytes);
    pacing.SetDisplay(c.syncs, c.at60);
    pacing.ApplyFramePacing(-1);
    EXPECT_EQ(pacing.VSyncInterval(), c.expected);
    EXPECT_EQ(limiter.UsesPerformanceCounter(), c.usesCounter);
    EXPECT_EQ(limiter.Rate(), 60);
    // The limiter keeps whether the frames wait for the blank; a later
    // change of its rate keeps it.
    EXPECT_EQ(limiter.VSyncWait(), c.expected != 0);
    limiter.SetRate(30, false);
    EXPECT_EQ(limiter.VSyncWait(), c.expected != 0);
  }
}

TEST(FramePacing, NestingsChangeThePacingOnlyAtTheOutermostPair) {
  platform::ManualClock clock;
  platform::ScopedClock scoped(clock);
  FrameRateLimiter limiter(60, false);
  FramePacing pacing(limiter);
  PacingBytes bytes;
  bytes.vsyncMode = 1;  // never
  bytes.useCounter = 1;
  bytes.forcedVSyncOn = 1;
  pacing.SetBytes(bytes);
  pacing.SetDisplay(true, true);
  pacing.ApplyFramePacing(-1);
  ASSERT_TRUE(limiter.UsesPerformanceCounter());
  ASSERT_FALSE(pacing.VSyncWaitSet());

  EXPECT_EQ(pacing.BeginForcedVSync(), 1);
  EXPECT_EQ(pacing.BeginForcedVSync(), 0);
  EXPECT_TRUE(pacing.VSyncWaitSet());
  EXPECT_EQ(pacing.EndForcedVSync(), 0);
  EXPECT_TRUE(pacing.VSyncWaitSet());
  EXPECT_EQ(pacing.EndForcedVSync(), 1);
  EXPECT_FALSE(pacing.VSyncWaitSet());
  EXPECT_EQ(pacing.EndForcedVSync(), 0);  // an unmatched end changes nothing
  EXPECT_EQ(pacing.ForcedVSyncCount(), 0);

  EXPECT_EQ(pacing.BeginMillisecondPacing(), 1);
  EXPECT_EQ(pacing.BeginMillisecondPacing(), 0);
  EXPECT_FALSE(limiter.UsesPerformanceCounter());
  EXPECT_EQ(pacing.EndMillisecondPacing(), 0);
  EXPECT_EQ(pacing.EndMillisecondPacing(), 1);
  EXPECT_TRUE(limiter.UsesPerformanceCounter());

  // What the scripts leave open is closed in one go.
  pacing.BeginForcedVSync();
  pacing.BeginForcedVSync();
  pacing.BeginMillisecondPacing();
  pacing.CloseNestings();
  EXPECT_EQ(pacing.ForcedVSyncCount(), 0);
  EXPECT_EQ(pacing.MillisecondPacingCount(), 0);
  EXPECT_FALSE(pacing.VSyncWaitSet());
  EXPECT_TRUE(limiter.UsesPerformanceCounter());

  // With the player's own sync choice the wait is simply switched on: the
  // limiter's flag without an interval, kept over a re-application.
  pacing.SetPlayerVSync(true);
  EXPECT_EQ(pacing.BeginForcedVSync(), 1);
  EXPECT_TRUE(limiter.VSyncWait());
  EXPECT_EQ(pacing.VSyncInterval(), 0u);
  EXPECT_EQ(pacing.Bytes().vsyncMode, 1);
  pacing.ApplyFramePacing(-1);
  EXPECT_TRUE(limiter.VSyncWait());
  EXPECT_EQ(pacing.EndForcedVSync(), 1);
  EXPECT_FALSE(limiter.VSyncWait());
}

}  // namespace
}  // namespace orrivel
