#include "script/ScriptContext.h"

#include <new>
#include <utility>

#include "base/Cp932.h"
#include "script/SceneFlagFile.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

constexpr int kRelocationLists = 5;
enum RelocationList { kListVariables = 0, kListNatives, kListExternals, kListLibrary, kListOwnCode };

struct Relocation {
  uint32_t offset;
  uint32_t value;
};

}  // namespace

ScriptContext::ScriptContext(uint32_t addressSpaceLimit)
    : space_(addressSpaceLimit), machine_(space_, &natives_), reader_(ReadScriptFile), writer_(WriteScriptFile) {
  machine_.AllocateStack(kDefaultStackWords);
  AddOwnedExternalVariable("retTgsExp");
}

ScriptContext::~ScriptContext() {
  // The flags read so far survive the run. Code, images and external
  // storage live in space_, which goes with us.
  if (!flagFileName_.empty()) SaveSceneFlags(nullptr);
}

uint32_t ScriptContext::RegisterNative(ScriptNative native) {
  natives_.push_back(std::move(native));
  return uint32_t(natives_.size() - 1);
}

uint32_t ScriptContext::AddExternalVariable(uint32_t address, std::string name) {
  externals_.push_back(ExternalVariable{address, std::move(name)});
  return uint32_t(externals_.size() - 1);
}

uint32_t ScriptContext::AddOwnedExternalVariable(std::string name) {
  uint32_t address = space_.Allocate(4);
  AddExternalVariable(address, std::move(name));
  return address;
}

int32_t ScriptContext::FindVariable(uint32_t address) const {
  const auto& records = images_[kLive].records;
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].address == address) return int32_t(i);
  return -1;
}

ScriptFileBytes ScriptContext::ReadFile(const std::string& path) const {
  if (pathFilter_ && !pathFilter_(path, false)) return std::nullopt;
  return reader_ ? reader_(path) : std::nullopt;
}

bool ScriptContext::FileExists(const std::string& path) const {
  if (pathFilter_ && !pathFilter_(path, false)) return false;
  return readsGameFiles_ ? ScriptFileExists(path) : ReadFile(path).has_value();
}

bool ScriptContext::WriteFile(const std::string& path, std::span<const uint8_t> data) const {
  if (pathFilter_ && !pathFilter_(path, true)) return false;
  return writer_ && writer_(path, data);
}

const BitArray* ScriptContext::FlagArray(bool arrayB, bool shared) const {
  if (!sceneTable_.Exists() || currentScene_ < 0 || size_t(currentScene_) >= sceneTable_.Count()) return nullptr;
  const SceneFlagEntry& entry = shared ? sceneTable_.entries.back() : sceneTable_.entries[size_t(currentScene_)];
  return arrayB ? &entry.b : &entry.a;
}

BitArray* ScriptContext::FlagArray(bool arrayB, bool shared) {
  return const_cast<BitArray*>(std::as_const(*this).FlagArray(arrayB, shared));
}

bool ScriptContext::TestSceneFlagA(uint32_t bit, bool shared) const {
  const BitArray* bits = FlagArray(false, shared);
  return bits && bits->Test(bit);
}

bool ScriptContext::TestSceneFlagB(uint32_t bit, bool shared) const {
  const BitArray* bits = FlagArray(true, shared);
  return bits && bits->Test(bit);
}

int ScriptContext::SetSceneFlagA(uint32_t bit, bool shared) {
  BitArray* bits = FlagArray(false, shared);
  return bits ? bits->Set(bit, 1) : 0;
}

int ScriptContext::SetSceneFlagB(uint32_t bit, bool shared) {
  BitArray* bits = FlagArray(true, shared);
  return bits ? bits->Set(bit, 1) : 0;
}

bool ScriptContext::SetFlagFileName(const char* name) {
  if (!name) return false;
  flagFileName_ = name;
  return true;
}

int ScriptContext::SaveSceneFlags(const char* name) {
  const std::string fileName = name ? std::string(name) : flagFileName_;
  if (fileName.empty()) return 1;
  if (!sceneTable_.Exists()) return 2;
  std::vector<uint8_t> file;
  if (SceneFlagFile::Write(sceneTable_, file) != SceneFlagFile::kOk) return 3;
  return WriteFile(SavePath(fileName), file) ? 0 : 1;
}

int ScriptContext::LoadSceneFlags(const char* name) {
  const std::string fileName = name ? std::string(name) : flagFileName_;
  if (fileName.empty()) return 1;
  if (!sceneTable_.Exists()) return 0;
  ScriptFileBytes file = ReadFile(SavePath(fileName));
  if (!file) return 1;
  return SceneFlagFile::Read(file->data(), file->size(), sceneTable_) == SceneFlagFile::kOk ? 0 : 2;
}

std::string ScriptContext::SceneNameOfPath(std::string_view path) {
  // Walk by characters so that a trail byte 0x5C is never taken for '\'.
  size_t nameStart = 0;
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < path.size() && path[i] != '\0';) {
    char c = path[i];
    size_t length = cp932::CharLength(path, i);
    if (length == 1 && (c == '\\' || c == '/' || c == ':')) {
      nameStart = i + 1;
      dot = std::string_view::npos;
    } else if (length == 1 && c == '.') {
      dot = i;
    }
    i += length;
  }
  std::string_view name = path.substr(nameStart);
  name = name.substr(0, name.find('\0'));
  if (dot != std::string_view::npos) name = path.substr(nameStart, dot - nameStart);
  return cp932::ToUpper(name);
}

int ScriptContext::LoadSystem(const std::string& initPath, const std::string& userVarPath,
                              const std::string& libraryPath, bool keepInitial, bool keepSnapshot) {
  if (loaded_) return 1;
  ScriptFileBytes init = ReadFile(initPath);
  ScriptFileBytes vars = ReadFile(userVarPath);
  ScriptFileBytes library = ReadFile(libraryPath);
  SystemFiles files;
  if (init) files.init = Bytes(*init);
  if (vars) files.userVariables = Bytes(*vars);
  if (library) files.library = Bytes(*library);
  return LoadSystemFromFiles(files, keepInitial, keepSnapshot);
}

int ScriptContext::LoadSystemFromFiles(const SystemFiles& files, bool keepInitial, bool keepSnapshot) {
  if (loaded_) return 1;
  if (files.init) {
    SceneFlagTable table;
    if (int code = LoadSceneTable(*files.init, table)) return code;
    sceneTable_ = std::move(table);
  }
  if (files.userVariables) {
    if (int code = LoadVariables(*files.userVariables, keepInitial, keepSnapshot)) {
      sceneTable_ = SceneFlagTable{};
      return code;
    }
  }
  if (files.library) {
    SobCursor cursor(files.library->data(), files.library->size());
    int code = 0;
    if (!cursor.Magic("SOB2")) {
      code = 5;
    } else {
      int link = LinkModule(files.library->subspan(4), 0, true);
      code = link == 0 ? 0 : link == 1 ? 6 : 5;
    }
    if (code) {
      FreeVariables();
      sceneTable_ = SceneFlagTable{};
      currentScene_ = -1;
      return code;
    }
  }
  loaded_ = true;
  return 0;
}

int ScriptContext::LoadSceneTable(Bytes data, SceneFlagTable& table) const {
  SobCursor cursor(data.data(), data.size());
  uint16_t count = cursor.U16();
  if (!cursor.Ok()) return 2;
  // Each entry takes at least 6 bytes, so a count the file cannot hold is
  // refused before anything is made.
  if (uint64_t(count) * 6 > cursor.Remaining()) return 2;
  for (uint16_t i = 0; i < count; ++i) {
    try {
      table.entries.emplace_back();
    } catch (const std::bad_alloc&) {
      return 2;
    }
    SceneFlagEntry& entry = table.entries.back();
    uint8_t length = cursor.U8();
    // A name of length 0 has no terminating zero; the table is damaged.
    const uint8_t* name = cursor.Take(length);
    uint16_t bitsA = cursor.U16();
    uint16_t bitsB = cursor.U16();
    if (!cursor.Ok() || length == 0) return 2;
    entry.name.assign(reinterpret_cast<const char*>(name), length);
    entry.nameLength = length;
    // Resize answers 1 for a count of 0, which leaves the array empty.
    if (entry.a.Resize(bitsA) == 2 || entry.b.Resize(bitsB) == 2) return 2;
  }
  return 0;
}

int ScriptContext::LoadVariables(Bytes data, bool keepInitial, bool keepSnapshot) {
  SobCursor cursor(data.data(), data.size());
  if (!cursor.Magic("SOB1")) return 3;
  uint32_t imageSize = cursor.U32();
  const uint8_t* image = cursor.Take(imageSize);
  uint32_t recordCount = cursor.U32();
  if (!cursor.Ok() || uint64_t(recordCount) * 10 > cursor.Remaining()) return 3;
  std::vector<VariableRecord> records(recordCount);
  std::vector<uint32_t> offsets(recordCount);
  uint32_t strCount = 0;
  for (uint32_t i = 0; i < recordCount; ++i) {
    VariableRecord& record = records[i];
    record.kind = cursor.U8();
    record.scope = cursor.U8();
    offsets[i] = cursor.U32();
    record.size = cursor.U32();
    if (!cursor.Ok() || record.kind > kVariablePstr) return 3;
    if (uint64_t(offsets[i]) + record.size > imageSize) return 3;
    if (record.kind == kVariableStr) ++strCount;
  }
  uint32_t relocationCount = cursor.U32();
  if (!cursor.Ok() || uint64_t(relocationCount) * 8 > cursor.Remaining()) return 3;
  std::vector<Relocation> relocations(relocationCount);
  for (Relocation& relocation : relocations) {
    relocation.offset = cursor.U32();
    relocation.value = cursor.U32();
    if (uint64_t(relocation.offset) + 4 > imageSize || relocation.value >= imageSize) return 3;
  }
  uint32_t closing = cursor.U32();
  if (!cursor.Ok()) return 3;
  if (closing != 0) return 4;

  // The file is sound: build each kept image with its cells and records.
  FreeVariables();
  const bool keep[kImageSlots] = {true, keepInitial, keepSnapshot};
  for (int slot = 0; slot < kImageSlots; ++slot) {
    if (!keep[slot]) continue;
    VariableImage& target = images_[slot];
    target.size = imageSize;
    target.base = space_.Allocate(imageSize);
    target.cellBase = space_.Allocate(uint64_t(strCount) * 4);
    if (!target.base || !target.cellBase) {
      FreeVariables();
      return 3;
    }
    space_.WriteBytes(target.base, image, imageSize);
    target.records = records;
    // Cells first, in record order; then each STR record takes the next cell.
    for (uint32_t i = 0; i < recordCount; ++i) {
      if (records[i].kind != kVariableStr) continue;
      uint32_t cell = target.cellBase + uint32_t(target.cells.size()) * 4;
      space_.Write32(cell, target.base + offsets[i]);
      target.cells.push_back(cell);
    }
    size_t nextCell = 0;
    for (uint32_t i = 0; i < recordCount; ++i) {
      target.records[i].address =
          records[i].kind == kVariableStr ? target.cells[nextCell++] : target.base + offsets[i];
    }
    for (const Relocation& relocation : relocations)
      space_.Write32(target.base + relocation.offset, target.base + relocation.value);
    for (uint32_t i = 0; i < recordCount; ++i) space_.AddExtent(target.base + offsets[i], records[i].size);
  }
  return 0;
}

void ScriptContext::FreeVariables() {
  for (VariableImage& image : images_) {
    if (image.base) space_.Free(image.base);
    if (image.cellBase) space_.Free(image.cellBase);
    image = VariableImage{};
  }
}

int ScriptContext::LinkModule(Bytes body, int32_t sceneIndex, bool isLibrary) {
  SobCursor cursor(body.data(), body.size());
  uint32_t blockLength = cursor.U32();
  const uint8_t* block = cursor.Take(blockLength);
  uint32_t translationLength = cursor.U32();
  uint32_t codeSize = cursor.U32();
  const uint8_t* code = cursor.Take(codeSize);
  if (!cursor.Ok() || translationLength > codeSize) return kLinkDamaged;

  // The relocation block: five lists, then the closing word, all inside it.
  SobCursor lists(block, blockLength);
  std::vector<Relocation> relocations[kRelocationLists];
  for (auto& list : relocations) {
    uint32_t count = lists.U32();
    if (!lists.Ok() || uint64_t(count) * 8 > lists.Remaining()) return kLinkDamaged;
    list.resize(count);
    for (Relocation& relocation : list) {
      relocation.offset = lists.U32();
      relocation.value = lists.U32();
    }
  }
  uint32_t closing = lists.U32();
  if (!lists.Ok()) return kLinkDamaged;
  if (closing != 0) return 1;

  // Every relocation must patch a word inside the code and name something
  // that exists; checked in full before anything is allocated.
  const VariableImage& live = images_[kLive];
  uint32_t librarySize = 0;
  for (const ScriptModule& module : modules_)
    if (module.isLibrary) librarySize = module.codeSize;
  for (int kind = 0; kind < kRelocationLists; ++kind) {
    for (const Relocation& relocation : relocations[kind]) {
      if (uint64_t(relocation.offset) + 4 > codeSize) return kLinkDamaged;
      bool named = false;
      switch (kind) {
        case kListVariables: named = relocation.value < live.records.size(); break;
        case kListNatives: named = relocation.value < natives_.size(); break;
        case kListExternals: named = relocation.value < externals_.size(); break;
        case kListLibrary: named = libraryCodeBase_ != 0 && relocation.value <= librarySize; break;
        case kListOwnCode: named = relocation.value <= codeSize; break;
      }
      if (!named) return kLinkDamaged;
    }
  }

  uint32_t base = space_.Allocate(codeSize);
  if (!base) return kLinkDamaged;
  space_.WriteBytes(base, code, codeSize);
  for (int kind = 0; kind < kRelocationLists; ++kind) {
    for (const Relocation& relocation : relocations[kind]) {
      uint32_t word = 0;
      switch (kind) {
        case kListVariables: word = live.records[relocation.value].address; break;
        case kListNatives: word = ScriptMachine::NativeAddress(relocation.value); break;
        case kListExternals: word = externals_[relocation.value].address; break;
        case kListLibrary: word = libraryCodeBase_ + relocation.value; break;
        case kListOwnCode: word = base + relocation.value; break;
      }
      space_.Write32(base + relocation.offset, word);
    }
  }

  ScriptModule module{base, codeSize, sceneIndex, translationLength, isLibrary};
  if (isLibrary) {
    // The library is always the first module.
    modules_.insert(modules_.begin(), module);
    libraryCodeBase_ = base;
  } else {
    modules_.push_back(module);
    currentCodeBase_ = base;
  }
  if (sceneTable_.Exists())
    currentScene_ = sceneIndex >= 0 && size_t(sceneIndex) < sceneTable_.Count() ? sceneIndex : -1;
  return 0;
}

int ScriptContext::LoadScript(const std::string& path, ScriptMachine* machine) {
  ScriptFileBytes data = ReadFile(path);
  if (!data) return 1;
  return LoadScriptImage(path, *data, machine);
}

int ScriptContext::LoadScriptImage(std::string_view path, Bytes data, ScriptMachine* machine) {
  SobCursor cursor(data.data(), data.size());
  if (!cursor.Magic("SOB0")) return 2;
  int32_t index = -1;
  if (sceneTable_.Exists()) {
    index = sceneTable_.Find(SceneNameOfPath(path));
    if (index < 0) return 2;
  }
  ScriptMachine& target = machine ? *machine : machine_;
  // The sentinel must fit before anything changes.
  if (!target.HasRoom(1)) return 2;
  int link = LinkModule(data.subspan(4), index, false);
  if (link == 1) return 3;
  if (link != 0) return 2;
  target.SetProgramCounter(currentCodeBase_);
  target.PushReturnSentinel();
  return 0;
}

int ScriptContext::UnloadScript() {
  if (modules_.empty() || modules_.back().isLibrary) return 0;
  OnUnload();
  space_.Free(modules_.back().code);
  modules_.pop_back();
  if (sceneTable_.Exists() && !modules_.empty()) {
    int32_t index = modules_.back().sceneIndex;
    currentScene_ = index >= 0 && size_t(index) < sceneTable_.Count() ? index : -1;
  }
  RefreshCurrentCode();
  return 0;
}

void ScriptContext::DropSceneModules() {
  for (auto it = modules_.begin(); it != modules_.end();) {
    if (it->isLibrary) {
      ++it;
      continue;
    }
    space_.Free(it->code);
    it = modules_.erase(it);
  }
  RefreshCurrentCode();
}

void ScriptContext::RefreshCurrentCode() {
  // The current scene's code is the newest scene module's, never freed code.
  currentCodeBase_ = 0;
  if (!modules_.empty() && !modules_.back().isLibrary) currentCodeBase_ = modules_.back().code;
}

}  // namespace orrivel
