#pragma once
// The image cursor of the mouse device drawn from a script's display
// object (a blitted image or a textured quad of the display's scene-object
// list). The mouse keeps the cursor between frames while the script may
// delete the object at any time, so the cursor holds the object's handle,
// not the object, and looks it up for every use: a deleted object simply
// stops answering (it reads as having no image and draws nothing).
#include <cstdint>

#include "base/CursorObject.h"

namespace orrivel {

class DrawObjectManager;
class SceneObject;

class SceneCursorObject final : public CursorObject {
 public:
  SceneCursorObject(const DrawObjectManager* objects, uint32_t handle) : objects_(objects), handle_(handle) {}

  // kImageObject for a blitted image, kQuadObject for a textured quad, -1
  // for any other kind and for a handle that names nothing.
  int32_t ObjectKind() const override;
  // 0; 1 when the object has no image or texture (or is gone); 2 when that
  // image has no surface to draw from.
  int32_t GetSourceRect(platform::Rect& out) const override;
  // Both move the source rectangle so its top left lies at (x, y).
  void SetRect(int32_t x, int32_t y, int32_t flag) override;
  void SetTexRect(int32_t x, int32_t y, int32_t flag) override;
  void SetVisible(bool visible) override;
  void SetPosition(int32_t x, int32_t y) override;

  uint32_t Handle() const { return handle_; }

 private:
  SceneObject* Object() const;

  const DrawObjectManager* objects_;
  uint32_t handle_;
};

}  // namespace orrivel
