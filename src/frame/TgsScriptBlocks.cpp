// Compiled script code inside a module: expressions of inline commands and
// "[s" script blocks run on the frame's own machine against the script
// host's tables. Each is bound once per load of its module: the relocation
// lists write script addresses into the code in place and the bound flag
// is set.
#include "frame/TgsFrame.h"
#include "frame/TobImage.h"
#include "script/ScriptHost.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

constexpr int kRelocationLists = 5;
enum RelocationList { kListVariables = 0, kListNatives, kListExternals, kListLibrary, kListOwnCode };
constexpr char kCallFailed[] = "Call命令でスクリプトのロードに失敗";
constexpr char kJumpFailed[] = "Jump命令でスクリプトのロードに失敗";
constexpr char kJumpRefused[] = "システムスクリプト中でJump命令は使用できません";

struct Relocation {
  int list = 0;
  uint32_t offset = 0;
  uint32_t index = 0;
};

uint32_t LibrarySize(const ScriptHost& host) {
  for (const ScriptModule& module : host.Modules())
    if (module.isLibrary) return module.codeSize;
  return 0;
}

}  // namespace

uint32_t TgsFrame::RetTgsExpAddress() const {
  if (!environment_.host) return 0;
  for (const ExternalVariable& external : environment_.host->Externals())
    if (external.name == "retTgsExp") return external.address;
  return 0;
}

bool TgsFrame::BindVariables(uint32_t lists, uint32_t listBytes, bool narrow, uint32_t code, uint32_t codeBytes) {
  const ScriptHost* host = environment_.host;
  if (!host) return false;
  std::vector<Relocation> relocations;
  {
    SobCursor cursor(Space().Bytes(lists, listBytes), listBytes);
    for (int list = 0; list < kRelocationLists; ++list) {
      const uint32_t count = narrow ? cursor.U8() : cursor.U32();
      if (!cursor.Ok() || uint64_t(count) * 8 > cursor.Remaining()) return false;
      for (uint32_t i = 0; i < count; ++i) relocations.push_back({list, cursor.U32(), cursor.U32()});
    }
  }
  // Every entry must leave four bytes inside the code and name something
  // that exists; all are checked before any is written.
  const uint32_t librarySize = LibrarySize(*host);
  for (const Relocation& relocation : relocations) {
    if (uint64_t(relocation.offset) + 4 > codeBytes) return false;
    bool named = false;
    switch (relocation.list) {
      case kListVariables: named = relocation.index < host->LiveRecords().size(); break;
      case kListNatives: named = relocation.index < host->Natives().size(); break;
      case kListExternals: named = relocation.index < host->Externals().size(); break;
      case kListLibrary: named = host->LibraryCodeBase() != 0 && relocation.index <= librarySize; break;
      case kListOwnCode: named = relocation.index <= codeBytes; break;
    }
    if (!named) return false;
  }
  for (const Relocation& relocation : relocations) {
    uint32_t word = 0;
    switch (relocation.list) {
      case kListVariables: word = host->LiveRecords()[relocation.index].address; break;
      case kListNatives: word = ScriptMachine::NativeAddress(relocation.index); break;
      case kListExternals: word = host->Externals()[relocation.index].address; break;
      case kListLibrary: word = host->LibraryCodeBase() + relocation.index; break;
      case kListOwnCode: word = code + relocation.index; break;
    }
    Space().Write32(code + relocation.offset, word);
  }
  return true;
}

bool TgsFrame::EvaluateExpression(uint32_t expression, uint32_t& value) {
  // u16 code bytes N, the code, u8 bound flag, u16 list bytes (counting
  // itself), the lists; the block's parse has checked that all of it fits.
  const uint8_t* head = Space().Bytes(expression, 2);
  if (!head) return false;
  const uint32_t codeBytes = uint32_t(head[0] | head[1] << 8);
  const uint32_t code = expression + 2;
  const uint32_t flag = code + codeBytes;
  const uint8_t* tail = Space().Bytes(flag, 3);
  if (!tail || !environment_.host) return false;
  const uint32_t listBytes = uint32_t(tail[1] | tail[2] << 8);
  if (tail[0] == 0) {
    if (listBytes < 2 || !BindVariables(flag + 3, listBytes - 2, true, code, codeBytes)) return false;
    Space().Bytes(flag, 1)[0] = 1;
  }
  machine_.SetStackPointer(machine_.StackBase());
  // An expression runs to its end within the machine's budget; one that
  // yields, faults or loops is a damaged block.
  if (machine_.RunAt(code) != ScriptMachine::kEnded) return false;
  const uint32_t ret = RetTgsExpAddress();
  return ret && Space().Read32(ret, value);
}

uint32_t TgsFrame::ExecuteScriptCall(uint32_t block) {
  const uint32_t limit = TextEnd() - block;
  const uint8_t* bytes = Space().Bytes(block, limit);
  const uint64_t size = bytes ? TobImage::ScriptBlockSize(bytes, limit) : 0;
  if (size == 0) return DamagedBlock(block, "damaged script block");
  SobCursor cursor(bytes, size);
  const uint32_t codeBytes = cursor.U32();
  const uint32_t code = block + 4;
  const uint32_t flag = code + codeBytes;
  cursor.Take(codeBytes);
  const uint8_t bound = cursor.U8();
  const uint32_t listBytes = cursor.U32();
  if (codeBytes == 0) return DamagedBlock(block, "empty script block");
  if (!environment_.host) return DamagedBlock(block, "script block without a script host");
  if (!bound) {
    if (!BindVariables(flag + 5, listBytes - 4, false, code, codeBytes))
      return DamagedBlock(block, "script block names what does not exist");
    Space().Bytes(flag, 1)[0] = 1;
  }
  machine_.SetStackPointer(machine_.StackBase());
  const int run = machine_.RunAt(code);
  if (RunScriptBlockFrom(false, run) != 0) {
    commandStatus_ = kReadFailed;
    return 0;
  }
  return block + uint32_t(size);
}

int32_t TgsFrame::RunScriptBlock(bool allowJump, bool started) {
  return RunScriptBlockFrom(allowJump, started ? ScriptMachine::kYielded : machine_.Execute());
}

int32_t TgsFrame::RunScriptBlockFrom(bool allowJump, int run) {
  ScriptHost* host = environment_.host;
  if (!host) return 1;
  ScriptRequest& request = host->State().request;
  std::vector<uint32_t> callers;  // program counters of the calling scenes
  // Scenes still called when the block stops go back to the host.
  auto finish = [&](int32_t result) {
    for (size_t i = 0; i < callers.size(); ++i) host->UnloadScript();
    return result;
  };
  for (;;) {
    if (run == ScriptMachine::kFaulted) {
      Log(ModuleName() + ": invalid script code in a script block");
      request = ScriptRequest::kNone;
      return finish(-1);
    }
    const bool paused = run == ScriptMachine::kYielded || run == ScriptMachine::kOutOfBudget;
    switch (request) {
      case ScriptRequest::kCall: {
        const uint32_t pc = machine_.ProgramCounter();
        // A call resumes after the yield that follows it; nesting is bounded
        // like a call whose scene cannot load.
        if (!paused || callers.size() >= kScriptBlockDepth || host->LoadScriptFile(nullptr, &machine_) != 0) {
          ShowMessage(kCallFailed);
          machine_.SetProgramCounter(pc);
          request = ScriptRequest::kNone;
          return finish(1);
        }
        callers.push_back(pc);
        request = ScriptRequest::kNone;
        run = machine_.Execute();
        continue;
      }
      case ScriptRequest::kJump:
        if (!allowJump) {
          ShowMessage(kJumpRefused);
          request = ScriptRequest::kNone;
          return finish(3);
        }
        host->UnloadScript();
        if (host->LoadScriptFile(nullptr, &machine_) != 0) {
          ShowMessage(kJumpFailed);
          request = ScriptRequest::kNone;
          return finish(2);
        }
        request = ScriptRequest::kNone;
        run = machine_.Execute();
        continue;
      case ScriptRequest::kEnd: return finish(-1);
      default: break;
    }
    request = ScriptRequest::kNone;
    if (paused) {
      if (!environment_.pumpFrame || environment_.pumpFrame() == 0) return finish(-1);
      run = machine_.Execute();
      continue;
    }
    if (callers.empty()) return 0;
    host->UnloadScript();
    machine_.SetProgramCounter(callers.back());
    callers.pop_back();
    run = machine_.Execute();
  }
}

int32_t TgsFrame::RunSystemScript(const char* name) {
  ScriptHost* host = environment_.host;
  if (!host) return 1;
  machine_.SetStackPointer(machine_.StackBase());
  // A jump whose scene did not load has already unloaded the system
  // script: only what this run added goes, never the scene that runs the
  // game beneath it.
  const size_t modules = host->Modules().size();
  if (host->LoadScriptFile(name, &machine_) != 0) return 2;
  const int32_t result = RunScriptBlock(true, false);
  while (host->Modules().size() > modules) host->UnloadScript();
  return result;
}

}  // namespace orrivel
