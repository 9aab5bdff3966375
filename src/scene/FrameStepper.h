#pragma once
// Animates a horizontal strip of equal frames in place on a surface (the
// click-wait cursor and other small loops). A cycle plays the strip forward
// and back over a set duration, repeats a set number of times or forever,
// and waits a delay plus an optional random extra between cycles. Without a
// cycle duration it shows a random frame at every frame interval instead.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/TimedTask.h"
#include "platform/Rect.h"
#include "raster/Surface.h"

namespace orrivel {

class SpriteListOwner;
class TimerList;

struct FrameStripState {
  Surface* target = nullptr;
  Surface* frames = nullptr;  // null: ownFrames
  Surface ownFrames;
  int32_t x = 0;
  int32_t y = 0;
  int32_t frameWidth = 0;
  int32_t frameHeight = 0;
  int32_t frameCount = 0;
  uint32_t intervalMs = 0;
  // 0 plain; 1 blended by the cells' own alpha at full opacity. Non-zero
  // restores the saved background before each frame.
  uint8_t drawKind = 0;
  // 1 draws nothing at rest; 0 or below rests on frame -value.
  int32_t restingValue = 0;
  std::unique_ptr<Surface> savedBackground;
  // The target's coverage under a frame drawn by its alpha, kept between
  // frames (grows only when the frame height is changed afterwards).
  std::vector<uint8_t> alphaBefore;
  std::vector<SpriteListOwner*> listeners;

  Surface* Frames() { return frames != nullptr ? frames : &ownFrames; }
  Rect Area() const { return Rect{x, y, x + frameWidth, y + frameHeight}; }
  // Draws cell index on the target (or the override) and reports the
  // rectangle. False, drawing nothing, for a cell outside the strip.
  bool DrawFrame(int32_t index, Surface* overrideTarget, SpriteListOwner* single);
  // The resting frame; nothing when the value selects no cell of the strip.
  void DrawResting(Surface* overrideTarget, SpriteListOwner* single);
  // Copies the area under the animation from the source into the saved
  // background.
  void SaveBackgroundFrom(Surface* source);
};

struct FrameStepperSetup {
  Surface* target = nullptr;
  Surface* frames = nullptr;  // null: the state's own surface, filled by the caller
  int32_t x = 0;
  int32_t y = 0;
  int32_t frameWidth = 0;
  int32_t frameHeight = 0;
  int32_t frameCount = 0;
  uint32_t intervalMs = 0;
  uint8_t drawKind = 0;
  int32_t restingValue = 0;
  bool keepBackground = false;
  uint32_t cycleMs = 0;
  uint32_t repeat = 0;  // 0 forever
  uint32_t delayMs = 0;
  uint32_t randomExtraMs = 0;
};

class FrameStepper : public TimedTask {
 public:
  static constexpr int32_t kTypeId = 13001;
  static constexpr int32_t kSetupOk = 0;
  // A frame interval or frame count of 0, a frame narrower than a pixel, or
  // a strip too short for the frame count.
  static constexpr int32_t kSetupBadStrip = 1;
  static constexpr int32_t kSetupNoMemory = 2;

  FrameStepper() = default;
  ~FrameStepper() override = default;

  int32_t Setup(const FrameStepperSetup& setup, uint32_t now);

  int32_t GetTypeId() const override { return kTypeId; }
  int32_t Step(uint32_t now) override;
  void Stop() override {}
  // Draws the resting picture.
  void Finish();

  // 1 without state.
  int32_t SetOrigin(int32_t x, int32_t y, bool restore);
  int32_t SaveBackground(Surface* source);

  // The pause pair driven through the pause bytes: takes effect at the next
  // step and continues the cycle where it stopped.
  void RequestPause() {
    if (pauseState_ == 0) pauseState_ = 1;
  }
  void RequestResume() {
    if (pauseState_ != 0) resumeRequest_ = 1;
  }
  void Restart() { restart_ = 1; }
  // The nested pause pair: the last resume moves the task's due time by
  // the paused span (the cycle's time base stays) and makes the next frame
  // draw again.
  void PauseNested(uint32_t now);
  void ResumeNested(uint32_t now);

  void SetOverrideTarget(Surface* target) { overrideTarget_ = target; }
  void SetListener(SpriteListOwner* listener) { listener_ = listener; }

  FrameStripState* State() { return state_.get(); }
  // The state for a task that draws through it too (the voice-synchronised
  // frame task): it stays with that task when the stepper goes first.
  std::shared_ptr<FrameStripState> SharedState() const { return state_; }
  int32_t CurrentFrame() const { return currentFrame_; }

 private:
  void ShowFrame(int32_t index);
  void ShowFrameAt(uint32_t elapsed);
  void ShowRandomFrame();
  int32_t FrameForTime(uint32_t t) const;

  std::shared_ptr<FrameStripState> state_;
  Surface* overrideTarget_ = nullptr;
  SpriteListOwner* listener_ = nullptr;
  uint32_t repeat_ = 0;
  uint32_t delayMs_ = 0;
  uint32_t randomExtraMs_ = 0;
  uint32_t wait_ = 0;
  uint32_t cycleMs_ = 0;
  int32_t currentFrame_ = -1;
  uint8_t restart_ = 0;
  uint8_t pauseState_ = 0;  // 0 running, 1 pause requested, 2 paused
  uint8_t resumeRequest_ = 0;
  uint32_t timeBase_ = 0;
  int32_t nestedPauses_ = 0;
  uint32_t nestedPauseTime_ = 0;
};

}  // namespace orrivel
