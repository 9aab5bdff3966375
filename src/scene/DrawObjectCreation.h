#pragma once
// The creation operations of the screen device's sprites that live above
// the display layer: image sprites over a listed memory picture, and copies
// of a listed image sprite. Both have the draw-object manager's shape
// (cleared out handle, allocation failure code, the step's own code).
#include <cstdint>

#include "raster/Rect.h"

namespace orrivel {

class DrawObjectManager;
class Surface;

// An ImageSprite over the listed memory picture (ImageSprite::SetImage's
// codes; 3 when it can't be allocated).
int CreateImageSprite(DrawObjectManager& manager, uint32_t* out, uint32_t surfaceHandle,
                      const Rect* sourceRect, int32_t x, int32_t y);
// The same over a drawing surface the caller resolved (a memory picture or
// the surface of a canvas image); null gives SetImage's refusal.
int CreateImageSpriteOver(DrawObjectManager& manager, uint32_t* out, Surface* surface, const Rect* sourceRect,
                          int32_t x, int32_t y);
// A copy of the listed image sprite (ImageSprite::CopyFrom's codes; 2 when
// it can't be allocated).
int CreateImageSpriteCopy(DrawObjectManager& manager, uint32_t* out, uint32_t spriteHandle);

}  // namespace orrivel
