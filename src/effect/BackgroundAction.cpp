#include "effect/BackgroundAction.h"

#include <algorithm>
#include <cstring>

#include "effect/LayerHost.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

SpriteCanvas* CanvasOfTarget(const ObjectArgument& target) {
  BackgroundLayer* layer = target.Object<BackgroundLayer>();
  return layer != nullptr ? layer->GetLayerCanvas() : nullptr;
}

Surface* BackgroundPicture(const SpriteCanvas& canvas) {
  Surface* picture = nullptr;
  canvas.GetBackground(&picture, nullptr, nullptr, nullptr, nullptr, nullptr);
  return picture;
}

platform::Point BackgroundSourceOrigin(const SpriteCanvas& canvas, int32_t copyWidth, int32_t copyHeight) {
  Surface* picture = nullptr;
  int32_t x = 0, y = 0;
  canvas.GetBackground(&picture, &x, &y, nullptr, nullptr, nullptr);
  if (picture == nullptr) return {0, 0};
  const int32_t maxX = std::max(0, picture->GetWidth() - copyWidth);
  const int32_t maxY = std::max(0, picture->GetHeight() - copyHeight);
  return {std::clamp(x, 0, maxX), std::clamp(y, 0, maxY)};
}

bool CopyFitsPicture(Surface* copy, Surface* picture) {
  return copy != nullptr && picture != nullptr && copy->GetBits() != nullptr && picture->GetBits() != nullptr &&
         copy->GetBitsPerPixel() == 32 && picture->GetBitsPerPixel() == 32 &&
         copy->GetWidth() <= picture->GetWidth() && copy->GetHeight() <= picture->GetHeight();
}

void ShiftRow32(uint32_t* dest, const uint32_t* source, int32_t width, int64_t shift, bool fill, uint32_t color) {
  const int64_t s = std::clamp<int64_t>(shift, -int64_t{width}, width);
  const int32_t n = width - int32_t(s < 0 ? -s : s);
  if (s >= 0) {
    std::memmove(dest + s, source, size_t(n) * 4);
    if (fill) std::fill(dest, dest + s, color);
  } else {
    std::memmove(dest, source - s, size_t(n) * 4);
    if (fill) std::fill(dest + n, dest + width, color);
  }
}

BackgroundAction::Claim BackgroundAction::ClaimWorkCopy() {
  if (canvas_->BackCopy() != nullptr) return Claim::Held;
  if (canvas_->CreateBackgroundCopy(0) != 0 || canvas_->BackCopy() == nullptr) return Claim::Failed;
  workCopyGeneration_ = canvas_->BackCopyGeneration();
  return Claim::Made;
}

Surface* BackgroundAction::WorkCopy() const {
  if (canvas_ == nullptr || workCopyGeneration_ == 0 || canvas_->BackCopyGeneration() != workCopyGeneration_)
    return nullptr;
  return canvas_->BackCopy();
}

void BackgroundAction::ReleaseWorkCopy() {
  if (workCopyGeneration_ == 0 || canvas_ == nullptr) return;
  const bool ours = WorkCopy() != nullptr;
  workCopyGeneration_ = 0;
  if (!ours) return;
  canvas_->ReleaseBackCopy();
  canvas_->MarkAllChanged();
}

LayerAction::Loss BackgroundAction::LosingCanvas(const SpriteCanvas& canvas) const {
  return canvas_ == &canvas ? Loss::Whole : Loss::None;
}

void BackgroundAction::LetGoCanvas(const SpriteCanvas& canvas) {
  if (canvas_ != &canvas) return;
  // The work copy goes with the canvas.
  canvas_ = nullptr;
  workCopyGeneration_ = 0;
}

}  // namespace orrivel
