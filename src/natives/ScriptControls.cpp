#include "natives/ScriptControls.h"

#include <iterator>

#include "natives/ScriptHandles.h"
#include "scene/Control.h"
#include "scene/ControlFactory.h"

namespace orrivel {

bool ScriptControls::Live(const ControlFactory& factory, const Control* control, const Link& link) const {
  return factory.FromHandle(link.factory) == control &&
         handles_.Find(link.script, HandleFamily::Control) == static_cast<const void*>(control);
}

uint32_t ScriptControls::HandleOf(const ControlFactory& factory, Control* control) {
  if (control == nullptr) return 0;
  const uint32_t factoryHandle = factory.HandleOf(control);
  if (factoryHandle == 0) return 0;
  auto it = links_.find(control);
  if (it != links_.end()) {
    if (it->second.factory == factoryHandle && Live(factory, control, it->second)) return it->second.script;
    handles_.Remove(it->second.script);
    links_.erase(it);
  }
  // Links of controls that went by other paths are swept now and then, so
  // the map stays about as large as the factory's list.
  if (links_.size() > 2 * factory.Count() + 16) DropStaleLinks(factory);
  const uint32_t script =
      handles_.Insert(static_cast<void*>(control), HandleFamily::Control, uint8_t(control->GetKind()));
  if (script == 0) return 0;
  links_[control] = Link{script, factoryHandle};
  return script;
}

Control* ScriptControls::Find(const ControlFactory& factory, uint32_t handle) {
  auto* control = handles_.Get<Control>(handle, HandleFamily::Control);
  if (control == nullptr) return nullptr;
  const auto it = links_.find(control);
  if (it == links_.end() || it->second.script != handle || !Live(factory, control, it->second)) return nullptr;
  return control;
}

void ScriptControls::Forget(Control* control) {
  const auto it = links_.find(control);
  if (it == links_.end()) return;
  handles_.Remove(it->second.script);
  links_.erase(it);
}

void ScriptControls::DropStaleLinks(const ControlFactory& factory) {
  for (auto it = links_.begin(); it != links_.end();) {
    if (factory.FromHandle(it->second.factory) == it->first) {
      ++it;
      continue;
    }
    handles_.Remove(it->second.script);
    it = links_.erase(it);
  }
}

}  // namespace orrivel
