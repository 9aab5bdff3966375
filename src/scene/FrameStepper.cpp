#include "scene/FrameStepper.h"

#include <new>
#include <vector>

#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "raster/BlendTables.h"
#include "raster/CompositeKernels32.h"
#include "raster/SpriteList.h"

namespace orrivel {

namespace {

// The first pixel of the area's top row and the skip from a row's end to
// the next row.
uint8_t* AreaStart(Surface& surface, const Rect& area) { return surface.GetScanLine(area.top) + area.left * 4; }
int AreaSkip(const Surface& surface, const Rect& area) { return surface.GetPitch() - area.Width() * 4; }

// The target's alpha bytes over the area, into the plane.
void CaptureAlpha(Surface& to, const Rect& area, std::vector<uint8_t>& plane) {
  const size_t bytes = size_t(area.Width()) * size_t(area.Height());
  if (plane.size() < bytes) plane.resize(bytes);
  CopyAlphaToPlane(plane.data(), AreaStart(to, area), 0, AreaSkip(to, area), area.Width(),
                   area.Height());
}

// The alpha blend mixes the colours only; on a target that keeps alpha the
// cell's coverage (the strip's pixels under the area) then joins the
// coverage captured before the blend.
void JoinCellAlpha(Surface& to, Surface& strip, const Rect& area, const Rect& cell,
                   const std::vector<uint8_t>& before) {
  EnsureBlendTables();
  uint8_t* const out = AreaStart(to, area);
  CopyAlphaKeepColor32(out, AreaStart(strip, cell), AreaSkip(to, area), AreaSkip(strip, cell),
                       area.Width(), area.Height());
  CombineAlphaWithPlane(out, before.data(), AreaSkip(to, area), 0, area.Width(), area.Height());
}

}  // namespace

bool FrameStripState::DrawFrame(int32_t index, Surface* overrideTarget, SpriteListOwner* single) {
  if (index < 0 || index >= frameCount) return false;
  Surface* to = overrideTarget != nullptr ? overrideTarget : target;
  Surface* strip = Frames();
  if (to == nullptr) return false;
  const Rect source{frameWidth * index, 0, frameWidth * index + frameWidth, frameHeight};
  if (drawKind != 0 && savedBackground) to->Copy(savedBackground.get(), x, y, nullptr, false);
  if (drawKind == 1) {
    // Each cell pixel by its own alpha: the clear parts of a cell leave
    // what lies under the animation showing.
    Rect area;
    bool joinAlpha = to->HasAlpha() && to->GetBitsPerPixel() == 32 && strip->GetBitsPerPixel() == 32 &&
                     IntersectRects(&area, Area(), Rect{0, 0, to->GetWidth(), to->GetHeight()});
    const Rect cell{source.left + area.left - x, area.top - y, source.left + area.right - x, area.bottom - y};
    // A strip shorter than its frames has no coverage to give there.
    joinAlpha = joinAlpha && cell.right <= strip->GetWidth() && cell.bottom <= strip->GetHeight();
    if (joinAlpha) CaptureAlpha(*to, area, alphaBefore);
    to->AlphaBlend(strip, x, y, &source, false);
    if (joinAlpha) JoinCellAlpha(*to, *strip, area, cell, alphaBefore);
  } else if (strip->HasAlpha()) {
    to->Copy(strip, x, y, &source, false);
  } else {
    to->CopyColorKeepAlpha(strip, x, y, &source);
  }
  const Rect changed = Area();
  if (single != nullptr) {
    single->AddDirty(&changed);
  } else {
    for (SpriteListOwner* listener : listeners) listener->AddDirty(&changed);
  }
  return true;
}

void FrameStripState::DrawResting(Surface* overrideTarget, SpriteListOwner* single) {
  // A resting value of 1 (or above) leaves the last frame; 0 and below name
  // cell -value, which DrawFrame bounds to the strip.
  if (restingValue >= 1 || restingValue < -frameCount) return;
  DrawFrame(-restingValue, overrideTarget, single);
}

void FrameStripState::SaveBackgroundFrom(Surface* source) {
  if (!savedBackground || source == nullptr) return;
  const Rect area = Area();
  savedBackground->Copy(source, 0, 0, &area, false);
}

int32_t FrameStepper::Setup(const FrameStepperSetup& setup, uint32_t now) {
  // Each of these would divide by zero or read cells beyond the strip.
  if (setup.intervalMs == 0 || setup.frameCount <= 0 || setup.frameWidth <= 0 || setup.frameHeight <= 0)
    return kSetupBadStrip;
  if (setup.frames != nullptr &&
      (setup.frames->GetWidth() / setup.frameWidth < setup.frameCount ||
       setup.frames->GetHeight() < setup.frameHeight))
    return kSetupBadStrip;
  auto state = std::shared_ptr<FrameStripState>(new (std::nothrow) FrameStripState);
  if (!state) return kSetupNoMemory;
  state->target = setup.target;
  state->frames = setup.frames;
  state->x = setup.x;
  state->y = setup.y;
  state->frameWidth = setup.frameWidth;
  state->frameHeight = setup.frameHeight;
  state->frameCount = setup.frameCount;
  state->intervalMs = setup.intervalMs;
  state->drawKind = setup.drawKind;
  state->restingValue = setup.restingValue;
  // Cells blended by their alpha capture the coverage under them first.
  if (setup.drawKind == 1) state->alphaBefore.resize(size_t(setup.frameWidth) * size_t(setup.frameHeight));
  if (setup.keepBackground) {
    state->savedBackground = std::make_unique<Surface>();
    if (state->savedBackground->Create(setup.frameWidth, setup.frameHeight, 32, 0) != 0) return kSetupNoMemory;
    // What lies under the animation now: the first frame puts it back
    // before drawing, so it must hold the target's pixels from the start.
    state->SaveBackgroundFrom(setup.target);
  }
  state_ = std::move(state);
  repeat_ = setup.repeat;
  delayMs_ = setup.delayMs;
  randomExtraMs_ = setup.randomExtraMs;
  cycleMs_ = setup.cycleMs;
  wait_ = 0;
  currentFrame_ = -1;
  timeBase_ = now;
  return kSetupOk;
}

int32_t FrameStepper::SetOrigin(int32_t x, int32_t y, bool restore) {
  if (!state_) return 1;
  if (restore && state_->savedBackground && state_->target != nullptr) {
    state_->target->Copy(state_->savedBackground.get(), state_->x, state_->y, nullptr, false);
    state_->x = x;
    state_->y = y;
    state_->SaveBackgroundFrom(state_->target);
  }
  state_->x = x;
  state_->y = y;
  return 0;
}

int32_t FrameStepper::SaveBackground(Surface* source) {
  if (!state_) return 1;
  state_->SaveBackgroundFrom(source != nullptr ? source : state_->target);
  return 0;
}

int32_t FrameStepper::FrameForTime(uint32_t t) const {
  const int32_t count = state_->frameCount;
  const uint32_t raw = t / state_->intervalMs;
  if (raw < static_cast<uint32_t>(count)) return static_cast<int32_t>(raw);
  // Back towards frame 0; a cycle longer than the way there and back rests
  // on frame 0 rather than reading left of the strip.
  const int64_t back = 2 * static_cast<int64_t>(count) - static_cast<int64_t>(raw) - 2;
  return back < 0 ? 0 : static_cast<int32_t>(back);
}

void FrameStepper::ShowFrame(int32_t index) {
  if (index == currentFrame_) return;
  if (state_->DrawFrame(index, overrideTarget_, listener_)) currentFrame_ = index;
}

void FrameStepper::ShowFrameAt(uint32_t elapsed) { ShowFrame(FrameForTime(elapsed)); }

void FrameStepper::ShowRandomFrame() {
  const int32_t count = state_->frameCount;
  int32_t index = RandomDraw() % count;
  if (index == currentFrame_) index = (index + 1) % count;
  ShowFrame(index);
}

void FrameStepper::Finish() {
  if (state_) state_->DrawResting(overrideTarget_, listener_);
}

int32_t FrameStepper::Step(uint32_t now) {
  if (!state_) return 1;
  if (pauseState_ != 0) {
    if (restart_ == 0 && pauseState_ == 1) {
      timeBase_ = now - timeBase_;  // holds the elapsed part of the cycle while paused
      pauseState_ = 2;
    }
    if (resumeRequest_ == 0) return 0;
    timeBase_ = now - timeBase_;
    pauseState_ = 0;
    resumeRequest_ = 0;
  }
  if (restart_ != 0) {
    timeBase_ = now;
    restart_ = 0;
  }
  if (wait_ != 0) {
    if (now - timeBase_ < wait_) return 0;
    timeBase_ = now;
    wait_ = 0;
  }
  const uint32_t elapsed = now - timeBase_;
  if (cycleMs_ == 0) {
    if (elapsed < state_->intervalMs) return 0;
    ShowRandomFrame();
    timeBase_ += elapsed;
    return 0;
  }
  if (elapsed < cycleMs_) {
    ShowFrameAt(elapsed);
    return 0;
  }
  if (repeat_ != 0 && --repeat_ == 0) {
    Finish();
    return 1;
  }
  wait_ = delayMs_;
  if (randomExtraMs_ != 0) wait_ += static_cast<uint32_t>(RandomDraw()) % randomExtraMs_;
  timeBase_ += elapsed;
  ShowFrameAt(cycleMs_ - 1);
  return 0;
}

void FrameStepper::PauseNested(uint32_t now) {
  if (nestedPauses_++ == 0) nestedPauseTime_ = now;
}

void FrameStepper::ResumeNested(uint32_t now) {
  if (nestedPauses_ == 0) return;
  if (--nestedPauses_ != 0) return;
  // The task's own time moves, not the cycle's: the list steps it again
  // only once the paused span has passed again, and that step draws.
  PostponeDue(now - nestedPauseTime_);
  currentFrame_ = -1;
}

}  // namespace orrivel
