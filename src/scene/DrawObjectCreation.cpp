#include "scene/DrawObjectCreation.h"

#include "display/DrawObjectManager.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"

namespace orrivel {

int CreateImageSprite(DrawObjectManager& manager, uint32_t* out, uint32_t surfaceHandle,
                      const Rect* sourceRect, int32_t x, int32_t y) {
  return CreateImageSpriteOver(manager, out, dynamic_cast<Surface*>(manager.GetImage(surfaceHandle)), sourceRect, x, y);
}

int CreateImageSpriteOver(DrawObjectManager& manager, uint32_t* out, Surface* surface, const Rect* sourceRect,
                          int32_t x, int32_t y) {
  return manager.CreateSprite<ImageSprite>(
      out, 3, [&](ImageSprite& sprite) { return sprite.SetImage(surface, sourceRect, x, y); });
}

int CreateImageSpriteCopy(DrawObjectManager& manager, uint32_t* out, uint32_t spriteHandle) {
  const auto* original = dynamic_cast<const ImageSprite*>(manager.GetSprite(spriteHandle));
  return manager.CreateSprite<ImageSprite>(
      out, 2, [&](ImageSprite& sprite) { return sprite.CopyFrom(original); });
}

}  // namespace orrivel
