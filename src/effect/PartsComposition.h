#pragma once
// One display's share of a figure composed from parts: the parts' own
// canvas (without background) tracks where they changed, those rectangles
// of a clear picture of the display's size are composed again from the
// parts, colour and alpha, and one sprite shows that picture on the
// display's canvas. A step then costs
// the display one sprite and only the rectangles where parts changed,
// however many parts the figure has. Main thread only.
#include <cstdint>

#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

class CanvasDrawObject;

class PartsComposition {
 public:
  PartsComposition() = default;
  PartsComposition(const PartsComposition&) = delete;
  PartsComposition& operator=(const PartsComposition&) = delete;
  // The shown sprite leaves the display's list before its picture goes.
  ~PartsComposition();

  // Makes the picture at the display's size and its sprite in the display's
  // canvas list at order. False when the display has no canvas or the
  // picture cannot be made.
  bool Build(CanvasDrawObject& display, uint32_t order);
  SpriteCanvas& Canvas() { return canvas_; }
  Surface& Picture() { return picture_; }
  ImageSprite& Sprite() { return sprite_; }
  // A hidden composition keeps its picture and paints nothing.
  void SetShown(bool shown);
  bool Shown() const { return shown_; }
  // Paints the parts that changed into the picture and hands the painted
  // rectangles to the display; the number of rectangles.
  int32_t Render();

 private:
  void PaintRect(const Rect& rect, SpriteList::Node* tail);

  Surface picture_;
  SpriteCanvas canvas_;
  ImageSprite sprite_;
  bool shown_ = true;
};

}  // namespace orrivel
