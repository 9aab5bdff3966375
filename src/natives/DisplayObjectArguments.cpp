#include "natives/DisplayObjectArguments.h"

#include "display/DisplayScreenDevice.h"
#include "raster/Surface.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {

namespace {

bool IsCanvasKind(uint8_t kind) { return kind >= kImageKindDecodedCanvasA && kind <= kImageKindCreatedCanvas; }

}  // namespace

DrawObjectManager* ScriptDisplayObjects() { return CurrentDisplayScreen(); }

Image* GetObjectImage(const DrawObjectManager* objects, uint32_t handle) {
  return objects != nullptr ? objects->GetImage(handle) : nullptr;
}

CanvasDrawObject* GetCanvasPart(const DrawObjectManager* objects, uint32_t handle) {
  Image* image = GetObjectImage(objects, handle);
  if (image == nullptr || !IsCanvasKind(image->GetKind())) return nullptr;
  return dynamic_cast<CanvasDrawObject*>(image);
}

Surface* GetObjectSurface(const DrawObjectManager* objects, uint32_t handle) {
  Image* image = GetObjectImage(objects, handle);
  if (image == nullptr) return nullptr;
  if (image->GetKind() == kImageKindDib) return dynamic_cast<Surface*>(image);
  CanvasDrawObject* part = GetCanvasPart(objects, handle);
  return part != nullptr ? part->GetSurface() : nullptr;
}

SpriteCanvas* GetObjectSpriteCanvas(const DrawObjectManager* objects, uint32_t handle) {
  CanvasDrawObject* part = GetCanvasPart(objects, handle);
  return part != nullptr ? part->GetCanvas() : nullptr;
}

CanvasDrawObject* GetCanvasPartWithSpriteCanvas(const DrawObjectManager* objects, uint32_t handle,
                                                SpriteCanvas** out) {
  CanvasDrawObject* part = GetCanvasPart(objects, handle);
  if (part != nullptr && out != nullptr) *out = part->GetCanvas();
  return part;
}

}  // namespace orrivel
