#pragma once
// The holder of the compiled text-adventure modules (".TOB") under the
// text-adventure frame: the modules loaded for a run (the run stack) and
// ahead of use (the resident list), the current module and the read
// position in its text, the call stack of calls between modules and labels,
// the argument stack of the inline commands, the script table of
// "TGS_INIT.DAT" and the read-message flags kept in "TEXT_LOG.DAT".
//
// A loaded module's whole image lives in one block of the script address
// space, so the text reader can bind relocations into its code blocks and
// hand string arguments to handlers in place. Read positions and the results
// of Call, Jump and Return are script addresses (0: none).
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frame/TobImage.h"
#include "script/ByteWriter.h"
#include "script/SceneFlagTable.h"
#include "script/ScriptFile.h"
#include "script/SobCursor.h"

namespace orrivel {

class ScriptAddressSpace;

// A module name or label that may be absent.
using TgsName = std::optional<std::string_view>;

// One loaded module; its image block goes back to the address space with it.
struct TgsLoadedModule {
  TgsLoadedModule(ScriptAddressSpace& space, uint32_t imageAddress) : space(space), image(imageAddress) {}
  ~TgsLoadedModule();
  TgsLoadedModule(const TgsLoadedModule&) = delete;
  TgsLoadedModule& operator=(const TgsLoadedModule&) = delete;

  ScriptAddressSpace& space;
  uint32_t image = 0;       // script address of the image block
  uint32_t imageSize = 0;
  std::string name;         // as passed to the load
  int32_t scriptIndex = -1; // entry of the script table, -1 without one
  TobLayout layout;

  uint32_t TextStart() const { return image + layout.textOffset; }
};

struct TgsCallFrame {
  int32_t moduleIndex = 0;  // -2 same module, -1 top of the run stack, else resident position
  uint32_t offset = 0;      // caller's read position from its text start
};

class TgsModule {
 public:
  static constexpr uint32_t kCallDepth = 128;
  static constexpr uint32_t kArgumentCells = 4096;
  static constexpr int32_t kTopOfRunStack = -1;
  static constexpr int32_t kSameModule = -2;

  enum class Placement { kRun, kResident };

  explicit TgsModule(ScriptAddressSpace& space);
  virtual ~TgsModule();
  TgsModule(const TgsModule&) = delete;
  TgsModule& operator=(const TgsModule&) = delete;

  // Where files come from and go (tests put their own in place).
  void SetFileReader(ScriptFileReader reader) { reader_ = std::move(reader); }
  void SetFileWriter(ScriptFileWriter writer) { writer_ = std::move(writer); }

  // The script table: 0; 1 the file cannot be opened; 2 no memory, or a
  // file that does not hold together (the table is then left as it was).
  virtual int32_t LoadInit(std::string_view name);
  // 0; 1 a module is already on the run stack; else LoadScript's code + 1.
  virtual int32_t LoadScriptByName(std::string_view name);
  virtual int32_t PreloadScript(std::string_view name);
  // 0; 1 no resident module; 2 name not resident; 3 module in use.
  virtual int32_t UnloadScript(TgsName name);
  // New read position, or 0 when the call, jump or return cannot be made.
  virtual uint32_t Call(TgsName script, TgsName label, int32_t offset);
  virtual uint32_t Jump(TgsName script, TgsName label, int32_t offset);
  virtual uint32_t Return(TgsName script, TgsName label, int32_t offset);
  virtual uint32_t GetStateSize() const;
  // 0; 1 without a buffer, a buffer too small, or no current module.
  virtual int32_t SaveState(ByteWriter& out) const;
  // 0; 1 without data; 2 a module cannot be loaded; 3 the state does not
  // hold together (a bad module index, more frames than the call stack
  // holds, a read position outside the text, a cut state). On failure the
  // modules are left as they were.
  virtual int32_t LoadState(SobCursor& in);

  // Opens folder + name + ".TOB": 0; 1 open failure; 2 not a module; 3 the
  // upper-cased name is not in a non-empty script table.
  int32_t LoadScript(std::string_view name, Placement placement);
  // Makes the named module current (resident ones first, matched without
  // case; else loaded onto the run stack). nullptr on failure.
  const TgsLoadedModule* FindScript(std::string_view name);
  static int32_t LookupLabel(const ScriptAddressSpace& space, const TgsLoadedModule& module, std::string_view label);
  int32_t GetResumePoint(uint32_t n) const;
  // 1 when the run stack is empty.
  int32_t PopRunStack();
  void Unload();

  int32_t SetFolder(const char* path);
  int32_t SetLogFileName(const char* name);
  void SetSaveFolder(std::optional<std::string> folder) { saveFolder_ = std::move(folder); }

  // 0; 1 no file name; 2 no script table; 3 the file could not be written
  // (the previous file stays as it was).
  int32_t SaveReadFlags(TgsName name);
  // 0 (also without a script table); 1 no file name or no file; 2 a file
  // that is not a sound read-flag file (no flag changes).
  int32_t LoadReadFlags(TgsName name);
  bool IsMessageRead(int32_t id) const;
  int32_t MarkMessageRead(int32_t id);
  uint32_t CountMessages(TgsName name) const;
  uint32_t CountReadMessages(TgsName name) const;
  bool AllMessagesRead(TgsName name) const;

  // Argument stack: kArgumentCells 32-bit cells in the script address space.
  int32_t ReserveArgumentStack(uint32_t cells);
  uint32_t ArgumentStackBase() const { return argumentBase_; }
  uint32_t ArgumentStackCapacity() const { return argumentCapacity_; }
  uint32_t ArgumentTop() const { return argumentTop_; }  // cells in use
  void SetArgumentTop(uint32_t cells) { argumentTop_ = cells <= argumentCapacity_ ? cells : argumentCapacity_; }

  // The read position: a script address inside the current module's text.
  uint32_t ReadPosition() const { return readPosition_; }
  void SetReadPosition(uint32_t address) { readPosition_ = address; }

  const TgsLoadedModule* CurrentModule() const { return current_; }
  int32_t CurrentIndex() const { return currentIndex_; }
  int32_t CurrentEntryIndex() const { return currentEntry_; }
  size_t RunStackSize() const { return runStack_.size(); }
  size_t ResidentCount() const { return resident_.size(); }
  const TgsLoadedModule* Resident(size_t position) const;
  const std::vector<TgsCallFrame>& CallStack() const { return callStack_; }
  const SceneFlagTable& ScriptTable() const { return table_; }
  SceneFlagTable& ScriptTable() { return table_; }
  const std::string& Folder() const { return folder_; }
  ScriptAddressSpace& Space() { return space_; }

 protected:
  // Script address of text offset `offset` of the current module, 0 when it
  // lies outside that text.
  uint32_t TextAddress(int64_t offset) const;

 private:
  using ModulePtr = std::unique_ptr<TgsLoadedModule>;

  ModulePtr MakeModule(std::string_view name, int32_t& code);
  TgsLoadedModule* ResidentAt(size_t position);
  void SelectCurrent(TgsLoadedModule* module, int32_t index);
  bool DropCurrentRunModule();
  uint32_t Target(TgsName label, int64_t offset) const;
  const SceneFlagEntry* FindEntryNoCase(std::string_view name) const;
  template <typename Count>
  uint32_t SumOverEntries(TgsName name, Count count) const;
  std::string FlagFilePath(TgsName name) const;

  ScriptAddressSpace& space_;
  ScriptFileReader reader_;
  ScriptFileWriter writer_;
  std::vector<ModulePtr> runStack_;
  std::list<ModulePtr> resident_;
  TgsLoadedModule* current_ = nullptr;
  int32_t currentIndex_ = kTopOfRunStack;
  std::vector<TgsCallFrame> callStack_;
  uint32_t readPosition_ = 0;
  uint32_t argumentBase_ = 0;
  uint32_t argumentCapacity_ = 0;
  uint32_t argumentTop_ = 0;
  SceneFlagTable table_;
  int32_t currentEntry_ = -1;
  std::string folder_;
  std::optional<std::string> saveFolder_;
  std::string logFileName_;
};

}  // namespace orrivel
