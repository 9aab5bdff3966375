#pragma once
// "sp_movie": plays a movie file as a sprite on a layer's canvas and ends
// when the movie stops. The movie sprite renders its frames and marks
// itself changed; this action places it, starts it, watches it and takes
// it away.
#include <cstdint>

#include "effect/LayerAction.h"
#include "sound/SpriteMovie.h"

namespace orrivel {

class SpriteCanvas;

class SpriteMovieAction : public LayerAction {
 public:
  // A movie that covers the canvas with order 0 lies in front of everything.
  static constexpr uint32_t kCoveringOrder = 2000000000u;

  SpriteMovieAction() = default;
  ~SpriteMovieAction() override = default;

  int32_t GetTypeId() const override { return kSpriteActionType; }
  const char* GetName() const override { return "sp_movie"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }

  using LayerAction::SetupV;
  // The target is the layer's CanvasDrawObject. Cells: [0] file name,
  // [1] covers the canvas, [2] x, [3] y, [4] drawing order, [5] loop,
  // [6] low priority. 0 done; 1 no timer list, target or file name; 2 the
  // target has no canvas; 3 the movie did not open; 5 the timer list
  // refused. A failure leaves nothing on the canvas or in the list.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] = 0: the movie ends with its current play (0); other values 1.
  int32_t ControlV(const ObjectArguments& cells) override;
  // 0 while playing; -1 when the movie stopped, 5 when its state cannot be
  // read any more (the action is then removed).
  int32_t Step(uint32_t now) override;
  // Takes the movie off the canvas (repainting all of it when the movie
  // covered it) and closes it.
  void Stop() override;

  Loss LosingCanvas(const SpriteCanvas& canvas) const override;
  void LetGoCanvas(const SpriteCanvas& canvas) override;

  SpriteMovie& Movie() { return movie_; }
  bool CoversCanvas() const { return covers_; }

 private:
  SpriteMovie movie_;
  bool covers_ = false;
  SpriteCanvas* canvas_ = nullptr;
};

}  // namespace orrivel
