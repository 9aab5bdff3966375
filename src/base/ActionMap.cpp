#include "base/ActionMap.h"

#include <algorithm>
#include <new>

#include "base/InputManager.h"

namespace orrivel {

int32_t ActionMap::Create(uint32_t count) {
  Free();
  if (count == 0) return 1;
  try {
    actions_.resize(count);
  } catch (const std::bad_alloc&) {
    return 2;
  }
  return 0;
}

void ActionMap::Free() { actions_.clear(); }

InputDevice* ActionMap::DeviceOf(int32_t device) const {
  if (!manager_ || device < 0) return nullptr;
  if (device == 0) return manager_->Keyboard();
  if (device == 1) return manager_->Mouse();
  return manager_->GetJoystick(uint32_t(device - 2));
}

int32_t ActionMap::NumberOf(const InputDevice* device) const {
  if (!manager_ || !device) return -1;
  if (device == manager_->Keyboard()) return 0;
  if (device == manager_->Mouse()) return 1;
  for (uint32_t n = 0; n < manager_->JoystickCount(); ++n) {
    if (device == manager_->GetJoystick(n)) return int32_t(n + 2);
  }
  return -1;
}

int32_t ActionMap::SetBinding(uint32_t action, int32_t device, uint8_t code) {
  if (!manager_ || action >= actions_.size()) return 1;
  InputDevice* target = DeviceOf(device);
  if (!target) return 2;
  try {
    actions_[action].push_back(Binding{target, code});
  } catch (const std::bad_alloc&) {
    return 1;
  }
  return 0;
}

int32_t ActionMap::RemoveBinding(uint32_t action, int32_t device, uint8_t code) {
  if (!manager_ || action >= actions_.size()) return 1;
  std::vector<Binding>& bindings = actions_[action];
  if (device < 0) {
    bindings.clear();
    return 0;
  }
  InputDevice* target = DeviceOf(device);
  if (!target) return 2;
  auto it = std::find_if(bindings.begin(), bindings.end(),
                         [&](const Binding& b) { return b.device == target && b.code == code; });
  if (it == bindings.end()) return 3;
  bindings.erase(it);
  return 0;
}

int32_t ActionMap::ChangeBinding(uint32_t action, int32_t device, uint8_t newCode, int32_t oldCode) {
  if (!manager_ || action >= actions_.size()) return 1;
  InputDevice* target = nullptr;
  if (device >= 0) {
    target = DeviceOf(device);
    if (!target) return 2;
  }
  for (Binding& binding : actions_[action]) {
    if (target && binding.device != target) continue;
    if (oldCode >= 0 && binding.code != oldCode) continue;
    binding.code = newCode;
    return 0;
  }
  return 3;
}

bool ActionMap::IsDown(uint32_t action) const {
  if (action >= actions_.size()) return false;
  for (const Binding& binding : actions_[action]) {
    if (binding.device->IsDown(binding.code)) return true;
  }
  return false;
}

bool ActionMap::IsPressed(uint32_t action) const {
  if (action >= actions_.size()) return false;
  for (const Binding& binding : actions_[action]) {
    if (binding.device->IsPressed(binding.code)) return true;
  }
  return false;
}

template <typename Query>
int32_t ActionMap::FindAction(uint32_t first, uint32_t count, Query query) const {
  uint64_t end = uint64_t(first) + count;
  if (count == 0 || end > actions_.size()) end = actions_.size();
  for (uint64_t action = first; action < end; ++action) {
    if (query(uint32_t(action))) return int32_t(action);
  }
  return -1;
}

int32_t ActionMap::FindHeldAction(uint32_t first, uint32_t count) const {
  return FindAction(first, count, [this](uint32_t action) { return IsDown(action); });
}

int32_t ActionMap::FindPressedAction(uint32_t first, uint32_t count) const {
  return FindAction(first, count, [this](uint32_t action) { return IsPressed(action); });
}

uint32_t ActionMap::CountBindings(uint32_t action, int32_t device) const {
  if (action >= actions_.size()) return 0;
  const std::vector<Binding>& bindings = actions_[action];
  if (device < 0) return uint32_t(bindings.size());
  InputDevice* target = DeviceOf(device);
  if (!target) return 0;
  return uint32_t(std::count_if(bindings.begin(), bindings.end(), [&](const Binding& b) { return b.device == target; }));
}

int32_t ActionMap::GetBinding(uint32_t action, int32_t device, uint32_t n, uint8_t* code, int32_t* deviceOut) const {
  if (!manager_ || action >= actions_.size()) return 1;
  const std::vector<Binding>& bindings = actions_[action];
  const Binding* found = nullptr;
  if (device < 0) {
    if (n >= bindings.size()) return 2;
    found = &bindings[n];
  } else {
    InputDevice* target = DeviceOf(device);
    if (!target) return 3;
    uint32_t seen = 0;
    for (const Binding& binding : bindings) {
      if (binding.device != target) continue;
      if (seen++ == n) {
        found = &binding;
        break;
      }
    }
    if (!found) return 4;
  }
  if (code) *code = found->code;
  if (deviceOut) *deviceOut = NumberOf(found->device);
  return 0;
}

}  // namespace orrivel
