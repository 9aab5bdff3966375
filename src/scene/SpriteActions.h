#pragma once
// Timed tasks that animate one image sprite (or, for the path action, one
// scene object of the screen device) through a list of keys: the path action
// moves it (its position, or its source offset to pan the picture) on
// straight segments or a natural cubic spline, the size action animates its
// displayed size, the rotate action its angle and scale. Each key also
// carries an opacity. Scripts give the keys as text or as arrays and start
// the action on a timer list, which steps it every frame and deletes it when
// it reports the end.
//
// Time: the action lasts (key count - 1) x the time per segment after its
// start delay, shaped by an easing exponent (0 none, > 0 starts slowly,
// < 0 ends slowly); pauses are taken out of the action's own clock.
//
// Main thread only.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/TimedTask.h"
#include "base/WeakLink.h"

namespace orrivel {

class Drawable;
class ImageSprite;
class SceneObject;
class TimerList;

class SpriteAction : public TimedTask {
 public:
  // Load, SetKeys and Start results.
  static constexpr int kRunning = -1;
  static constexpr int kJumpedToEnd = -2;

  ~SpriteAction() override;

  int32_t GetTypeId() const override;
  int32_t Step(uint32_t now) override;
  // Stopped by the list before its end: the target stays where it is.
  void Stop() override { running_ = false; }
  void Pause(uint32_t now) override;
  void Resume(uint32_t now) override;

  bool Running() const { return running_; }
  // The keys, entry 0 (the start value) included.
  int32_t KeyCount() const { return int32_t(keys_.size()); }
  double KeyA(int32_t i) const { return keys_[size_t(i)].a; }
  double KeyB(int32_t i) const { return keys_[size_t(i)].b; }
  uint8_t KeyOpacity(int32_t i) const { return keys_[size_t(i)].opacity; }
  uint8_t LowPriorityState() const { return lowPriority_; }
  uint32_t TotalTime() const { return total_; }
  // True when the action moves this sprite or scene object.
  bool AimsAt(const Drawable* sprite) const;
  bool AimsAt(const SceneObject* object) const { return object != nullptr && object_ == object; }

 protected:
  struct Key {
    double a = 0;
    double b = 0;
    uint8_t opacity = 255;
  };

  SpriteAction(int32_t baseTypeId, uint32_t timePerSegment, uint32_t startDelay,
               uint8_t visibleWhileRunning, double easing, uint8_t repeat, uint8_t lowPriority);

  // Reads count keys of three integers from the text: the number of keys
  // is the number of "(". 2 when there is none or a value is missing or not
  // a number (the keys are then left as they were). With scaleAsWord the
  // second value is a decimal word, else an integer.
  int LoadText(const char* text, bool scaleAsWord, int32_t minimumKeys);
  int SetKeyTriples(int32_t count, const int32_t* triples, int32_t minimumKeys);
  // The common part of the start operations: -1 running; 1 no list, no keys
  // or no target; 2 refused by the list; -2 time per segment 0 (the last
  // key applied at once); 0 started.
  int StartOn(TimerList* list, ImageSprite* sprite, SceneObject* object);

  // Entry 0 from the target; false refuses it (2).
  virtual bool TakeStartValue() = 0;
  // Called once the keys and the target are known, before the first step.
  virtual void Prepare() {}
  // Shows segment i at fraction t (0 <= t < 1).
  virtual void ApplySegment(int32_t i, double t) = 0;
  // Shows the last key exactly.
  virtual void ApplyLast() = 0;

  void ApplyOpacity(uint8_t opacity);
  void SetTargetVisible(bool visible);

  uint32_t timePerSegment_;
  uint32_t startDelay_;
  uint8_t visibleWhileRunning_;
  double easing_;
  uint8_t repeat_;
  uint8_t lowPriority_;
  uint8_t opacityOption_ = 0;
  bool running_ = false;
  std::vector<Key> keys_;
  // The sprite or scene object moved: a script may delete it while the
  // action runs (whether or not anything watches), and the action then
  // stops where it is.
  WeakLink<ImageSprite> sprite_;
  WeakLink<SceneObject> object_;

 private:
  void Finish();
  uint32_t EasedTime(uint32_t elapsed) const;

  void AimAt(ImageSprite* sprite, SceneObject* object);

  int32_t baseTypeId_;
  bool onSprite_ = false;  // the kind of target, kept once it went
  bool inOverlay_ = false;
  bool clockTaken_ = false;
  bool delayPassed_ = false;
  uint32_t delay_ = 0;
  uint32_t timeBase_ = 0;
  uint32_t total_ = 0;
  uint32_t pausedAt_ = 0;
};

class SpritePathAction final : public SpriteAction {
 public:
  // Target option: 0 no movement, 1 position, anything else the source offset.
  SpritePathAction(uint32_t timePerSegment, uint32_t startDelay, uint8_t visibleWhileRunning,
                   double easing, uint8_t targetOption, uint8_t spline, uint8_t repeat,
                   uint8_t lowPriority);

  // Keys (x, y, opacity). -1 running; 1 null text; 2 no usable key, or
  // fewer than 2 in spline mode; 0.
  int Load(const char* text);
  // -1 running; 1 count 0, null array, or fewer than 2 in spline mode; 0.
  int SetKeys(int32_t count, const int32_t* triples);
  // On a sprite; in source-offset mode a sprite that shows frames of its own
  // is refused (2).
  int Start(TimerList* list, ImageSprite* sprite);
  // On a scene object: kinds 0 to 3 move without opacity, 4 to 8 take
  // their alpha too, the state sets (9, 10) are refused (2).
  int StartWith(TimerList* list, SceneObject* object);

  // The spline coefficients (one sixth of the second derivatives).
  const std::vector<double>& SplineX() const { return splineX_; }
  const std::vector<double>& SplineY() const { return splineY_; }

 private:
  bool TakeStartValue() override;
  void Prepare() override;
  void ApplySegment(int32_t i, double t) override;
  void ApplyLast() override;
  void MoveTo(double x, double y);
  double Spline(const std::vector<double>& m, bool first, int32_t i, double t) const;

  uint8_t targetOption_;
  uint8_t spline_;
  std::vector<double> splineX_;
  std::vector<double> splineY_;
};

class SpriteSizeAction final : public SpriteAction {
 public:
  // Alignments: 0 left / top edge fixed, 1 middle fixed, 2 right / bottom.
  SpriteSizeAction(uint32_t timePerSegment, uint32_t startDelay, uint8_t visibleWhileRunning,
                   double easing, uint8_t horizontalAlign, uint8_t verticalAlign, uint8_t fixedBase,
                   uint8_t opacity, uint8_t repeat, uint8_t lowPriority);

  // Keys (width, height, opacity), at least one.
  int Load(const char* text);
  int SetKeys(int32_t count, const int32_t* triples);
  int Start(TimerList* list, ImageSprite* sprite);

 private:
  bool TakeStartValue() override;
  void Prepare() override;
  void ApplySegment(int32_t i, double t) override;
  void ApplyLast() override;
  void Resize(double width, double height);

  uint8_t horizontalAlign_;
  uint8_t verticalAlign_;
  uint8_t fixedBase_;
  int32_t startX_ = 0;
  int32_t startY_ = 0;
  // The alignment shift placed last, taken back before the next one so a
  // sprite that follows its current position does not drift.
  int32_t shiftX_ = 0;
  int32_t shiftY_ = 0;
};

class SpriteRotateAction final : public SpriteAction {
 public:
  // Without the scale option only the angle moves; the scale stays.
  SpriteRotateAction(uint32_t timePerSegment, uint32_t startDelay, uint8_t visibleWhileRunning,
                     double easing, uint8_t scaleOption, uint8_t opacity, uint8_t repeat,
                     uint8_t lowPriority);

  // Keys (angle in 512ths of a turn, scale as a decimal word of at most 31
  // characters, opacity).
  int Load(const char* text);
  int Start(TimerList* list, ImageSprite* sprite);

 private:
  bool TakeStartValue() override;
  void Prepare() override;
  void ApplySegment(int32_t i, double t) override;
  void ApplyLast() override;

  uint8_t scaleOption_;
};

// The target is about to be deleted: every action on the list that moves
// it is stopped where it is (the list drops it on its next step), so none
// touches the freed object.
void StopSpriteActionsAimedAt(TimerList& list, const Drawable* sprite);
void StopSpriteActionsAimedAt(TimerList& list, const SceneObject* object);

}  // namespace orrivel
