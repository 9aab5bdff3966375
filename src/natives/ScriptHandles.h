#pragma once
// The 32-bit handles of the engine objects a script holds beside the
// screen device's display objects: controls, sounds, pooled files and
// animations, system objects and the system's own font. Each slot records
// the object's family and kind, and a handle asked for as another family is
// refused like a stale one. Handle 0 is none. The registry does not own the
// objects.
//
// The numbers come from the process-wide handle space that the timer
// lists' tasks and the display lists share, so no handle of one ever names
// an object of another. The registry gives back the handles it issued when
// it goes.
#include <cstddef>
#include <cstdint>
#include <unordered_set>

#include "base/HandleSpace.h"

namespace orrivel {

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
