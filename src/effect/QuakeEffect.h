#pragma once
// "quake": shakes the pages of the layer host by moving their backgrounds,
// in a sine swing or in random jolts, and puts them back where they were
// when it ends or is stopped.
//
// Copy mode redraws a work copy of each shaking page's background from its
// picture instead of moving the picture's offset; the bands the shifted
// picture leaves open get the page's background colour.
//
// A timed quake scales its amplitude from 1 to the end scale over its
// duration and ignores stop requests. An endless one stops on request: at
// once when it jolts, at the end of the current period when it swings.
#include <cstdint>

#include "effect/LayerAction.h"

namespace orrivel {

class SpriteCanvas;
class Surface;
class SubtractiveRandom;

// Draws picture into copy shifted by (x, y) (a negative shift reads from
// inside the picture, a positive one writes inside the copy) and fills what
// the picture leaves uncovered with fill; a shift of a whole width or
// height fills everything.
void DrawShiftedPicture(Surface& copy, Surface& picture, int32_t x, int32_t y, uint32_t fill);

class QuakeEffect : public LayerAction {
 public:
  // Set-up results.
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoWorkCopy = 4;
  // No generator bound, or the timer list refused.
  static constexpr int32_t kNotStarted = 5;

  enum class StopState : uint8_t { Running = 0, Requested = 1, Stopping = 2 };

  QuakeEffect() = default;
  ~QuakeEffect() override;

  int32_t GetTypeId() const override { return kOverlayEffectType; }
  const char* GetName() const override { return "quake"; }
  uint8_t GetCategory() const override { return kOverlayCategory; }

  using LayerAction::SetupV;
  // Target: a LayerHost. Cells: [0] swing (endless: period ms, its absolute
  // value, 0 random jolts; timed: half swings over the duration),
  // [1] amplitude x, [2] amplitude y, [3] duration ms (0 endless), [4] end
  // scale as decimal text (null 0.0), [5] copy mode, [6] shake the first
  // page, [7] shake the second page, [8] enter low priority.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] 0 asks an endless quake to stop; other values are ignored. 0.
  int32_t ControlV(const ObjectArguments& cells) override;

  int32_t Step(uint32_t now) override;
  void Stop() override { Finish(); }

  // The offset last applied (the negated shake), for tests and the bench.
  int32_t OffsetX() const { return offsetX_; }
  int32_t OffsetY() const { return offsetY_; }
  StopState GetStopState() const { return stop_; }
  int32_t Swing() const { return swing_; }

 private:
  struct Page {
    SpriteCanvas* canvas = nullptr;
    bool shakes = false;
    int32_t baseX = 0;
    int32_t baseY = 0;
  };

  // The shake of this step from the scale, (dx, dy).
  void SwingShake(int32_t phase, double scale, int32_t* dx, int32_t* dy) const;
  void RandomShake(SubtractiveRandom& random, double scale, int32_t* dx, int32_t* dy);
  // Moves every shaking page to its base offset plus (x, y).
  void Apply(int32_t x, int32_t y);
  void ApplyToPage(Page& page, int32_t x, int32_t y);
  // Puts the pages back; runs once.
  void Finish();
  void ReleaseWorkCopies();

  Page pages_[2];
  bool copyMode_ = false;
  uint32_t duration_ = 0;
  int32_t swing_ = 0;
  double amplitudeX_ = 0;
  double amplitudeY_ = 0;
  double endScale_ = 0;
  uint32_t startTick_ = 0;
  bool firstUpdate_ = true;
  bool alternate_ = false;
  bool restored_ = false;
  StopState stop_ = StopState::Running;
  int32_t offsetX_ = 0;
  int32_t offsetY_ = 0;
};

}  // namespace orrivel
