#include "effect/BgLoopAction.h"

#include <algorithm>

#include "base/TimerList.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

int32_t BgLoopAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  canvas_ = CanvasOfTarget(target);
  Watch(canvas_);
  const int32_t direction = cells.Cell(0);
  if (timerList == nullptr || canvas_ == nullptr || direction < 0 || direction > 3) return kBadArguments;
  Surface* picture = BackgroundPicture(*canvas_);
  if (picture == nullptr) return kBadArguments;
  direction_ = uint8_t(direction);
  // Another background action's work copy is not this action's to draw on.
  if (ClaimWorkCopy() != Claim::Made) return kNoWorkCopy;
  const Surface* copy = canvas_->BackCopy();
  length_ = Horizontal() ? picture->GetWidth() : picture->GetHeight();
  if (Horizontal() && length_ < copy->GetWidth()) {
    ReleaseWorkCopy();
    return kTooNarrow;
  }
  if (!Horizontal() && length_ < copy->GetHeight()) {
    ReleaseWorkCopy();
    return kTooLow;
  }
  clock_.Reset(uint32_t(cells.Cell(1)), cells.Cell(2));
  lastOffset_ = -1;
  if (timerList->Add(this, 0, 0, 0) != 0) {
    ReleaseWorkCopy();
    return kNotListed;
  }
  if (cells.Cell(3) != 0) EnterLowPriority();
  return 0;
}

int32_t BgLoopAction::ControlV(const ObjectArguments& cells) {
  if (cells.Cell(0) == 0) clock_.RequestStop();
  return 0;
}

void BgLoopAction::Draw(uint32_t elapsed) {
  Surface* copy = WorkCopy();
  Surface* picture = BackgroundPicture(*canvas_);
  if (copy == nullptr || picture == nullptr) return;
  int32_t o = int32_t(uint64_t(uint32_t(length_)) * elapsed / clock_.Period());
  if (o >= length_) o = 0;
  if (o == lastOffset_) return;
  lastOffset_ = o;
  const int32_t width = copy->GetWidth(), height = copy->GetHeight();
  // The other axis reads at the background offset, held inside the picture.
  const platform::Point origin = BackgroundSourceOrigin(*canvas_, width, height);
  const int32_t start = (direction_ == 0 || direction_ == 2) ? o : length_ - o;
  if (Horizontal()) {
    const int32_t first = std::min(width, length_ - start);
    const Rect head{start, origin.y, start + first, origin.y + height};
    if (first > 0) copy->Copy(picture, 0, 0, &head, false);
    // What runs past the picture's end comes from its start.
    const Rect tail{0, origin.y, width - first, origin.y + height};
    if (first < width) copy->Copy(picture, first, 0, &tail, false);
  } else {
    const int32_t first = std::min(height, length_ - start);
    const Rect head{origin.x, start, origin.x + width, start + first};
    if (first > 0) copy->Copy(picture, 0, 0, &head, false);
    const Rect tail{origin.x, 0, origin.x + width, height - first};
    if (first < height) copy->Copy(picture, 0, first, &tail, false);
  }
  canvas_->MarkAllChanged();
}

}  // namespace orrivel
