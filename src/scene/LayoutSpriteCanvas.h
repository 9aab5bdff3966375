#pragma once
// A sprite canvas as the layout readers see it: its background picture and
// its main and overlay lists, which take the image sprites a
// LayoutScreenDevice made.
#include <cstdint>

#include "resource/SpriteCanvasPort.h"

namespace orrivel {

class SpriteCanvas;
class SpriteList;

class LayoutSpriteList final : public SpriteListPort {
 public:
  explicit LayoutSpriteList(SpriteList* list = nullptr) : list_(list) {}
  void Bind(SpriteList* list) { list_ = list; }
  // A sprite made by another device counts as no sprite.
  int AddAfterEqual(ImageSpritePort* sprite, uint32_t order, uint32_t flags) override;

 private:
  SpriteList* list_;
};

class LayoutSpriteCanvas final : public SpriteCanvasPort {
 public:
  explicit LayoutSpriteCanvas(SpriteCanvas& canvas);
  SpriteListPort* MainList() override { return &main_; }
  SpriteListPort* OverlayList() override;
  // A surface that is not a raster one is refused (1).
  int SetBackgroundImage(SurfacePort* surface, int32_t offsetX, int32_t offsetY, bool redraw) override;
  SpriteCanvas& Canvas() const { return canvas_; }

 private:
  SpriteCanvas& canvas_;
  LayoutSpriteList main_;
  LayoutSpriteList overlay_;
};

}  // namespace orrivel
