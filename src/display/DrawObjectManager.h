#pragma once
// The ownership layer of the screen device: every image, scene object,
// font and sprite that scripts create lives in one of four owned lists and
// is reached by a 32-bit generation-tagged handle, which is what scripts
// keep. Images and scene objects take the current image group id, sprites
// the current sprite group id, fonts none. Objects are deleted one at a
// time, by group, or all at once (fonts excepted), and after the display
// surfaces were lost every image and scene object restores itself.
//
// Main thread only.
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "display/OwnedObjectList.h"
#include "display/SceneObject.h"
#include "display/SceneObjectRegistry.h"
#include "display/ScreenImage.h"
#include "platform/SoftSurface.h"
#include "raster/Drawable.h"
#include "raster/Image.h"
#include "text/Font.h"

namespace orrivel {

class D3DDevice;
class DrawObjectWatcher;
class TextureSource;
class TransitionRunner;
class ScriptAddressSpace;

class DrawObjectManager {
 public:
  // The device whose states are sent again after a restore (may be null).
  explicit DrawObjectManager(D3DDevice* device = nullptr);
  DrawObjectManager(const DrawObjectManager&) = delete;
  DrawObjectManager& operator=(const DrawObjectManager&) = delete;
  // Deletes everything, fonts included.
  virtual ~DrawObjectManager();

  void SetDevice(D3DDevice* device) { device_ = device; }

  // --- group ids: each setter returns the previous value ---------------------------------
  uint32_t SetImageGroupId(uint32_t id);
  uint32_t ImageGroupId() const { return imageGroupId_; }
  uint32_t SetSpriteGroupId(uint32_t id);
  uint32_t SpriteGroupId() const { return spriteGroupId_; }

  // --- adding: the manager takes the object; the handle, or 0 (object deleted) -----------
  uint32_t AddImage(std::unique_ptr<Image> image);
  uint32_t AddSceneObject(std::unique_ptr<SceneObject> object);
  uint32_t AddFont(std::unique_ptr<Font> font);
  uint32_t AddSprite(std::unique_ptr<Drawable> sprite);

  // --- lending: an object that stays its lender's, named by a handle while lent ---------
  // The handle of the image or sprite: the one it is listed under already
  // (owned or lent), else a new one lent by lender; 0 for null or a full
  // table. Removing a lent object by any path (one handle, a group, all)
  // only drops its handle: the object is never deleted here.
  uint32_t LendImage(Image* image, const void* lender);
  uint32_t LendSprite(Drawable* sprite, const void* lender);
  // Takes back every object the lender lent (or only that object), as a
  // deletion would: watchers and borrowers let go, the handles go stale.
  // A lender calls it before its objects go.
  void EndLoans(const void* lender);
  void EndLoan(const void* lender, const void* object);
  bool IsLent(uint32_t handle) const;

  // The shape of every creation: *out cleared; the object allocated
  // (allocationFailure when that fails); its create step run with the
  // object (a non-zero code deletes it and is returned); then listed and
  // its handle stored through out.
  template <class T, class Step>
  int CreateImage(uint32_t* out, int allocationFailure, Step&& step) {
    return Create<T>(out, allocationFailure, step, [this](std::unique_ptr<T> o) { return AddImage(std::move(o)); });
  }
  template <class T, class Step>
  int CreateSceneObject(uint32_t* out, int allocationFailure, Step&& step) {
    return Create<T>(out, allocationFailure, step,
                     [this](std::unique_ptr<T> o) { return AddSceneObject(std::move(o)); });
  }
  template <class T, class Step>
  int CreateFont(uint32_t* out, int allocationFailure, Step&& step) {
    return Create<T>(out, allocationFailure, step, [this](std::unique_ptr<T> o) { return AddFont(std::move(o)); });
  }
  template <class T, class Step>
  int CreateSprite(uint32_t* out, int allocationFailure, Step&& step) {
    return Create<T>(out, allocationFailure, step,
                     [this](std::unique_ptr<T> o) { return AddSprite(std::move(o)); });
  }

  // The surface images scripts make. Allocation failure: 5 blank, 7 from a
  // file, 2 text.
  int CreateBlankSurfaceImage(uint32_t* out, int32_t width, int32_t height, uint8_t systemMemory,
                              uint8_t texture, const platform::SurfacePixelFormat* format);
  int CreateSurfaceImageFromFile(uint32_t* out, const char* name, const uint8_t* data,
                                 uint64_t size, uint8_t systemMemory);
  int CreateDdSurface(uint32_t* out, const char* text, uint32_t fontHandle);
  // A picture in a texture (MediaImage::Load's codes); 11 when out of memory.
  int CreateMediaImage(uint32_t* out, uint32_t formatCode, const char* name, const uint8_t* data,
                       uint64_t size, uint8_t createFlags);
  // A line of text in a texture (TextImage::Create's codes); 2 when out of
  // memory. Font handle 0 draws with the default font.
  int CreateTextImage(uint32_t* out, const char* text, uint32_t fontHandle, uint32_t formatCode);
  // A movie frame surface without its surface yet (LockedFrameSource::Create
  // makes it); 1 when out of memory.
  int CreateLockedFrameSource(uint32_t* out);

  // Plain pictures in memory. Allocation failure: 4 blank or like another,
  // 6 from a file or a text. A source given by a handle that names no
  // memory picture fails as the step does for a missing source.
  int CreateSurface(uint32_t* out, int32_t width, int32_t height, uint8_t bitCount, uint8_t flags);
  int CreateSurfaceFromFile(uint32_t* out, const char* name, const uint8_t* data, uint64_t size,
                            uint8_t flags);
  int CreateSurfaceFromFileIndexed(uint32_t* out, const char* name, const uint8_t* data,
                                   uint64_t size, uint8_t flags);
  // Drawn in the colour (0x00RRGGBB); the font keeps its own colour after.
  int CreateSurfaceFromText(uint32_t* out, const char* text, uint32_t fontHandle, uint32_t rgb);
  int CreateSurfaceLike(uint32_t* out, uint32_t sourceHandle, uint8_t flags);
  // Scene objects. Allocation failure: 2 transition, 1 state sets.
  int CreateTransitionObject(uint32_t* out, uint32_t sourceHandle, uint32_t destinationHandle,
                             uint32_t mode, int32_t x, int32_t y, int32_t progress);
  int CreateRenderStateSet(uint32_t* out);
  int CreateStageStateSet(uint32_t* out);
  // Fonts (allocation failure 2), made at a height in the face.
  int CreateGdiFont(uint32_t* out, const char* face, int32_t height);
  int CreateOutlineFont(uint32_t* out, const char* face, int32_t height);
  // The software colour box sprite (allocation failure 1).
  int CreateColorBox(uint32_t* out, int32_t width, int32_t height, uint32_t argb, int32_t x,
                     int32_t y);
  // The Direct3D draw objects: allocation failure 2, the colour box 1. An
  // image or texture handle that names none fails as the step does for a
  // missing one. The polygon reads its points from the script's arena (see
  // D3DPolygon::Create); arrays handed over are freed even when it cannot
  // be allocated.
  int CreateD3DImage(uint32_t* out, uint32_t imageHandle, const Rect* source, int32_t x, int32_t y);
  int CreateD3DQuad(uint32_t* out, uint32_t textureHandle, const Rect* source, int32_t x, int32_t y);
  int CreateD3DPolygon(uint32_t* out, ScriptAddressSpace* space, uint32_t count, uint32_t xArray,
                       uint32_t yArray, uint32_t argb, uint8_t mode, uint8_t takesArrays);
  int CreateD3DTriangle(uint32_t* out, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2,
                        int32_t y2, uint32_t argb, int32_t x, int32_t y);
  int CreateD3DColorBox(uint32_t* out, int32_t width, int32_t height, uint32_t argb, int32_t x,
                        int32_t y);
  // Image sprites, canvas images (scene/CanvasDrawImage.h), the canvas
  // surface images and their two scene objects
  // (scene/DecodedCanvasObjectA.h, scene/DecodedCanvasObjectB.h,
  // scene/D3DCanvasImage.h, scene/D3DCanvasQuad.h) are made above this layer
  // (scene/DrawObjectCreation.h).

  // The library that renders transition steps for the transition objects
  // made from now on (not owned; null: they can't draw into an image).
  void SetTransitionRunner(TransitionRunner* runner) { transitionRunner_ = runner; }
  TransitionRunner* GetTransitionRunner() const { return transitionRunner_; }
  // The next creation fails as if the object could not be allocated.
  void FailNextAllocation() { failNextAllocation_ = true; }

  // --- look-up: null for 0, stale or forged handles ---------------------------------------
  Image* GetImage(uint32_t handle) const { return images_.Get(handle); }
  // The handle of a listed image; 0 for any other.
  uint32_t HandleOfImage(const Image* image) const { return images_.HandleOf(image); }
  // The texture of a listed image held in one; null for every other image.
  TextureSource* GetTextureSource(uint32_t handle) const;
  SceneObject* GetSceneObject(uint32_t handle) const { return sceneObjects_.Get(handle); }
  // Listed fonts, and the fonts the system names for the scripts outside
  // any list (see ScriptHandles): those are never deleted from here.
  Font* GetFont(uint32_t handle) const;
  Drawable* GetSprite(uint32_t handle) const { return sprites_.Get(handle); }
  // The group id a sprite was made in; 0 for an unknown handle.
  uint32_t GetSpriteGroupId(uint32_t handle) const;

  // --- removal: 1 for handle 0, 2 when no listed object has it, else deleted and 0 --------
  int RemoveImage(uint32_t handle);
  int RemoveSceneObject(uint32_t handle);
  int RemoveSprite(uint32_t handle);
  // The same through the caller's handle, which is cleared on success.
  int DeleteImage(uint32_t* handle);
  int DeleteSprite(uint32_t* handle);
  int RemoveFont(uint32_t* handle);

  // Scene objects, sprites and images, then the registry is emptied; fonts stay.
  void DeleteAll();
  void DeleteAllSprites();
  void DeleteAllFonts();
  // Flag bit 1: images too; bit 2: every object NOT of the group. Scene
  // objects are always examined; sprites and fonts never.
  void DeleteByGroup(uint32_t group, uint32_t flags);
  // Sprites of the group, or with invert those of every other group.
  void DeleteSpritesByGroup(uint32_t group, uint8_t invert);

  // Restores every image (with the argument), sends the device's states
  // again and restores every registered scene object. Every object is
  // tried whatever the others answer; the first failure is returned.
  int RestoreAllObjects(uint8_t checkLost);

  // Watchers hear of every image, scene object and sprite just before it
  // is deleted (see DrawObjectWatcher); attach through DrawObjectWatcher::Watch.
  size_t WatcherCount() const { return watchers_.size(); }

  SceneObjectRegistry& Registry() { return registry_; }
  size_t ImageCount() const { return images_.Count(); }
  size_t SceneObjectCount() const { return sceneObjects_.Count(); }
  size_t FontCount() const { return fonts_.Count(); }
  size_t SpriteCount() const { return sprites_.Count(); }

 private:
  template <class T, class Step, class Add>
  int Create(uint32_t* out, int allocationFailure, Step& step, Add add) {
    if (out != nullptr) *out = 0;
    if (failNextAllocation_) {
      failNextAllocation_ = false;
      return allocationFailure;
    }
    std::unique_ptr<T> object(new (std::nothrow) T());
    if (!object) return allocationFailure;
    const int code = step(*object);
    if (code != 0) return code;
    const uint32_t handle = add(std::move(object));
    if (handle == 0) return allocationFailure;
    if (out != nullptr) *out = handle;
    return 0;
  }

  // Every scene object, sprite and partner picture that borrows the image
  // lets go of it before it is deleted (null: partners of every image).
  void ForgetImage(const Image* image);
  const void* LenderOfImage(const Image* image) const;
  // Every deletion path tells the watchers first.
  friend class DrawObjectWatcher;
  void Attach(DrawObjectWatcher* watcher);
  void Detach(DrawObjectWatcher* watcher);
  void AnnounceImage(const Image& image) const;
  void AnnounceSceneObject(const SceneObject& object) const;
  void AnnounceSprite(const Drawable& sprite) const;

  D3DDevice* device_ = nullptr;
  TransitionRunner* transitionRunner_ = nullptr;
  bool failNextAllocation_ = false;
  uint32_t imageGroupId_ = 0;
  uint32_t spriteGroupId_ = 0;
  // Handles of the process-wide space, one family per list: a handle names
  // one object of one list.
  OwnedObjectList<Image> images_{HandleFamily::Image};
  OwnedObjectList<SceneObject> sceneObjects_{HandleFamily::SceneObject};
  OwnedObjectList<Font> fonts_{HandleFamily::Font};
  OwnedObjectList<Drawable> sprites_{HandleFamily::Sprite};
  SceneObjectRegistry registry_;
  std::vector<DrawObjectWatcher*> watchers_;
};

}  // namespace orrivel
