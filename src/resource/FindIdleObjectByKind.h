#pragma once
// Finds a timed task that is already running: the first task of a list, in
// list order, whose type id is the one asked for and that has not finished.
// The music ducking task uses it to take over from one already under way.
#include <cstdint>
#include <ranges>

#include "base/TimedTask.h"
#include "base/TimerList.h"

namespace orrivel {

// Tasks is any range of TimedTask pointers (null entries are passed over).
template <typename Tasks>
  requires std::ranges::input_range<const Tasks&>
TimedTask* FindIdleObjectByKind(const Tasks& tasks, std::int32_t typeId) {
  for (TimedTask* task : tasks) {
    if (task && !task->IsFinished() && task->GetTypeId() == typeId) return task;
  }
  return nullptr;
}

inline TimedTask* FindIdleObjectByKind(const TimerList& list, std::int32_t typeId) {
  return FindIdleObjectByKind(list.Tasks(), typeId);
}

}  // namespace orrivel
