#pragma once
// A canvas image (display object kinds 7 to 10) seen as the layer objects
// of the text-adventure frame are seen by the background actions and their
// assists: a layer object of the image's kind whose background layer is
// the image's sprite canvas. The scripts name canvas images by handle; this
// is what such a handle stands for where a layer object is asked.
//
// The view borrows the canvas part: whoever makes one keeps it no longer
// than the call it was made for.
#include <cstdint>

#include "effect/LayerHost.h"
#include "effect/LayerObject.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {

class CanvasLayerObject final : public LayerObject, public BackgroundLayer {
 public:
  CanvasLayerObject(CanvasDrawObject& canvas, uint8_t kind) : canvas_(canvas), kind_(kind) {}

  int GetObjectKind() const override { return kind_; }
  BackgroundLayer* GetBackgroundLayer() override { return this; }
  SpriteCanvas* GetLayerCanvas() override { return canvas_.GetCanvas(); }

 private:
  CanvasDrawObject& canvas_;
  uint8_t kind_;
};

}  // namespace orrivel
