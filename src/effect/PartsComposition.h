#pragma once
// A figure composed from parts on a canvas of its own, shown on a display
// and optionally on that display's paired one. The canvas orders the parts
// and tracks where they changed; each display holds one view of it at the
// figure's order, and a step hands the changed rectangles to the displays
// whose view is shown. Each display then paints its own background and
// the parts once inside those rectangles, however many parts the figure
// has. Main thread only.
#include <cstdint>
#include <memory>

#include "effect/PartsView.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

class CanvasDrawObject;

class PartsComposition {
 public:
  PartsComposition() = default;
  PartsComposition(const PartsComposition&) = delete;
  PartsComposition& operator=(const PartsComposition&) = delete;
  // The views leave the displays' lists before the canvas goes.
  ~PartsComposition();

  // Binds the canvas to the display's size and puts a view at order in the
  // display's list, and with twin in the twin's too. False when a display
  // has no canvas or their sizes differ.
  bool Build(CanvasDrawObject& display, CanvasDrawObject* twin, uint32_t order);
  SpriteCanvas& Canvas() { return canvas_; }
  // The view on the display (0) or on its twin (1); null when absent.
  PartsView* View(int32_t which) const { return views_[which & 1].get(); }
  // A hidden view paints nothing on its display.
  void SetShown(int32_t which, bool shown);
  bool Shown(int32_t which) const;
  // Hands the rectangles where parts changed to the displays that show
  // them; the number of rectangles.
  int32_t Render();

 private:
  SpriteCanvas canvas_;
  std::unique_ptr<PartsView> views_[2];
};

}  // namespace orrivel
