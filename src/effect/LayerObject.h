#pragma once
// A layer object of the text-adventure frame as the class-level entries of
// the background actions receive it: an object of some kind, of which kinds
// 7 to 10 carry the background layer interface.
#include "effect/LayerHost.h"

namespace orrivel {

class LayerObject {
 public:
  virtual ~LayerObject() = default;
  virtual int GetObjectKind() const = 0;
  // The object's background layer interface; asked only of kinds 7 to 10.
  virtual BackgroundLayer* GetBackgroundLayer() = 0;
};

// The background layer of an object of kinds 7 to 10; null for a null
// object or any other kind.
inline BackgroundLayer* BackgroundLayerOf(LayerObject* object) {
  if (object == nullptr || !BackgroundLayer::IsLayerKind(object->GetObjectKind())) return nullptr;
  return object->GetBackgroundLayer();
}

}  // namespace orrivel
