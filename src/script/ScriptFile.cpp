#include "script/ScriptFile.h"

namespace orrivel {

// Game files are reached through the resource subsystem (loose files and
// archive members). Until it is wired here, nothing opens: the loaders then
// behave as for missing files, and callers that have bytes use a reader of
// their own.
ScriptFileBytes ReadScriptFile(const std::string& path) {
  (void)path;
  return std::nullopt;
}

}  // namespace orrivel
