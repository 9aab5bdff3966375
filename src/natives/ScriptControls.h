#pragma once
// The scripts' handles of the GUI controls. A control is handed to a script
// as a handle of the host's registry, linked to the control factory's own
// generation-tagged handle: a script handle reaches its control only while
// the factory still lists that very control, so a control deleted by any
// path (a native, a group deletion, the end of the run) is refused like a
// stale handle even when a new control takes its address.
//
// Main thread only.
#include <cstdint>
#include <unordered_map>

namespace orrivel {

class Control;
class ControlFactory;
class ScriptHandles;

class ScriptControls {
 public:
  explicit ScriptControls(ScriptHandles& handles) : handles_(handles) {}

  // The control's script handle, made on first use; 0 for null or a
  // control the factory does not list.
  uint32_t HandleOf(const ControlFactory& factory, Control* control);
  // The control, or null for 0, a stale or forged handle, or a control the
  // factory no longer lists.
  Control* Find(const ControlFactory& factory, uint32_t handle);
  // Drops the handle of a control about to go.
  void Forget(Control* control);

  // The handle of the text list registered as the message window (0:
  // none).
  uint32_t messageWindow = 0;

 private:
  struct Link {
    uint32_t script = 0;
    uint32_t factory = 0;
  };
  bool Live(const ControlFactory& factory, const Control* control, const Link& link) const;
  void DropStaleLinks(const ControlFactory& factory);

  ScriptHandles& handles_;
  std::unordered_map<const Control*, Link> links_;
};

}  // namespace orrivel
