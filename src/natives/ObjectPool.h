#pragma once
// The pools that keep the files and animations the scripts load, so a
// script's object stays valid until the script releases it and everything
// still loaded can be released at once. A pool keeps creation order.
//
// A pooled object counts its holders other than the pool itself (a timed
// task, a sprite, an animation player): each takes a hold with Hold and
// gives it back with Drop. Releasing from the pool deletes the object only
// when nobody else holds it; otherwise one hold is handed over and the
// object leaves the pool, and whoever drops the last hold afterwards
// deletes it. So an object is never left with no owner, nor deleted twice.
//
// Main thread only.
#include <cstdint>
#include <list>
#include <new>
#include <string_view>
#include <utility>

namespace orrivel {

class FileObject;
class LagAnimation;
class LadAnimation;
class AnimationPlayer;
class SurfaceFactoryPort;
class ImageSpritePort;
class SurfacePort;

// The count of holds besides the pool's, and whether the pool still keeps it.
struct PoolHolds {
  int32_t holders = 0;
  bool pooled = false;
};

template <class T>
class Pooled final : public PoolHolds, public T {
 public:
  template <class... Args>
  explicit Pooled(Args&&... args) : T(std::forward<Args>(args)...) {}
};

template <class T>
class ObjectPool {
 public:
  using Object = Pooled<T>;

  ObjectPool() = default;
  virtual ~ObjectPool() { ReleaseAll(); }
  ObjectPool(const ObjectPool&) = delete;
  ObjectPool& operator=(const ObjectPool&) = delete;

  // *out is 0 unless the object was made, loaded and added. 0 done; 1 no
  // memory; -1 the pool was cleared; else the load step's own code.
  // load(Object&) returns 0 on success.
  template <class Load, class... Args>
  int32_t CreateWith(Object** out, Load&& load, Args&&... args) {
    if (out != nullptr) *out = nullptr;
    if (cleared_) return -1;
    auto* object = new (std::nothrow) Object(std::forward<Args>(args)...);
    if (object == nullptr) return 1;
    int32_t code = load(*object);
    if (code != 0) {
      delete object;
      return code;
    }
    object->pooled = true;
    objects_.push_back(object);
    if (out != nullptr) *out = object;
    return 0;
  }

  // 0 done; 1 null object; 2 the pool does not hold it.
  int32_t Release(Object* object) {
    if (object == nullptr) return 1;
    for (auto it = objects_.begin(); it != objects_.end(); ++it) {
      if (*it != object) continue;
      objects_.erase(it);
      LeavePool(object);
      return 0;
    }
    return 2;
  }

  // Releases every object in creation order; the pool stays usable.
  void ReleaseAll() {
    std::list<Object*> objects;
    objects.swap(objects_);
    for (Object* object : objects) LeavePool(object);
  }

  // Forgets every object for good, without taking any of the other
  // holders' holds: an object nobody else holds is deleted (it would have
  // no owner left), the others are their holders'. Creating fails after.
  void Clear() {
    std::list<Object*> objects;
    objects.swap(objects_);
    for (Object* object : objects) {
      object->pooled = false;
      if (object->holders <= 0) delete object;
    }
    cleared_ = true;
  }

  size_t Count() const { return objects_.size(); }
  bool Contains(const Object* object) const {
    for (const Object* held : objects_) {
      if (held == object) return true;
    }
    return false;
  }

  // Another holder keeps the object.
  static void Hold(Object* object) {
    if (object != nullptr) ++object->holders;
  }
  // A holder lets go; the last one of an object out of its pool deletes
  // it. True when it was deleted.
  static bool Drop(Object* object) {
    if (object == nullptr) return false;
    if (object->holders > 0) {
      --object->holders;
      return false;
    }
    if (object->pooled) return false;  // the pool's own hold is not a holder's to give
    delete object;
    return true;
  }

 private:
  static void LeavePool(Object* object) {
    object->pooled = false;
    if (object->holders > 0) {
      --object->holders;
    } else {
      delete object;
    }
  }

  std::list<Object*> objects_;
  bool cleared_ = false;
};

// Empty files, opened later by the file natives.
class FilePool : public ObjectPool<FileObject> {
 public:
  int32_t Create(Object** out);
};

class LagAnimationPool : public ObjectPool<LagAnimation> {
 public:
  // The animation's pictures come from the factory.
  int32_t Create(Object** out, SurfaceFactoryPort* surfaces, std::string_view fileName, bool indexed);
};

class LadAnimationPool : public ObjectPool<LadAnimation> {
 public:
  int32_t Create(Object** out, std::string_view fileName);
};

// Players own the surface they draw the cells into.
class AnimationPlayerPool : public ObjectPool<AnimationPlayer> {
 public:
  // The load step is the player's LoadImage with these arguments; the
  // player's surfaces come from the factory.
  struct LoadArgs {
    SurfaceFactoryPort* surfaces = nullptr;
    std::string_view fileName;
    int32_t cellCount = 0;
    const void* owner = nullptr;
    ImageSpritePort* sprite = nullptr;
    SurfacePort* surface = nullptr;
    int32_t originX = 0;
    int32_t originY = 0;
    uint8_t option = 0;
    int32_t mode = 0;
    uint8_t flag = 0;
    bool indexed = false;
    uint32_t colorKey = 0xFFFFFFFFu;
  };
  int32_t Create(Object** out, const LoadArgs& args);
};

}  // namespace orrivel
