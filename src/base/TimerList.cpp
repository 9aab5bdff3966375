#include "base/TimerList.h"

#include <algorithm>

#include "base/TickSource.h"

namespace orrivel {
namespace {

bool IsDue(uint32_t now, uint32_t due) { return TickDiff(now, due) >= 0; }

bool MatchesType(const TimedTask* task, int32_t typeId) { return typeId < 0 || task->GetTypeId() == typeId; }

}  // namespace

TimerList::~TimerList() {
  for (TimedTask* task : tasks_) {
    if (!task) continue;
    task->ownerSlot_ = nullptr;
    delete task;
  }
  for (TimedTask* task : cleared_) delete task;
}

int32_t TimerList::Add(TimedTask* task, uint32_t delayMs, uint32_t intervalMs, uint32_t count) {
  if (!task) return 1;
  // A handle means some list already owns the task; a second owner would
  // delete it twice.
  if (task->handle_ != 0) return 2;
  if (!task->AssignHandle()) return 3;
  task->due_ = CurrentTickMs() + delayMs;
  task->interval_ = intervalMs;
  task->remaining_ = count;
  tasks_.push_back(task);
  ++size_;
  return 0;
}

TimedTask* TimerList::FindFirst(uint32_t handle) const {
  if (handle == 0) return nullptr;
  for (TimedTask* task : tasks_) {
    if (task && task->handle_ == handle) return task;
  }
  return nullptr;
}

void TimerList::StopTask(TimedTask* task) {
  task->ClearOwnerPointer();
  task->finished_ = true;
  task->Stop();
}

bool TimerList::Stop(uint32_t handle) {
  if (handle == 0) return false;
  for (size_t i = 0; i < tasks_.size(); ++i) {
    TimedTask* task = tasks_[i];
    if (task && task->handle_ == handle && !task->finished_) {
      StopTask(task);
      return true;
    }
  }
  return false;
}

void TimerList::StopType(int32_t typeId) {
  // Index loop: a task's Stop may add tasks.
  for (size_t i = 0; i < tasks_.size(); ++i) {
    TimedTask* task = tasks_[i];
    if (task && !task->finished_ && task->GetTypeId() == typeId) StopTask(task);
  }
}

void TimerList::Clear() {
  for (size_t i = 0; i < tasks_.size(); ++i) {
    TimedTask* task = tasks_[i];
    if (task && !task->finished_) {
      task->ClearOwnerPointer();
      task->Stop();
    }
  }
  std::vector<TimedTask*> taken;
  taken.swap(tasks_);
  size_ = 0;
  ++clearEpoch_;
  for (TimedTask* task : taken) {
    if (!task) continue;
    if (passDepth_ > 0) {
      cleared_.push_back(task);
    } else {
      delete task;
    }
  }
}

bool TimerList::Contains(uint32_t handle) const { return FindFirst(handle) != nullptr; }

void TimerList::SetDelay(uint32_t handle, uint32_t delayMs) {
  if (handle == 0) return;
  const uint32_t now = CurrentTickMs();
  for (TimedTask* task : tasks_) {
    if (task && task->handle_ == handle) task->due_ = now + delayMs;
  }
}

bool TimerList::ApplyToTask(uint32_t handle, PauseStep step) {
  TimedTask* task = FindFirst(handle);
  if (!task) return false;
  (task->*step)(CurrentTickMs());
  return true;
}

void TimerList::ApplyToType(int32_t typeId, PauseStep step) {
  const uint32_t now = CurrentTickMs();
  for (size_t i = 0; i < tasks_.size(); ++i) {
    if (tasks_[i] && MatchesType(tasks_[i], typeId)) (tasks_[i]->*step)(now);
  }
}

bool TimerList::PauseTask(uint32_t handle) { return ApplyToTask(handle, &TimedTask::Pause); }
void TimerList::PauseAll(int32_t typeId) { ApplyToType(typeId, &TimedTask::Pause); }
bool TimerList::ResumeTask(uint32_t handle) { return ApplyToTask(handle, &TimedTask::Resume); }
void TimerList::ResumeAll(int32_t typeId) { ApplyToType(typeId, &TimedTask::Resume); }

void TimerList::CountDown(TimedTask* task) {
  if (task->remaining_ != 0 && --task->remaining_ == 0) task->finished_ = true;
}

void TimerList::RemoveAt(size_t index) {
  TimedTask* task = tasks_[index];
  tasks_[index] = nullptr;
  holes_ = true;
  --size_;
  delete task;  // its destructor clears the owner's pointer
}

void TimerList::EndPass() {
  --passDepth_;
  if (holes_) std::erase(tasks_, nullptr);
  holes_ = false;
  std::vector<TimedTask*> cleared;
  cleared.swap(cleared_);
  for (TimedTask* task : cleared) delete task;
}

void TimerList::Step(uint32_t now) {
  if (passDepth_ > 0) return;  // a task's Step cannot step its own list again
  if (now == 0) now = CurrentTickMs();
  BeginPass();
  // Indexes, not iterators: a Step may add tasks, which are visited in this
  // pass, or clear the list, after which the pass goes on with what was added
  // since.
  size_t i = 0;
  while (i < tasks_.size()) {
    TimedTask* task = tasks_[i];
    if (!task) {
      ++i;
      continue;
    }
    if (task->finished_) {
      RemoveAt(i++);
      continue;
    }
    if (task->pauseCount_ == 0 && IsDue(now, task->due_)) {
      const uint32_t epoch = clearEpoch_;
      const int32_t done = task->Step(now);
      if (clearEpoch_ != epoch) {
        i = 0;
        continue;
      }
      if (done != 0) {
        RemoveAt(i++);
        continue;
      }
      CountDown(task);
      if (task->interval_ != 0) {
        task->due_ += task->interval_;
        if (IsDue(now, task->due_)) task->due_ = now + task->interval_;
      }
    }
    if (task->finished_) RemoveAt(i);
    ++i;
  }
  EndPass();
}

void TimerList::StepCatchUp(uint32_t now) {
  if (passDepth_ > 0) return;
  if (now == 0) now = CurrentTickMs();
  BeginPass();
  size_t i = 0;
  while (i < tasks_.size()) {
    TimedTask* task = tasks_[i];
    if (!task) {
      ++i;
      continue;
    }
    bool removed = false;
    bool cleared = false;
    if (task->pauseCount_ == 0 && IsDue(now, task->due_)) {
      do {
        // A task that finished or paused itself is not replayed further.
        if (task->finished_ || task->pauseCount_ != 0) break;
        const uint32_t epoch = clearEpoch_;
        const int32_t done = task->Step(now);
        if (clearEpoch_ != epoch) {
          cleared = true;
          break;
        }
        if (done != 0) {
          RemoveAt(i);
          removed = true;
          break;
        }
        CountDown(task);
        if (task->interval_ == 0) break;
        task->due_ += task->interval_;
      } while (IsDue(now, task->due_));
    }
    if (cleared) {
      i = 0;
      continue;
    }
    if (!removed && task->finished_) RemoveAt(i);
    ++i;
  }
  EndPass();
}

}  // namespace orrivel
