#pragma once
// The 32-bit handles of the engine objects a script holds: display objects,
// fonts, sprites and drawables, controls, sounds, movies, pooled files and
// animations, system objects. One registry for all of them, so no two live
// objects share a handle; each slot records the object's family and kind,
// and a handle asked for as another family is refused like a stale one.
// Handle 0 is none. The registry does not own the objects.
//
// The numbers come from the process-wide handle space that the timer
// lists' tasks share, so a script's task handle never names an object and
// an object's handle never names a task. The registry gives back the
// handles it issued when it goes.
#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace orrivel {

enum class HandleFamily : uint8_t {
  DisplayObject,
  Font,
  Drawable,
  Control,
  Sound,
  Movie,
  PooledFile,
  PooledAnimation,
  SystemObject,
};

class ScriptHandles {
 public:
  ScriptHandles() = default;
  ~ScriptHandles();
  ScriptHandles(const ScriptHandles&) = delete;
  ScriptHandles& operator=(const ScriptHandles&) = delete;

  // The new handle; 0 for a null object or a full table.
  uint32_t Insert(void* object, HandleFamily family, uint8_t kind = 0);
  // The object, or null for 0, a stale or forged handle or another family.
  void* Find(uint32_t handle, HandleFamily family) const;
  template <class T>
  T* Get(uint32_t handle, HandleFamily family) const {
    return static_cast<T*>(Find(handle, family));
  }
  // The kind recorded with a live handle of the family; -1 when none.
  int32_t Kind(uint32_t handle, HandleFamily family) const;
  // Frees a handle this registry issued; false when it is not live or
  // another's (a task's handle, say).
  bool Remove(uint32_t handle);
  size_t Count() const { return issued_.size(); }

 private:
  std::unordered_set<uint32_t> issued_;
};

}  // namespace orrivel
