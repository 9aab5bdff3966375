#pragma once
// What the layout readers ask of a sprite canvas: its background picture and
// the sprite lists that parts are inserted into.
#include <cstdint>

#include "resource/ScreenDevicePort.h"

namespace orrivel {

class SpriteListPort {
 public:
  virtual ~SpriteListPort() = default;
  // Inserts after the sprites whose order equals `order` (compared
  // unsigned). 0 done, 1 no sprite, 2 already in a list, 3 out of memory.
  virtual int AddAfterEqual(ImageSpritePort* sprite, uint32_t order, uint32_t flags) = 0;
};

class SpriteCanvasPort {
 public:
  virtual ~SpriteCanvasPort() = default;
  virtual SpriteListPort* MainList() = 0;
  // Null when the canvas has no overlay list.
  virtual SpriteListPort* OverlayList() = 0;
  // Null removes the background picture. Non-zero when refused.
  virtual int SetBackgroundImage(SurfacePort* surface, int32_t offsetX, int32_t offsetY, bool redraw) = 0;
};

}  // namespace orrivel
