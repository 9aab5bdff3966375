#pragma once
// How the image natives reach the display object a script names: the
// handle is looked up in the screen device's image list first (0, a
// deleted object's handle, a forged value and the handle of a font, sprite
// or scene object all find nothing), then the object's kind says what lies
// behind it:
//
//   kind 4 (a memory picture)        the picture itself; no canvas part
//   kinds 7-10 (the canvas images)   the Surface of their canvas part, the
//                                    part, and the part's SpriteCanvas
//   any other kind                   nothing
//
// Every image native goes through these, so a handle that resolves to
// nothing never reaches an operation: the native answers its failure value.
#include <cstdint>

namespace orrivel {

class CanvasDrawObject;
class DrawObjectManager;
class Image;
class SpriteCanvas;
class Surface;

// The image list the scripts' handles name: the current display's, or
// null when there is no display.
DrawObjectManager* ScriptDisplayObjects();

// The listed image of any kind; null for an unknown handle.
Image* GetObjectImage(const DrawObjectManager* objects, uint32_t handle);
// The drawing surface: kind 4 itself, kinds 7-10 their canvas part's.
Surface* GetObjectSurface(const DrawObjectManager* objects, uint32_t handle);
// The canvas part of kinds 7-10; null for every other kind.
CanvasDrawObject* GetCanvasPart(const DrawObjectManager* objects, uint32_t handle);
// The canvas part's sprite canvas; null also while the part has none.
SpriteCanvas* GetObjectSpriteCanvas(const DrawObjectManager* objects, uint32_t handle);
// The canvas part, with its sprite canvas written through out; for any
// handle without a canvas part null, and out is left as it was.
CanvasDrawObject* GetCanvasPartWithSpriteCanvas(const DrawObjectManager* objects, uint32_t handle,
                                                SpriteCanvas** out);

// The same on the current display's list.
inline Surface* GetObjectSurface(uint32_t handle) { return GetObjectSurface(ScriptDisplayObjects(), handle); }
inline CanvasDrawObject* GetCanvasPart(uint32_t handle) { return GetCanvasPart(ScriptDisplayObjects(), handle); }
inline SpriteCanvas* GetObjectSpriteCanvas(uint32_t handle) {
  return GetObjectSpriteCanvas(ScriptDisplayObjects(), handle);
}
inline CanvasDrawObject* GetCanvasPartWithSpriteCanvas(uint32_t handle, SpriteCanvas** out) {
  return GetCanvasPartWithSpriteCanvas(ScriptDisplayObjects(), handle, out);
}

}  // namespace orrivel
