#pragma once
// Anything the screen device draws in its Direct3D scene: textured quads,
// coloured primitives, transition objects and the state sets. The registry
// it is linked into draws it in priority order; its owner deletes it.
#include <cstdint>

#include "base/WeakLink.h"
#include "raster/Rect.h"

namespace orrivel {

class D3DDevice;
class Image;
class SceneObjectRegistry;

// Kind numbers of the state sets; the drawing kinds add their own.
inline constexpr int kSceneObjectRenderStateSet = 9;
inline constexpr int kSceneObjectStageStateSet = 10;

class SceneObject : public LinkTarget {
 public:
  SceneObject() = default;
  SceneObject(const SceneObject&) = delete;
  SceneObject& operator=(const SceneObject&) = delete;
  // Unregisters the object from its registry first.
  virtual ~SceneObject();

  virtual bool IsVisible() const { return visible_ != 0; }
  virtual void SetVisible(bool visible) { visible_ = visible ? 1 : 0; }
  virtual int GetKind() const = 0;
  // Draws the object; a non-zero result stops the drawing pass and becomes
  // its result.
  virtual int Draw(int32_t a, int32_t b, D3DDevice* device) = 0;
  // Re-creates what a device reset lost; non-zero stops the restore pass.
  virtual int Restore() { return 0; }

  // Position operations of the drawing kinds; the state sets have none and
  // ignore them (GetPosition answers false).
  virtual void SetPosition(int32_t, int32_t) {}
  virtual void SetSize(int32_t, int32_t) {}
  virtual void SetSizeAndPosition(int32_t, int32_t, int32_t, int32_t) {}
  virtual void MoveBy(int32_t, int32_t) {}
  virtual bool GetPosition(int32_t*, int32_t*) const { return false; }
  // The alpha of the kinds that carry a colour (its top byte); false and
  // ignored for the others.
  virtual bool GetAlpha(uint8_t*) const { return false; }
  virtual void SetAlpha(uint8_t) {}
  // Right and bottom exclusive; precise asks for the picture's own pixels.
  virtual bool HitTest(int32_t, int32_t, uint8_t) { return false; }
  // True when the two bounds overlap (strictly on all four sides).
  virtual bool Overlaps(SceneObject* other);
  // False when the object has no bounds (yet).
  virtual bool GetBounds(Rect*) const { return false; }
  // The image is about to be deleted: an object that borrows it lets go of
  // it (and hides, having nothing left to draw).
  virtual void ForgetImage(const Image*) {}

  SceneObjectRegistry* Registry() const { return registry_; }

  uint32_t groupId = 0;  // set by the owner

 private:
  friend class SceneObjectRegistry;
  uint8_t visible_ = 1;
  SceneObjectRegistry* registry_ = nullptr;
};

}  // namespace orrivel
