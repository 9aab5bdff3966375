#include "frame/TgsModule.h"

#include <algorithm>
#include <new>

#include "base/Cp932.h"
#include "script/SceneFlagFile.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

namespace {

constexpr char kReadFlagMagic[5] = "TSLG";
constexpr uint32_t kStateNameBytes = 3;  // u16 length and the NUL
// Each message of a module needs at least a command block of its own, so no
// module can hold this many; a table asking for more is damaged, and is
// refused before it makes the engine allocate for it.
constexpr uint32_t kMaxFlagBits = 1u << 24;

// Reads "TGS_INIT.DAT" into table: signed count, then per script u8 name
// length L, L name bytes (NUL included), u32 message count, u32 choice count.
bool ReadScriptTable(const std::vector<uint8_t>& file, SceneFlagTable& table) {
  SobCursor cursor(file.data(), file.size());
  const int32_t count = int32_t(cursor.U32());
  if (!cursor.Ok() || count < 0) return false;
  // Each record takes at least 9 bytes, so the count is bounded by the file.
  if (uint64_t(count) * 9 > cursor.Remaining()) return false;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t length = cursor.U8();
    const uint8_t* name = cursor.Take(length);
    const uint32_t messages = cursor.U32();
    const uint32_t choices = cursor.U32();
    if (!cursor.Ok() || messages > kMaxFlagBits || choices > kMaxFlagBits) return false;
    SceneFlagEntry& entry = table.entries.emplace_back();
    entry.name.assign(reinterpret_cast<const char*>(name), length);
    entry.nameLength = length;
    if (entry.a.Resize(messages) == 2 || entry.b.Resize(choices) == 2) return false;
  }
  return true;
}

}  // namespace

TgsLoadedModule::~TgsLoadedModule() { space.Free(image); }

TgsModule::TgsModule(ScriptAddressSpace& space)
    : space_(space), reader_(ReadScriptFile), writer_(WriteScriptFile) {
  callStack_.reserve(kCallDepth);
  ReserveArgumentStack(kArgumentCells);
}

TgsModule::~TgsModule() {
  if (!logFileName_.empty()) SaveReadFlags(std::nullopt);
  Unload();
  space_.Free(argumentBase_);
}

int32_t TgsModule::LoadInit(std::string_view name) {
  const ScriptFileBytes file = reader_(folder_ + std::string(name));
  if (!file) return 1;
  try {
    SceneFlagTable table;
    if (!ReadScriptTable(*file, table)) return 2;
    table_.entries.swap(table.entries);
  } catch (const std::bad_alloc&) {
    return 2;
  }
  // Modules already loaded keep pointing at entries of the new table, never
  // at positions of the old one.
  for (const ModulePtr& module : runStack_) module->scriptIndex = table_.Find(cp932::ToUpper(module->name));
  for (const ModulePtr& module : resident_) module->scriptIndex = table_.Find(cp932::ToUpper(module->name));
  currentEntry_ = -1;
  return 0;
}

TgsModule::ModulePtr TgsModule::MakeModule(std::string_view name, int32_t& code) {
  const ScriptFileBytes file = reader_(folder_ + std::string(name) + ".TOB");
  if (!file) {
    code = 1;
    return nullptr;
  }
  TobLayout layout;
  if (TobImage::Parse(file->data(), file->size(), layout) != TobImage::kOk) {
    code = 2;
    return nullptr;
  }
  int32_t scriptIndex = -1;
  if (table_.Exists()) {
    scriptIndex = table_.Find(cp932::ToUpper(name));
    if (scriptIndex < 0) {
      code = 3;
      return nullptr;
    }
  }
  const uint32_t image = space_.Allocate(file->size());
  if (!image) {
    code = 2;
    return nullptr;
  }
  space_.WriteBytes(image, file->data(), file->size());
  ModulePtr module(new TgsLoadedModule(space_, image));
  module->imageSize = uint32_t(file->size());
  module->name.assign(name);
  module->scriptIndex = scriptIndex;
  module->layout = layout;
  code = 0;
  return module;
}

int32_t TgsModule::LoadScript(std::string_view name, Placement placement) {
  int32_t code = 0;
  ModulePtr module = MakeModule(name, code);
  if (!module) return code;
  if (placement == Placement::kRun) runStack_.push_back(std::move(module));
  else resident_.push_back(std::move(module));
  return 0;
}

int32_t TgsModule::LoadScriptByName(std::string_view name) {
  if (!runStack_.empty()) return 1;
  const int32_t code = LoadScript(name, Placement::kRun);
  if (code != 0) return code + 1;
  SelectCurrent(runStack_.back().get(), kTopOfRunStack);
  readPosition_ = current_->TextStart();
  return 0;
}

int32_t TgsModule::PreloadScript(std::string_view name) { return LoadScript(name, Placement::kResident); }

const TgsLoadedModule* TgsModule::Resident(size_t position) const {
  if (position >= resident_.size()) return nullptr;
  return std::next(resident_.begin(), std::ptrdiff_t(position))->get();
}

TgsLoadedModule* TgsModule::ResidentAt(size_t position) {
  if (position >= resident_.size()) return nullptr;
  return std::next(resident_.begin(), std::ptrdiff_t(position))->get();
}

void TgsModule::SelectCurrent(TgsLoadedModule* module, int32_t index) {
  current_ = module;
  currentIndex_ = index;
  currentEntry_ = module ? module->scriptIndex : -1;
}

const TgsLoadedModule* TgsModule::FindScript(std::string_view name) {
  int32_t position = 0;
  for (const ModulePtr& module : resident_) {
    if (cp932::CompareNoCase(module->name, name) == 0) {
      SelectCurrent(module.get(), position);
      return module.get();
    }
    ++position;
  }
  if (LoadScript(name, Placement::kRun) != 0) return nullptr;
  SelectCurrent(runStack_.back().get(), kTopOfRunStack);
  return current_;
}

int32_t TgsModule::LookupLabel(const ScriptAddressSpace& space, const TgsLoadedModule& module,
                               std::string_view label) {
  const uint8_t* image = space.Bytes(module.image, module.imageSize);
  return image ? TobImage::LookupLabel(image, module.layout, label) : -1;
}

int32_t TgsModule::GetResumePoint(uint32_t n) const {
  if (!current_) return -1;
  const uint8_t* image = space_.Bytes(current_->image, current_->imageSize);
  return image ? TobImage::ResumePoint(image, current_->layout, n) : -1;
}

int32_t TgsModule::PopRunStack() {
  if (runStack_.empty()) return 1;
  if (current_ == runStack_.back().get()) SelectCurrent(nullptr, kTopOfRunStack);
  runStack_.pop_back();
  return 0;
}

void TgsModule::Unload() {
  SelectCurrent(nullptr, kTopOfRunStack);
  runStack_.clear();
  resident_.clear();
  callStack_.clear();
  argumentTop_ = 0;
  readPosition_ = 0;
}

uint32_t TgsModule::TextAddress(int64_t offset) const {
  if (!current_ || offset < 0 || offset >= int64_t(current_->layout.textSize)) return 0;
  return current_->TextStart() + uint32_t(offset);
}

uint32_t TgsModule::Target(TgsName label, int64_t offset) const {
  if (!current_) return 0;
  if (label) {
    const int32_t at = LookupLabel(space_, *current_, *label);
    return at < 0 ? 0 : TextAddress(at);
  }
  return TextAddress(offset);
}

// The current module leaves the run stack when it is its top.
bool TgsModule::DropCurrentRunModule() {
  if (currentIndex_ != kTopOfRunStack) return true;
  SelectCurrent(nullptr, kTopOfRunStack);
  return PopRunStack() == 0;
}

uint32_t TgsModule::Call(TgsName script, TgsName label, int32_t offset) {
  // The stack holds kCallDepth frames; a deeper call fails like a call whose
  // module cannot load, before anything changes.
  if (!current_ || callStack_.size() >= kCallDepth) return 0;
  callStack_.push_back({script ? currentIndex_ : kSameModule, readPosition_ - current_->TextStart()});
  if (script && !FindScript(*script)) return 0;
  return Target(label, offset);
}

uint32_t TgsModule::Jump(TgsName script, TgsName label, int32_t offset) {
  if (script) {
    if (!DropCurrentRunModule()) return 0;
    if (!FindScript(*script)) return 0;
  }
  return Target(label, offset);
}

uint32_t TgsModule::Return(TgsName script, TgsName label, int32_t offset) {
  if (callStack_.empty()) return 0;
  const TgsCallFrame frame = callStack_.back();
  callStack_.pop_back();
  if (frame.moduleIndex != kSameModule) {
    if (!DropCurrentRunModule()) return 0;
    if (frame.moduleIndex == kTopOfRunStack) {
      if (runStack_.empty()) return 0;
      SelectCurrent(runStack_.back().get(), kTopOfRunStack);
    } else {
      TgsLoadedModule* caller = ResidentAt(size_t(frame.moduleIndex));
      if (!caller) return 0;
      SelectCurrent(caller, frame.moduleIndex);
    }
  }
  if (script) {
    if (!DropCurrentRunModule()) return 0;
    if (!FindScript(*script)) return 0;
  }
  if (label) return Target(label, 0);
  if (offset == 0) return TextAddress(frame.offset);
  return TextAddress(offset == -1 ? 0 : offset);
}

int32_t TgsModule::UnloadScript(TgsName name) {
  if (resident_.empty()) return 1;
  auto it = std::prev(resident_.end());
  if (name) {
    it = std::find_if(resident_.begin(), resident_.end(),
                      [&](const ModulePtr& module) { return cp932::CompareNoCase(module->name, *name) == 0; });
    if (it == resident_.end()) return 2;
  }
  const int32_t position = int32_t(std::distance(resident_.begin(), it));
  if (it->get() == current_) return 3;
  for (const TgsCallFrame& frame : callStack_)
    if (frame.moduleIndex == position) return 3;
  resident_.erase(it);
  for (TgsCallFrame& frame : callStack_)
    if (frame.moduleIndex > position) --frame.moduleIndex;
  // The current index names a resident position too; it follows, so that a
  // saved state names the module that really is current.
  if (currentIndex_ > position) --currentIndex_;
  return 0;
}

uint32_t TgsModule::GetStateSize() const {
  uint64_t size = 4 + 4 + 4 + 8 * uint64_t(callStack_.size()) + 8;
  for (const ModulePtr& module : runStack_) size += kStateNameBytes + module->name.size();
  for (const ModulePtr& module : resident_) size += kStateNameBytes + module->name.size();
  return uint32_t(size);
}

namespace {

void PutName(ByteWriter& out, const std::string& name) {
  const uint16_t length = uint16_t(name.size() + 1);
  const uint8_t bytes[2] = {uint8_t(length), uint8_t(length >> 8)};
  out.Put(bytes, 2);
  out.Put(name.data(), name.size());
  out.U8(0);
}

bool TakeName(SobCursor& in, std::string& name) {
  const uint16_t length = in.U16();
  const uint8_t* bytes = in.Take(length);
  if (!in.Ok() || length == 0) return false;
  const auto* text = reinterpret_cast<const char*>(bytes);
  name.assign(text, std::find(text, text + length, '\0'));
  return true;
}

}  // namespace

int32_t TgsModule::SaveState(ByteWriter& out) const {
  if (!out.HasBuffer() || !current_) return 1;
  out.U32(uint32_t(runStack_.size()));
  for (const ModulePtr& module : runStack_) PutName(out, module->name);
  out.U32(uint32_t(resident_.size()));
  for (const ModulePtr& module : resident_) PutName(out, module->name);
  out.U32(uint32_t(callStack_.size()));
  for (const TgsCallFrame& frame : callStack_) {
    out.U32(uint32_t(frame.moduleIndex));
    out.U32(frame.offset);
  }
  out.U32(uint32_t(currentIndex_));
  out.U32(readPosition_ - current_->TextStart());
  return out.Ok() ? 0 : 1;
}

int32_t TgsModule::LoadState(SobCursor& in) {
  if (in.Remaining() == 0) return 1;
  // Read the whole state first: a cut or lying state changes nothing.
  std::vector<std::string> runNames, residentNames;
  auto takeNames = [&in](std::vector<std::string>& names) {
    const uint32_t count = in.U32();
    if (!in.Ok() || uint64_t(count) * kStateNameBytes > in.Remaining()) return false;
    names.resize(count);
    for (std::string& name : names)
      if (!TakeName(in, name)) return false;
    return true;
  };
  if (!takeNames(runNames) || !takeNames(residentNames)) return 3;
  const uint32_t depth = in.U32();
  if (!in.Ok() || depth > kCallDepth) return 3;
  std::vector<TgsCallFrame> frames(depth);
  for (TgsCallFrame& frame : frames) {
    frame.moduleIndex = int32_t(in.U32());
    frame.offset = in.U32();
    if (frame.moduleIndex < kSameModule || frame.moduleIndex >= int32_t(residentNames.size())) return 3;
  }
  const int32_t index = int32_t(in.U32());
  const uint32_t offset = in.U32();
  if (!in.Ok()) return 3;
  if (index == kTopOfRunStack ? runNames.empty() : index < 0 || index >= int32_t(residentNames.size())) return 3;

  std::vector<ModulePtr> run;
  std::list<ModulePtr> resident;
  int32_t code = 0;
  for (const std::string& name : runNames) {
    run.push_back(MakeModule(name, code));
    if (!run.back()) return 2;
  }
  for (const std::string& name : residentNames) {
    resident.push_back(MakeModule(name, code));
    if (!resident.back()) return 2;
  }
  TgsLoadedModule* current =
      index == kTopOfRunStack ? run.back().get() : std::next(resident.begin(), index)->get();
  if (offset >= current->layout.textSize) return 3;

  runStack_.swap(run);
  resident_.swap(resident);
  callStack_ = std::move(frames);
  SelectCurrent(current, index);
  readPosition_ = current->TextStart() + offset;
  argumentTop_ = 0;
  return 0;
}

int32_t TgsModule::SetFolder(const char* path) {
  if (!path) return 1;
  folder_ = path;
  if (folder_.empty() || folder_.back() != '\\') folder_ += '\\';
  return 0;
}

int32_t TgsModule::SetLogFileName(const char* name) {
  if (!name) return 1;
  logFileName_ = name;
  return 0;
}

std::string TgsModule::FlagFilePath(TgsName name) const {
  const std::string file = name ? std::string(*name) : logFileName_;
  if (file.empty()) return {};
  return saveFolder_ ? *saveFolder_ + file : file;
}

int32_t TgsModule::SaveReadFlags(TgsName name) {
  const std::string path = FlagFilePath(name);
  if (path.empty()) return 1;
  if (!table_.Exists()) return 2;
  std::vector<uint8_t> file;
  if (SceneFlagFile::Write(table_, file, kReadFlagMagic) != SceneFlagFile::kOk) return 3;
  return writer_(path, file) ? 0 : 3;
}

int32_t TgsModule::LoadReadFlags(TgsName name) {
  if (!table_.Exists()) return 0;
  const std::string path = FlagFilePath(name);
  if (path.empty()) return 1;
  const ScriptFileBytes file = reader_(path);
  if (!file) return 1;
  if (SceneFlagFile::Read(file->data(), file->size(), table_, kReadFlagMagic) != SceneFlagFile::kOk) return 2;
  return 0;
}

bool TgsModule::IsMessageRead(int32_t id) const {
  if (currentEntry_ < 0 || size_t(currentEntry_) >= table_.Count() || id < 0) return false;
  const BitArray& bits = table_.entries[size_t(currentEntry_)].a;
  return uint32_t(id) < bits.BitCount() && bits.Test(uint32_t(id));
}

int32_t TgsModule::MarkMessageRead(int32_t id) {
  if (currentEntry_ < 0 || size_t(currentEntry_) >= table_.Count()) return -1;
  return table_.entries[size_t(currentEntry_)].a.Set(uint32_t(id), 1);
}

const SceneFlagEntry* TgsModule::FindEntryNoCase(std::string_view name) const {
  for (const SceneFlagEntry& entry : table_.entries)
    if (cp932::CompareNoCase(entry.SceneName(), name) == 0) return &entry;
  return nullptr;
}

template <typename Count>
uint32_t TgsModule::SumOverEntries(TgsName name, Count count) const {
  if (name) {
    const SceneFlagEntry* entry = FindEntryNoCase(*name);
    return entry ? count(*entry) : 0;
  }
  uint32_t sum = 0;
  for (const SceneFlagEntry& entry : table_.entries) sum += count(entry);
  return sum;
}

uint32_t TgsModule::CountMessages(TgsName name) const {
  return SumOverEntries(name, [](const SceneFlagEntry& entry) { return entry.a.BitCount(); });
}

uint32_t TgsModule::CountReadMessages(TgsName name) const {
  return SumOverEntries(name, [](const SceneFlagEntry& entry) { return entry.a.CountSet(); });
}

bool TgsModule::AllMessagesRead(TgsName name) const {
  if (!table_.Exists()) return false;
  if (name) {
    const SceneFlagEntry* entry = FindEntryNoCase(*name);
    return entry && entry->a.AllSet();
  }
  return std::all_of(table_.entries.begin(), table_.entries.end(),
                     [](const SceneFlagEntry& entry) { return entry.a.AllSet(); });
}

int32_t TgsModule::ReserveArgumentStack(uint32_t cells) {
  if (cells == 0) return 0;
  const uint32_t block = space_.Allocate(uint64_t(cells) * 4);
  if (!block) return 2;
  space_.Free(argumentBase_);
  argumentBase_ = block;
  argumentCapacity_ = cells;
  argumentTop_ = 0;
  return 0;
}

}  // namespace orrivel
