#pragma once
// The one process-wide space of 32-bit generation-tagged handles: the
// timer lists' tasks and every engine object the scripts hold take their
// numbers from it, so no two live objects share a handle whatever their
// kind. Each handle records its family (and a kind within it); a handle
// asked for as another family is refused like a stale one. Handle 0 is
// none. The space does not own the objects.
//
// Any thread: every operation takes the space's lock.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "base/HandleTable.h"

namespace orrivel {

class HandleSpace {
 public:
  // Families below 16 are the engine's own; the scripts' objects use theirs
  // above it.
  static constexpr uint8_t kTimedTaskFamily = 0;

  // The process's space (never destroyed, so static objects may free their
  // handles at exit).
  static HandleSpace& Process();

  // The new handle; 0 for a null object or a full space.
  uint32_t Insert(void* object, uint8_t family, uint8_t kind = 0);
  // The object, or null for 0, a stale or forged handle or another family.
  void* Find(uint32_t handle, uint8_t family) const;
  // The kind recorded with a live handle of the family; -1 when none.
  int32_t Kind(uint32_t handle, uint8_t family) const;
  // Frees the handle; false when it is not live.
  bool Remove(uint32_t handle);
  size_t Count() const;

 private:
  struct Entry {
    void* object;
    uint8_t family;
    uint8_t kind;
  };
  const Entry* Live(uint32_t handle, uint8_t family) const;

  mutable std::mutex lock_;
  HandleTable<Entry> table_;
  std::vector<std::unique_ptr<Entry>> entries_;  // slots reused by the table
  std::vector<Entry*> spare_;
};

}  // namespace orrivel
