#pragma once
// What every background action shares: its target is a background layer,
// it draws into the background work copy of the layer's canvas (or moves
// the canvas's stretch and turn), and when it ends the work copy goes and
// the layer shows its plain background again. Category 0, type id 14000.
#include <cstdint>

#include "effect/LayerAction.h"
#include "raster/Rect.h"

namespace orrivel {

class BackgroundLayer;
class SpriteCanvas;
class Surface;

// The canvas of a set-up target (a BackgroundLayer); null for a null target
// or one of another class.
SpriteCanvas* CanvasOfTarget(const ObjectArgument& target);

// The canvas's background picture; null without one.
Surface* BackgroundPicture(const SpriteCanvas& canvas);

// Where in the picture a copy of copyWidth × copyHeight reads from: the
// canvas's background offset, each side held to 0 and to the picture's size
// minus the copy's, so that the source rectangle stays inside the picture.
platform::Point BackgroundSourceOrigin(const SpriteCanvas& canvas, int32_t copyWidth, int32_t copyHeight);

// True when both are 32-bit images with pixels and the copy fits inside the
// picture: what a row-by-row redraw of the copy from the picture needs. The
// canvas can change its picture while an action runs.
bool CopyFitsPicture(Surface* copy, Surface* picture);

// Copies the source row into the destination row of width pixels so that
// dest[c] = source[c − shift]. A shift beyond the row counts as the whole
// row. With fill the pixels no source pixel reaches get color; without it
// they keep what they hold.
void ShiftRow32(uint32_t* dest, const uint32_t* source, int32_t width, int64_t shift, bool fill, uint32_t color);

class BackgroundAction : public LayerAction {
 public:
  int32_t GetTypeId() const override { return kBackgroundActionType; }
  uint8_t GetCategory() const override { return kBackgroundCategory; }

  SpriteCanvas* Canvas() const { return canvas_; }

  // The whole action works on its canvas.
  Loss LosingCanvas(const SpriteCanvas& canvas) const override;
  void LetGoCanvas(const SpriteCanvas& canvas) override;

 protected:
  // Results of ClaimWorkCopy.
  enum class Claim { Made, Held, Failed };
  // Makes the canvas's work copy unless another action holds one.
  Claim ClaimWorkCopy();
  // The end of the action, and the undoing of a set-up that fails after
  // claiming: the work copy released and everything repainted. Runs once.
  void ReleaseWorkCopy();

  // The work copy this action made while the canvas still holds it; null
  // once the canvas let it go. Another copy the canvas shows later (even one
  // at the same address) is not this action's to draw into or release.
  Surface* WorkCopy() const;

  SpriteCanvas* canvas_ = nullptr;
  // The canvas's generation of the copy this action made; 0 when it holds none.
  uint64_t workCopyGeneration_ = 0;
};

}  // namespace orrivel
