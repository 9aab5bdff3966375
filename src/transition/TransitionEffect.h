#pragma once
// Timed transition effects: one image changed step by step on a timer list
// — faded to black or white, a second image revealed over it in growing
// strips, rectangles or blinds, or a colour operation laid over it in the
// same patterns. Each step draws only what became due since the last one,
// so the image always shows the state for the current time and no pixel is
// drawn twice (the fades excepted, which step the whole area).
//
// Scripts name an effect by its timer-list handle (32 bits, generation
// tagged), so a handle kept after the effect ended is refused. An effect
// links to its two images: whichever goes, however it goes, the effect
// ends at its next step without drawing.
#include <cstdint>

#include "base/TimedTask.h"
#include "base/WeakLink.h"
#include "raster/Rect.h"

namespace orrivel {

class Image;
class Surface;
class TimerList;

inline constexpr int32_t kTransitionEffectTypeId = 11000;
inline constexpr int32_t kTransitionEffectKinds = 22;

// Sees every rectangle of the target an effect draws (tests count draws
// per pixel with it).
class EffectFragmentTap {
 public:
  virtual ~EffectFragmentTap() = default;
  virtual void Drawn(const Rect& targetRect) = 0;
};

class TransitionEffect;

// The process's place through which scripts reach the timer list that runs
// the effects. The low-priority hooks are the process-wide ones the
// configuration publishes; none by default.
class TransitionEffectHolder {
 public:
  explicit TransitionEffectHolder(TimerList* list = nullptr) : list_(list) {}
  TimerList* List() const { return list_; }
  void SetList(TimerList* list) { list_ = list; }

  // The handle of a new effect, or 0: no timer list, no target, a kind of
  // 22 or more, a copy kind without a source, or the list refused it (then
  // nothing is drawn). Argument words a5 ... a12 as the script passes them.
  uint32_t Create(int32_t kind, uint32_t duration, Surface* target, Surface* source, int32_t a5,
                  int32_t a6, int32_t a7, int32_t a8, int32_t a9, int32_t a10, int32_t a11,
                  int32_t a12);
  // True while the effect runs and has not drawn its end.
  bool Accepts(uint32_t handle) const;
  // 1 without a timer list; else draws the end at once when the effect
  // runs (the list removes it on its next step) and gives 0.
  int32_t CompleteIfAccepted(uint32_t handle);
  // 1 without a timer list; else stops the effect where it is and gives 0.
  int32_t Cancel(uint32_t handle);
  // An image is about to be deleted: effects drawing on it or from it end
  // at their next step without drawing (as they do once it went).
  void ForgetImage(const Image* image);

  void SetTap(EffectFragmentTap* tap) { tap_ = tap; }
  EffectFragmentTap* Tap() const { return tap_; }

 private:
  TransitionEffect* Find(uint32_t handle) const;

  TimerList* list_ = nullptr;
  EffectFragmentTap* tap_ = nullptr;
};

// One running effect; made only by TransitionEffectHolder::Create.
class TransitionEffect : public TimedTask {
 public:
  ~TransitionEffect() override;
  int32_t GetTypeId() const override { return kTransitionEffectTypeId; }
  // 1 once the end is drawn (or the effect lost an image), else 0.
  int32_t Step(uint32_t now) override;
  void Stop() override {}
  void Pause(uint32_t now) override;
  void Resume(uint32_t now) override;
  void EnterLowPriority();

  bool Finished() const { return finished_; }
  uint32_t Start() const { return start_; }
  uint32_t Duration() const { return duration_; }
  int32_t Kind() const { return kind_; }
  uint8_t Operation() const { return blend_; }
  uint16_t Level() const { return level_; }

 private:
  friend class TransitionEffectHolder;
  TransitionEffect() = default;

  // Fragments are rectangles relative to the pattern's W x H extent.
  void DrawFragment(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void DrawRows(int32_t top, int32_t bottom) { DrawFragment(0, top, width_, bottom); }
  void DrawColumns(int32_t left, int32_t right) { DrawFragment(left, 0, right, height_); }
  void StepFade(uint32_t now, bool end);
  // Draws units [drawn, n) of the single-count kinds.
  void DrawUnits(int32_t from, int32_t to);
  void StepTwoCounts(int32_t rows, int32_t columns, bool end);
  void DrawLeftovers();
  int32_t Units() const;
  bool IsCopyKind() const;
  bool UsesTwoCounts() const;

  int32_t kind_ = 0;
  uint32_t duration_ = 1;
  uint32_t start_ = 0;
  bool finished_ = false;
  bool orphaned_ = false;
  WeakLink<Surface> target_;
  WeakLink<Surface> source_;
  Rect area_;        // fades and colour kinds: where on the target
  Rect sourceRect_;  // copy kinds
  int32_t x_ = 0, y_ = 0;
  int32_t width_ = 0, height_ = 0;  // the pattern's extent
  int32_t progress_ = 0;
  int32_t columnsDrawn_ = 0;
  uint8_t blend_ = 0;
  uint8_t red_ = 0, green_ = 0, blue_ = 0;
  uint16_t level_ = 0;
  uint8_t lowPriority_ = 1;
  uint32_t pausedAt_ = 0;
  TransitionEffectHolder* holder_ = nullptr;
};

}  // namespace orrivel
