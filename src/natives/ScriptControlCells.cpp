#include "natives/ScriptControlCells.h"

#include "display/DrawObjectManager.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameControlHost.h"
#include "natives/GameScriptHost.h"
#include "natives/ProcessObjects.h"
#include "scene/ControlFactory.h"
#include "script/NativeArgs.h"

namespace orrivel {

ControlFactory* ScriptControlCells::Factory() const {
  ProcessObjects* objects = GetProcessObjects();
  return objects != nullptr ? &objects->Controls() : nullptr;
}

GameControlHost* ScriptControlCells::ControlHost() const {
  ProcessObjects* objects = GetProcessObjects();
  return objects != nullptr ? &objects->ControlHost() : nullptr;
}

Control* ScriptControlCells::Find(uint32_t handle) const {
  ControlFactory* factory = Factory();
  return factory != nullptr ? host_.ControlHandles().Find(*factory, handle) : nullptr;
}

Control* ScriptControlCells::ControlAt(NativeArgs& args, uint32_t i) const {
  const uint32_t handle = args.Cell(i);
  return args.Failed() ? nullptr : Find(handle);
}

uint32_t ScriptControlCells::HandleOf(Control* control) const {
  ControlFactory* factory = Factory();
  return factory != nullptr ? host_.ControlHandles().HandleOf(*factory, control) : 0;
}

uint32_t ScriptControlCells::Answer(int32_t code, Control* made) const {
  if (code != 0) return uint32_t(code);
  const uint32_t handle = HandleOf(made);
  return handle != 0 ? handle : uint32_t(ControlFactory::kOutOfMemory);
}

void ScriptControlCells::Forget(Control* control) const { host_.ControlHandles().Forget(control); }

Font* ControlFontAt(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  const DrawObjectManager* objects = ScriptDisplayObjects();
  return objects != nullptr && handle != 0 ? objects->GetFont(handle) : nullptr;
}

}  // namespace orrivel
