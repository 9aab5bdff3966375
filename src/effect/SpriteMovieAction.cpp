#include "effect/SpriteMovieAction.h"

#include "base/TimerList.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

int32_t SpriteMovieAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  const std::optional<std::string> fileText = cells.Text(0);
  const char* fileName = TextOrNull(fileText);
  if (timerList == nullptr || !target.Given() || fileName == nullptr) return 1;
  CanvasDrawObject* object = target.Object<CanvasDrawObject>();
  SpriteCanvas* canvas = object != nullptr ? object->GetCanvas() : nullptr;
  if (canvas == nullptr) return 2;
  if (movie_.Open(fileName, cells.Cell(2), cells.Cell(3), nullptr) != 0) return 3;
  // The movie shows itself with its first frame.
  movie_.SetVisible(0);
  movie_.SetLoop(cells.Cell(5) != 0);
  covers_ = cells.Cell(1) != 0;
  uint32_t order = uint32_t(cells.Cell(4));
  if (covers_ && order == 0) order = kCoveringOrder;
  if (canvas->MainList().Add(&movie_, order, 0) != 0) {
    movie_.Reset();
    return 5;
  }
  if (timerList->Add(this, 0, 0, 0) != 0) {
    canvas->MainList().Remove(&movie_);
    movie_.Reset();
    return 5;
  }
  canvas_ = canvas;
  Watch(canvas_);
  // Nothing under the movie needs painting while it covers the canvas.
  if (covers_) canvas->SetNoBackground(true);
  movie_.Play();
  if (cells.Cell(6) != 0) EnterLowPriority();
  return 0;
}

int32_t SpriteMovieAction::ControlV(const ObjectArguments& cells) {
  if (cells.Cell(0) != 0) return 1;
  movie_.SetLoop(false);
  return 0;
}

int32_t SpriteMovieAction::Step(uint32_t) {
  // A movie that is hidden or off the visible area is never drawn; its end
  // is acted on here all the same.
  movie_.PollEnd();
  int32_t state = 0;
  if (movie_.GetState(&state) != 0) {
    Stop();
    return 5;
  }
  if (state == 0) {
    Stop();
    return -1;
  }
  return 0;
}

void SpriteMovieAction::Stop() {
  if (canvas_ != nullptr) {
    if (!canvas_->MainList().Remove(&movie_) && canvas_->OverlayList() != nullptr)
      canvas_->OverlayList()->Remove(&movie_);
    if (covers_) {
      canvas_->SetNoBackground(false);
      canvas_->MarkAllChanged();
    }
    canvas_ = nullptr;
  }
  movie_.Reset();
}

LayerAction::Loss SpriteMovieAction::LosingCanvas(const SpriteCanvas& canvas) const {
  return canvas_ == &canvas ? Loss::Whole : Loss::None;
}

void SpriteMovieAction::LetGoCanvas(const SpriteCanvas& canvas) {
  if (canvas_ == &canvas) canvas_ = nullptr;
}

}  // namespace orrivel
