#pragma once
// The main loop's side of the script machine: it runs the scene scripts one
// step at a time and serves their requests to call a scene, jump to a scene
// or end, which scripts make through natives 0, 1 and 2.
#include <cstdint>
#include <string>

#include "script/ScriptContext.h"
#include "script/ScriptRequestState.h"

namespace orrivel {

class ScriptHost : public ScriptContext {
 public:
  // Results of Step.
  static constexpr int kStepEnded = 0;
  static constexpr int kStepYielded = 1;
  // A request at the wrong moment, or invalid code: the main loop reports
  // "不正なスクリプトを実行しました".
  static constexpr int kStepBadScript = 2;
  static constexpr int kStepJumpFailed = 3;
  static constexpr int kStepCallFailed = 4;

  static constexpr uint32_t kNativeCall = 0;
  static constexpr uint32_t kNativeJump = 1;
  static constexpr uint32_t kNativeEnd = 2;

  // state: the request state to serve; the process-wide one when null.
  explicit ScriptHost(ScriptRequestState* state = nullptr,
                      uint32_t addressSpaceLimit = ScriptAddressSpace::kDefaultLimit);
  ~ScriptHost() override;

  int LoadScript(const std::string& path, ScriptMachine* machine) override {
    return LoadScriptFile(path.empty() ? nullptr : path.c_str(), machine);
  }
  // Loads "SCRIPT\<name>.SOB"; the pending scene name when name is null.
  virtual int LoadScriptFile(const char* name, ScriptMachine* machine);
  virtual void OnReset() {}

  int Step();
  // Drops every scene module (the library stays), empties the stack and
  // stores bootFlag in "ScriptBootFlg". The caller then loads a scene.
  void ResetScripts(uint32_t bootFlag);

  ScriptRequestState& State() { return *state_; }
  uint32_t BootFlagAddress() const { return bootFlag_; }
  uint32_t AppProcAddress() const { return appProc_; }

 private:
  uint32_t RequestScene(NativeArgs& args, ScriptRequest request);

  ScriptRequestState* state_;
  uint32_t bootFlag_ = 0;
  uint32_t appProc_ = 0;
};

}  // namespace orrivel
