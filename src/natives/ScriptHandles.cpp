#include "natives/ScriptHandles.h"

namespace orrivel {

uint32_t ScriptHandles::Insert(void* object, HandleFamily family, uint8_t kind) {
  if (!object) return 0;
  Entry* entry;
  if (!spare_.empty()) {
    entry = spare_.back();
    spare_.pop_back();
  } else {
    entry = entries_.emplace_back(std::make_unique<Entry>()).get();
  }
  *entry = Entry{object, family, kind};
  const uint32_t handle = table_.Insert(entry);
  if (handle == 0) spare_.push_back(entry);
  return handle;
}

const ScriptHandles::Entry* ScriptHandles::Live(uint32_t handle, HandleFamily family) const {
  const Entry* entry = table_.Get(handle);
  return entry && entry->family == family ? entry : nullptr;
}

void* ScriptHandles::Find(uint32_t handle, HandleFamily family) const {
  const Entry* entry = Live(handle, family);
  return entry ? entry->object : nullptr;
}

int32_t ScriptHandles::Kind(uint32_t handle, HandleFamily family) const {
  const Entry* entry = Live(handle, family);
  return entry ? entry->kind : -1;
}

bool ScriptHandles::Remove(uint32_t handle) {
  Entry* entry = table_.Get(handle);
  if (!entry || !table_.Remove(handle)) return false;
  spare_.push_back(entry);
  return true;
}

}  // namespace orrivel
