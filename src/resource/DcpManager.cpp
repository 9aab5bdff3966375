#include "resource/DcpManager.h"

#include <new>

#include "resource/ArchiveManager.h"

namespace orrivel {

DcpManager::~DcpManager() { ClearAll(); }

void DcpManager::RemoveByType(std::uint8_t type) {
  for (size_t i = 0; i < records_.size();) {
    if (records_[i].type != type) {
      ++i;
      continue;
    }
    PluginModuleRecord* module = records_[i].module;
    records_.erase(records_.begin() + std::ptrdiff_t(i));
    modules_.ReleaseHold(module);
  }
}

void DcpManager::ClearAll() {
  records_.clear();
  modules_.Clear();
}

int DcpManager::RegisterObject(DcpGetObjectFunc getObject, const char* name, std::uint8_t type,
                               CallbackAssistFunc assist, CallbackAssistFunc2 assist2, std::int32_t index) {
  if (!getObject || !name) return 1;
  try {
    records_.push_back(DcpObjectRecord{type, name, getObject, assist, assist2, nullptr, index});
  } catch (const std::bad_alloc&) {
    return 1;
  }
  return 0;
}

int DcpManager::LoadPlugin(std::string_view path) {
  NamedObjectLibrary library;
  if (const int code = OpenNamedObjectLibrary(path, &library); code != kAdlOk) return code;
  try {
    const auto count = reinterpret_cast<DcpGetObjectNumFunc>(library.getObjectNum)();
    if (count < 0) return kAdlNoDecoder;
    const auto getObject = reinterpret_cast<DcpGetObjectFunc>(library.getObject);
    const auto getName = reinterpret_cast<DcpGetObjectNameFunc>(library.getObjectName);
    const auto getType = reinterpret_cast<DcpGetObjectTypeFunc>(library.getObjectType);
    const auto assist = PluginEntry<CallbackAssistFunc>(*library.library, "CallbackAssistFunc");
    const auto assist2 = PluginEntry<CallbackAssistFunc2>(*library.library, "CallbackAssistFunc2");
    // The records are gathered apart and appended only once every one of
    // them is made, so a library that fails part-way leaves no record
    // pointing into it after it is unloaded.
    std::vector<DcpObjectRecord> made;
    made.reserve(size_t(count));
    for (std::int32_t i = 0; i < count; ++i) {
      const char* name = getName(i);
      if (!name) return kAdlNoDecoder;
      made.push_back(DcpObjectRecord{getType(i), name, getObject, assist, assist2, nullptr, i});
    }
    records_.reserve(records_.size() + made.size());
    PluginModuleRecord* module = modules_.Add(std::move(library.library));
    for (DcpObjectRecord& record : made) {
      record.module = module;
      ++module->holders;
      records_.push_back(std::move(record));
    }
  } catch (...) {
    return kAdlNoDecoder;
  }
  return kAdlOk;
}

int DcpManager::LoadPlugins(std::string_view folder) {
  return ScanPluginFolder(folder, "*.DCP", [this](const std::string& path) { return LoadPlugin(path); });
}

const DcpObjectRecord* DcpManager::Find(std::string_view name) const {
  for (const DcpObjectRecord& record : records_) {
    if (record.name == name) return &record;
  }
  return nullptr;
}

DcpGetObjectFunc DcpManager::FindObject(std::string_view name, std::int32_t* index) const {
  const DcpObjectRecord* record = Find(name);
  if (!record) return nullptr;
  if (index) *index = record->index;
  return record->getObject;
}

DcpObject* DcpManager::CreateObject(std::string_view name, std::initializer_list<ObjectArgument> arguments) {
  return CreateObjectV(name, ObjectArguments{arguments.begin(), arguments.size()});
}

DcpObject* DcpManager::GetObject(std::string_view name) {
  std::int32_t index = 0;
  const DcpGetObjectFunc factory = FindObject(name, &index);
  return factory ? factory(index) : nullptr;
}

DcpObject* DcpManager::CreateObjectV(std::string_view name, const ObjectArguments& arguments) {
  DcpObject* object = GetObject(name);
  if (!object) return nullptr;
  if (object->SetupV(arguments) != 0) {
    object->Release();
    return nullptr;
  }
  return object;
}

CallbackAssistFunc DcpManager::FindCallbackAssist(std::string_view name) const {
  const DcpObjectRecord* record = Find(name);
  return record ? record->assist : nullptr;
}

CallbackAssistFunc2 DcpManager::FindCallbackAssist2(std::string_view name) const {
  const DcpObjectRecord* record = Find(name);
  return record ? record->assist2 : nullptr;
}

}  // namespace orrivel
