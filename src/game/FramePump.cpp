#include "game/FramePump.h"

namespace orrivel {

namespace {

constexpr uint32_t kVSyncLeadMs = 3;

}  // namespace

int FramePump::Pump(Kind kind) { return kind == Kind::Scene ? PumpScene() : PumpIdle(); }

int FramePump::FrameResult() {
  // The limiter sets its hint on a due frame only when it counted missed
  // periods; otherwise the hint is the one of the last frame that was not
  // due, and sleeping it again would halve the frame rate.
  const int32_t missed = limiter_.MissedPeriods();
  if (missed != 0 && limiter_.SleepHintMs() != 0) ports_.Sleep(limiter_.SleepHintMs());
  return StepsForMissedPeriods(missed);
}

void FramePump::DrawFrame() {
  if (ports_.MovieOwnsDisplay()) return;
  ports_.FillBackground();
  objectTimers_.Step(ports_.Tick());
  ports_.DrawSceneObjects();
}

int FramePump::PumpIdle() {
  if (!ports_.MovieOwnsDisplay() && !ports_.RestoreDisplay()) {
    ports_.RequestEnd();
    return 0;
  }
  for (;;) {
    if (!ports_.PumpWindowMessages() || ports_.EndRequested() || ports_.InterruptPending()) return 0;
    systemTimers_.Step(ports_.Tick());
    if (ports_.WindowIdle()) {
      ports_.WaitForMessage();
      continue;
    }
    if (limiter_.IsFrameDue()) {
      if (ports_.VSyncWaitSet()) ports_.Sleep(ports_.ShortWait() ? 0 : kVSyncLeadMs);
      ports_.UpdateWindowAndInput();
      DrawFrame();
      return FrameResult();
    }
    if (ports_.LowPriorityCount() == 0) {
      ports_.Sleep(limiter_.SleepHintMs());
      continue;
    }
    // A long job runs at low priority: the picture keeps moving meanwhile.
    DrawFrame();
    if (!ports_.MovieOwnsDisplay() && !ports_.RestoreDisplay()) {
      ports_.RequestEnd();
      return 0;
    }
  }
}

int FramePump::PumpScene() {
  for (;;) {
    if (!ports_.PumpWindowMessages() || ports_.EndRequested() || ports_.InterruptPending()) return 0;
    systemTimers_.Step(ports_.Tick());
    if (ports_.WindowIdle()) {
      ports_.WaitForMessage();
      continue;
    }
    if (limiter_.IsFrameDue()) {
      ports_.UpdateWindowAndInput();
      objectTimers_.Step(ports_.Tick());
      ports_.PresentFrame();
      return FrameResult();
    }
    if (ports_.LowPriorityCount() == 0) {
      ports_.Sleep(limiter_.SleepHintMs());
      continue;
    }
    objectTimers_.Step(ports_.Tick());
    ports_.PresentFrame();
  }
}

}  // namespace orrivel
