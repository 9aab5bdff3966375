#pragma once
// An owning list of timed tasks in insertion order, stepped once per frame.
// Main thread only; no lock.
//
// A task's Step may add tasks (they are visited in the same pass), stop tasks
// (a stopped task is removed when the pass reaches it, or on the next pass),
// or clear the whole list; the pass notices, never touches a task the clear
// has taken away, and goes on with the tasks added after the clear. Tasks
// taken away during a pass are deleted when the pass ends, so the task whose
// Step cleared the list is not deleted under it. A Step or StepCatchUp called
// from inside a pass of the same list does nothing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/TimedTask.h"

namespace orrivel {

class TimerList {
 public:
  TimerList() = default;
  TimerList(const TimerList&) = delete;
  TimerList& operator=(const TimerList&) = delete;
  // Deletes every task without writing into the owners' pointers: the owners
  // are expected to be gone with the list (at exit), and their slots may
  // already be freed memory. An owner that outlives its list must not trust
  // its pointer afterwards.
  virtual ~TimerList();

  // 0 added; 1 null task; 2 the task is already in a list (this one or
  // another); 3 no task handle is left. On refusal the caller keeps the task.
  virtual int32_t Add(TimedTask* task, uint32_t delayMs, uint32_t intervalMs, uint32_t count);
  // Stops the first unfinished task with the handle: clears its owner's
  // pointer, marks it finished and calls its Stop. It stays in the list
  // until the next step removes it.
  virtual bool Stop(uint32_t handle);
  // Stop for every unfinished task of the type.
  virtual void StopType(int32_t typeId);
  // Stops every unfinished task, then deletes every task.
  virtual void Clear();
  // True while a task with the handle is in the list, finished or not.
  virtual bool Contains(uint32_t handle) const;
  // Every task with the handle becomes due delayMs from now.
  virtual void SetDelay(uint32_t handle, uint32_t delayMs);
  virtual bool PauseTask(uint32_t handle);
  // A negative type id means every task.
  virtual void PauseAll(int32_t typeId);
  virtual bool ResumeTask(uint32_t handle);
  virtual void ResumeAll(int32_t typeId);
  // Steps every due task once; missed periods are dropped. now 0 reads the clock.
  virtual void Step(uint32_t now);
  // Steps every due task once per period it is behind. now 0 reads the clock.
  virtual void StepCatchUp(uint32_t now);

  size_t Size() const { return size_; }
  // The tasks in list order, for look-ups that only read. Finished tasks stay
  // until a step removes them; while a pass runs, entries of removed tasks
  // are null until the pass ends.
  const std::vector<TimedTask*>& Tasks() const { return tasks_; }

 private:
  TimedTask* FindFirst(uint32_t handle) const;
  // Pause or Resume, on the first task with the handle or on every task of
  // the type.
  using PauseStep = void (TimedTask::*)(uint32_t now);
  bool ApplyToTask(uint32_t handle, PauseStep step);
  void ApplyToType(int32_t typeId, PauseStep step);
  void StopTask(TimedTask* task);
  // What a step does after the task's own Step returned 0.
  static void CountDown(TimedTask* task);
  // Unlinks and deletes the task at index (deferred while a pass runs).
  void RemoveAt(size_t index);
  void BeginPass() { ++passDepth_; }
  void EndPass();

  // Entries removed during a pass become null and are swept out at its end.
  std::vector<TimedTask*> tasks_;
  size_t size_ = 0;
  int passDepth_ = 0;
  bool holes_ = false;  // some entry became null during the pass
  // Counts Clear calls, so that a pass can tell its entries were taken away.
  uint32_t clearEpoch_ = 0;
  // Tasks a Clear took away during a pass, deleted when the pass ends.
  std::vector<TimedTask*> cleared_;
};

}  // namespace orrivel
