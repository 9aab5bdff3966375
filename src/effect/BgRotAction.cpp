#include "effect/BgRotAction.h"

#include <cmath>

#include "effect/OverlayTarget.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

int32_t BgRotAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  canvas_ = CanvasOfTarget(target);
  Watch(canvas_);
  const double scale = DecimalCell(cells, 3, 1.0, kScaleDecimals);
  if (timerList == nullptr || canvas_ == nullptr || scale == 0.0 || !std::isfinite(scale)) return kBadArguments;
  if (BackgroundPicture(*canvas_) == nullptr) return kNoPicture;
  target_ = Turn{cells.Cell(0), cells.Cell(1), cells.Cell(2), scale};
  if (canvas_->BackgroundAngle() != 0 || canvas_->BackgroundScale() != 0.0)
    start_ = Turn{canvas_->StretchX(), canvas_->StretchY(), canvas_->BackgroundAngle(), canvas_->BackgroundScale()};
  else
    start_ = Turn{};
  return Begin(timerList, uint32_t(cells.Cell(5)), DecimalCell(cells, 4, 0.0, kCurveDecimals));
}

void BgRotAction::ApplyEased(uint32_t eased) {
  const double f = double(eased % duration_) / double(duration_);
  Apply(Turn{StepBetween(start_.x, target_.x, f), StepBetween(start_.y, target_.y, f),
             StepBetween(start_.angle, target_.angle, f), start_.scale + (target_.scale - start_.scale) * f});
}

void BgRotAction::Apply(const Turn& turn) {
  if (canvas_ != nullptr) canvas_->SetBackgroundRotation(turn.x, turn.y, turn.angle, turn.scale);
}

}  // namespace orrivel
