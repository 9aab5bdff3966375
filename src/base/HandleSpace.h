#pragma once
// The one process-wide space of 32-bit generation-tagged handles: the
// timer lists' tasks and every engine object the scripts hold (the display
// objects of the screen device's lists as well as controls, sounds, pooled
// objects and system objects) take their numbers from it, so no two live
// objects share a handle whatever their kind or whoever issued it. Each
// handle records its family (and a kind within it); a handle asked for as
// another family is refused like a stale one. Handle 0 is none. The space
// does not own the objects.
//
// Any thread: every operation takes the space's lock.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "base/HandleTable.h"

namespace orrivel {

// What a handle names. The object stored with a handle of a family is
// always of that family's type (an Image*, a Font*, a Control*...), so a
// family tells how to read it.
enum class HandleFamily : uint8_t {
  // The engine's own.
  TimedTask = 0,
  // The scripts' objects.
  Image = 16,
  SceneObject,
  Font,
  Sprite,
  Control,
  Sound,
  Movie,
  PooledFile,
  PooledAnimation,
  SystemObject,
};

class HandleSpace {
 public:
  // The process's space (never destroyed, so static objects may free their
  // handles at exit).
  static HandleSpace& Process();

  // The new handle; 0 for a null object or a full space. holder is what
  // the issuer keeps beside the object (a list's entry), handed back by
  // Holder; null for none.
  uint32_t Insert(void* object, HandleFamily family, uint8_t kind = 0, void* holder = nullptr);
  // The object, or null for 0, a stale or forged handle or another family.
  void* Find(uint32_t handle, HandleFamily family) const;
  // The holder stored with a live handle of the family, or null.
  void* Holder(uint32_t handle, HandleFamily family) const;
  // The kind recorded with a live handle of the family; -1 when none.
  int32_t Kind(uint32_t handle, HandleFamily family) const;
  // Frees the handle; false when it is not live.
  bool Remove(uint32_t handle);
  size_t Count() const;

 private:
  struct Entry {
    void* object;
    void* holder;
    HandleFamily family;
    uint8_t kind;
  };
  const Entry* Live(uint32_t handle, HandleFamily family) const;

  mutable std::mutex lock_;
  HandleTable<Entry> table_;
  std::vector<std::unique_ptr<Entry>> entries_;  // slots reused by the table
  std::vector<Entry*> spare_;
};

}  // namespace orrivel
