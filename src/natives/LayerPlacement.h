#pragma once
// Placing a picture on a layer as an image sprite: the natives and the
// game's own screens (the confirmation box, the notices, menus) put their
// pictures on the screen this one way.
//
// Main thread only.
#include <cstdint>

namespace orrivel {

class ImageSprite;
class SpriteCanvas;
class Surface;

struct LayerPlace {
  int32_t x = 0;
  int32_t y = 0;
  // The picture's part shown; a negative left shows the whole picture.
  int32_t left = -1, top = 0, right = 0, bottom = 0;
  // Below 0 the sprite joins no list.
  int32_t priority = -1;
  bool visible = true;
  bool overlay = false;
  // Null: the screen's current sprite canvas.
  SpriteCanvas* canvas = nullptr;
};

// Loads the file into the surface and shows it through the sprite. Key
// mode 0 or more takes the colour key from the picture's pixel (key mode,
// key value); below -1 the sprite blends (mode 2) at the key value as its
// opacity; -1 neither. 0 done; 1 no sprite or surface; 2 the picture does
// not load; 3 the sprite refuses it.
int32_t LoadAndPlaceLayerObject(ImageSprite* sprite, Surface* surface, const char* file, int32_t keyMode,
                                int32_t keyValue, const LayerPlace& place);
// The same for a picture already in the surface: a non-zero blend mode is
// set with the blend value as the sprite's opacity.
int32_t PlaceLayerObject(ImageSprite* sprite, Surface* surface, uint8_t blendMode, int32_t blendValue,
                         const LayerPlace& place);

}  // namespace orrivel
