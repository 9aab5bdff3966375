#pragma once
// The registry of layer actions and overlay effects: names mapped to
// factories, built in (registered at start-up) or supplied by "*.DCP"
// plug-in libraries. A caller asks for an object by name; the registry makes
// it with the entry's index and sets it up with the caller's arguments.
//
// Look-ups compare names byte for byte and take the first entry registered
// under a name. Main thread only.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "resource/PluginModuleTable.h"
#include "resource/plugin/DcpObject.h"

namespace orrivel {

struct DcpObjectRecord {
  std::uint8_t type = 0;
  std::string name;
  DcpGetObjectFunc getObject = nullptr;
  CallbackAssistFunc assist = nullptr;
  CallbackAssistFunc2 assist2 = nullptr;
  PluginModuleRecord* module = nullptr;  // none for a built-in entry
  std::int32_t index = 0;
};

class DcpManager {
 public:
  DcpManager() = default;
  DcpManager(const DcpManager&) = delete;
  DcpManager& operator=(const DcpManager&) = delete;
  virtual ~DcpManager();

  // Removes every entry of the type; a library whose last entry leaves is
  // unloaded. Objects made earlier from such a library must be gone first.
  virtual void RemoveByType(std::uint8_t type);
  virtual void ClearAll();
  // 1 when getObject or name is missing, else 0.
  virtual int RegisterObject(DcpGetObjectFunc getObject, const char* name, std::uint8_t type,
                             CallbackAssistFunc assist, CallbackAssistFunc2 assist2, std::int32_t index);
  // 0 or an EAdlErrorCode: 1 bad path, 2 not loadable, 3 entry missing,
  // 4 any other failure (a null name, a negative count, no memory).
  virtual int LoadPlugin(std::string_view path);
  // Failures among the "*.DCP" files of the folder, or -1 for a bad path.
  virtual int LoadPlugins(std::string_view folder);
  // The factory of the first entry with exactly that name, with its index.
  virtual DcpGetObjectFunc FindObject(std::string_view name, std::int32_t* index) const;
  // Made and set up with the arguments; null when the name is unknown, the
  // factory gives nothing or the set-up fails (the object is released).
  virtual DcpObject* CreateObject(std::string_view name, std::initializer_list<ObjectArgument> arguments);
  // Made without set-up.
  virtual DcpObject* GetObject(std::string_view name);
  virtual DcpObject* CreateObjectV(std::string_view name, const ObjectArguments& arguments);

  CallbackAssistFunc FindCallbackAssist(std::string_view name) const;
  CallbackAssistFunc2 FindCallbackAssist2(std::string_view name) const;

  const std::vector<DcpObjectRecord>& Records() const { return records_; }
  const PluginModuleTable& Modules() const { return modules_; }

 private:
  const DcpObjectRecord* Find(std::string_view name) const;

  std::vector<DcpObjectRecord> records_;
  PluginModuleTable modules_;
};

}  // namespace orrivel
