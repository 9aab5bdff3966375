#include "resource/PluginModuleTable.h"

#include <algorithm>
#include <string>

#include "resource/ArchiveManager.h"
#include "resource/Paths.h"

namespace orrivel {

PluginModuleRecord* PluginModuleTable::Add(PluginLibraryPtr library) {
  auto record = std::make_unique<PluginModuleRecord>();
  record->library = std::move(library);
  modules_.push_back(std::move(record));
  return modules_.back().get();
}

void PluginModuleTable::ReleaseHold(PluginModuleRecord* module) {
  if (!module) return;
  if (module->holders > 0) {
    --module->holders;
    return;
  }
  std::erase_if(modules_, [module](const std::unique_ptr<PluginModuleRecord>& m) { return m.get() == module; });
}

int OpenNamedObjectLibrary(std::string_view path, NamedObjectLibrary* out) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return kAdlBadPath;
  PluginLibraryPtr library = OpenPluginLibrary(full);
  if (!library) return kAdlLoadFailed;
  NamedObjectLibrary found;
  found.getObjectNum = library->Symbol("GetObjectNum");
  found.getObject = library->Symbol("GetObject");
  found.getObjectName = library->Symbol("GetObjectName");
  found.getObjectType = library->Symbol("GetObjectType");
  if (!found.getObjectNum || !found.getObject || !found.getObjectName || !found.getObjectType) {
    return kAdlMissingEntry;
  }
  found.library = std::move(library);
  *out = std::move(found);
  return kAdlOk;
}

}  // namespace orrivel
