#pragma once
// One owned list of the draw-object manager: objects in creation order, each
// reached from scripts by a 32-bit generation-tagged handle, each carrying
// the group id it was made in. Unlinking is O(1); a stale or forged handle
// finds nothing. The handles come from the process-wide handle space under
// the list's family (with the object's kind), so no handle of a list ever
// equals a live handle of any other object in the process, and a handle of
// one list (a font) is refused by another (images), or by a list of the
// same family that did not issue it.
//
// An object may also be lent to a list: it is named by a handle like the
// others, but it stays its lender's. Removing it only drops the handle; the
// lender takes its loans back before the object goes.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <list>
#include <memory>

#include "base/HandleSpace.h"

namespace orrivel {

// What the handle space keeps beside a listed object: the list that issued
// the handle.
struct OwnedHandleSlot {
  const void* list = nullptr;
};

template <class T>
class OwnedObjectList {
 public:
  // Deletes an owned object; a lent one is left to its lender.
  struct Deleter {
    bool owned = true;
    void operator()(T* object) const {
      if (owned) delete object;
    }
  };
  using Holder = std::unique_ptr<T, Deleter>;

  struct Entry : OwnedHandleSlot {
    Entry(Holder o, uint32_t group, const void* owner, const void* by)
        : OwnedHandleSlot{owner}, object(std::move(o)), groupId(group), lender(by) {}
    Holder object;
    uint32_t handle = 0;
    uint32_t groupId = 0;
    // Null for an owned object.
    const void* lender = nullptr;
    typename std::list<Entry>::iterator self;
  };

  explicit OwnedObjectList(HandleFamily family) : family_(family) {}
  OwnedObjectList(const OwnedObjectList&) = delete;
  OwnedObjectList& operator=(const OwnedObjectList&) = delete;
  ~OwnedObjectList() { Clear(); }

  // Appends the object at the tail; its handle (recording kind), or 0 (the
  // object is then deleted) when it is null or the space is full.
  uint32_t Add(std::unique_ptr<T> object, uint32_t groupId, uint8_t kind = 0) {
    return Insert(Holder(object.release(), Deleter{true}), groupId, nullptr, kind);
  }
  // Lists an object that stays the lender's (not null); its handle, or 0
  // when the space is full.
  uint32_t Lend(T* object, uint32_t groupId, const void* lender, uint8_t kind = 0) {
    return Insert(Holder(object, Deleter{false}), groupId, lender, kind);
  }

  Entry* Find(uint32_t handle) const {
    auto* slot = static_cast<OwnedHandleSlot*>(HandleSpace::Process().Holder(handle, family_));
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

  // Deletes the object (a lent one is only unlisted); false when the
  // handle is not live.
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
  typename std::list<Entry>::const_iterator begin() const { return entries_.begin(); }
  typename std::list<Entry>::const_iterator end() const { return entries_.end(); }

 private:
  // The handle dies before the object, so nothing reached while the object
  // is being destroyed can find it again.
  typename std::list<Entry>::iterator Erase(typename std::list<Entry>::iterator it) {
    HandleSpace::Process().Remove(it->handle);
    Holder object = std::move(it->object);
    auto next = entries_.erase(it);
    object.reset();
    return next;
  }

  uint32_t Insert(Holder object, uint32_t groupId, const void* lender, uint8_t kind) {
    if (!object) return 0;
    entries_.emplace_back(std::move(object), groupId, this, lender);
    Entry& entry = entries_.back();
    entry.self = std::prev(entries_.end());
    OwnedHandleSlot* slot = &entry;
    entry.handle = HandleSpace::Process().Insert(entry.object.get(), family_, kind, slot);
    if (entry.handle == 0) {
      entries_.pop_back();
      return 0;
    }
    return entry.handle;
  }

  HandleFamily family_;
  std::list<Entry> entries_;
};

}  // namespace orrivel
