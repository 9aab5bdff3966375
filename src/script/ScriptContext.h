#pragma once
// Loads and links the compiled scripts: the scene table "SOB_INIT.DAT", the
// user variables (a "SOB1" image), the function library ("SOB2") and one
// module per scene ("SOB0"). Linking turns every operand that names a
// variable, native, external variable or code label into an absolute script
// address, so the machine never resolves a name while it runs.
//
// Everything lives in the context's script address space; code holds 32-bit
// script addresses only. Every count, offset, size and relocation read from a
// file is checked against the file, the code block or the image it patches.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/ExternalVariable.h"
#include "script/NativeArgs.h"
#include "script/SceneFlagTable.h"
#include "script/ScriptAddressSpace.h"
#include "script/ScriptFile.h"
#include "script/ScriptMachine.h"
#include "script/ScriptModule.h"
#include "script/VariableImage.h"

namespace orrivel {

class ScriptContext {
 public:
  static constexpr uint32_t kDefaultStackWords = 16384;
  // Results of LinkModule beside 0 and 1: the module body is damaged
  // (truncated, or a relocation outside its code or naming nothing).
  static constexpr int kLinkDamaged = 2;

  using Bytes = std::span<const uint8_t>;
  // The three start-up files as bytes; nullopt for a file that is missing.
  struct SystemFiles {
    std::optional<Bytes> init;
    std::optional<Bytes> userVariables;
    std::optional<Bytes> library;
  };

  explicit ScriptContext(uint32_t addressSpaceLimit = ScriptAddressSpace::kDefaultLimit);
  virtual ~ScriptContext();
  ScriptContext(const ScriptContext&) = delete;
  ScriptContext& operator=(const ScriptContext&) = delete;

  // Loads a scene module from path and starts it on machine (the context's
  // own when null): 0 loaded and started, 1 the file cannot be opened, 2 not
  // "SOB0", damaged or no scene table entry, 3 built for debug mode.
  virtual int LoadScript(const std::string& path, ScriptMachine* machine);
  // Unloads the newest scene module. The library and an empty list are left
  // alone. Always 0.
  virtual int UnloadScript();
  virtual uint32_t GetCurrentCode() const { return currentCodeBase_; }
  virtual void PushReturnSentinel() { machine_.PushReturnSentinel(); }
  virtual int RunAt(uint32_t address) { return machine_.RunAt(address); }
  virtual void OnUnload() {}

  // Reads the start-up files through the file reader and loads them:
  // 0 loaded; 1 already loaded; 2 the scene table cannot be built (no memory,
  // or the file is damaged); 3 the variable image is not a sound "SOB1"; 4 its
  // closing word is not 0; 5 the library is not a sound "SOB2"; 6 the
  // library's closing word is not 0. A missing file is skipped. On failure
  // nothing is kept and the load may be tried again.
  int LoadSystem(const std::string& initPath, const std::string& userVarPath, const std::string& libraryPath,
                 bool keepInitial, bool keepSnapshot);
  int LoadSystemFromFiles(const SystemFiles& files, bool keepInitial, bool keepSnapshot);
  // Links a module body (the bytes after the magic): 0 linked, 1 refused
  // (closing word not 0: a debug-mode script), kLinkDamaged.
  int LinkModule(Bytes body, int32_t sceneIndex, bool isLibrary);
  // LoadScript over bytes already read; path only names the scene.
  int LoadScriptImage(std::string_view path, Bytes data, ScriptMachine* machine);

  int SetStackSize(uint32_t words) { return machine_.AllocateStack(words); }
  // Appends a native; its number is its index.
  uint32_t RegisterNative(ScriptNative native);
  uint32_t AddExternalVariable(uint32_t address, std::string name);
  // Allocates a zeroed word for an external variable and registers it;
  // returns the storage address (0 when the address space is full).
  uint32_t AddOwnedExternalVariable(std::string name);
  // Index of the live record whose address equals address, -1 when none.
  int32_t FindVariable(uint32_t address) const;
  void SetFileReader(ScriptFileReader reader) { reader_ = std::move(reader); }

  // The upper-cased file name of a path, without folder and extension.
  static std::string SceneNameOfPath(std::string_view path);

  ScriptAddressSpace& Space() { return space_; }
  const ScriptAddressSpace& Space() const { return space_; }
  ScriptMachine& Machine() { return machine_; }
  const NativeTable& Natives() const { return natives_; }
  const std::vector<ExternalVariable>& Externals() const { return externals_; }
  const VariableImage& LiveImage() const { return images_[kLive]; }
  const VariableImage& InitialImage() const { return images_[kInitial]; }
  const VariableImage& SnapshotImage() const { return images_[kSnapshot]; }
  const std::vector<VariableRecord>& LiveRecords() const { return images_[kLive].records; }
  const SceneFlagTable& SceneTable() const { return sceneTable_; }
  SceneFlagTable& SceneTable() { return sceneTable_; }
  // Index of the current scene's table entry, -1 when none.
  int32_t CurrentSceneEntry() const { return currentScene_; }
  uint32_t LibraryCodeBase() const { return libraryCodeBase_; }
  const std::vector<ScriptModule>& Modules() const { return modules_; }
  bool Loaded() const { return loaded_; }
  // The folder that prefixes the names of the files the context writes.
  void SetSaveFolder(std::string folder) { saveFolder_ = std::move(folder); }
  const std::string& SaveFolder() const { return saveFolder_; }

 protected:
  enum ImageSlot { kLive = 0, kInitial = 1, kSnapshot = 2 };
  static constexpr int kImageSlots = 3;

  VariableImage& Image(ImageSlot slot) { return images_[slot]; }
  ScriptFileBytes ReadFile(const std::string& path) const;
  // Frees every scene module, keeping the library.
  void DropSceneModules();

 private:
  int LoadSceneTable(Bytes data, SceneFlagTable& table) const;
  int LoadVariables(Bytes data, bool keepInitial, bool keepSnapshot);
  void FreeVariables();
  void RefreshCurrentCode();

  // Declaration order matters: the machine's stack lives in the space.
  ScriptAddressSpace space_;
  NativeTable natives_;
  ScriptMachine machine_;
  std::vector<ScriptModule> modules_;
  std::vector<ExternalVariable> externals_;
  VariableImage images_[kImageSlots];
  SceneFlagTable sceneTable_;
  int32_t currentScene_ = -1;
  uint32_t libraryCodeBase_ = 0;
  uint32_t currentCodeBase_ = 0;
  bool loaded_ = false;
  std::string saveFolder_;
  ScriptFileReader reader_;
};

}  // namespace orrivel
