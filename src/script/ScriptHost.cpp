#include "script/ScriptHost.h"

#include <cstring>

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

ScriptHost::~ScriptHost() {
  // The AutoSave variables and voice settings outlive the run.
  if (!variableFileName_.empty()) SaveVariableFile(nullptr);
}

uint32_t ScriptHost::RequestScene(NativeArgs& args, ScriptRequest request) {
  // A name the pending-scene buffer cannot hold whole is refused, and the
  // step ends as invalid code rather than loading a cut name.
  std::string name = args.String(0, ScriptRequestState::kSceneNameBytes - 1);
  if (args.Failed()) return 0;
  state_->request = request;
  state_->SetPendingScene(name.data(), name.size());
  return 0;
}

namespace {

std::string ScenePath(const char* scene) { return std::string("SCRIPT\\") + scene + ".SOB"; }

}  // namespace

int ScriptHost::LoadScriptFile(const char* name, ScriptMachine* machine) {
  const char* scene = name ? name : state_->pendingScene;
  if (std::strlen(scene) >= ScriptRequestState::kSceneNameBytes) return 1;
  return ScriptContext::LoadScript(ScenePath(scene), machine);
}

bool ScriptHost::HasSceneFile(const char* name) const {
  if (name == nullptr || std::strlen(name) >= ScriptRequestState::kSceneNameBytes) return false;
  const std::string path = ScenePath(name);
  if (SceneTable().Exists() && SceneTable().Find(SceneNameOfPath(path)) < 0) return false;
  // Only asked whether the scene is there: its file is read once, when it runs.
  return FileExists(path);
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
        // The stack bounds the nesting: the caller's resume point and the
        // called scene's sentinel must both fit, else the call fails like a
        // load and the caller stays where it yielded.
        if (!machine.HasRoom(2) || !machine.PushProgramCounter()) {
          state_->request = ScriptRequest::kNone;
          return kStepCallFailed;
        }
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
