#pragma once
// "bg_zoom": eases the view of a background layer from where it is to the
// part of the picture centred on a point at a magnification, over a
// duration, and leaves it there; a stop through the timer list jumps to the
// target. The easing is shared with "bg_rot".
#include <cstdint>

#include "effect/EasedBackgroundAction.h"
#include "raster/Rect.h"

namespace orrivel {

struct ZoomRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const ZoomRect&, const ZoomRect&) = default;
};

// The part of the picture that shows it magnified by m about (cx, cy) on
// the canvas's target, kept inside the picture. 0; 1 no canvas or a
// magnification that is not above 0; 2 no picture or no target.
int32_t ComputeZoomRect(const SpriteCanvas* canvas, int32_t cx, int32_t cy, double m, ZoomRect* out);

// Shows the rectangle of the picture stretched over the whole target.
void ApplyZoomRect(SpriteCanvas& canvas, const ZoomRect& rect);

// The class-level entry of "bg_zoom": [0] a layer object (LayerObject of
// kinds 7 to 10), [1] centre x, [2] centre y, [3] magnification as decimal
// text (null 1.0), [4] to [7] out-pointers (int32_t, each may be null) for
// x, y, w, h. Computes the rectangle, reports it and applies it at once.
// 0; -1 when [0] is no such object; else ComputeZoomRect's code.
int32_t ParseBgZoomArgs(const ObjectArguments& cells);
// The variadic twin: the eight cells as machine words.
int32_t ParseBgZoomArgsVariadic(std::intptr_t first, ...);

class BgZoomAction : public EasedBackgroundAction {
 public:
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoRect = 2;

  const char* GetName() const override { return "bg_zoom"; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer. Cells: [0] centre x, [1] centre y in picture
  // pixels, [2] magnification as decimal text (null 1.0; not above 0 is
  // refused), [3] curve as decimal text (null 0.0), [4] duration ms.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] to [3] out-pointers (int32_t, each may be null) for the target's
  // x, y, w, h; 0.
  int32_t QueryV(const ObjectArguments& cells) override;

  const ZoomRect& StartRect() const { return start_; }
  const ZoomRect& TargetRect() const { return target_; }

 protected:
  void ApplyEnd() override { ApplyAt(1.0); }
  void ApplyEased(uint32_t eased) override;

 private:
  // Shows the rectangle a fraction f of the way from start to target.
  void ApplyAt(double f);

  ZoomRect start_;
  ZoomRect target_;
};

}  // namespace orrivel
