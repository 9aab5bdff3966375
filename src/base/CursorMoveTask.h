#pragma once
// A timed glide of the system cursor to a game point. Progress follows
// (t / duration) ^ exponent for a positive exponent (slow start), the mirror
// curve for a negative one (slow end), and a straight line for 0; the last
// step lands exactly on the target. Only one glide runs at a time.
#include <cstdint>

#include "base/TimedTask.h"
#include "platform/Rect.h"

namespace orrivel {

class Application;
class TimerList;

class CursorMoveTask : public TimedTask {
 public:
  static constexpr int32_t kTypeId = 20000;

  // What happens to a glide that stops before its end, or that runs while
  // the application is inactive.
  enum JumpMode : uint8_t {
    kNeverJump = 0,      // stays where it is
    kJumpWhileActive = 1,
    kAlwaysMove = 2,
  };

  // 0 started, 1 no list or no application, 2 the list refused the task,
  // -1 the application is inactive (with kAlwaysMove the cursor is put on
  // the target first). Any running glide is stopped first.
  static int Start(TimerList* list, Application* app, int32_t x, int32_t y, uint32_t duration, double exponent,
                   uint8_t jumpMode);

  int32_t GetTypeId() const override { return kTypeId; }
  // 1 finished, else 0.
  int32_t Step(uint32_t now) override;
  void Stop() override { StopWithResult(); }
  // 2 when already finished, else 0.
  int32_t StopWithResult();

  uint8_t State() const { return state_; }

 private:
  CursorMoveTask(Application* app, platform::Point start, platform::Point delta, uint32_t duration, double exponent,
                 uint8_t jumpMode);
  // Elapsed time on the curve, in the duration's units.
  uint32_t Progress(uint32_t elapsed) const;
  bool MayMove() const;

  uint32_t duration_;
  uint32_t startTime_ = 0;
  uint8_t state_ = 0;  // 0 new, 1 running, 2 finished
  Application* app_;
  int32_t deltaX_;
  int32_t deltaY_;
  int32_t startX_;
  int32_t startY_;
  double exponent_;
  uint8_t jumpMode_;
};

}  // namespace orrivel
