#include "scene/D3DCanvasImage.h"

#include "display/DrawObjectManager.h"
#include "scene/DecodedCanvasObjectA.h"

namespace orrivel {

namespace {

DecodedCanvasObjectA* Accepted(Image* image) {
  if (image == nullptr || image->GetKind() != kImageKindDecodedCanvasA) return nullptr;
  auto* canvas = dynamic_cast<DecodedCanvasObjectA*>(image);
  return canvas != nullptr && canvas->GetDisplaySurface() != nullptr ? canvas : nullptr;
}

}  // namespace

int D3DCanvasImage::Create(Image* image, const Rect* source, int32_t x, int32_t y) {
  if (Accepted(image) == nullptr) return 1;
  TakeImage(image, source, x, y);
  return 0;
}

int D3DCanvasImage::SetImage(Image* image) {
  if (Accepted(image) == nullptr) return 1;
  TakeImage(image, nullptr, GetX(), GetY());
  return 0;
}

int D3DCanvasImage::Draw(int32_t, int32_t, D3DDevice* device) {
  if (!IsVisible()) return 0;
  if (DecodedCanvasObjectA* canvas = Accepted(GetImage())) canvas->Update(1);
  return DrawImage(device);
}

int CreateD3DImageSubclass(DrawObjectManager& manager, uint32_t* out, uint32_t imageHandle,
                           const Rect* source, int32_t x, int32_t y) {
  Image* image = manager.GetImage(imageHandle);
  return manager.CreateSceneObject<D3DCanvasImage>(
      out, 2, [&](D3DCanvasImage& object) { return object.Create(image, source, x, y); });
}

}  // namespace orrivel
