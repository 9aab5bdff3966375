#include "game/FramePump.h"

namespace orrivel {

namespace {

constexpr uint32_t kVSyncLeadMs = 3;
// How often a held or idle worker looks again.
constexpr uint32_t kWorkerPollMs = 50;

// Holds a port's lock for a scope.
template <void (FramePumpPorts::*Lock)(), void (FramePumpPorts::*Unlock)()>
class PortLock {
 public:
  explicit PortLock(FramePumpPorts& ports) : ports_(ports) { (ports_.*Lock)(); }
  ~PortLock() { (ports_.*Unlock)(); }
  PortLock(const PortLock&) = delete;
  PortLock& operator=(const PortLock&) = delete;

 private:
  FramePumpPorts& ports_;
};
using TimerLock = PortLock<&FramePumpPorts::LockTimers, &FramePumpPorts::UnlockTimers>;
using DrawingLock = PortLock<&FramePumpPorts::LockDrawing, &FramePumpPorts::UnlockDrawing>;

}  // namespace

int FramePump::Pump(Kind kind) {
  switch (kind) {
    case Kind::Scene: return PumpMainThread(true);
    case Kind::Worker: return PumpWorker(false);
    case Kind::WorkerScene: return PumpWorker(true);
    default: return PumpMainThread(false);
  }
}

int FramePump::FrameResult() {
  // The limiter sets its hint on a due frame only when it counted missed
  // periods; otherwise the hint is the one of the last frame that was not
  // due, and sleeping it again would halve the frame rate.
  const int32_t missed = limiter_.MissedPeriods();
  if (missed != 0 && limiter_.SleepHintMs() != 0) ports_.Sleep(limiter_.SleepHintMs());
  return StepsForMissedPeriods(missed);
}

bool FramePump::KeepDisplay() {
  if (ports_.MovieOwnsDisplay() || ports_.RestoreDisplay()) return true;
  ports_.RequestEnd();
  return false;
}

void FramePump::Picture(bool scene) {
  if (scene) {
    objectTimers_.Step(ports_.Tick());
    ports_.PresentFrame();
    return;
  }
  if (ports_.MovieOwnsDisplay()) return;
  ports_.FillBackground();
  objectTimers_.Step(ports_.Tick());
  ports_.DrawSceneObjects();
}

int FramePump::PumpMainThread(bool scene) {
  if (!scene && !KeepDisplay()) return 0;
  for (;;) {
    if (!ports_.PumpWindowMessages() || ports_.EndRequested() || ports_.InterruptPending()) return 0;
    systemTimers_.Step(ports_.Tick());
    if (ports_.WindowIdle()) {
      ports_.WaitForMessage();
      continue;
    }
    if (limiter_.IsFrameDue()) {
      // With a scene the presentation itself waits for the sync.
      if (!scene && ports_.VSyncWaitSet()) ports_.Sleep(ports_.ShortWait() ? 0 : kVSyncLeadMs);
      ports_.UpdateWindowAndInput();
      Picture(scene);
      return FrameResult();
    }
    if (ports_.LowPriorityCount() == 0) {
      ports_.Sleep(limiter_.SleepHintMs());
      continue;
    }
    // A long job runs at low priority: the picture keeps moving meanwhile.
    Picture(scene);
    if (!scene && !KeepDisplay()) return 0;
    YieldBetweenFrames();
  }
}

// A pass that drew between due frames yields: a virtual clock moves on only
// when waited on, and without the yield a transition timed on it would
// never end nor the next frame come due.
void FramePump::YieldBetweenFrames() { ports_.Sleep(0); }

bool FramePump::HonourPauseBytes() {
  switch (ports_.ObjectListPauseByte()) {
    case 1:
      objectTimers_.PauseAll(-1);
      ports_.SetObjectListPauseByte(2);
      ports_.Sleep(kWorkerPollMs);
      return true;
    case 2:
      ports_.Sleep(kWorkerPollMs);
      return true;
    case 3:
      objectTimers_.ResumeAll(-1);
      ports_.SetObjectListPauseByte(0);
      return false;
    default:
      return false;
  }
}

int FramePump::PumpWorker(bool scene) {
  if (!scene) {
    DrawingLock lock(ports_);
    if (!KeepDisplay()) return 0;
  }
  for (;;) {
    if (ports_.StopRequested()) return 0;
    if (const uint8_t pause = ports_.PauseByte(); pause != 0) {
      if (pause == 1) ports_.SetPauseByte(2);
      ports_.Sleep(kWorkerPollMs);
      continue;
    }
    if (ports_.InterruptPending()) return 0;
    {
      TimerLock lock(ports_);
      systemTimers_.Step(ports_.Tick());
    }
    if (HonourPauseBytes()) continue;
    if (ports_.WindowIdle()) {
      ports_.Sleep(kWorkerPollMs);
      continue;
    }
    if (ports_.EndRequested()) return 0;
    if (limiter_.IsFrameDue()) {
      if (!scene && ports_.VSyncWaitSet()) ports_.Sleep(ports_.ShortWait() ? 0 : kVSyncLeadMs);
      {
        DrawingLock lock(ports_);
        ports_.UpdateWindowAndInput();
        // A movie with its own presentation holds a scene's display.
        if (!scene || !ports_.MovieOwnsDisplay()) Picture(scene);
      }
      return FrameResult();
    }
    if (ports_.LowPriorityCount() == 0) {
      ports_.Sleep(limiter_.SleepHintMs());
      continue;
    }
    {
      DrawingLock lock(ports_);
      Picture(scene);
      if (!scene && !KeepDisplay()) return 0;
    }
    YieldBetweenFrames();
  }
}

}  // namespace orrivel
