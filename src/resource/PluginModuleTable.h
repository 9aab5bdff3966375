#pragma once
// The plug-in libraries of a named-object registry. Each module record
// counts the object records made from its library, less one: the count
// starts at -1 and rises by one per record, so releasing a record's hold at
// count 0 is the last one and frees the library.
//
// Also the first steps of loading such a library, which both registries
// share: the path made absolute, the library loaded, the four required
// entry points looked up.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "resource/PluginLibrary.h"

namespace orrivel {

struct PluginModuleRecord {
  PluginLibraryPtr library;
  std::int32_t holders = -1;
};

class PluginModuleTable {
 public:
  // Takes the library; the record stays at the same address until freed.
  PluginModuleRecord* Add(PluginLibraryPtr library);
  // Drops one record's hold on the module; frees the library and the
  // module record at the last one.
  void ReleaseHold(PluginModuleRecord* module);
  void Clear() { modules_.clear(); }
  std::size_t Count() const { return modules_.size(); }
  const PluginModuleRecord* At(std::size_t index) const { return modules_[index].get(); }

 private:
  std::vector<std::unique_ptr<PluginModuleRecord>> modules_;
};

// The entry points every named-object library has.
struct NamedObjectLibrary {
  PluginLibraryPtr library;
  void* getObjectNum = nullptr;
  void* getObject = nullptr;
  void* getObjectName = nullptr;
  void* getObjectType = nullptr;
};

// 0 with the library loaded and its required entries found; 1 bad path,
// 2 the library does not load, 3 an entry is missing (the library is then
// unloaded again).
int OpenNamedObjectLibrary(std::string_view path, NamedObjectLibrary* out);

}  // namespace orrivel
