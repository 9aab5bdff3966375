#include "sound/MusicDuckingTask.h"

#include <algorithm>

#include "base/TimerList.h"
#include "resource/FindIdleObjectByKind.h"
#include "sound/SoundManager.h"

namespace orrivel {

int32_t MusicDuckingTask::Start(TimerList* list, SoundManager* manager, int32_t channel, double factor) {
  if (!list || !manager || !(factor < 1.0)) return 1;
  if (!manager->IsChannelPlaying(channel)) return -1;
  if (!manager->IsMusicActive()) return -2;
  manager_ = manager;
  channel_ = channel;
  auto* other = static_cast<MusicDuckingTask*>(FindIdleObjectByKind(*list, kMusicDuckingType));
  base_ = other ? other->base_ : manager->musicLevel;
  ducked_ = factor < 0 ? base_ >> 1 : int32_t(base_ * factor);
  // Taking over a task that already lowered the music: no second lowering.
  stage_ = other && (other->stage_ == kWaiting || other->stage_ == kHolding) ? kWaiting : kBegin;
  // A level already at or below the ducked one is left where it is.
  from_ = std::max(manager->musicLevel, ducked_);
  if (other) {
    other->done_ = true;
    list->Stop(other->Handle());
  }
  if (list->Add(this, 0, 0, 0) != 0) {
    Finish();
    return 2;
  }
  return 0;
}

void MusicDuckingTask::SetLevel(int32_t level) { manager_->SetMusicVolume(-1, level, false); }

int32_t MusicDuckingTask::Step(uint32_t now) {
  if (!manager_->IsMusicActive()) return End();
  runState_ = kRunning;
  const uint32_t elapsed = now - stageStart_;
  switch (stage_) {
    case kBegin:
      stageStart_ = now;
      stage_ = kLowering;
      break;
    case kLowering:
      if (elapsed >= kLowerMs) {
        if (from_ > ducked_) SetLevel(ducked_);
        stage_ = kWaiting;
      } else if (from_ > ducked_) {
        SetLevel(Ramp(from_, ducked_, elapsed, kLowerMs));
      }
      break;
    case kWaiting:
      if (!manager_->IsChannelPlaying(channel_)) {
        stageStart_ = now;
        stage_ = kHolding;
      }
      break;
    case kHolding:
      if (elapsed > kHoldMs) {
        stageStart_ = now;
        stage_ = kRestoring;
      }
      break;
    case kRestoring:
      if (elapsed >= kRestoreMs) return End();
      SetLevel(Ramp(ducked_, base_, elapsed, kRestoreMs));
      break;
  }
  return 0;
}

void MusicDuckingTask::OnFinish() {
  if (done_ || !manager_) return;
  done_ = true;
  SetLevel(base_);
}

MusicDuckingTask* SoundManager::StartMusicDucking(TimerList* list, int32_t channel, double factor) {
  auto task = std::make_unique<MusicDuckingTask>();
  if (task->Start(list, this, channel, factor) != 0) return nullptr;
  duckingList_ = list;
  duckingTask_ = task.get();
  task->SetOwnerSlot(&duckingTask_);
  return task.release();
}

}  // namespace orrivel
