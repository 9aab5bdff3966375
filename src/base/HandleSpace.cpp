#include "base/HandleSpace.h"

namespace orrivel {

HandleSpace& HandleSpace::Process() {
  static HandleSpace* space = new HandleSpace;  // outlives every static owner
  return *space;
}

uint32_t HandleSpace::Insert(void* object, HandleFamily family, uint8_t kind, void* holder) {
  if (!object) return 0;
  std::lock_guard<std::mutex> guard(lock_);
  Entry* entry;
  if (!spare_.empty()) {
    entry = spare_.back();
    spare_.pop_back();
  } else {
    entry = entries_.emplace_back(std::make_unique<Entry>()).get();
  }
  *entry = Entry{object, holder, family, kind};
  const uint32_t handle = table_.Insert(entry);
  if (handle == 0) spare_.push_back(entry);
  return handle;
}

const HandleSpace::Entry* HandleSpace::Live(uint32_t handle, HandleFamily family) const {
  const Entry* entry = table_.Get(handle);
  return entry && entry->family == family ? entry : nullptr;
}

void* HandleSpace::Find(uint32_t handle, HandleFamily family) const {
  std::lock_guard<std::mutex> guard(lock_);
  const Entry* entry = Live(handle, family);
  return entry ? entry->object : nullptr;
}

void* HandleSpace::Holder(uint32_t handle, HandleFamily family) const {
  std::lock_guard<std::mutex> guard(lock_);
  const Entry* entry = Live(handle, family);
  return entry ? entry->holder : nullptr;
}

int32_t HandleSpace::Kind(uint32_t handle, HandleFamily family) const {
  std::lock_guard<std::mutex> guard(lock_);
  const Entry* entry = Live(handle, family);
  return entry ? entry->kind : -1;
}

bool HandleSpace::Remove(uint32_t handle) {
  std::lock_guard<std::mutex> guard(lock_);
  Entry* entry = table_.Get(handle);
  if (!entry || !table_.Remove(handle)) return false;
  spare_.push_back(entry);
  return true;
}

size_t HandleSpace::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return table_.Count();
}

}  // namespace orrivel
