#include "scene/CanvasDrawImage.h"

#include "display/DrawObjectManager.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

uint8_t CanvasDrawImage::SetPrepared(uint8_t prepared) {
  if (!createdOfSize_) return CanvasDrawObject::SetPrepared(prepared);
  return StorePrepared(prepared);
}

void CanvasDrawImage::AddDirty(const Rect* rect) {
  if (!createdOfSize_) {
    CanvasDrawObject::AddDirty(rect);
    return;
  }
  if (IsPrepared() && GetCanvas() != nullptr) GetCanvas()->AddDirty(rect);
}

int CreateCanvasDrawObject(DrawObjectManager& manager, uint32_t* out, int32_t width,
                           int32_t height, uint8_t depth, uint8_t withCanvas) {
  // The object made of a size answers its own kind from the first operation on.
  return manager.CreateImage<CanvasDrawImage>(out, 2, [&](CanvasDrawImage& image) {
    image.MarkCreatedOfSize();
    return image.Prepare(width, height, depth, withCanvas);
  });
}

int CreateCanvasDrawObjectForSource(DrawObjectManager& manager, uint32_t* out, int32_t width,
                                    int32_t height, uint8_t depth, uint8_t mode) {
  return manager.CreateImage<CanvasDrawImage>(
      out, 2, [&](CanvasDrawImage& image) { return image.Load(width, height, depth, mode); });
}

}  // namespace orrivel
