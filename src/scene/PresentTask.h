#pragma once
// What a timed present of a canvas draw object runs: the caller that starts
// it supplies the task, which decides how the picture and the paired image
// are mixed into the work surface band by band, and when the present ends.
// Held by count: 0 means one holder.
#include <cstdint>

#include "raster/Rect.h"

namespace orrivel {

class Image;
class Surface;

class PresentTask {
 public:
  PresentTask() = default;
  PresentTask(const PresentTask&) = delete;
  PresentTask& operator=(const PresentTask&) = delete;
  virtual ~PresentTask() = default;

  // Types 0 and 1 compose the paired image's scene as well.
  virtual int Type() const = 0;
  // Bit value 1 set: the picture is always drawn in one pass.
  virtual uint32_t Kind() const = 0;
  // Advances to the tick; non-zero ends the present with that result.
  virtual int Step(uint32_t tick) = 0;
  // Writes the band of the mixed picture into work.
  virtual void DrawBand(const Rect& band, Surface* work) = 0;
  // After drawing: non-zero ends the present now with that result.
  virtual int Query() = 0;
  // The image is about to be deleted (null: every image is): a task that
  // reads it lets go of it.
  virtual void ForgetImage(const Image* image) { (void)image; }

  void AddHolder() { ++holders_; }
  // The last holder deletes the task.
  static void Release(PresentTask* task) {
    if (task == nullptr) return;
    if (task->holders_ == 0) {
      delete task;
    } else {
      --task->holders_;
    }
  }

 private:
  uint32_t holders_ = 0;
};

}  // namespace orrivel
