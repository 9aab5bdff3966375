#include "natives/ScriptHandles.h"


namespace orrivel {

ScriptHandles::~ScriptHandles() {
  for (uint32_t handle : issued_) HandleSpace::Process().Remove(handle);
}

uint32_t ScriptHandles::Insert(void* object, HandleFamily family, uint8_t kind) {
  const uint32_t handle = HandleSpace::Process().Insert(object, family, kind);
  if (handle != 0) issued_.insert(handle);
  return handle;
}

void* ScriptHandles::Find(uint32_t handle, HandleFamily family) const {
  return HandleSpace::Process().Find(handle, family);
}

int32_t ScriptHandles::Kind(uint32_t handle, HandleFamily family) const {
  return HandleSpace::Process().Kind(handle, family);
}

bool ScriptHandles::Remove(uint32_t handle) {
  if (issued_.erase(handle) == 0) return false;
  return HandleSpace::Process().Remove(handle);
}

}  // namespace orrivel
