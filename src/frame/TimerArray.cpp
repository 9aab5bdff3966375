#include "frame/TimerArray.h"

#include <new>

namespace orrivel {

TimerArray::~TimerArray() { Free(); }

int32_t TimerArray::Create(uint32_t n) {
  Free();
  const uint16_t count = uint16_t(n);
  if (count == 0) return kNoTimers;
  timers_.reset(new (std::nothrow) Timer[count]);
  if (!timers_) return kNoMemory;
  count_ = count;
  return kOk;
}

void TimerArray::Free() {
  timers_.reset();
  count_ = 0;
  allPaused_ = 0;
}

Timer* TimerArray::Find(uint16_t index) { return timers_ && index < count_ ? &timers_[index] : nullptr; }

const Timer* TimerArray::At(uint16_t index) const { return timers_ && index < count_ ? &timers_[index] : nullptr; }

bool TimerArray::Start(uint16_t index) {
  Timer* timer = Find(index);
  if (!timer) return false;
  timer->Restart();
  return true;
}

uint32_t TimerArray::Elapsed(uint16_t index) const {
  const Timer* timer = At(index);
  return timer ? timer->GetElapsed() : 0;
}

bool TimerArray::SetElapsed(uint16_t index, uint32_t ms) {
  Timer* timer = Find(index);
  if (!timer) return false;
  timer->SetElapsed(ms);
  return true;
}

bool TimerArray::Pause(uint16_t index) {
  Timer* timer = Find(index);
  if (!timer) return false;
  timer->Pause();
  return true;
}

bool TimerArray::Resume(uint16_t index) {
  Timer* timer = Find(index);
  if (!timer) return false;
  timer->Resume();
  return true;
}

bool TimerArray::PauseAll() {
  if (!timers_) return false;
  for (uint16_t i = 0; i < count_; ++i) timers_[i].Pause();
  allPaused_ = 1;
  return true;
}

bool TimerArray::ResumeAll() {
  if (!timers_) return false;
  for (uint16_t i = 0; i < count_; ++i) timers_[i].Resume();
  allPaused_ = 0;
  return true;
}

}  // namespace orrivel

namespace orrivel {

TimerArray& ProcessTimerArray() {
  static TimerArray timers;
  return timers;
}

}  // namespace orrivel
