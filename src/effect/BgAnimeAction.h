#pragma once
// "bg_anime": plays a frame animation from an LAD animation on a background
// layer. Each frame step names a picture, a display time and a place; the
// pictures of the sequence in play and of the one after it are loaded ahead
// on the preloader's worker, in two halves of its slots, so that a frame is
// decoded from memory when its time comes and a sequence change finds the
// next sequence's pictures waiting.
//
// The animation's size is the two 16-bit values at the start of its header
// (width, then height); the frame picture has that size at 32 bits.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "effect/BackgroundAction.h"
#include "raster/Surface.h"
#include "resource/Preloader.h"

namespace orrivel {

class LadAnimation;
struct LadFrame;

// The class-level entry: [0] non-zero turns catch-up on for every
// bg_anime (late frames are skipped so the animation keeps to the clock).
// Always 0.
int32_t SetBgAnimeFlag(const ObjectArguments& cells);
int32_t SetBgAnimeFlagVariadic(std::intptr_t first, ...);
bool BgAnimeCatchUp();

class BgAnimeAction : public BackgroundAction {
 public:
  // Set-up results.
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kCannotHold = 2;
  static constexpr int32_t kStartFailed = 3;
  static constexpr int32_t kNotListed = 4;
  // Control results.
  static constexpr int32_t kWrongState = 3;
  static constexpr int32_t kUnknownCommand = 2;
  static constexpr int32_t kNothingShown = 4;
  // Showing and walking: a step that asks to go on to the next one, and a
  // control value the animation does not know (or a walk that never
  // reaches a frame).
  static constexpr int32_t kGoOn = -1;
  static constexpr int32_t kBadStep = 3;
  static constexpr int32_t kBadFrame = 4;
  // A lag longer than this is cut to one display time under catch-up.
  static constexpr uint32_t kMaxLagMs = 1000;

  enum State : int8_t { kSelected = -1, kStopped = 0, kPlaying = 1, kPaused = 2 };

  BgAnimeAction() = default;
  ~BgAnimeAction() override;

  int32_t GetTypeId() const override { return kBackgroundAnimationType; }
  const char* GetName() const override { return "bg_anime"; }
  // The animation played (null before set-up).
  const LadAnimation* Animation() const { return animation_; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer. [0] the LadAnimation (not owned; it must
  // outlive the action), [1] the folder put before every picture name,
  // [2] start sequence (negative: none), [3] start step, [4] loop, [5]
  // start playing at once.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] command: 0 select (sequence, step), 1 play, 2 pause, 3 resume, 4
  // stop, 5 end the loop.
  int32_t ControlV(const ObjectArguments& cells) override;
  // [0] 0 state, 1 looping, 2 sequence, 3 step, 4 next loop mark, 5 first
  // loop mark of a later sequence.
  int32_t QueryV(const ObjectArguments& cells) override;
  int32_t Step(uint32_t now) override;
  // The timer list's stop: the canvas gets its own background back.
  void Stop() override;

  State PlayState() const { return state_; }
  int32_t Sequence() const { return sequence_; }
  int32_t CurrentStep() const { return step_; }
  int32_t LoopPoint() const { return loopPoint_; }
  int32_t ShownHalf() const { return shownHalf_; }
  int32_t PreparedSequence(int32_t half) const { return halves_[size_t(half & 1)].sequence; }
  Surface* FramePicture() const { return frame_.get(); }

 private:
  struct Half {
    int32_t sequence = -1;
    std::vector<int32_t> pictures;  // name indices, distinct, in step order
    std::vector<int32_t> stepPicture;  // per step of the sequence; -1 none
  };

  int32_t Select(int32_t sequence, int32_t step);
  int32_t Play();
  void StopPlaying();
  void Prepare(int32_t half, int32_t sequence);
  // The sequence prepared after `sequence`: the next one, the first after
  // the last only with the loop flag; -1 none.
  int32_t SequenceAfter(int32_t sequence) const;
  int32_t ShowStep();
  int32_t ShowFrame(const LadFrame& frame);
  int32_t JumpBack();
  // False when there is no sequence to move to.
  bool MoveToNextSequence();
  void MakeCurrent(int32_t sequence);
  int32_t Walk();
  void Advance(uint32_t now);
  void CatchUp(uint32_t now);
  uint32_t DisplayTime() const;
  bool IsFrameStep(int32_t step) const;
  int32_t NextLoopMark() const;
  int32_t LaterLoopMark() const;
  void RestoreBackground();

  const LadAnimation* animation_ = nullptr;
  std::unique_ptr<Surface> frame_;
  Preloader preloader_;
  uint32_t halfRoom_ = 0;
  std::array<Half, 2> halves_;
  int32_t shownHalf_ = 0;
  int32_t sequence_ = 0;
  int32_t step_ = 0;
  int32_t loopPoint_ = -1;
  State state_ = kStopped;
  bool loop_ = false;
  bool endRequested_ = false;
  bool firstUpdate_ = true;
  uint32_t stepStart_ = 0;
  bool showingFrame_ = false;
  Surface* savedImage_ = nullptr;
  int32_t savedX_ = 0, savedY_ = 0;
};

}  // namespace orrivel
