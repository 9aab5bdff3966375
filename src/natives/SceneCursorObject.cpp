#include "natives/SceneCursorObject.h"

#include "display/D3DImage.h"
#include "display/D3DQuad.h"
#include "display/TextureSource.h"
#include "display/DrawObjectManager.h"
#include "raster/Image.h"

namespace orrivel {

namespace {

// The source rectangle moved so its top left lies at (x, y).
Rect MovedTo(const Rect& source, int32_t x, int32_t y) {
  return Rect{x, y, x + source.Width(), y + source.Height()};
}

}  // namespace

SceneObject* SceneCursorObject::Object() const {
  return objects_ != nullptr ? objects_->GetSceneObject(handle_) : nullptr;
}

int32_t SceneCursorObject::ObjectKind() const {
  SceneObject* object = Object();
  if (dynamic_cast<D3DImage*>(object) != nullptr) return kImageObject;
  if (dynamic_cast<D3DQuad*>(object) != nullptr) return kQuadObject;
  return -1;
}

int32_t SceneCursorObject::GetSourceRect(platform::Rect& out) const {
  SceneObject* object = Object();
  if (auto* image = dynamic_cast<D3DImage*>(object)) {
    if (image->GetImage() == nullptr) return 1;
    if (image->GetImage()->GetDisplaySurface() == nullptr) return 2;
    out = image->SourceRect();
    return 0;
  }
  if (auto* quad = dynamic_cast<D3DQuad*>(object)) {
    if (quad->Texture() == nullptr) return 1;
    if (quad->Texture()->GetSurface() == nullptr) return 2;
    out = quad->SourceRect();
    return 0;
  }
  return 1;
}

void SceneCursorObject::SetRect(int32_t x, int32_t y, int32_t) {
  if (auto* image = dynamic_cast<D3DImage*>(Object())) {
    const Rect moved = MovedTo(image->SourceRect(), x, y);
    image->SetRect(&moved);
  }
}

void SceneCursorObject::SetTexRect(int32_t x, int32_t y, int32_t) {
  if (auto* quad = dynamic_cast<D3DQuad*>(Object())) {
    const Rect moved = MovedTo(quad->SourceRect(), x, y);
    quad->SetTexRect(0, 0, &moved);
  }
}

void SceneCursorObject::SetVisible(bool visible) {
  if (SceneObject* object = Object()) object->SetVisible(visible);
}

void SceneCursorObject::SetPosition(int32_t x, int32_t y) {
  if (SceneObject* object = Object()) object->SetPosition(x, y);
}

}  // namespace orrivel
