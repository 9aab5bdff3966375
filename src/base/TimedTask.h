#pragma once
// Anything that advances with time: a TimerList steps it at its due ticks
// until its Step says it is done, its step count runs out, or it is stopped.
//
// Handles: each task in a list gets a 32-bit handle from the process-wide,
// generation-tagged handle space (shared with the objects the scripts
// hold, so a task and an object never share a number), so scripts and
// 32-bit fields can name a task
// without holding its address, and a handle kept after the task is gone is
// refused rather than reaching another task. One table for the whole process
// (not one per list) keeps handles unique across the game's two lists, so a
// handle from one list never names a task of the other.
//
// The owner slot is the address of the owner's pointer to the task; the task
// writes null into it when it is destroyed, so the owner can always tell
// whether its task is still alive.
#include <cstdint>

namespace orrivel {

class TimerList;

class TimedTask {
 public:
  TimedTask() = default;
  TimedTask(const TimedTask&) = delete;
  TimedTask& operator=(const TimedTask&) = delete;
  // Clears the owner's pointer and gives the handle back.
  virtual ~TimedTask();

  virtual int32_t GetTypeId() const { return 0; }
  // Returns non-zero when the task is done and must be removed.
  virtual int32_t Step(uint32_t now) = 0;
  // Called when a list stops the task before its end.
  virtual void Stop() = 0;
  // Pauses nest; a paused task keeps its place and its due time.
  virtual void Pause(uint32_t now);
  // The outermost Resume shifts the due time by the paused span. A Resume
  // without a matching Pause does nothing: a negative count would keep the
  // task from ever being stepped again.
  virtual void Resume(uint32_t now);

  uint32_t Handle() const { return handle_; }
  uint32_t Due() const { return due_; }
  uint32_t Interval() const { return interval_; }
  uint32_t Remaining() const { return remaining_; }
  bool IsFinished() const { return finished_; }
  int32_t PauseCount() const { return pauseCount_; }
  TimedTask** OwnerSlot() const { return ownerSlot_; }
  void SetOwnerSlot(TimedTask** slot) { ownerSlot_ = slot; }

 protected:
  // Moves the next due step later by a span, as the outermost Resume does
  // for its paused span; for tasks with a pause of their own.
  void PostponeDue(uint32_t span) { due_ += span; }
  // Stops the task as its list's Stop does, from inside it (when something
  // it works on goes); the list lets it go at its next pass.
  void StopAsTheListWould() {
    if (finished_) return;
    ClearOwnerPointer();
    finished_ = true;
    Stop();
  }

 private:
  friend class TimerList;

  // Takes a handle from the process-wide space; false when it is full.
  bool AssignHandle();
  void ClearOwnerPointer() {
    if (ownerSlot_) *ownerSlot_ = nullptr;
    ownerSlot_ = nullptr;
  }

  uint32_t handle_ = 0;
  uint32_t due_ = 0;
  uint32_t interval_ = 0;
  uint32_t remaining_ = 0;
  bool finished_ = false;
  int32_t pauseCount_ = 0;
  uint32_t pauseStart_ = 0;
  TimedTask** ownerSlot_ = nullptr;
};

}  // namespace orrivel
