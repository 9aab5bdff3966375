#pragma once
// Something outside the screen device's lists that keeps a raw pointer to a
// listed object (a timed action moving a sprite, an effect drawing into an
// image) and must let go of it before the object is deleted. The manager
// tells every attached watcher just before it deletes an image, a scene
// object or a sprite, whatever path deletes it (one handle, a group, all).
//
// The link is kept from both ends: a watcher detaches itself when it goes,
// and a manager that goes first tells its watchers so they do not reach
// back into it.
//
// Main thread only.

namespace orrivel {

class Drawable;
class DrawObjectManager;
class Image;
class SceneObject;

class DrawObjectWatcher {
 public:
  DrawObjectWatcher() = default;
  DrawObjectWatcher(const DrawObjectWatcher&) = delete;
  DrawObjectWatcher& operator=(const DrawObjectWatcher&) = delete;
  virtual ~DrawObjectWatcher();

  // Attaches to the manager (detaching from any other first); null detaches.
  void Watch(DrawObjectManager* manager);
  DrawObjectManager* Watched() const { return watched_; }

  virtual void ImageDeleting(const Image&) {}
  virtual void SceneObjectDeleting(const SceneObject&) {}
  virtual void SpriteDeleting(const Drawable&) {}

 private:
  friend class DrawObjectManager;
  DrawObjectManager* watched_ = nullptr;
};

}  // namespace orrivel
