#include "base/TimedTask.h"

#include <mutex>

#include "base/HandleTable.h"

namespace orrivel {
namespace {

struct TaskHandles {
  // Lists live on the main thread, but the table is shared by all of them;
  // the lock keeps a list made on another thread from corrupting it.
  std::mutex lock;
  HandleTable<TimedTask> table;
};

TaskHandles& Handles() {
  static TaskHandles* handles = new TaskHandles;  // outlives every static list
  return *handles;
}

}  // namespace

TimedTask::~TimedTask() {
  ClearOwnerPointer();
  if (handle_ != 0) {
    TaskHandles& handles = Handles();
    std::lock_guard<std::mutex> guard(handles.lock);
    handles.table.Remove(handle_);
  }
}

bool TimedTask::AssignHandle() {
  TaskHandles& handles = Handles();
  std::lock_guard<std::mutex> guard(handles.lock);
  handle_ = handles.table.Insert(this);
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
