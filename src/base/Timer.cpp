#include "base/Timer.h"

#include "base/TickSource.h"

namespace orrivel {

Timer::Timer() { Restart(); }

uint32_t Timer::Restart() {
  start_ = CurrentTickMs();
  pauseDepth_ = 0;
  return start_;
}

uint32_t Timer::GetElapsed() const {
  if (pauseDepth_ > 0) return pauseStart_ - start_;
  return CurrentTickMs() - start_;
}

uint32_t Timer::SetElapsed(uint32_t ms) {
  start_ = (pauseDepth_ > 0 ? pauseStart_ : CurrentTickMs()) - ms;
  return start_;
}

void Timer::Pause() {
  if (pauseDepth_++ == 0) pauseStart_ = CurrentTickMs();
}

void Timer::Resume() {
  if (pauseDepth_ <= 0) return;
  if (pauseDepth_-- == 1) start_ += CurrentTickMs() - pauseStart_;
}

}  // namespace orrivel
