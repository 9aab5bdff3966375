// The creation operations of the Direct3D draw objects.
#include "display/D3DColorBox.h"
#include "display/D3DImage.h"
#include "display/D3DPolygon.h"
#include "display/D3DQuad.h"
#include "display/D3DTriangle.h"
#include "display/DrawObjectManager.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

int DrawObjectManager::CreateD3DImage(uint32_t* out, uint32_t imageHandle, const Rect* source,
                                      int32_t x, int32_t y) {
  Image* image = images_.Get(imageHandle);
  return CreateSceneObject<D3DImage>(out, 2, [&](D3DImage& object) { return object.Create(image, source, x, y); });
}

int DrawObjectManager::CreateD3DQuad(uint32_t* out, uint32_t textureHandle, const Rect* source,
                                     int32_t x, int32_t y) {
  TextureSource* texture = GetTextureSource(textureHandle);
  return CreateSceneObject<D3DQuad>(out, 2, [&](D3DQuad& object) { return object.Create(texture, source, x, y); });
}

int DrawObjectManager::CreateD3DPolygon(uint32_t* out, ScriptAddressSpace* space, uint32_t count,
                                        uint32_t xArray, uint32_t yArray, uint32_t argb,
                                        uint8_t mode, uint8_t takesArrays) {
  bool stepRan = false;
  const int code = CreateSceneObject<D3DPolygon>(out, 2, [&](D3DPolygon& object) {
    stepRan = true;
    return object.Create(space, count, xArray, yArray, argb, mode, takesArrays);
  });
  // Arrays handed over belong to the polygon that was never made.
  if (!stepRan && takesArrays && space != nullptr) {
    space->Free(xArray);
    if (yArray != xArray) space->Free(yArray);
  }
  return code;
}

int DrawObjectManager::CreateD3DTriangle(uint32_t* out, int32_t x0, int32_t y0, int32_t x1,
                                         int32_t y1, int32_t x2, int32_t y2, uint32_t argb,
                                         int32_t x, int32_t y) {
  return CreateSceneObject<D3DTriangle>(
      out, 2, [&](D3DTriangle& object) { return object.Create(x0, y0, x1, y1, x2, y2, argb, x, y); });
}

int DrawObjectManager::CreateD3DColorBox(uint32_t* out, int32_t width, int32_t height, uint32_t argb,
                                         int32_t x, int32_t y) {
  return CreateSceneObject<D3DColorBox>(
      out, 1, [&](D3DColorBox& object) { return object.Create(width, height, argb, x, y); });
}

}  // namespace orrivel
