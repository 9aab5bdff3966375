#pragma once
// "sp_fade": fades a fixed number of drawables in or out, each on its own
// clock, and can move each one along a curve while it fades. The frame also
// builds one directly to fade the sprites of its message window.
//
// One object serves many fades: set-up only reserves the entries; each fade
// starts with SetTarget (directly or through the control request) and ends by
// its own clock or by Complete. A run lasts from the first SetTarget until the
// first step that finds no entry with a target; with release-when-done the
// timer list deletes the action in that step.
//
// A target the display deletes while its fade runs leaves its entry (the
// display tells the action first): the other entries go on, and the run
// ends as usual once no entry has a target.
#include <cstdint>
#include <memory>

#include "effect/LayerAction.h"

namespace orrivel {

class Drawable;

class SpriteFadeAction : public LayerAction {
 public:
  struct Entry {
    Drawable* target = nullptr;  // borrowed; null when free or ended
    uint8_t startAlpha = 0;
    uint8_t endAlpha = 0;
    bool move = false;
    uint32_t duration = 0;  // ms of the fade proper
    uint32_t delay = 0;     // ms before the fade starts; 0 once passed
    uint32_t startTick = 0;  // 0 until the entry's first step
    int32_t startX = 0;
    int32_t startY = 0;
    int32_t endX = 0;
    int32_t endY = 0;
    double curve = 0;
  };

  // More entries than any scene holds sprites: a larger count from a script
  // fails like an allocation that cannot be had, without trying one.
  static constexpr int32_t kMaxEntries = 65536;
  // Control modes.
  static constexpr int32_t kControlFadeIn = 1;
  static constexpr int32_t kControlFadeOut = 2;

  SpriteFadeAction() = default;
  ~SpriteFadeAction() override;

  int32_t GetTypeId() const override { return kSpriteActionType; }
  const char* GetName() const override { return "sp_fade"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }

  using LayerAction::SetupV;
  // Cells: [0] entry count, [1] release when done, [2] low priority while a
  // run is active. The target is not used. 0 done; 1 no timer list or fewer
  // than one entry; 3 the timer list refused; -1 the entries could not be
  // made (no memory, or more than kMaxEntries).
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] mode: 0 or below completes at once; 1 fades in, 2 or more fades out
  // with [1] index, [2] target, [3] full duration, [4] delay, [5] move,
  // [6] end x, [7] end y, [8] curve (an integer).
  int32_t ControlV(const ObjectArguments& cells) override;
  // 1 while a run is active, else 0.
  int32_t QueryV(const ObjectArguments& cells) override;

  // Starts a fade of the entry's target. The full duration is the time of a
  // fade over the whole range 0 to 255; a fade that starts part way takes its
  // share. End position and curve count only with move. 0 done; 1 bad index
  // or no target.
  int32_t SetTarget(int32_t index, Drawable* target, bool fadeIn, uint32_t fullDuration, uint32_t delay, bool move,
                    int32_t endX, int32_t endY, double curve);
  // Puts every active entry in its end state and ends the run.
  void Complete();

  int32_t Step(uint32_t now) override;
  void Stop() override { Complete(); }

  Loss LosingSprite(const Drawable& sprite) const override;
  void LetGoSprite(const Drawable& sprite) override;

  int32_t EntryCount() const { return entryCount_; }
  const Entry* Entries() const { return entries_.get(); }
  bool Running() const { return running_; }
  bool ReleaseWhenDone() const { return releaseWhenDone_; }
  bool LowPriorityPerRun() const { return lowPriorityPerRun_; }

 private:
  // Frees the entries and ends an active run.
  void Reset();
  void EndRun();
  // Advances one entry; false when it had no target.
  bool StepEntry(Entry& entry, uint32_t now);

  int32_t entryCount_ = 0;
  std::unique_ptr<Entry[]> entries_;
  bool lowPriorityPerRun_ = false;
  bool running_ = false;
  bool releaseWhenDone_ = false;
};

}  // namespace orrivel
