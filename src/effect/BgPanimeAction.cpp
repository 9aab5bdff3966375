#include "effect/BgPanimeAction.h"

#include <algorithm>
#include <cmath>

#include "base/MathTables.h"
#include "base/TimerList.h"
#include "effect/EasedBackgroundAction.h"
#include "effect/AssistCells.h"
#include "effect/LayerHost.h"
#include "effect/LayerObject.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

const double* DoubleCos() {
  MathTables* tables = GetMathTables();
  return tables != nullptr && tables->GetSinCosTable() ? tables->DoubleCosTable() : nullptr;
}

}  // namespace

int32_t ExcursionOffset(int32_t amplitude, int32_t base, double f) {
  if (amplitude == 0) return 0;
  const int64_t a = amplitude, b = base;
  const int64_t v = TruncToInt32(2.0 * double(amplitude) * f);
  int64_t offset;
  if (b == 0) {
    offset = v <= a ? v : 2 * a - v;
  } else if (v > -2 * b) {
    const int64_t w = v + 2 * b;
    offset = w <= a + b ? w : 2 * (a + b) - w;
  } else {
    offset = v > -b ? v + 2 * b : -v;
  }
  return int32_t(std::clamp<int64_t>(offset, INT32_MIN, INT32_MAX));
}

double PanEasedFraction(uint32_t t, uint32_t duration, bool sine, double exponent, const double* cosTable) {
  if (duration < 2) return 1.0;
  if (sine && cosTable != nullptr) {
    // cos(−θ − π) = −cos θ; the index wraps with & 511, never as a negative
    // remainder.
    const uint32_t step = uint32_t(uint64_t(t) * 256 / duration);
    return (1.0 + cosTable[(0u - step - 256u) & 511]) / 2.0;
  }
  return double(EaseElapsed(t, duration, exponent)) / double(duration);
}

int32_t ParseBgPanimeArgs(const ObjectArguments& cells) {
  BackgroundLayer* layer = BackgroundLayerOf(cells.Object<LayerObject>(0));
  if (layer == nullptr) return -1;
  SpriteCanvas* canvas = layer->GetLayerCanvas();
  int32_t x = 0, y = 0;
  if (canvas != nullptr) canvas->GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
  const int32_t oldX = x, oldY = y;
  const int code = SplinePath::Evaluate(TextOrNull(cells.Text(1)), &x, &y, nullptr, canvas, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr);
  if (code != 0) return code;
  if (x != oldX || y != oldY) canvas->SetBackgroundOffsets(x, y);
  cells.WriteInt(2, x);
  cells.WriteInt(3, y);
  return 0;
}

int32_t ParseBgPanimeArgsVariadic(std::intptr_t first, ...) {
  va_list list;
  va_start(list, first);
  const int32_t result = ForwardWords<4>(&ParseBgPanimeArgs, first, list);
  va_end(list);
  return result;
}

int32_t BgPanimeAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  canvas_ = CanvasOfTarget(target);
  Watch(canvas_);
  if (timerList == nullptr || canvas_ == nullptr) return kBadArguments;
  const int32_t duration = cells.Cell(1);
  path_.SetDefaultSegmentTime(duration);
  if (path_.Parse(TextOrNull(cells.Text(0)), nullptr, canvas_) != 0) return kBadPath;
  segmentDuration_ = uint32_t(std::max(duration, 1));
  canvas_->GetBackground(nullptr, &shownX_, &shownY_, nullptr, nullptr, nullptr);
  if (duration == 0) {
    End();
    return kAppliedAtOnce;
  }
  const int32_t drawing = cells.Cell(2);
  if (drawing != kOffsetOnly) {
    workCopyMode_ = drawing != 0;
    loop_ = cells.Cell(5) != 0;
    if (cells.Cell(3) != 0) {
      if (const int32_t code = ComposeOwnPicture(); code != 0) return code;
      HideSprites(canvas_);
      if (cells.Cell(4) != 0) HideSprites(target.Object<BackgroundLayer>()->GetSecondPageCanvas());
    }
    if (workCopyMode_ && ClaimWorkCopy() != Claim::Made) {
      RestoreCanvases();
      ownPicture_.reset();
      return kNoWorkCopy;
    }
    if (ownPicture_ != nullptr && !workCopyMode_) {
      // Without a work copy the composed picture itself is the background
      // the pan moves over.
      canvas_->GetBackground(&previousBackground_, &previousX_, &previousY_, nullptr, nullptr, nullptr);
      canvas_->SetBackgroundImage(ownPicture_.get(), 0, 0, 0);
      ownPictureShown_ = true;
      shownX_ = shownY_ = 0;
    }
    ShowAt(shownX_, shownY_);
  }
  if (timerList->Add(this, 0, 0, 0) != 0) {
    ReleaseWorkCopy();
    RestoreCanvases();
    ownPicture_.reset();
    return kNotListed;
  }
  if (cells.Cell(6) != 0) EnterLowPriority();
  return 0;
}

int32_t BgPanimeAction::QueryV(const ObjectArguments& cells) {
  if (path_.Records() == nullptr) return 1;
  if (!started_) return 2;
  const PathRecord& entry = path_.Records()[std::min(index_, path_.RecordCount() - 1)];
  cells.WriteInt(0, entry.value1);
  cells.WriteInt(1, entry.value2);
  return 0;
}

void BgPanimeAction::ApplyCommand(const PathRecord& record) {
  switch (record.kind) {
    case PathRecord::kTime:
      segmentDuration_ = uint32_t(std::max(record.value1, 1));
      break;
    case PathRecord::kValue:
      sine_ = record.flag == 0;
      exponent_ = record.flag != 0 ? record.zoom : 0.0;
      break;
    case PathRecord::kSpline:
      cubic_ = path_.HasSpline();
      break;
    case PathRecord::kMarker:
      cubic_ = false;
      break;
    case PathRecord::kMoveStep:
      moveParameter_ = record.value1;
      break;
    case PathRecord::kSwingStep:
      swingParameter_ = record.value1;
      break;
    default:
      break;
  }
}

int32_t BgPanimeAction::Step(uint32_t now) {
  if (ended_) return 1;
  const PathRecord* records = path_.Records();
  const int32_t count = path_.RecordCount();
  if (!started_) {
    started_ = true;
    segmentStart_ = now;
  }
  bool wrapped = false;
  for (;;) {
    for (; index_ < count; ++index_) {
      const PathRecord& entry = records[index_];
      if (entry.kind != PathRecord::kPoint) {
        ApplyCommand(entry);
        continue;
      }
      const uint32_t t = now - segmentStart_;
      if (t < segmentDuration_) {
        Show(records[previous_], entry, t);
        return 0;
      }
      // The segment has passed: the next starts where it ended, so a late
      // frame does not stretch the path.
      segmentStart_ += segmentDuration_;
      previous_ = index_;
    }
    if (!loop_ || path_.LastPoint() < 1) {
      End();
      return 1;
    }
    // A frame that spans a whole pass of the path starts the pass afresh.
    if (wrapped) segmentStart_ = now;
    wrapped = true;
    index_ = 1;
  }
}

void BgPanimeAction::Show(const PathRecord& from, const PathRecord& to, uint32_t t) {
  const double f = PanEasedFraction(t, segmentDuration_, sine_, exponent_, DoubleCos());
  int32_t x = 0, y = 0;
  if (cubic_)
    path_.EvalCubicSegment(from, to, f, &x, &y);
  else
    SplinePath::EvalLinearSegment(from, to, f, &x, &y);
  x = int32_t(int64_t{x} + ExcursionOffset(to.swingWidth, to.swingShiftX, f));
  y = int32_t(int64_t{y} + ExcursionOffset(to.swingHeight, to.swingShiftY, f));
  ShowAt(x, y);
}

int32_t BgPanimeAction::ComposeOwnPicture() {
  Surface* screen = canvas_->GetTarget();
  ownPicture_ = std::make_unique<Surface>();
  if (screen == nullptr || ownPicture_->Create(screen->GetWidth(), screen->GetHeight(), 32, 0) != 0 ||
      ownPicture_->GetBits() == nullptr) {
    ownPicture_.reset();
    return kNoOwnPicture;
  }
  if (canvas_->RenderInto(ownPicture_.get(), 0, 0, 0) != 0) {
    ownPicture_.reset();
    return kComposeFailed;
  }
  return 0;
}

void BgPanimeAction::HideSprites(SpriteCanvas* canvas) {
  if (canvas == nullptr) return;
  for (HiddenMain& entry : hidden_) {
    if (entry.canvas == canvas) return;
    if (entry.canvas == nullptr) {
      entry = {canvas, canvas->MainHidden()};
      canvas->SetHideMain(true);
      canvas->MarkAllChanged();
      return;
    }
  }
}

void BgPanimeAction::RestoreCanvases() {
  for (HiddenMain& entry : hidden_) {
    if (entry.canvas == nullptr) continue;
    entry.canvas->SetHideMain(entry.wasHidden);
    entry.canvas->MarkAllChanged();
    entry = {};
  }
  if (ownPictureShown_) {
    canvas_->SetBackgroundImage(previousBackground_, previousX_, previousY_, 0);
    ownPictureShown_ = false;
  }
}

void BgPanimeAction::ShowAt(int32_t x, int32_t y) {
  shownX_ = x;
  shownY_ = y;
  if (!workCopyMode_) {
    canvas_->SetBackgroundOffsets(x, y);
    return;
  }
  Surface* copy = WorkCopy();
  if (copy == nullptr) return;
  Surface* source = ownPicture_ != nullptr ? ownPicture_.get() : BackgroundPicture(*canvas_);
  copy->FillColor(canvas_->GetBackgroundValue(), nullptr, nullptr);
  if (source != nullptr) copy->Copy(source, -x, -y, nullptr, false);
  canvas_->MarkAllChanged();
}

void BgPanimeAction::End() {
  if (ended_) return;
  ended_ = true;
  if (canvas_ == nullptr) return;
  ReleaseWorkCopy();
  RestoreCanvases();
  ownPicture_.reset();
  const int32_t last = path_.LastPoint();
  if (path_.Records() != nullptr && last >= 0 && last < path_.RecordCount()) {
    shownX_ = path_.Records()[last].value1;
    shownY_ = path_.Records()[last].value2;
    canvas_->SetBackgroundOffsets(shownX_, shownY_);
  }
  canvas_->MarkAllChanged();
}

}  // namespace orrivel
