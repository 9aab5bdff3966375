#pragma once
// The main loop's side of the script machine: it runs the scene scripts one
// step at a time and serves their requests to call a scene, jump to a scene
// or end, which scripts make through natives 0, 1 and 2.
#include <cstdint>
#include <string>

#include "script/ScriptContext.h"
#include "script/ScriptRequestState.h"
#include "script/VoiceTable.h"

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
  // Whether the game has the scene LoadScriptFile would load by that name:
  // its file is there and, when the game has a scene table, listed in it.
  bool HasSceneFile(const char* name) const;
  virtual void OnReset() {}

  int Step();
  // Drops every scene module (the library stays), empties the stack and
  // stores bootFlag in "ScriptBootFlg". The caller then loads a scene.
  void ResetScripts(uint32_t bootFlag);

  // Keeps a copy of the variable file name; false when name is null.
  bool SetVariableFileName(const char* name);
  const std::string& VariableFileName() const { return variableFileName_; }
  // Writes the variable file (when its name is set), stopping at its error,
  // then the scene flags (when their name is set), whose code it returns.
  // 2 when neither name is set.
  int SaveAll();

  // The variable file at save folder + name (the variable file name when
  // null): the voice settings and the AutoSave variables.
  // 0; 1 no name; 2 no memory; 3 the file cannot be written.
  int SaveVariableFile(const char* name);
  // 0; 1 no name or the file cannot be opened; 2 the file is damaged: its
  // sizes do not fit it, its body does not unpack or ends inside the voice
  // fields (then nothing changes). Voice settings are taken only when the
  // file's count equals the voice table's; the variables are restored as far
  // as they match the current ones (DeserializeVariables), still 0.
  int LoadVariableFile(const char* name);

  // A state file: a header int and a header string (given by the addresses
  // of an int and a STR variable; 0 for none) and the variables of a save
  // selector, from live storage or the snapshot.
  // 0; 1 no name or the file cannot be written; 2 no variable selected (or
  // no snapshot to take them from); 3 no memory; 4 a header variable not
  // found or of the wrong kind.
  int WriteStateFile(const char* name, uint8_t selector, uint32_t headerInt, uint32_t headerStr,
                     bool fromSnapshot);
  // Reads only the header fields into the given variables.
  // 0; 1 no name or the file cannot be opened; 2 a requested header field is
  // empty in the file; 3 a header variable not found or of the wrong kind,
  // or a header field larger than its variable; kStateFileDamaged when the
  // header runs past the end of the file. Nothing changes unless 0.
  int ReadStateFileInfo(const char* name, uint32_t headerInt, uint32_t headerStr);
  // Restores the file's variables. 0; 1 no name or the file cannot be
  // opened; 2 bad checksum, a body that does not unpack or sizes that do
  // not fit the file (then nothing changes), or a body that stops matching
  // the current variables (a kind that differs, or the body ends first):
  // the variables before that point stay restored. Bytes after the last
  // variable are ignored.
  int ReadStateFile(const char* name);
  static constexpr int kStateFileDamaged = 4;

  // -1 both addresses 0; 1 the int address names a variable not of kind
  // int; 2 the STR address one not of kind STR; 3 one of them is not found;
  // 0 with the int variable's size and the STR variable's length + 1.
  int GetVariableSizes(uint32_t intAddress, uint32_t strAddress, uint32_t* outIntSize, uint32_t* outStrSize);

  // Reads the voice table from path: 0 read, or the file is missing (the
  // table is then empty); VoiceTable::kDamaged for a damaged file (also
  // left empty).
  int LoadVoiceInfo(const std::string& path);
  VoiceTable& Voices() { return voices_; }
  const VoiceTable& Voices() const { return voices_; }

  ScriptRequestState& State() { return *state_; }
  uint32_t BootFlagAddress() const { return bootFlag_; }
  uint32_t AppProcAddress() const { return appProc_; }

 private:
  uint32_t RequestScene(NativeArgs& args, ScriptRequest request);
  // The text length of the STR variable of record index, within its buffer.
  uint32_t StrLength(size_t index) const;
  std::string FileNameOr(const char* name) const { return name ? std::string(name) : variableFileName_; }

  ScriptRequestState* state_;
  uint32_t bootFlag_ = 0;
  uint32_t appProc_ = 0;
  VoiceTable voices_;
  std::string variableFileName_;
};

}  // namespace orrivel
