#pragma once
// One owned list of the draw-object manager: objects in creation order, each
// reached from scripts by a 32-bit generation-tagged handle, each carrying
// the group id it was made in. Unlinking is O(1); a stale or forged handle
// finds nothing. Lists that share one handle table never issue the same
// handle, so a handle of one list (a font) is refused by another (images).
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <memory>

#include "base/HandleTable.h"

namespace orrivel {

// What a shared handle table points at: the list that issued the handle.
struct OwnedHandleSlot {
  const void* list = nullptr;
};
using OwnedHandleTable = HandleTable<OwnedHandleSlot>;

template <class T>
class OwnedObjectList {
 public:
  struct Entry : OwnedHandleSlot {
    Entry(std::unique_ptr<T> o, uint32_t group, const void* owner)
        : OwnedHandleSlot{owner}, object(std::move(o)), groupId(group) {}
    std::unique_ptr<T> object;
    uint32_t handle = 0;
    uint32_t groupId = 0;
    typename std::list<Entry>::iterator self;
  };

  // shared null: the list keeps a table of its own.
  explicit OwnedObjectList(OwnedHandleTable* shared = nullptr) : handles_(shared ? shared : &own_) {}
  OwnedObjectList(const OwnedObjectList&) = delete;
  OwnedObjectList& operator=(const OwnedObjectList&) = delete;
  ~OwnedObjectList() { Clear(); }

  // Appends the object at the tail; its handle, or 0 (the object is then
  // deleted) when it is null or the table is full.
  uint32_t Add(std::unique_ptr<T> object, uint32_t groupId) {
    if (!object) return 0;
    entries_.emplace_back(std::move(object), groupId, this);
    Entry& entry = entries_.back();
    entry.self = std::prev(entries_.end());
    entry.handle = handles_->Insert(&entry);
    if (entry.handle == 0) {
      entries_.pop_back();
      return 0;
    }
    return entry.handle;
  }

  Entry* Find(uint32_t handle) const {
    OwnedHandleSlot* slot = handles_->Get(handle);
    return slot != nullptr && slot->list == this ? static_cast<Entry*>(slot) : nullptr;
  }
  T* Get(uint32_t handle) const {
    Entry* entry = Find(handle);
    return entry != nullptr ? entry->object.get() : nullptr;
  }
  // The handle of a listed object, or 0.
  uint32_t HandleOf(const T* object) const {
    for (const Entry& entry : entries_) {
      if (entry.object.get() == object) return entry.handle;
    }
    return 0;
  }

  // Deletes the object; false when the handle is not live.
  bool Remove(uint32_t handle) {
    Entry* entry = Find(handle);
    if (entry == nullptr) return false;
    Erase(entry->self);
    return true;
  }

  // Deletes every object for which pred (entry) is true, head to tail.
  template <class Pred>
  void RemoveIf(Pred pred) {
    for (auto it = entries_.begin(); it != entries_.end();) {
      it = pred(static_cast<const Entry&>(*it)) ? Erase(it) : std::next(it);
    }
  }

  // Deletes every object, head to tail.
  void Clear() {
    while (!entries_.empty()) Erase(entries_.begin());
  }

  size_t Count() const { return entries_.size(); }
  typename std::list<Entry>::iterator begin() { return entries_.begin(); }
  typename std::list<Entry>::iterator end() { return entries_.end(); }

 private:
  // The handle dies before the object, so nothing reached while the object
  // is being destroyed can find it again.
  typename std::list<Entry>::iterator Erase(typename std::list<Entry>::iterator it) {
    handles_->Remove(it->handle);
    std::unique_ptr<T> object = std::move(it->object);
    auto next = entries_.erase(it);
    object.reset();
    return next;
  }

  OwnedHandleTable own_;
  OwnedHandleTable* handles_;
  std::list<Entry> entries_;
};

}  // namespace orrivel
