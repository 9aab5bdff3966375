#include "resource/TcpManager.h"

#include <new>

#include "resource/ArchiveManager.h"

namespace orrivel {

TcpManager::~TcpManager() { ClearAll(); }

void TcpManager::RemoveByType(std::uint8_t type) {
  for (size_t i = 0; i < records_.size();) {
    if (records_[i].type != type) {
      ++i;
      continue;
    }
    if (records_[i].releaser) records_[i].releaser();
    PluginModuleRecord* module = records_[i].module;
    records_.erase(records_.begin() + std::ptrdiff_t(i));
    modules_.ReleaseHold(module);
  }
}

void TcpManager::ClearAll() {
  // Taken out first, so that a releaser that looks back into the registry
  // finds it already empty rather than half torn down.
  std::vector<TcpObjectRecord> records = std::move(records_);
  records_.clear();
  for (const TcpObjectRecord& record : records) {
    if (record.releaser) record.releaser();
  }
  records.clear();
  modules_.Clear();
}

int TcpManager::RegisterObject(TcpGetObjectFunc getObject, const char* name, std::uint8_t type, std::int32_t index,
                               TcpInitialiserFunc initialiser, TcpReleaserFunc releaser) {
  if (!getObject || !name) return 1;
  try {
    records_.push_back(TcpObjectRecord{type, 0, name, getObject, nullptr, index, initialiser, releaser});
  } catch (const std::bad_alloc&) {
    return 1;
  }
  return 0;
}

int TcpManager::LoadPlugin(std::string_view path) {
  NamedObjectLibrary library;
  if (const int code = OpenNamedObjectLibrary(path, &library); code != kAdlOk) return code;
  try {
    const auto count = reinterpret_cast<TcpGetObjectNumFunc>(library.getObjectNum)();
    if (count < 0) return kAdlNoDecoder;
    const auto getObject = reinterpret_cast<TcpGetObjectFunc>(library.getObject);
    const auto getName = reinterpret_cast<TcpGetObjectNameFunc>(library.getObjectName);
    const auto getType = reinterpret_cast<TcpGetObjectTypeFunc>(library.getObjectType);
    // Gathered apart and appended only when all are made: a library that
    // fails part-way leaves no record pointing into it.
    std::vector<TcpObjectRecord> made;
    made.reserve(size_t(count));
    for (std::int32_t i = 0; i < count; ++i) {
      const char* name = getName(i);
      if (!name) return kAdlNoDecoder;
      made.push_back(TcpObjectRecord{getType(i), 0, name, getObject, nullptr, i, nullptr, nullptr});
    }
    records_.reserve(records_.size() + made.size());
    PluginModuleRecord* module = modules_.Add(std::move(library.library));
    for (TcpObjectRecord& record : made) {
      record.module = module;
      ++module->holders;
      records_.push_back(std::move(record));
    }
  } catch (...) {
    return kAdlNoDecoder;
  }
  return kAdlOk;
}

int TcpManager::LoadPlugins(std::string_view folder) {
  return ScanPluginFolder(folder, "*.TCP", [this](const std::string& path) { return LoadPlugin(path); });
}

TcpGetObjectFunc TcpManager::FindObject(std::string_view name, std::int32_t* index) {
  for (size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].name != name) continue;
    if (!records_[i].initialised) {
      // Marked before the call, so an initialiser that looks itself up
      // does not run a second time; the record is read again afterwards in
      // case the initialiser registered entries and the array moved.
      records_[i].initialised = 1;
      if (const TcpInitialiserFunc initialiser = records_[i].initialiser) initialiser();
      if (i >= records_.size()) return nullptr;
    }
    if (index) *index = records_[i].index;
    return records_[i].getObject;
  }
  return nullptr;
}

TcpObject* TcpManager::CreateObject(const ObjectArgument& first, std::string_view name,
                                    std::initializer_list<ObjectArgument> rest) {
  return CreateObjectV(first, name, ObjectArguments{rest.begin(), rest.size()});
}

TcpObject* TcpManager::GetObject(std::string_view name) {
  std::int32_t index = 0;
  const TcpGetObjectFunc factory = FindObject(name, &index);
  return factory ? factory(index) : nullptr;
}

TcpObject* TcpManager::CreateObjectV(const ObjectArgument& first, std::string_view name, const ObjectArguments& rest) {
  TcpObject* object = GetObject(name);
  if (!object) return nullptr;
  if (object->SetupV(first, rest) != 0) {
    object->Release();
    return nullptr;
  }
  return object;
}

}  // namespace orrivel
