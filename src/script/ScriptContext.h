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
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/ByteWriter.h"
#include "script/ExternalVariable.h"
#include "script/NativeArgs.h"
#include "script/SceneFlagTable.h"
#include "script/ScriptAddressSpace.h"
#include "script/ScriptFile.h"
#include "script/ScriptMachine.h"
#include "script/ScriptModule.h"
#include "script/SobCursor.h"
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
  // A reader put in place of the disk's also answers whether a file is
  // there, by reading it.
  void SetFileReader(ScriptFileReader reader) {
    reader_ = std::move(reader);
    readsGameFiles_ = false;
  }
  void SetFileWriter(ScriptFileWriter writer) { writer_ = std::move(writer); }
  // Which paths the context's files may have: a path it refuses is neither
  // read nor written, as if the file could not be opened (empty: all).
  // `writing` tells a write from a read or a look.
  using PathFilter = std::function<bool(const std::string& path, bool writing)>;
  void SetPathFilter(PathFilter allows) { pathFilter_ = std::move(allows); }

  // Bulk operations on the variables. scopeFilter: 0 every scope, 1 normal,
  // 2 Save, 3 AutoSave. kindFilter: 0 every kind, 1 int, 2 STR, 3 PSTR; any
  // other value of either selects nothing. STR variables are reached through
  // their string cells on both sides.
  void ClearVariables(uint32_t scopeFilter, uint32_t kindFilter);
  // Initial values -> live; 1 when the initial values were not kept, else 0.
  int ResetVariables(uint32_t scopeFilter, uint32_t kindFilter);
  // Live -> snapshot and back; 1 without a snapshot image, else 0.
  int StoreSnapshot(uint32_t scopeFilter, uint32_t kindFilter);
  int RestoreSnapshot(uint32_t scopeFilter, uint32_t kindFilter);
  // The one variable at address, live -> snapshot: 0; 1 without a snapshot
  // image; 2 when no live record has that address.
  int StoreVariableSnapshot(uint32_t address);
  // Appends the record index of the variable at address to the pending list:
  // 0; 1 without a snapshot image; 2 when not found.
  int QueueVariable(uint32_t address);
  const std::vector<uint32_t>& PendingVariables() const { return pending_; }
  void ClearPendingVariables() { pending_.clear(); }

  // Save selector: 0 the Save scope, 1 the AutoSave scope, 3 both (what a
  // game save holds), any other value every scope. Only int and STR
  // variables are ever serialised.
  static constexpr uint8_t kSaveAndAutoSaveSelector = 3;
  static bool SelectorSelects(const VariableRecord& record, uint8_t selector);
  // Bytes SerializeVariables writes: 1 + the sum of (size + 1) over the
  // selected variables; 0 when fromSnapshot is set without a snapshot image.
  uint64_t GetSerializedSize(uint8_t selector, bool fromSnapshot) const;
  // The selector byte, then per selected variable its kind byte and bytes:
  // 0; 1 the cursor has no buffer; 2 fromSnapshot without a snapshot image;
  // 3 the buffer is too small (nothing useful written).
  int SerializeVariables(ByteWriter& cursor, uint8_t selector, bool fromSnapshot) const;
  // Reads what SerializeVariables wrote into the live variables, in record
  // order, as far as the stream matches: 0 every selected variable restored;
  // 1 a kind byte that differs from its variable, or a stream that ends
  // before a variable's bytes, stopped the restore there (the variables
  // before it stay restored, the others keep their values). Bytes after the
  // last selected variable are left unread. The cursor ends after the last
  // variable restored.
  int DeserializeVariables(SobCursor& cursor);

  // Scene flags of the current scene's entry (shared false) or of the last
  // entry (shared true); a current scene entry must exist either way.
  bool TestSceneFlagA(uint32_t bit, bool shared) const;
  bool TestSceneFlagB(uint32_t bit, bool shared) const;
  // Sets the bit (never clears it): the bit array's code (0, 1 no storage,
  // 2 out of range), or 0 when there is no table or no current entry.
  int SetSceneFlagA(uint32_t bit, bool shared);
  int SetSceneFlagB(uint32_t bit, bool shared);
  // The second flag array of the current scene's entry (shared false) or of
  // the last entry (shared true); null without a table or current entry.
  const BitArray* SceneFlagArrayB(bool shared) const { return FlagArray(true, shared); }
  // Keeps a copy of the flag file name; false when name is null.
  bool SetFlagFileName(const char* name);
  const std::string& FlagFileName() const { return flagFileName_; }
  // The "TLOG" file at save folder + name (the stored name when null):
  // 0; 1 no name or the file cannot be written; 2 no scene table; 3 no memory.
  int SaveSceneFlags(const char* name);
  // 0 (also without a scene table); 1 no name or the file cannot be opened;
  // 2 wrong magic, a body that does not unpack, or a damaged body. A refused
  // file changes no bit.
  int LoadSceneFlags(const char* name);

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
  // Whether ReadFile would find the file; game files are looked up without
  // reading them.
  bool FileExists(const std::string& path) const;
  bool WriteFile(const std::string& path, std::span<const uint8_t> data) const;
  // Save folder + name: the path of a file this context writes or reads back.
  std::string SavePath(const std::string& name) const { return saveFolder_ + name; }
  // Host view of record index's bytes in an image (through the cell for
  // STR); nullptr when the image is not kept or the bytes are out of reach.
  uint8_t* VariableBytes(ImageSlot slot, size_t index);
  const uint8_t* VariableBytes(ImageSlot slot, size_t index) const;
  // Appends the kind byte and bytes of every variable the selector selects.
  void AppendVariables(std::vector<uint8_t>& out, uint8_t selector, ImageSlot from) const;
  // Copies the kind bytes and variable bytes of the selector's variables (no
  // leading selector byte) into live storage, as DeserializeVariables does:
  // 0 all restored; 1 stopped at the first variable that does not match.
  int RestoreVariableBytes(SobCursor& cursor, uint8_t selector);
  // Frees every scene module, keeping the library.
  void DropSceneModules();

 private:
  int LoadSceneTable(Bytes data, SceneFlagTable& table) const;
  int LoadVariables(Bytes data, bool keepInitial, bool keepSnapshot);
  void CopyVariables(ImageSlot from, ImageSlot to, uint32_t scopeFilter, uint32_t kindFilter);
  BitArray* FlagArray(bool arrayB, bool shared);
  const BitArray* FlagArray(bool arrayB, bool shared) const;
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
  bool readsGameFiles_ = true;  // reader_ is ReadScriptFile
  ScriptFileWriter writer_;
  PathFilter pathFilter_;
  std::vector<uint32_t> pending_;
  std::string flagFileName_;
};

}  // namespace orrivel
