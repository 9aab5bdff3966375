#include "base/TimedTask.h"

#include "base/HandleSpace.h"

namespace orrivel {

TimedTask::~TimedTask() {
  ClearOwnerPointer();
  if (handle_ != 0) HandleSpace::Process().Remove(handle_);
}

bool TimedTask::AssignHandle() {
  handle_ = HandleSpace::Process().Insert(this, HandleFamily::TimedTask);
  return handle_ != 0;
}

void TimedTask::Pause(uint32_t now) {
  if (pauseCount_++ == 0) pauseStart_ = now;
}

void TimedTask::Resume(uint32_t now) {
  if (pauseCount_ <= 0) return;
  if (pauseCount_-- == 1) due_ += now - pauseStart_;
}

}  // namespace orrivel
