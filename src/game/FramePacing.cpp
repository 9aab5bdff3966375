#include "game/FramePacing.h"

namespace orrivel {

int FramePacing::ApplyFramePacing(int32_t rate) {
  if (rate < 0) rate = limiter_.Rate();
  const bool sync = displaySyncs_ && (bytes_.vsyncMode == 2 || (bytes_.vsyncMode == 0 && display60Hz_));
  const uint32_t interval = sync ? uint32_t(bytes_.vsyncInterval) + 1 : 0;
  const bool counter = interval == 0 && bytes_.useCounter != 0;
  const bool changed =
      interval != vsyncInterval_ || rate != limiter_.Rate() || counter != limiter_.UsesPerformanceCounter();
  vsyncInterval_ = interval;
  limiter_.SetRate(rate, counter);
  ReportWait();
  return changed ? 1 : 0;
}

void FramePacing::ReportWait() {
  // The limiter holds the wait as last told, so a change is told once.
  const bool wait = vsyncInterval_ != 0 || forcedWait_;
  if (wait == limiter_.VSyncWait()) return;
  limiter_.SetVSyncWait(wait);
  if (onWaitChanged) onWaitChanged(wait);
}

int FramePacing::BeginForcedVSync() {
  ++forcedCount_;
  if (VSyncWaitSet() || bytes_.forcedVSyncOn == 0) return 0;
  if (playerVSync_) {
    forcedWait_ = true;
    ReportWait();
    return 1;
  }
  bytes_.vsyncMode = 2;
  ApplyFramePacing(-1);
  return 1;
}

int FramePacing::EndForcedVSync() {
  if (forcedCount_ == 0) return 0;
  if (--forcedCount_ != 0 || bytes_.forcedVSyncOn == 0) return 0;
  const bool changed = forcedWait_ || bytes_.vsyncMode != saved_.vsyncMode;
  forcedWait_ = false;
  if (bytes_.vsyncMode != saved_.vsyncMode) {
    bytes_.vsyncMode = saved_.vsyncMode;
    ApplyFramePacing(-1);
  }
  ReportWait();
  return changed ? 1 : 0;
}

int FramePacing::BeginMillisecondPacing() {
  ++millisecondCount_;
  if (!limiter_.UsesPerformanceCounter() || bytes_.useCounter == 0) return 0;
  bytes_.useCounter = 0;
  ApplyFramePacing(-1);
  return 1;
}

int FramePacing::EndMillisecondPacing() {
  if (millisecondCount_ == 0) return 0;
  if (--millisecondCount_ != 0 || saved_.useCounter == 0 || bytes_.useCounter != 0) return 0;
  bytes_.useCounter = saved_.useCounter;
  ApplyFramePacing(-1);
  return 1;
}

void FramePacing::CloseNestings() {
  while (forcedCount_ > 0) EndForcedVSync();
  while (millisecondCount_ > 0) EndMillisecondPacing();
}

}  // namespace orrivel
