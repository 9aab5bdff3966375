#include "natives/ScriptHandles.h"

#include "base/HandleSpace.h"

namespace orrivel {

namespace {

// The scripts' families sit above the engine's own in the shared space.
constexpr uint8_t kFirstScriptFamily = 16;

uint8_t SpaceFamily(HandleFamily family) { return uint8_t(kFirstScriptFamily + uint8_t(family)); }

}  // namespace

ScriptHandles::~ScriptHandles() {
  for (uint32_t handle : issued_) HandleSpace::Process().Remove(handle);
}

uint32_t ScriptHandles::Insert(void* object, HandleFamily family, uint8_t kind) {
  const uint32_t handle = HandleSpace::Process().Insert(object, SpaceFamily(family), kind);
  if (handle != 0) issued_.insert(handle);
  return handle;
}

void* ScriptHandles::Find(uint32_t handle, HandleFamily family) const {
  return HandleSpace::Process().Find(handle, SpaceFamily(family));
}

int32_t ScriptHandles::Kind(uint32_t handle, HandleFamily family) const {
  return HandleSpace::Process().Kind(handle, SpaceFamily(family));
}

bool ScriptHandles::Remove(uint32_t handle) {
  if (issued_.erase(handle) == 0) return false;
  return HandleSpace::Process().Remove(handle);
}

}  // namespace orrivel
