#include "scene/LayoutSpriteCanvas.h"

#include "scene/ImageSprite.h"
#include "scene/LayoutScreenDevice.h"
#include "scene/RasterSurfacePort.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

int LayoutSpriteList::AddAfterEqual(ImageSpritePort* sprite, uint32_t order, uint32_t flags) {
  auto* listed = dynamic_cast<LayoutImageSprite*>(sprite);
  if (list_ == nullptr || listed == nullptr) return 1;
  return list_->AddAfterEqual(listed->Sprite(), order, flags);
}

LayoutSpriteCanvas::LayoutSpriteCanvas(SpriteCanvas& canvas) : canvas_(canvas), main_(&canvas.MainList()) {}

SpriteListPort* LayoutSpriteCanvas::OverlayList() {
  // The canvas may be given or lose its overlay list at any time.
  SpriteList* list = canvas_.OverlayList();
  if (list == nullptr) return nullptr;
  overlay_.Bind(list);
  return &overlay_;
}

int LayoutSpriteCanvas::SetBackgroundImage(SurfacePort* surface, int32_t offsetX, int32_t offsetY,
                                           bool redraw) {
  Surface* raster = nullptr;
  if (surface != nullptr) {
    auto* port = dynamic_cast<RasterSurfacePort*>(surface);
    if (port == nullptr) return 1;
    raster = port->Raster();
  }
  // The canvas answers 1 when it took the picture.
  return canvas_.SetBackgroundImage(raster, offsetX, offsetY, redraw ? 1 : 0) != 0 ? 0 : 1;
}

}  // namespace orrivel
