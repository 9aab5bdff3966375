#pragma once
// "sp_panime": animates one image sprite through the keys of a path text
// (position, straight or along the path's spline with an optional bounce,
// opacity, rotation and scale), segment by segment in elapsed time. The
// commands between the keys change the segment time, the easing, the
// drawing order or the anchor. A step that arrives late passes every segment
// that is over and carries the overrun into the next one.
//
// The class is also the base of the sprite change action, which overrides
// GoToEnd and ApplyKey.
//
// The sprite is borrowed: whoever starts the action keeps it alive until
// the action ends or is stopped. Main thread only.
#include <cstdint>

#include "effect/LayerAction.h"
#include "scene/SplinePath.h"

namespace orrivel {

class ImageSprite;

class SpritePanimeAction : public LayerAction {
 public:
  // Set-up results.
  static constexpr int32_t kShownAtEnd = -1;
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kBadKeyText = 2;
  static constexpr int32_t kRefused = 3;

  SpritePanimeAction() = default;
  ~SpritePanimeAction() override = default;

  int32_t GetTypeId() const override { return kSpriteActionType; }
  const char* GetName() const override { return "sp_panime"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }

  using LayerAction::SetupV;
  // Cells: [0] sprite, [1] key text, [2] default segment time in ms (0 shows
  // the end state at once and gives kShownAtEnd), [3] loop, [4] low
  // priority. The target is not used.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] = 0 clears loop, so a looping animation ends at its next pass; 0.
  // Any other value: 1.
  int32_t ControlV(const ObjectArguments& cells) override;
  // Out pointers, each may be null: [0] end x, [1] end y, [2] end alpha
  // (-1 without an end key), [3] order mode, [4] end scale and [5] end angle
  // as floats, [6] [7] rotation centre, [8] rotation active as a float.
  // 1 without a key list, else 0.
  int32_t QueryV(const ObjectArguments& cells) override;

  // 0 running, 1 finished.
  int32_t Step(uint32_t now) override;
  void Stop() override { GoToEnd(); }

  Loss LosingSprite(const Drawable& sprite) const override;
  void LetGoSprite(const Drawable& sprite) override;

  // Puts the sprite in the state of the end key; nothing without one.
  virtual void GoToEnd();
  // Shows the segment from the previous key to key at progress t.
  virtual void ApplyKey(const PathRecord& key, double t);

  const SplinePath& Path() const { return path_; }
  ImageSprite* Sprite() const { return sprite_; }
  bool Looping() const { return loop_; }
  bool RotationActive() const { return rotationActive_; }
  uint32_t SegmentDuration() const { return segmentDuration_; }
  int32_t CurrentIndex() const { return currentIndex_; }

 protected:
  // Parses the text for sprite and resets the animation state to the first
  // segment with the given default segment time. False when the text does
  // not parse.
  bool LoadKeys(ImageSprite* sprite, const char* text, uint32_t segmentTime);
  // Puts the animation at the first segment of the path already held.
  void ResetState(ImageSprite* sprite, uint32_t segmentTime);
  // The anchor from the path, and rotation or stretch as its flags ask.
  void PrepareSprite();
  // The path's end key moved by (dx, dy); false without one.
  bool EndKey(PathRecord* out) const;
  // Runs the commands up to the next key; false when the list ended
  // (after GoToEnd).
  bool RunCommands(uint32_t now);
  // Moves past the key just reached; false when the list ended.
  bool AdvanceIndex();
  double Progress(uint32_t elapsed) const;
  void RunCommand(const PathRecord& entry);

  SplinePath path_;
  int32_t currentIndex_ = 1;
  PathRecord previousKey_;
  uint32_t segmentStart_ = 0;
  uint32_t segmentDuration_ = 1;
  uint32_t carry_ = 0;
  ImageSprite* sprite_ = nullptr;
  bool loop_ = false;
  bool rotationActive_ = false;
  double curve_ = 0.0;
  bool useCurve_ = true;
  bool splineMode_ = false;
  int32_t moveStep_ = 25;
  int32_t swingStep_ = 50;
  uint32_t orderBefore_ = 0;
  uint32_t orderAfter_ = 0;
  // The end key's position is shifted by this much (the change action's
  // origin difference); 0 here.
  int32_t endOffsetX_ = 0;
  int32_t endOffsetY_ = 0;
  // The anchor of the end state's rotation: the path's own, unless a
  // derived action has one of its own.
  int32_t centreX_ = 0;
  int32_t centreY_ = 0;
};

// The drawing orders that every later set-up takes for the order commands
// and the end state.
void SetSpPanimeOrderValues(uint32_t before, uint32_t after);
uint32_t SpPanimeOrderBefore();
uint32_t SpPanimeOrderAfter();

// The registry's assist entry of "sp_panime". [0] mode: 0 sets the order
// values to [1] and [2] and gives 0. Any other mode applies one key text [2]
// to the image sprite [1] at once (1 when it is no image sprite; the path
// evaluation's code when the key does not parse) and writes the out
// pointers [3] x, [4] y, [5] alpha, [6] order mode, [7] scale and [8] angle
// as floats, [9] [10] anchor point.
int32_t ParseSpPanimeArgs(const ObjectArguments& cells);
int32_t ParseSpPanimeArgsVariadic(std::intptr_t first, ...);

// The image sprite a cell names: null unless the drawable is one.
ImageSprite* ImageSpriteCell(const ObjectArguments& cells, std::size_t index);

}  // namespace orrivel
