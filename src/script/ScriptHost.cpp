#include "script/ScriptHost.h"

namespace orrivel {

ScriptHost::ScriptHost(ScriptRequestState* state, uint32_t addressSpaceLimit)
    : ScriptContext(addressSpaceLimit), state_(state ? state : &ScriptRequestState::Global()) {
  state_->request = ScriptRequest::kNone;
  state_->callDepth = 0;
  RegisterNative([this](NativeArgs& args) { return RequestScene(args, ScriptRequest::kCall); });
  RegisterNative([this](NativeArgs& args) { return RequestScene(args, ScriptRequest::kJump); });
  RegisterNative([this](NativeArgs&) {
    state_->request = ScriptRequest::kEnd;
    return 0u;
  });
  bootFlag_ = AddOwnedExternalVariable("ScriptBootFlg");
  appProc_ = AddOwnedExternalVariable("retAppProc");
}

ScriptHost::~ScriptHost() = default;

uint32_t ScriptHost::RequestScene(NativeArgs& args, ScriptRequest request) {
  std::string name = args.String(0);
  if (args.Failed()) return 0;
  state_->request = request;
  state_->SetPendingScene(name.data(), name.size());
  return 0;
}

int ScriptHost::LoadScriptFile(const char* name, ScriptMachine* machine) {
  std::string path = "SCRIPT\\";
  path += name ? name : state_->pendingScene;
  path += ".SOB";
  return ScriptContext::LoadScript(path, machine);
}

int ScriptHost::Step() {
  ScriptMachine& machine = Machine();
  for (;;) {
    int run = machine.Execute();
    if (run == ScriptMachine::kFaulted) return kStepBadScript;
    // A run that used up its instruction budget is paused mid-way; any
    // request waits until the script reaches its own yield or return.
    if (run == ScriptMachine::kOutOfBudget) return kStepYielded;
    const bool yielded = run == ScriptMachine::kYielded;
    switch (state_->request) {
      case ScriptRequest::kNone:
        if (yielded) return kStepYielded;
        if (state_->callDepth == 0) return kStepEnded;
        --state_->callDepth;
        UnloadScript();
        if (!machine.PopProgramCounter()) return kStepBadScript;
        continue;
      case ScriptRequest::kJump:
        if (yielded) return kStepBadScript;
        UnloadScript();
        if (LoadScript(std::string(), nullptr) != 0) return kStepJumpFailed;
        state_->request = ScriptRequest::kNone;
        continue;
      case ScriptRequest::kCall:
        if (!yielded) return kStepBadScript;
        if (!machine.PushProgramCounter()) return kStepBadScript;
        if (LoadScript(std::string(), nullptr) != 0) {
          machine.PopProgramCounter();
          state_->request = ScriptRequest::kNone;
          return kStepCallFailed;
        }
        ++state_->callDepth;
        state_->request = ScriptRequest::kNone;
        continue;
      case ScriptRequest::kEnd:
        return kStepEnded;
      default:
        state_->request = ScriptRequest::kNone;
        continue;
    }
  }
}

void ScriptHost::ResetScripts(uint32_t bootFlag) {
  OnReset();
  Space().Write32(bootFlag_, bootFlag);
  Machine().SetStackPointer(Machine().StackBase());
  state_->callDepth = 0;
  DropSceneModules();
}

}  // namespace orrivel
