#include "effect/BgRastAction.h"

#include "base/MathTables.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

int32_t BgRastAction::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  if (const int32_t code = ClaimCanvas(timerList, target); code != 0) return code;
  StoreCommonCells(cells);
  amplitude_ = cells.Cell(0);
  wavelength_ = uint32_t(cells.Cell(1));
  // A wave of no lines would divide by zero.
  if (wavelength_ == 0) wavelength_ = 1;
  return Start(timerList, kNotListed, cells.Cell(7) != 0);
}

int32_t BgRastAction::PhaseAt(uint32_t elapsed) const {
  return int32_t(uint64_t{elapsed % period_} * 512 / period_);
}

void BgRastAction::Draw(int32_t phase, int32_t amplitude) {
  const MathTables* tables = GetMathTables();
  Surface* copy = WorkCopy();
  Surface* picture = BackgroundPicture(*canvas_);
  if (tables == nullptr || !CopyFitsPicture(copy, picture)) return;
  const int32_t width = copy->GetWidth(), height = copy->GetHeight();
  const platform::Point origin = BackgroundSourceOrigin(*canvas_, width, height);
  const uint32_t color = canvas_->GetBackgroundValue();
  // The angle runs in 16.16 steps of 512 per wave down the rows.
  const uint32_t step = 33554432u / wavelength_;
  uint32_t angle = uint32_t(phase) << 16;
  for (int32_t r = 0; r < height; ++r, angle += step) {
    const int64_t shift = (int64_t{tables->Sin(int32_t(angle >> 16))} * amplitude) >> 16;
    const auto* source = reinterpret_cast<const uint32_t*>(picture->GetScanLine(origin.y + r)) + origin.x;
    ShiftRow32(reinterpret_cast<uint32_t*>(copy->GetScanLine(r)), source, width, shift, fill_, color);
  }
  canvas_->MarkAllChanged();
}

bool BgRastAction::CopyParameters(const BackgroundWaveAction& other) {
  const auto& rast = static_cast<const BgRastAction&>(other);
  amplitude_ = rast.amplitude_;
  wavelength_ = rast.wavelength_;
  return true;
}

}  // namespace orrivel
