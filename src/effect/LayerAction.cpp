#include "effect/LayerAction.h"

#include "base/LowPriority.h"

namespace orrivel {

LayerAction::~LayerAction() {
  if (lowPriority_ == LowPriority::Entered) LeaveLowPriority();
}

uint32_t LayerAction::Attach(uint32_t) { return 0; }

int32_t LayerAction::Setup(TimerList* timerList, const ObjectArgument& target, std::initializer_list<ObjectArgument> cells) {
  return SetupV(timerList, target, CellList(cells));
}

int32_t LayerAction::SetupV(const ObjectArguments& arguments) {
  return SetupV(arguments.Object<TimerList>(0), arguments.At(1), arguments.Rest(2));
}

int32_t LayerAction::ControlV(const ObjectArguments&) { return kNotSupported; }

int32_t LayerAction::Control(std::initializer_list<ObjectArgument> cells) { return ControlV(CellList(cells)); }

int32_t LayerAction::QueryV(const ObjectArguments&) { return kNotSupported; }

int32_t LayerAction::Query(std::initializer_list<ObjectArgument> cells) { return QueryV(CellList(cells)); }

void LayerAction::EnterLowPriority() {
  if (lowPriority_ != LowPriority::Requested || !HasEnterLowPriorityHook()) return;
  orrivel::EnterLowPriority();
  lowPriority_ = LowPriority::Entered;
}

}  // namespace orrivel
