#include "base/CursorMoveTask.h"

#include <algorithm>
#include <cmath>

#include "base/Application.h"
#include "base/TimerList.h"
#include "platform/Backend.h"

namespace orrivel {

using platform::Point;

int CursorMoveTask::Start(TimerList* list, Application* app, int32_t x, int32_t y, uint32_t duration,
                          double exponent, uint8_t jumpMode) {
  if (!list || !app) return 1;
  platform::Backend& backend = platform::CurrentBackend();
  Point target{x, y};
  app->GameToScreen(target);
  if (!app->isActive) {
    if (jumpMode == kAlwaysMove) backend.SetCursorPos(target);
    return -1;
  }
  list->StopType(kTypeId);
  Point start;
  backend.GetCursorPos(start);
  auto* task = new CursorMoveTask(app, start, Point{target.x - start.x, target.y - start.y}, duration, exponent,
                                  jumpMode);
  if (list->Add(task, 0, 0, 0) != 0) {
    delete task;
    return 2;
  }
  return 0;
}

CursorMoveTask::CursorMoveTask(Application* app, Point start, Point delta, uint32_t duration, double exponent,
                               uint8_t jumpMode)
    : duration_(duration),
      app_(app),
      deltaX_(delta.x),
      deltaY_(delta.y),
      startX_(start.x),
      startY_(start.y),
      exponent_(exponent),
      jumpMode_(jumpMode) {}

uint32_t CursorMoveTask::Progress(uint32_t elapsed) const {
  if (exponent_ == 0.0) return elapsed;
  double t = double(elapsed) / double(duration_);
  double p = exponent_ > 0.0 ? std::pow(t, exponent_) : 1.0 - std::pow(1.0 - t, -exponent_);
  // The curve stays within [0, 1]; the clamp guards against rounding only.
  return uint32_t(std::clamp(p, 0.0, 1.0) * double(duration_));
}

bool CursorMoveTask::MayMove() const {
  return jumpMode_ == kAlwaysMove || app_->isActive;
}

int32_t CursorMoveTask::Step(uint32_t now) {
  if (state_ == 0) {
    startTime_ = now;
    state_ = 1;
  }
  if (!MayMove()) return 1;
  // A glide of no duration is already at its end.
  uint32_t elapsed = std::min(now - startTime_, duration_);
  uint32_t p = duration_ == 0 ? 0 : Progress(elapsed);
  Point at{startX_ + deltaX_, startY_ + deltaY_};
  if (p != duration_) {
    at.x = startX_ + int32_t(int64_t(deltaX_) * p / duration_);
    at.y = startY_ + int32_t(int64_t(deltaY_) * p / duration_);
  }
  platform::CurrentBackend().SetCursorPos(at);
  if (p != duration_) return 0;
  state_ = 2;
  return 1;
}

int32_t CursorMoveTask::StopWithResult() {
  if (state_ == 2) return 2;
  state_ = 2;
  if (jumpMode_ == kNeverJump) return 0;
  if (jumpMode_ == kJumpWhileActive && !app_->isActive) return 0;
  platform::CurrentBackend().SetCursorPos(Point{startX_ + deltaX_, startY_ + deltaY_});
  return 0;
}

}  // namespace orrivel
