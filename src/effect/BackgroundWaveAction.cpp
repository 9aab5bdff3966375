#include "effect/BackgroundWaveAction.h"

#include <typeinfo>

#include "base/MathTables.h"
#include "base/TimerList.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

int32_t BackgroundWaveAction::ClaimCanvas(TimerList* timerList, const ObjectArgument& target) {
  if (GetMathTables() == nullptr) return kNoTables;
  canvas_ = CanvasOfTarget(target);
  Watch(canvas_);
  if (timerList == nullptr || canvas_ == nullptr) return kNoTarget;
  Surface* picture = BackgroundPicture(*canvas_);
  Surface* screen = canvas_->GetTarget();
  // The rows are moved as 32-bit pixels.
  if (picture == nullptr || picture->GetBitsPerPixel() != 32 ||
      (screen != nullptr && screen->GetBitsPerPixel() != 32))
    return kNoTarget;
  switch (ClaimWorkCopy()) {
    case Claim::Held: return kWorkCopyHeld;
    case Claim::Failed: return kNoWorkCopy;
    case Claim::Made: break;
  }
  const Surface* copy = canvas_->BackCopy();
  if (copy->GetWidth() > picture->GetWidth() || copy->GetHeight() > picture->GetHeight()) {
    ReleaseWorkCopy();
    return kWorkCopyTooLarge;
  }
  return 0;
}

void BackgroundWaveAction::StoreCommonCells(const ObjectArguments& cells) {
  period_ = uint32_t(cells.Cell(2));
  if (period_ == 0) period_ = 1;
  duration_ = uint32_t(cells.Cell(3));
  fadeIn_ = uint32_t(cells.Cell(4));
  fadeOut_ = uint32_t(cells.Cell(5));
  fill_ = cells.Cell(6) != 0;
  if (!fill_) {
    int32_t x = 0, y = 0;
    Surface* picture = nullptr;
    canvas_->GetBackground(&picture, &x, &y, nullptr, nullptr, nullptr);
    canvas_->BackCopy()->Copy(picture, int32_t(-int64_t{x}), int32_t(-int64_t{y}), nullptr, false);
  }
}

int32_t BackgroundWaveAction::Start(TimerList* timerList, int32_t refusedCode, bool lowPriority) {
  started_ = false;
  startTick_ = 0;
  fadeOutStart_ = 0;
  state_ = kFadeIn;
  level_ = fadeFrom_ = 0;
  lastPhase_ = -1;
  lastLevel_ = 0;
  if (timerList->Add(this, 0, 0, 0) != 0) {
    ReleaseWorkCopy();
    return refusedCode;
  }
  if (lowPriority) EnterLowPriority();
  return 0;
}

int32_t BackgroundWaveAction::ControlV(const ObjectArguments&) {
  if (state_ != kFadeIn && state_ != kRunning) return 1;
  // A stop during the fade-in fades out from the level reached.
  fadeFrom_ = state_ == kFadeIn ? level_ : MaximumLevel();
  state_ = kStopRequested;
  return 0;
}

int32_t BackgroundWaveAction::QueryV(const ObjectArguments&) { return state_; }

int32_t BackgroundWaveAction::CopyState(const BackgroundWaveAction* other) {
  if (other == nullptr || typeid(*other) != typeid(*this)) return 1;
  if (canvas_ == nullptr) return 2;
  if (!CopyParameters(*other)) return 1;
  period_ = other->period_;
  duration_ = other->duration_;
  fadeIn_ = other->fadeIn_;
  fadeOut_ = other->fadeOut_;
  fill_ = other->fill_;
  started_ = other->started_;
  startTick_ = other->startTick_;
  fadeOutStart_ = other->fadeOutStart_;
  state_ = other->state_;
  level_ = other->level_;
  fadeFrom_ = other->fadeFrom_;
  lastPhase_ = -1;
  lastLevel_ = 0;
  return 0;
}

int32_t BackgroundWaveAction::LevelAt(uint32_t elapsed, bool* ended) {
  const int32_t maximum = MaximumLevel();
  if (state_ == kFadeIn) {
    if (elapsed < fadeIn_)
      level_ = int32_t(int64_t{maximum} * elapsed / fadeIn_);
    else
      state_ = kRunning;
  }
  if (state_ == kRunning) {
    level_ = maximum;
    if (duration_ != 0 && elapsed >= fadeIn_ && elapsed - fadeIn_ >= duration_) {
      fadeFrom_ = maximum;
      state_ = kStopRequested;
    }
  }
  if (state_ == kStopRequested) {
    state_ = kFadingOut;
    fadeOutStart_ = elapsed;
  }
  if (state_ == kFadingOut) {
    const uint32_t t = elapsed - fadeOutStart_;
    if (t >= fadeOut_) {
      *ended = true;
      return 0;
    }
    level_ = int32_t(fadeFrom_ - int64_t{t} * fadeFrom_ / fadeOut_);
  }
  return level_;
}

int32_t BackgroundWaveAction::Step(uint32_t now) {
  if (!started_) {
    started_ = true;
    startTick_ = now;
  }
  const uint32_t elapsed = now - startTick_;
  bool ended = false;
  const int32_t level = LevelAt(elapsed, &ended);
  if (ended) {
    ReleaseWorkCopy();
    return 1;
  }
  const int32_t phase = PhaseAt(elapsed);
  if (phase == lastPhase_ && level == lastLevel_) return 0;
  lastPhase_ = phase;
  lastLevel_ = level;
  Draw(phase, level);
  return 0;
}

}  // namespace orrivel
