#include "scene/D3DCanvasQuad.h"

#include "display/D3DDevice.h"
#include "display/DrawObjectManager.h"
#include "scene/DecodedCanvasObjectB.h"

namespace orrivel {

namespace {

DecodedCanvasObjectB* Accepted(TextureSource* texture) {
  if (texture == nullptr || texture->GetKind() != kImageKindDecodedCanvasB) return nullptr;
  auto* canvas = dynamic_cast<DecodedCanvasObjectB*>(texture);
  return canvas != nullptr && canvas->GetSurface() != nullptr ? canvas : nullptr;
}

}  // namespace

int D3DCanvasQuad::Create(TextureSource* texture, const Rect* source, int32_t x, int32_t y) {
  if (Accepted(texture) == nullptr) return 1;
  return D3DQuad::Create(texture, source, x, y);
}

int D3DCanvasQuad::SetTexture(TextureSource* texture) {
  if (Accepted(texture) == nullptr) return 1;
  return D3DQuad::SetTexture(texture);
}

int D3DCanvasQuad::Draw(int32_t, int32_t, D3DDevice* device) {
  if (!IsVisible()) return 0;
  DecodedCanvasObjectB* canvas = Accepted(Texture());
  if (device == nullptr || canvas == nullptr) return kDrawNoTexture;
  if (!device->HasDevice()) return kDrawNoDevice;
  canvas->Update(1);
  return DrawTextured(device);
}

int CreateD3DQuadSubclass(DrawObjectManager& manager, uint32_t* out, uint32_t textureHandle,
                          const Rect* source, int32_t x, int32_t y) {
  TextureSource* texture = manager.GetTextureSource(textureHandle);
  return manager.CreateSceneObject<D3DCanvasQuad>(
      out, 2, [&](D3DCanvasQuad& object) { return object.Create(texture, source, x, y); });
}

}  // namespace orrivel
