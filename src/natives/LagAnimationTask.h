#pragma once
// Plays one sequence of a LAG animation on a sprite of a layer: each frame
// record shows one of the animation's pictures at the record's place (plus
// the task's offsets) for the record's duration. At the end of the sequence
// the task loops, moves on to the next sequence when asked to, holds the
// last frame, or finishes.
//
// The task holds the animation for as long as it lives, so an animation
// released by the scripts while it plays stays until the task goes.
//
// Main thread only.
#include <cstdint>

#include "base/TimedTask.h"
#include "natives/ObjectPool.h"
#include "scene/ImageSprite.h"

namespace orrivel {

class SpriteCanvas;
class TimerList;

class LagAnimationTask final : public TimedTask {
 public:
  static constexpr int32_t kTypeId = 13000;
  using Animation = LagAnimationPool::Object;

  enum State : uint8_t { kNotStarted = 0, kPlaying = 1, kHolding = 2 };
  enum SetupCode : int32_t {
    kSetupOk = 0,
    kSetupMissing = 1,      // no timer list, layer or animation
    kSetupNoSequence = 2,   // the sequence number is past the last one
    kSetupEmpty = 3,        // the sequence has no frame
    kSetupRefused = 4,      // the timer list refused the task
  };

  struct Options {
    int32_t xOffset = 0;
    int32_t yOffset = 0;
    uint32_t priority = 0;
    bool catchUp = true;
    bool removeWhenDone = true;
    uint32_t startDelayMs = 0;
  };

  LagAnimationTask() = default;
  ~LagAnimationTask() override;

  // Shows the sequence's first frame on the layer's sprite list and adds
  // the task to the list. A negative loop count loops forever. On a code
  // other than kSetupOk nothing was added and the caller deletes the task.
  int32_t Setup(TimerList* list, SpriteCanvas* layer, Animation* animation, int32_t sequence, int32_t loops,
                const Options& options);

  int32_t GetTypeId() const override { return kTypeId; }
  // 0 go on; 1 done (the loops ran out, or a held last frame with
  // remove-when-done); 2 a chained sequence that does not exist.
  int32_t Step(uint32_t now) override;
  void Stop() override { Finish(); }
  void Pause(uint32_t now) override;
  // The outermost resume moves the frame timing on by the paused span.
  void Resume(uint32_t now) override;

  // Takes the records after the sequence's end into account: at its end
  // the task goes on with the next sequence and this loop count.
  void RequestChain(int32_t loops) {
    chainRequest_ = true;
    loopsLeft_ = loops;
  }

  // Takes the sprite off the layer and lets the animation go (also done
  // when the task is deleted).
  void Finish();

  State GetState() const { return state_; }
  const Animation* GetAnimation() const { return animation_; }
  int32_t Sequence() const { return sequence_; }
  // Index of the shown record in the animation's records.
  uint32_t CurrentRecord() const { return record_; }
  int32_t LoopsLeft() const { return loopsLeft_; }
  const ImageSprite& Sprite() const { return sprite_; }

 private:
  const int32_t* Record(uint32_t index) const;
  bool IsEnd(uint32_t index) const;
  // Moves to the record after the shown one and settles an end of sequence.
  // Returns the step result (0 go on).
  int32_t Advance();
  int32_t SettleEnd();
  void ShowRecord();

  Animation* animation_ = nullptr;
  ImageSprite sprite_;
  uint32_t sequenceStart_ = 0;
  uint32_t record_ = 0;
  int32_t loopsLeft_ = 0;
  uint32_t frameStart_ = 0;
  uint32_t pausedAt_ = 0;
  State state_ = kNotStarted;
  Options options_;
  int32_t sequence_ = 0;
  bool chainRequest_ = false;
  bool hasPicture_ = false;
};

}  // namespace orrivel
