#include "natives/LayerPlacement.h"

#include "natives/ProcessObjects.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

constexpr uint8_t kBlendByValue = 2;

int32_t ShowOnSprite(ImageSprite* sprite, Surface* surface, const LayerPlace& place) {
  const Rect part{place.left, place.top, place.right, place.bottom};
  return sprite->SetImage(surface, place.left >= 0 ? &part : nullptr, place.x, place.y) == 0 ? 0 : 3;
}

void JoinList(ImageSprite* sprite, const LayerPlace& place) {
  if (place.priority >= 0) {
    SpriteCanvas* canvas = place.canvas;
    uint32_t listValue = 0;
    if (ProcessObjects* objects = GetProcessObjects()) {
      if (canvas == nullptr) canvas = objects->CurrentSpriteCanvas();
      listValue = objects->SpriteListValue();
    }
    SpriteList* list = canvas == nullptr ? nullptr : place.overlay ? canvas->OverlayList() : &canvas->MainList();
    if (list != nullptr) list->Add(sprite, uint32_t(place.priority), listValue);
  }
  sprite->SetVisible(place.visible ? 1 : 0);
}

void BlendBy(ImageSprite* sprite, uint8_t mode, int32_t value) {
  sprite->SetBlendMode(mode);
  sprite->SetOpacity(uint8_t(value));
}

}  // namespace

int32_t LoadAndPlaceLayerObject(ImageSprite* sprite, Surface* surface, const char* file, int32_t keyMode,
                                int32_t keyValue, const LayerPlace& place) {
  if (sprite == nullptr || surface == nullptr) return 1;
  if (file == nullptr || surface->LoadImage(file, nullptr, 0, 0) != 0) return 2;
  if (const int32_t code = ShowOnSprite(sprite, surface, place); code != 0) return code;
  if (keyMode >= 0) {
    surface->SetColorKeyAt(keyMode, keyValue);
  } else if (keyMode < -1) {
    BlendBy(sprite, kBlendByValue, keyValue);
  }
  JoinList(sprite, place);
  return 0;
}

int32_t PlaceLayerObject(ImageSprite* sprite, Surface* surface, uint8_t blendMode, int32_t blendValue,
                         const LayerPlace& place) {
  if (sprite == nullptr || surface == nullptr) return 1;
  if (const int32_t code = ShowOnSprite(sprite, surface, place); code != 0) return code;
  if (blendMode != 0) BlendBy(sprite, blendMode, blendValue);
  JoinList(sprite, place);
  return 0;
}

}  // namespace orrivel
