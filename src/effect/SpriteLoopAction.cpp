#include "effect/SpriteLoopAction.h"

#include "base/TimerList.h"
#include "raster/SpriteList.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

SpriteLoopAction::~SpriteLoopAction() = default;

int32_t SpriteLoopAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  auto* object = target.Object<CanvasDrawObject>();
  if (timerList == nullptr || object == nullptr) return 1;
  const std::optional<std::string> name = cells.Text(0);
  if (!name || owned_.LoadImage(name->c_str(), nullptr, 0, 0) != 0) return 2;
  if (Init(object->GetCanvas(), &owned_, cells.Cell(1), cells.Cell(2), cells.Cell(3), uint8_t(cells.Cell(4)),
           uint32_t(cells.Cell(5)), uint8_t(cells.Cell(6)), uint32_t(cells.Cell(7)), cells.Cell(8)) != 0) {
    return 3;
  }
  if (timerList->Add(this, 0, 0, 0) != 0) {
    // Nothing of a failed set-up stays on the canvas.
    if (SpriteList* list = first_.OwningList()) list->Remove(&first_);
    if (SpriteList* list = second_.OwningList()) list->Remove(&second_);
    picture_ = nullptr;
    return 4;
  }
  if (cells.Cell(9) != 0) EnterLowPriority();
  return 0;
}

int32_t SpriteLoopAction::Init(SpriteCanvas* canvas, Surface* surface, int32_t x, int32_t y, int32_t windowLength,
                               uint8_t alpha, uint32_t order, uint8_t direction, uint32_t period, int32_t count) {
  if (canvas == nullptr || surface == nullptr || direction > kMaxDirection) return 1;
  direction_ = direction;
  const int32_t width = surface->GetWidth();
  const int32_t height = surface->GetHeight();
  const int32_t full = Horizontal() ? width : height;
  const int32_t length = windowLength <= 0 ? full : windowLength;
  if (length > full) return 2;
  const Rect band = Horizontal() ? Rect{0, 0, length, height} : Rect{0, 0, width, length};
  if (first_.SetImage(surface, &band, x, y) != 0 || second_.SetImage(surface, &band, x, y) != 0) return 1;
  first_.SetOpacity(alpha);
  second_.SetOpacity(alpha);
  if (canvas->MainList().Add(&first_, order, 0) != 0 || canvas->MainList().Add(&second_, order, 0) != 0) return 1;
  second_.SetVisible(0);
  picture_ = surface;
  x_ = x;
  y_ = y;
  windowLength_ = length;
  period_ = period == 0 ? 1 : period;
  count_ = count;
  started_ = false;
  start_ = 0;
  fullLength_ = full;
  lastOffset_ = 0;
  stopRequested_ = false;
  visible_ = true;
  return 0;
}

int32_t SpriteLoopAction::ControlV(const ObjectArguments& cells) {
  if (picture_ == nullptr) return 1;
  switch (cells.Cell(0)) {
    case kControlStop:
      RequestStop();
      break;
    case kControlVisible:
      SetShown(cells.Cell(1) != 0);
      break;
    case kControlMove:
      MoveTo(cells.Cell(1), cells.Cell(2));
      break;
    case kControlAlpha:
      SetAlpha(uint8_t(cells.Cell(1)));
      break;
    default:
      break;
  }
  return 0;
}

int32_t SpriteLoopAction::Step(uint32_t now) {
  if (picture_ == nullptr) return kNoPicture;
  if (!started_) {
    started_ = true;
    start_ = now;
  }
  uint32_t elapsed = now - start_;
  if (elapsed >= period_) {
    if (count_ <= 0) {
      if (stopRequested_) return -1;
    } else if (count_ == 1) {
      return -1;
    } else {
      --count_;
    }
    // A late step counts one pass only, but keeps the band in phase with
    // the clock.
    do {
      elapsed -= period_;
      start_ += period_;
    } while (elapsed >= period_);
  }
  Draw(int32_t(uint64_t(uint32_t(fullLength_)) * elapsed / period_));
  return 0;
}

void SpriteLoopAction::Draw(int32_t offset) {
  if (offset == lastOffset_) return;
  lastOffset_ = offset;
  if (!visible_ || picture_ == nullptr || fullLength_ <= 0) return;
  // Directions 1 and 3 run through the picture the other way; a start at
  // the picture's end is its beginning.
  const int32_t at = offset % fullLength_;
  const bool reversed = (direction_ & 1) != 0;
  int32_t s = reversed ? fullLength_ - at : at;
  if (s >= fullLength_) s -= fullLength_;
  const int32_t width = picture_->GetWidth();
  const int32_t height = picture_->GetHeight();
  const int32_t end = s + windowLength_;
  if (end <= fullLength_) {
    const Rect band = Horizontal() ? Rect{s, 0, end, height} : Rect{0, s, width, end};
    first_.SetSourceRect(&band);
    second_.SetVisible(0);
    return;
  }
  const Rect head = Horizontal() ? Rect{s, 0, fullLength_, height} : Rect{0, s, width, fullLength_};
  const Rect wrap = Horizontal() ? Rect{0, 0, end - fullLength_, height} : Rect{0, 0, width, end - fullLength_};
  first_.SetSourceRect(&head);
  second_.SetSourceRect(&wrap);
  if (Horizontal()) {
    second_.SetPosition(x_ + fullLength_ - s, y_);
  } else {
    second_.SetPosition(x_, y_ + fullLength_ - s);
  }
  second_.SetVisible(1);
}

void SpriteLoopAction::Redraw() {
  const int32_t offset = lastOffset_;
  lastOffset_ = -1;
  Draw(offset < 0 ? 0 : offset);
}

void SpriteLoopAction::SetShown(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (!visible) {
    first_.SetVisible(0);
    second_.SetVisible(0);
    return;
  }
  first_.SetVisible(1);
  // The band may have moved on while hidden: the wrapped part shows at once.
  Redraw();
}

void SpriteLoopAction::MoveTo(int32_t x, int32_t y) {
  x_ = x;
  y_ = y;
  first_.SetPosition(x, y);
  Redraw();
}

void SpriteLoopAction::SetAlpha(uint8_t alpha) {
  first_.SetOpacity(alpha);
  second_.SetOpacity(alpha);
}

}  // namespace orrivel
