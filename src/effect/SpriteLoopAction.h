#pragma once
// "sp_loop": a window onto a picture that scrolls round endlessly. A band of
// the window's length is cut from the picture along one axis; its start runs
// through the picture once per period, and the part of the band that wraps
// past the picture's end is shown by a second sprite right after the first.
// The parts action builds such objects directly for its looping parts
// through Init, without a timer list.
#include <cstdint>

#include "effect/LayerAction.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"

namespace orrivel {

class SpriteCanvas;

class SpriteLoopAction : public LayerAction {
 public:
  // 0: left to right through the picture, 1: the other way; 2 and 3 the
  // same vertically.
  static constexpr uint8_t kMaxDirection = 3;
  // Control commands.
  static constexpr int32_t kControlStop = 0;
  static constexpr int32_t kControlVisible = 1;
  static constexpr int32_t kControlMove = 2;
  static constexpr int32_t kControlAlpha = 3;
  // Step result when the action has no picture.
  static constexpr int32_t kNoPicture = 5;

  SpriteLoopAction() = default;
  ~SpriteLoopAction() override;

  int32_t GetTypeId() const override { return kSpriteActionType; }
  const char* GetName() const override { return "sp_loop"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }

  using LayerAction::SetupV;
  // The target is the layer's CanvasDrawObject. Cells: [0] picture file,
  // [1] x, [2] y, [3] window length (0 or less: the whole picture), [4]
  // alpha, [5] drawing order, [6] direction, [7] period ms, [8] count (0 or
  // less: endless), [9] low priority. 0 done; 1 no timer list or target;
  // 2 the picture does not load; 3 Init failed; 4 the timer list refused.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] 0 stop at the end of the pass under way; 1 [1] visible; 2 move to
  // ([1], [2]); 3 alpha [1]. 1 before set-up, else 0.
  int32_t ControlV(const ObjectArguments& cells) override;

  // Puts both sprites on the canvas's main list at the order, showing the
  // start of the band; the second stays hidden until the band wraps. A
  // window length of 0 or less is the whole picture. 0; 1 no canvas or
  // surface; 2 the window is longer than the picture along the axis.
  int32_t Init(SpriteCanvas* canvas, Surface* surface, int32_t x, int32_t y, int32_t windowLength, uint8_t alpha,
               uint32_t order, uint8_t direction, uint32_t period, int32_t count);

  // 0 running; -1 finished (the last pass, or the pass in which a stop was
  // asked for, has ended); kNoPicture before Init.
  int32_t Step(uint32_t now) override;
  void Stop() override {}

  // Shows the band starting offset pixels into the picture.
  void Draw(int32_t offset);
  void RequestStop() { stopRequested_ = true; }
  void SetShown(bool visible);
  void MoveTo(int32_t x, int32_t y);
  void SetAlpha(uint8_t alpha);

  const ImageSprite& First() const { return first_; }
  const ImageSprite& Second() const { return second_; }
  int32_t Remaining() const { return count_; }
  bool IsShown() const { return visible_; }

 private:
  // Draws the last offset again (after a show or a move).
  void Redraw();
  bool Horizontal() const { return direction_ < 2; }

  Surface* picture_ = nullptr;
  Surface owned_;
  ImageSprite first_;
  ImageSprite second_;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t windowLength_ = 0;
  uint8_t direction_ = 0;
  uint32_t period_ = 1;
  int32_t count_ = 0;
  // The clock starts at the first step; a flag, so that a tick of 0 is a
  // tick like any other.
  bool started_ = false;
  uint32_t start_ = 0;
  int32_t fullLength_ = 0;
  // -1 draws at the next offset whatever it is.
  int32_t lastOffset_ = 0;
  bool stopRequested_ = false;
  bool visible_ = false;
};

}  // namespace orrivel
