#include "effect/BgZoomAction.h"

#include <algorithm>
#include <cmath>

#include "effect/AssistCells.h"
#include "effect/LayerObject.h"
#include "effect/OverlayTarget.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

// One side of the zoom rectangle: at most the picture's extent and inside it.
void PlaceSide(int32_t centre, int32_t extent, int32_t* at, int32_t* size) {
  int64_t start = int64_t{centre} - *size / 2;
  if (start < 0) {
    start = 0;
    if (*size > extent) *size = extent;
  }
  if (start + *size > extent) {
    start = int64_t{extent} - *size;
    if (start < 0) {
      start = 0;
      *size = extent;
    }
  }
  *at = int32_t(start);
}

}  // namespace

int32_t ComputeZoomRect(const SpriteCanvas* canvas, int32_t cx, int32_t cy, double m, ZoomRect* out) {
  // A negative magnification would give a rectangle of negative size.
  if (canvas == nullptr || !(m > 0.0)) return 1;
  Surface* picture = BackgroundPicture(*canvas);
  const Surface* screen = canvas->GetTarget();
  if (picture == nullptr || screen == nullptr) return 2;
  ZoomRect rect;
  rect.w = std::max(0, TruncToInt32(screen->GetWidth() / m));
  rect.h = std::max(0, TruncToInt32(screen->GetHeight() / m));
  PlaceSide(cx, picture->GetWidth(), &rect.x, &rect.w);
  PlaceSide(cy, picture->GetHeight(), &rect.y, &rect.h);
  *out = rect;
  return 0;
}

void ApplyZoomRect(SpriteCanvas& canvas, const ZoomRect& rect) {
  const Surface* screen = canvas.GetTarget();
  if (screen == nullptr) return;
  const Rect source{rect.x, rect.y, ClampedEdge(rect.x, rect.w), ClampedEdge(rect.y, rect.h)};
  canvas.SetBackgroundStretch(0, 0, screen->GetWidth(), screen->GetHeight(), &source);
}

int32_t ParseBgZoomArgs(const ObjectArguments& cells) {
  BackgroundLayer* layer = BackgroundLayerOf(cells.Object<LayerObject>(0));
  if (layer == nullptr) return -1;
  SpriteCanvas* canvas = layer->GetLayerCanvas();
  ZoomRect rect;
  if (const int32_t code = ComputeZoomRect(canvas, cells.Cell(1), cells.Cell(2), DecimalCell(cells, 3, 1.0, kScaleDecimals), &rect);
      code != 0)
    return code;
  cells.WriteInt(4, rect.x);
  cells.WriteInt(5, rect.y);
  cells.WriteInt(6, rect.w);
  cells.WriteInt(7, rect.h);
  ApplyZoomRect(*canvas, rect);
  return 0;
}

int32_t ParseBgZoomArgsVariadic(std::intptr_t first, ...) {
  va_list list;
  va_start(list, first);
  const int32_t result = ForwardWords<8>(&ParseBgZoomArgs, first, list);
  va_end(list);
  return result;
}

int32_t BgZoomAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  canvas_ = CanvasOfTarget(target);
  Watch(canvas_);
  const double m = DecimalCell(cells, 2, 1.0, kScaleDecimals);
  if (timerList == nullptr || canvas_ == nullptr || !(m > 0.0)) return kBadArguments;
  if (ComputeZoomRect(canvas_, cells.Cell(0), cells.Cell(1), m, &target_) != 0) return kNoRect;
  if (canvas_->StretchWidth() != 0) {
    const Rect& from = canvas_->StretchSource();
    start_ = {from.left, from.top, from.Width(), from.Height()};
  } else {
    int32_t x = 0, y = 0;
    canvas_->GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
    start_ = {x, y, canvas_->GetTarget()->GetWidth(), canvas_->GetTarget()->GetHeight()};
  }
  return Begin(timerList, uint32_t(cells.Cell(4)), DecimalCell(cells, 3, 0.0, kCurveDecimals));
}

int32_t BgZoomAction::QueryV(const ObjectArguments& cells) {
  cells.WriteInt(0, target_.x);
  cells.WriteInt(1, target_.y);
  cells.WriteInt(2, target_.w);
  cells.WriteInt(3, target_.h);
  return 0;
}

void BgZoomAction::ApplyEased(uint32_t eased) {
  double f = double(eased) / double(duration_);
  if (f > 0.999 && f < 1.001) f = 1.0;
  ApplyAt(f);
}

void BgZoomAction::ApplyAt(double f) {
  if (canvas_ == nullptr) return;
  const ZoomRect rect{StepBetween(start_.x, target_.x, f), StepBetween(start_.y, target_.y, f),
                      StepBetween(start_.w, target_.w, f), StepBetween(start_.h, target_.h, f)};
  ApplyZoomRect(*canvas_, rect);
}

}  // namespace orrivel
