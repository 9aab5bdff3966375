#pragma once
// One display's entry for a figure composed on its own canvas: a drawable
// as large as the display that, when the display repaints a rectangle,
// draws the canvas's parts cut to that rectangle straight onto the
// display's picture, from the back to the front. No picture of the figure
// is kept in between, so the display pays for each part once, only where
// it changed, and what lies behind the figure shows through wherever no
// part covers it. Main thread only.
#include <cstdint>

#include "raster/Drawable.h"
#include "raster/Rect.h"

namespace orrivel {

class SpriteList;

class PartsView : public Drawable {
 public:
  // parts: the list the figure's parts are ordered in; width and height:
  // the display's size.
  PartsView(const SpriteList& parts, int32_t width, int32_t height);

  int32_t GetWidth() const override { return bounds_.right; }
  int32_t GetHeight() const override { return bounds_.bottom; }
  // The view covers the display from its origin and never moves.
  bool SetPosition(int32_t, int32_t) override { return false; }
  bool MoveBy(int32_t, int32_t) override { return false; }
  bool SetDisplaySize(int32_t, int32_t) override { return false; }
  // The parts changed inside rect (display coordinates): the owning
  // display repaints that area. rect receives it, cut to the view.
  bool InvalidateSourceRect(Rect* rect) override;
  // The figure takes no pointer of its own.
  bool HitTest(int32_t, int32_t, uint8_t) override { return false; }
  bool Overlaps(const Drawable* other) const override;
  const Rect* GetBoundsPtr() const override { return &bounds_; }
  Rect* GetBounds(Rect* out) const override;
  using Drawable::DrawTo;
  int DrawTo(Surface* target, Rect* out) override;
  // The parts inside clip; opacity and visibility of the view are the
  // canvas's to test, those of each part are tested here.
  int Draw(Surface* target, const Rect& clip) override;

 private:
  const SpriteList& parts_;
  Rect bounds_;
};

}  // namespace orrivel
