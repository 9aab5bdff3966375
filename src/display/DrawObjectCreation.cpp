// The creation operations of the kinds that need nothing of the display
// surfaces: memory pictures, transition objects, state sets, fonts and the
// software colour box.
#include "display/DrawObjectManager.h"
#include "display/StateSets.h"
#include "display/TransitionObject.h"
#include "raster/ColorBox.h"
#include "raster/Surface.h"
#include "text/GdiFont.h"
#include "text/OutlineFont.h"
#include "text/SurfaceText.h"

namespace orrivel {

int DrawObjectManager::CreateSurface(uint32_t* out, int32_t width, int32_t height,
                                     uint8_t bitCount, uint8_t flags) {
  return CreateImage<Surface>(out, 4, [&](Surface& surface) {
    return surface.Create(width, height, bitCount, flags);
  });
}

int DrawObjectManager::CreateSurfaceFromFile(uint32_t* out, const char* name, const uint8_t* data,
                                             uint64_t size, uint8_t flags) {
  return CreateImage<Surface>(out, 6, [&](Surface& surface) {
    return surface.LoadImage(name, data, size, flags);
  });
}

int DrawObjectManager::CreateSurfaceFromFileIndexed(uint32_t* out, const char* name,
                                                    const uint8_t* data, uint64_t size,
                                                    uint8_t flags) {
  return CreateImage<Surface>(out, 6, [&](Surface& surface) {
    return surface.LoadImageIndexed(name, data, size, flags);
  });
}

int DrawObjectManager::CreateSurfaceFromText(uint32_t* out, const char* text, uint32_t fontHandle,
                                             uint32_t rgb) {
  Font* font = GetFont(fontHandle);
  return CreateImage<Surface>(out, 6, [&](Surface& surface) {
    if (font == nullptr) return ::orrivel::CreateSurfaceFromText(&surface, text, nullptr, 0);
    const uint8_t saved[3] = {font->textRed, font->textGreen, font->textBlue};
    font->textRed = uint8_t(rgb >> 16);
    font->textGreen = uint8_t(rgb >> 8);
    font->textBlue = uint8_t(rgb);
    const int code = ::orrivel::CreateSurfaceFromText(&surface, text, font, 0);
    font->textRed = saved[0];
    font->textGreen = saved[1];
    font->textBlue = saved[2];
    return code;
  });
}

int DrawObjectManager::CreateSurfaceLike(uint32_t* out, uint32_t sourceHandle, uint8_t flags) {
  auto* source = dynamic_cast<Surface*>(images_.Get(sourceHandle));
  return CreateImage<Surface>(out, 4, [&](Surface& surface) { return surface.CreateLike(source, flags); });
}

int DrawObjectManager::CreateTransitionObject(uint32_t* out, uint32_t sourceHandle,
                                              uint32_t destinationHandle, uint32_t mode, int32_t x,
                                              int32_t y, int32_t progress) {
  Image* source = images_.Get(sourceHandle);
  Image* destination = images_.Get(destinationHandle);
  // A destination handle that names nothing is an invalid destination, not
  // "none": only 0 asks for the device's target.
  const bool badDestination = destinationHandle != 0 && destination == nullptr;
  return CreateSceneObject<TransitionObject>(out, 2, [&](TransitionObject& object) {
    object.SetRunner(transitionRunner_);
    if (badDestination) return IsUsableImage(source) ? 2 : 1;
    return object.Create(destination, source, mode, x, y, progress, 0, 0);
  });
}

int DrawObjectManager::CreateRenderStateSet(uint32_t* out) {
  return CreateSceneObject<RenderStateSet>(out, 1, [](RenderStateSet&) { return 0; });
}

int DrawObjectManager::CreateStageStateSet(uint32_t* out) {
  return CreateSceneObject<StageStateSet>(out, 1, [](StageStateSet&) { return 0; });
}

int DrawObjectManager::CreateGdiFont(uint32_t* out, const char* face, int32_t height) {
  return CreateFont<GdiFont>(out, 2, [&](GdiFont& font) { return font.SetFont(height, 0, 0, face); });
}

int DrawObjectManager::CreateOutlineFont(uint32_t* out, const char* face, int32_t height) {
  return CreateFont<OutlineFont>(out, 2, [&](OutlineFont& font) { return font.SetFont(height, 0, 0, face); });
}

int DrawObjectManager::CreateColorBox(uint32_t* out, int32_t width, int32_t height, uint32_t argb,
                                      int32_t x, int32_t y) {
  return CreateSprite<ColorBox>(out, 1, [&](ColorBox& box) { return box.Init(width, height, argb, x, y); });
}

}  // namespace orrivel
