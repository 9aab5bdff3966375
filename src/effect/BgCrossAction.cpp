#include "effect/BgCrossAction.h"

#include <new>
#include <utility>

#include "base/TimerList.h"
#include "effect/LayerHost.h"
#include "raster/BackgroundPixelOps.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

BgCrossAction::BgCrossAction() = default;
BgCrossAction::~BgCrossAction() = default;

int32_t BgCrossAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  auto* layer = target.Object<BackgroundLayer>();
  canvas_ = CanvasOfTarget(target);
  Watch(canvas_);
  const int32_t mode = cells.Cell(2);
  if (timerList == nullptr || canvas_ == nullptr || mode < kBothLive || mode > kFirstFrozen) return kBadArguments;
  Surface* first = BackgroundPicture(*canvas_);
  if (first == nullptr) return kBadArguments;
  mode_ = uint8_t(mode);
  second_ = layer->GetSecondPageCanvas();
  Watch(second_);
  Surface* second = second_ != nullptr ? BackgroundPicture(*second_) : nullptr;
  if (second == nullptr) return kNoSecondPage;
  if (second->GetWidth() != first->GetWidth() || second->GetHeight() != first->GetHeight()) return kSizesDiffer;
  if (cells.Cell(3) != 0) {
    std::swap(canvas_, second_);
    std::swap(first, second);
  }
  width_ = first->GetWidth();
  height_ = first->GetHeight();
  if (mode_ != kBothLive && snapshot_ == nullptr) {
    snapshot_.reset(new (std::nothrow) Surface);
    if (snapshot_ == nullptr) return kNoWorkCopy;
  }
  if (ClaimWorkCopy() != Claim::Made) return kNoWorkCopy;
  if (mode_ != kBothLive) {
    Surface* frozen = mode_ == kSecondFrozen ? second : first;
    if (snapshot_->CreateLike(frozen, 0) != 0 || snapshot_->Copy(frozen, 0, 0, nullptr, false) != 0) {
      ReleaseWorkCopy();
      return kNoWorkCopy;
    }
  }
  canvas_->BackCopy()->Copy(first, 0, 0, nullptr, false);
  clock_.Reset(uint32_t(cells.Cell(0)), cells.Cell(1));
  lastLevel_ = 0;
  if (timerList->Add(this, 0, 0, 0) != 0) {
    ReleaseWorkCopy();
    return kNotListed;
  }
  if (cells.Cell(4) != 0) EnterLowPriority();
  return 0;
}

int32_t BgCrossAction::ControlV(const ObjectArguments&) {
  clock_.RequestStop();
  return 0;
}

void BgCrossAction::Draw(uint32_t elapsed) {
  // 0 → 255 → 0 over one period.
  int32_t level = int32_t(uint64_t{elapsed} * 510 / clock_.Period());
  if (level > 255) level = 510 - level;
  if (level == lastLevel_) return;
  lastLevel_ = level;
  Surface* a = mode_ == kFirstFrozen ? snapshot_.get() : BackgroundPicture(*canvas_);
  Surface* b = mode_ == kSecondFrozen ? snapshot_.get() : BackgroundPicture(*second_);
  Surface* copy = WorkCopy();
  if (a == nullptr || b == nullptr || copy == nullptr || b->GetWidth() != width_ || b->GetHeight() != height_) return;
  CurrentBackgroundPixelOps().BlendTwoSources(copy, a, b, uint8_t(level), nullptr);
  canvas_->MarkAllChanged();
}

LayerAction::Loss BgCrossAction::LosingCanvas(const SpriteCanvas& canvas) const {
  return second_ == &canvas ? Loss::Whole : BackgroundAction::LosingCanvas(canvas);
}

void BgCrossAction::LetGoCanvas(const SpriteCanvas& canvas) {
  if (second_ == &canvas) second_ = nullptr;
  BackgroundAction::LetGoCanvas(canvas);
}

}  // namespace orrivel
