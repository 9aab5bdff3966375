#include "effect/LayerActionLife.h"

#include "base/TimerList.h"
#include "resource/DcpManager.h"

namespace orrivel {
namespace {

// An action still pointing at the slot would clear it when it ends, wiping
// out whatever the slot holds by then.
void DetachFromSlot(TimedTask** slot) {
  if (*slot && (*slot)->OwnerSlot() == slot) (*slot)->SetOwnerSlot(nullptr);
}

}  // namespace

int CreateLayerAction(DcpManager& registry, TimedTask** slot, std::string_view name, TimerList* timerList,
                      const ObjectArgument& target, const ObjectArguments& cells, bool lowPriorityOff) {
  DcpObject* object = registry.GetObject(name);
  if (!object) return kActionUnknown;
  // A plug-in object that is not a timed layer action cannot be listed.
  auto* action = dynamic_cast<LayerAction*>(object);
  if (!action) {
    object->Release();
    return kActionUnknown;
  }
  if (lowPriorityOff) action->DropLowPriorityRequest();
  if (action->SetupV(timerList, target, cells) != 0) {
    object->Release();
    return kActionSetupFailed;
  }
  DetachFromSlot(slot);
  *slot = action;
  action->SetOwnerSlot(slot);
  return kActionCreated;
}

int WaitForLayerAction(TimerList& timerList, TimedTask** slot, bool skippable, const ActionWaitPump& pump) {
  while (*slot) {
    if (pump.runFrame() == 0) return kWaitQuit;
    if (!*slot) break;  // it ended and cleared the slot itself
    if (!timerList.Contains((*slot)->Handle())) {
      DetachFromSlot(slot);
      *slot = nullptr;
      break;
    }
    if (skippable && pump.skipActive && pump.skipActive()) {
      StopLayerAction(timerList, slot);
      return kWaitSkipped;
    }
  }
  return kWaitFinished;
}

bool StopLayerAction(TimerList& timerList, TimedTask** slot) {
  if (!*slot) return false;
  timerList.Stop((*slot)->Handle());
  DetachFromSlot(slot);
  *slot = nullptr;
  return true;
}

}  // namespace orrivel
