#pragma once
// The registry of named transitions and screen filters: names mapped to
// factories, built in (registered at start-up) or supplied by "*.TCP"
// plug-in libraries. A caller asks for an object by name; the registry makes
// it with the entry's index and sets it up with the caller's first argument
// and the rest. A built-in entry may carry an initialiser, run once at its
// first look-up, and a releaser, run when the entry is removed.
//
// Look-ups compare names byte for byte and take the first entry registered
// under a name. Main thread only.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "resource/PluginModuleTable.h"
#include "resource/plugin/TcpObject.h"

namespace orrivel {

struct TcpObjectRecord {
  std::uint8_t type = 0;
  std::uint8_t initialised = 0;
  std::string name;
  TcpGetObjectFunc getObject = nullptr;
  PluginModuleRecord* module = nullptr;  // none for a built-in entry
  std::int32_t index = 0;
  TcpInitialiserFunc initialiser = nullptr;
  TcpReleaserFunc releaser = nullptr;
};

class TcpManager {
 public:
  TcpManager() = default;
  TcpManager(const TcpManager&) = delete;
  TcpManager& operator=(const TcpManager&) = delete;
  virtual ~TcpManager();

  // Removes every entry of the type (running its releaser first); a library
  // whose last entry leaves is unloaded. Objects made earlier from such a
  // library must be gone first.
  virtual void RemoveByType(std::uint8_t type);
  virtual void ClearAll();
  // 1 when getObject or name is missing, else 0.
  virtual int RegisterObject(TcpGetObjectFunc getObject, const char* name, std::uint8_t type, std::int32_t index,
                             TcpInitialiserFunc initialiser, TcpReleaserFunc releaser);
  // 0 or an EAdlErrorCode: 1 bad path, 2 not loadable, 3 entry missing,
  // 4 any other failure (a null name, a negative count, no memory).
  virtual int LoadPlugin(std::string_view path);
  // Failures among the "*.TCP" files of the folder, or -1 for a bad path.
  virtual int LoadPlugins(std::string_view folder);
  // The factory of the first entry with exactly that name, with its index;
  // the entry's initialiser runs the first time it is found.
  virtual TcpGetObjectFunc FindObject(std::string_view name, std::int32_t* index);
  // Made and set up; null when the name is unknown, the factory gives
  // nothing or the set-up fails (the object is released).
  virtual TcpObject* CreateObject(const ObjectArgument& first, std::string_view name,
                                  std::initializer_list<ObjectArgument> rest);
  // Made without set-up.
  virtual TcpObject* GetObject(std::string_view name);
  virtual TcpObject* CreateObjectV(const ObjectArgument& first, std::string_view name, const ObjectArguments& rest);

  const std::vector<TcpObjectRecord>& Records() const { return records_; }
  const PluginModuleTable& Modules() const { return modules_; }

 private:
  std::vector<TcpObjectRecord> records_;
  PluginModuleTable modules_;
};

}  // namespace orrivel
