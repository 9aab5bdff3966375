#pragma once
// The timed state machine of the background waves (bg_rast, bg_haze), which
// other background actions reuse: a level rises over the fade-in, holds
// while running, and falls over the fade-out once a stop is asked for (by
// the duration or by a control request); the work copy is released at the
// end. Each step draws the phase and the level, unless the pair is the one
// drawn last.
//
// States: 0 fade-in, 1 running, 2 stop requested, 3 fading out.
#include <cstdint>

#include "effect/BackgroundAction.h"

namespace orrivel {

class BackgroundWaveAction : public BackgroundAction {
 public:
  enum State : uint8_t { kFadeIn = 0, kRunning = 1, kStopRequested = 2, kFadingOut = 3 };

  // Set-up results shared by the waves.
  static constexpr int32_t kNoTables = 1;
  static constexpr int32_t kNoTarget = 2;
  static constexpr int32_t kWorkCopyHeld = 3;
  static constexpr int32_t kNoWorkCopy = 4;
  static constexpr int32_t kWorkCopyTooLarge = 5;

  // Asks for the stop: 0 when running or fading in, 1 when already asked.
  // The cells are not read.
  int32_t ControlV(const ObjectArguments& cells) override;
  // The state (0 to 3).
  int32_t QueryV(const ObjectArguments& cells) override;

  // Takes over the running wave of another action of the same class (its
  // parameters, clock, fade-out start and state) and draws afresh. 1 when
  // other is null or of another class, 2 when this action has no canvas; 0.
  int32_t CopyState(const BackgroundWaveAction* other);

  int32_t Step(uint32_t now) override;
  void Stop() override { ReleaseWorkCopy(); }

  State GetState() const { return state_; }
  int32_t LastPhase() const { return lastPhase_; }
  int32_t LastLevel() const { return lastLevel_; }

 protected:
  // The checks and the claim of the work copy shared by the set-ups: 0 or
  // one of the codes above; on success the copy is claimed.
  int32_t ClaimCanvas(TimerList* timerList, const ObjectArgument& target);
  // The common cells 2 to 6: period (0 counts as 1), duration, fade-in,
  // fade-out, fill. Without the fill flag the work copy takes the picture
  // as the layer showed it, so that the margins of moved rows hold it.
  void StoreCommonCells(const ObjectArguments& cells);
  // The end of the set-up: the clock reset, the action listed (refusal
  // releases the claim and answers refusedCode) and low priority entered
  // when asked.
  int32_t Start(TimerList* timerList, int32_t refusedCode, bool lowPriority);

  // The full level and the phase at an elapsed time.
  virtual int32_t MaximumLevel() const = 0;
  virtual int32_t PhaseAt(uint32_t elapsed) const = 0;
  // Draws into the work copy at the phase and the level.
  virtual void Draw(int32_t phase, int32_t level) = 0;
  // Copies what a class adds to the common parameters; false when it cannot.
  virtual bool CopyParameters(const BackgroundWaveAction& other) = 0;

  uint32_t period_ = 1;
  uint32_t duration_ = 0;
  uint32_t fadeIn_ = 0;
  uint32_t fadeOut_ = 0;
  bool fill_ = false;

 private:
  int32_t LevelAt(uint32_t elapsed, bool* ended);

  bool started_ = false;
  uint32_t startTick_ = 0;
  uint32_t fadeOutStart_ = 0;
  State state_ = kFadeIn;
  // The level reached, and the level the fade-out starts from.
  int32_t level_ = 0;
  int32_t fadeFrom_ = 0;
  int32_t lastPhase_ = -1;
  int32_t lastLevel_ = 0;
};

}  // namespace orrivel
